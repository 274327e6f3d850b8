// Every unit type's model and corpse as the map drawing shows them (its circles, shadow and picking at the end).
// Each model slot holds a cube of side 16 standing on the ground 16 ahead of the origin (ahead is -z), textured per
// colour slot: slot 0 green, slot 2 white.  Lit from the side its top is grey 0x80 of the texture.  The camera looks
// down from 400 above the unit's centre: a world point (x, height y, z) lands at
// (512 + 716.8 x / (400 - y), 384 - 614.4 z / (400 - y)).

#include <cmath>
#include <numeric>

#include "buildings/C_Building.h"
#include "core/C_Ctrl.h"
#include "core/C_Localizer.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "platform/SysClock.h"
#include "tests/media/FileBytes.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitPanel_Device.h"
#include "units/C_UnitModelDrawing.h"
#include "units/C_Unit_TransportShip.h"
#include "units/C_Unit_Quib.h"
#include "units/C_Unit_Worker.h"

namespace
{
constexpr int32_t UnitModelCount = 108;
constexpr uint32_t Lit = 0x808080;
constexpr float Pi = 3.14159265f;

struct SPoint { int32_t x, y; };

SPoint OnScreen(float x, float y, float z, int32_t facing, float height = 0.0f)
{
    const float c = std::cos(float(facing) * Pi / 180.0f), s = std::sin(float(facing) * Pi / 180.0f);
    const float depth = 400.0f - y - height;
    return {int32_t(std::lround(512.0f + 716.8f * (x * c - z * s) / depth)),
            int32_t(std::lround(384.0f - 614.4f * (x * s + z * c) / depth))};
}

// Red with its green cleared: the wound overlay's tint at the vertex it marks.
bool Reddened(uint32_t pixel) { return int(pixel >> 16 & 0xFF) - int(pixel >> 8 & 0xFF) > 0x40; }

std::string Address(const void* object) { return std::to_string(reinterpret_cast<uintptr_t>(object)); }

class CNamedBuilding : public CBuilding
{
public:
    CNamedBuilding() : CBuilding(12, 34, 1) {}
    const char* GetName() const override { return "Barracks"; }
};
} // namespace

class UnitModels : public UnitDrawingTest
{
protected:
    void SetUp() override
    {
        UnitDrawingTest::SetUp();
        g_Config.hardwareTnL = g_Config.unitDamage = 1;
        AllocGlobalModels();
        ModelLayout layout = CubeLayout(8.0f);
        layout.base = CubePose(8.0f, {0.0f, 8.0f, -16.0f});
        const std::vector<uint8_t> bytes = BuildModel(layout);
        const std::vector<uint32_t> green(4, 0xFF00FF00u), white(4, ~0u);
        for (int32_t number = 0; number < UnitModelCount; ++number)
        {
            C3DObject& cube = GetGlobalModel(number)->object;
            ASSERT_TRUE(cube.LoadFromMemory(bytes.data(), bytes.size(), "cube.okm", 3));
            ASSERT_TRUE(cube.SetTextureFromMem(0, 2, 2, green.data()) && cube.SetTextureFromMem(2, 2, 2, white.data()));
        }
        World().Player(0).colourScheme = 2;
    }
    void TearDown() override { g_Particles.Reset(); FreeGlobalModels(); UnitDrawingTest::TearDown(); }

    CUnit* Spawn(int32_t type, int32_t facing, int32_t x = 20)
    {
        CUnit* unit = World().Spawn(0, type, x, 20);
        if (unit != nullptr)
        {
            unit->facing = unit->shownFacing = facing, LookDownAt(unit->centreX, unit->centreY);
        }
        return unit;
    }
};

