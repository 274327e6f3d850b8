#include <cmath>
#include <functional>

#include "buildings/C_BuildingDraw.h"
#include "buildings/C_BuildingResource.h"
#include "buildings/C_BuildingResourceTree.h"
#include "core/GlobalFunc.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/units/UnitPanel_Device.h"
#include "world/C_PathFinder.h"
#include "world/C_PlayerStatistics.h"

// Seen from 400 above (11, 10), block x spans 57.3 pixels across and block y 49.2 down from the screen's centre.
class BuildingDrawDevice : public UnitDrawingTest
{
protected:
    static constexpr uint32_t Pit = 0x00C0C0, Hole = 0xFF00FF;
    // A trap at (11, 10) whose ground image is clear in its first two of eight columns.
    void SetUp() override
    {
        UnitDrawingTest::SetUp(), AllocGlobalModels(), LookDownAt(11.0f, 10.0f);
        trap = World().Player(0).CreateBuilding(CastTrap, 11, 10);
        std::vector<uint32_t> pixels(64);
        for (int i = 0; i < 64; ++i) pixels[size_t(i)] = i % 8 < 2 ? Hole : Pit;
        CTexture& image = GetGlobalModel(trap->model)->shadowTexture;
        image.format = CTexture::FormatA8R8G8B8, image.colourKey = Hole;
        ASSERT_TRUE(image.LoadFromMem(8, 8, pixels.data()));
    }
    void TearDown() override { FreeGlobalModels(); UnitDrawingTest::TearDown(); }
    bool Shows(float x, float y, uint32_t colour, int tolerance = 0) const
    {
        return ColourNear(int(512.0f + (x - 11.0f) * 57.34f), int(384.0f + (y - 10.0f) * 49.15f), colour, tolerance);
    }
    // Draws on a cleared screen and reads the screen back.
    void Drawn(const std::function<void()>& draw) { Clear(); draw(); ReadBack(); }
    CBuilding* trap = nullptr;
};

// The shadow spreads the image over the block and a rim of two blocks after it and
// before it; the pit, in the local player's light, shows 0.61 of it over the block.
TEST_F(BuildingDrawDevice, TheShadowAndThePitSpreadTheImageWhereItIsNotClear)
{
    Drawn([&] { trap->RenderShadow(); });
    EXPECT_TRUE(Shows(12.5f, 8.5f, Pit, 8) && Shows(12.3f, 9.5f, Pit, 8) && Shows(13.5f, 10.5f, Pit, 8));
    for (const auto& [bx, by] : {std::pair{11.3f, 9.5f}, {10.5f, 9.5f}, {14.5f, 9.5f}, {12.5f, 7.5f}, {12.5f, 11.5f}})
        EXPECT_TRUE(Shows(bx, by, Background)) << bx << "," << by;
    using R = Sys3DRenderState;
    EXPECT_TRUE(RenderState(R::AlphaBlendEnable) == 0 && RenderState(R::ZWriteEnable) == 1 &&
                RenderState(R::AlphaFunc) == Sys3DCompare::Always &&
                StageState(Sys3DStageState::MagFilter) == Sys3DFilter::Point);
    Drawn([&] { trap->Render(0.0f); });
    const uint32_t lit = GlobalFunc::ScaleColor(Pit, g_Players[0].GetVisibility(11, 10));
    EXPECT_TRUE(lit != 0 && Shows(11.8f, 10.3f, lit, 4) && Shows(11.3f, 10.3f, Background) &&
                Shows(12.5f, 10.3f, Background) && RenderState(R::AlphaFunc) == Sys3DCompare::Always);

    // Owner 9's pit pulses red: the pulse x 256, a full pulse full red, in the same light.
    std::vector<uint32_t> white(64);
    for (int i = 0; i < 64; ++i) white[size_t(i)] = i % 8 < 2 ? Hole : White;
    ASSERT_TRUE(GetGlobalModel(trap->model)->shadowTexture.LoadFromMem(8, 8, white.data()));
    trap->owner = 9;
    for (const auto& [pulse, red] : {std::pair{0.5f, 0x800000u}, {1.0f, 0xFF0000u}})
    {
        g_BuildingPanel.pulse = pulse;
        Drawn([&] { trap->Render(0.0f); });
        EXPECT_TRUE(Shows(11.8f, 10.3f, GlobalFunc::ScaleColor(red, g_Players[0].GetVisibility(11, 10)), 4)) << pulse;
    }
    trap->owner = 0, g_BuildingPanel = CBuildingPanel();
}

