// What the transport ship shows and plays: the hull and the sinking wreck,
// its hit sounds and its part of the command panel with the carried units.
// Its wake and the splashes of its sinking are every ship's (CShipWake).

#include "core/GlobalFunc.h"
#include "game/C_BuildingPanel.h"
#include "media/C_2DImage.h"
#include "units/C_UnitModelDrawing.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_Player.h"

namespace
{
// The wreck sinks 100 below the hull as its corpse fades out.
constexpr float WreckSinkDepth = 100.0f;

constexpr int32_t CargoBoxSide = 40;
constexpr int HighlightImage = 5;
// The hint of the carried unit under the mouse stands here.
constexpr int32_t HintX = 206;
constexpr int32_t HintY = 768;
}  // namespace

// ---- Drawing ------------------------------------------------------------------

void CUnitTransportShip::Render()
{
    if (onMap)
        CUnitModelDrawing::DrawHull(*this);
}

void CUnitTransportShip::RenderAt(float fade, float unused, int32_t shade)
{
    (void)unused;
    CUnitModelDrawing::DrawSinkingWreck(*this, fade, shade, WreckSinkDepth);
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
    g_BuildingPanel.RenderHint(HintX, HintY);
}

void CUnitTransportShip::PlayHitSound(int32_t damageType)
{
    CUnitSoundTable::PlayHitSound(*this, EHitSounds::Ship, damageType);
}