// Turned to its facing: the cube shows ahead of the centre and nothing behind it, at the unit's pick rectangle; its
// top takes the owner's colour slot (2, white), not its index (0, green).  The wound overlay steps in below 50, 25
// and 5 percent health: 8, 4, 2 for the foot and the shared drawing, 16, 8, 4 for the armoured and the hero rider,
// none for the knight, undead, machines and ships; at 30 % it reddens the top's marked corner.  The fallen body a
// corpse shows keeps the overlay of its type: 2, the riders' 4, none for the undead.  The corpse lies whole, then its
// remains fade out over the last third of its time (the body of a ship or an undead is gone by then), then nothing.
TEST_F(UnitModels, EveryTypeDrawsItsModelItsWoundsBelowEachThresholdAndItsCorpseAsItsPartSays)
{
    enum ECorpse { NoCorpse, BodyOnly, ToTheEnd };
    const float healths[] = {100.0f, 50.0f, 49.9f, 25.0f, 24.9f, 5.0f, 4.9f};
    const struct { int32_t type, facing; ECorpse corpse; int32_t height, below50, below25, below5, dieModel, fallen; }
        rows[] = {
        {UNIT_WORKER, 0, ToTheEnd, 0, 8, 4, 2, 11, 2},         {UNIT_WARRIOR, 90, ToTheEnd, 0, 8, 4, 2, 16, 2},
        {UNIT_ARCHER, 180, ToTheEnd, 0, 8, 4, 2, 21, 2},       {UNIT_CATAPULT, 270, ToTheEnd, 0, 0, 0, 0, 0, 0},
        {UNIT_PRIEST, 45, ToTheEnd, 0, 8, 4, 2, 32, 2},        {UNIT_LIGHTCAVALRY, 135, ToTheEnd, 0, 8, 4, 2, 37, 2},
        {UNIT_TRANSPORTSHIP, 225, BodyOnly, -10, 0, 0, 0, 0, 0}, {UNIT_CROSSBOWMAN, 315, ToTheEnd, 0, 8, 4, 2, 49, 2},
        {UNIT_KNIGHT, 0, ToTheEnd, 0, 0, 0, 0, 0, 0},          {UNIT_WARGALLEY, 90, BodyOnly, -10, 0, 0, 0, 0, 0},
        {UNIT_DEMOLISHMAN, 180, NoCorpse, 0, 8, 4, 2, 0, 0},   {UNIT_HEAVYCAVALRY, 270, ToTheEnd, 0, 16, 8, 4, 42, 4},
        {UNIT_GIANT, 0, ToTheEnd, 0, 8, 4, 2, 99, 2},          {UNIT_DEMON, 90, NoCorpse, 0, 8, 4, 2, 0, 0},
        {UNIT_UNDEAD, 180, BodyOnly, 0, 0, 0, 0, 107, 0},      {UNIT_QUIB, 270, NoCorpse, 0, 8, 4, 2, 0, 0},
        {UNIT_WARHOUND, 0, NoCorpse, 0, 8, 4, 2, 0, 0},        {UNIT_GUNSLINGER, 90, NoCorpse, 0, 8, 4, 2, 0, 0},
        {UNIT_KING, 180, ToTheEnd, 0, 8, 4, 2, 63, 2},         {UNIT_SETTLER, 270, ToTheEnd, 0, 0, 0, 0, 0, 0},
        {UNIT_HEROCAVALRY, 45, ToTheEnd, 0, 16, 8, 4, 85, 4}};
    constexpr int32_t Unset = 99;
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "type " << row.type);
        g_Config.hardwareTnL = 1;
        CUnit* unit = Spawn(row.type, row.facing);
        ASSERT_NE(unit, nullptr);
        const int32_t strides[] = {0, 0, row.below50, row.below50, row.below25, row.below25, row.below5};
        for (size_t i = 0; i < std::size(healths); ++i)
        {
            GetGlobalModel(unit->model)->object.damageStride = Unset;
            unit->health = healths[i], unit->Render();
            EXPECT_EQ(GetGlobalModel(unit->model)->object.damageStride, strides[i]) << healths[i];
        }
        if (row.dieModel != 0)
        {
            GetGlobalModel(row.dieModel)->object.damageStride = Unset, unit->RenderAt(1.0f, 0.0f, 255);
            EXPECT_EQ(GetGlobalModel(row.dieModel)->object.damageStride, row.fallen);
        }
        // The corpse's own model follows the die model.
        if (row.dieModel != 0 && row.corpse == ToTheEnd)
        {
            GetGlobalModel(row.dieModel + 1)->object.damageStride = Unset, unit->RenderAt(0.0f, 1.0f, 255);
            EXPECT_NE(GetGlobalModel(row.dieModel + 1)->object.damageStride, Unset);
        }
        const SPoint top = OnScreen(0, 16, -16, row.facing, float(row.height));
        const SPoint behind = OnScreen(0, 16, 16, row.facing, float(row.height));
        const SPoint marked = OnScreen(-6.8f, 16, -22.8f, row.facing, float(row.height));
        const auto draw = [&](float health) {
            unit->health = health;
            Drawn([&] { unit->Render(); });
        };
        for (const uint8_t hardware : {1, 0})
        {
            SCOPED_TRACE(hardware != 0 ? "hardware" : "software");
            g_Config.hardwareTnL = hardware, draw(100.0f);
            EXPECT_TRUE(Close(Pixel(top.x, top.y), Lit, 6) && Pixel(behind.x, behind.y) == Background &&
                        unit->HitTestScreenPoint(top.x, top.y) >= 0.0f &&
                        unit->HitTestScreenPoint(behind.x, behind.y) == -1.0f && !Reddened(Pixel(marked.x, marked.y)) &&
                        unit->IsInScreenRect(top.x - 1, top.y - 1, top.x + 1, top.y + 1))
                << std::hex << Pixel(top.x, top.y);
            draw(30.0f);
            EXPECT_EQ(Reddened(Pixel(marked.x, marked.y)), row.below50 != 0) << std::hex << Pixel(marked.x, marked.y);
        }
        unit->RemoveFromWorld(true);
        for (int32_t frame = 0; frame < 100 && !g_Particles.HoldsCorpse(unit); ++frame) World().Frame(1);
        ASSERT_TRUE(g_Particles.HoldsCorpse(unit));
        const auto corpseAt = [&](int32_t ticksLeft) {
            if (g_Particles.GetCorpseCount() != 0) World().Frame(g_Particles.GetCorpseTicksLeft(unit) - ticksLeft);
            Drawn([] { g_Particles.RenderCorpses(); });
            return Pixel(top.x, top.y);
        };
        const uint32_t whole = corpseAt(g_Particles.GetCorpseTicksLeft(unit));
        EXPECT_EQ(whole != Background, row.corpse != NoCorpse) << std::hex << whole;
        const uint32_t fading = corpseAt(CParticles::CorpseTicks / 6);
        EXPECT_EQ(fading != Background && !Close(fading, whole, 8), row.corpse == ToTheEnd) << std::hex << fading;
        EXPECT_TRUE(corpseAt(0) == Background && g_Particles.GetCorpseCount() == 0);
    }
}

