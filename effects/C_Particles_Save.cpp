// The particles' section of a saved game.  Corpses and ruins hold the dead
// units and destroyed buildings until they decay; saving them with the
// ticks they have left makes a loaded game delete the same objects at the
// same frames.  Fire handles are kept as they were because the buildings
// store them to put their fires out again; so are the lasting emitters of
// torches and fountains, with their kind and place, so that a loaded torch
// burns its flame again.
//
// Layout, little-endian 32-bit numbers: corpse count, then per corpse the
// unit's id and its ticks left; ruin count, then per ruin the building's id
// and its ticks left; fire count, each fire's handle; emitter count, then
// per emitter its handle, kind, and x, height and y as floats; the next
// handle; marker count, then per marker x, y and colour; projectile count,
// then per projectile in flight its kind, its shooter's id, the shooter's
// player, its target's id (ids -1 for none), the aim's x, height and y as
// floats, amount, damage types on units and on buildings, blast radius,
// ticks left and the hidden flag as one byte.  The shots in flight are kept
// so that a loaded game deals the same hits at the same ticks.

#include <cmath>
#include <unordered_set>
#include <vector>

#include "effects/C_Particles.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "world/C_GameMap.h"
#include "world/C_ObjectReferences.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"

namespace
{
// No list of the section holds more than the pool the device asks for.
constexpr int32_t kMostRecords = CParticles::kDevicePoolSize;
constexpr const char* kRefusal = "Particles section of the saved game rejected: ";
// A shot flies one tick per two blocks, so none is in flight longer than
// across the largest map; no blast reaches beyond it.
constexpr int32_t kLongestFlight = MapBlockSide;
constexpr int32_t kWidestBlast = MapBlockSide;
constexpr int32_t kNoPlayer = -1;
constexpr int32_t kLastDamageType = 9;

bool IsProjectileKind(int32_t kind)
{
    for (const int32_t known : {CParticles::KindArrow, CParticles::KindFlameArrow, CParticles::KindStone,
                                CParticles::KindFireStone, CParticles::KindExplodingStone, CParticles::KindFireBall,
                                CParticles::KindCannonball, CParticles::KindLaser, CParticles::KindBlast})
        if (kind == known)
            return true;
    return false;
}

// A unit id of the save, or none; false for an id that names no unit.
bool ReadUnitLink(CSaveReader& in, const CObjectReferences& references, CUnit*& unit)
{
    const int32_t id = in.I32();
    if (in.Failed())
        return false;
    unit = id == CObjectReferences::NoObject ? nullptr : references.GetUnit(id);
    return id == CObjectReferences::NoObject || unit != nullptr || in.Refuse("a shot names no unit");
}

bool ReadProjectile(CSaveReader& in, const CObjectReferences& references, CParticles::SProjectile& shot)
{
    shot.kind = in.I32();
    if (!in.Failed() && !IsProjectileKind(shot.kind))
        return in.Refuse("a shot of an unknown kind");
    if (!ReadUnitLink(in, references, shot.shooter))
        return false;
    shot.shooterPlayer = in.I32();
    if (!ReadUnitLink(in, references, shot.target))
        return false;
    shot.aimX = in.F32();
    shot.aimHeight = in.F32();
    shot.aimY = in.F32();
    shot.amount = in.I32();
    shot.unitDamageType = in.I32();
    shot.buildingDamageType = in.I32();
    shot.blastRadius = in.I32();
    shot.ticksLeft = in.I32();
    uint8_t hidden = 0;
    in.Flag(hidden);
    shot.hidden = hidden != 0;
    if (in.Failed())
        return false;
    if (!CSaveReader::InRange(shot.shooterPlayer, kNoPlayer, MaxPlayers - 1))
        return in.Refuse("a shot of no player");
    if (!std::isfinite(shot.aimX) || !std::isfinite(shot.aimHeight) || !std::isfinite(shot.aimY))
        return in.Refuse("a shot aimed nowhere");
    if (shot.amount < 0 || !CSaveReader::InRange(shot.unitDamageType, 1, kLastDamageType) ||
        !CSaveReader::InRange(shot.buildingDamageType, 1, kLastDamageType))
        return in.Refuse("a shot's damage is out of range");
    if (!CSaveReader::InRange(shot.blastRadius, 0, kWidestBlast) ||
        !CSaveReader::InRange(shot.ticksLeft, 1, kLongestFlight))
        return in.Refuse("a shot's blast or flight is out of range");
    return true;
}

bool ReadProjectiles(CSaveReader& in, const CObjectReferences& references,
                     std::vector<CParticles::SProjectile>& projectiles)
{
    const int32_t count = in.Count(0, kMostRecords, "bad projectile count");
    for (int32_t i = 0; i < count; ++i)
    {
        CParticles::SProjectile shot{};
        if (!ReadProjectile(in, references, shot))
            return false;
        projectiles.push_back(shot);
    }
    return count >= 0 && !in.Failed();
}

// The torches' flames and the fountains' water: a known kind at a place.
bool ReadEmitters(CSaveReader& in, std::vector<CParticles::SEmitter>& emitters)
{
    const int32_t count = in.Count(0, kMostRecords, "bad emitter count");
    for (int32_t i = 0; i < count && !in.Failed(); ++i)
    {
        CParticles::SEmitter emitter;
        emitter.handle = in.I32();
        emitter.kind = in.I32();
        emitter.x = in.F32();
        emitter.height = in.F32();
        emitter.y = in.F32();
        if (in.Failed())
            return false;
        if (emitter.kind != CParticles::KindFlame && emitter.kind != CParticles::KindFountainWater &&
            emitter.kind != CParticles::KindSmoke && emitter.kind != CParticles::KindAura)
            return in.Refuse("an emitter of an unknown kind");
        if (!std::isfinite(emitter.x) || !std::isfinite(emitter.height) || !std::isfinite(emitter.y))
            return in.Refuse("an emitter out of place");
        emitters.push_back(emitter);
    }
    return count >= 0 && !in.Failed();
}
}  // namespace

