#include "effects/C_Particles.h"

#include <algorithm>
#include <cmath>

#include "buildings/C_Building.h"
#include "core/C_PtrGarbage.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"

CParticles g_Particles;

namespace
{
// A corpse's time falls in three parts: lying, the body fading, the remains
// fading.
constexpr float CorpsePhases = 3.0f;
constexpr int32_t FullLight = 255;

// Particle kinds that a building placed on their block leaves standing.
constexpr int32_t KindsKeptOnPlacing[] = {27, 41, 42};

bool IsKeptOnPlacing(int32_t kind)
{
    return std::find(std::begin(KindsKeptOnPlacing), std::end(KindsKeptOnPlacing), kind) !=
           std::end(KindsKeptOnPlacing);
}

bool StandsOn(float x, float y, int32_t blockX, int32_t blockY)
{
    return std::floor(x) == static_cast<float>(blockX) && std::floor(y) == static_cast<float>(blockY);
}

// Makes room for one more record: at the limit the older half goes.
template <typename Record>
void MakeRoom(std::vector<Record>& records, int32_t most)
{
    if (static_cast<int32_t>(records.size()) >= most)
        records.erase(records.begin(), records.begin() + most / 2);
}
}  // namespace

void CParticles::Init(int32_t capacity)
{
    ReleaseHeld();
    m_Capacity = capacity > 0 ? capacity : 0;
    m_Markers.clear();
    ClearEffects();
}

void CParticles::Shutdown()
{
    ReleaseHeld();
    m_Capacity = 0;
    m_Markers.clear();
    m_Markers.shrink_to_fit();
    ClearEffects();
}

void CParticles::Reset()
{
    ReleaseHeld();
    m_Markers.clear();
    ClearEffects();
}

void CParticles::ReleaseHeld()
{
    m_Projectiles.clear();
    for (const SHeld<CUnit>& corpse : m_Corpses)
        g_PtrGarbage.AddUnit(corpse.object);
    for (const SHeld<CBuilding>& ruin : m_Ruins)
        g_PtrGarbage.AddBuilding(ruin.object);
    m_Corpses.clear();
    m_Ruins.clear();
}

namespace
{
// Counts the held objects down; those that run out go to deferred deletion.
template <typename Held, typename Release>
void Decay(std::vector<Held>& held, int32_t ticks, Release release)
{
    for (Held& entry : held)
        entry.ticksLeft -= ticks;
    const auto expired = std::stable_partition(held.begin(), held.end(),
                                               [](const Held& entry) { return entry.ticksLeft > 0; });
    for (auto it = expired; it != held.end(); ++it)
        release(it->object);
    held.erase(expired, held.end());
}
}  // namespace

void CParticles::Update(int32_t ticks)
{
    if (ticks <= 0)
        return;
    FlyProjectiles(ticks);
    Decay(m_Corpses, ticks, [](CUnit* unit) { g_PtrGarbage.AddUnit(unit); });
    Decay(m_Ruins, ticks, [](CBuilding* building) { g_PtrGarbage.AddBuilding(building); });
}

void CParticles::AddMinimapMarker(int32_t x, int32_t y, uint32_t colour)
{
    MakeRoom(m_Markers, kMostMinimapMarkers);
    m_Markers.push_back({x, y, colour});
}

void CParticles::AddCorpse(bool hidden, CUnit* unit)
{
    if (unit == nullptr || HoldsCorpse(unit))
        return;
    m_Corpses.push_back({unit, CorpseTicks, hidden});
}

void CParticles::RenderCorpses()
{
    const CPlayer* local = PlayerAt(g_LocalPlayer);
    for (const SHeld<CUnit>& corpse : m_Corpses)
    {
        if (corpse.hidden)
            continue;
        CUnit& unit = *corpse.object;
        // Thirds of the corpse's time left, 3 down to 0.
        const float thirdsLeft = static_cast<float>(corpse.ticksLeft) * CorpsePhases / static_cast<float>(CorpseTicks);
        const float dieWeight = std::clamp(thirdsLeft - 1.0f, 0.0f, 1.0f);
        const float corpseWeight = std::clamp(thirdsLeft, 0.0f, 1.0f);
        const int32_t level = local != nullptr ? local->GetVisibility(static_cast<int32_t>(unit.centreX),
                                                                      static_cast<int32_t>(unit.centreY))
                                               : FullLight;
        unit.RenderAt(dieWeight, corpseWeight, level);
    }
}

void CParticles::AddRuin(CBuilding* building)
{
    if (building == nullptr || HoldsRuin(building))
        return;
    m_Ruins.push_back({building, RuinTicks});
}

void CParticles::AddBlood(bool hidden, float x, float y, float height, float size, bool stain)
{
    (void)size;
    MakeRoom(m_Effects, kMostEffects);
    m_Effects.push_back({KindBlood, x, y, height, hidden, stain});
}

void CParticles::AddSmash(bool hidden, float x, float y, float height, int32_t debrisKind)
{
    MakeRoom(m_Effects, kMostEffects);
    m_Effects.push_back({debrisKind, x, y, height, hidden, false});
}