// Seen level from 100 ahead of the bow, the cube's near face (16 high, 76 away) spans rows 384 -+ 614.4 x 8 / 76 when
// the eye is level with its middle.  Ships float 10 below the ground; a wreck sinks as its corpse fades
// (f from 1 to 0) to 10 + (1 - f) x 100 below it, the galley's to 10 + (1 - f) x 160, and is gone at 0.
TEST_F(UnitModels, AShipFloatsTenBelowTheGroundAndItsWreckSinksAsItFades)
{
    const struct { int32_t type; float fade, height; } cases[] = {
        {UNIT_TRANSPORTSHIP, 1.0f, -10.0f}, {UNIT_TRANSPORTSHIP, 0.75f, -35.0f}, {UNIT_TRANSPORTSHIP, 0.0f, 0.0f},
        {UNIT_WARGALLEY, 1.0f, -10.0f},     {UNIT_WARGALLEY, 0.75f, -50.0f},     {UNIT_WARGALLEY, 0.25f, -130.0f}};
    const float halfFace = 614.4f * 8.0f / 76.0f;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " fade " << c.fade);
        CUnit* ship = Spawn(c.type, 0);
        ASSERT_NE(ship, nullptr);
        std::ranges::copy(std::array<float, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}, g_GameMap.viewMatrix);
        std::ranges::copy(std::array{0.0f, -c.height - 8.0f, 100.0f}, g_GameMap.viewTranslation);
        Drawn([&] { c.fade == 1.0f ? ship->Render() : ship->RenderAt(c.fade, 0.0f, 255); });
        int32_t top = -1, bottom = -1;
        for (int32_t y = 0; y < 768; ++y)
            if (Pixel(512, y) != Background) top = top < 0 ? y : top, bottom = y;
        const bool spans = std::abs(top - (384.0f - halfFace)) < 2.0f && std::abs(bottom - (384.0f + halfFace)) < 2.0f;
        EXPECT_TRUE(c.fade == 0.0f ? top == -1 : spans) << top << " to " << bottom;
        if (c.fade == 0.75f)   // shaded at 64 of 255, the wreck is darker
        {
            const auto light = [this] {
                const uint32_t p = Pixel(512, 384);
                return (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF);
            };
            const uint32_t full = light();
            Drawn([&] { ship->RenderAt(c.fade, 0.0f, 64); });
            EXPECT_LT(light(), full / 2);
        }
        World().Delete(ship);
    }
}

