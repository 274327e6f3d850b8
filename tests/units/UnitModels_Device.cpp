// Every unit type's model and corpse as the map drawing shows them.  Each model slot holds a cube of
// side 16 standing on the ground 16 ahead of the origin (ahead is -z), textured per colour slot: slot 0
// green, slot 2 white.  Lit from the side its top is grey 0x80 of the texture.  The camera looks down
// from 400 above the unit's centre: a world point (x, height y, z) lands at
// (512 + 716.8 x / (400 - y), 384 - 614.4 z / (400 - y)).

#include <cmath>

#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "tests/media/ModelBytes.h"
#include "tests/units/UnitPanel_Device.h"
#include "units/C_Unit_Quib.h"

namespace
{
constexpr int32_t UnitModelCount = 108;
constexpr uint32_t Lit = 0x808080;
constexpr float Pi = 3.14159265f;

struct SPoint
{
    int32_t x, y;
};

SPoint OnScreen(float x, float y, float z, int32_t facing, float height = 0.0f)
{
    const float c = std::cos(float(facing) * Pi / 180.0f), s = std::sin(float(facing) * Pi / 180.0f);
    const float depth = 400.0f - y - height;
    return {int32_t(std::lround(512.0f + 716.8f * (x * c - z * s) / depth)),
            int32_t(std::lround(384.0f - 614.4f * (x * s + z * c) / depth))};
}

// Red with its green cleared: the wound overlay's tint at the vertex it marks.
bool Reddened(uint32_t pixel)
{
    return int(pixel >> 16 & 0xFF) - int(pixel >> 8 & 0xFF) > 0x40;
}
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
    void TearDown() override
    {
        g_Particles.Reset();
        FreeGlobalModels();
        UnitDrawingTest::TearDown();
    }

    CUnit* Spawn(int32_t type, int32_t facing, int32_t x = 20)
    {
        CUnit* unit = World().Spawn(0, type, x, 20);
        if (unit != nullptr)
        {
            unit->facing = unit->shownFacing = facing;
            LookDownAt(unit->centreX, unit->centreY);
        }
        return unit;
    }
};

