#include <algorithm>
#include <array>
#include <random>
#include <set>

#include "Player_Fixture.h"
#include "core/GlobalFunc.h"
#include "game/C_GamePanel.h"
#include "game/C_Selection.h"

namespace
{
using BlockSet = std::set<std::pair<int32_t, int32_t>>;

// Every block with its four corners in front of the camera and not all of
// them beyond one edge of the view (x 205 .. 1023, y 0 .. 767).
BlockSet BruteForceVisible()
{
    BlockSet visible;
    for (int32_t x = 0; x < g_GameMap.width; ++x)
        for (int32_t y = 0; y < g_GameMap.height; ++y)
        {
            int32_t low[2] = {1 << 30, 1 << 30}, high[2] = {-(1 << 30), -(1 << 30)};
            bool inFront = true;
            for (int32_t c = 0; c < 4 && inFront; ++c)
            {
                const int32_t cx = x + (c & 1), cy = y + (c >> 1);
                float view[3];
                g_GameMap.ProjectToScreenAtHeight(float(cx), float(cy), float(g_GameMap.CornerHeight(cx, cy)), view);
                int32_t screen[2] = {0, 0};
                inFront = view[2] > 0.0f;
                GlobalFunc::ProjectToScreen(view[0], view[1], view[2], screen);
                for (int axis = 0; axis < 2; ++axis)
                    low[axis] = std::min(low[axis], screen[axis]), high[axis] = std::max(high[axis], screen[axis]);
            }
            if (inFront && high[0] >= 205 && high[1] >= 0 && low[0] < 1024 && low[1] < 768) visible.insert({x, y});
        }
    return visible;
}

constexpr int32_t Soldier = 3;

// A building drawn wherever the band goes.
class ShownBuilding : public CBuilding
{
public:
    bool IsInScreenRect(int32_t, int32_t, int32_t, int32_t) const override { return true; }
};

class WideUnit : public TestUnit
{
public:
    WideUnit() : TestUnit(Soldier) {}
    int32_t GetSize() const override { return 3; }
};
} // namespace

class CameraView : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { AllocRangeTables(); }
    static void TearDownTestSuite() { FreeRangeTables(); }
    void SetUp() override
    {
        g_GameMap.width = g_GameMap.height = 64, g_GameMap.ResetCamera();
        g_GameMap.cameraTargetX = g_GameMap.cameraTargetY = 32.0f, g_GameMap.scrollInputX = g_GameMap.scrollInputY = 0;
        g_GameMap.scrollVelocityX = g_GameMap.scrollVelocityY = 0.0f;
    }
    void TearDown() override
    {
        std::memset(g_GameMap.cornerHeights, 0, sizeof(g_GameMap.cornerHeights));
        g_GameMap.width = g_GameMap.height = 0, g_GameMap.ResetCamera();
    }
};

// Tilted planes keep straight ground lines straight on the screen, so the
// view is one convex patch that the column walk must find exactly.
TEST_F(CameraView, TheListEqualsABruteForceScanFor200Cameras)
{
    std::mt19937 random(1105);
    std::uniform_int_distribution<int32_t> slope(-3, 3), level(-40, 60), heading(0, 359), distance(3, 8);
    std::uniform_real_distribution<float> place(0.0f, 64.0f);
    int32_t views = 0;
    for (int run = 0; run < 200; ++run)
    {
        if (run % 20 == 0)
        {
            const int32_t sx = slope(random), sy = slope(random), base = level(random);
            for (int32_t x = 0; x <= 64; ++x)
                for (int32_t y = 0; y <= 64; ++y) g_GameMap.CornerHeight(x, y) = base + sx * x + sy * y;
        }
        g_GameMap.cameraTargetX = place(random), g_GameMap.cameraTargetY = place(random);
        g_GameMap.cameraHeading = float(heading(random)), g_GameMap.cameraDistance = float(distance(random) * 100);
        g_GameMap.viewTranslation[2] =
            g_GameMap.GetHeight(g_GameMap.cameraTargetX, g_GameMap.cameraTargetY) + g_GameMap.cameraDistance;
        g_GameMap.UpdateVisibleBlocks();
        float view[9];   // rebuilt from the heading and a fixed pitch of -60 degrees
        GlobalFunc::BuildMatrix(-60.0f, g_GameMap.cameraHeading, 0.0f, view);
        ASSERT_TRUE(std::ranges::equal(view, g_GameMap.viewMatrix)) << "run " << run;
        BlockSet listed;
        for (int32_t i = 0; i < g_GameMap.visibleBlockCount; ++i)
            listed.insert({g_GameMap.visibleBlocks[i].x, g_GameMap.visibleBlocks[i].y});
        ASSERT_EQ(size_t(g_GameMap.visibleBlockCount), listed.size()) << "a block listed twice, run " << run;
        ASSERT_EQ(listed, BruteForceVisible()) << "run " << run;
        views += listed.empty() ? 0 : 1;
    }
    EXPECT_GT(views, 180);
    // A view with nothing in front lists nothing.
    g_GameMap.viewTranslation[2] = -2000.0f, g_GameMap.UpdateVisibleBlocks();
    EXPECT_EQ(g_GameMap.visibleBlockCount, 0);
}