// The ground rises 32 a block eastward from x = 18 (45 degrees).  A catapult facing east at centre (21, 21) stands at
// the mean of its wheels, 95.5, leaning 45 degrees west: its cube (x 8 to 24 ahead, 0 to 16 up) turns to span x -5.7
// to 17.0, seen from 287 to 305 below the eye, so x -3 at height 20 is on it (screen x 504) and x 22 at height 2,
// where an upright cube would be, is not (screen x 564).  The Quib's bubble 3 stands 130 above its model's rectangle
// (x 497 to 526 from y 396; on flat ground), from its middle.  Before that, on plain ramps: the machine stands at the
// mean ground height under its four wheels (-0.625, -0.687), (0.584, -0.678), (0.584, 0.716), (-0.625, 0.716); a
// wheel (x, z) stands at map offset (x, -z) at facing 0 and (-z, -x) at facing 90.  Its up is square to the ramp.
TEST_F(UnitModels, ACatapultOnASlopeLeansWithItAndTheQuibsBubbleStandsOverItsModel)
{
    const float wheels[4][2] = {{-0.625f, -0.687f}, {0.584f, -0.678f}, {0.584f, 0.716f}, {-0.625f, 0.716f}};
    CUnit* machine = Spawn(UNIT_CATAPULT, 0, 30);
    ASSERT_NE(machine, nullptr);
    const float root = std::sqrt(0.5f);
    for (const bool eastward : {true, false})
        for (const int32_t facing : {0, 90})
        {
            SCOPED_TRACE(testing::Message() << (eastward ? "east" : "south") << " ramp, facing " << facing);
            for (int32_t cx = 0; cx <= g_GameMap.GetWidth(); ++cx)
                for (int32_t cy = 0; cy <= g_GameMap.GetHeight(); ++cy)
                    g_GameMap.CornerHeight(cx, cy) = 32 * (eastward ? cx : cy);
            machine->shownFacing = facing;
            float mean = 0.0f;
            for (const auto& wheel : wheels)
            {
                const float mapX = facing == 0 ? wheel[0] : -wheel[1], mapY = facing == 0 ? -wheel[1] : -wheel[0];
                mean += 32.0f * (eastward ? machine->centreX + mapX : machine->centreY + mapY) / 4.0f;
            }
            const SModelPose pose = CUnitModelDrawing::OnWheels(*machine);
            EXPECT_NEAR(pose.height, mean, 1e-3f);
            const float up[3] = {eastward ? -root : 0.0f, root, eastward ? 0.0f : root};
            for (int32_t i = 0; i < 3; ++i) EXPECT_NEAR(pose.turn[3 + i], up[i], 1e-4f) << i;
            // A turn: its three axes are of length one and square to one another.
            for (int32_t a = 0; a < 9; ++a)
                EXPECT_NEAR(std::inner_product(pose.turn + 3 * (a / 3), pose.turn + 3 * (a / 3) + 3,
                                               pose.turn + 3 * (a % 3), 0.0f), a / 3 == a % 3 ? 1.0f : 0.0f, 1e-4f);
        }
    World().Delete(machine);
    for (int32_t cx = 0; cx <= g_GameMap.GetWidth(); ++cx)
        for (int32_t cy = 0; cy <= g_GameMap.GetHeight(); ++cy)
            g_GameMap.CornerHeight(cx, cy) = 32 * std::max(cx - 18, 0);
    CUnit* catapult = Spawn(UNIT_CATAPULT, 90);
    ASSERT_NE(catapult, nullptr);
    Drawn([&] { catapult->Render(); });
    EXPECT_TRUE(Pixel(504, 384) != Background && Pixel(564, 384) == Background);
    // A model without frames is not drawn.
    const int32_t frames = std::exchange(GetGlobalModel(catapult->model)->object.frameCount, 0);
    Drawn([&] { catapult->Render(); });
    EXPECT_EQ(Pixel(504, 384), Background);
    GetGlobalModel(catapult->model)->object.frameCount = frames;

    MakeImage(23, 8, Red);
    auto* quib = static_cast<CUnitQuib*>(Spawn(UNIT_QUIB, 0, 10));
    ASSERT_NE(quib, nullptr);
    // A bubble starts on a draw of 1 in 200, its picture by the next draw of 7.
    CSimHarness::SeedForDraws({{32768, 200}}), quib->Animate(1);
    ASSERT_EQ(quib->bubbleTicks, 0);
    CSimHarness::SeedForDraws({{32768, 201}, {7, 3}}), quib->Animate(1);
    Drawn([&] { quib->Render(); });
    EXPECT_TRUE(Pixel(512, 267) == Red && Pixel(518, 273) == Red && Pixel(510, 267) == Background &&
                Pixel(512, 265) == Background && Pixel(512, 275) == Background);
}

