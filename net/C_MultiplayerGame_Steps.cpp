// The host's answers to the step requests (58), as this machine takes them.
// A refusal goes to the owner alone and changes no block.  A granted step
// has already moved the host's copy, and the owner's next request starts
// from the block granted: a step this machine cannot take at once is kept
// until it can, never turned into a wait the host knows nothing of.

#include <algorithm>
#include <utility>

#include "core/C_LogFile.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"

namespace
{
// The values of a 58.
enum EStepValue
{
    StepUnit,
    StepX,
    StepY,
    StepFacing,
    StepDirection,
    StepResult,
};

enum class EStepBlocks
{
    Free,
    Held,    // by another unit, or by a building that still stands here
    Never,   // ground the unit cannot stand on
};

// The blocks of the unit's footprint at (x, y), as the host's tile test and
// the unit's layer see them.  The unit's own blocks count as free, so that
// a unit larger than one block steps onto blocks it partly holds.  The
// footprint lies on the map (the receiver checked it).
EStepBlocks BlocksForStep(const CUnit& unit, int32_t x, int32_t y)
{
    bool held = false;
    for (int32_t i = 0; i < unit.GetSize(); ++i)
        for (int32_t j = 0; j < unit.GetSize(); ++j)
        {
            const SMapBlock& block = std::as_const(g_GameMap).Block(x + i, y + j);
            if (block.unit == &unit)
                continue;
            if (!g_GameMap.IsGroundOfKind(x + i, y + j, unit.GetMoveLayer()) || block.impassable ||
                (block.blocked && block.building == nullptr))
                return EStepBlocks::Never;
            held = held || block.unit != nullptr || block.blocked;
        }
    return held ? EStepBlocks::Held : EStepBlocks::Free;
}

EStepBlocks BlocksFor(const CUnit& unit, const CNetPacket& step)
{
    if (step.Value(StepResult) != CUnit::TileFree)
        return EStepBlocks::Free;
    return BlocksForStep(unit, step.Value(StepX), step.Value(StepY));
}

// Where a step may still be taken: the unit stands on its blocks, alive.
bool MayStillStep(const CUnit& unit)
{
    return unit.IsAlive() && !unit.IsDying() && unit.onMap && unit.IsFootprintRegistered() &&
           unit.GetLife() == UnitLife::OnMap;
}

void Take(CUnit& unit, const CNetPacket& step)
{
    unit.OnNetworkMoveResponse(step.Value(StepX), step.Value(StepY), step.Value(StepFacing), step.Value(StepResult),
                               step.Value(StepDirection));
}
}  // namespace

bool CMultiplayerGame::HasPendingStep(const CUnit& unit) const
{
    return std::any_of(m_PendingSteps.begin(), m_PendingSteps.end(),
                       [&unit](const CNetPacket& step) { return FindUnitByRef(step.Value(StepUnit)) == &unit; });
}

void CMultiplayerGame::ReceiveMoveStep(CUnit& unit, const CNetPacket& packet)
{
    const EStepBlocks blocks = BlocksFor(unit, packet);
    if (blocks == EStepBlocks::Never)
        DEBUG_REPORT("#DEBUG: Network packet puts a unit where it cannot stand");
    else if (blocks == EStepBlocks::Free && !HasPendingStep(unit))
        Take(unit, packet);
    else if (m_PendingSteps.size() >= kMostPendingSteps)
        DEBUG_REPORT("#DEBUG: Network packet steps a unit too far ahead");
    else
        m_PendingSteps.push_back(packet);
}

void CMultiplayerGame::TakePendingSteps()
{
    // Units whose first kept step still waits: their later ones wait too.
    std::vector<const CUnit*> waiting;
    for (auto step = m_PendingSteps.begin(); step != m_PendingSteps.end();)
    {
        CUnit* unit = FindUnitByRef(step->Value(StepUnit));
        if (unit != nullptr && std::find(waiting.begin(), waiting.end(), unit) != waiting.end())
        {
            ++step;
            continue;
        }
        const EStepBlocks blocks = unit != nullptr && MayStillStep(*unit) ? BlocksFor(*unit, *step)
                                                                           : EStepBlocks::Never;
        if (blocks == EStepBlocks::Held)
        {
            waiting.push_back(unit);
            ++step;
            continue;
        }
        const CNetPacket taken = *step;
        step = m_PendingSteps.erase(step);
        if (blocks == EStepBlocks::Free)
            Take(*unit, taken);
    }
}
