#include "units/C_Unit.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_FoundRoute.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t FacingSteps = 8;
constexpr int32_t FacingStepDegrees = 45;
constexpr int32_t AnimFrameSpread = 100;
constexpr int32_t FollowCheckSpread = 64;
constexpr int32_t TargetKindBuilding = 2;
constexpr float StarvationPerAmount = 0.1f;
constexpr float PercentPerHitPoint = 100.0f;
// Blocks beyond its size a unit steps aside from an exploding stone.
constexpr int32_t ExplodingStoneReach = 2;
}  // namespace

CUnit::CUnit() : CUnit(-1, -1, 0) {}

CUnit::CUnit(int32_t tileX, int32_t tileY, int32_t owner) : player(owner)
{
    facing = GlobalFunc::Random(FacingSteps) * FacingStepDegrees;
    shownFacing = facing;
    animFrame = static_cast<float>(GlobalFunc::Random(AnimFrameSpread));
    followCountdown = GlobalFunc::Random(FollowCheckSpread) + 1;
    x = tileX;
    y = tileY;
    if (tileX != -1 && tileY != -1)
    {
        // The type's own size is not known while the base is constructed.
        centreX = static_cast<float>(tileX) + 0.5f;
        centreY = static_cast<float>(tileY) + 0.5f;
    }
}

CUnit::~CUnit()
{
    // A unit deleted while still standing on the map must not leave its
    // pointer in the map's blocks.
    if (m_FootprintRegistered)
        PlaceFootprint(false);
    // Projectiles in flight forget their shooter and target.
    g_Particles.ForgetUnit(this);
}

int32_t CUnit::GetLivingHitPoints() const
{
    return static_cast<int32_t>(GetMaxHitPoints() * (health - starvation) * 0.01f);
}

bool CUnit::IsAlliedWith(int32_t playerIndex) const
{
    const CPlayer* other = PlayerAt(playerIndex);
    return other != nullptr && other->IsFriendTo(player);
}

bool CUnit::IsVisibleToLocalPlayer() const
{
    if (player == g_LocalPlayer || !g_Config.fogOfWar)
        return true;
    const CPlayer* local = PlayerAt(g_LocalPlayer);
    return local != nullptr && local->IsCellVisible(GetCentreCellX(), GetCentreCellY());
}

int32_t CUnit::GetRegionId() const
{
    if (!onMap || !g_GameMap.IsOnMap(GetCentreCellX(), GetCentreCellY()))
        return -1;
    return std::as_const(g_GameMap).Block(GetCentreCellX(), GetCentreCellY()).regionId;
}

bool CUnit::FootprintInsideMap() const
{
    const int32_t size = GetSize();
    return g_GameMap.IsOnMap(x, y) && g_GameMap.IsOnMap(x + size - 1, y + size - 1);
}

void CUnit::PlaceFootprint(bool place)
{
    const int32_t size = GetSize();
    for (int32_t bx = x; bx < x + size; ++bx)
        for (int32_t by = y; by < y + size; ++by)
        {
            if (!g_GameMap.IsOnMap(bx, by))
                continue;
            SMapBlock& block = g_GameMap.Block(bx, by);
            if (place)
                block.unit = this;
            else if (block.unit == this)
                block.unit = nullptr;   // another unit may stand there since
        }
    m_FootprintRegistered = place;
}