// Selection circles and shadows on the terrain, and picking by the model's rectangle.  Seen from 400
// above the camera's target, block x spans 1.4 x 32 / 400 x 512 = 57.3 pixels across and block y 49.2
// down, the target at the screen's centre (512, 384).
using DecalsTerrain = UnitDrawingTest;

TEST_F(DecalsTerrain, CirclesShowTheKindsColourOverASquareGrowingWithTheSizeAndShadowsBlack)
{
    const auto statesRestored = [] {
        uint32_t blend = 1, depthWrites = 0, minFilter = 0, magFilter = 0;
        SysDevice3D& device = *GetD3DDevice();
        device.GetRenderState(Sys3DRenderState::AlphaBlendEnable, blend);
        device.GetRenderState(Sys3DRenderState::ZWriteEnable, depthWrites);
        device.GetTextureStageState(0, Sys3DStageState::MinFilter, minFilter);
        device.GetTextureStageState(0, Sys3DStageState::MagFilter, magFilter);
        return blend == 0 && depthWrites == 1 && minFilter == Sys3DFilter::Point && magFilter == Sys3DFilter::Point;
    };
    const struct { int32_t kind; uint32_t colour; } cases[] = {
        {1, White}, {2, Yellow}, {3, Green}, {4, Red}, {0, 0}, {5, 0}, {-1, 0}};
    CUnit* unit = Unit(0, 10, 10);
    LookDownAt(10.5f, 10.5f);
    for (const auto& c : cases)
    {
        Drawn([&] { c.kind == -1 ? unit->RenderShadow() : unit->RenderSelectionCircle(c.kind); });
        // The unit's block, the far corner of the 3 x 3 square (x 426 to 598, y 310 to 458), and beyond either side.
        EXPECT_TRUE(Close(Pixel(512, 384), c.colour, 3) && Close(Pixel(590, 450), c.colour, 3) &&
                    Pixel(410, 384) == Background && Pixel(614, 384) == Background && statesRestored())
            << c.kind << ": " << std::hex << Pixel(512, 384);
    }
    unit->ShowUnit(false);
    const int32_t before = g_VXBuffer.primitivesDrawn;
    unit->RenderSelectionCircle(1), unit->RenderShadow();
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
        unit->model = 12, unit->renderPosition[2] = 100.0f;
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
        if (unpickable < 2) unit->ShowUnit(unpickable != 0);
        unit->health = unpickable == 1 ? 0.5f : 100.0f, unit->renderPosition[2] = unpickable == 2 ? 10.0f : 100.0f;
        EXPECT_TRUE(unit->HitTestScreenPoint(512, 384) < 0.0f && !unit->IsInScreenRect(0, 0, 1023, 767)) << unpickable;
    }
    unit->model = GlobalModelCount + 1;
    std::fill(unit->screenRect, unit->screenRect + 4, 110);
    EXPECT_TRUE(unit->IsInScreenRect(0, 0, 110, 110) && !unit->IsInScreenRect(111, 0, 200, 200) &&
                unit->HitTestScreenPoint(110, 110) == -1.0f);
}

