// The projectiles of the particle stand-in: each carries its shooter, its
// target and its amount, flies for a while and delivers its hit where it
// lands; and the record of the small effects the units ask for.

#include <algorithm>
#include <cmath>

#include "buildings/C_Building.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
// Set when the particle object is gone at the end of the process: units
// deleted after it must not reach into it.
bool s_ParticlesGone = false;

constexpr float BlocksPerFlightTick = 2.0f;
constexpr int32_t NoPlayer = -1;
constexpr int32_t StoneBlastRadius = 1;
// The two kinds of debris a struck building throws, in the order of its
// hit debris counts.
constexpr int32_t HitDebrisKinds[2] = {24, 25};

int32_t AttackOf(const CUnit* shooter)
{
    if (shooter == nullptr)
        return 0;
    int32_t base = 0;
    int32_t bonus = 0;
    return shooter->GetAttack(&base, &bonus);
}

int32_t PlayerOf(const CUnit* unit)
{
    return unit != nullptr ? unit->player : NoPlayer;
}

bool StandsAlive(const CUnit* unit)
{
    return unit != nullptr && unit->onMap && unit->IsFootprintRegistered() && unit->IsAlive() && !unit->IsDying();
}

// An arrow that strikes counts for its shooter's player on the machine
// that owns the shooter, where its hit counts.
void CountArrowHit(const CParticles::SProjectile& shot, EPlayerStatistic counter)
{
    if (shot.kind != CParticles::KindArrow && shot.kind != CParticles::KindFlameArrow)
        return;
    if (!IsOwnedHere(shot.shooterPlayer))
        return;
    if (CPlayer* owner = PlayerAt(shot.shooterPlayer))
        ++owner->statistics[counter];
}

// A projectile that strikes a building knocks off as many pieces of each
// debris kind as the building gives, where it struck; the demolition blast
// is no projectile and knocks off none.
void KnockOffDebris(const CParticles::SProjectile& shot, const CBuilding& building)
{
    if (shot.kind == CParticles::KindBlast)
        return;
    int32_t pieces[2] = {0, 0};
    building.GetHitDebris(&pieces[0], &pieces[1]);
    const bool hidden = !building.IsVisibleToLocalPlayer();
    for (int32_t k = 0; k < 2; ++k)
        for (int32_t i = 0; i < pieces[k]; ++i)
            g_Particles.AddSmash(hidden, shot.aimX, shot.aimY, shot.aimHeight, HitDebrisKinds[k]);
}

void Strike(const CParticles::SProjectile& shot, CUnit* unit, CBuilding* building)
{
    if (unit != nullptr)
    {
        CountArrowHit(shot, STAT_ARROWS_HIT_UNIT);
        unit->TakeHitFrom(shot.shooter, shot.shooterPlayer, shot.amount,
                          static_cast<TENUMDAMAGETYPE>(shot.unitDamageType), true);
    }
    else if (building != nullptr && building->IsAlive())
    {
        CountArrowHit(shot, STAT_ARROWS_HIT_BUILDING);
        building->OnAttacked(shot.shooter, shot.amount, static_cast<TENUMDAMAGETYPE>(shot.buildingDamageType), true);
        KnockOffDebris(shot, *building);
    }
}
}  // namespace

CParticles::~CParticles()
{
    s_ParticlesGone = true;
}

int32_t CParticles::FlightTicks(float fromX, float fromY, float toX, float toY)
{
    const float blocks = std::hypot(toX - fromX, toY - fromY);
    return std::max(1, static_cast<int32_t>(blocks / BlocksPerFlightTick));
}

void CParticles::Launch(const SProjectile& projectile, float fromX, float fromY)
{
    SProjectile shot = projectile;
    shot.ticksLeft = FlightTicks(fromX, fromY, shot.aimX, shot.aimY);
    m_Projectiles.push_back(shot);
}

void CParticles::AddArrow(bool hidden, CUnit* shooter, CUnit* target, float launchX, float launchHeight,
                          float launchY, float aimX, float aimHeight, float aimY, int32_t kind)
{
    (void)launchHeight;
    const int32_t damage = kind == KindFlameArrow ? DamageFlameArrow : DamageArrow;
    Launch({kind, shooter, PlayerOf(shooter), target, aimX, aimHeight, aimY, AttackOf(shooter), damage, damage, 0, 0,
            hidden},
           launchX, launchY);
}

