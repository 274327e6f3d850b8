#pragma once
// Base class of every movable unit.  A unit is owned by its player's unit
// list and deleted only through deferred deletion (CPtrGarbage), through this
// virtual destructor, once nothing refers to it any more.
//
// The record holds what every unit type shares; each type answers its traits
// through the virtual operations below (their order is the order of the
// type's table of operations) and reads its stats from the type records.
// Positions are in blocks; health and starvation in percent of the type's
// maximum hit points; facings in degrees 0 to 359.  Main thread only.

#include <cstdint>
#include <vector>

#include "core/C_String.h"
#include "units/C_DamageTypeTable.h"

class CBuilding;
class CModelRecord;
struct SBodyPart;
class CObjectReferences;
class CRangeTable;
class CSaveStream;
class CUnitList;

// TENUMSTANCE
enum TENUMSTANCE : int32_t
{
    STANCE_AGGRESSIVE = 1,
    STANCE_DEFENSIVE = 2,
    STANCE_STAND_GROUND = 3,
};

// TENUMUNITANIM
enum TENUMUNITANIM : int32_t
{
    ANIM_STAND = 0,
    ANIM_WALK = 1,
    ANIM_ATTACK = 2,
    ANIM_WIND_DOWN = 3,
    ANIM_DIE = 4,
    ANIM_CORPSE = 5,
    ANIM_CHOP_TREE = 6,
    ANIM_MINE_GOLD = 7,
    ANIM_MINE_STONE = 8,
    ANIM_BUILD = 9,
    ANIM_REPAIR = 10,
    ANIM_DISMANTLE = 11,
    ANIM_RELOAD = 12,
    ANIM_SPELL = 13,
};

// Where a unit is in its life.  Only the unit's own operations move it on.
enum class UnitLife : int32_t
{
    Created,   // made by the factory, never shown
    OnMap,     // footprint and sight registered on the map
    OffMap,    // garrisoned, aboard a ship, or not yet placed again
    Dying,     // removed from the world, playing its death
    Corpse,    // off the map but still drawn where it fell
};

// A sound named by its first sample and its number of variants.
struct SSoundPair
{
    int32_t sample;
    int32_t variants;
};

class CUnit
{
public:
    // Longest route a unit keeps: one direction code per step.
    static constexpr int RouteCapacity = 512;
    static constexpr int MaxWaypoints = 64;
    static constexpr float FullHealth = 100.0f;
    static constexpr float MaxStarvation = 100.0f;

    CUnit();
    // (-1, -1) leaves the unit unplaced, its centre unset until it is shown.
    CUnit(int32_t tileX, int32_t tileY, int32_t owner);
    // Releases the name.
    virtual ~CUnit();

    CUnit(const CUnit&) = delete;
    CUnit& operator=(const CUnit&) = delete;

