#pragma once
// Stands in for the particle system of the projectiles, particles and world
// rendering subsystem: the pool, the minimap markers, the corpses and ruins
// that hold dead objects until they decay, and a record of the effects asked
// for.  Of all these it draws only the corpses, through their units.
//
// Main thread only.  Map points are in blocks; colours 0x00RRGGBB; times in
// simulation ticks.

#include <cstdint>
#include <vector>

#include "units/C_DamageTypeTable.h"

class CBuilding;
class CObjectReferences;
class CReferenceBase;
class CSaveReader;
class CSaveStream;
class CUnit;

struct SMinimapMarker
{
    int32_t x;
    int32_t y;
    uint32_t colour;
};

// One effect particle as it was asked for.
struct SEffectParticle
{
    int32_t kind;     // KindBlood, the debris kind (24, 25, 26) of a smash, or the effect's kind
    float x;
    float y;
    float height;
    bool hidden;
    bool stain;       // blood only: leaves a stain where it lands
    int32_t number = 0;    // floating numbers only: the number shown
    uint32_t colour = 0;   // floating numbers only
};

class CParticles
{
public:
    // The pool the device start-up asks for.
    static constexpr int32_t kDevicePoolSize = 65536;
    // The record of effects asked for and the minimap markers keep only the
    // most recent ones, so that a long game does not grow them for ever: at
    // the limit the older half goes.
    static constexpr int32_t kMostEffects = 8192;
    static constexpr int32_t kMostMinimapMarkers = 256;
    static constexpr int32_t KindBlood = 1;
    // How long a corpse lies and a ruin stands before the object is deleted.
    static constexpr int32_t CorpseTicks = 600;
    static constexpr int32_t RuinTicks = 900;

    // Makes room for `capacity` particles (none below 1), empty.
    void Init(int32_t capacity);
    // Frees the pool; safe without Init and when called twice.  Held corpses
    // and ruins go to deferred deletion.
    void Shutdown();
    // Drops every particle and marker, keeping the pool.  Held corpses and
    // ruins go to deferred deletion.
    void Reset();
    // Moves the corpses and ruins on; those that decay hand their object to
    // deferred deletion.
    void Update(int32_t ticks);

    void AddMinimapMarker(int32_t x, int32_t y, uint32_t colour);
    // Holds a dead unit (its death finished) until the corpse decays.  A unit
    // held already is not held twice.  A hidden corpse is not drawn (a
    // loaded one is drawn: the flag is not saved).
    void AddCorpse(bool hidden, CUnit* unit);
    // Draws each corpse that is not hidden through its unit's RenderAt: the
    // fallen body lies whole over the first third of the corpse's time and
    // fades over the second, leaving the remains, which fade over the last;
    // shaded by the local player's light on its block.
    void RenderCorpses();
    // Holds a destroyed building until the ruin expires.  Held once.
    void AddRuin(CBuilding* building);
    void AddBlood(bool hidden, float x, float y, float height, float size, bool stain);
    void AddSmash(bool hidden, float x, float y, float height, int32_t debrisKind);
    void AddRevealArea(const CUnit* unit, int32_t radius, float timeFactor);
    void AddTargetMark(const CUnit* unit, const CBuilding* building);
    // Keeps the local player's fog revealed around a building for a while.
    void AddKind120(const CBuilding* building, float timeFactor);
    void AddExplosionMark(float x, float y, float size);

