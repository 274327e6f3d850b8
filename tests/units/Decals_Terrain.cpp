// Selection circles and shadows on the terrain, and picking by the model's rectangle.  Seen from 400
// above the camera's target, block x spans 1.4 x 32 / 400 x 512 = 57.3 pixels across and block y 49.2
// down, the target at the screen's centre (512, 384).

#include "media/C_ModelRecord.h"
#include "tests/media/ModelBytes.h"
#include "tests/units/UnitPanel_Device.h"

class DecalsTerrain : public UnitDrawingTest
{
protected:
    static bool StatesRestored()
    {
        uint32_t blend = 1, depthWrites = 0, minFilter = 0, magFilter = 0;
        SysDevice3D& device = *GetD3DDevice();
        device.GetRenderState(Sys3DRenderState::AlphaBlendEnable, blend);
        device.GetRenderState(Sys3DRenderState::ZWriteEnable, depthWrites);
        device.GetTextureStageState(0, Sys3DStageState::MinFilter, minFilter);
        device.GetTextureStageState(0, Sys3DStageState::MagFilter, magFilter);
        return blend == 0 && depthWrites == 1 && minFilter == Sys3DFilter::Point && magFilter == Sys3DFilter::Point;
    }
};

TEST_F(DecalsTerrain, CirclesShowTheKindsColourOverASquareGrowingWithTheSizeAndShadowsBlack)
{
    const struct { int32_t kind; uint32_t colour; } cases[] = {
        {1, White}, {2, Yellow}, {3, Green}, {4, Red}, {0, 0}, {5, 0}, {-1, 0}};
    CUnit* unit = Unit(0, 10, 10);
    LookDownAt(10.5f, 10.5f);
    for (const auto& c : cases)
    {
        Clear();
        if (c.kind == -1)
            unit->RenderShadow();
        else
            unit->RenderSelectionCircle(c.kind);
        ReadBack();
        // The unit's block, the far corner of the 3 x 3 square (x 426 to
        // 598, y 310 to 458), and beyond it.
        EXPECT_TRUE(Close(Pixel(512, 384), c.colour, 3)) << c.kind << ": " << std::hex << Pixel(512, 384);
        EXPECT_TRUE(Close(Pixel(590, 450), c.colour, 3) && Pixel(410, 384) == Background) << c.kind;
        EXPECT_TRUE(StatesRestored()) << c.kind;
    }
    unit->ShowUnit(false);
    const int32_t before = g_VXBuffer.primitivesDrawn;
    unit->RenderSelectionCircle(1);
    unit->RenderShadow();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, before);
    // The square leaves out the blocks off the map.
    const struct { int32_t size, x, y, blocks; } squares[] = {
        {1, 10, 10, 9}, {1, 0, 0, 4}, {3, 10, 10, 25}, {2, 46, 46, 9}, {3, 0, 0, 16}};
    for (const auto& c : squares)
    {
        World().Delete(unit);
        unit = Unit(0, c.x, c.y, c.size);
        const int32_t before = g_VXBuffer.primitivesDrawn;
        unit->RenderSelectionCircle(1);
        EXPECT_EQ(g_VXBuffer.primitivesDrawn - before, 2 * c.blocks) << c.size << " at " << c.x << "," << c.y;
    }
}

// A cube of half side 16 at render position (0, 0, 100) shows its near face (depth 84)
// from x (1 - 1.4 x 16 / 84) x 512 = 375.5 to 648.5 and y (1 - 1.6 x 16 / 84) x 384 = 267.0 to 501.0:
// the rectangle (375, 266) to (648, 501) in whole pixels.
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

// Edges count; a unit hidden, below one whole hit point of 100 or behind the camera is never picked, and
// without a model to place the band takes the rectangle of the unit's last drawing.
TEST_F(PickingModel, TheMouseAndTheBandMeetTheRectangleEdgesIncludedOfPickableUnitsOnly)
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

    for (int32_t unpickable = 0; unpickable < 3; ++unpickable)
    {
        if (unpickable < 2)
            unit->ShowUnit(unpickable != 0);
        unit->health = unpickable == 1 ? 0.5f : 100.0f;
        unit->renderPosition[2] = unpickable == 2 ? 10.0f : 100.0f;
        EXPECT_TRUE(unit->HitTestScreenPoint(512, 384) < 0.0f && !unit->IsInScreenRect(0, 0, 1023, 767)) << unpickable;
    }
    unit->model = GlobalModelCount + 1;
    std::fill(unit->screenRect, unit->screenRect + 4, 110);
    EXPECT_TRUE(unit->IsInScreenRect(0, 0, 110, 110) && !unit->IsInScreenRect(111, 0, 200, 200));
    EXPECT_FLOAT_EQ(unit->HitTestScreenPoint(110, 110), -1.0f);
}