    // ---- The type's table of operations, in slot order --------------------
    virtual const char* GetCastName() const { return "Default"; }
    // Object type id, also the number of the type's portrait image.
    virtual int32_t GetObjectTypeId() const { return 0; }
    virtual float GetMaxHitPoints() const { return 50.0f; }
    // False when the unit left its player's list during the call.
    virtual bool Animate(int32_t ticks)
    {
        (void)ticks;
        return true;
    }
    virtual void SetModelByAnimation() {}
    virtual bool CanAttackUnits() const { return false; }
    virtual bool IsRanged() const { return false; }
    virtual bool IsShip() const { return false; }
    // TENUMUNITCAST of the unit.
    virtual int32_t GetCastID() const { return 0; }
    // 1 land, 2 water.
    virtual int32_t GetMoveLayer() const { return 0; }
    virtual bool IsCarryingGoods() const { return false; }
    // Footprint edge in blocks; the centre block is (x + size / 2, y + size / 2).
    virtual int32_t GetSize() const { return 1; }
    virtual bool IsMachine() const { return false; }
    // A living being, which a priest may heal.
    virtual bool IsHealable() const { return false; }
    virtual void Render() {}
    virtual void RenderDetailsOnPanel() {}
    virtual bool CanBeCaptured() const { return true; }
    // 1 blood, 2 and 3 debris, 0 none.
    virtual int32_t GetHitEffectKind() const { return 0; }
    virtual bool CanStarve() const { return true; }
    // Score for the owner while the unit lives, and for the killer.
    virtual int32_t GetPointValue() const { return 0; }
    virtual void PlayHitSound(int32_t damageType) { (void)damageType; }
    virtual SSoundPair GetSoundPair1() const { return {255, 1}; }
    virtual SSoundPair GetSoundPair2() const { return {255, 1}; }
    virtual SSoundPair GetSoundPair3() const { return {255, 1}; }
    // Draws the dead unit for its corpse.
    virtual void RenderAt(float dieWeight, float corpseWeight, int32_t level)
    {
        (void)dieWeight;
        (void)corpseWeight;
        (void)level;
    }
    virtual void onCommand(CUnit* targetUnit, CBuilding* targetBuilding, CBuilding* targetObject, int32_t x,
                           int32_t y, int32_t command)
    {
        (void)targetUnit;
        (void)targetBuilding;
        (void)targetObject;
        (void)x;
        (void)y;
        (void)command;
    }
    virtual void onMoveEnd() {}
    virtual void onPerformAction() {}
    virtual void SeekTargetOnPatrol(int32_t a, int32_t b, bool* found)
    {
        (void)a;
        (void)b;
        *found = false;
    }
    virtual void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
    {
        (void)attackerUnit;
        (void)attackerBuilding;
    }
    virtual void onTargetLost(CUnit* unit, CBuilding* building)
    {
        (void)unit;
        (void)building;
    }
    virtual void onEnemySighted(CUnit* enemy) { (void)enemy; }
    virtual void onIdle() {}
    virtual void onScriptCommand(int32_t command) { (void)command; }
    virtual void onShown() {}
    virtual void onHidden() {}
    // A computer player's unit steps aside from an incoming catapult stone.
    virtual void onAIIdle(int32_t unused, bool wide);
    // Attack and range: writes base and bonus, returns their sum.
    virtual int32_t GetAttack(int32_t* base, int32_t* bonus) const;
    virtual int32_t GetAttackRange(int32_t* base, int32_t* bonus) const;
    virtual int32_t GetSightRadius() const { return 6; }
    virtual int32_t GetMinAttackRange() const { return 0; }
    // Damage taken per point of attack, by damage-type group.
    virtual float GetDamageFactorA() const { return 1.0f; }
    virtual float GetDamageFactorB() const { return 1.0f; }
    virtual float GetDamageFactorC() const { return 1.0f; }
    virtual float GetAttackAnimSpeed() const { return 0.0f; }
    virtual bool AcceptGarrison(CUnit* unit)
    {
        (void)unit;
        return false;
    }
    virtual bool EnterBuilding(CBuilding* building)
    {
        (void)building;
        return false;
    }
    // What one worker repair cycle on this unit costs; types that cannot be
    // repaired leave the outputs as they are.
    virtual void GetRepairCost(float* wood, float* stone, float* gold) const
    {
        (void)wood;
        (void)stone;
        (void)gold;
    }
    // The type's own state after the base record of a saved game; a type
    // that refuses what it reads returns false (or sets the stream's error).
    virtual void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
    {
        (void)stream;
        (void)references;
    }
    virtual bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
    {
        (void)stream;
        (void)references;
        return true;
    }

    // ---- Life on the map (C_Unit.cpp) --------------------------------------
    // Puts the unit on the map (footprint, sight, enemies told, stopped) or
    // takes it off (sight withdrawn, every reference to it dropped).  The
    // state the unit already has is a check report and changes nothing; a
    // footprint that leaves the map is refused with a check report.
    void ShowUnit(bool show);
    // Takes the unit off the map while it stays drawable where it fell (the
    // end of a death).  Only the first call does anything.
    void RefreshVisibility();
    // The death bookkeeping: health 0, every reference dropped, a ship
    // that carries the unit puts it out of its cargo, the selection lets
    // go, the Die animation starts.  Only the first call does anything.
    void RemoveFromWorld(bool notify);
    // Every unit and building of every player, the computer players and
    // the selection let go of this unit: what any unit leaving the game
    // needs before it goes to deferred deletion.
    void ForgetEverywhere();
    // Clears the unit's orders; nothing for a dead unit.
    void Stop();
    // Drops this unit's references to a unit or building leaving the map.
    void onUnitRemoved(CUnit* unit);
    void onBuildingRemoved(CBuilding* building);