// The unit's panel: bars 0.4 pixels per percent, 41 below the portrait's top; font 1 a run of 8 pixels
// a character from 2 right of the print position, 5 below it.  Debug panel and unit log, word for word.
class UnitPanelPortrait : public UnitDrawingTest
{
protected:
    void SetUp() override
    {
        UnitDrawingTest::SetUp(), g_Config.showUnitActionIcons = 1;
        std::memcpy(m_SavedNames, g_TypeNames, sizeof(m_SavedNames));
        const char* relations[][2] = {{"UN_TYPE_ALLY", "Ally"}, {"UN_TYPE_ENEMY", "Foe"},
                                      {"UN_TYPE_NEUTRAL", "Neutral"}, {"UN_TYPE_DEFEATED", "Beaten"}};
        for (int i = 0; i < TypeNameCount; ++i)
            for (const auto& [key, name] : relations)
                g_TypeNames[i] = std::strcmp(TypeNameKeys[i], key) == 0 ? name : g_TypeNames[i];
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
        while (Pixel(x + 2 + width, y + 5) == colour) ++width;
        return width;
    }

    const char* m_SavedNames[TypeNameCount] = {};
};

TEST_F(UnitPanelPortrait, TheBarFollowsHealthLessStarvationInWidthAndImage)
{
    const struct { float health, starvation; uint32_t colour; int32_t width; } cases[] = {
        {100, 0, Green, 40}, {60, 20, Yellow, 16}, {51, 0, Green, 20}, {50, 0, Yellow, 20},
        {25.5f, 0, Yellow, 10}, {25, 0, Red, 10}, {10, 0, Red, 4},   {30, 30, Red, 0},   {10, 40, Red, 0}};
    CUnit* unit = Unit(0, 5, 5);
    for (const auto& c : cases)
    {
        unit->health = c.health, unit->starvation = c.starvation;
        Drawn([&] { unit->RenderHealthBar(100, 100); });
        EXPECT_TRUE(Run(98, 138, c.colour) == c.width && Pixel(100 + c.width, 143) == Background &&
                    Pixel(120, 120) == Portrait) << c.health << " - " << c.starvation;
    }
}

TEST_F(UnitPanelPortrait, OwnUnitsShowTheirCommandsIconOnThePortraitsBottom)
{
    const int32_t icons[] = {86, 86, 80, 80, 83, 81, -1, 84, 82, 81, 81, 80, 86, -1, 84, 84, 83,
                             86, 82, 86, 81, 82, 82, 81, 80, 80, 80, 86, 85, 86, 85, 86, 86};  // -13 .. 19
    CUnit *own = Unit(0, 5, 5), *foreign = Unit(1, 8, 8);
    for (int32_t command = -13; command <= 19; ++command)
    {
        own->currentCommand = foreign->currentCommand = command;
        EXPECT_TRUE(own->GetCommandIcon() == icons[command + 13] && foreign->GetCommandIcon() == -1) << command;
    }
    own->currentCommand = foreign->currentCommand = 1;
    const struct { CUnit* unit; uint32_t bottom; } draws[] = {{own, Icon}, {foreign, Portrait}};
    for (const auto& draw : draws)
    {
        Drawn([&] { draw.unit->RenderHealthBar(100, 100); });
        EXPECT_TRUE(Pixel(108, 124) == draw.bottom && Pixel(108, 139) == draw.bottom && Pixel(108, 122) == Portrait);
    }
    g_Config.showUnitActionIcons = 0;
    EXPECT_EQ(own->GetCommandIcon(), -1);
}