    // ---- Projectiles ---------------------------------------------------------
    // Each flies one tick per two blocks between launch and aim (at least
    // one) and strikes on landing with the shooter's attack at launch: its
    // target unit when that is still alive on the map, otherwise the unit
    // or else the building on the aim block.  Points are (x, height, y) in
    // blocks.  The shooter's player keeps the kill credit when the shooter
    // itself is gone.  The shots in flight are saved with the game.
    static constexpr int32_t KindArrow = 10;
    static constexpr int32_t KindFlameArrow = 11;
    static constexpr int32_t KindStone = 12;
    static constexpr int32_t KindFireStone = 13;
    static constexpr int32_t KindExplodingStone = 14;
    static constexpr int32_t KindImpact = 18;
    static constexpr int32_t KindFireBall = 36;
    // The stand-in's own labels of the projectiles that have no particle
    // kind of their own, and of the effects it records.
    static constexpr int32_t KindCannonball = 1001;
    static constexpr int32_t KindLaser = 1002;
    static constexpr int32_t KindBlast = 1003;
    static constexpr int32_t KindDust = 1010;
    static constexpr int32_t KindWaterSplash = 1011;
    static constexpr int32_t KindFlare = 1012;
    static constexpr int32_t KindShipWave = 1014;
    static constexpr int32_t KindWaterRing = 1015;
    static constexpr int32_t KindFloatingNumber = 1017;
    static constexpr int32_t KindHoofPuff = 3;
    static constexpr int32_t KindShotFlash = 16;
    static constexpr int32_t KindSparkle = 85;
    // Damage types the projectiles deal.
    static constexpr TENUMDAMAGETYPE DamageArrow = DAMAGE_ARROW;
    static constexpr TENUMDAMAGETYPE DamageFlameArrow = DAMAGE_FIRE_ARROW;
    static constexpr TENUMDAMAGETYPE DamageStone = DAMAGE_STONE;
    static constexpr TENUMDAMAGETYPE DamageExplosion = DAMAGE_BLAST;
    static constexpr TENUMDAMAGETYPE DamageFireBall = DAMAGE_FIRE_BALL;
    static constexpr TENUMDAMAGETYPE DamageCannonball = DAMAGE_STONE;
    static constexpr TENUMDAMAGETYPE DamageGunOnUnits = DAMAGE_ARROW;
    static constexpr TENUMDAMAGETYPE DamageGunOnBuildings = DAMAGE_STONE;

    struct SProjectile
    {
        int32_t kind;
        CUnit* shooter;           // null once the shooter is deleted
        int32_t shooterPlayer;    // kill credit; -1 none
        CUnit* target;            // null for none, or once it is deleted
        float aimX;
        float aimHeight;
        float aimY;
        int32_t amount;
        int32_t unitDamageType;
        int32_t buildingDamageType;
        int32_t blastRadius;      // blocks around the aim block; 0 one target
        int32_t ticksLeft;
        bool hidden;
    };