// The outline runs along the block's edges in the code's colour.  The overlay's
// font draws each character but the blank as a solid block 10 pixels apart.
TEST_F(BuildingDrawDevice, TheOutlineTakesTheCodesColourAndTheOverlayWritesTheProductionState)
{
    for (const auto& [code, colour] : {std::pair{1, White}, {2, Yellow}, {3, Green}, {4, Red}, {0x123456, 0x123456u}})
    {
        Drawn([&] { trap->DrawOutline(code); });
        for (const auto& [bx, by] : {std::pair{11.5f, 10.0f}, {12.0f, 10.5f}, {11.5f, 11.0f}, {11.0f, 10.5f}})
            EXPECT_TRUE(Shows(bx, by, colour, 3)) << code << " at " << bx << "," << by;
        EXPECT_TRUE(Shows(11.5f, 10.5f, Background) && Shows(13.0f, 10.5f, Background)) << code;
    }
    trap->queueCount = 3, trap->progress = 42.9f, trap->productionState = 1;
    Drawn([&] { trap->DumpDebug(); });
    const auto expectLines = [this](int left, const std::vector<std::string>& lines, int top = 0) {
        for (size_t line = 0; line < lines.size(); ++line)
            for (size_t k = 0; k <= lines[line].size(); ++k)
                EXPECT_EQ(Pixel(left + 4 + 10 * int(k), top + 20 * int(line) + 6),
                          k < lines[line].size() && lines[line][k] != ' ' ? White : Background) << lines[line] << k;
    };
    expectLines(670, {"---===( Building General )===---", "this*:" + std::to_string(reinterpret_cast<uintptr_t>(trap)),
                      "Prodnum:3", "Prodprogress:42", "Prodstate:1", "Research:None"});

    // The map's overlay of the hovered block, the trap's site.
    g_GameMap.visibleBlockCount = 7, g_GameMap.hoveredBlockX = 11, g_GameMap.hoveredBlockY = 10;
    g_GameMap.hoveredOffsetX = 25, g_GameMap.hoveredOffsetY = 75;
    SMapBlock& block = g_GameMap.Block(11, 10);
    block.regionId = 42, block.mixPasses[0].texture = 1, block.mixPasses[1].texture = MixPassEnd;
    g_GameMap.aiTiltMap[11 * MapBlockSide + 10] = 3, g_VXBuffer.primitivesDrawn = 12;
    g_Particles.AddBuildingFire(false, 11.0f, 0.0f, 10.0f, 5.0f), g_Particles.AddKind35(11.0f, 0.0f, 10.0f);
    Drawn([&] { g_GameMap.GetDebugInfo(); });
    expectLines(270, {"---===( MAP General )===---", "Visible block num:7", "Hoovered block:11,10 (25,75)",
                      "---===( Hoovered block )===---", "Blocked", "Water level:0", "Ground mix pass:1",
                      "Island/ocean ID:42", "AI-tilt-map:3", "---===( Pointers )===---",
                      "Building:" + std::to_string(reinterpret_cast<uintptr_t>(trap)), "Unit:0",
                      "---===( Screen )===---", "Triangles on screen:12", "---===( Pathfinder )===---",
                      "Count:" + std::to_string(g_PathFinder.GetFinishedSearches()),
                      "Failed count:" + std::to_string(g_PathFinder.GetFailedSearches()),
                      "---===( Particles )===---", "Count:2"});
    g_GameMap.hoveredBlockX = g_GameMap.hoveredBlockY = -1;

    // The player's counters in white in the game font, from the second line of each column (the
    // two headings share the top line).
    CPlayer& player = World().Player(0);
    player.statistics[STAT_ARROWS_SHOT] = 17, player.controlGroupCounts[1] = 4;
    Drawn([&] { CPlayerStatistics::DumpStatistics(player); });
    expectLines(270, {"Unit num:" + std::to_string(player.unitCount)}, 20);
    expectLines(270, {"---===( Statistics )===---"}, 260), expectLines(270, {"Arrows shot:17"}, 340);
    expectLines(600, {"group 1 :0", "group 2 :4"}, 20);
}