void CUnit::ShowUnit(bool show)
{
    if ((onMap != 0) == show)
    {
        DEBUG_REPORT("#DEBUG: ShowUnit called with the same parameter");
        return;
    }
    if (show && !FootprintInsideMap())
    {
        DEBUG_REPORT("#DEBUG: ShowUnit outside the map");
        return;
    }
    onMap = show ? 1 : 0;
    centreX = static_cast<float>(x) + static_cast<float>(GetSize()) * 0.5f;
    centreY = static_cast<float>(y) + static_cast<float>(GetSize()) * 0.5f;
    if (show)
    {
        AddSightAndScan();
        onShown();
        PlaceFootprint(true);
        if (m_Life == UnitLife::Created || m_Life == UnitLife::OffMap)
            m_Life = UnitLife::OnMap;
        NotifyEnemiesInSight();
        Stop();
    }
    else
    {
        const bool registered = m_FootprintRegistered;
        if (registered)
            ApplySight(-1);
        onHidden();
        if (registered)
            PlaceFootprint(false);
        if (m_Life == UnitLife::OnMap)
            m_Life = UnitLife::OffMap;
        // A unit off the map walks no further: its next step would put it
        // back into the blocks.
        pathFlag = 0;
        routeEnd = 0;
        retryCounter = 0;
        awaitingMoveAnswer = 0;
        DropEveryReference(false);
        // Its shots in flight still strike for its player, but no one may
        // answer a unit gone aboard or inside.
        if (!IsDying())
            g_Particles.ForgetUnit(this);
        orderState = 0;
    }
    RefreshFogArea(GetSightRadius());
}

void CUnit::RefreshVisibility()
{
    // After the first call the unit is off the map already; withdrawing its
    // sight or blocks again would take what others hold.
    if (!onMap || !m_FootprintRegistered)
        return;
    const float keptX = centreX;
    const float keptY = centreY;
    const UnitLife life = m_Life;
    ShowUnit(false);
    centreX = keptX;
    centreY = keptY;
    onMap = 1;
    m_Life = life == UnitLife::Dying ? UnitLife::Corpse : UnitLife::OffMap;
}

void CUnit::RemoveFromWorld(bool notify)
{
    if (m_Life == UnitLife::Dying || m_Life == UnitLife::Corpse)
        return;
    health = 0.0f;
    ForgetEverywhere();
    LeaveCarrier();
    if (notify && IsNetworkGame() && IsOwnedHere(player))
        g_MultiplayerGame.SendUnitDied(this, tornApart != 0);
    // Dying before the model changes: a type whose death ends inside its
    // model choice (the corpse at once) finishes it there.
    m_Life = UnitLife::Dying;
    animType = ANIM_DIE;
    animFrame = 0.0f;
    SetModelByAnimation();
}

void CUnit::ForgetEverywhere()
{
    DropEveryReference(true);
    g_Selection.RemoveAndClearActions(this);
}

// A unit that dies aboard (a script, the owner's machine) leaves no place in
// the cargo behind: the ship would hold it past its deletion.
void CUnit::LeaveCarrier()
{
    if (g_Players == nullptr)
        return;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
            if (auto* ship = dynamic_cast<CUnitTransportShip*>(g_Players[p].units[i]))
                ship->DropFromCargo(this);
}

void CUnit::DropEveryReference(bool tellAI)
{
    if (g_Players == nullptr)
        return;
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        CPlayer& other = g_Players[p];
        for (int32_t i = 0; i < other.unitCount; ++i)
            if (other.units[i] != nullptr)
                other.units[i]->onUnitRemoved(this);
        for (int32_t i = 0; i < other.buildingCount; ++i)
            if (other.buildings[i] != nullptr)
                other.buildings[i]->onUnitRemoved(this);
        if (tellAI)
            other.OnUnitEventForAI(this);
    }
}

void CUnit::onUnitRemoved(CUnit* unit)
{
    if (actionTargetUnit == unit)
    {
        if (IsOwnedHere(player))
            onTargetLost(unit, nullptr);
        if (actionTargetUnit == unit)
            actionTargetUnit = nullptr;
    }
    if (targetUnit == unit)
        targetUnit = nullptr;
    if (attacker == unit)
    {
        attacker = nullptr;
        lastHitTime = 0;
    }
    if (followedUnit == unit)
        followedUnit = nullptr;
}