    void AddArrow(bool hidden, CUnit* shooter, CUnit* target, float launchX, float launchHeight, float launchY,
                  float aimX, float aimHeight, float aimY, int32_t kind);
    // Kind 12 plain, 13 fire, 14 exploding.  The unit on the target block,
    // or for an exploding stone every unit around it, is told at launch, so
    // that a computer player's unit may step aside.
    void AddCatapultStone(bool hidden, CUnit* owner, float startX, float startHeight, float startY, float targetX,
                          float targetHeight, float targetY, int32_t kind);
    void AddCannonball(bool hidden, CUnit* owner, CUnit* target, float startX, float startHeight, float startY,
                       float aimX, float aimHeight, float aimY);
    void AddLaser(bool hidden, CUnit* owner, CUnit* target, float startX, float startHeight, float startY,
                  float aimX, float aimHeight, float aimY);
    // The two tuning values shape the flight only.
    void AddFireBall(bool hidden, CUnit* shooter, CUnit* target, float launchX, float launchHeight, float launchY,
                     float aimX, float aimHeight, float aimY, float tuning, float tuning2 = 0.0f);
    // The demolition blast: an area hit of that damage type around the
    // point, with the unit as its source, dealt at the next update.
    void AddBombermanHit(CUnit* source, float x, float y, int32_t radius, int32_t damageType);
    void AddImpact(bool hidden, float x, float height, float y, int32_t kind);
    // One ballistic body part or piece of debris (body parts are 50 to 61).
    void AddProjectile(bool hidden, float x, float height, float y, int32_t direction, float speed, int32_t kind);
    void AddDust(bool hidden, float x, float height, float y, float size, float growth);
    void AddKind3(bool hidden, float x, float height, float y, float size);
    void AddWaterSplash(bool hidden, float x, float height, float y, int32_t variant);
    // A ship's wake wave: a flat ring turned by `angle` (degrees) that drifts
    // at the velocity (x, height, y in blocks per tick).
    void AddShipWave(bool hidden, float x, float height, float y, float scale, float angle, float velocityX,
                     float velocityHeight, float velocityY);
    // A ring that spreads over still water, growing by `growth` per tick.
    void AddWaterRing(bool hidden, float x, float height, float y, float scale, float growth);
    void AddKind16(bool hidden, float x, float height, float y, int32_t direction, float size);
    void AddKind85(bool hidden, float x, float height, float y, float size);
    void AddFlare(bool hidden, float x, float height, float y, float size, float angle, float rise, float growth,
                  uint32_t colour);
    // A number in the colour (0x00RRGGBB) rising from the point at the height.
    void AddFloatingNumber(int32_t number, uint32_t colour, float x, float height, float y);
    // A unit being deleted: no projectile refers to it any more.
    void ForgetUnit(const CUnit* unit);
    const std::vector<SProjectile>& GetProjectiles() const { return m_Projectiles; }
    // Flight ticks between two points (x, y in blocks).
    static int32_t FlightTicks(float fromX, float fromY, float toX, float toY);
    // A building fire; the handle stays valid until FreeParticle.
    int32_t AddBuildingFire(bool hidden, float x, float height, float y, float size);
    // True when the handle held a particle, which is now gone.
    bool FreeParticle(int32_t handle);
    // Whether the handle names a burning building fire.
    bool IsBuildingFire(int32_t handle) const;
    // The lasting emitters a decoration keeps burning or running while it
    // stands: a kind-35 flame (torches, hearths) and the fountain's water.
    // Their handles come from the same count as the fires' and stay valid
    // until FreeParticle.
    static constexpr int32_t KindFlame = 35;
    static constexpr int32_t KindFountainWater = 1013;
    struct SEmitter
    {
        int32_t handle;
        int32_t kind;
        float x;
        float height;
        float y;
    };
    int32_t AddKind35(float x, float height, float y);
    int32_t AddFountainWater(float x, float height, float y);
    // The emitter the handle names, or null.
    const SEmitter* FindEmitter(int32_t handle) const;
    int32_t GetEmitterCount() const { return static_cast<int32_t>(m_Emitters.size()); }
    // ---- The military buildings' smoke and the demon's spell ----
    // A smoke emitter (the blacksmith's forge), a kind-38 aura that its unit
    // moves every tick, and the rain of hell a unit casts on a point (an
    // effect asked for; its burning is the effect's own).  The emitters are
    // lasting ones like the flames above.
    static constexpr int32_t KindSmoke = 23;
    static constexpr int32_t KindAura = 38;
    static constexpr int32_t KindRainOfHell = 1016;
    int32_t AddKind23(int32_t kind, float x, float height, float y, float strength);
    int32_t AddKind38(bool hidden, float x, float height, float y, float size, float spread, uint32_t colour);
    // False when the handle names no emitter.
    bool MoveEmitter(int32_t handle, float x, float height, float y);
    void AddUnitEffect(bool hidden, float x, float height, float y, const CUnit* caster);
    // Frees what stands on the block: effects, corpses (their units go to
    // deferred deletion) and ruins (their buildings likewise).  Building
    // fires burn on their own building's footprint and go out with it;
    // minimap markers stand on the minimap, not on the block.
    void RemoveAt(int32_t blockX, int32_t blockY);
    int32_t GetBurningFireCount() const { return static_cast<int32_t>(m_Fires.size()); }
    int32_t GetExplosionMarkCount() const { return m_ExplosionMarkCount; }
    // ---- Saved game --------------------------------------------------------
    // Registers the units the corpses hold and the buildings the ruins hold.
    void RegisterReferences(CReferenceBase& references) const;
    // The corpses and ruins with their objects' ids and the ticks they have
    // left, the burning fires with their handles (the buildings keep them),
    // and the minimap markers.  The record of effects asked for is no state
    // of the game and is not saved.
    void SaveGame(CSaveStream& stream, const CObjectReferences& references) const;
    // Reads the same section whole before it replaces the pool's content; a
    // short or bad section sets the stream's error flag, logs why and leaves
    // the pool as it was.
    bool LoadGame(CSaveStream& stream, const CObjectReferences& references);
    // Hands the held corpses' units and ruins' buildings to the caller, who
    // frees them with the rest of a game's objects, and forgets them.
    void TakeHeldObjects(std::vector<CUnit*>& units, std::vector<CBuilding*>& buildings);
    // The same without letting go of them.
    void GetHeldObjects(std::vector<CUnit*>& units, std::vector<CBuilding*>& buildings) const;