    // ---- Hits, damage and death (C_Unit_Damage.cpp) --------------------------
    // Every hit on a unit: the network rule, then ApplyHit.  attacker may be
    // null (traps, spells without a caster).  A damage type outside 1 to 9
    // changes no health.
    void TakeHit(CUnit* attackerUnit, int32_t amount, TENUMDAMAGETYPE damageType, bool retaliate);
    // Applies a hit on this machine (also the receiver of command 43).
    void ApplyHit(CUnit* attackerUnit, int32_t amount, TENUMDAMAGETYPE damageType, bool retaliate);
    // Empties the list, then fills it with the units of this unit's player
    // that follow it, in list order.
    void CollectFollowers(CUnitList& followers) const;
    void AlertToAttacker(CUnit* attackerUnit);
    // The end of the Die animation: the unit becomes a corpse held by the
    // particles, leaves its player's list and the map.  Only the first call
    // does anything.
    void FinishDeath();
    // Advances the Die animation by `frames`; at the last of `frameCount`
    // frames the death finishes.  False when the unit left its list.
    bool AnimateDeath(float frames, float frameCount);
    // Dying or already a corpse.
    bool IsDying() const { return m_Life == UnitLife::Dying || m_Life == UnitLife::Corpse; }
    // Alive and not dying: a shooter may have died while its projectile
    // flew, and a dying unit is no one to strike back at or run from.
    static bool IsActiveAttacker(const CUnit* attacker)
    {
        return attacker != nullptr && attacker->IsAlive() && !attacker->IsDying();
    }

    // ---- Conversion and boarding (C_Unit_Conversion.cpp) -------------------
    // Hands the unit to another player.  False, with nothing changed, for a
    // dying unit, the same owner, a bad index, a unit off its owner's list or
    // a full list of the new owner.
    bool ConvertToPlayer(int32_t newPlayer, bool showMessage);
    // Boards the transport when it accepts the unit; false when it refuses.
    bool BoardTransport(CUnit* transport);

    // ---- Saved state (C_Unit_Save.cpp) ----------------------------------------
    // The base record, then the type's own part.  Links are written as the
    // table's ids.  False when the stream failed.
    bool SaveGame(CSaveStream& stream, const CObjectReferences& references) const;
    // Reads the same record after every object of the game has been made
    // again; every value is checked before the unit takes any of it.  False,
    // with a log line and the stream's error flag set, for a damaged record.
    bool LoadGame(CSaveStream& stream, const CObjectReferences& references);

    // ---- Capture by contact and traps underfoot (C_Unit_Capture.cpp) ---------
    // Most units, and most buildings, that one step asks the host to capture.
    static constexpr int32_t MaxCaptureRequests = 32;
    // Takes over the units and buildings on the contact ring whose owners
    // are neutral or defeated (player types 0 and 4), and whatever touches
    // those in turn.  Only where this unit is owned: in single player and
    // on the host at once, on a client by asking the host.
    void CaptureAdjacent();
    // Single player or host: an enemy trap under the footprint is destroyed
    // by a machine, or sprung by a living unit when it is finished.  True
    // when a trap was sprung.
    bool CheckTrapUnderfoot();
    // The trap springs on this unit, which dies on it (on the machine that
    // owns the unit).
    void SpringTrap(CBuilding* trap);
    // Whether this unit, standing on the map and alive, may take the unit
    // or building by contact: a living one of a neutral or defeated player
    // other than its own that may be captured (where it stands aside).
    bool MayCaptureUnit(const CUnit& unit) const;
    bool MayCaptureBuilding(const CBuilding& building) const;
    // The host took `unit` over for this unit's player with a new unique
    // id (command 74); a unit owned here goes on capturing from it.
    void OnNetworkConvertUnit(CUnit* unit, int32_t newUniqueId);
    // The host took the building over for this unit's player (command 76).
    void OnNetworkConvertBuilding(CBuilding* building);