// The ability image is drawn with the texture wrapping; the panel is left clamped again.
TEST_F(BuildingDrawDevice, TheDarkAltarDrawsItsAbilityImageWrappedAndLeavesThePanelClamped)
{
    CBuilding* altar = World().Player(0).CreateBuilding(CastDarkAltar, 30, 30);
    altar->Construct(0.0f, true), World().Research(0, 52);
    g_BuildingPanel = CBuildingPanel(), altar->RenderDetailsOnPanel();
    ASSERT_EQ(g_BuildingPanel.GetPictures().size(), 1u);
    EXPECT_EQ(g_BuildingPanel.GetPictures()[0].addressing, uint32_t(Sys3DAddress::Wrap));
    for (const Sys3DStageState axis : {Sys3DStageState::AddressU, Sys3DStageState::AddressV})
        EXPECT_EQ(StageState(axis), uint32_t(Sys3DAddress::Clamp));
    g_BuildingPanel = CBuildingPanel();
}

// The icon under the mouse gets the highlight frame (image 5): the portrait, and of the overlapping queue icons the
// lowest one, which a click cancels.  A resource site's half-transparent portrait is drawn over itself while hovered,
// and the picture of its goods stands beside the amount.
TEST_F(BuildingDrawDevice, PanelIconsUnderTheMouseShowTheirFrameAndASitesPortraitBrightens)
{
    trap->queueCount = 4, trap->progress = 50.0f;
    for (int32_t k = 0; k < trap->queueCount; ++k) trap->queue[k] = &g_UnitStats[1];
    const struct { int32_t mouseX, mouseY, frameX, frameY, cancelSlot; } cases[] = {
        {10, 250, 5, 240, -1}, {30, 390, 5, 380, 1}, {70, 390, 37, 380, 3}};
    for (const auto& c : cases)
    {
        g_BuildingPanel = CBuildingPanel(), g_BuildingPanel.mouseX = c.mouseX, g_BuildingPanel.mouseY = c.mouseY;
        Drawn([&] { trap->RenderPanelDetails("Trap"); });
        EXPECT_TRUE(Pixel(c.frameX, c.frameY) == Frame && Pixel(c.frameX + 39, c.frameY + 39) == Frame &&
                    Pixel(c.frameX + 41, c.frameY + 20) == Background) << c.mouseX;
        EXPECT_EQ(g_BuildingCommand.cancelSlot, c.cancelSlot) << c.mouseX;
    }

    const uint32_t portrait = 0x00FF00, goods = 0x0000FF;
    GetGlobalImage(66)->alpha = 0x88, GetGlobalImage(69)->alpha = 255;   // 66: a constant alpha of 8 / 15
    MakeImage(66, 40, portrait), MakeImage(69, 40, goods);
    CBuilding* mine = World().Player(0).CreateResource(ResourceKindGoldMine, 20, 20, 100, 0);
    const auto blend = [](uint32_t under, uint32_t over) {
        uint32_t out = 0;
        for (int shift : {0, 8, 16})
            out |= ((((under >> shift) & 0xFF) * 7 + ((over >> shift) & 0xFF) * 8) / 15) << shift;
        return out;
    };
    for (const bool hovered : {false, true})
    {
        g_BuildingPanel.mouseX = hovered ? 10 : 500, g_BuildingPanel.mouseY = 250;
        Drawn([&] { mine->RenderDetailsOnPanel(); });
        const uint32_t once = blend(Background, portrait);
        EXPECT_TRUE(ColourNear(20, 260, hovered ? blend(once, portrait) : once, 4)) << hovered;
        EXPECT_TRUE(Pixel(10, 300) == goods && Pixel(49, 339) == goods && Pixel(9, 320) == Background);
    }
    g_BuildingPanel = CBuildingPanel(), g_BuildingCommand.Clear();
}

namespace
{
class DrawingBuildings : public ::testing::Test
{
protected:
    DrawingBuildings() { CBuildingDraw::ClearDraws(); }
    ~DrawingBuildings() override { CBuildingDraw::ClearDraws(); }
    static Ints DrawnModels()
    {
        Ints models;
        for (const SModelDraw& draw : CBuildingDraw::GetDraws()) models.push_back(draw.model);
        CBuildingDraw::ClearDraws();
        return models;
    }

