// Hits on a building, the fires that burn on it, its destruction and repair.
// Health that counts is decided by one machine (DecidingSlotOf: the
// owner's, the host's for a building no machine's player owns); the others
// mirror it through the network.

#include <algorithm>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "world/C_DecorType.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

namespace
{
constexpr uint16_t FelledTreeModel = 254;
constexpr int32_t FelledTreeDebris = 50;
constexpr int32_t TreeDebrisKind = 26;
constexpr float RepairShare = 0.5f;
constexpr float AttackerRevealTime = 2.0f;
// Blocks around the footprint redrawn when a building leaves.
constexpr int32_t RuinRefreshMargin = 2;
constexpr int32_t DemolishSample = 180;
constexpr int32_t DemolishSampleVariants = 4;

bool SelectDamageFactor(const CBuilding& building, TENUMDAMAGETYPE damageType, float* factor)
{
    const EDamageFactor selected = CDamageTypeTable::ForBuilding(damageType);
    if (selected == EDamageFactor::None)
        return false;
    const float factors[] = {building.GetDamageFactor1(), building.GetDamageFactor2(), building.GetDamageFactor3()};
    *factor = factors[static_cast<int32_t>(selected)];
    return true;
}

bool StandsOnMap(const CUnit& unit)
{
    return g_GameMap.IsOnMap(unit.GetCentreCellX(), unit.GetCentreCellY());
}

float Jitter()
{
    return static_cast<float>(GlobalFunc::Random(100) - 50) * 0.01f;
}
}  // namespace

bool CBuilding::IsDecidedHere() const
{
    return !IsNetworkGame() || DecidingSlotOf(owner) == g_LocalPlayer;
}

bool CBuilding::OnAttacked(CUnit* attackerUnit, int32_t amount, TENUMDAMAGETYPE damageType, bool alert)
{
    if (IsNetworkGame())
    {
        if (attackerUnit != nullptr && !IsOwnedHere(attackerUnit->player))
            return true;
        g_MultiplayerGame.SendBuildingAttacked(this, attackerUnit, amount, damageType);
    }
    return ApplyDamage(attackerUnit, amount, damageType, alert);
}

bool CBuilding::ApplyDamage(CUnit* attackerUnit, int32_t amount, TENUMDAMAGETYPE damageType, bool alert)
{
    const float maxHitPoints = static_cast<float>(GetMaxHitPoints());
    const int32_t hitPoints = GetHitPoints();
    if (hitPoints <= 0 || takenDown || maxHitPoints <= 0.0f)
        return false;
    const float oldHealth = health;
    float factor = 0.0f;
    if (SelectDamageFactor(*this, damageType, &factor))
    {
        // A negative amount from a peer must not heal.
        const float left = static_cast<float>(hitPoints) - factor * static_cast<float>(std::max(amount, 0));
        health = std::min(left / maxHitPoints * 100.0f, oldHealth);
    }
    health = std::max(health, 0.0f);
    OnHit(damageType);
    UpdateFireEmitters();
    OnHealthChanged();
    // A shooter that died while its shot flew still made the hit: the owner
    // is alerted and looks at where it stood, as for a hit on a unit.
    CPlayer* ownerPlayer = PlayerAt(owner);
    if (ownerPlayer != nullptr && attackerUnit != nullptr)
    {
        ownerPlayer->AlertBuildingAttacked(this, attackerUnit, alert ? 1 : 0);
        if (attackEventArmed && scriptTag != 0 && IsAlive())
        {
            attackEventArmed = 0;
            ownerPlayer->script.OnBuildingAttacked(scriptTag);
        }
    }
    lastAttacked = SysClock::TickCount();
    if (ownerPlayer != nullptr && attackerUnit != nullptr && StandsOnMap(*attackerUnit))
        RevealToAttacker(*attackerUnit);
    if (IsAlive())
    {
        if (IsNetworkGame() && IsDecidedHere())
            g_MultiplayerGame.SendBuildingHealth(this, health);
        return health != oldHealth;
    }
    OnDestroyedByDamage(attackerUnit);
    return true;
}

