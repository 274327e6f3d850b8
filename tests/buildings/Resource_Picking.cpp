// Picking resource sites and buildings, and the sounds a hit on a site plays.

#include "buildings/C_BuildingGoldMine.h"
#include "buildings/C_BuildingResource.h"
#include "core/C_Config.h"
#include "media/C_ModelRecord.h"
#include "tests/media/FileBytes.h"
#include "tests/buildings/BuildingWorld.h"

namespace
{
// A group box in model units: x and z, height 0 .. 50.
void GiveGroup(int32_t modelNumber, float minX, float maxX, float minZ, float maxZ)
{
    CModelRecord* record = GetGlobalModel(modelNumber);
    C3DObject::SGroup group{};
    group.boxMin[0] = minX;
    group.boxMax[0] = maxX;
    group.boxMin[2] = minZ;
    group.boxMax[2] = maxZ;
    group.boxMax[1] = 50.0f;
    record->object.groups.push_back(group);
    record->object.groupCount = static_cast<int32_t>(record->object.groups.size());
}

class ResourcePicking : public ::testing::Test
{
protected:
    CBuildingWorld m_World;
    SGlobalModels m_Models;
};

TEST_F(ResourcePicking, PointsAndMissilesHitThePartBoxesAtTheBuilding)
{
    // The house's box: its 3 x 2 blocks (z grows toward smaller y).
    GiveGroup(129, 0.0f, 96.0f, -64.0f, 0.0f);
    CBuilding* house = m_World.PlaceFinished(0, CastHouse, 10, 10);
    const float ground = g_GameMap.GetHeight(10.0f, 10.0f);
    EXPECT_EQ(Floats({house->GetHeightAt(11.5f, 11.0f), house->GetHeightAt(13.0f, 12.0f),
                      house->GetHeightAt(13.1f, 11.0f), house->GetHeightAt(11.0f, 9.9f)}),
              Floats({ground, ground, -1.0f, -1.0f}));
    EXPECT_EQ(std::vector<bool>({house->IsPointInside(11.0f, ground + 10.0f, 11.0f),
                                 house->IsPointInside(13.0f, ground + 50.0f, 12.0f),
                                 house->IsPointInside(11.0f, ground + 50.5f, 11.0f),
                                 house->IsPointInside(9.9f, ground + 10.0f, 11.0f)}),
              std::vector<bool>({true, true, false, false}));
    // Across the ground: 320 steps of 10 / 321 blocks; the first within 5
    // model units of the box's near face (x = 10 - 5 / 32).
    const float from[3] = {5.0f, ground + 20.0f, 11.0f};
    const float to[3] = {15.0f, ground + 20.0f, 11.0f};
    float out[3] = {};
    ASSERT_TRUE(house->IntersectSegment(from, to, out));
    EXPECT_GE(out[0], 10.0f - 5.0f / 32.0f);
    EXPECT_LT(out[0], 10.0f - 5.0f / 32.0f + 10.0f / 321.0f);
    // A vertical segment makes one step, at its middle.
    const float high[3] = {11.0f, ground + 100.0f, 11.0f};
    const float low[3] = {11.0f, ground, 11.0f};
    ASSERT_TRUE(house->IntersectSegment(high, low, out));
    EXPECT_FLOAT_EQ(out[1], ground + 50.0f);
    const float above[3] = {11.0f, ground + 300.0f, 11.0f};
    EXPECT_FALSE(house->IntersectSegment(above, high, out));
    // A gold mine's model without groups is never hit.
    CBuildingGoldMine mine;
    mine.x = mine.y = 5;
    EXPECT_EQ(mine.GetHeightAt(6.0f, 6.0f), -1.0f);
}

// Drawn by the software path 100 in front of the camera, a cube of half side 16 shows its near
// face (depth 84) from x (1 - 1.4 x 16 / 84) x 512 = 375.5 to 648.5 and y (1 - 1.6 x 16 / 84) x 384
// = 267.0 to 501.0: the rectangle (375, 266) to (648, 501).  Trees and rocks take a screen point and
// answer the drawing's depth inside it, edges included; the mine is picked by the band alone.
TEST_F(ResourcePicking, SitesArePickedOnTheScreenWhereTheyWereLastDrawn)
{
    g_Config.hardwareTnL = 0;
    const std::vector<uint8_t> cube = BuildModel(CubeLayout(16.0f));
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::copy(identity, identity + 9, g_GameMap.viewMatrix);
    const float eye[3] = {0.0f, 0.0f, 100.0f};
    std::copy(eye, eye + 3, g_GameMap.viewTranslation);
    // Drawn at the block centre, or the mine at its corner.
    const struct { int32_t kind, model; float drawnAt; } sites[] = {
        {ResourceKindRock, 226, 20.5f}, {ResourceKindTree, 210, 20.5f}, {ResourceKindGoldMine, 230, 20.0f}};
    for (const auto& site : sites)
    {
        SCOPED_TRACE(site.kind);
        ASSERT_TRUE(GetGlobalModel(site.model)->object.LoadFromMemory(cube.data(), cube.size(), "cube.okm", 0));
        auto* drawn = static_cast<CResource*>(m_World.Player(0).BuildingFactory(CastResource, site.kind, 1, 0));
        drawn->x = drawn->y = 20;
        drawn->facing = 0.0f;
        g_GameMap.cameraTargetX = g_GameMap.cameraTargetY = site.drawnAt;
        EXPECT_TRUE(drawn->GetHeightAt(512.0f, 384.0f) == -1.0f && !drawn->IsInScreenRect(0, 0, 1023, 767));
        drawn->Render(0.0f);
        EXPECT_EQ(Ints(drawn->screenRect, drawn->screenRect + 4), Ints({375, 266, 648, 501}));
        EXPECT_TRUE(drawn->IsInScreenRect(648, 501, 700, 700) && !drawn->IsInScreenRect(649, 0, 1023, 767));
        if (site.kind == ResourceKindGoldMine)
            EXPECT_EQ(drawn->GetHeightAt(512.0f, 384.0f), -1.0f);
        else
        {
            const struct { float x, y; bool hit; } points[] = {
                {512, 384, true}, {375, 266, true}, {648, 501, true}, {374, 384, false},
                {649, 384, false}, {512, 265, false}, {512, 502, false}};
            for (const auto& p : points)
                EXPECT_EQ(drawn->GetHeightAt(p.x, p.y), p.hit ? 100.0f : -1.0f) << p.x << "," << p.y;
        }
        delete drawn;
    }
    g_GameMap.ResetCamera();
}

TEST_F(ResourcePicking, ScreenRectanglesCountOnlyCornersInside)
{
    CResource rock;
    EXPECT_FALSE(rock.IsInScreenRect(0, 0, 1000, 1000));
    rock.screenRect[0] = rock.screenRect[1] = 100;
    rock.screenRect[2] = 140;
    rock.screenRect[3] = 160;
    const struct { int32_t l, t, r, b; bool hit; } cases[] = {
        {90, 90, 100, 100, true},     // its corner on the band's corner, bounds inclusive
        {120, 120, 300, 300, true},   // the band's first corner inside
        {0, 0, 110, 110, true},       // the band's second corner inside
        {0, 0, 500, 500, true},       // the whole site inside the band
        {110, 0, 130, 500, false},    // a crossing overlap with no corner inside
        {141, 100, 200, 160, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rock.IsInScreenRect(c.l, c.t, c.r, c.b), c.hit) << c.l << " " << c.t << " " << c.r << " " << c.b;
}

TEST_F(ResourcePicking, HitsOnSitesPlayTheirOwnSounds)
{
    // The first sample, -1 for none, and the number of variants.
    const struct { int32_t kind, damageType; bool dead; int32_t first, variants; } cases[] = {
        {ResourceKindGoldMine, 2, false, 169, 4}, {ResourceKindGoldMine, 9, false, 173, 4},
        {ResourceKindGoldMine, 8, false, 179, 1}, {ResourceKindGoldMine, 1, false, -1, 0},
        {ResourceKindTree, 3, false, 133, 2},     {ResourceKindTree, 4, false, 148, 1},
        {ResourceKindTree, 1, true, 149, 1},      {ResourceKindTree, 6, false, -1, 0},
        {ResourceKindRock, 4, false, -1, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.kind << " hit by " << c.damageType);
        CBuilding* site = m_World.Player(0).BuildingFactory(CastResource, c.kind, 1, 0);
        site->x = site->y = 4;
        site->health = c.dead ? 0.0f : 100.0f;
        const size_t before = m_World.Samples().size();
        site->OnHit(static_cast<TENUMDAMAGETYPE>(c.damageType));
        ASSERT_EQ(m_World.Samples().size(), before + (c.first < 0 ? 0 : 2));
        EXPECT_TRUE(c.first < 0 || (m_World.Samples()[before] >= c.first &&
                                    m_World.Samples()[before] < c.first + c.variants));
        delete site;
    }
}
}  // namespace