    // ---- Queries (C_Unit.cpp) ----------------------------------------------
    // Living hit points: maximum x (health - starvation) x 0.01, truncated.
    int32_t GetLivingHitPoints() const;
    bool IsAlive() const { return GetLivingHitPoints() >= 1; }
    // Whether that player counts this unit's owner as a friend.
    bool IsAlliedWith(int32_t playerIndex) const;
    bool IsVisibleToLocalPlayer() const;
    int32_t GetCentreCellX() const { return x + GetSize() / 2; }
    int32_t GetCentreCellY() const { return y + GetSize() / 2; }
    // Island or ocean id under the centre cell, -1 off the map.
    int32_t GetRegionId() const;
    bool IsFootprintRegistered() const { return m_FootprintRegistered; }
    UnitLife GetLife() const { return m_Life; }
    // The unit log: identity, owner, position, type and action buffer, with
    // the target building's own log (C_Unit_Log.cpp).
    void WriteLog() const;

    // ---- Orders, health and sight (C_Unit.cpp, C_Unit_Sight.cpp) ----------
    // Queued waypoints beyond MaxWaypoints are dropped.
    void AddWaypoint(int32_t wx, int32_t wy);
    // starvation += amount x 0.1, clamped 0 .. 100; hunger never takes the
    // last hit point.  Returns the living hit points.
    int32_t AddStarvation(float amount);
    // Adds amount hit points; true while health stays below 100.
    bool Heal(float amount);
    // The sight pattern of the radius in use at the centre cell, +1 or -1.
    void ApplySight(int32_t sign);
    // Moves the sight pattern in use from the old centre cell to the
    // current one.
    void MoveSight(int32_t oldCentreX, int32_t oldCentreY);
    // After a technology changed the sight radius.
    void RefreshSight();
    // Explores the unit's surroundings for its owner.
    void RevealFog();
    void NotifyEnemiesInSight();
    // The disc pattern of a radius for this unit's footprint (odd or even).
    const CRangeTable* SightPattern(int32_t radius) const;

    // ---- The action buffer (C_Unit_Commands.cpp) ----------------------------
    // Fills the buffer with an order (pending); target kind TARGET_CHOOSE
    // picks it from the targets.  Nothing, with a check report, off the map.
    void InitAction(CUnit* newTargetUnit, CBuilding* newTargetBuilding, CBuilding* newTargetObject, int32_t tx,
                    int32_t ty, int32_t command, int32_t kind, bool isThreaded, bool isRanged);
    // Asks the path finder for the route to the buffered target.
    void StartPath();
    // Hands a due action of that phase (false: orders, true: follow-ups)
    // to the unit type; true when it did.
    bool PerformAction(bool isThreaded);
    bool IsTargetReached();
    bool IsTouchingUnit(const CUnit& other) const;
    bool IsAdjacentToBuilding(const CBuilding* building) const;
    bool IsAdjacentToRegion(int32_t region) const;
    void ResumeAction();
    void RestartAction();
    void StoreReturnPoint();
    void ResumeGuardOrPatrol();

