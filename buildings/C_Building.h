#pragma once
// Base class of every building, resource site and decoration object: the
// objects that stand on the map's block grid and never move.  It is owned by
// its player and deleted only through deferred deletion (CPtrGarbage),
// through this virtual destructor, once everything has let go of it.
//
// Life on the map: PlaceOnMap claims the footprint, RemoveFromMap takes it
// off again (and may be called any number of times), BuildingFinished counts
// a completed building, and TakeDown is the one way out of the world that
// every kind of removal goes through.  Coordinates are blocks; the footprint
// is GetWidth() x GetDepth() blocks from (x, y), its terrain corners
// (width + 1) x (depth + 1).  Main thread only.

#include <cstdint>
#include <vector>

#include "units/C_DamageTypeTable.h"

class CPlayer;
class CUnit;
class CUnitStats;
class CTechnology;
class CModelRecord;
class CObjectReferences;
class CSaveStream;

// One place where fire may break out on a damaged building.
struct CFirePosition
{
    float threshold;   // health percent below which it burns
    float offset[3];   // x (blocks), height above the corner block, y (blocks)
    float size;        // fire size, also its weight in the fire level
    int32_t particle;  // burning fire particle, -1 for none
};

class CBuilding
{
public:
    static constexpr float FinishedProgress = 100.0f;
    static constexpr float StartProgress = 0.1f;
    static constexpr float FullHealth = 100.0f;
    static constexpr int32_t QueueCapacity = 28;
    static constexpr int32_t MaxFootprintSide = 7;
    static constexpr int32_t MaxCornerSide = MaxFootprintSide + 1;
    static constexpr int32_t NoRally = -1;
    static constexpr int32_t NoParticle = -1;
    // An object of this owner index draws with the renderer's pulse as the
    // tint of its model (the trap's ground pulses red as well).
    static constexpr int32_t PulsingOwner = 9;

    // Values of the record before a factory gives it a place and an owner.
    CBuilding();
    CBuilding(int32_t blockX, int32_t blockY, int32_t ownerIndex);
    // Frees the fire positions and a production unit still held.
    virtual ~CBuilding();

    CBuilding(const CBuilding&) = delete;
    CBuilding& operator=(const CBuilding&) = delete;

