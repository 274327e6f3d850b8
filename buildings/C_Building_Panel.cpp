// The standard details of a selected building on the command panel: its
// portrait and name, the owner, the hit points, the progress bar, the
// research or the queue, and why production waits.  Panel coordinates are on
// the virtual 1024 x 768 screen.

#include <cstdint>
#include <string>

#include "buildings/C_Building.h"
#include "core/C_Localizer.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "media/C_2DImage.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Yellow = 0xFFFF00;
constexpr uint32_t Green = 0x00FF00;
constexpr uint32_t LightRed = 0xFF4040;
constexpr int32_t QueueHint = 6;
constexpr int32_t NarrowText = 148;
constexpr int32_t WrapWidth = 147;
constexpr float BarPixelsPerPercent = 1.71f;
constexpr int32_t QueueColumns = 9;
constexpr int32_t HighlightFrameImage = 5;

const char* Text(const char* key)
{
    const char* text = g_Localizer.GetString(key, false);
    return text != nullptr ? text : key;
}

// Prints the text on one line when it is narrow, else word-wrapped.
void PrintWrapped(int32_t x, int32_t y, int32_t singleLineY, const char* text)
{
    CBuildingPanel& panel = g_BuildingPanel;
    if (CBuildingPanel::TextWidth(text, false) < NarrowText)
    {
        panel.PrintText(x, singleLineY, text, White, false);
        return;
    }
    constexpr int32_t LineStep = 16;
    std::string line;
    std::string word;
    const std::string all = std::string(text) + " ";
    for (const char c : all)
    {
        if (c != ' ')
        {
            word += c;
            continue;
        }
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && CBuildingPanel::TextWidth(longer.c_str(), false) > WrapWidth)
        {
            panel.PrintText(x, y, line.c_str(), White, false);
            y += LineStep;
            line = word;
        }
        else
            line = longer;
        word.clear();
    }
    if (!line.empty())
        panel.PrintText(x, y, line.c_str(), White, false);
}
}  // namespace

bool CBuilding::IsPanelMouseIn(int32_t x, int32_t y)
{
    const CBuildingPanel& panel = g_BuildingPanel;
    constexpr int32_t Side = CBuildingPanel::ButtonSize;
    return panel.mouseX >= x && panel.mouseX < x + Side && panel.mouseY >= y && panel.mouseY < y + Side;
}

void CBuilding::RenderPanelImage(int32_t image, int32_t x, int32_t y)
{
    C2DImage* picture = GetGlobalImage(image);
    if (picture != nullptr && !picture->IsEmpty())
        picture->Render(x, y);
}

bool CBuilding::RenderPanelIcon(int32_t iconX, int32_t iconY, int32_t icon, int32_t hint) const
{
    CBuildingPanel& panel = g_BuildingPanel;
    const bool hovered = panel.RenderButton(iconX, iconY, icon, 0);
    if (hovered)
    {
        panel.hintId = hint;
        RenderPanelImage(HighlightFrameImage, iconX, iconY);
    }
    return hovered;
}

void CBuilding::RenderPanelDetails(const char* name)
{
    CBuildingPanel& panel = g_BuildingPanel;
    RenderPanelIcon(5, 240, GetIconIndex(), 0);
    panel.PrintText(115, 240, name, White, CBuildingPanel::TextWidth(name, false) > WrapWidth);
    const CPlayer* ownerPlayer = PlayerAt(owner);
    if (ownerPlayer != nullptr)
        panel.PrintText(115, 260, ownerPlayer->name, Yellow, true);
    if (owner != g_LocalPlayer)
    {
        RenderRelationLine(ownerPlayer);
        return;
    }
    const float shownProgress = buildProgress;
    buildProgress = FinishedProgress;
    const int32_t fullHitPoints = GetMaxHitPoints();
    buildProgress = shownProgress;
    panel.PrintText(5, 289, (std::to_string(GetHitPoints()) + "/" + std::to_string(fullHitPoints)).c_str(), White,
                    false);
    if (buildProgress < FinishedProgress || progress != 0.0f)
    {
        const float value = progress != 0.0f ? progress : buildProgress;
        panel.progressBarWidth = static_cast<int32_t>(value * BarPixelsPerPercent);
        panel.PrintText(90, 300, (std::to_string(static_cast<int32_t>(value)) + "%").c_str(), Yellow, true);
    }
    if (research != nullptr && research->type != nullptr)
    {
        RenderPanelIcon(5, 335, research->type->icon, QueueHint);
        PrintWrapped(115, 335, 345, research->type->name != nullptr ? research->type->name : "");
    }
    else if (queueCount > 0)
        RenderQueueDetails();
    RenderProductionNotice();
}