TEST_F(CameraView, TheMinimapCornersStandForTheMapCornersByHeading)
{
    g_GameMap.height = 32;
    const int32_t diamond[4][2] = {{129, 60}, {258, 135}, {129, 210}, {0, 135}};
    const float mapCorner[4][2] = {{0, 0}, {64, 0}, {64, 32}, {0, 32}};
    // The diamond corner of map corner (0, 0) per heading; the others follow clockwise.
    for (auto [heading, origin] : {std::pair{0.0f, 0}, {320.0f, 0}, {90.0f, 3}, {180.0f, 2}, {270.0f, 1}})
    {
        g_GameMap.cameraHeading = heading;
        for (int32_t k = 0; k < 4; ++k)
        {
            float x = -1.0f, y = -1.0f;
            const int32_t* pixel = diamond[(origin + k) % 4];
            ASSERT_TRUE(g_GameMap.MinimapToMap(pixel[0], pixel[1], &x, &y));
            EXPECT_TRUE(std::abs(x - mapCorner[k][0]) <= 1e-3f && std::abs(y - mapCorner[k][1]) <= 1e-3f)
                << heading << " corner " << k << ": " << x << "," << y;
        }
    }
    for (auto [x, y] : {std::pair{0, 0}, {258, 60}, {129, 59}, {259, 135}})
        EXPECT_FALSE(g_GameMap.MinimapClick(x, y)) << x << "," << y;
    // A click moves the target and sets the eye at once: ground 30 + 500.
    for (int32_t& height : g_GameMap.cornerHeights) height = 30;
    g_GameMap.cameraHeading = 0.0f;
    ASSERT_TRUE(g_GameMap.MinimapClick(129, 135) && std::abs(g_GameMap.cameraTargetX - 32.0f) <= 1e-3f &&
                std::abs(g_GameMap.cameraTargetY - 16.0f) <= 1e-3f && g_GameMap.viewTranslation[2] == 530.0f);

    // A right click orders the selection to the block there, kept inside the map; none outside.  The
    // heading, the pixel clicked and the block ordered to.
    const std::tuple<float, int32_t, int32_t, int32_t, int32_t> orders[] = {
        {0, 129, 135, 32, 16}, {0, 129, 210, 63, 31}, {180, 129, 210, 0, 0}, {0, 0, 0, -1, -1}};
    for (const auto& [heading, x, y, blockX, blockY] : orders)
    {
        g_GameMap.cameraHeading = heading, g_Selection.minimapOrderX = g_Selection.minimapOrderY = -1;
        EXPECT_TRUE(g_GameMap.MinimapOrder(x, y) == (blockX >= 0) &&
                    std::pair(g_Selection.minimapOrderX, g_Selection.minimapOrderY) == std::pair(blockX, blockY))
            << x << "," << y << " turned " << heading;
    }
}

