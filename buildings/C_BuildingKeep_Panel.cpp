// The keep's drawing and command panel: both only read the keep; the model
// it shows is chosen in the simulation step.

#include "buildings/C_BuildingDraw.h"
#include "buildings/C_BuildingKeep.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "media/C_ModelRecord.h"
#include "net/C_MultiplayerGame.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t WinterTheme = 1;
constexpr int32_t BannerModel = 233;
constexpr float BannerOffset = 1.0f;
constexpr float BannerHeight = 92.0f;
constexpr float BannerFacing = 40.0f;

constexpr int32_t UngarrisonPosition = 3;
constexpr int32_t UngarrisonIcon = 43;
constexpr int32_t UngarrisonMode = CBuildingCommand::CodeUngarrisonKing;
constexpr int32_t WorkerUnit = 1;

// Buttons sharing a place are the levels of one research line; the
// technology rules offer one of them at a time.
constexpr SCommandButton TechnologyButtons[] = {
    {0, 4, 58, 'h'}, {1, 4, 59, 'h'}, {2, 4, 60, 't'}, {3, 5, 61, 'm'}, {4, 5, 62, 'm'}, {5, 6, 63, 'b'},
    {6, 6, 64, 'b'}, {7, 6, 65, 'd'}, {8, 8, 66, 's'}, {9, 9, 67, 'i'}, {10, 9, 68, 'f'},
};
}  // namespace

void CBuildingKeep::Render(float collapse)
{
    const std::optional<SDrawPoint> body = RenderBody(collapse, GetCornerGround());
    if (!body || IsUpgrading() || !IsFinished())
        return;
    if (g_GameMap.theme == WinterTheme)
        CBuildingDraw::DrawModel(GetStageRow().snowModel, 0, body->x, body->y, body->height, 0.0f);
    if (collapse != 0.0f)
        return;
    if (CModelRecord* banner = GetGlobalModel(BannerModel))
        banner->SetColourSlot(GetOwnerColour());
    const float bannerX = static_cast<float>(x) + BannerOffset;
    const float bannerY = static_cast<float>(y) + BannerOffset;
    const float ground = g_GameMap.IsOnMap(x + 1, y + 1) ? g_GameMap.GetHeight(bannerX, bannerY) : 0.0f;
    CBuildingDraw::DrawModel(BannerModel, static_cast<int32_t>(animTime), bannerX, bannerY, ground + BannerHeight,
                             BannerFacing);
}

void CBuildingKeep::RenderPanelButtons()
{
    if (RenderUnfinishedPanel() || !MayShowButtons())
        return;
    CBuildingPanel& panel = g_BuildingPanel;
    if (garrisonedUnit != nullptr && owner == g_LocalPlayer)
    {
        int32_t left = 0;
        int32_t top = 0;
        CBuildingPanel::PositionToScreen(UngarrisonPosition, &left, &top);
        if (panel.RenderButton(left, top, UngarrisonIcon, 0))
            panel.hoverMode = UngarrisonMode;
        panel.AddbuildingHotkey('u', 'U', nullptr, CBuildingPanel::NoTechnology, CBuildingPanel::NoCommand,
                                UngarrisonMode);
    }
    // While the upgrade runs the keep offers nothing else.
    if (IsUpgrading())
        return;
    if (MayShowUnitButtons())
        RenderUnitButton(0, 42, WorkerUnit, 'l');
    if (MayShowTechnologyButtons())
        RenderTechnologyButtons(TechnologyButtons);
    RenderPanelEnd(true);
}