    // ---- The 61 operations every type may answer for itself, in order ----
    virtual const char* GetName() const { return "Default"; }
    virtual int32_t GetIconIndex() const { return 0; }
    virtual int32_t GetMaxHitPoints() const { return 4000; }
    virtual int32_t GetWidth() const { return 1; }
    virtual int32_t GetDepth() const { return 1; }
    // One construction step; true while still under construction.
    virtual bool Construct(float amount, bool instant);
    // The construction step as a founder calls it: a step of 0 opens the
    // site (its dust and first stage).
    bool AddBuildProgress(float amount, bool instant) { return Construct(amount, instant); }
    // A building the map file gives a player stands as the map has it: the
    // construction step with the map's arguments, where (0, instant)
    // finishes it without news.  True while still under construction.
    bool OnMapPlaced(float amount, bool instant);
    virtual void OnHealthChanged() {}
    // A corner whose terrain texture placing resets to the base texture.
    virtual bool IsSolidCell(int32_t i, int32_t j) const;
    // Height of the building's surface at a world point, -1.0 for none.
    virtual float GetHeightAt(float worldX, float worldY) const;
    virtual bool IsInScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // TENUMBUILDCAST (6 tower, 9 wall, 10 resource site, 11 keep, 13 docks,
    // 18 decoration).
    virtual int32_t GetBuildCast() const { return 0; }
    // Draws the building; collapse is 0 for a standing one and grows while
    // it collapses.
    virtual void Render(float collapse) { (void)collapse; }
    virtual void Trigger(int32_t signal) { (void)signal; }
    virtual void RenderDetailsOnPanel() {}
    virtual void RenderPanelButtons() {}
    virtual float GetRepairRate() const { return 1.0f; }
    // The material one work step costs; the caller's values stay where the
    // type has no cost.
    virtual void GetWorkCost(float* wood, float* stone, float* gold) const;
    // Carries out the command panel's pending building command
    // (g_BuildingCommand); always true.
    virtual bool OnPanelCommand();
    // With x and y set beforehand: whether the building may stand there for
    // the player.  margin is the ring of blocks around the footprint that
    // must hold nothing larger than 1 x 1; the two flags add the reserved
    // cells and the player's exploration to the test.
    virtual bool CanPlaceAt(int32_t playerIndex, int32_t margin, int32_t checkReserved,
                            int32_t checkExploration) const;
    // The type record whose price demolition refunds.
    virtual const CUnitStats* GetPriceRecord() const;
    // The last step of destruction.
    virtual void OnDestroyed() {}
    virtual void GetTargetPosition(float* position) const;
    // Walkable while still unfinished.
    virtual bool IsPassable() const { return false; }
    // Belongs in its player's building list (the wall does not).
    virtual bool IsListed() const { return true; }
    // A priest's conversion may take it.
    virtual bool CanBeConverted() const { return true; }
    // The end of PlaceOnMap: a decoration's lasting effects start.
    virtual void OnPlaced() { StartEffects(); }
    // Starts a decoration's lasting effect (a torch's flame, a fountain's
    // water); none for most kinds.  Map loading calls it for the decorations
    // it lays out without PlaceOnMap.
    virtual void StartEffects() {}
    virtual void OnOwnerChanged(int32_t previousOwner) { (void)previousOwner; }
    // Extra blocks around the footprint that the map counts as near it.
    virtual int32_t GetClearance() const { return 0; }
    // The same margin under the name the map's services know it by.
    int32_t GetFootprintBorder() const { return GetClearance(); }
    // True for the town buildings but the warehouse, trap and docks.
    virtual bool IsTownBuilding() const { return false; }
    // The production trait that CPlayer::Init records per cast.
    virtual bool IsScriptCounted() const { return false; }
    // How the map draws it: 2 most, 1 walls and plain sites, 0 traps.
    virtual int32_t GetDrawClass() const { return 2; }
    // A finished building adds its footprint to the owner's sight.
    virtual bool GivesSight() const { return true; }
    virtual bool IsOnIsland(uint16_t islandId) const { return GetIslandId() == islandId; }
    // Called when the build progress reaches 100.0; the building types
    // call BuildingFinished from here.
    virtual void OnFinished() {}
    virtual int32_t GetPointValue() const { return 0; }
    virtual void OnHit(TENUMDAMAGETYPE damageType) { (void)damageType; }
    virtual void GetSelectSound(int32_t* sample, int32_t* variants) const;
    // Damage taken per damage-type group: 1 and 6; 2, 3 and 7; 4, 8 and 9.
    virtual float GetDamageFactor1() const { return 0.0f; }
    virtual float GetDamageFactor2() const { return 0.0f; }
    virtual float GetDamageFactor3() const { return 1.0f; }
    virtual void GetHitDebris(int32_t* first, int32_t* second) const;
    // The amount left in a resource site, 0 for other buildings.
    virtual int32_t GetAmount() const { return 0; }
    // TENUMRESOURCE of a resource site (2 tree, 3 rock, 4 gold mine), else 0.
    virtual int32_t GetResourceKind() const { return 0; }
    // Takes one unit of goods out of a resource site; what was taken.
    virtual int32_t TakeOne() { return 0; }
    virtual void SetAmount(int32_t amount) { (void)amount; }
    // The amount under the names the map and player services use.
    int32_t GetResourceAmount() const { return GetAmount(); }
    void SetResourceAmount(int32_t amount) { SetAmount(amount); }
    // TENUMTREECAST of a tree, else 0.
    virtual int32_t GetTreeCast() const { return 0; }
    // Workers may deliver goods here.
    virtual bool IsStorage() const { return false; }
    // Every simulation step; false when the building left its owner's list
    // during the call.
    virtual bool Animate(float elapsed);
    virtual void onEnemySighted(CUnit* enemy) { (void)enemy; }
    virtual void onUnitRemoved(CUnit* unit) { (void)unit; }
    virtual void UpdateJoint() {}
    // PlaceOnMap calls it: walls join their neighbours.
    virtual void JoinNeighbours() {}
    virtual void OnUnitInside(CUnit* unit) { (void)unit; }
    virtual void Spring() {}
    virtual void SmashEffect() {}
    virtual bool IsTrapVisible() const { return false; }
    virtual bool IsShownOnMinimap() const { return true; }
    virtual bool IsGate() const { return false; }
    // The type's own state after the base state of a saved game.
    virtual void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
    {
        (void)stream;
        (void)references;
    }
    virtual bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references);
    virtual void RegisterReferences() {}

    // ---- Decorations add three ---------------------------------------------
    // TENUMDECORBUILDCAST of a decoration, else 0.
    virtual int32_t GetDecorationKind() const { return 0; }
    // width x depth characters, row by row, '1' = occupied; empty for the
    // buildings that fill their footprint.
    virtual const char* GetFootprintMask() const { return ""; }
    // 1 when a decoration shades the ground beside it.
    virtual int32_t CastsShadow() const { return 0; }

    // ---- Queries of the world around the record -----------------------------
    // Whether a footprint block is occupied: the mask for a decoration,
    // every block for the others.
    virtual bool IsFootprintCell(int32_t dx, int32_t dy) const;
    virtual int32_t GetMargin() const { return GetClearance(); }
    // A tree or mine that can still be harvested.
    virtual bool CanBeMined() const { return false; }

    // ---- Placing and removing (C_Building_Map.cpp) ---------------------------
    // Claims the footprint.  False, with a log line and nothing changed, when
    // the building is on the map already or its footprint leaves the map.
    bool PlaceOnMap();
    // Takes the building's marks off the map.  Blocks are cleared only where
    // they still hold this building; a building that is not on the map is
    // left alone, so a second call changes nothing.
    void RemoveFromMap();
    // The completion step, counted once.
    void BuildingFinished();
    // The one way a building leaves the world, whatever removes it: off the
    // map, out of its owner's counts and list, its references dropped, and
    // handed to deferred deletion.  False (and nothing done) the second time.
    bool TakeDown(bool tellScript);
    bool IsTakenDown() const { return takenDown != 0; }
    // A worker's dismantling: the take-down with the computer players told
    // and the last step of destruction, as destruction has them.  False
    // (and nothing done) the second time.
    bool TakeDownDismantled();

    // ---- Damage, fire and destruction (C_Building_Damage.cpp) ---------------
    // A hit with the network rule: a hit by another machine's unit is that
    // machine's to send.  What ApplyDamage returns.
    bool OnAttacked(CUnit* attackerUnit, int32_t amount, TENUMDAMAGETYPE damageType, bool alert);
    // False when the building was destroyed already or the hit changed
    // nothing; true when it changed the health or destroyed the building.
    bool ApplyDamage(CUnit* attackerUnit, int32_t amount, TENUMDAMAGETYPE damageType, bool alert);
    // Fires start below their thresholds and go out above them on a
    // finished building; returns the new fire level.
    int32_t UpdateFireEmitters();
    // Frees every fire particle; the positions hold none afterwards.
    void RemoveFirePit();
    // The destruction: the take-down, then a ruin that holds the building
    // until it is deleted.  Only the first call does anything.
    void Destroy(bool broadcast);
    // True while the building still needs repair after this call.
    bool Repair(float amount);
    // Placed, or holding at least one block of its footprint.
    bool IsOnMap() const;
    // The owner's demolition: the take-down, the price of the building's
    // type record back to the owner, a ruin.  Only the first call does
    // anything.
    void Demolish();

    // ---- Conversion (C_Building_Conversion.cpp) ------------------------------
    // Hands the building to another player, finished or not.  The queue
    // goes with it, to be trained for the new owner; the old owner's
    // research is paid back to it and its finished unit waiting inside is
    // made again for the new owner.  False, with nothing changed, for a bad
    // index, the same owner, or a building that is destroyed or taken down.
    bool ConvertToPlayer(int32_t newOwner, bool announce);
    // Adds (+1) or removes (-1) the footprint in the owner's building sight.
    void UpdateOwnerSight(int32_t sign);
    // Lets that player (-1: the local one) see the footprint.
    void ApplySight(int32_t playerIndex);
    // +1: an unfinished building of the local player marks its footprint on
    // its owner's construction-site map while fog of war is on, so that the
    // site counts as seen; -1 takes that mark back.  Only what was marked is
    // taken back, and nothing is marked twice.
    void AddConstructionMark(int32_t delta);
    // The mark the building's state asks for, on a construction-site map
    // that holds none of it (a loaded game's).
    void RestoreConstructionMark();

    // ---- Production queue and research (C_Building_Production.cpp) ----------
    // Production states shown by the panel.
    static constexpr int32_t ProductionIdle = 0;
    static constexpr int32_t ProductionRunning = 1;
    static constexpr int32_t ProductionResearching = 2;
    static constexpr int32_t ProductionNoExit = 3;
    static constexpr int32_t ProductionNeedsHouses = 4;
    static constexpr int32_t ProductionPopulationMaximum = 5;
    static constexpr int32_t ProductionWaitingForHost = 6;

    // Pays for the item and puts it at the end of the queue.  False, with
    // the local player told why, when the queue is full or the owner cannot
    // pay; a tower also refuses archers beyond its five places.
    bool EnqueueItem(const CUnitStats* item);
    // Pays for the technology (0 .. 60) and links the owner's research
    // state to this building: 1 when started.  0, with nothing paid, when
    // the owner cannot pay, this building is busy with a research or a
    // started unit, or the technology is researched or researched elsewhere.
    int32_t StartResearch(int32_t technologyIndex);
    // One production step over `ticks` simulation ticks: the research, or
    // the release of a held unit and the work on the head item.
    void UpdateProduction(int32_t ticks);
    // Finds the held unit a way out, or asks the host for one; true when
    // the unit left.
    bool TryReleaseUnit();
    // Puts the held unit out at block (cellX, cellY), also on the host's
    // answer.  False, with a log line and nothing changed, for a unit this
    // building does not hold (a late or repeated answer) or a cell off the
    // map.
    bool ReleaseUnit(CUnit* unit, int32_t cellX, int32_t cellY);
    // Drops the head item once its unit has left (owner's machine only).
    void PopQueue();
    // A click on the building's own block clears the rally point.
    void SetRallyPoint(int32_t blockX, int32_t blockY);
    // The keep's king leaves it (panel command 19); other buildings hold no
    // king.
    virtual bool UngarrisonKing() { return false; }
    // The owner counts the head item among its units in production: a unit
    // item that has started and whose unit is not made yet.
    bool IsHeadInProduction() const;
    // The owner's units in production drop by the head item, if they count
    // it (a destroyed building gives them back).
    void ReturnProductionCount();