    CBuildingWorld m_World;
    SGlobalModels m_Models;
};

TEST_F(DrawingBuildings, ACollapsingBuildingShakesAndSinksWithoutItsBanners)
{
    CBuilding* barracks = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    GetGlobalModel(233)->object.frameCount = 20, barracks->animTime = 7.5f;
    barracks->Render(0.0f);
    // The model, then two banners at frames 7 + 16 and 7 + 24, modulo 20.
    const std::vector<SModelDraw> draws = CBuildingDraw::GetDraws();
    ASSERT_TRUE(DrawnModels() == (Ints{115, 233, 233}) && draws[1].frame == 3 && draws[2].frame == 11);
    EXPECT_FLOAT_EQ(draws[1].x, 10.8f);
    EXPECT_FLOAT_EQ(draws[1].y, 15.4f);
    EXPECT_FLOAT_EQ(draws[1].height, draws[0].height + 70.0f);
    barracks->Render(0.5f);
    const SModelDraw sinking = CBuildingDraw::GetDraws()[0];
    ASSERT_EQ(DrawnModels(), Ints{115});
    EXPECT_FLOAT_EQ(sinking.x, 10.0f + 0.02f * std::sin(250.0f));
    EXPECT_FLOAT_EQ(sinking.y, 10.0f + 0.02f * std::cos(250.0f));
    EXPECT_FLOAT_EQ(sinking.height, g_GameMap.GetHeight(10.0f, 10.0f) - 125.0f);
}

TEST_F(DrawingBuildings, TreesTurnByTheirFacingAndTakeTheirLookAsColour)
{
    CResourceTree tree(1);
    tree.x = 5, tree.y = 6, tree.facing = 90.0f, tree.look = 2, tree.animTime = 13.7f;
    GetGlobalModel(210)->object.frameCount = 6;
    tree.Render(0.0f);
    ASSERT_EQ(CBuildingDraw::GetDraws().size(), 1u);
    const SModelDraw& draw = CBuildingDraw::GetDraws()[0];
    EXPECT_EQ(Floats({float(draw.frame), draw.x, draw.y, draw.facing}), Floats({1.0f, 5.5f, 6.5f, 90.0f}));
    EXPECT_EQ(GetGlobalModel(210)->object.currentTexture, 2);
    // Sites are not drawn while collapsing.
    CResource rock;
    tree.Render(0.3f), rock.Render(0.3f);
    EXPECT_EQ(CBuildingDraw::GetDraws().size(), 1u);
}

// Whatever owner 9 stands for, its town buildings, walls, traps and decorations draw with the
// renderer's pulse as their model's tint; other owners leave the tint alone.
TEST_F(DrawingBuildings, ObjectsOfThePulsingOwnerTakeThePulseAsTheirModelsTint)
{
    g_BuildingPanel.pulse = 0.375f;
    const struct { int32_t cast, decorationKind; } objects[] = {
        {CastHouse, 0}, {CastBarracks, 0}, {CastWall, 0}, {CastTrap, 0}, {CastDecoration, 2}, {CastDecoration, 1}};
    for (const auto& object : objects)
    {
        CBuilding* drawn = object.cast == CastDecoration
                               ? m_World.Track(m_World.Player(0).BuildingFactory(CastDecoration, 0, 0,
                                                                                   object.decorationKind))
                               : m_World.Make(0, object.cast, 10, 10);
        drawn->x = drawn->y = 10;
        const int32_t owner = drawn->owner;
        for (const int32_t drawnFor : {owner, 8, 9})
        {
            drawn->owner = drawnFor;
            GetGlobalModel(drawn->model)->tint = -1.0f;
            drawn->Render(0.0f);
            EXPECT_EQ(GetGlobalModel(drawn->model)->tint, drawnFor == 9 ? 0.375f : -1.0f)
                << object.cast << " kind " << object.decorationKind << " owner " << drawnFor;
        }
        drawn->owner = owner;
    }
    g_BuildingPanel = CBuildingPanel();
}

TEST_F(DrawingBuildings, TheRallyFlagIsTheLocalOwnersOnlyAndTheOutlineWalksTheFootprintEdgeOnce)
{
    CBuilding* own = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    CBuilding* other = m_World.PlaceFinished(1, CastBarracks, 20, 10);
    own->RenderRallyFlag();
    EXPECT_TRUE(CBuildingDraw::GetDraws().empty());
    own->rallyX = other->rallyX = 3, own->rallyY = other->rallyY = 4, own->RenderRallyFlag();
    other->RenderRallyFlag();
    ASSERT_TRUE(CBuildingDraw::GetDraws().size() == 1u && CBuildingDraw::GetDraws()[0].x == 3.5f &&
                CBuildingDraw::GetDraws()[0].y == 4.5f && DrawnModels() == Ints{234});

    const std::unique_ptr<CBuilding> house(m_World.Player(0).BuildingFactory(CastHouse, 0, 0, 0));
    Floats points;
    house->x = 4, house->y = 7, house->GetOutlinePoints(points);
    EXPECT_EQ(points, (Floats{4, 7, 5, 7, 6, 7, 7, 7, 7, 8, 7, 9, 6, 9, 5, 9, 4, 9, 4, 8, 4, 7}));
}
}  // namespace