struct CParticles::SStagedSection
{
    std::vector<SHeld<CUnit>> corpses;
    std::vector<SHeld<CBuilding>> ruins;
    std::vector<int32_t> fires;
    std::vector<SEmitter> emitters;
    int32_t nextHandle = 0;
    std::vector<SMinimapMarker> markers;
    std::vector<SProjectile> projectiles;
};

void CParticles::RegisterReferences(CReferenceBase& references) const
{
    for (const SHeld<CUnit>& corpse : m_Corpses)
        references.AddUnit(corpse.object);
    for (const SHeld<CBuilding>& ruin : m_Ruins)
        references.AddBuilding(ruin.object);
}

void CParticles::SaveGame(CSaveStream& stream, const CObjectReferences& references) const
{
    CSaveWriter out(stream);
    out.I32(static_cast<int32_t>(m_Corpses.size()));
    for (const SHeld<CUnit>& corpse : m_Corpses)
    {
        out.I32(references.GetUnitRef(corpse.object));
        out.I32(corpse.ticksLeft);
    }
    out.I32(static_cast<int32_t>(m_Ruins.size()));
    for (const SHeld<CBuilding>& ruin : m_Ruins)
    {
        out.I32(references.GetBuildingRef(ruin.object));
        out.I32(ruin.ticksLeft);
    }
    out.I32(static_cast<int32_t>(m_Fires.size()));
    for (int32_t handle : m_Fires)
        out.I32(handle);
    out.I32(static_cast<int32_t>(m_Emitters.size()));
    for (const SEmitter& emitter : m_Emitters)
    {
        out.I32(emitter.handle);
        out.I32(emitter.kind);
        out.F32(emitter.x);
        out.F32(emitter.height);
        out.F32(emitter.y);
    }
    out.I32(m_NextHandle);
    out.I32(static_cast<int32_t>(m_Markers.size()));
    for (const SMinimapMarker& marker : m_Markers)
    {
        out.I32(marker.x);
        out.I32(marker.y);
        out.I32(static_cast<int32_t>(marker.colour));
    }
    out.I32(static_cast<int32_t>(m_Projectiles.size()));
    for (const SProjectile& shot : m_Projectiles)
    {
        out.I32(shot.kind);
        out.I32(references.GetUnitRef(shot.shooter));
        out.I32(shot.shooterPlayer);
        out.I32(references.GetUnitRef(shot.target));
        out.F32(shot.aimX);
        out.F32(shot.aimHeight);
        out.F32(shot.aimY);
        out.I32(shot.amount);
        out.I32(shot.unitDamageType);
        out.I32(shot.buildingDamageType);
        out.I32(shot.blastRadius);
        out.I32(shot.ticksLeft);
        out.Flag(shot.hidden);
    }
}

// Each unit is held once: a second hold would hand it to deletion twice.
bool CParticles::ReadCorpses(CSaveReader& in, const CObjectReferences& references, SStagedSection& staged)
{
    const int32_t count = in.Count(0, kMostRecords, "bad corpse count");
    std::unordered_set<const CUnit*> held;
    for (int32_t i = 0; i < count; ++i)
    {
        const int32_t id = in.I32();
        const int32_t ticksLeft = in.I32();
        if (in.Failed())
            return false;
        CUnit* unit = references.GetUnit(id);
        if (unit == nullptr || !held.insert(unit).second)
            return in.Refuse("a corpse without a unit of its own");
        if (!CSaveReader::InRange(ticksLeft, 1, CorpseTicks))
            return in.Refuse("a corpse's time is out of range");
        staged.corpses.push_back({unit, ticksLeft});
    }
    return count >= 0;
}