private:
    void StepResearch(float work);
    void AdvanceHeadItem(float work);
    bool StartHeadItem();
    void CompleteHeadItem();
    void StationTowerArcher();
    void CancelCurrent();
    void CancelQueueEntry(int32_t slot);
    void RemoveQueueEntry(int32_t slot);
    void DiscardHeldUnit();
    void RefundItem(const CUnitStats* item) const;
    void AnnounceDone(const CUnitStats* item) const;
    void RunKingCommand();

public:
    // ---- Saved state (C_Building_Save.cpp) -------------------------------------
    // The base record, then the type's own part; links as the table's ids.
    // False when the stream failed or the record cannot be written whole.
    bool SaveGame(CSaveStream& stream, const CObjectReferences& references) const;
    // Reads the same record into a building its factory made again; every
    // value is checked before the building takes any of it.  False, with a
    // log line and the stream's error flag set, for a damaged record.
    bool LoadGame(CSaveStream& stream, const CObjectReferences& references);

    // ---- Small queries (C_Building.cpp) ---------------------------------------
    // A free n x n area of the terrain class next to the footprint; the
    // first usable corner is left in point (which is tried first unless it
    // is (-1, -1)).
    bool FindExitCell(int32_t n, int32_t terrainClass, int32_t point[2]) const;
    // The same further out, ring by ring, until the rings lie around the
    // whole map: the nearest free area beyond the exit cells, or false.
    bool FindFreeCellFurtherOut(int32_t n, int32_t terrainClass, int32_t point[2]) const;
    bool IsFriendTo(int32_t playerIndex) const;
    bool IsVisibleToLocalPlayer() const;
    uint16_t GetIslandId() const;
    // The record of the building's model number, or null for none.
    CModelRecord* GetTypeInfo() const;
    int32_t GetOwnerColour() const;
    bool IsFootprintMaskSet(int32_t i, int32_t j) const;
    void InitFirePositions(int32_t capacity);
    void AddFirePosition(float threshold, float offsetX, float height, float offsetY, float size);
    void PlaySound(int32_t sample, int32_t variants, bool loop) const;
    // The hit sound of a damage type: 4 and 9 add the echo on the long row;
    // at 0 hit points the collapse sound plays as well, or instead.
    void PlayHitSound(int32_t damageType, bool longRow, bool collapseInstead) const;
    // The local owner hears the building answer: its select sound when
    // finished, the builders' sound before.  Resource sites are silent.
    void PlaySelectSound() const;
    bool IsFootprintInsideMap() const;
    // The building's lines of a unit log: owner, corner block and cast.
    void WriteLog() const;

    // ---- Command panel details (C_Building_Panel.cpp) --------------------------
    // The standard details under the given name: portrait, owner, and for
    // the local owner hit points, progress, research or queue (the queue
    // icon under the mouse becomes the pending cancel slot) and why
    // production waits.
    void RenderPanelDetails(const char* name);
    // The icon at (x, y); under the mouse it sets the hint.  True then.
    bool RenderPanelIcon(int32_t iconX, int32_t iconY, int32_t icon, int32_t hint) const;

    // ---- Missile hit tests (C_Building_Hit.cpp) -----------------------------------
    // A world point (x and y in blocks, height in world units) inside one of
    // the model's part boxes, bounds included; false without parts.
    bool IsPointInside(float px, float height, float py) const;
    // The first point of the segment (x, height, y each) within 5 model
    // units of a part box, walked in steps of one model unit across the
    // ground; false for a model without parts or a destroyed building.
    bool IntersectSegment(const float from[3], const float to[3], float out[3]) const;

    // ---- Drawing (C_Building_Draw.cpp) ------------------------------------------
    // The shadow texture of the model spread over the footprint and a rim
    // of two blocks on the near side.
    void RenderShadow() const;
    // The footprint outline on the terrain: codes 1 white, 2 yellow,
    // 3 green, 4 red, any other code its own 24-bit colour.
    void DrawOutline(int32_t code) const;
    // The outline's points as x, y pairs: 2 x (width + depth) + 1 of them.
    void GetOutlinePoints(std::vector<float>& points) const;
    // Readies the model record for this object's draw: the pulse as its
    // tint for the pulsing owner, then the colour slot.
    void SetDrawLooks(CModelRecord& record, int32_t colourSlot) const;
    // The local owner's rally flag at the rally block.
    void RenderRallyFlag() const;
    // The developer's overlay of the production state.
    void DumpDebug() const;

    // Living while the whole part of maximum x health x 0.01 is above 0.
    int32_t GetHitPoints() const { return static_cast<int32_t>(GetMaxHitPoints() * health * 0.01f); }
    bool IsAlive() const { return GetHitPoints() > 0; }
    // Whether this machine decides the building's health and end
    // (DecidingSlotOf; every building in a single player game).
    bool IsDecidedHere() const;
    bool IsFinished() const { return buildProgress == FinishedProgress; }

    // ---- The record ------------------------------------------------------------
    int32_t x;                      // footprint corner block (lowest x and y)
    int32_t y;
    float health;                   // percent of the maximum hit points
    float buildProgress;            // percent, exactly 100.0 when finished
    int32_t owner;                  // player index, -1 neutral
    int32_t controlGroup;           // carried by the save format
    uint8_t placed;                 // corners stored by PlaceOnMap
    int32_t scriptTag;              // the map's script id, 0 none
    uint8_t attackEventArmed;
    int32_t model;                  // CModelRecord number
    float animTime;
    const CUnitStats* queue[QueueCapacity];
    int32_t queueCount;
    float progress;                 // percent of the current item or research
    CUnit* productionUnit;          // finished, waiting for an exit cell
    int32_t productionState;        // 0 idle .. 6 waiting for the host
    int32_t rallyX;
    int32_t rallyY;
    int32_t pendingCommand;
    CTechnology* research;          // the owner's research done here, or null
    CFirePosition* firePositions;
    int32_t fireCapacity;
    int32_t fireCount;
    int32_t fireAmount;             // fire level: burning sizes / footprint area
    int32_t savedCornerTextures[MaxCornerSide][MaxCornerSide];
    int32_t savedCornerHeights[MaxCornerSide][MaxCornerSide];
    uint32_t lastAttacked;          // tick count of the last hit
    int32_t exitRequests;
    float drawPosition[3];

    int32_t specialId;
    CUnit* garrisonedUnit;          // a keep's garrison, null when empty