void CUnit::onBuildingRemoved(CBuilding* building)
{
    if (actionTargetBuilding == building)
    {
        if (IsOwnedHere(player))
            onTargetLost(nullptr, building);
        if (actionTargetBuilding == building)
            actionTargetBuilding = nullptr;
    }
    if (targetBuilding == building)
    {
        targetBuilding = nullptr;
        if (targetKind == TargetKindBuilding)
            Stop();
    }
    if (targetObject == building)
        targetObject = nullptr;
}

void CUnit::Stop()
{
    if (!IsAlive())
        return;
    currentCommand = 0;
    targetUnit = nullptr;
    targetBuilding = nullptr;
    targetObject = nullptr;
    orderState = 0;
    ready = 1;
    attacker = nullptr;
    waypointCount = 0;
    // A walking unit finishes its step into the next block first.
    if (animType == ANIM_WALK)
        return;
    animType = ANIM_STAND;
    SetModelByAnimation();
    onIdle();
    stopped = 1;
    if (IsNetworkGame() && IsOwnedHere(player))
        g_MultiplayerGame.SendUnitStop(this);
}

void CUnit::AddWaypoint(int32_t wx, int32_t wy)
{
    if (waypointCount >= MaxWaypoints)
        return;
    waypoints[waypointCount][0] = wx;
    waypoints[waypointCount][1] = wy;
    ++waypointCount;
}

int32_t CUnit::AddStarvation(float amount)
{
    const float old = starvation;
    starvation = std::clamp(starvation + amount * StarvationPerAmount, 0.0f, MaxStarvation);
    // Hunger never takes the last hit point.
    if (!IsAlive() && amount > 0.0f)
        starvation = old;
    return GetLivingHitPoints();
}

bool CUnit::Heal(float amount)
{
    if (IsNetworkGame() && !IsOwnedHere(player))
        return false;
    if (!IsAlive() || health == FullHealth)
        return false;
    const float maxHitPoints = GetMaxHitPoints();
    if (maxHitPoints <= 0.0f)
        return false;
    // Health counts before starvation: the aliveness test takes starvation
    // off, so it must not be taken off here as well.
    health = std::min(health + amount * PercentPerHitPoint / maxHitPoints, FullHealth);
    if (IsNetworkGame())
        g_MultiplayerGame.SendUnitHealth(this, health);
    return health < FullHealth;
}

int32_t CUnit::GetAttack(int32_t* base, int32_t* bonus) const
{
    constexpr int32_t BaseAttack = 5;
    *base = BaseAttack;
    *bonus = 0;
    return BaseAttack;
}

int32_t CUnit::GetAttackRange(int32_t* base, int32_t* bonus) const
{
    *base = 1;
    *bonus = 0;
    return 1;
}

void CUnit::onAIIdle(int32_t, bool wide)
{
    // Only the owner's machine sends a unit off, so that every machine sees
    // the same walk.
    if (player == g_LocalPlayer || !IsOwnedHere(player) || !onMap || !IsAlive())
        return;
    if (currentCommand != CMD_NONE && currentCommand != CMD_PATROL)
        return;
    const CPlayer* owner = PlayerAt(player);
    if (owner == nullptr || owner->type != PLAYER_COMPUTER)
        return;
    const int32_t dodge = owner->computerAI.GetDodgeValue();
    if (dodge <= 0 || GlobalFunc::Random(CComputerAI::MostDodge + 1 - dodge) != 0)
        return;
    // Out of the stone's block, and out of its blast when it explodes.
    const int32_t reach = GetSize() + (wide ? ExplodingStoneReach : 0);
    g_PathFinder.Init(player, this);
    formationOffsetX = 0;
    formationOffsetY = 0;
    CPathFinder::SPoint end{x, y};
    const int32_t steps = g_PathFinder.FindPath(x, y, x, y, GetSize(), GetMoveLayer(), reach, 2 * reach, nullptr,
                                                nullptr, 0, 0, route, end);
    if (steps > 0)
        CFoundRoute::Walk(*this, steps, end.x, end.y);
    else
        pathFlag = 0;
}
