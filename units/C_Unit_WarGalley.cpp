// The war galley's orders and reactions, and its own part of the saved
// unit record.

#include "units/C_Unit_WarGalley.h"

#include <algorithm>

#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/C_ShipWake.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Catapult.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
// The ship turns this far past its target, so that its side faces it.
constexpr float BroadsideDegrees = 270.0f;
constexpr uint32_t RetryPause = 500;   // ms before a short move is tried again
constexpr int32_t RetryBeyondBlocks = 3;
constexpr int32_t TenthsPerBlock = 10;
constexpr const char* RefusalPrefix = "Unit record refused: ";

bool IsComputerPlayer(int32_t index)
{
    const CPlayer* owner = PlayerAt(index);
    return owner != nullptr && owner->type == PLAYER_COMPUTER;
}

uint32_t DeadlineIn(uint32_t milliseconds)
{
    // 0 means no deadline.
    const uint32_t deadline = SysClock::TickCount() + milliseconds;
    return deadline != 0 ? deadline : 1;
}
}  // namespace

CUnitWarGalley::CUnitWarGalley() : CUnitOfType(UNIT_WARGALLEY) {}

// ---- Orders -------------------------------------------------------------------

void CUnitWarGalley::onPerformAction()
{
    if (IsNetworkGame() && !IsOwnedHere(player))
    {
        DEBUG_REPORT("#DEBUG: Unit action performed on non-local mulitplayer unit");
        return;
    }
    CUnitCatapult::PerformSiegeOrder(*this, false, BroadsideDegrees);
}

void CUnitWarGalley::onMoveEnd()
{
    switch (currentCommand)
    {
    case CMD_PATROL:
    case CMD_MOVE_TO_DEFENSE_POS:
        if (GlobalFunc::Distance(x, y, targetX, targetY) / TenthsPerBlock > RetryBeyondBlocks)
        {
            orderState = 1;
            deadline = DeadlineIn(RetryPause);
        }
        break;
    case CMD_ATTACK:
        if (stopped)
            currentCommand = CMD_NONE;
        else
            Stop();
        break;
    default:
        break;
    }
    SetModelByAnimation();
}

// ---- Reactions ----------------------------------------------------------------

void CUnitWarGalley::onTargetLost(CUnit* unit, CBuilding* building)
{
    const bool firedAt = (unit != nullptr && unit == actionTargetUnit) ||
                         (building != nullptr && building == actionTargetBuilding);
    // Within its cycle the ship is not ready: its next shot finds no target
    // and the attack ends there.
    if (firedAt && ready != 0 && IsAlive())
        animType = ANIM_WIND_DOWN;
}

void CUnitWarGalley::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    MeleeOnAttacked(attackerUnit, attackerBuilding, true, true);
}

void CUnitWarGalley::onEnemySighted(CUnit* enemy)
{
    MeleeOnEnemySighted(enemy, true);
}

void CUnitWarGalley::onIdle()
{
    MeleeOnIdle(true);
}

void CUnitWarGalley::SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged)
{
    *engaged = false;
    if (!IsOwnedHere(player))
        return;
    const CRangeTable* circle =
        g_FilledDiscs != nullptr ? &g_FilledDiscs[std::clamp(GetSightRadius(), 0, RangeRingCount - 1)] : nullptr;
    CUnitCatapult::SeekInPatrolBand(*this, circle, tx, ty);
    if (currentCommand == CMD_ATTACK || IsComputerPlayer(player))
        *engaged = EngageUnderBow(tx, ty);
}

bool CUnitWarGalley::EngageUnderBow(int32_t tx, int32_t ty)
{
    const int32_t side = GetSize();
    for (int32_t dy = 0; dy < side; ++dy)
        for (int32_t dx = 0; dx < side; ++dx)
        {
            if (!g_GameMap.IsOnMap(tx + dx, ty + dy))
                continue;
            CUnit* enemy = std::as_const(g_GameMap).Block(tx + dx, ty + dy).unit;
            if (enemy == this || !IsActiveAttacker(enemy) || IsAlliedWith(enemy->player))
                continue;
            pathFlag = 0;
            actionTargetUnit = enemy;
            actionTargetBuilding = nullptr;
            targetUnit = enemy;
            targetKind = TARGET_UNIT;
            animType = ANIM_ATTACK;
            TurnTowards(true, enemy->centreX, enemy->centreY, 0.0f);
            SetModelByAnimation();
            return true;
        }
    return false;
}

// ---- Saved state --------------------------------------------------------------------

void CUnitWarGalley::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.I32(cycleTicks);
    out.I32(waveTicks);
    out.Flag(firstShotFired != 0);
    out.Flag(secondShotFired != 0);
}

bool CUnitWarGalley::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    const int32_t loadedCycle = in.I32();
    const int32_t loadedWaves = in.I32();
    uint8_t loadedFirst = 0;
    uint8_t loadedSecond = 0;
    in.Flag(loadedFirst);
    in.Flag(loadedSecond);
    if (!in.Finish())
        return false;
    if (loadedCycle < 0)
        return in.Refuse("the attack cycle's ticks are out of range");
    if (loadedWaves < 0)
        return in.Refuse("the wave count is negative");
    // Files of earlier builds may hold a count that ran past its cycle.
    cycleTicks = loadedCycle % CycleTicks;
    // A count beyond the longest wait, run up off the map, acts as that wait.
    waveTicks = std::min(loadedWaves, CShipWake::StandWaveTicks);
    firstShotFired = loadedFirst;
    secondShotFired = loadedSecond;
    return true;
}
