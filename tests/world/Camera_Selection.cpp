// The rubber band over units whose drawn rectangles the tests set.

#include "Player_Fixture.h"

#include "game/C_Selection.h"

namespace
{
constexpr int32_t Soldier = 3;

// A building drawn wherever the band goes.
class ShownBuilding : public CBuilding
{
public:
    bool IsInScreenRect(int32_t, int32_t, int32_t, int32_t) const override { return true; }
};
} // namespace

class CameraSelection : public PlayerTest
{
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        g_Config.fogOfWar = 0;
        std::memset(Player(0).exploredMap, 255, sizeof(Player(0).exploredMap));
        g_Selection.Clear();
        g_Selection.shiftDown = 0;
        // Every block of the map in view, x outer.
        g_GameMap.visibleBlockCount = 0;
        for (int32_t x = 0; x < MapSide; ++x)
            for (int32_t y = 0; y < MapSide; ++y)
                g_GameMap.visibleBlocks[g_GameMap.visibleBlockCount++] = SVisibleBlock{uint8_t(x), uint8_t(y)};
    }

    void TearDown() override
    {
        g_Selection.Clear();
        g_GameMap.visibleBlockCount = 0;
        PlayerTest::TearDown();
    }

    // A unit at block (x, 10) drawn as a 10 x 10 box at (left, 100).
    CUnit* Drawn(int32_t player, int32_t x, int32_t left)
    {
        CUnit* unit = Create(Player(player), Soldier, x, 10);
        unit->screenRect[0] = left;
        unit->screenRect[1] = 100;
        unit->screenRect[2] = left + 10;
        unit->screenRect[3] = 110;
        return unit;
    }
};

TEST_F(CameraSelection, ABandTakesTwentyFiveKeepsWithShiftAndNeverUnselects)
{
    CUnit* first = Drawn(0, 0, 20);
    for (int32_t i = 1; i < 30; ++i)
        Drawn(0, i, 100 + 12 * i);
    g_GameMap.SelectInRect(700, 120, 90, 90);
    EXPECT_EQ(g_Selection.unitCount, 25);
    g_Selection.Clear();
    g_Selection.AddUnit(first, 0);
    g_Selection.shiftDown = 1;
    g_GameMap.SelectInRect(0, 90, 120, 120);
    EXPECT_EQ(g_Selection.unitCount, 2);
    g_GameMap.SelectInRect(0, 90, 120, 120);
    EXPECT_EQ(g_Selection.unitCount, 2);
    g_Selection.shiftDown = 0;
    g_GameMap.SelectInRect(90, 90, 120, 120);
    ASSERT_EQ(g_Selection.unitCount, 1);
    EXPECT_NE(g_Selection.units[0], first);
}

TEST_F(CameraSelection, OwnUnitsFirstThenOneForeignUnitThenABuilding)
{
    ShownBuilding building;
    g_GameMap.Block(30, 30).building = &building;
    g_GameMap.SelectInRect(0, 0, 50, 50);
    EXPECT_EQ(g_Selection.building, &building);

    CUnit* enemy = Drawn(1, 5, 100);
    Drawn(1, 6, 120);
    Drawn(0, 40, 900);   // outside the band
    g_GameMap.SelectInRect(90, 90, 300, 150);
    ASSERT_EQ(g_Selection.unitCount, 1);
    EXPECT_EQ(g_Selection.units[0], enemy);
    EXPECT_EQ(g_Selection.building, nullptr);

    CUnit* own = Drawn(0, 7, 140);
    g_GameMap.SelectInRect(90, 90, 300, 150);
    ASSERT_EQ(g_Selection.unitCount, 1);
    EXPECT_EQ(g_Selection.units[0], own);
    g_GameMap.Block(30, 30).building = nullptr;
}
