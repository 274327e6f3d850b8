// Portrait, health bar, command icon and the rest of the unit's panel.  Bars
// are 4 x 4 images stretched to 0.4 pixels per percent, 5 high, 41 below the
// portrait's top; icons 16 x 16 on the 40 x 40 portrait's bottom.  Font 1
// shows a text as a run of its colour, 8 pixels a character, from 2 right of
// the print position on the row 5 below it.

#include "tests/units/UnitPanel_Device.h"

#include <cstring>

#include "core/C_Localizer.h"
#include "platform/SysClock.h"

class UnitPanelPortrait : public UnitDrawingTest
{
protected:
    void SetUp() override
    {
        UnitDrawingTest::SetUp();
        g_Config.showUnitActionIcons = 1;
        std::memcpy(m_SavedNames, g_TypeNames, sizeof(m_SavedNames));
        const char* relations[][2] = {{"UN_TYPE_ALLY", "Ally"}, {"UN_TYPE_ENEMY", "Foe"},
                                      {"UN_TYPE_NEUTRAL", "Neutral"}, {"UN_TYPE_DEFEATED", "Beaten"}};
        for (int i = 0; i < TypeNameCount; ++i)
            for (const auto& relation : relations)
                if (std::strcmp(TypeNameKeys[i], relation[0]) == 0)
                    g_TypeNames[i] = relation[1];
        World().Player(0).name = "Anna";
    }
    void TearDown() override
    {
        std::memcpy(g_TypeNames, m_SavedNames, sizeof(m_SavedNames));
        CUnit::panelBlink = 0;
        UnitDrawingTest::TearDown();
    }

    int32_t Run(int32_t x, int32_t y, uint32_t colour)
    {
        int32_t width = 0;
        while (Pixel(x + 2 + width, y + 5) == colour)
            ++width;
        return width;
    }
    void Draw(const CUnit& unit)
    {
        Clear();
        unit.RenderInfoPanel("Warrior");
        ReadBack();
    }

    const char* m_SavedNames[TypeNameCount] = {};
};

TEST_F(UnitPanelPortrait, TheBarFollowsHealthLessStarvationInWidthAndImage)
{
    const struct { float health, starvation; uint32_t colour; int32_t width; } cases[] = {
        {100, 0, Green, 40}, {60, 20, Yellow, 16}, {51, 0, Green, 20}, {50, 0, Yellow, 20},
        {25, 0, Red, 10},    {10, 0, Red, 4},      {30, 30, Red, 0},   {10, 40, Red, 0}};
    CUnit* unit = Unit(0, 5, 5);
    for (const auto& c : cases)
    {
        unit->health = c.health;
        unit->starvation = c.starvation;
        Clear();
        unit->RenderHealthBar(100, 100);
        ReadBack();
        int32_t width = 0;
        while (Pixel(100 + width, 143) == c.colour)
            ++width;
        EXPECT_EQ(width, c.width) << c.health << " - " << c.starvation;
        EXPECT_EQ(Pixel(100 + c.width, 143), Background) << c.health << " - " << c.starvation;
        EXPECT_EQ(Pixel(120, 120), Portrait);
    }
}

TEST_F(UnitPanelPortrait, OwnUnitsShowTheirCommandsIconOnThePortraitsBottom)
{
    const int32_t icons[] = {86, 86, 80, 80, 83, 81, -1, 84, 82, 81, 81, 80, 86, -1, 84, 84, 83,
                             86, 82, 86, 81, 82, 82, 81, 80, 80, 80, 86, 85, 86, 85, 86, 86};  // -13 .. 19
    CUnit* own = Unit(0, 5, 5);
    CUnit* foreign = Unit(1, 8, 8);
    for (int32_t command = -13; command <= 19; ++command)
    {
        own->currentCommand = foreign->currentCommand = command;
        EXPECT_EQ(own->GetCommandIcon(), icons[command + 13]) << command;
        EXPECT_EQ(foreign->GetCommandIcon(), -1) << command;
    }
    own->currentCommand = foreign->currentCommand = 1;
    const struct { CUnit* unit; uint32_t bottom; } draws[] = {{own, Icon}, {foreign, Portrait}};
    for (const auto& draw : draws)
    {
        Clear();
        draw.unit->RenderHealthBar(100, 100);
        ReadBack();
        EXPECT_EQ(Pixel(108, 124), draw.bottom);
        EXPECT_EQ(Pixel(108, 139), draw.bottom);
        EXPECT_EQ(Pixel(108, 122), Portrait);
    }
    g_Config.showUnitActionIcons = 0;
    EXPECT_EQ(own->GetCommandIcon(), -1);
}

// The portrait turns half red while the last hit is under 10 s old and the
// blink flag is on.
TEST_F(UnitPanelPortrait, OwnUnitsShowStatsTheirNameAndFlashUnderAttack)
{
    CPanelTestUnit* unit = Unit(0, 5, 5);
    unit->maxHitPoints = 70.0f;
    unit->health = 50.0f;
    Draw(*unit);
    const struct { int32_t x, y; uint32_t colour; int32_t width; } texts[] = {
        {50, 315, White, 16}, {66, 315, Yellow, 16}, {50, 350, White, 24},  // "12" "+3", "4/7"
        {50, 385, White, 48}, {106, 385, White, 24}, {5, 289, White, 40},   // "50/0/0 (%)", "35/70"
        {115, 240, White, 56}, {115, 260, Yellow, 32}};                     // "Warrior", "Anna"
    for (const auto& t : texts)
        EXPECT_EQ(Run(t.x, t.y, t.colour), t.width) << t.x << "," << t.y;
    EXPECT_EQ(Pixel(10, 318), Icon);
    EXPECT_EQ(Pixel(94, 335), Background);  // no relation
    unit->customName = "Bob";
    Draw(*unit);
    EXPECT_EQ(Run(115, 240, White), 3 * 8);

    const auto flashing = [&]() {
        Draw(*unit);
        return (Pixel(20, 260) >> 16) > 0x60 && (Pixel(20, 260) & 0xFF) < 0xA0;
    };
    unit->lastHitTime = SysClock::TickCount();
    SysClock::AdvanceTestClock(9999);
    EXPECT_FALSE(flashing());
    CUnit::panelBlink = 1;
    EXPECT_TRUE(flashing());
    SysClock::AdvanceTestClock(1);
    EXPECT_FALSE(flashing());
}

TEST_F(UnitPanelPortrait, OtherPlayersUnitsShowTheirRelationAndNoStats)
{
    const struct { int32_t ownerType; bool allied; uint32_t colour; int32_t width; } cases[] = {
        {PLAYER_COMPUTER, false, 0xFF4040, 3 * 8}, {PLAYER_COMPUTER, true, Green, 4 * 8},
        {PLAYER_NONE, false, Yellow, 7 * 8},       {PLAYER_DEFEATED, false, 0xFF4040, 6 * 8},
        {PLAYER_REMOTE, true, Green, 4 * 8}};
    CPanelTestUnit* unit = Unit(1, 8, 8);
    World().Player(1).name = "Bert";
    for (const auto& c : cases)
    {
        World().Player(1).type = c.ownerType;
        World().Player(0).allied[1] = c.allied ? 1 : 0;
        Draw(*unit);
        EXPECT_EQ(Run(90, 330, c.colour), c.width) << c.ownerType;
        EXPECT_EQ(Run(5, 289, White), 0);
        EXPECT_EQ(Pixel(10, 318), Background);
        EXPECT_EQ(Run(115, 260, Yellow), 4 * 8);
    }
}