void CBuilding::RenderRelationLine(const CPlayer* ownerPlayer) const
{
    CBuildingPanel& panel = g_BuildingPanel;
    if (!IsFriendTo(g_LocalPlayer))
        panel.PrintText(90, 330, Text("UN_TYPE_ENEMY"), LightRed, false);
    else if (ownerPlayer == nullptr || ownerPlayer->type == 0)
        panel.PrintText(90, 330, Text("UN_TYPE_NEUTRAL"), Yellow, false);
    else if (ownerPlayer->type == PLAYER_DEFEATED)
        panel.PrintText(90, 330, Text("UN_TYPE_DEFEATED"), LightRed, false);
    else
        panel.PrintText(90, 330, Text("UN_TYPE_ALLY"), Green, false);
}

void CBuilding::RenderQueueDetails() const
{
    CBuildingPanel& panel = g_BuildingPanel;
    const CUnitStats* head = queue[0];
    if (head != nullptr)
    {
        // A finished head waits for its way out: drawn plain.
        if (progress == FinishedProgress)
            panel.RenderButton(5, 335, head->icon, 0);
        else
            RenderPanelIcon(5, 335, head->icon, QueueHint);
        panel.PrintText(115, 345, head->name != nullptr ? head->name : "", White, false);
    }
    // The later entries overlap, the earlier on top: drawn last to second.
    int32_t underMouse = CBuildingCommand::NoCancel;
    for (int32_t k = queueCount - 1; k >= 1; --k)
    {
        if (queue[k] == nullptr)
            continue;
        int32_t iconX = 0;
        int32_t iconY = 0;
        QueueIconPosition(k, &iconX, &iconY);
        panel.RenderButton(iconX, iconY, queue[k]->icon, 0);
        if (IsPanelMouseIn(iconX, iconY))
            underMouse = k;
    }
    // The entry a click cancels, the lowest under the mouse, shows its frame.
    if (underMouse != CBuildingCommand::NoCancel)
    {
        panel.hintId = QueueHint;
        int32_t iconX = 0;
        int32_t iconY = 0;
        QueueIconPosition(underMouse, &iconX, &iconY);
        RenderPanelImage(HighlightFrameImage, iconX, iconY);
    }
    g_BuildingCommand.cancelSlot = underMouse;
}

// Entry k (1 and on) of the queue: nine 40 x 40 icons to a row, 16 pixels
// apart, so that they overlap.
void CBuilding::QueueIconPosition(int32_t k, int32_t* iconX, int32_t* iconY)
{
    const int32_t row = (k - 1) / QueueColumns;
    const int32_t column = k - QueueColumns * row;
    *iconX = 16 * column - 11;
    *iconY = 380 + 45 * row;
}

void CBuilding::RenderProductionNotice() const
{
    const char* key = productionState == ProductionNoExit              ? "BDMSG_NOROOMFORUNIT"
                      : productionState == ProductionNeedsHouses       ? "BDMSG_HOUSENEEDED"
                      : productionState == ProductionPopulationMaximum ? "BDMSG_POPLIMITREACHED"
                                                                       : nullptr;
    if (key == nullptr)
        return;
    const std::string text = Text(key);
    const size_t split = text.find('\\');
    CBuildingPanel& panel = g_BuildingPanel;
    panel.PrintText(95, 515, text.substr(0, split).c_str(), Yellow, false);
    if (split != std::string::npos)
        panel.PrintText(95, 531, text.substr(split + 1).c_str(), Yellow, false);
}