// The end corner follows the hovered block and, while a wall is placed, the wall preview with it.
TEST_F(CameraView, TheDragRectangleFollowsTheHoveredBlockAndSteersTheWallPreview)
{
    const auto hover = [](int32_t x, int32_t y) { g_GameMap.hoveredBlockX = x, g_GameMap.hoveredBlockY = y; };
    const auto rect = [] { return std::vector<int32_t>(g_GameMap.dragRect, g_GameMap.dragRect + 4); };
    hover(5, 7), g_GameMap.BeginDragRect();
    EXPECT_EQ(rect(), (std::vector<int32_t>{5, 7, 5, 7}));
    g_Selection.cursorMode = CSelection::kCursorModeWallPlacement, g_GamePanel = CGamePanel();
    g_GameMap.UpdateDragRect();
    EXPECT_EQ(g_GamePanel.wallPreviewUpdates, 0);
    hover(9, 7), g_GameMap.UpdateDragRect();
    EXPECT_TRUE(rect() == (std::vector<int32_t>{5, 7, 9, 7}) && g_GamePanel.wallPreviewUpdates == 1 &&
                std::vector<int32_t>(g_GamePanel.wallPreview, g_GamePanel.wallPreview + 4) == rect());
    g_Selection.cursorMode = 0, hover(2, 12);
    g_GameMap.UpdateDragRect();
    EXPECT_TRUE(rect() == (std::vector<int32_t>{5, 7, 2, 12}) && g_GamePanel.wallPreviewUpdates == 1);
    hover(-1, -1);
}

using CameraSteps = CameraView;

TEST_F(CameraSteps, TheScreensAxesTurnWithTheHeadingsQuarterAndStayOnTheMap)
{
    // Heading, scroll input along x or y, and the move of the target.
    const std::tuple<float, bool, float, float> cases[] = {
        {0, true, 0.1f, -0.1f},    {330, false, 0.1f, 0.1f},   {45, true, 0.1f, 0.1f},
        {90, false, -0.1f, 0.1f},  {180, true, -0.1f, 0.1f},   {224, false, -0.1f, -0.1f},
        {225, true, -0.1f, -0.1f}, {270, false, 0.1f, -0.1f}};
    for (const auto& [heading, alongX, moveX, moveY] : cases)
    {
        SetUp();
        g_GameMap.cameraHeading = g_GameMap.cameraTargetHeading = heading;
        (alongX ? g_GameMap.scrollInputX : g_GameMap.scrollInputY) = 1;
        g_GameMap.Tick(1);
        EXPECT_TRUE(std::abs(g_GameMap.cameraTargetX - 32.0f - moveX) <= 1e-5f &&
                    std::abs(g_GameMap.cameraTargetY - 32.0f - moveY) <= 1e-5f) << heading;
    }
    g_GameMap.cameraTargetX = 63.95f, g_GameMap.Tick(1);
    EXPECT_EQ(g_GameMap.cameraTargetX, 64.0f);
}

// Turning used to end on a heading of 45 with its target left at 405: the
// camera turned for ever and the keys stayed locked.
TEST_F(CameraSteps, ATurnEndsWrappedASecondPressIsIgnoredAndZoomKeepsItsLimits)
{
    g_GameMap.OnKeyDown(45), g_GameMap.Tick(17);
    EXPECT_EQ(g_GameMap.cameraHeading, 400.0f);
    g_GameMap.OnKeyDown(45), g_GameMap.Tick(100);
    EXPECT_TRUE(g_GameMap.cameraHeading == 45.0f && g_GameMap.cameraTargetHeading == 45.0f);
    g_GameMap.OnKeyDown(46), g_GameMap.OnKeyDown(46), g_GameMap.Tick(18), g_GameMap.OnKeyDown(46), g_GameMap.Tick(18);
    EXPECT_TRUE(g_GameMap.cameraHeading == 225.0f && g_GameMap.cameraTargetHeading == 225.0f);

    // Zoom stays within 300 and 800 and the eye follows by ten a step.
    for (int i = 0; i < 9; ++i) g_GameMap.OnKeyDown(107);
    EXPECT_EQ(g_GameMap.cameraDistance, 300.0f);
    for (int i = 0; i < 9; ++i) g_GameMap.OnKeyDown(109);
    EXPECT_TRUE(g_GameMap.cameraDistance == 800.0f && !g_GameMap.OnKeyDown(110) && !g_GameMap.OnKeyDown(35));
    // Ground at 40: the eye climbs from 500 to 840.
    for (int32_t& height : g_GameMap.cornerHeights) height = 40;
    g_GameMap.Tick(1);
    EXPECT_EQ(g_GameMap.viewTranslation[2], 510.0f);
    g_GameMap.Tick(40);
    EXPECT_EQ(g_GameMap.viewTranslation[2], 840.0f);
}