protected:
    // The base height of the building where a world point lies in one of
    // the first `partLimit` part boxes of its model, placed at the origin
    // (blocks); -1.0 elsewhere and for a model without parts.
    float GetHeightInModelBoxes(float worldX, float worldY, float originX, float originY,
                                int32_t partLimit) const;
    bool IsInModelBoxes(float px, float height, float py, float margin) const;
    void RenderRelationLine(const CPlayer* ownerPlayer) const;
    void RenderQueueDetails() const;
    static void QueueIconPosition(int32_t k, int32_t* iconX, int32_t* iconY);
    // Whether the mouse is in the 40 x 40 square at (x, y) of the panel.
    static bool IsPanelMouseIn(int32_t x, int32_t y);
    // The interface image of that number at (x, y), where there is one.
    static void RenderPanelImage(int32_t image, int32_t x, int32_t y);
    // Marks a map block blocked or free while it is still this building's
    // (it may have gone to another building since); nothing off the map.
    void SetBlockBlocked(int32_t blockX, int32_t blockY, uint8_t blocked);
    void RenderProductionNotice() const;

    // What this building has added to its owner's counts and sight, so that
    // it takes away exactly that.
    uint8_t countedAsPlaced;
    uint8_t countedAsFinished;
    uint8_t sightGiven;
    uint8_t constructionMarked;
    uint8_t takenDown;

private:
    void ClaimBlocks();
    void StoreCorners();
    void RestoreCorners();
    void LevelTerrain();
    void ReleaseBlocks();
    void AddOwnerSight(int8_t delta);
    int32_t FinishedSightRadius() const;
    void RefreshAround(int32_t margin) const;
    bool IsExitUsable(int32_t cellX, int32_t cellY, int32_t n, int32_t terrainClass) const;
    bool FindCellOnRing(int32_t n, int32_t terrainClass, int32_t gap, int32_t point[2]) const;
    void ReleaseProductionUnit(bool deferred);
    void DropReferences();
    // The take-down without the hand-off to deferred deletion.
    bool LeaveWorld(bool tellScript);
    void OnDestroyedByDamage(CUnit* attackerUnit);
    void RevealToAttacker(CUnit& attackerUnit);
    void LeaveRubble();
    void RefundPrice(int32_t payer);
    void TellComputerPlayersGone();
    void EndOwnerWork();
    void TakeOverQueue();
};