    // ---- Walking and network moves (C_Unit_Walk.cpp; the network action
    // events in C_Unit_NetworkEvents.cpp) ---------------------------------------
    static constexpr int32_t MaxTileRetries = 20;
    // Test results of a tile.
    static constexpr int32_t TileFree = 0;
    static constexpr int32_t TileHeldByMovers = 1;
    static constexpr int32_t TileBlocked = 2;
    // Cell offsets and facings of the eight path directions.
    static constexpr int32_t DirectionDX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int32_t DirectionDY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    static constexpr int32_t DirectionFacing[8] = {180, 135, 90, 45, 0, 315, 270, 225};
    // Ticks of one step at the speed (blocks per tick), 32-bit float as the
    // game computes it; at least 1, and 0 (no step at all) for a speed that
    // is not above 0.
    static int32_t StepTicksFor(float blocksPerTick, bool diagonal);
    // Once per frame with the simulation ticks elapsed since the last one.
    void UpdateActionBuffer(int32_t ticks);
    void RequestNextTile();
    void StepToTile(int32_t tx, int32_t ty, int32_t newFacing);
    void SetTile(int32_t tx, int32_t ty);
    // TileFree, TileHeldByMovers or TileBlocked for this unit's footprint
    // at (tx, ty); any cell off the map blocks.
    int32_t TestTileFree(int32_t tx, int32_t ty) const;
    void GetNextTile(int32_t* nextX, int32_t* nextY) const;
    void GetStepTargetCentre(float* cx, float* cy) const;
    // The host's answer to this unit's tile request (command 58).
    void OnNetworkMoveResponse(int32_t tx, int32_t ty, int32_t newFacing, int32_t result, int32_t direction);
    // The owner's machine started an action of this unit (command 34):
    // animation, target and the block it stands on.  A unit owned here, a
    // dying one or an event out of range changes nothing.
    void OnNetworkAction(int32_t animation, CUnit* newTargetUnit, CBuilding* newTargetBuilding, int32_t tx,
                         int32_t ty, int32_t kind, bool isTornApart);
    // Host only: a client's tile request for this unit (command 57), sent
    // by the machine of `sender`.  Answers and applies the result.
    void OnNetworkMoveRequest(int32_t sender, int32_t tx, int32_t ty, int32_t newFacing, int32_t direction);

    // ---- Facing, following, target search (C_Unit_Facing.cpp) ---------------
    void SetDirection(int32_t angle, bool notify);
    void TurnTowards(bool exact, float tx, float ty, float extra);
    void TurnStep(int32_t ticks);
    void UpdateFollow(int32_t ticks);
    void FindTargetInRange(const CRangeTable& pattern, CUnit** foundUnit, CBuilding** foundBuilding,
                           bool buildingsFirst) const;