void CBuilding::RevealToAttacker(CUnit& attackerUnit)
{
    CPlayer* ownerPlayer = PlayerAt(owner);
    if (ownerPlayer != nullptr && g_SightDiscs != nullptr)
    {
        const int32_t ring = std::clamp(attackerUnit.GetSize() - 1, 0, RangeRingCount - 1);
        ownerPlayer->ScanSightPattern(attackerUnit.GetCentreCellX(), attackerUnit.GetCentreCellY(),
                                      g_SightDiscs[ring]);
    }
    if (owner == g_LocalPlayer && attackerUnit.player != owner)
        g_Particles.AddRevealArea(&attackerUnit, attackerUnit.GetSize(), AttackerRevealTime);
}

void CBuilding::OnDestroyedByDamage(CUnit* attackerUnit)
{
    health = 0.0f;
    const int32_t cast = GetBuildCast();
    if (cast == CastResource && GetResourceKind() == ResourceKindTree && g_GameMap.IsOnMap(x, y))
    {
        g_GameMap.Block(x, y).decorationModel = FelledTreeModel;
        const bool hidden = !IsVisibleToLocalPlayer();
        for (int32_t i = 0; i < FelledTreeDebris; ++i)
        {
            const float pieceX = static_cast<float>(x) + 0.5f + Jitter();
            const float pieceY = static_cast<float>(y) + 0.5f + Jitter();
            const float height = g_GameMap.GetHeight(pieceX, pieceY) + static_cast<float>(GlobalFunc::Random(80)) + 10.0f;
            g_Particles.AddSmash(hidden, pieceX, pieceY, height, TreeDebrisKind);
        }
    }
    const bool counted = cast != CastResource && cast != CastWall;
    if (counted)
        g_Particles.AddExplosionMark(static_cast<float>(x) + static_cast<float>(GetWidth()) * 0.5f,
                                     static_cast<float>(y) + static_cast<float>(GetDepth()) * 0.5f,
                                     static_cast<float>(GetWidth() + GetDepth()));
    if (counted && attackerUnit != nullptr)
        if (CPlayer* killer = PlayerAt(attackerUnit->player))
        {
            ++killer->statistics[STAT_BUILDINGS_DESTROYED];
            killer->score += GetPointValue();
        }
    if (IsDecidedHere())
        Destroy(true);
}

int32_t CBuilding::UpdateFireEmitters()
{
    const bool finished = IsFinished();
    int32_t sum = 0;
    for (int32_t i = 0; i < fireCount && firePositions != nullptr; ++i)
    {
        CFirePosition& fire = firePositions[i];
        if (finished && health < fire.threshold && fire.particle == NoParticle)
        {
            const float ground = std::max(g_GameMap.GetHeight(static_cast<float>(x), static_cast<float>(y)), 0.0f);
            fire.particle = g_Particles.AddBuildingFire(!IsVisibleToLocalPlayer(),
                                                        static_cast<float>(x) + fire.offset[0],
                                                        ground + fire.offset[1],
                                                        static_cast<float>(y) + fire.offset[2], fire.size);
        }
        else if (finished && health > fire.threshold && fire.particle != NoParticle)
        {
            g_Particles.FreeParticle(fire.particle);
            fire.particle = NoParticle;
        }
        if (fire.particle != NoParticle)
            sum += static_cast<int32_t>(fire.size);
    }
    const int32_t area = GetWidth() * GetDepth();
    fireAmount = area > 0 ? sum / area : 0;
    return fireAmount;
}

void CBuilding::RemoveFirePit()
{
    // The handles are cleared as well: a slot freed here may serve another
    // effect later, which a second call must not free.
    for (int32_t i = 0; i < fireCount && firePositions != nullptr; ++i)
    {
        if (firePositions[i].particle == NoParticle)
            continue;
        if (!g_Particles.IsBuildingFire(firePositions[i].particle))
            g_Log.Write("#DEBUG: Invalid firepit particle deleted");
        g_Particles.FreeParticle(firePositions[i].particle);
        firePositions[i].particle = NoParticle;
    }
}

