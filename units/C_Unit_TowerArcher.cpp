#include "units/C_Unit_TowerArcher.h"

#include <algorithm>
#include <cmath>

#include "buildings/C_BuildingTower.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t TenthsPerBlock = 10;
constexpr SSoundPair BowSound = {8, 4};
// The arrow leaves one block out from the middle of the tower, high on it,
// and comes down at the target's chest.
constexpr float LaunchAhead = 1.0f;
constexpr float LaunchHeight = 130.0f;
constexpr float AimHeight = 40.0f;
// The aim strays by (random(10) - 5) x 0.02 blocks on each axis.
constexpr int32_t ErrorSteps = 10;
constexpr int32_t ErrorMiddle = 5;
constexpr float ErrorPerStep = 0.02f;
constexpr float CellMiddle = 0.5f;
constexpr float DegreesToRadians = 3.14159265f / 180.0f;
// The archer stands in the middle of its 2 x 2 tower.
constexpr float TowerMiddle = 1.0f;
// The search looks one block beyond the sight radius.
constexpr int32_t SearchBeyondSight = 1;

float AimError()
{
    return static_cast<float>(GlobalFunc::Random(ErrorSteps) - ErrorMiddle) * ErrorPerStep;
}

bool IsLivingEnemyOf(const CUnit& unit, int32_t playerIndex)
{
    return !unit.IsAlliedWith(playerIndex) && unit.IsAlive() && !unit.IsDying();
}
}  // namespace

CUnitTowerArcher::CUnitTowerArcher() : CUnitOfType(UNIT_TOWERARCHER) {}

void CUnitTowerArcher::SetTarget(CUnit* unit)
{
    actionTargetUnit = unit;
    if (unit != nullptr)
    {
        animType = ANIM_ATTACK;
        return;
    }
    animType = ANIM_STAND;
    animFrame = 0.0f;
}

CUnit* CUnitTowerArcher::FindTarget() const
{
    if (!IsOwnedHere(player) || g_SightDiscs == nullptr)
        return nullptr;
    const int32_t circle = std::clamp(GetSightRadius() + SearchBeyondSight, 0, RangeRingCount - 1);
    const CRangeTable& reach = g_SightDiscs[circle];
    const int32_t nearest = GetMinAttackRange() * TenthsPerBlock;
    for (int32_t i = 0; i < reach.count; ++i)
    {
        const SRangeEntry& entry = reach.entries[i];
        if (entry.distance < nearest)
            continue;
        const int32_t cellX = GetCentreCellX() + entry.dx;
        const int32_t cellY = GetCentreCellY() + entry.dy;
        if (!g_GameMap.IsOnMap(cellX, cellY))
            continue;
        CUnit* unit = std::as_const(g_GameMap).Block(cellX, cellY).unit;
        if (unit != nullptr && unit != this && IsLivingEnemyOf(*unit, player))
            return unit;
    }
    return nullptr;
}

bool CUnitTowerArcher::IsTargetInRange() const
{
    if (actionTargetUnit == nullptr)
        return false;
    const float distance =
        GlobalFunc::DistanceF(static_cast<float>(x) + TowerMiddle, static_cast<float>(y) + TowerMiddle,
                              actionTargetUnit->centreX, actionTargetUnit->centreY);
    int32_t base = 0;
    int32_t bonus = 0;
    const float nearest = static_cast<float>(GetMinAttackRange() * TenthsPerBlock);
    const float farthest = static_cast<float>(GetAttackRange(&base, &bonus) * TenthsPerBlock);
    return nearest <= distance && distance <= farthest;
}

void CUnitTowerArcher::SeekTarget()
{
    animType = ANIM_STAND;
    actionTargetUnit = FindTarget();
    if (!IsTargetInRange())
        actionTargetUnit = nullptr;
    if (actionTargetUnit == nullptr)
    {
        animFrame = 0.0f;
        if (IsNetworkGame() && IsOwnedHere(player))
            g_MultiplayerGame.SendTowerArcherIdle(this);
        return;
    }
    animType = ANIM_ATTACK;
    if (IsNetworkGame())
        g_MultiplayerGame.SendTowerArcherTarget(this, actionTargetUnit);
}

CBuildingTower* CUnitTowerArcher::GetTower() const
{
    if (!g_GameMap.IsOnMap(x, y))
        return nullptr;
    CBuilding* building = std::as_const(g_GameMap).Block(x, y).building;
    if (building == nullptr || building->GetBuildCast() != CastTower)
        return nullptr;
    return static_cast<CBuildingTower*>(building);
}

void CUnitTowerArcher::onTargetLost(CUnit* unit, CBuilding* building)
{
    (void)building;
    if (unit != nullptr && unit == actionTargetUnit)
        onIdle();
}

void CUnitTowerArcher::onEnemySighted(CUnit* enemy)
{
    (void)enemy;
    if (actionTargetUnit == nullptr)
        onIdle();
}

bool CUnitTowerArcher::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks && animType == ANIM_ATTACK; ++tick)
    {
        if (animFrame == 0.0f && !StepShot())
            break;
        animFrame += 1.0f;
        if (animFrame >= ShotCycleFrames)
            animFrame = 0.0f;
    }
    return true;
}

bool CUnitTowerArcher::StepShot()
{
    if (IsOwnedHere(player))
    {
        const bool canShoot = actionTargetUnit != nullptr && IsLivingEnemyOf(*actionTargetUnit, player) &&
                              IsTargetInRange();
        if (!canShoot)
        {
            onIdle();
            return false;
        }
    }
    else if (actionTargetUnit == nullptr)
    {
        // The owner's machine dropped the target here without a word: the
        // archer waits for its next command instead of shooting at nothing.
        SetTarget(nullptr);
        return false;
    }
    Shoot(*actionTargetUnit);
    return true;
}

void CUnitTowerArcher::Shoot(CUnit& target)
{
    PlaySoundAt(BowSound.sample, BowSound.variants, 0);
    approachX = target.GetCentreCellX();
    approachY = target.GetCentreCellY();
    const float angle = GlobalFunc::GetAngle(centreX, centreY, static_cast<float>(approachX) + CellMiddle,
                                             static_cast<float>(approachY) + CellMiddle);
    SetDirection(static_cast<int32_t>(angle), false);
    shownFacing = facing;
    const float radians = static_cast<float>(facing) * DegreesToRadians;
    const float launchX = centreX + LaunchAhead * std::sin(radians);
    const float launchY = centreY + LaunchAhead * std::cos(radians);
    const float aimX = target.centreX + AimError();
    const float aimY = target.centreY + AimError();
    g_Particles.AddArrow(!IsVisibleToLocalPlayer(), this, &target, launchX, LaunchHeight, launchY, aimX, AimHeight,
                         aimY, CParticles::KindArrow);
    if (CPlayer* owner = PlayerAt(player))
        ++owner->statistics[STAT_ARROWS_SHOT];
    StaggerTowerMates();
}

void CUnitTowerArcher::StaggerTowerMates() const
{
    const CBuildingTower* tower = GetTower();
    if (tower == nullptr)
        return;
    for (int32_t i = 0; i < tower->archerCount && i < CBuildingTower::ArcherCapacity; ++i)
    {
        CUnit* mate = tower->archers[i];
        if (mate == nullptr || mate == this)
            continue;
        if (mate->animFrame == 0.0f || mate->animFrame > StaggerFrame)
            mate->animFrame = StaggerFrame;
    }
}
