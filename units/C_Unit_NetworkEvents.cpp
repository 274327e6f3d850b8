// What another machine tells about the actions of the units it owns: the
// copy here takes over the animation and the target, standing on its tile.

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_Worker.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t ResourceSiteCast = 10;

bool IsKnownAnimation(int32_t animation)
{
    return animation >= ANIM_STAND && animation <= ANIM_SPELL;
}
}  // namespace

void CUnit::OnNetworkAction(int32_t animation, CUnit* newTargetUnit, CBuilding* newTargetBuilding, int32_t tx,
                            int32_t ty, int32_t kind, bool isTornApart)
{
    if (!IsNetworkGame())
    {
        DEBUG_REPORT("#DEBUG: Multiplayer event in single player mode");
        return;
    }
    if (awaitingMoveAnswer)
    {
        DEBUG_REPORT("#DEBUG: Network perform action before move response");
        awaitingMoveAnswer = 0;
    }
    if (kind < TARGET_UNIT || kind > TARGET_BLOCK)
    {
        DEBUG_REPORT("#DEBUG: Invalid target type in network unit event");
        // An event without a target still carries the owner's animation; a
        // kind the action buffer cannot hold is outside input to refuse.
        if (kind != TARGET_NONE)
            return;
    }
    // The packet is outside input: an animation or block the game does not
    // have is refused, and a unit that is dying here keeps its death.
    if (!IsKnownAnimation(animation) || !g_GameMap.IsOnMap(tx, ty) || IsOwnedHere(player) || !IsAlive() || !onMap)
        return;
    bool changed = animation != animType;
    switch (kind)
    {
    case TARGET_UNIT: changed = changed || newTargetUnit != targetUnit; break;
    case TARGET_BUILDING: changed = changed || newTargetBuilding != targetBuilding; break;
    case TARGET_RESOURCE: changed = changed || newTargetBuilding != targetObject; break;
    case TARGET_BLOCK: changed = changed || tx != targetX || ty != targetY; break;
    default: break;
    }
    actionTargetUnit = newTargetUnit;
    targetUnit = newTargetUnit;
    animType = animation;
    actionTargetBuilding = newTargetBuilding;
    tornApart = isTornApart ? 1 : 0;
    targetBuilding = newTargetBuilding;
    if (newTargetBuilding != nullptr && newTargetBuilding->GetBuildCast() == ResourceSiteCast)
    {
        targetObject = newTargetBuilding;
        objectResourceKind = newTargetBuilding->GetResourceKind();
        if (auto* worker = dynamic_cast<CUnitWorker*>(this))
            worker->TakeOverResourceKind(objectResourceKind);
    }
    targetX = approachX = tx;
    targetY = approachY = ty;
    targetKind = kind;
    ArriveAtTileCentre();
    deadline = 0;
    routeEnd = 0;
    pathFlag = 0;
    if (changed)
        SetModelByAnimation();
}