    int32_t GetCapacity() const { return m_Capacity; }
    const std::vector<SMinimapMarker>& GetMinimapMarkers() const { return m_Markers; }
    const std::vector<SEffectParticle>& GetEffects() const { return m_Effects; }
    bool HoldsCorpse(const CUnit* unit) const;
    bool HoldsRuin(const CBuilding* building) const;
    int32_t GetCorpseCount() const { return static_cast<int32_t>(m_Corpses.size()); }
    int32_t GetRuinCount() const { return static_cast<int32_t>(m_Ruins.size()); }
    int32_t GetRevealCount() const { return m_RevealCount; }
    int32_t GetTargetMarkCount() const { return m_TargetMarkCount; }
    int32_t GetCorpseTicksLeft(const CUnit* unit) const;
    int32_t GetRuinTicksLeft(const CBuilding* building) const;
    const std::vector<int32_t>& GetFireHandles() const { return m_Fires; }
    void ClearEffects();

    ~CParticles();

private:
    void Launch(const SProjectile& projectile, float fromX, float fromY);
    // The units a catapult stone is about to fall on may step aside: the one
    // on the target block, or for an exploding stone every one around it.
    static void WarnUnitsBelow(int32_t targetX, int32_t targetY, bool exploding);
    void FlyProjectiles(int32_t ticks);
    static void Land(const SProjectile& projectile);
    void RecordEffect(int32_t kind, float x, float y, float height, bool hidden);
    int32_t AddEmitter(int32_t kind, float x, float height, float y);

    template <typename T>
    struct SHeld
    {
        T* object;
        int32_t ticksLeft;
        bool hidden = false;
    };

    struct SStagedSection;

    void ReleaseHeld();
    static bool ReadCorpses(CSaveReader& in, const CObjectReferences& references, SStagedSection& staged);
    static bool ReadRuins(CSaveReader& in, const CObjectReferences& references, SStagedSection& staged);
    static bool ReadFires(CSaveReader& in, SStagedSection& staged);
    static bool ReadMarkers(CSaveReader& in, SStagedSection& staged);

    int32_t m_Capacity = 0;
    std::vector<SMinimapMarker> m_Markers;
    std::vector<SEffectParticle> m_Effects;
    std::vector<SHeld<CUnit>> m_Corpses;
    std::vector<SHeld<CBuilding>> m_Ruins;
    int32_t m_RevealCount = 0;
    int32_t m_TargetMarkCount = 0;
    int32_t m_ExplosionMarkCount = 0;
    std::vector<int32_t> m_Fires;
    std::vector<SEmitter> m_Emitters;
    int32_t m_NextHandle = 0;
    std::vector<SProjectile> m_Projectiles;
};

extern CParticles g_Particles;
