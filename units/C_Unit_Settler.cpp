#include "units/C_Unit_Settler.h"

#include <algorithm>
#include <cmath>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "media/C_VoiceBank.h"
#include "net/C_UnitCommandOutbox.h"
#include "units/C_UnitActionBuffer.h"
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

// The wheels in model space (x, y), the cart facing +y.
constexpr float Wheels[4][2] = {{-0.625f, -0.687f}, {0.584f, -0.678f}, {0.584f, 0.716f}, {-0.625f, 0.716f}};
constexpr float HeightUnitsPerBlock = 32.0f;
constexpr float DegreesToRadians = 3.14159265f / 180.0f;
constexpr float LevelScale = 255.0f;
constexpr int32_t NoFade = -1;

void Normalise(float vector[3])
{
    const float length = std::sqrt(vector[0] * vector[0] + vector[1] * vector[1] + vector[2] * vector[2]);
    if (length <= 0.0f)
        return;
    for (int32_t i = 0; i < 3; ++i)
        vector[i] /= length;
}
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

// The ground under the four wheels, turned by the shown facing, gives the
// model's height and its two slope directions.
void CUnitSettler::TiltToGround()
{
    const float angle = static_cast<float>(shownFacing) * DegreesToRadians;
    const float sine = std::sin(angle);
    const float cosine = std::cos(angle);
    float wheelX[4];
    float wheelY[4];
    float wheelHeight[4];
    float sum = 0.0f;
    for (int32_t i = 0; i < 4; ++i)
    {
        wheelX[i] = centreX + Wheels[i][0] * cosine + Wheels[i][1] * sine;
        wheelY[i] = centreY - Wheels[i][0] * sine + Wheels[i][1] * cosine;
        wheelHeight[i] = g_GameMap.GetHeight(wheelX[i], wheelY[i]);
        sum += wheelHeight[i];
    }
    drawnHeight = sum * 0.25f;
    // From the midpoint of one pair of wheels to the midpoint of the other.
    auto edge = [&](int32_t a, int32_t b, int32_t c, int32_t d, float out[3]) {
        out[0] = ((wheelX[c] + wheelX[d]) - (wheelX[a] + wheelX[b])) * 0.5f * HeightUnitsPerBlock;
        out[1] = ((wheelHeight[c] + wheelHeight[d]) - (wheelHeight[a] + wheelHeight[b])) * 0.5f;
        out[2] = ((wheelY[c] + wheelY[d]) - (wheelY[a] + wheelY[b])) * 0.5f * HeightUnitsPerBlock;
        Normalise(out);
    };
    edge(0, 1, 2, 3, slopeAlong);
    edge(0, 3, 1, 2, slopeAcross);
    renderPosition[0] = centreX;
    renderPosition[1] = drawnHeight;
    renderPosition[2] = centreY;
}

void CUnitSettler::Render()
{
    if (!onMap)
        return;
    TiltToGround();
    if (CModelRecord* record = GetModelRecord())
        record->SetColourSlot(player);
}

void CUnitSettler::RenderAt(float dieWeight, float corpseWeight, int32_t level)
{
    (void)dieWeight;
    if (corpseWeight == 0.0f || tornApart)
        return;
    CModelRecord* record = GetModelRecord();
    if (record == nullptr)
        return;
    TiltToGround();
    record->SetColourSlot(player);
    record->SetShade(static_cast<float>(level) / LevelScale);
    record->SetFade(static_cast<int32_t>(corpseWeight * LevelScale));
    record->SetFade(NoFade);
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
        g_UnitCommandOutbox.RequestPlaceBuilding(keep, player, CastKeep, cornerX, cornerY);
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
