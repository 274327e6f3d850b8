// Selection circles and shadows on the terrain.  Seen from 400 above the
// camera's target, block x spans 1.4 x 32 / 400 x 512 = 57.3 pixels across
// and block y 49.2 down, the target at the screen's centre (512, 384).

#include "tests/units/UnitPanel_Device.h"

#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"

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

TEST_F(DecalsTerrain, CirclesShowTheKindsColourOverTheSquareAndShadowsBlack)
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
        EXPECT_TRUE(Close(Pixel(590, 450), c.colour, 3)) << c.kind;
        EXPECT_EQ(Pixel(410, 384), Background) << c.kind;
        EXPECT_TRUE(StatesRestored()) << c.kind;
    }
    // Block (10, 10) is the fifth of the nine, x outer; its first triangle
    // ends at corner (10, 11) for split 1 and at (11, 11) for split 0, and
    // the texture square runs from 9.9 to 11.1.
    for (uint8_t split : {0, 1})
    {
        g_GameMap.Block(10, 10).triangleSplit = split;
        unit->RenderSelectionCircle(1);
        const SVertex3D& third = g_VXBuffer.vertices3d[4 * 6 + 2];
        EXPECT_NEAR(third.u, split ? 0.1f / 1.2f : 1.1f / 1.2f, 1e-5f);
        EXPECT_NEAR(third.v, 1.1f / 1.2f, 1e-5f);
    }
    unit->ShowUnit(false);
    const int32_t before = g_VXBuffer.primitivesDrawn;
    unit->RenderSelectionCircle(1);
    unit->RenderShadow();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, before);
}

TEST_F(DecalsTerrain, TheSquareGrowsWithTheSizeLeavingOutBlocksOffTheMap)
{
    const struct { int32_t size, x, y, blocks; } cases[] = {
        {1, 10, 10, 9}, {1, 0, 0, 4}, {3, 10, 10, 25}, {2, 46, 46, 9}, {3, 0, 0, 16}};
    CUnit* unit = nullptr;
    for (const auto& c : cases)
    {
        if (unit != nullptr)
            World().Delete(unit);
        unit = Unit(0, c.x, c.y, c.size);
        const int32_t before = g_VXBuffer.primitivesDrawn;
        unit->RenderSelectionCircle(1);
        EXPECT_EQ(g_VXBuffer.primitivesDrawn - before, 2 * c.blocks) << c.size << " at " << c.x << "," << c.y;
    }
    // The last, of size 3 at the corner, takes the large decal: blocks 0 and
    // 3 span x 426 to 483 and 598 to 655; block -1 would start at 369.
    LookDownAt(1.5f, 1.5f);
    Clear();
    unit->RenderSelectionCircle(1);
    ReadBack();
    EXPECT_TRUE(Close(Pixel(450, 384), LargeDecal, 3)) << std::hex << Pixel(450, 384);
    EXPECT_TRUE(Close(Pixel(620, 384), LargeDecal, 3));
    EXPECT_EQ(Pixel(400, 384), Background);
}
