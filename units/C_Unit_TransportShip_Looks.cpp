// What the transport ship shows and plays: the hull and the sinking wreck,
// the wake waves it leaves lying and sailing, the splashes of its sinking,
// its hit sounds and its part of the command panel with the carried units.

#include <cmath>

#include "buildings/C_BuildingDraw.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "game/C_BuildingPanel.h"
#include "media/C_2DImage.h"
#include "media/C_ModelRecord.h"
#include "units/C_UnitAnimationTable.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr float DegreesToRadians = 3.14159265f / 180.0f;

// One wake wave: where it starts in the hull's own frame (1/32 block) and
// the angle it runs at from the heading.  Bow first, stern last.
struct SWakeRow
{
    float x;
    float y;
    float angle;
};
constexpr SWakeRow WakeRows[] = {
    {14.87f, 35.7f, 45.0f},    {-14.87f, 35.7f, -45.0f},   {25.66f, -8.63f, 90.0f}, {-25.49f, -8.63f, -90.0f},
    {19.41f, -45.15f, 135.0f}, {-19.27f, -45.15f, -135.0f}, {0.0f, -60.0f, 180.0f},
};
constexpr float HullUnitsPerBlock = 32.0f;
constexpr float WaveScale = 1.0f;

// The hull lies this far below the height other units are drawn at; the
// wreck sinks a further 100 as its corpse fades out.
constexpr float HullHeight = -10.0f;
constexpr float WreckSinkDepth = 100.0f;
constexpr float FadeLevels = 255.0f;
constexpr int32_t NoFade = -1;

constexpr int32_t SplashCount = 20;
// Splashes scatter (Random(40) - 20) / 15 blocks around the centre, 20 to
// 39 high, in two looks.
constexpr int32_t SplashScatter = 40;
constexpr float SplashScatterDivisor = 15.0f;
constexpr int32_t SplashHeightRange = 20;
constexpr int32_t SplashBaseHeight = 20;
constexpr int32_t SplashVariants = 2;

constexpr int32_t CargoBoxSide = 40;
constexpr int HighlightImage = 5;
}  // namespace

// ---- Wake and splashes --------------------------------------------------------

void CUnitTransportShip::SpawnWake(int32_t rows, float speed, bool sailing) const
{
    const bool hidden = !IsVisibleToLocalPlayer();
    const float heading = static_cast<float>(facing);
    const float c = std::cos(heading * DegreesToRadians);
    const float s = std::sin(heading * DegreesToRadians);
    for (int32_t i = 0; i < rows && i < static_cast<int32_t>(std::size(WakeRows)); ++i)
    {
        const SWakeRow& row = WakeRows[i];
        const float localX = row.x / HullUnitsPerBlock;
        const float localY = row.y / HullUnitsPerBlock;
        // The hull's forward (0, 1) turns to (sin, cos) of the facing.
        const float waveX = centreX + localX * c + localY * s;
        const float waveY = centreY - localX * s + localY * c;
        const float angle = heading + row.angle;
        float velocity[3] = {std::sin(angle * DegreesToRadians) * speed, 0.0f,
                             std::cos(angle * DegreesToRadians) * speed};
        if (sailing)
        {
            velocity[0] += s * speed;
            velocity[2] += c * speed;
        }
        g_Particles.AddWakeWave(hidden, waveX, 0.0f, waveY, WaveScale, angle, velocity);
    }
}

void CUnitTransportShip::ThrowSplashes() const
{
    const bool hidden = !IsVisibleToLocalPlayer();
    for (int32_t i = 0; i < SplashCount; ++i)
    {
        const float dx = static_cast<float>(GlobalFunc::Random(SplashScatter) - SplashScatter / 2) / SplashScatterDivisor;
        const float dy = static_cast<float>(GlobalFunc::Random(SplashScatter) - SplashScatter / 2) / SplashScatterDivisor;
        const float height = static_cast<float>(GlobalFunc::Random(SplashHeightRange) + SplashBaseHeight);
        const int32_t variant = GlobalFunc::Random(SplashVariants);
        g_Particles.AddWaterSplash(hidden, centreX + dx, height, centreY + dy, variant);
    }
}

// ---- Drawing ------------------------------------------------------------------

void CUnitTransportShip::Render()
{
    if (!onMap)
        return;
    if (CModelRecord* record = GetModelRecord())
        record->SetColourSlot(player);
    g_GameMap.ProjectToScreenAtHeight(centreX, centreY, HullHeight, renderPosition);
    CBuildingDraw::DrawModel(model, CUnitAnimationTable::FrameIndex(animFrame, model), centreX, centreY, HullHeight,
                             static_cast<float>(shownFacing));
}

void CUnitTransportShip::RenderAt(float fade, float unused, int32_t shade)
{
    (void)unused;
    if (fade == 0.0f)
        return;
    CModelRecord* record = GetModelRecord();
    if (record == nullptr)
        return;
    record->SetColourSlot(player);
    record->SetShade(static_cast<float>(shade) / FadeLevels);
    record->SetFade(static_cast<int32_t>(fade * FadeLevels));
    CBuildingDraw::DrawModel(model, CUnitAnimationTable::FrameIndex(animFrame, model), centreX, centreY,
                             HullHeight - (1.0f - fade) * WreckSinkDepth, static_cast<float>(shownFacing));
    record->SetFade(NoFade);
}

// ---- Panel and sounds -----------------------------------------------------------

void CUnitTransportShip::RenderDetailsOnPanel()
{
    RenderInfoPanel(GetCastName());
    if (player != g_LocalPlayer)
        return;
    DropLostCargo();
    CUnit* hovered = nullptr;
    int32_t hoveredX = 0;
    int32_t hoveredY = 0;
    for (int32_t i = 0; i < m_CargoCount; ++i)
    {
        const int32_t px = CargoPanelX + CargoPanelStepX * (i % CargoPanelColumns);
        const int32_t py = CargoPanelY + CargoPanelStepY * (i / CargoPanelColumns);
        m_Cargo[i]->RenderHealthBar(px, py);
        // The boxes overlap: the first under the mouse is the one meant.
        if (hovered == nullptr && GlobalFunc::IsMouseInRect(px, py, CargoBoxSide, CargoBoxSide))
        {
            hovered = m_Cargo[i];
            hoveredX = px;
            hoveredY = py;
        }
    }
    if (hovered == nullptr)
        return;
    if (C2DImage* highlight = GetGlobalImage(HighlightImage))
        if (!highlight->IsEmpty())
            highlight->Render(hoveredX, hoveredY);
    g_BuildingPanel.hoverObjectKind = HoverCarriedUnit;
    g_BuildingPanel.hoverUnit = hovered;
}

void CUnitTransportShip::PlayHitSound(int32_t damageType)
{
    CUnitSoundTable::PlayHitSound(*this, EHitSounds::Ship, damageType);
}
