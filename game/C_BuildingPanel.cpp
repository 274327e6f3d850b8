#include "game/C_BuildingPanel.h"

#include "media/C_2DFont.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"

CBuildingPanel g_BuildingPanel;

namespace
{
constexpr int32_t GridColumns = 4;
constexpr int32_t GridLeft = 12;
constexpr int32_t GridTop = 560;
constexpr int32_t GridStep = 45;
constexpr int32_t MainFont = 0;
constexpr int32_t SmallFont = 1;
}  // namespace

void CBuildingPanel::BeginFrame()
{
    m_Buttons.clear();
    m_Hotkeys.clear();
    m_Texts.clear();
    m_Pictures.clear();
    progressBarWidth = -1;
    hoverRecord = nullptr;
    hoverTechnology = NoTechnology;
    hoverMode = 0;
    hoverObjectKind = 0;
    hoverUnit = nullptr;
    hintX = hintY = -1;
}

bool CBuildingPanel::IsMouseOver(int32_t x, int32_t y) const
{
    return mouseX >= x && mouseX < x + ButtonSize && mouseY >= y && mouseY < y + ButtonSize;
}

void CBuildingPanel::PositionToScreen(int32_t position, int32_t* x, int32_t* y)
{
    *x = GridLeft + GridStep * (position % GridColumns);
    *y = GridTop + GridStep * (position / GridColumns);
}

bool CBuildingPanel::RenderButton(int32_t x, int32_t y, int32_t icon, int32_t state)
{
    const bool hovered = IsMouseOver(x, y);
    m_Buttons.push_back({x, y, icon, nullptr, hovered, state});
    return hovered;
}

bool CBuildingPanel::RenderButtonEx(int32_t position, int32_t icon, const CUnitStats* record)
{
    int32_t x = 0;
    int32_t y = 0;
    PositionToScreen(position, &x, &y);
    const bool hovered = IsMouseOver(x, y);
    m_Buttons.push_back({x, y, icon, record, hovered, 0});
    return hovered;
}

bool CBuildingPanel::AddbuildingHotkey(int32_t lowerKey, int32_t upperKey, const CUnitStats* record,
                                       int32_t technology, int32_t command, int32_t mode)
{
    if (static_cast<int32_t>(m_Hotkeys.size()) >= HotkeyCapacity || FindHotkey(lowerKey) != nullptr ||
        FindHotkey(upperKey) != nullptr)
        return false;
    m_Hotkeys.push_back({lowerKey, upperKey, record, technology, command, mode});
    return true;
}

const SBuildingHotkey* CBuildingPanel::FindHotkey(int32_t key) const
{
    for (const SBuildingHotkey& hotkey : m_Hotkeys)
        if (hotkey.lowerKey == key || hotkey.upperKey == key)
            return &hotkey;
    return nullptr;
}

void CBuildingPanel::RenderHint(int32_t x, int32_t y)
{
    hintX = x;
    hintY = y;
}

void CBuildingPanel::RenderAbilityImage(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alpha)
{
    uint32_t across = 0;
    uint32_t down = 0;
    if (const SysDevice3D* device = GetD3DDevice())
    {
        device->GetTextureStageState(0, Sys3DStageState::AddressU, across);
        device->GetTextureStageState(0, Sys3DStageState::AddressV, down);
    }
    m_Pictures.push_back({x, y, width, height, alpha, across == down ? across : 0u});
}

void CBuildingPanel::PrintText(int32_t x, int32_t y, const char* text, uint32_t colour, bool small)
{
    m_Texts.push_back({x, y, text != nullptr ? text : "", colour, small});
    if (C2DFont* font = GetGlobalFont(small ? SmallFont : MainFont))
        font->Print(x, y, text != nullptr ? text : "", colour, C2DFont::AlignLeft);
}

int32_t CBuildingPanel::TextWidth(const char* text, bool small)
{
    const C2DFont* font = GetGlobalFont(small ? SmallFont : MainFont);
    return font != nullptr && text != nullptr ? font->GetTextWidth(text) : 0;
}
