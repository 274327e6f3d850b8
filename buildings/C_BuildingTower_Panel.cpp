// The tower's part of the command panel: the button that trains another
// archer, and the archers' attack and range beside the standard details.

#include <algorithm>
#include <cstdint>
#include <string>

#include "buildings/C_BuildingTower.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t TrainPosition = 0;
constexpr int32_t TowerArcherIcon = 45;
constexpr int32_t TowerArcherRecord = 3;
constexpr int32_t TrainKey = 'a';
constexpr int32_t TrainKeyUpper = 'A';

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Yellow = 0xFFFF00;
constexpr int32_t StatIconX = 5;
constexpr int32_t StatTextX = 50;
constexpr int32_t CountTextX = 100;
constexpr int32_t AttackIconY = 310;
constexpr int32_t AttackTextY = 315;
constexpr int32_t RangeIconY = 345;
constexpr int32_t RangeTextY = 350;
constexpr int32_t AttackIcon = 77;
constexpr int32_t RangeIcon = 78;

bool IsTowerArcherItem(const CUnitStats* item)
{
    return item != nullptr && item->unitType == UNIT_TOWERARCHER;
}

// Texts printed one after another along a line.
class CPanelLine
{
public:
    CPanelLine(int32_t lineX, int32_t lineY) : m_X(lineX), m_Y(lineY) {}

    CPanelLine& Add(const std::string& text, uint32_t colour)
    {
        g_BuildingPanel.PrintText(m_X, m_Y, text.c_str(), colour, false);
        m_X += CBuildingPanel::TextWidth(text.c_str(), false);
        return *this;
    }

private:
    int32_t m_X;
    int32_t m_Y;
};

// A number after its sign, appended rather than concatenated: GCC 12 at
// -O3 reports a false overlap for "+" + std::string.
std::string Prefixed(char prefix, int32_t value)
{
    std::string text(1, prefix);
    text += std::to_string(value);
    return text;
}
}  // namespace

void CBuildingTower::RenderPanelButtons()
{
    if (!MayShowButtons() || RenderUnfinishedPanel(MilitaryCancelButton))
        return;
    const int32_t queued = static_cast<int32_t>(std::count_if(queue, queue + queueCount, IsTowerArcherItem));
    if (MayShowUnitButtons() && archerCount + queued < ArcherCapacity)
        RenderTrainButton();
    RenderPanelEnd(false);
}

// The tower trains its archers whatever else the owner may train.
void CBuildingTower::RenderTrainButton() const
{
    if (g_UnitStats == nullptr)
        return;
    const CUnitStats* record = &g_UnitStats[TowerArcherRecord];
    CBuildingPanel& panel = g_BuildingPanel;
    if (panel.RenderButtonEx(TrainPosition, TowerArcherIcon, record))
    {
        panel.hoverRecord = record;
        g_BuildingCommand.item = record;
    }
    panel.AddbuildingHotkey(TrainKey, TrainKeyUpper, record, CBuildingPanel::NoTechnology, CBuildingPanel::NoCommand,
                            0);
}

void CBuildingTower::RenderDetailsOnPanel()
{
    RenderPanelDetails(GetName());
    if (owner != g_LocalPlayer || !IsFinished() || queueCount != 0 || archerCount <= 0 || archers[0] == nullptr)
        return;
    const CUnit& first = *archers[0];
    int32_t base = 0;
    int32_t bonus = 0;
    RenderPanelIcon(StatIconX, AttackIconY, AttackIcon, 0);
    first.GetAttack(&base, &bonus);
    CPanelLine(StatTextX, AttackTextY).Add(std::to_string(base), White).Add(Prefixed('+', bonus), Yellow);
    if (archerCount > 1)
        CPanelLine(CountTextX, AttackTextY).Add(Prefixed('*', archerCount), Yellow);
    RenderPanelIcon(StatIconX, RangeIconY, RangeIcon, 0);
    first.GetAttackRange(&base, &bonus);
    CPanelLine(StatTextX, RangeTextY)
        .Add(std::to_string(base), White)
        .Add(Prefixed('+', bonus), Yellow)
        .Add(Prefixed('/', first.GetSightRadius()), White);
}
