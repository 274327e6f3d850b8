#include "units/C_Unit_Settler.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_VoiceBank.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitModelDrawing.h"
#include "units/C_Unit_King.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr int32_t NonLocalCheckLine = 222;
constexpr uint32_t NoPlaceColour = 0xFFFF00;
constexpr uint32_t BuiltColour = 0xFFFFFF;
constexpr int32_t PlaceSample = 163;   // "Sounds\Building\place-1.snd"
constexpr int32_t FullVolume = 100;
constexpr int32_t KeepMargin = 1;
constexpr int32_t NotPlaced = -1;

constexpr int32_t DustPuffs = 20;
constexpr int32_t DustScatter = 40;
constexpr float DustStep = 0.04f;
constexpr int32_t DustHeightRange = 20;
constexpr float DustLift = 20.0f;
constexpr float DustSize = 5.0f;
constexpr float DustGrowth = 1.0f;
}  // namespace

CUnitSettler::CUnitSettler() : T_UnitIgnoringEnemies(UNIT_SETTLER) {}

// ---- Animation and drawing -----------------------------------------------------

bool CUnitSettler::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        if (animType == ANIM_WALK)
            animFrame += m_Animation.walkAdvance;
        else if (animType == ANIM_DIE)
        {
            const bool shown = onMap && IsFootprintRegistered();
            if (!AnimateDeath(m_Animation.dieAdvance,
                              static_cast<float>(CUnitAnimationTable::FrameCount(m_Animation.dieModel))))
            {
                // The cart falls apart where it stood.
                if (shown)
                    RaiseDust(true);
                return false;
            }
        }
    }
    return true;
}

void CUnitSettler::SetModelByAnimation()
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
        animFrame = 0.0f;
        model = m_Animation.dieModel;
        if (onMap)
            RaiseDust(false);
        break;
    default:
        break;
    }
    SendAnimationChange();
}

void CUnitSettler::RaiseDust(bool onGround) const
{
    const bool hidden = !IsVisibleToLocalPlayer();
    for (int32_t i = 0; i < DustPuffs; ++i)
    {
        const float puffX = centreX + DustStep * static_cast<float>(GlobalFunc::Random(DustScatter) - DustScatter / 2);
        const float puffY = centreY + DustStep * static_cast<float>(GlobalFunc::Random(DustScatter) - DustScatter / 2);
        float height = static_cast<float>(GlobalFunc::Random(DustHeightRange)) + DustLift;
        if (onGround)
            height += g_GameMap.GetHeight(puffX, puffY);
        g_Particles.AddDust(hidden, puffX, height, puffY, DustSize, DustGrowth);
    }
}

void CUnitSettler::Render()
{
    if (onMap)
        CUnitModelDrawing::DrawOnWheels(*this);
}

void CUnitSettler::RenderAt(float dieWeight, float corpseWeight, int32_t level)
{
    (void)dieWeight;
    // A cart that founded a keep leaves no wreck where the keep now stands.
    if (!tornApart)
        CUnitModelDrawing::DrawWreckOnWheels(*this, corpseWeight, level);
}

// ---- Orders --------------------------------------------------------------------

void CUnitSettler::onPerformAction()
{
    if (CUnitKing::PerformCommonOrder(*this, NonLocalCheckLine, __FILE__))
        return;
    // The cart founds where it stands; it does not walk first.
    if (currentCommand == CMD_FOUND_SETTLEMENT)
        FoundKeep();
    else if (!CUnitKing::WalkOnToTarget(*this))
        ActOnArrival();
}

void CUnitSettler::ActOnArrival()
{
    if (!CUnitKing::BoardOnArrival(*this))
        Stop();
    SetModelByAnimation();
}

void CUnitSettler::onMoveEnd()
{
    if (currentCommand == CMD_GARRISON_SHIP)
        CUnitKing::RetryBoarding(*this);
    SetModelByAnimation();
}

void CUnitSettler::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    CUnitKing::RunFromAttacker(*this, attackerUnit, attackerBuilding);
}

void CUnitSettler::onIdle()
{
    CUnitKing::StandIdle(*this);
}

// ---- Founding --------------------------------------------------------------------

void CUnitSettler::FoundKeep()
{
    CPlayer* owner = PlayerAt(player);
    if (owner == nullptr || !onMap)
        return;
    CBuilding* keep = owner->CreateBuilding(CastKeep, NotPlaced, NotPlaced);
    if (keep == nullptr)
        return;
    int32_t cornerX = std::max(x - 1, 0);
    int32_t cornerY = std::max(y - 1, 0);
    if (cornerX + keep->GetWidth() > g_GameMap.GetWidth())
        cornerX = g_GameMap.GetWidth() - keep->GetWidth();
    if (cornerY + keep->GetDepth() > g_GameMap.GetHeight())
        cornerY = g_GameMap.GetHeight() - keep->GetDepth();
    keep->x = cornerX;
    keep->y = cornerY;
    // Off the map for the test, so that the cart's own blocks count as free.
    ShowUnit(false);
    if (!keep->CanPlaceAt(player, KeepMargin, false, true))
    {
        // The keep was never placed nor listed: nothing knows it, and the
        // player's counts and statistics never saw it.
        g_PtrGarbage.AddBuilding(keep);
        ShowNotice("MSG_SETTLERNOPLACE", NoPlaceColour);
        ShowUnit(true);
        return;
    }
    keep->PlaceOnMap();
    keep->AddBuildProgress(0.0f, false);
    // The other machines learn of the keep through the placement request.
    if (IsNetworkGame())
        g_MultiplayerGame.RequestPlaceBuilding(keep, player, CastKeep, cornerX, cornerY);
    ShowNotice("MSG_SETTLERBUILT", BuiltColour);
    g_VoiceBank.PlayAt(cornerX + keep->GetWidth() / 2, cornerY + keep->GetDepth() / 2, PlaceSample, 1, 0, FullVolume,
                       0.0f);
    // Gone without a corpse: the flag travels with command 32 as well.
    tornApart = 1;
    RemoveFromWorld(true);
}

void CUnitSettler::ShowNotice(const char* key, uint32_t colour) const
{
    const char* text = g_Localizer.GetString(key, false);
    GetPlayerServices().AddMessage(text != nullptr ? text : "", colour);
}
