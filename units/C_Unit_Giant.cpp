#include "units/C_Unit_Giant.h"

#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr bool OnFoot = false;
constexpr int32_t NonLocalCheckLine = 262;

bool IsComputerPlayer(int32_t index)
{
    const CPlayer* owner = PlayerAt(index);
    return owner != nullptr && owner->type == PLAYER_COMPUTER;
}
}  // namespace

CUnitGiant::CUnitGiant() : CUnitMeleeType(UNIT_GIANT) {}

void CUnitGiant::SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged)
{
    // The shared body looks along the patrol ring, keeps the leash and
    // tests the one tile ahead; the giant's other three footprint cells
    // are tested only where that body would have tested its tile.
    const int32_t commandBefore = currentCommand;
    const bool looksAhead = commandBefore == CMD_ATTACK || IsComputerPlayer(player);
    MeleeSeekTargetOnPatrol(tx, ty, engaged, OnFoot);
    if (*engaged || !looksAhead || currentCommand != commandBefore || !IsOwnedHere(player))
        return;
    if (CUnit* enemy = EnemyOnFootprintAt(tx, ty))
    {
        Engage(enemy);
        *engaged = true;
    }
}

CUnit* CUnitGiant::EnemyOnFootprintAt(int32_t tx, int32_t ty) const
{
    const int32_t side = GetSize();
    for (int32_t dy = 0; dy < side; ++dy)
        for (int32_t dx = 0; dx < side; ++dx)
        {
            if (!g_GameMap.IsOnMap(tx + dx, ty + dy))
                continue;
            CUnit* unit = std::as_const(g_GameMap).Block(tx + dx, ty + dy).unit;
            if (unit != nullptr && unit != this && unit->IsAlive() && !unit->IsDying() && !IsAlliedWith(unit->player))
                return unit;
        }
    return nullptr;
}

void CUnitGiant::Engage(CUnit* enemy)
{
    // Struck instead of stepped on.
    pathFlag = 0;
    actionTargetUnit = enemy;
    actionTargetBuilding = nullptr;
    animType = ANIM_ATTACK;
    targetUnit = enemy;
    targetKind = TARGET_UNIT;
    TurnTowards(true, enemy->centreX, enemy->centreY, 0.0f);
    SetModelByAnimation();
}

void CUnitGiant::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, NonLocalCheckLine, __FILE__);
}

void CUnitGiant::onMoveEnd()
{
    MeleeOnMoveEnd();
}
