// What a walking fighter looks for before each step: on patrol, an enemy in
// the outer ring of its sight; on a guard or patrol, not to stray beyond its
// sight from its post; and an enemy standing on the tile it is about to
// enter.  Riders raise dust, snow or spray as they go.

#include <algorithm>

#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t TenthsPerBlock = 10;
// The patrol scan looks at the outer three blocks of the sight circle.
constexpr int32_t OuterRingTenths = 30;
constexpr int32_t NoReturnPoint = -1;
constexpr int32_t WinterTheme = 1;
constexpr float WaterBelow = -8.0f;
constexpr int32_t SplashCount = 4;
constexpr int32_t SnowPuffCount = 40;
constexpr int32_t DustPuffCount = 10;
constexpr float SnowPuffSize = 6.0f;
constexpr float DustPuffSize = 4.0f;
constexpr float DustGrowth = 1.0f;

bool IsComputerPlayer(int32_t index)
{
    const CPlayer* owner = PlayerAt(index);
    return owner != nullptr && owner->type == PLAYER_COMPUTER;
}

const CRangeTable* CircleOf(const CRangeTable* family, int32_t radius)
{
    if (family == nullptr)
        return nullptr;
    return &family[std::clamp(radius, 0, RangeRingCount - 1)];
}

bool IsEnemyOf(const CUnit* unit, const CUnit& self)
{
    return unit != nullptr && unit != &self && unit->IsAlive() && !unit->IsDying() && !self.IsAlliedWith(unit->player);
}

bool IsHiddenPoint(float px, float py)
{
    const CPlayer* local = PlayerAt(g_LocalPlayer);
    const int32_t bx = static_cast<int32_t>(px);
    const int32_t by = static_cast<int32_t>(py);
    return local == nullptr || !g_GameMap.IsOnMap(bx, by) || !local->IsCellVisible(bx, by);
}

float Scatter()
{
    return static_cast<float>(GlobalFunc::Random(100)) * 0.01f - 0.5f;
}

// Hoof effects at the rider's centre as it enters a free tile.  Water is
// told by the bed's own height (the clamped one never falls below the
// surface); the splashes rise from the surface.
void RaiseHoofEffects(const CUnit& rider)
{
    const float ground = g_GameMap.GetHeight(rider.centreX, rider.centreY);
    if (g_GameMap.GetHeightRaw(rider.centreX, rider.centreY) < WaterBelow)
    {
        for (int32_t i = 0; i < SplashCount; ++i)
        {
            const float px = rider.centreX + Scatter();
            const float py = rider.centreY + Scatter();
            g_Particles.AddWaterSplash(IsHiddenPoint(px, py), px, ground, py, GlobalFunc::Random(2));
        }
        return;
    }
    const bool winter = g_GameMap.theme == WinterTheme;
    const int32_t count = winter ? SnowPuffCount : DustPuffCount;
    for (int32_t i = 0; i < count; ++i)
    {
        const float px = rider.centreX + Scatter();
        const float py = rider.centreY + Scatter();
        const bool hidden = IsHiddenPoint(px, py);
        if (winter)
            g_Particles.AddKind3(hidden, px, static_cast<float>(GlobalFunc::Random(5) + 8) * 0.5f, py, SnowPuffSize);
        else
            g_Particles.AddDust(hidden, px, static_cast<float>(GlobalFunc::Random(5) + 8), py, DustPuffSize,
                                DustGrowth);
    }
}
}  // namespace

void CUnit::MeleeSeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged, bool rider, bool fromRange)
{
    *engaged = false;
    if (!IsOwnedHere(player))
        return;
    if (rider && TestTileFree(tx, ty) == TileFree)
        RaiseHoofEffects(*this);
    const int32_t radius = GetSightRadius();
    if (currentCommand == CMD_PATROL)
    {
        const CRangeTable* circle = CircleOf(rider ? g_SightDiscs : g_FilledDiscs, radius);
        const int32_t innerTenths = radius * TenthsPerBlock - OuterRingTenths;
        const int32_t cx = static_cast<int32_t>(centreX);
        const int32_t cy = static_cast<int32_t>(centreY);
        for (int32_t i = circle != nullptr ? circle->count - 1 : -1; i >= 0; --i)
        {
            const SRangeEntry& entry = circle->entries[i];
            const int32_t cellX = cx + entry.dx;
            const int32_t cellY = cy + entry.dy;
            if (g_GameMap.IsOnMap(cellX, cellY))
            {
                CUnit* unit = std::as_const(g_GameMap).Block(cellX, cellY).unit;
                if (IsEnemyOf(unit, *this))
                {
                    InitAction(unit, nullptr, nullptr, x, y, CMD_ATTACK, TARGET_UNIT, true, fromRange);
                    StoreReturnPoint();
                    return;
                }
            }
            if (entry.distance < innerTenths)
                break;
        }
    }
    // The leash: no further than the sight radius from the post.  The way
    // back is ordered now; the step about to be taken is still taken, and
    // the new order stops the walk at the next tile.
    if (lastOrder != LAST_ORDER_NONE && returnX != NoReturnPoint &&
        GlobalFunc::Distance(tx, ty, returnX, returnY) / TenthsPerBlock > radius)
    {
        ResumeGuardOrPatrol();
        return;
    }
    if (currentCommand != CMD_ATTACK && !IsComputerPlayer(player))
        return;
    const int32_t side = rider ? GetSize() : 1;
    for (int32_t dy = 0; dy < side; ++dy)
        for (int32_t dx = 0; dx < side; ++dx)
        {
            if (!g_GameMap.IsOnMap(tx + dx, ty + dy))
                continue;
            CUnit* unit = std::as_const(g_GameMap).Block(tx + dx, ty + dy).unit;
            if (!IsEnemyOf(unit, *this))
                continue;
            // The enemy in the way is struck or shot instead of stepped on.
            pathFlag = 0;
            actionTargetUnit = unit;
            actionTargetBuilding = nullptr;
            animType = ANIM_ATTACK;
            targetUnit = unit;
            targetKind = TARGET_UNIT;
            TurnTowards(true, unit->centreX, unit->centreY, 0.0f);
            SetModelByAnimation();
            *engaged = true;
            return;
        }
}