class CameraSelection : public PlayerTest
{
protected:
    void SetUp() override
    {
        PlayerTest::SetUp();
        g_Config.fogOfWar = 0;
        std::memset(Player(0).exploredMap, 255, sizeof(Player(0).exploredMap));
        g_Selection.Clear(), g_Selection.shiftDown = 0;
        // Every block of the map in view, x outer.
        g_GameMap.visibleBlockCount = 0;
        for (int32_t x = 0; x < MapSide; ++x)
            for (int32_t y = 0; y < MapSide; ++y)
                g_GameMap.visibleBlocks[g_GameMap.visibleBlockCount++] = SVisibleBlock{uint8_t(x), uint8_t(y)};
    }

    void TearDown() override
    {
        g_Selection.Clear(), g_GameMap.visibleBlockCount = 0;
        PlayerTest::TearDown();
    }

    static std::vector<CUnit*> Selected() { return {g_Selection.units, g_Selection.units + g_Selection.unitCount}; }

    // A unit at block (x, 10) drawn as a 10 x 10 box at (left, 100).
    CUnit* Drawn(int32_t player, int32_t x, int32_t left)
    {
        CUnit* unit = Create(Player(player), Soldier, x, 10);
        std::ranges::copy(std::array{left, 100, left + 10, 110}, unit->screenRect);
        return unit;
    }
};

TEST_F(CameraSelection, OwnUnitsFirstThenOneForeignUnitThenABuildingAtMostTwentyFive)
{
    ShownBuilding building;
    g_GameMap.Block(30, 30).building = &building;
    g_GameMap.SelectInRect(0, 0, 50, 50);
    EXPECT_EQ(g_Selection.building, &building);

    CUnit* enemy = Drawn(1, 5, 100);
    Drawn(1, 6, 120);
    Drawn(0, 40, 900);   // outside the band
    g_GameMap.SelectInRect(90, 90, 300, 150);
    EXPECT_TRUE(g_Selection.unitCount == 1 && g_Selection.units[0] == enemy && g_Selection.building == nullptr);
    CUnit* own = Drawn(0, 7, 140);
    g_GameMap.SelectInRect(90, 90, 300, 150);
    EXPECT_EQ(Selected(), std::vector{own});
    g_GameMap.Block(30, 30).building = nullptr;

    // Of 30 own units a band takes 25; with shift it adds and never unselects.
    for (int32_t i = 11; i < 40; ++i) Drawn(0, i, 100 + 12 * i);
    g_GameMap.SelectInRect(700, 120, 90, 90);
    EXPECT_EQ(g_Selection.unitCount, 25);
    g_Selection.Clear(), g_Selection.AddUnit(own, 0);
    g_Selection.shiftDown = 1;
    for (int round = 0; round < 2; ++round)
    {
        g_GameMap.SelectInRect(135, 90, 238, 120);
        EXPECT_EQ(g_Selection.unitCount, 2);
    }
    g_Selection.shiftDown = 0, g_GameMap.SelectInRect(225, 90, 238, 120);
    EXPECT_TRUE(g_Selection.unitCount == 1 && g_Selection.units[0] != own);
}