bool CParticles::ReadRuins(CSaveReader& in, const CObjectReferences& references, SStagedSection& staged)
{
    const int32_t count = in.Count(0, kMostRecords, "bad ruin count");
    std::unordered_set<const CBuilding*> held;
    for (int32_t i = 0; i < count; ++i)
    {
        const int32_t id = in.I32();
        const int32_t ticksLeft = in.I32();
        if (in.Failed())
            return false;
        CBuilding* building = references.GetBuilding(id);
        if (building == nullptr || !held.insert(building).second)
            return in.Refuse("a ruin without a building of its own");
        if (!CSaveReader::InRange(ticksLeft, 1, RuinTicks))
            return in.Refuse("a ruin's time is out of range");
        staged.ruins.push_back({building, ticksLeft});
    }
    return count >= 0;
}

// Handles are handed out in rising order and only ever taken away, so each
// list rises strictly, no handle is both a fire and an emitter, and all stay
// below the next handle.
bool CParticles::ReadFires(CSaveReader& in, SStagedSection& staged)
{
    const int32_t count = in.Count(0, kMostRecords, "bad fire count");
    for (int32_t i = 0; i < count; ++i)
        staged.fires.push_back(in.I32());
    if (count < 0 || in.Failed() || !ReadEmitters(in, staged.emitters))
        return false;
    staged.nextHandle = in.I32();
    if (in.Failed())
        return false;
    int32_t lowest = 0;
    for (int32_t handle : staged.fires)
    {
        if (handle < lowest)
            return in.Refuse("fire handles out of order");
        lowest = handle + 1;
    }
    std::unordered_set<int32_t> fireHandles(staged.fires.begin(), staged.fires.end());
    int32_t lowestEmitter = 0;
    for (const SEmitter& emitter : staged.emitters)
    {
        if (emitter.handle < lowestEmitter || fireHandles.count(emitter.handle) != 0)
            return in.Refuse("emitter handles out of order");
        lowestEmitter = emitter.handle + 1;
    }
    if (staged.nextHandle < lowest || staged.nextHandle < lowestEmitter)
        return in.Refuse("the next fire handle is taken");
    return true;
}

bool CParticles::ReadMarkers(CSaveReader& in, SStagedSection& staged)
{
    const int32_t count = in.Count(0, kMostRecords, "bad marker count");
    for (int32_t i = 0; i < count && !in.Failed(); ++i)
    {
        SMinimapMarker marker;
        marker.x = in.I32();
        marker.y = in.I32();
        marker.colour = static_cast<uint32_t>(in.I32());
        staged.markers.push_back(marker);
    }
    return count >= 0 && !in.Failed();
}

bool CParticles::LoadGame(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, kRefusal);
    SStagedSection staged;
    if (!ReadCorpses(in, references, staged) || !ReadRuins(in, references, staged) || !ReadFires(in, staged) ||
        !ReadMarkers(in, staged) || !ReadProjectiles(in, references, staged.projectiles))
    {
        if (!in.Failed())
            in.Refuse("section cut short");
        if (!stream.HasError())
            stream.SetError();
        return false;
    }
    // Whatever the pool still holds belongs to the game being replaced.
    ReleaseHeld();
    m_Corpses = std::move(staged.corpses);
    m_Ruins = std::move(staged.ruins);
    m_Fires = std::move(staged.fires);
    m_Emitters = std::move(staged.emitters);
    m_NextHandle = staged.nextHandle;
    m_Markers = std::move(staged.markers);
    m_Projectiles = std::move(staged.projectiles);
    m_Effects.clear();
    return true;
}

void CParticles::GetHeldObjects(std::vector<CUnit*>& units, std::vector<CBuilding*>& buildings) const
{
    for (const SHeld<CUnit>& corpse : m_Corpses)
        units.push_back(corpse.object);
    for (const SHeld<CBuilding>& ruin : m_Ruins)
        buildings.push_back(ruin.object);
}

void CParticles::TakeHeldObjects(std::vector<CUnit*>& units, std::vector<CBuilding*>& buildings)
{
    GetHeldObjects(units, buildings);
    m_Corpses.clear();
    m_Ruins.clear();
}

int32_t CParticles::GetCorpseTicksLeft(const CUnit* unit) const
{
    for (const SHeld<CUnit>& corpse : m_Corpses)
        if (corpse.object == unit)
            return corpse.ticksLeft;
    return 0;
}

int32_t CParticles::GetRuinTicksLeft(const CBuilding* building) const
{
    for (const SHeld<CBuilding>& ruin : m_Ruins)
        if (ruin.object == building)
            return ruin.ticksLeft;
    return 0;
}