    // ---- Unit-type kit: models, sounds, shared combat bodies -------------
    // (C_Unit_Kit.cpp, C_Unit_Melee.cpp, C_Unit_MeleePatrol.cpp)
    // The global model record of the current model number; null when the
    // model table is not loaded or the number is outside it.
    CModelRecord* GetModelRecord() const;
    // The colour of the owner's player: the slot of the model textures that
    // were loaded in that player's colour, which the drawing sets in the
    // model record before each draw.
    int32_t GetPlayerColour() const;
    // Plays one of `variants` samples from `sample` at the unit's tile: full
    // volume where the local player sees the tile, half volume for a unit of
    // a friend of the local player elsewhere, else not at all.  `flag` goes
    // through to the sample bank.
    void PlaySoundAt(int32_t sample, int32_t variants, int32_t flag) const;
    // Broadcasts the animation change (command 34) in a network game when
    // this machine owns the unit.
    void SendAnimationChange() const;
    // Throws the common body parts plus `extra` from the centre, 40 above the
    // ground: base angle random(360), speed random(speedSpread) + speedBase.
    void ThrowBodyParts(const SBodyPart* extra, int32_t extraCount, int32_t speedSpread,
                        int32_t speedBase) const;
    // The shared fighting bodies the unit types' operations call (the table
    // of their users is CUnitBehaviourTable).  With `fromRange` (the units
    // that shoot) every fight order the unit gives itself stops where the
    // target lies in range, and an enemy in sight renews a running attack on
    // it whatever the animation.
    void MeleeOnCommand(CUnit* newTargetUnit, CBuilding* newTargetBuilding, int32_t tx, int32_t ty,
                        int32_t command);
    void MeleeOnIdle(bool fromRange = false);
    void MeleeOnEnemySighted(CUnit* enemy, bool fromRange = false);
    // Variant B tests the stance in its second step; variant A does not.
    void MeleeOnAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding, bool variantB, bool fromRange = false);
    // Wind-down: the rest of the swing, then Stop.  Halt: Stop at once.
    void WindDownOnTargetLost(CUnit* unit, CBuilding* building);
    void HaltOnTargetLost(CUnit* unit, CBuilding* building);
    void MeleeSeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged, bool rider, bool fromRange = false);
    // `extraDegrees` turns riders past their target; `sourceLine` names the
    // type's check in the log of a non-local unit.
    void MeleeOnPerformAction(float extraDegrees, int32_t sourceLine, const char* sourceFile);
    void MeleeOnMoveEnd();
    // Whole blocks between the unit's centre and a block.
    int32_t BlocksTo(int32_t blockX, int32_t blockY) const;
    // (C_Unit_Damage.cpp) A hit whose kill is credited to `attackerPlayer`
    // even when the attacker itself is gone (a projectile outliving its
    // shooter); -1 none.
    static constexpr int32_t NoAttackerPlayer = -1;
    void TakeHitFrom(CUnit* attackerUnit, int32_t attackerPlayer, int32_t amount, TENUMDAMAGETYPE damageType,
                     bool retaliate);
    void ApplyHitFrom(CUnit* attackerUnit, int32_t attackerPlayer, int32_t amount, TENUMDAMAGETYPE damageType,
                      bool retaliate);

    // ---- Screen rectangle of the last drawing (rubber-band selection) ------
    // Left, top, right, bottom on the virtual screen, set where the unit is
    // drawn; empty (right below left) until it has been drawn once.
    int32_t screenRect[4] = {0, 0, -1, -1};
    // Shown, alive, and its screen rectangle meets the band (edges touching
    // count); the band's corners in order.  The rectangle is that of the
    // model at its render position; a unit without a model to place keeps
    // the rectangle of its last drawing (C_Unit_Pick.cpp).
    bool IsInScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const;

    // ---- Decals, panel, picking and debug output ----------------------------
    // (C_Unit_Draw.cpp, C_Unit_Panel.cpp, C_Unit_Pick.cpp, C_Unit_Debug.cpp)
    // Selection circle kinds; any other kind draws black.
    static constexpr int32_t CircleWhite = 1;
    static constexpr int32_t CircleYellow = 2;
    static constexpr int32_t CircleGreen = 3;
    static constexpr int32_t CircleRed = 4;
    // Decals draped over the terrain under a unit on the map: the selection
    // circle in the kind's colour, and the blob shadow.
    void RenderSelectionCircle(int32_t kind) const;
    void RenderShadow() const;
    // Image number of the icon of the current command, or -1 (other
    // players' units, the option off, no command).
    int32_t GetCommandIcon() const;
    // Portrait with its top-left corner at (px, py), health bar under it
    // and command icon over its bottom.
    void RenderHealthBar(int32_t px, int32_t py) const;
    // The unit's part of the command panel; `typeName` is shown when the
    // unit has no name of its own.
    void RenderInfoPanel(const char* typeName) const;
    // Depth of the unit's model under the screen point, or -1.0; the model's
    // rectangle is kept in screenRect.
    float HitTestScreenPoint(int32_t sx, int32_t sy);
    // The debug panel, and its lines in drawing order.
    struct SDebugLine
    {
        int32_t x;
        int32_t y;
        CString text;
    };
    void RenderDebugInfo() const;
    std::vector<SDebugLine> GetDebugLines() const;
    // The game controller's blink flag, which the portrait's flash follows
    // while the unit is under attack; the controller sets it each frame.
    static inline uint8_t panelBlink = 0;

    // ---- Fields read and written by the world ------------------------------
    uint8_t onMap = 0;            // visible: standing on the map and drawn
    float centreX = 0.0f;         // centre of the footprint, in blocks
    float centreY = 0.0f;
    int32_t x = 0;                // block of the footprint's top-left corner
    int32_t y = 0;
    float health = FullHealth;    // percent of the type's maximum hit points
    float starvation = 0.0f;      // percent, 0 to 100
    int32_t player = 0;           // owner's index, 0 to 7
    int32_t reserved = 0;
    int32_t facing = 0;           // degrees the unit is to face
    int32_t shownFacing = 0;      // degrees the model is drawn with
    uint8_t pathFlag = 0;         // moving: walking a found route
    float speed = 0.0f;           // blocks per tick
    int32_t specialId = 0;        // SELECTION_SET_SPECID
    uint8_t attackEventArmed = 1;
    CString customName;           // empty: the panel shows the type's name
    int32_t networkRef = -1;
    int32_t uniqueId = -1;        // given by the player at creation, unique within it
    int32_t scriptWatcher = 0;    // "Custom ai data:"

    // The action buffer.
    uint8_t aiOrderPending = 0;
    int32_t formationOffsetX = 0;
    int32_t formationOffsetY = 0;
    int32_t patrolAX = 0;
    int32_t patrolAY = 0;
    int32_t patrolBX = 0;
    int32_t patrolBY = 0;
    uint8_t route[RouteCapacity] = {};
    int32_t routeEnd = 0;         // path length, steps held in route
    int32_t currentStep = 0;
    int32_t moveDestX = 0;
    int32_t moveDestY = 0;
    float stepDeltaX = 0.0f;
    float stepDeltaY = 0.0f;
    int32_t stepTicks = 0;
    int32_t retryCounter = 0;
    int32_t waypoints[MaxWaypoints][2] = {};
    int32_t waypointCount = 0;
    uint8_t awaitingMoveAnswer = 0;
    int32_t animType = ANIM_STAND;  // TENUMUNITANIM
    float animFrame = 0.0f;
    int32_t model = 0;
    uint8_t tornApart = 0;          // the action flag
    CUnit* actionTargetUnit = nullptr;
    CBuilding* actionTargetBuilding = nullptr;
    int32_t orderState = 0;
    int32_t currentCommand = 0;     // TENUMUNITCOMMAND, 0 none, 3 patrol
    uint8_t ready = 1;
    uint32_t deadline = 0;
    uint8_t performed = 0;
    CUnit* targetUnit = nullptr;
    CBuilding* targetBuilding = nullptr;
    CBuilding* targetObject = nullptr;
    int32_t targetX = 0;
    int32_t targetY = 0;
    int32_t targetKind = 0;
    uint8_t stopped = 0;
    uint8_t threaded = 0;
    uint8_t ranged = 0;
    int32_t objectResourceKind = 0;
    int32_t minRange = 0;
    int32_t maxRange = 0;
    int32_t approachX = 0;
    int32_t approachY = 0;
    int32_t stance = STANCE_STAND_GROUND;  // TENUMSTANCE
    CUnit* attacker = nullptr;
    int32_t returnX = -1;
    int32_t returnY = 0;
    int32_t lastOrder = 0;

    int32_t sightRadiusInUse = 0;
    uint32_t lastHitTime = 0;       // tick count, 0 none
    CUnit* followedUnit = nullptr;
    int32_t followCountdown = 1;
    float renderPosition[3] = {};

    // Read by the players, the map writer and the scripts.
    int32_t controlGroup = 0;       // 0 none, 1 to 9
    int32_t scriptTag = 0;          // non-zero when a script named the unit
    int32_t listIndex = -1;         // index in the owner's unit list, -1 outside it

private:
    bool WalkOneTick();
    void ArriveAtTileCentre();
    void FinishPath();
    void StandAndWait();
    void GiveUpBlockedTile();
    bool IsValidStep(int32_t tx, int32_t ty, int32_t direction) const;

    void PlaceFootprint(bool place);
    bool FootprintInsideMap() const;
    void AddSightAndScan();
    void ScanSight(int32_t radius);
    void DropEveryReference(bool tellAI);
    void LeaveCarrier();
    void SpawnHitEffect(float percentLost);
    void MarkAsConverted(bool showMessage);
    void ReleaseFromNewFriends();
    void RefreshFogArea(int32_t radius);

    bool m_FootprintRegistered = false;
    UnitLife m_Life = UnitLife::Created;
};