// Home centres on the first selected unit's middle block, else on the selected building's.
TEST_F(CameraSelection, HomeCentresOnTheSelectionAndCommaAndFullStopStepThroughTheIdleUnits)
{
    const auto target = [] { return std::pair{g_GameMap.cameraTargetX, g_GameMap.cameraTargetY}; };
    g_GameMap.cameraTargetX = g_GameMap.cameraTargetY = 1.0f;
    EXPECT_TRUE(g_GameMap.OnKeyDown(36) && target() == (std::pair{1.0f, 1.0f}));
    TestBuilding house(5, 0, 0);
    house.width = 3, house.x = 30, house.y = 40, g_Selection.SelectBuilding(&house);
    g_GameMap.OnKeyDown(36);
    EXPECT_EQ(target(), (std::pair{31.0f, 41.0f}));
    WideUnit wide;
    wide.x = 10, wide.y = 20, g_Selection.AddUnit(&wide, 0);
    g_GameMap.OnKeyDown(36);
    EXPECT_EQ(target(), (std::pair{11.0f, 21.0f}));
    g_Selection.Clear();

    // "," takes the next idle unit on the map from the selected one, "." the next idle worker (a patrolling one
    // counts as idle), the camera following; none: the message in white.
    EXPECT_FALSE(g_GameMap.OnKeyCommand('a') || g_GameMap.OnKeyCommand(45));
    Create(Player(0), Soldier);   // not on the map
    EXPECT_TRUE(g_GameMap.OnKeyCommand(44) && g_GameMap.OnKeyCommand(46));
    ASSERT_TRUE(Services().messages.size() == 2u && Services().messages[0].text == "No idle unit" &&
                Services().messages[1].text == "No idle worker" && Services().messages[0].colour == 0xFFFFFFu);
    CUnit* worker = Create(Player(0), 1, 4, 6);
    Create(Player(0), 1, 5, 6)->currentCommand = 7;   // busy
    CUnit* soldier = Create(Player(0), Soldier, 6, 6);
    CUnit* patrolling = Create(Player(0), 1, 7, 9);
    patrolling->currentCommand = 3;
    for (CUnit* wanted : {worker, patrolling, worker})
        EXPECT_TRUE(g_GameMap.OnKeyCommand('.') && g_Selection.GetFirstUnit() == wanted && g_Selection.unitCount == 1 &&
                    g_GameMap.cameraTargetY == float(wanted->y));
    EXPECT_TRUE(g_GameMap.OnKeyCommand(',') && g_Selection.GetFirstUnit() == soldier &&
                Services().messages.size() == 2u);
}

// The own unit under the cursor brings every own visible unit of its type, at most 25; Shift keeps
// what was selected, and a unit already selected stays selected once.
TEST_F(CameraSelection, SameTypeVisibleTakesTheOwnUnitsOfTheTypeUnderTheCursorAtMostTwentyFive)
{
    std::vector<CUnit*> soldiers;
    for (int32_t x = 0; x < 28; ++x) soldiers.push_back(Drawn(0, x, 0));
    CUnit* archer = Create(Player(0), 2, 40, 10);
    CUnit* enemy = Create(Player(1), Soldier, 41, 10);
    for (CUnit* under : {static_cast<CUnit*>(nullptr), enemy})
    {
        g_Selection.AddUnit(archer, 0), g_Selection.unitUnderCursor = under;
        g_GameMap.SelectSameTypeVisible();
        EXPECT_EQ(Selected(), std::vector<CUnit*>{archer});
        g_Selection.Clear();
    }
    g_Selection.AddUnit(archer, 0), g_Selection.unitUnderCursor = soldiers[5];
    g_GameMap.SelectSameTypeVisible();
    EXPECT_EQ(Selected(), std::vector<CUnit*>(soldiers.begin(), soldiers.begin() + 25));
    g_Selection.Clear(), g_Selection.AddUnit(archer, 0);
    g_Selection.AddUnit(soldiers[0], 0), g_Selection.shiftDown = 1;
    g_GameMap.SelectSameTypeVisible();
    std::vector<CUnit*> kept = {archer};
    kept.insert(kept.end(), soldiers.begin(), soldiers.begin() + 24);
    EXPECT_EQ(Selected(), kept);
    g_Selection.unitUnderCursor = nullptr;
}