void CParticles::AddCatapultStone(bool hidden, CUnit* owner, float startX, float startHeight, float startY,
                                  float targetX, float targetHeight, float targetY, int32_t kind)
{
    (void)startHeight;
    const bool exploding = kind == KindExplodingStone;
    const int32_t damage = exploding ? DamageExplosion : DamageStone;
    Launch({kind, owner, PlayerOf(owner), nullptr, targetX, targetHeight, targetY, AttackOf(owner), damage, damage,
            exploding ? StoneBlastRadius : 0, 0, hidden},
           startX, startY);
    WarnUnitsBelow(static_cast<int32_t>(targetX), static_cast<int32_t>(targetY), exploding);
}

void CParticles::WarnUnitsBelow(int32_t targetX, int32_t targetY, bool exploding)
{
    if (!exploding)
    {
        if (g_GameMap.IsOnMap(targetX, targetY))
            if (CUnit* below = std::as_const(g_GameMap).Block(targetX, targetY).unit)
                below->onAIIdle(0, false);
        return;
    }
    // Every unit whose tile lies in the blast's disc, each once.
    if (g_SightDiscs == nullptr)
        return;
    const CRangeTable& disc = g_SightDiscs[StoneBlastRadius];
    for (int32_t i = 0; i < disc.count; ++i)
    {
        const int32_t cellX = targetX + disc.entries[i].dx;
        const int32_t cellY = targetY + disc.entries[i].dy;
        if (!g_GameMap.IsOnMap(cellX, cellY))
            continue;
        CUnit* unit = std::as_const(g_GameMap).Block(cellX, cellY).unit;
        if (unit != nullptr && unit->x == cellX && unit->y == cellY)
            unit->onAIIdle(0, true);
    }
}

void CParticles::AddCannonball(bool hidden, CUnit* owner, CUnit* target, float startX, float startHeight,
                               float startY, float aimX, float aimHeight, float aimY)
{
    (void)startHeight;
    Launch({KindCannonball, owner, PlayerOf(owner), target, aimX, aimHeight, aimY, AttackOf(owner), DamageCannonball,
            DamageCannonball, 0, 0, hidden},
           startX, startY);
}

void CParticles::AddLaser(bool hidden, CUnit* owner, CUnit* target, float startX, float startHeight, float startY,
                          float aimX, float aimHeight, float aimY)
{
    (void)startHeight;
    Launch({KindLaser, owner, PlayerOf(owner), target, aimX, aimHeight, aimY, AttackOf(owner), DamageGunOnUnits,
            DamageGunOnBuildings, 0, 0, hidden},
           startX, startY);
}

void CParticles::AddFireBall(bool hidden, CUnit* shooter, CUnit* target, float launchX, float launchHeight,
                             float launchY, float aimX, float aimHeight, float aimY, float tuning, float tuning2)
{
    (void)launchHeight;
    (void)tuning;
    (void)tuning2;
    Launch({KindFireBall, shooter, PlayerOf(shooter), target, aimX, aimHeight, aimY, AttackOf(shooter),
            DamageFireBall, DamageFireBall, 0, 0, hidden},
           launchX, launchY);
}

void CParticles::AddBombermanHit(CUnit* source, float x, float y, int32_t radius, int32_t damageType)
{
    SProjectile blast{KindBlast, source, PlayerOf(source), nullptr, x, 0.0f, y, AttackOf(source), damageType,
                      damageType, std::max(radius, 0), 1, false};
    m_Projectiles.push_back(blast);
}

void CParticles::ForgetUnit(const CUnit* unit)
{
    if (s_ParticlesGone || unit == nullptr)
        return;
    for (SProjectile& shot : m_Projectiles)
    {
        if (shot.shooter == unit)
            shot.shooter = nullptr;
        if (shot.target == unit)
            shot.target = nullptr;
    }
}

void CParticles::FlyProjectiles(int32_t ticks)
{
    for (SProjectile& shot : m_Projectiles)
        shot.ticksLeft -= ticks;
    const auto landed = std::stable_partition(m_Projectiles.begin(), m_Projectiles.end(),
                                              [](const SProjectile& shot) { return shot.ticksLeft > 0; });
    // Hits may launch or forget projectiles: deliver from a copy.
    const std::vector<SProjectile> arriving(landed, m_Projectiles.end());
    m_Projectiles.erase(landed, m_Projectiles.end());
    for (const SProjectile& shot : arriving)
        Land(shot);
}