TEST_F(UnitPanelPortrait, OwnUnitsShowStatsAndTheirName)
{
    CPanelTestUnit* unit = Unit(0, 5, 5);
    unit->maxHitPoints = 70.0f, unit->health = 50.0f;
    Drawn([&] { unit->RenderInfoPanel("Warrior"); });
    const struct { int32_t x, y; uint32_t colour; int32_t width; } texts[] = {
        {50, 315, White, 16}, {66, 315, Yellow, 16}, {50, 350, White, 24},  // "12" "+3", "4/7"
        {50, 385, White, 48}, {106, 385, White, 24}, {5, 289, White, 40},   // "50/0/0 (%)", "35/70"
        {115, 240, White, 56}, {115, 260, Yellow, 32}};                     // "Warrior", "Anna"
    for (const auto& t : texts) EXPECT_EQ(Run(t.x, t.y, t.colour), t.width) << t.x << "," << t.y;
    EXPECT_TRUE(Pixel(10, 318) == Icon && Pixel(94, 335) == Background);   // no relation
    unit->customName = "Bob";
    Drawn([&] { unit->RenderInfoPanel("Warrior"); });
    EXPECT_EQ(Run(115, 240, White), 3 * 8);
    // Hit less than 10 s ago, the portrait's box (5, 240) to (44, 279) flashes half red while the blink flag is on.
    unit->lastHitTime = std::max(1u, SysClock::TickCount());
    for (const uint8_t blink : {0, 1})
    {
        CUnit::panelBlink = blink;
        Drawn([&] { unit->RenderInfoPanel("Warrior"); });
        const uint32_t flash = Pixel(5, 260);
        EXPECT_TRUE((blink ? flash >> 16 >= 0x70 && (flash & 0xFF) <= 0x90 : flash == Portrait) &&
                    Pixel(43, 278) == flash && Pixel(44, 279) == Portrait) << std::hex << flash;
    }
}

// A worker's load shows the icon of its kind at (100, 310) and its amount at (140, 315); a closed mine's
// load is gold.  Its name follows its load.
TEST_F(UnitPanelPortrait, AWorkersLoadShowsItsKindsIconAndAmountAndNamesIt)
{
    const std::string texts = "UN_WORKER,\"Worker\"\nUN_WORKER_LUMBERJACK,\"Lumberjack\"\nUN_WORKER_MINER,\"Miner\"\n";
    ASSERT_TRUE(g_Localizer.LoadLocaleText("panel", texts.c_str(), int(texts.size())));
    const uint32_t icons[] = {Red, Green, Yellow};
    for (int32_t i = 0; i < 3; ++i) MakeImage(6 + i, 16, icons[i]);
    auto* worker = static_cast<CUnitWorker*>(World().Spawn(0, UNIT_WORKER, 5, 5));
    ASSERT_NE(worker, nullptr);
    const struct { int32_t kind, amount; uint32_t icon; int32_t digits, name; } cases[] = {
        {CUnitWorker::KindWood, 5, icons[0], 1, 10}, {CUnitWorker::KindStone, 10, icons[1], 2, 5},
        {CUnitWorker::KindGold, 20, icons[2], 2, 5},  {CUnitWorker::KindClosedMine, 3, icons[2], 1, 5},
        {CUnitWorker::KindWood, 0, Background, 0, 6}};
    for (const auto& c : cases)
    {
        worker->carriedKind = c.kind, worker->carriedAmount = c.amount;
        Drawn([&] { worker->RenderDetailsOnPanel(); });
        EXPECT_TRUE(Pixel(108, 318) == c.icon && Run(140, 315, White) == (8 * c.digits) &&
                    Run(115, 240, White) == 8 * c.name) << c.kind << " " << c.amount;
    }
    g_Localizer.Clear();
}

// A ship's panel frames the carried unit under the mouse with image 5 at its box (5, 475).
TEST_F(UnitPanelPortrait, AShipFramesTheCarriedUnitUnderTheMouse)
{
    auto* ship = static_cast<CUnitTransportShip*>(World().Spawn(0, UNIT_TRANSPORTSHIP, -1, -1));
    ASSERT_TRUE(ship != nullptr && ship->AcceptGarrison(World().Spawn(0, UNIT_WARRIOR, -1, -1)));
    for (const auto& [mouseX, framed] : {std::pair{10, true}, std::pair{100, false}})
    {
        VirtualMouseX = mouseX, VirtualMouseY = 480;
        Drawn([&] { ship->RenderDetailsOnPanel(); });
        EXPECT_EQ(Pixel(25, 495) == Frame, framed) << mouseX;
    }
    VirtualMouseX = VirtualMouseY = 0;
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
        World().Player(1).type = c.ownerType, World().Player(0).allied[1] = c.allied ? 1 : 0;
        Drawn([&] { unit->RenderInfoPanel("Warrior"); });
        EXPECT_EQ(Run(90, 330, c.colour), c.width) << c.ownerType;
        EXPECT_TRUE(Run(5, 289, White) == 0 && Pixel(10, 318) == Background && Run(115, 260, Yellow) == (4 * 8));
    }
}