void CBuilding::Destroy(bool broadcast)
{
    const int32_t previousOwner = owner;
    // A finished unit waiting for its way out goes with the building, on
    // every machine: each copy of the queue makes it, and only its way out
    // comes from the host.
    if (!LeaveWorld(true))
        return;
    TellComputerPlayersGone();
    health = 0.0f;
    LeaveRubble();
    RefreshAround(RuinRefreshMargin);
    g_Particles.AddRuin(this);
    // Every building, the tower too, reveals its own area: a tower's first
    // archer may not exist or may be deleted before the particle ends.
    if (previousOwner == g_LocalPlayer)
        g_Particles.AddKind120(this, 1.0f);
    OnDestroyed();
    if (!IsNetworkGame())
        return;
    // The deciding machine tells the others, and the host of a neutral
    // building whatever took it down.
    if (DecidingSlotOf(previousOwner) == g_LocalPlayer && (broadcast || previousOwner < 0))
        g_MultiplayerGame.SendBuildingDestroyed(this);
}

void CBuilding::TellComputerPlayersGone()
{
    if (g_Players == nullptr)
        return;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        if (g_Players[p].type == PLAYER_COMPUTER)
            g_Players[p].computerAI.OnObjectDestroyed(this);
}

// Each footprint block keeps a piece of the ruin with even odds.  Resource
// sites, docks and traps leave none.
void CBuilding::LeaveRubble()
{
    const int32_t cast = GetBuildCast();
    if (cast == CastResource || cast == CastDocks || cast == CastTrap || !IsFootprintInsideMap())
        return;
    const CDecorType& rubble = GetDecorType(RubbleDecorType);
    for (int32_t i = 0; i < GetWidth(); ++i)
        for (int32_t j = 0; j < GetDepth(); ++j)
        {
            if (GlobalFunc::Random(2) == 0)
                continue;
            int32_t kind = 0;
            int32_t rotation = 0;
            rubble.PickVariant(&kind, &rotation);
            g_GameMap.Block(x + i, y + j).decorationModel = static_cast<uint16_t>(kind);
        }
}

void CBuilding::Demolish()
{
    const int32_t previousOwner = owner;
    if (!LeaveWorld(true))
        return;
    TellComputerPlayersGone();
    health = 0.0f;
    RefreshAround(RuinRefreshMargin);
    RefundPrice(previousOwner);
    PlaySound(DemolishSample, DemolishSampleVariants, false);
    g_Particles.AddRuin(this);
    OnDestroyed();
    if (IsNetworkGame() && previousOwner >= 0 && IsOwnedHere(previousOwner))
        g_MultiplayerGame.SendBuildingDestroyed(this);
}

// The first type record of the building's cast.  Unit and technology
// records carry cast 0, which no building may claim.
const CUnitStats* CBuilding::GetPriceRecord() const
{
    const int32_t cast = GetBuildCast();
    for (int32_t i = 0; cast > 0 && g_UnitStats != nullptr && i < TypeRecordCount; ++i)
        if (g_UnitStats[i].buildingCast == cast)
            return &g_UnitStats[i];
    return nullptr;
}

// The price in full, not counted as harvest.
void CBuilding::RefundPrice(int32_t payer)
{
    const CUnitStats* record = GetPriceRecord();
    if (record == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Building's property not found");
        return;
    }
    if (CPlayer* player = PlayerAt(payer))
        player->RefundResources(record->woodCost, record->stoneCost, record->goldCost);
}

bool CBuilding::Repair(float amount)
{
    if (IsNetworkGame() && !IsDecidedHere())
        return false;
    if (GetHitPoints() <= 0 || takenDown || health == 100.0f)
        return false;
    health = std::min(health + GetRepairRate() * RepairShare * amount, 100.0f);
    if (IsNetworkGame())
        g_MultiplayerGame.SendBuildingHealth(this, health);
    UpdateFireEmitters();
    OnHealthChanged();
    return health != 100.0f;
}