// Turned to its facing: the cube shows ahead of the centre and nothing behind it, at the unit's pick
// rectangle; its top takes the owner's colour slot (2, white), not its index (0, green).  At 30 % health
// the wound overlay reddens the top's marked corner.  The corpse lies whole, then its remains fade out
// over the last third of its time (the body of a ship or an undead is gone by then), then nothing.
TEST_F(UnitModels, EveryTypeDrawsItsModelAndItsCorpseAsItsPartSays)
{
    enum ECorpse { NoCorpse, BodyOnly, ToTheEnd };
    const struct { int32_t type, facing; bool wounds; ECorpse corpse; float height; } rows[] = {
        {UNIT_WORKER, 0, true, ToTheEnd, 0},          {UNIT_WARRIOR, 90, true, ToTheEnd, 0},
        {UNIT_ARCHER, 180, true, ToTheEnd, 0},        {UNIT_CATAPULT, 270, false, ToTheEnd, 0},
        {UNIT_PRIEST, 45, true, ToTheEnd, 0},         {UNIT_LIGHTCAVALRY, 135, true, ToTheEnd, 0},
        {UNIT_TRANSPORTSHIP, 225, false, BodyOnly, -10}, {UNIT_CROSSBOWMAN, 315, true, ToTheEnd, 0},
        {UNIT_KNIGHT, 0, false, ToTheEnd, 0},         {UNIT_WARGALLEY, 90, false, BodyOnly, -10},
        {UNIT_DEMOLISHMAN, 180, true, NoCorpse, 0},   {UNIT_HEAVYCAVALRY, 270, true, ToTheEnd, 0},
        {UNIT_GIANT, 0, true, ToTheEnd, 0},           {UNIT_DEMON, 90, true, NoCorpse, 0},
        {UNIT_UNDEAD, 180, false, BodyOnly, 0},       {UNIT_QUIB, 270, true, NoCorpse, 0},
        {UNIT_WARHOUND, 0, true, NoCorpse, 0},        {UNIT_GUNSLINGER, 90, true, NoCorpse, 0},
        {UNIT_KING, 180, true, ToTheEnd, 0},          {UNIT_SETTLER, 270, false, ToTheEnd, 0},
        {UNIT_HEROCAVALRY, 45, true, ToTheEnd, 0}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "type " << row.type);
        CUnit* unit = Spawn(row.type, row.facing);
        ASSERT_NE(unit, nullptr);
        const SPoint top = OnScreen(0, 16, -16, row.facing, row.height);
        const SPoint behind = OnScreen(0, 16, 16, row.facing, row.height);
        const SPoint marked = OnScreen(-6.8f, 16, -22.8f, row.facing, row.height);
        const auto draw = [&](float health) {
            unit->health = health;
            Clear();
            unit->Render();
            ReadBack();
        };
        for (const uint8_t hardware : {1, 0})
        {
            SCOPED_TRACE(hardware != 0 ? "hardware" : "software");
            g_Config.hardwareTnL = hardware;
            draw(100.0f);
            EXPECT_TRUE(Close(Pixel(top.x, top.y), Lit, 6)) << std::hex << Pixel(top.x, top.y);
            EXPECT_EQ(Pixel(behind.x, behind.y), Background);
            EXPECT_GE(unit->HitTestScreenPoint(top.x, top.y), 0.0f);
            EXPECT_FLOAT_EQ(unit->HitTestScreenPoint(behind.x, behind.y), -1.0f);
            EXPECT_TRUE(unit->IsInScreenRect(top.x - 1, top.y - 1, top.x + 1, top.y + 1));
            EXPECT_FALSE(Reddened(Pixel(marked.x, marked.y)));
            draw(30.0f);
            EXPECT_EQ(Reddened(Pixel(marked.x, marked.y)), row.wounds) << std::hex << Pixel(marked.x, marked.y);
        }
        unit->RemoveFromWorld(true);
        for (int32_t frame = 0; frame < 100 && !g_Particles.HoldsCorpse(unit); ++frame)
            World().Frame(1);
        ASSERT_TRUE(g_Particles.HoldsCorpse(unit));
        const auto corpseAt = [&](int32_t ticksLeft) {
            if (g_Particles.GetCorpseCount() != 0)
                World().Frame(g_Particles.GetCorpseTicksLeft(unit) - ticksLeft);
            Clear();
            g_Particles.RenderCorpses();
            ReadBack();
            return Pixel(top.x, top.y);
        };
        const uint32_t whole = corpseAt(g_Particles.GetCorpseTicksLeft(unit));
        EXPECT_EQ(whole != Background, row.corpse != NoCorpse) << std::hex << whole;
        const uint32_t fading = corpseAt(CParticles::CorpseTicks / 6);
        EXPECT_EQ(fading != Background && !Close(fading, whole, 8), row.corpse == ToTheEnd) << std::hex << fading;
        EXPECT_TRUE(corpseAt(0) == Background && g_Particles.GetCorpseCount() == 0);
    }
}

// The ground rises 32 a block eastward from x = 18 (45 degrees).  A catapult facing east at centre (21, 21)
// stands at the mean of its wheels, 95.5, leaning 45 degrees west: its cube (x 8 to 24 ahead, 0 to 16 up)
// turns to span x -5.7 to 17.0, seen from 287 to 305 below the eye, so x -3 at height 20 is on it
// (screen x 504) and x 22 at height 2, where an upright cube would be, is not (screen x 564).  The Quib's
// bubble 3 stands 130 above its model's rectangle (x 497 to 526 from y 396; on flat ground), from its
// middle.
TEST_F(UnitModels, ACatapultOnASlopeLeansWithItAndTheQuibsBubbleStandsOverItsModel)
{
    for (int32_t cx = 18; cx <= g_GameMap.GetWidth(); ++cx)
        for (int32_t cy = 0; cy <= g_GameMap.GetHeight(); ++cy)
            g_GameMap.CornerHeight(cx, cy) = 32 * (cx - 18);
    CUnit* catapult = Spawn(UNIT_CATAPULT, 90);
    ASSERT_NE(catapult, nullptr);
    Clear();
    catapult->Render();
    ReadBack();
    EXPECT_TRUE(Pixel(504, 384) != Background && Pixel(564, 384) == Background);

    MakeImage(23, 8, Red);
    auto* quib = static_cast<CUnitQuib*>(Spawn(UNIT_QUIB, 0, 10));
    ASSERT_NE(quib, nullptr);
    quib->bubbleTicks = 1;
    quib->bubble = 3;
    Clear();
    quib->Render();
    ReadBack();
    EXPECT_TRUE(Pixel(512, 267) == Red && Pixel(518, 273) == Red);
    EXPECT_TRUE(Pixel(510, 267) == Background && Pixel(512, 265) == Background && Pixel(512, 275) == Background);
}