class UnitPanelDebugOutput : public ::testing::Test
{
protected:
    void TearDown() override { unit->targetBuilding = unit->actionTargetBuilding = nullptr; }

    CSimHarness world;
    CUnit *unit = world.Adopt(0, new CPanelTestUnit(), 7, 9), *other = world.Adopt(1, new CPanelTestUnit(), 20, 20);
    CNamedBuilding building;
};

TEST_F(UnitPanelDebugOutput, ThePanelListsTheUnitsStateInTwoColumns)
{
    unit->formationOffsetX = -1, unit->routeEnd = 14, unit->moveDestX = 30, unit->targetX = 40;
    unit->lastOrder = 2, unit->currentCommand = 4, unit->ready = 0, unit->threaded = 1;
    unit->targetUnit = other, unit->targetKind = 1, unit->deadline = 3000000000u;
    unit->animType = ANIM_WIND_DOWN, unit->animFrame = 12.75f, unit->facing = 225;
    unit->health = 87.9f, unit->starvation = 12.5f, unit->networkRef = 12345, unit->uniqueId = 77;
    const std::vector<std::string> expected = {
        "---===( UNIT General )===---", "Pos:7,9", "Not moving", "Formation offest:-1,0",
        "---===( Current move )===---", "Move step num:14", "Current move step:0", "Move destination:30,0",
        "Move count:0", "Move timeout:0", "---===( Action buffer )===---", "Block:40,0", "Buffer state:0",
        "Last order:Patrol", "Defense block:-1,0", "Current command:Other command = 4", "Disabled",
        "Threaded move", "Close action", "Building:0", "Resource:0", "Unit:" + Address(other) + " - Warrior",
        "Target type:Unit", "Timeout:3000000000", "---===( Animation )===---", "Anim type:--Unknown--", "Model:0",
        "Frame:12", "Direction:225", "---===( Target )===---", "Target unit:0", "Target building:0 pos=,",
        "Attacker:0", "Energy:87%", "Starving:12%", "Waypoints:0", "Custom ai data:0",
        "---===( Multiplayer )===---", "Unit refid:12345", "Unique id:77"};
    const std::vector<CUnit::SDebugLine> lines = unit->GetDebugLines();
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(std::tuple(std::string(lines[i].text), lines[i].x, lines[i].y),
                  std::tuple(expected[i], i < 37 ? 270 : 650, 20 * int32_t(i < 37 ? i : i - 37))) << i;
}

TEST_F(UnitPanelDebugOutput, TheUnitLogWritesItsLinesInOrder)
{
    CTestLog log;
    unit->centreX = 7.9f, unit->centreY = 9.5f, unit->currentCommand = 1, unit->waypointCount = 2, unit->WriteLog();
    std::vector<std::string> expected = {"#DEBUG: unit log - START", "This*=" + Address(unit), "PlayerID=0", "Pos=7,9",
                                         "CastID=0", "CastName=Warrior", "Actionbuffer.UnitCommand=1",
                                         "Actionbuffer.unit=0", "Actionbuffer.building=0", "Actionbuffer.resource=0",
                                         "move.waypointnum=2", "#DEBUG: unit log - END"};
    EXPECT_EQ(log.Lines(), expected);

    log.Clear(), unit->targetUnit = other, unit->targetBuilding = &building;
    unit->WriteLog(), expected[7] = "Actionbuffer.unit=" + Address(other) + "  - Warrior";
    expected[8] = "Actionbuffer.building=" + Address(&building) + "  - Barracks";
    expected.insert(expected.end() - 1, {"-- ActionUnit Log --", "-- ActionBuilding Log --", "#DEBUG: building log",
                                         "PlayerID=1", "Pos=12,34",
                                         "CastID=" + std::to_string(building.GetBuildCast())});
    EXPECT_EQ(log.Lines(), expected);
}
