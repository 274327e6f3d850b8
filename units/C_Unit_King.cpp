#include "units/C_Unit_King.h"

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingKeep.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "game/C_Selection.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_FoundRoute.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_ObjectReferences.h"
#include "world/C_PathFinder.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr int32_t NonLocalCheckLine = 197;
constexpr int32_t OnlyKeepCheckLine = 400;
constexpr uint32_t NoKeepColour = 0xFFFF00;
constexpr int32_t TurnChance = 500;
constexpr int32_t IdleTurnDegrees = 45;
constexpr int32_t TurnChoices = 3;
constexpr const char* RefusalPrefix = "King refused: ";

void ShowMessage(const char* key, uint32_t colour)
{
    const char* text = g_Localizer.GetString(key, false);
    GetPlayerServices().AddMessage(text != nullptr ? text : "", colour);
}
}  // namespace

CUnitKing::CUnitKing() : T_UnitIgnoringEnemies(UNIT_KING) {}

// ---- Animation and drawing -----------------------------------------------------

bool CUnitKing::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        switch (animType)
        {
        case ANIM_STAND:
            StepStand();
            break;
        case ANIM_WALK:
            animFrame += m_Animation.walkAdvance;
            break;
        case ANIM_DIE:
            if (!AnimateDeath(m_Animation.dieAdvance,
                              static_cast<float>(CUnitAnimationTable::FrameCount(m_Animation.dieModel))))
                return false;
            break;
        default:
            g_Log.Write("#DEBUG: King invalid model");
            break;
        }
    }
    return true;
}

void CUnitKing::StepStand()
{
    animFrame += m_Animation.standAdvance;
    if (GlobalFunc::Random(TurnChance) == 1 && IsOwnedHere(player))
        SetDirection(facing - IdleTurnDegrees + GlobalFunc::Random(TurnChoices) * IdleTurnDegrees, true);
}

void CUnitKing::SetModelByAnimation()
{
    switch (animType)
    {
    case ANIM_STAND:
        model = m_Animation.standModel;
        break;
    case ANIM_WALK:
        model = m_Animation.walkModel;
        break;
    case ANIM_DIE:
        // A king killed inside his keep (a script may) leaves no link behind.
        DropKeepLink();
        StartDeathAnimation();
        break;
    default:
        g_Log.Write("#DEBUG: King invalid animation type");
        break;
    }
    SendAnimationChange();
}

// ---- Orders --------------------------------------------------------------------

void CUnitKing::onPerformAction()
{
    if (PerformCommonOrder(*this, NonLocalCheckLine, __FILE__))
        return;
    if (currentCommand == CMD_ENTER_KEEP && targetKind == TARGET_NONE)
        SearchKeep();
    else if (!WalkOnToTarget(*this))
        ActOnArrival();
}

// The nearest free keep of the king's player: walk to it, or act at once
// when it touches the king's tile.
void CUnitKing::SearchKeep()
{
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    const int32_t steps = g_PathFinder.FindGarrisonKeep(x, y, route, end);
    CBuilding* found = g_PathFinder.GetTargetBuilding();
    if (found == nullptr)
    {
        if (player == g_LocalPlayer)
            ShowMessage("MSG_KINGNOKEEP", NoKeepColour);
        pathFlag = 0;
        Stop();
        return;
    }
    targetX = end.x;
    targetY = end.y;
    CFoundRoute::Walk(*this, steps, end.x, end.y);
    targetKind = TARGET_BUILDING;
    targetBuilding = found;
    currentCommand = CMD_ENTER_KEEP;
}

void CUnitKing::ActOnArrival()
{
    if (!BoardOnArrival(*this))
    {
        if (currentCommand != CMD_ENTER_KEEP)
            Stop();
        else if (IsShelterFor(targetBuilding))
            EnterBuilding(targetBuilding);
        else
        {
            // Another king got there first, or the keep changed sides on
            // the way: look for the next keep.
            targetKind = TARGET_NONE;
            onPerformAction();
            return;
        }
    }
    SetModelByAnimation();
}

void CUnitKing::onMoveEnd()
{
    if (currentCommand == CMD_GARRISON_SHIP)
        RetryBoarding(*this);
    else if (currentCommand == CMD_ENTER_KEEP)
        RetryLater(*this);   // the keep may be reachable half a second later
    SetModelByAnimation();
}

void CUnitKing::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    RunFromAttacker(*this, attackerUnit, attackerBuilding);
}

void CUnitKing::onIdle()
{
    StandIdle(*this);
}

// ---- The keep ------------------------------------------------------------------

bool CUnitKing::EnterBuilding(CBuilding* building)
{
    if (building == nullptr || building->GetBuildCast() != CastKeep)
    {
        DEBUG_REPORT_AT("#DEBUG: Only keep is allowed", OnlyKeepCheckLine);
        return false;
    }
    if (!IsShelterFor(building))
        return false;
    g_Selection.RemoveUnit(this);
    // The other machines take the king off their maps too.
    if (IsNetworkGame())
        g_MultiplayerGame.SendUnitHidden(this);
    ShowUnit(false);
    static_cast<CBuildingKeep*>(building)->Garrison(this);
    keep = building;
    return true;
}

// A keep that changed sides or fell while the king walked is no shelter
// for him.
bool CUnitKing::IsShelterFor(const CBuilding* building) const
{
    return building != nullptr && building->GetBuildCast() == CastKeep && building->garrisonedUnit == nullptr &&
           building->owner == player && building->IsAlive() && !building->IsTakenDown();
}

void CUnitKing::DropKeepLink()
{
    if (keep != nullptr && keep->garrisonedUnit == this)
        keep->garrisonedUnit = nullptr;
    keep = nullptr;
}

// ---- Saved part ------------------------------------------------------------------

void CUnitKing::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    CSaveWriter out(stream);
    out.I32(keep != nullptr ? references.GetBuildingRef(keep) : CObjectReferences::NoObject);
}

bool CUnitKing::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, RefusalPrefix);
    const int32_t id = in.I32();
    if (!in.Finish())
        return false;
    CBuilding* loaded = nullptr;
    if (id != CObjectReferences::NoObject)
    {
        loaded = references.GetBuilding(id);
        if (loaded == nullptr || loaded->GetBuildCast() != CastKeep)
            return in.Refuse("the keep id names no keep");
    }
    keep = loaded;
    return true;
}
