// The command panel buttons the building classes share: the unfinished
// building's cancel button and the rules of the producing buildings.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "net/C_MultiplayerGame.h"
#include "world/C_Player.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t CancelIcon = 94;
constexpr int32_t ModeIcon = 107;
constexpr int32_t CancelConstruction = -2;
constexpr int32_t UnitRecordCount = 25;

const CUnitStats* FindUnitRecord(int32_t unitType)
{
    for (int32_t i = 0; g_UnitStats != nullptr && i < UnitRecordCount; ++i)
        if (g_UnitStats[i].unitType == unitType && g_UnitStats[i].buildingCast == 0)
            return &g_UnitStats[i];
    return nullptr;
}

int32_t UpperKey(char key)
{
    return key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key;
}

}  // namespace


void CBuildingOfCast::RenderPanelButtons()
{
    RenderUnfinishedPanel();
}

bool CBuildingOfCast::RenderUnfinishedPanel(int32_t cancelState) const
{
    if (IsFinished())
        return false;
    CBuildingPanel& panel = g_BuildingPanel;
    int32_t left = 0;
    int32_t top = 0;
    CBuildingPanel::PositionToScreen(CBuildingPanel::CancelPosition, &left, &top);
    const bool hovered = panel.RenderButton(left, top, CancelIcon, cancelState);
    panel.AddbuildingHotkey(CBuildingPanel::EscapeKey, CBuildingPanel::EscapeKey, nullptr,
                            CBuildingPanel::NoTechnology, CancelConstruction, 0);
    panel.hoverRecord = nullptr;
    panel.hoverTechnology = CBuildingPanel::NoTechnology;
    panel.hoverMode = 0;
    g_BuildingCommand.item = nullptr;
    g_BuildingCommand.technology = CBuildingCommand::NoTechnology;
    g_BuildingCommand.cancelSlot = hovered ? CBuildingCommand::CancelDemolish : CBuildingCommand::NoCancel;
    return true;
}

bool CBuildingOfCast::MayShowButtons() const
{
    if (!IsNetworkGame() || g_Players == nullptr || g_LocalPlayer < 0 || g_LocalPlayer >= MaxPlayers)
        return true;
    return g_Players[g_LocalPlayer].type != PLAYER_DEFEATED;
}

bool CBuildingOfCast::MayShowUnitButtons() const
{
    return research == nullptr;
}

bool CBuildingOfCast::MayShowTechnologyButtons() const
{
    return research == nullptr && queueCount == 0;
}

void CBuildingOfCast::RenderUnitButton(int32_t position, int32_t icon, int32_t unitType, char key) const
{
    const CPlayer* player = PlayerAt(owner);
    const CUnitStats* record = FindUnitRecord(unitType);
    if (player == nullptr || record == nullptr || !player->CanTrainUnit(unitType))
        return;
    CBuildingPanel& panel = g_BuildingPanel;
    if (panel.RenderButtonEx(position, icon, record))
    {
        panel.hoverRecord = record;
        g_BuildingCommand.item = record;
    }
    panel.AddbuildingHotkey(key, UpperKey(key), record, CBuildingPanel::NoTechnology, CBuildingPanel::NoCommand, 0);
}

void CBuildingOfCast::RenderTechnologyButton(int32_t position, int32_t icon, int32_t technology, char key) const
{
    const CPlayer* player = PlayerAt(owner);
    if (player == nullptr || !player->IsTechnologyAvailable(technology))
        return;
    CBuildingPanel& panel = g_BuildingPanel;
    if (panel.RenderButtonEx(position, icon, GetTechnologyRecord(technology)))
    {
        panel.hoverTechnology = technology;
        g_BuildingCommand.technology = technology;
    }
    panel.AddbuildingHotkey(key, UpperKey(key), nullptr, technology, CBuildingPanel::NoCommand, 0);
}

void CBuildingOfCast::RenderUnitButtons(std::span<const SCommandButton> buttons) const
{
    for (const SCommandButton& button : buttons)
        RenderUnitButton(button.position, button.icon, button.number, button.key);
}

void CBuildingOfCast::RenderTechnologyButtons(std::span<const SCommandButton> buttons) const
{
    for (const SCommandButton& button : buttons)
        RenderTechnologyButton(button.position, button.icon, button.number, button.key);
}

void CBuildingOfCast::RenderPanelEnd(bool withModeButton, int32_t escapeCommand, int32_t modeState) const
{
    CBuildingPanel& panel = g_BuildingPanel;
    if (research != nullptr || queueCount > 0)
        panel.AddbuildingHotkey(CBuildingPanel::EscapeKey, CBuildingPanel::EscapeKey, nullptr,
                                CBuildingPanel::NoTechnology, escapeCommand, 0);
    if (!withModeButton)
        return;
    if (panel.panelMode == CBuildingPanel::ModeRally)
    {
        panel.AddbuildingHotkey(CBuildingPanel::EscapeKey, CBuildingPanel::EscapeKey, nullptr,
                                CBuildingPanel::NoTechnology, CBuildingPanel::NoCommand, 0);
        return;
    }
    int32_t left = 0;
    int32_t top = 0;
    CBuildingPanel::PositionToScreen(CBuildingPanel::ModePosition, &left, &top);
    if (panel.RenderButton(left, top, ModeIcon, modeState))
        panel.hoverMode = CBuildingPanel::ModeRally;
}