void CParticles::AddRevealArea(const CUnit* unit, int32_t radius, float timeFactor)
{
    (void)unit;
    (void)radius;
    (void)timeFactor;
    ++m_RevealCount;
}

void CParticles::AddTargetMark(const CUnit* unit, const CBuilding* building)
{
    (void)unit;
    (void)building;
    ++m_TargetMarkCount;
}

void CParticles::AddKind120(const CBuilding* building, float timeFactor)
{
    (void)building;
    (void)timeFactor;
    ++m_RevealCount;
}

void CParticles::AddExplosionMark(float x, float y, float size)
{
    (void)x;
    (void)y;
    (void)size;
    ++m_ExplosionMarkCount;
}

int32_t CParticles::AddBuildingFire(bool hidden, float x, float height, float y, float size)
{
    (void)hidden;
    (void)x;
    (void)height;
    (void)y;
    (void)size;
    m_Fires.push_back(m_NextHandle);
    return m_NextHandle++;
}

bool CParticles::FreeParticle(int32_t handle)
{
    const auto it = std::find(m_Fires.begin(), m_Fires.end(), handle);
    if (it != m_Fires.end())
    {
        m_Fires.erase(it);
        return true;
    }
    return std::erase_if(m_Emitters, [handle](const SEmitter& emitter) { return emitter.handle == handle; }) > 0;
}

int32_t CParticles::AddEmitter(int32_t kind, float x, float height, float y)
{
    m_Emitters.push_back({m_NextHandle, kind, x, height, y});
    return m_NextHandle++;
}

int32_t CParticles::AddKind35(float x, float height, float y)
{
    return AddEmitter(KindFlame, x, height, y);
}

int32_t CParticles::AddFountainWater(float x, float height, float y)
{
    return AddEmitter(KindFountainWater, x, height, y);
}

int32_t CParticles::AddKind23(int32_t kind, float x, float height, float y, float strength)
{
    (void)kind;
    (void)strength;
    return AddEmitter(KindSmoke, x, height, y);
}

int32_t CParticles::AddKind38(bool hidden, float x, float height, float y, float size, float spread,
                              uint32_t colour)
{
    (void)hidden;
    (void)size;
    (void)spread;
    (void)colour;
    return AddEmitter(KindAura, x, height, y);
}

bool CParticles::MoveEmitter(int32_t handle, float x, float height, float y)
{
    for (SEmitter& emitter : m_Emitters)
        if (emitter.handle == handle)
        {
            emitter.x = x;
            emitter.height = height;
            emitter.y = y;
            return true;
        }
    return false;
}

void CParticles::AddUnitEffect(bool hidden, float x, float height, float y, const CUnit* caster)
{
    (void)caster;
    MakeRoom(m_Effects, kMostEffects);
    m_Effects.push_back({KindRainOfHell, x, y, height, hidden, false});
}

const CParticles::SEmitter* CParticles::FindEmitter(int32_t handle) const
{
    const auto it = std::find_if(m_Emitters.begin(), m_Emitters.end(),
                                 [handle](const SEmitter& emitter) { return emitter.handle == handle; });
    return it == m_Emitters.end() ? nullptr : &*it;
}

bool CParticles::IsBuildingFire(int32_t handle) const
{
    return std::find(m_Fires.begin(), m_Fires.end(), handle) != m_Fires.end();
}

void CParticles::RemoveAt(int32_t blockX, int32_t blockY)
{
    std::erase_if(m_Effects, [&](const SEffectParticle& effect) {
        return !IsKeptOnPlacing(effect.kind) && StandsOn(effect.x, effect.y, blockX, blockY);
    });
    std::erase_if(m_Corpses, [&](const SHeld<CUnit>& corpse) {
        if (!StandsOn(corpse.object->centreX, corpse.object->centreY, blockX, blockY))
            return false;
        g_PtrGarbage.AddUnit(corpse.object);
        return true;
    });
    std::erase_if(m_Ruins, [&](const SHeld<CBuilding>& ruin) {
        const CBuilding& building = *ruin.object;
        const float centreX = static_cast<float>(building.x) + static_cast<float>(building.GetWidth()) * 0.5f;
        const float centreY = static_cast<float>(building.y) + static_cast<float>(building.GetDepth()) * 0.5f;
        if (!StandsOn(centreX, centreY, blockX, blockY))
            return false;
        g_PtrGarbage.AddBuilding(ruin.object);
        return true;
    });
}

bool CParticles::HoldsCorpse(const CUnit* unit) const
{
    return std::any_of(m_Corpses.begin(), m_Corpses.end(),
                       [unit](const SHeld<CUnit>& held) { return held.object == unit; });
}

bool CParticles::HoldsRuin(const CBuilding* building) const
{
    return std::any_of(m_Ruins.begin(), m_Ruins.end(),
                       [building](const SHeld<CBuilding>& held) { return held.object == building; });
}

void CParticles::ClearEffects()
{
    m_Effects.clear();
    m_RevealCount = 0;
    m_TargetMarkCount = 0;
    m_ExplosionMarkCount = 0;
    m_Fires.clear();
    m_Emitters.clear();
}
