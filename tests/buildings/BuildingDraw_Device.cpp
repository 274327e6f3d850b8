// A trap's shadow, pit, outline and developer overlay as the device draws them. Seen from 400 above
// (11, 10), block x spans 57.3 pixels across and block y 49.2 down from the screen's centre.

#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/GlobalFunc.h"
#include "media/C_ModelRecord.h"
#include "world/C_Player.h"
#include "tests/units/UnitPanel_Device.h"

class BuildingDrawDevice : public UnitDrawingTest
{
protected:
    static constexpr uint32_t Pit = 0x00C0C0, Hole = 0xFF00FF;
    // A trap at (11, 10) whose ground image is clear in its first two of eight columns.
    void SetUp() override
    {
        UnitDrawingTest::SetUp();
        AllocGlobalModels();
        LookDownAt(11.0f, 10.0f);
        trap = World().Player(0).CreateBuilding(CastTrap, 11, 10);
        std::vector<uint32_t> pixels(64);
        for (int i = 0; i < 64; ++i)
            pixels[size_t(i)] = i % 8 < 2 ? Hole : Pit;
        CTexture& image = GetGlobalModel(trap->model)->shadowTexture;
        image.format = CTexture::FormatA8R8G8B8;
        image.colourKey = Hole;
        ASSERT_TRUE(image.LoadFromMem(8, 8, pixels.data()));
        Clear();
    }
    void TearDown() override
    {
        FreeGlobalModels();
        UnitDrawingTest::TearDown();
    }
    bool Shows(float x, float y, uint32_t colour, int tolerance = 0) const
    {
        return ColourNear(int(512.0f + (x - 11.0f) * 57.34f), int(384.0f + (y - 10.0f) * 49.15f), colour, tolerance);
    }
    static uint32_t State(Sys3DRenderState state)
    {
        uint32_t value = 0;
        GetD3DDevice()->GetRenderState(state, value);
        return value;
    }
    CBuilding* trap = nullptr;
};

// The shadow spreads the image over the block and a rim of two blocks after it and
// before it; the pit, in the local player's light, shows 0.61 of it over the block.
TEST_F(BuildingDrawDevice, TheShadowAndThePitSpreadTheImageWhereItIsNotClear)
{
    trap->RenderShadow();
    ReadBack();
    EXPECT_TRUE(Shows(12.5f, 8.5f, Pit, 8) && Shows(12.3f, 9.5f, Pit, 8) && Shows(13.5f, 10.5f, Pit, 8));
    for (const auto& [bx, by] : {std::pair{11.3f, 9.5f}, {10.5f, 9.5f}, {14.5f, 9.5f}, {12.5f, 7.5f}, {12.5f, 11.5f}})
        EXPECT_TRUE(Shows(bx, by, Background)) << bx << "," << by;
    uint32_t magFilter = 0;
    GetD3DDevice()->GetTextureStageState(0, Sys3DStageState::MagFilter, magFilter);
    EXPECT_TRUE(State(Sys3DRenderState::AlphaBlendEnable) == 0 && State(Sys3DRenderState::ZWriteEnable) == 1);
    EXPECT_TRUE(State(Sys3DRenderState::AlphaFunc) == Sys3DCompare::Always && magFilter == Sys3DFilter::Point);
    Clear();
    trap->Render(0.0f);
    ReadBack();
    const uint32_t lit = GlobalFunc::ScaleColor(Pit, g_Players[0].GetVisibility(11, 10));
    EXPECT_TRUE(lit != 0 && Shows(11.8f, 10.3f, lit, 4) && Shows(11.3f, 10.3f, Background));
    EXPECT_TRUE(Shows(12.5f, 10.3f, Background) && State(Sys3DRenderState::AlphaFunc) == Sys3DCompare::Always);
}

// The outline runs along the block's edges in the code's colour.  The overlay's
// font draws each character but the blank as a solid block 10 pixels apart.
TEST_F(BuildingDrawDevice, TheOutlineTakesTheCodesColourAndTheOverlayWritesTheProductionState)
{
    for (const auto& [code, colour] : {std::pair{1, White}, {2, Yellow}, {3, Green}, {4, Red}, {0x123456, 0x123456u}})
    {
        Clear();
        trap->DrawOutline(code);
        ReadBack();
        for (const auto& [bx, by] : {std::pair{11.5f, 10.0f}, {12.0f, 10.5f}, {11.5f, 11.0f}, {11.0f, 10.5f}})
            EXPECT_TRUE(Shows(bx, by, colour, 3)) << code << " at " << bx << "," << by;
        EXPECT_TRUE(Shows(11.5f, 10.5f, Background) && Shows(13.0f, 10.5f, Background)) << code;
    }
    trap->queueCount = 3;
    trap->progress = 42.9f;
    trap->productionState = 1;
    Clear();
    trap->DumpDebug();
    ReadBack();
    const std::string lines[] = {"---===( Building General )===---",
                                 "this*:" + std::to_string(reinterpret_cast<uintptr_t>(trap)), "Prodnum:3",
                                 "Prodprogress:42", "Prodstate:1", "Research:None"};
    for (int line = 0; line < 6; ++line)
        for (size_t k = 0; k <= lines[line].size(); ++k)
            EXPECT_EQ(Pixel(674 + 10 * int(k), 20 * line + 6),
                      k < lines[line].size() && lines[line][k] != ' ' ? White : Background) << lines[line] << k;
}
