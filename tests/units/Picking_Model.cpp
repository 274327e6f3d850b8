// Picking by the model's rectangle.  A cube of half side 16 at render
// position (0, 0, 100) shows its near face (depth 84) from x (1 - 1.4 x 16 /
// 84) x 512 = 375.5 to 648.5 and y (1 - 1.6 x 16 / 84) x 384 = 267.0 to
// 501.0: the rectangle (375, 266) to (648, 501) in whole pixels.

#include <vector>

#include "core/C_Config.h"
#include "media/C_ModelRecord.h"
#include "tests/media/ModelBytes.h"
#include "tests/units/UnitPanel_Device.h"

class PickingModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Config.hardwareTnL = 0;  // the harness gives the configuration back
        AllocGlobalModels();
        const std::vector<uint8_t> bytes = BuildModel(CubeLayout(16.0f));
        ASSERT_TRUE(GetGlobalModel(12)->object.LoadFromMemory(bytes.data(), bytes.size(), "cube.okm", 0));
        unit->model = 12;
        unit->renderPosition[2] = 100.0f;
    }
    void TearDown() override { FreeGlobalModels(); }

    CSimHarness world;
    CUnit* unit = world.Adopt(0, new CPanelTestUnit(), 10, 10);
};

TEST_F(PickingModel, TheMouseAndTheBandMeetTheRectangleEdgesIncluded)
{
    const struct { int32_t x, y; bool hit; } points[] = {
        {512, 384, true}, {375, 266, true}, {648, 501, true}, {374, 384, false}, {649, 384, false},
        {512, 265, false}, {512, 502, false}};
    for (const auto& p : points)
        EXPECT_FLOAT_EQ(unit->HitTestScreenPoint(p.x, p.y), p.hit ? 100.0f : -1.0f) << p.x << "," << p.y;
    const int32_t kept[4] = {375, 266, 648, 501};
    EXPECT_TRUE(std::equal(kept, kept + 4, unit->screenRect));

    const struct { int32_t left, top, right, bottom; bool inside; } bands[] = {
        {500, 380, 520, 390, true}, {0, 0, 375, 266, true},    {648, 501, 700, 700, true},
        {0, 0, 374, 767, false},    {649, 0, 1023, 767, false}, {0, 502, 1023, 767, false}};
    for (const auto& b : bands)
        EXPECT_EQ(unit->IsInScreenRect(b.left, b.top, b.right, b.bottom), b.inside) << b.left << "," << b.top;
}

// Without a model to place, the band takes the rectangle of the unit's last
// drawing, and the mouse never hits it.
TEST_F(PickingModel, UnitsOffTheMapDeadBehindTheCameraOrWithoutAModelAreNotHit)
{
    const auto picked = [&]() {
        return unit->HitTestScreenPoint(512, 384) >= 0.0f || unit->IsInScreenRect(0, 0, 1023, 767);
    };
    unit->ShowUnit(false);
    EXPECT_FALSE(picked());
    unit->ShowUnit(true);
    unit->health = 0.5f;  // half a hit point of 100
    EXPECT_FALSE(picked());
    unit->health = 100.0f;
    unit->renderPosition[2] = 10.0f;
    EXPECT_FALSE(picked());

    unit->model = GlobalModelCount + 1;
    EXPECT_FALSE(picked());
    std::fill(unit->screenRect, unit->screenRect + 4, 110);
    EXPECT_TRUE(unit->IsInScreenRect(0, 0, 110, 110));
    EXPECT_FALSE(unit->IsInScreenRect(111, 0, 200, 200));
    EXPECT_FLOAT_EQ(unit->HitTestScreenPoint(110, 110), -1.0f);
}