void CParticles::Land(const SProjectile& shot)
{
    const int32_t bx = static_cast<int32_t>(std::floor(shot.aimX));
    const int32_t by = static_cast<int32_t>(std::floor(shot.aimY));
    if (shot.blastRadius > 0)
    {
        // Each object in the square once, however many blocks it covers.
        std::vector<const void*> struck;
        for (int32_t y = by - shot.blastRadius; y <= by + shot.blastRadius; ++y)
            for (int32_t x = bx - shot.blastRadius; x <= bx + shot.blastRadius; ++x)
            {
                if (!g_GameMap.IsOnMap(x, y))
                    continue;
                const SMapBlock& block = std::as_const(g_GameMap).Block(x, y);
                CUnit* unit = StandsAlive(block.unit) ? block.unit : nullptr;
                CBuilding* building = block.building;
                const void* object = unit != nullptr ? static_cast<const void*>(unit) : building;
                if (object == nullptr || std::find(struck.begin(), struck.end(), object) != struck.end())
                    continue;
                struck.push_back(object);
                Strike(shot, unit, building);
            }
        return;
    }
    if (StandsAlive(shot.target))
    {
        Strike(shot, shot.target, nullptr);
        return;
    }
    if (!g_GameMap.IsOnMap(bx, by))
        return;
    const SMapBlock& block = std::as_const(g_GameMap).Block(bx, by);
    Strike(shot, StandsAlive(block.unit) ? block.unit : nullptr, block.building);
}

void CParticles::RecordEffect(int32_t kind, float x, float y, float height, bool hidden)
{
    if (static_cast<int32_t>(m_Effects.size()) >= kMostEffects)
        m_Effects.erase(m_Effects.begin(), m_Effects.begin() + kMostEffects / 2);
    m_Effects.push_back({kind, x, y, height, hidden, false});
}

void CParticles::AddImpact(bool hidden, float x, float height, float y, int32_t kind)
{
    RecordEffect(kind, x, y, height, hidden);
}

void CParticles::AddProjectile(bool hidden, float x, float height, float y, int32_t direction, float speed,
                               int32_t kind)
{
    (void)direction;
    (void)speed;
    RecordEffect(kind, x, y, height, hidden);
}

void CParticles::AddDust(bool hidden, float x, float height, float y, float size, float growth)
{
    (void)size;
    (void)growth;
    RecordEffect(KindDust, x, y, height, hidden);
}

void CParticles::AddKind3(bool hidden, float x, float height, float y, float size)
{
    (void)size;
    RecordEffect(KindHoofPuff, x, y, height, hidden);
}

void CParticles::AddWaterSplash(bool hidden, float x, float height, float y, int32_t variant)
{
    (void)variant;
    RecordEffect(KindWaterSplash, x, y, height, hidden);
}

void CParticles::AddShipWave(bool hidden, float x, float height, float y, float scale, float angle, float velocityX,
                             float velocityHeight, float velocityY)
{
    (void)scale;
    (void)angle;
    (void)velocityX;
    (void)velocityHeight;
    (void)velocityY;
    RecordEffect(KindShipWave, x, y, height, hidden);
}

void CParticles::AddWaterRing(bool hidden, float x, float height, float y, float scale, float growth)
{
    (void)scale;
    (void)growth;
    RecordEffect(KindWaterRing, x, y, height, hidden);
}

void CParticles::AddKind16(bool hidden, float x, float height, float y, int32_t direction, float size)
{
    (void)direction;
    (void)size;
    RecordEffect(KindShotFlash, x, y, height, hidden);
}

void CParticles::AddKind85(bool hidden, float x, float height, float y, float size)
{
    (void)size;
    RecordEffect(KindSparkle, x, y, height, hidden);
}

void CParticles::AddFlare(bool hidden, float x, float height, float y, float size, float angle, float rise,
                          float growth, uint32_t colour)
{
    (void)size;
    (void)angle;
    (void)rise;
    (void)growth;
    (void)colour;
    RecordEffect(KindFlare, x, y, height, hidden);
}

void CParticles::AddFloatingNumber(int32_t number, uint32_t colour, float x, float height, float y)
{
    RecordEffect(KindFloatingNumber, x, y, height, false);
    m_Effects.back().number = number;
    m_Effects.back().colour = colour;
}
