// The keep's drawing and command panel: both only read the keep; the model
// it shows is chosen in the simulation step.

#include <cmath>

#include "buildings/C_BuildingDraw.h"
#include "buildings/C_BuildingKeep.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "media/C_ModelRecord.h"
#include "net/C_UnitCommandOutbox.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t WinterTheme = 1;
constexpr float ShakeBlocks = 0.02f;
constexpr float ShakeSpeed = 500.0f;
constexpr int32_t BannerModel = 233;
constexpr float BannerOffset = 1.0f;
constexpr float BannerHeight = 92.0f;
constexpr float BannerFacing = 40.0f;

constexpr int32_t UngarrisonPosition = 3;
constexpr int32_t UngarrisonIcon = 43;
constexpr int32_t UngarrisonMode = CBuildingCommand::CodeUngarrisonKing;
constexpr int32_t WorkerUnit = 1;

struct STechnologyButton
{
    int32_t position;
    int32_t icon;
    int32_t technology;
    char key;
};

// Buttons sharing a place are the levels of one research line; the
// technology rules offer one of them at a time.
constexpr STechnologyButton TechnologyButtons[] = {
    {4, 58, 0, 'h'},  {4, 59, 1, 'h'}, {4, 60, 2, 't'}, {5, 61, 3, 'm'},  {5, 62, 4, 'm'},  {6, 63, 5, 'b'},
    {6, 64, 6, 'b'},  {6, 65, 7, 'd'}, {8, 66, 8, 's'}, {9, 67, 9, 'i'}, {9, 68, 10, 'f'},
};
}  // namespace

void CBuildingKeep::Render(float collapse)
{
    CModelRecord* record = GetGlobalModel(model);
    if (record == nullptr)
        return;
    record->SetColourSlot(GetOwnerColour());
    const SBuildingStageRow& stages = GetStageRow();
    float drawX = static_cast<float>(x);
    float drawY = static_cast<float>(y);
    float height = g_GameMap.IsOnMap(x, y) ? g_GameMap.GetHeight(drawX, drawY) : 0.0f;
    if (collapse != 0.0f)
    {
        drawX += ShakeBlocks * std::sin(ShakeSpeed * collapse);
        drawY += ShakeBlocks * std::cos(ShakeSpeed * collapse);
        height -= collapse * stages.sinkDepth;
    }
    drawPosition[0] = drawX;
    drawPosition[1] = height;
    drawPosition[2] = drawY;
    CBuildingDraw::DrawModel(model, 0, drawX, drawY, height, 0.0f);
    const bool upgrading = IsUpgrading();
    if (upgrading || !IsFinished())
        return;
    if (g_GameMap.theme == WinterTheme)
        CBuildingDraw::DrawModel(stages.snowModel, 0, drawX, drawY, height, 0.0f);
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
        for (const STechnologyButton& button : TechnologyButtons)
            RenderTechnologyButton(button.position, button.icon, button.technology, button.key);
    RenderPanelEnd(true);
}
