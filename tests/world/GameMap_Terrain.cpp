#include <bit>
#include <cstring>
#include <deque>
#include <new>
#include <set>
#include <tuple>

#include "WorldDevice.h"
#include "core/C_PtrGarbage.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/PathTestObjects.h"
#include "tests/support/RecordBytes.h"
#include "world/C_ObjectReferences.h"
#include "world/C_RangeTable.h"

namespace
{
int g_Deleted = 0;

class CountedUnit : public CUnit
{
public:
    ~CountedUnit() override { ++g_Deleted; }
};

class CountedBuilding : public PathTestBuilding
{
public:
    CountedBuilding() : PathTestBuilding(1, 3, 3, -1) {}
    ~CountedBuilding() override { g_Deleted += 100; }
};

class GameMapLife : public WorldDeviceTest
{
protected:
    void SetUp() override { WorldDeviceTest::SetUp(); MakeThemeFile("continental"); }

    // The lines appear in this order, others between them.
    void ExpectInOrder(const std::vector<std::string>& expected) const
    {
        const std::vector<std::string> lines = Log().Lines();
        auto at = lines.begin();
        for (const std::string& line : expected)
        {
            at = std::find(at, lines.end(), line);
            ASSERT_NE(at, lines.end()) << line;
        }
    }
};

constexpr int32_t Grey220 = 0xDCDCDC;
using SAt = std::tuple<int32_t, int32_t, int32_t>;   // x, y and the value wanted there

void SetCorners(int x0, int y0, int x1, int y1, int32_t height)
{
    for (int x = x0; x <= x1; ++x) for (int y = y0; y <= y1; ++y) g_GameMap.CornerHeight(x, y) = height;
}

class GameMapTerrain : public GameMapLife
{
protected:
    void SetUp() override
    {
        GameMapLife::SetUp();
        ASSERT_TRUE(g_GameMap.NewMap(64, 64, 0, 0));
        // The new map's players have explored nothing; let the local one see everything unless a test says otherwise.
        std::memset(g_Players[0].exploredMap, 255, sizeof(g_Players[0].exploredMap));
    }

    static const SMapBlock& At(int x, int y) { return g_GameMap.Block(x, y); }

    static void Expect(const char* what, int32_t (*get)(int32_t, int32_t), std::initializer_list<SAt> cases)
    {
        for (const auto& [x, y, value] : cases) EXPECT_EQ(get(x, y), value) << what << " at " << x << "," << y;
    }
    static int32_t Colour(int32_t x, int32_t y) { return g_GameMap.cornerColours[x * 257 + y]; }
    static int32_t Blocked(int32_t x, int32_t y) { return At(x, y).blocked; }
    static int32_t Shore(int32_t x, int32_t y) { return At(x, y).shoreDirection; }
    static int32_t Region(int32_t x, int32_t y) { return At(x, y).regionId; }
    static int32_t Water(int32_t x, int32_t y) { return At(x, y).waterLevel; }
};

// The test's one unit and one building have the id 0.
class TestReferences : public CObjectReferences
{
public:
    void RegisterBuilding(CBuilding* b) override { registered.push_back(b); }
    int32_t GetUnitRef(const CUnit* u) const override { return u && u == unit ? 0 : NoObject; }
    int32_t GetBuildingRef(const CBuilding* b) const override { return b && b == building ? 0 : NoObject; }
    CUnit* GetUnit(int32_t id) const override { return id == 0 ? unit : nullptr; }
    CBuilding* GetBuilding(int32_t id) const override { return id == 0 ? building : nullptr; }

    CUnit* unit = nullptr;
    CBuilding* building = nullptr;
    std::vector<CBuilding*> registered;
};

// Sizes of the section of a 64 x 64 map whose setups are named "Player 1" to "Player 8": 12 + 96, 65 corner columns
// of 65 x 9 bytes, 64 columns of weather and tilt bytes, 22 bytes a block, the weather type, 8 x (8 + 336).
constexpr size_t HeaderBytes = 12, CameraBytes = 96, CornerBytes = 65 * (65 * 4 * 2 + 65) + 64 * 64 * 2;
constexpr size_t BlockStart = HeaderBytes + CameraBytes + CornerBytes, BlockBytes = 64 * 64 * 22;
constexpr size_t SetupStart = BlockStart + BlockBytes + 4, SectionBytes = SetupStart + 8 * (8 + 336);

class GameMapSave : public WorldDeviceTest
{
protected:
    void SetUp() override
    {
        WorldDeviceTest::SetUp();
        MakeThemeFile("continental");
        ASSERT_TRUE(g_GameMap.NewMap(64, 64, 1, 0));
        // A little of everything the section holds.
        SetCorners(10, 10, 14, 14, -30);
        g_GameMap.CornerHeight(40, 40) = 77, g_GameMap.cornerTextures[3 * 257 + 4] = 2;
        g_GameMap.weatherMap[5 * 256 + 6] = 9, g_GameMap.aiTiltMap[7 * 256 + 8] = 3;
        g_GameMap.weatherType = WEATHER_SNOW;
        g_GameMap.Block(20, 20).impassable = 1, g_GameMap.Block(21, 20).decorationModel = StartPointMarker;
        g_GameMap.cameraTargetX = 12.5f, g_GameMap.viewMatrix[4] = 0.75f;
        g_GameMap.waterOffsets[0] = 0.125f, g_GameMap.waterAccumulator = 42;
        g_GameMap.playerSettings[2].initialGold = 1234, g_GameMap.playerSettings[2].technologyStates[60] = 2;
        g_GameMap.playerSettings[7].unitEnabled[35] = 0, g_GameMap.playerSettings[7].startViewY = 33;
        g_GameMap.UpdateArea(0, 0, -1, -1), g_GameMap.AssignRegionIds();

        m_References.unit = g_GameMap.Block(30, 31).unit = &m_Unit, m_References.building = &m_Building;
        for (int x = 40; x < 42; ++x) for (int y = 2; y < 4; ++y) g_GameMap.Block(x, y).building = &m_Building;
    }

    void TearDown() override { FreeMap(); WorldDeviceTest::TearDown(); }
    // The objects belong to the test, not to the map.
    static void FreeMap()
    {
        for (SMapBlock& block : g_GameMap.AllBlocks()) block.unit = nullptr, block.building = nullptr;
        g_GameMap.Free();
    }

    std::string Save() const
    {
        CMemorySaveStream stream;
        g_GameMap.SaveGame(stream, m_References);
        return stream.Bytes();
    }

    TestReferences m_References;
    CUnit m_Unit;
    PathTestBuilding m_Building{1, 2, 2, -1};
};

} // namespace

// The objects no player lists (resource sites and decorations): where one leaves, the last takes its place
// and the rest keep theirs; anything else, and a second add or removal, changes nothing.  Collected from
// the blocks, x outer and y inner, each once.
TEST(GameMapObjects, LeavingAtTheFrontTheMiddleOrTheEndMovesOnlyTheLastIntoTheGap)
{
    std::unique_ptr<CGameMap> map = MakePathTestMap(8, 8);
    std::deque<PathTestBuilding> objects;
    for (int32_t i = 0; i < 6; ++i) objects.emplace_back(i % 2 == 0 ? 10 : 18, 1, 1, -1);
    PathTestBuilding house(5, 1, 1, 0);
    const auto listed = [&] {
        std::vector<int32_t> at;
        for (CBuilding* object : map->MapObjects())
            for (size_t i = 0; i < objects.size(); ++i)
                if (object == &objects[i]) at.push_back(int32_t(i));
        return at;
    };
    for (PathTestBuilding& object : objects) map->AddMapObject(&object);
    for (PathTestBuilding* again : std::initializer_list<PathTestBuilding*>{&objects[2], &house, nullptr})
        map->AddMapObject(again);
    EXPECT_EQ(listed(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    const std::pair<int32_t, std::vector<int32_t>> removals[] = {
        {0, {5, 1, 2, 3, 4}}, {2, {5, 1, 4, 3}}, {3, {5, 1, 4}}, {3, {5, 1, 4}}, {5, {4, 1}}, {1, {4}}, {4, {}}};
    for (const auto& [removed, left] : removals)
    {
        map->RemoveMapObject(&objects[size_t(removed)]), map->RemoveMapObject(&house);
        EXPECT_EQ(listed(), left) << removed;
    }
    map->AddMapObject(&objects[3]), map->AddMapObject(&objects[0]);
    EXPECT_EQ(listed(), (std::vector<int32_t>{3, 0}));

    for (const auto& [index, x, y] : {SAt{4, 0, 6}, SAt{4, 0, 7}, SAt{3, 0, 3}, SAt{1, 2, 0}, SAt{0, 7, 7}})
        map->Block(x, y).building = &objects[size_t(index)];
    map->Block(1, 1).building = &house;
    map->CollectMapObjects();
    EXPECT_EQ(listed(), (std::vector<int32_t>{3, 4, 1, 0}));
    map->RemoveMapObject(&objects[4]);
    EXPECT_EQ(listed(), (std::vector<int32_t>{3, 0, 1}));
    map->ForgetMapObjects();
    EXPECT_TRUE(listed().empty());
}

// The setups' defaults are checked line by line by the export test.
TEST_F(GameMapLife, NewMapMakesAlliedPlayersAndIsPaintedWithTheGroundTextureAndFlatAndARefusedOneLeavesTheMap)
{
    ASSERT_TRUE(g_GameMap.NewMap(64, 48, 2, 0) && g_GameMap.theme == 0);
    for (int i = 0; i < MaxPlayers; ++i)
    {
        const CPlayer& p = g_Players[i];
        EXPECT_EQ(std::tuple(p.index, p.type, p.colourScheme, std::string(p.name), std::ranges::count(p.allied, 1)),
                  std::tuple(i, 1, i, "Player " + std::to_string(i + 1), MaxPlayers)) << i;
    }
    ExpectInOrder({"New map", "Loading theme file:Terrain\\Themes\\continental.theme", "Initializing players"});

    for (int x = 0; x <= 64; ++x)
        for (int y = 0; y <= 48; ++y)
            ASSERT_EQ(std::pair(g_GameMap.cornerTextures[x * 257 + y], g_GameMap.cornerColours[x * 257 + y]),
                      std::pair(uint8_t(2), 0xDCDCDC));
    std::set<int32_t> randomValues;
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 48; ++y)
        {
            const SMapBlock& block = g_GameMap.Block(x, y);
            ASSERT_EQ(std::tuple(block.mixPasses[0].texture, block.mixPasses[0].pattern, block.mixPasses[1].texture),
                      std::tuple(2, 255, 255));
            ASSERT_TRUE(block.decorationModel == NoDecoration && (block.blocked + block.waterLevel) == 0 &&
                        block.shoreDirection == NoShore);
            ASSERT_LE(uint32_t(block.randomValue), 1023u);
            randomValues.insert(block.randomValue);
        }
    EXPECT_TRUE(randomValues.size() > 100u && g_GameMap.weatherType == WEATHER_NONE) << randomValues.size();
    ASSERT_NE(g_GameMap.minimap, nullptr);
    EXPECT_EQ((std::vector<uint32_t>{uint32_t(g_GameMap.minimap->width), uint32_t(g_GameMap.minimap->height),
                                     g_GameMap.minimap->format, g_GameMap.minimapOverlay->format,
                                     g_GameMap.minimap->singleLevel, g_GameMap.minimapOverlay->singleLevel}),
              (std::vector<uint32_t>{64, 48, CTexture::FormatR5G6B5, CTexture::FormatA1R5G5B5, 1, 1}));   // no mip levels

    // A refused new map leaves the present one.
    ASSERT_TRUE(g_GameMap.NewMap(64, 64, 1, 0));
    g_GameMap.CornerHeight(3, 3) = 17;
    EXPECT_FALSE(g_GameMap.NewMap(32, 32, 0, 2));   // no swamp theme file
    EXPECT_TRUE(Log().Contains("Theme file rejected: Terrain\\Themes\\swamp.theme (file not found)") &&
                !g_GameMap.NewMap(31, 64, 0, 0) && !g_GameMap.NewMap(64, 257, 0, 0));
    EXPECT_TRUE(!g_GameMap.NewMap(64, 64, 0, 4) &&
                Log().Contains("New map refused: the size must be 32 to 256 blocks each way"));
    EXPECT_EQ((std::vector<int32_t>{g_GameMap.width, g_GameMap.theme, g_GameMap.CornerHeight(3, 3),
                                    g_GameMap.themeTextures.GetTextureCount(), g_GameMap.minimap != nullptr}),
              (std::vector<int32_t>{64, 0, 17, 4, 1}));
}

TEST_F(GameMapLife, FreeReleasesEveryObjectOnceAndThenTheTextures)
{
    // A map made in used memory starts as a new one: empty, of no theme, not the editor's, its grids clear.
    alignas(CGameMap) static unsigned char used[sizeof(CGameMap)];
    CGameMap* made = new (static_cast<void*>(std::memset(used, 1, sizeof used))) CGameMap;
    EXPECT_TRUE(made->width == 0 && made->height == 0 && made->theme == NoTheme && made->editor == 0 &&
                made->unitUnderCursor == nullptr && made->hoveredBlockX == -1 && made->startPointCount == 0 &&
                made->CornerHeight(9, 9) == 0 && made->Block(9, 9).unit == nullptr &&
                made->Block(9, 9).decorationModel == NoDecoration && made->dragRect[2] == 0 && made->dragRect[3] == 0 &&
                made->visibleBlockCount == 0);
    made->~CGameMap();
    // A map never loaded only drops its minimap, or either half of it; without one, nothing is said.
    g_GameMap.width = g_GameMap.height = 32;
    for (const int half : {0, 1})
    {
        Log().Clear(), g_GameMap.CreateMinimap(), (half == 0 ? g_GameMap.minimap : g_GameMap.minimapOverlay).reset();
        g_GameMap.Free();
        EXPECT_TRUE(g_GameMap.theme == NoTheme && g_GameMap.minimap == nullptr && Log().Contains("-Free Minimap") &&
                    !Log().Contains("Releasing map data")) << half;
    }
    Log().Clear(), g_GameMap.Free();
    EXPECT_FALSE(Log().Contains("-Free Minimap"));

    ASSERT_TRUE(g_GameMap.NewMap(64, 64, 0, 0));
    auto* bigUnit = new CountedUnit;
    for (int i = 0; i < 4; ++i) g_GameMap.Block(10 + i % 2, 10 + i / 2).unit = bigUnit;
    g_GameMap.Block(30, 2).unit = new CountedUnit;
    auto* house = new CountedBuilding;
    for (int i = 0; i < 9; ++i) g_GameMap.Block(20 + i % 3, 5 + i / 3).building = house;
    g_Deleted = 0, g_GameMap.Free();
    EXPECT_TRUE(g_Deleted == 102 && g_PtrGarbage.GetCount() == 0);   // two units and one building
    for (const SMapBlock& block : g_GameMap.AllBlocks())
        ASSERT_TRUE(block.unit == nullptr && block.building == nullptr);
    EXPECT_TRUE(g_GameMap.theme == NoTheme && !g_GameMap.themeTextures.IsLoaded());
    ExpectInOrder({"-Free Minimap", "Releasing map data", "-Terrain units", "-Terrain buildings",
                   "-Terrain textures", "-Players", "Map freed"});
    // Neither unit is in a player's list.
    EXPECT_EQ(Log().Count("#DEBUG: Freeing a unit that has no owner"), 2);
    g_GameMap.Block(3, 3).building = new CountedBuilding, g_Deleted = 0, g_GameMap.Free();   // a building alone goes too
    EXPECT_TRUE(g_Deleted == 100 && g_PtrGarbage.GetCount() == 0);
}

TEST_F(GameMapTerrain, LakeHasWaterShoresLightAndHeights)
{
    // Corners 20..26 sink to -30: blocks 19..26 each way touch the lake.
    SetCorners(20, 20, 26, 26, -30);
    g_GameMap.UpdateArea(0, 0, 64, 64);
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 64; ++y)
        {
            const bool lake = x >= 19 && x <= 26 && y >= 19 && y <= 26;
            const bool shore = lake && (x == 19 || x == 26 || y == 19 || y == 26);
            ASSERT_EQ(std::tuple(At(x, y).waterLevel, At(x, y).shoreDirection != NoShore, At(x, y).blocked),
                      std::tuple(lake ? 10 : 0, shore, 0)) << x << "," << y;
        }
    // Toward the land: west 90, north 0, east 270, south 180, between west and north 45.
    Expect("shore", Shore, {{19, 22, 90}, {22, 19, 0}, {26, 23, 270}, {23, 26, 180}, {19, 19, 45}, {20, 19, 45},
                            {26, 19, 315}, {26, 26, 225}, {19, 26, 135}});
    // West bank: A = 60, B = 0: 160.  North bank: B = 60: 2.5 x 60 + 220 clamped to 255.  South bank:
    // B = -60: 70 clamped to 150.  Lake bed and land: 220; -30 is too shallow for the deep tint.
    Expect("colour", Colour, {{20, 22, 0xA0A0A0}, {19, 22, 0xA0A0A0}, {22, 20, 0xFFFFFF}, {22, 26, 0x969696},
                   {23, 23, Grey220}, {5, 5, Grey220}});
    // Corner (20, 20) is the only low one of block (19, 19).
    EXPECT_EQ(std::pair(At(19, 19).triangleSplit, At(22, 22).triangleSplit), std::pair(uint8_t(1), uint8_t(0)));
    EXPECT_EQ(std::vector<float>({g_GameMap.GetHeightRaw(22.5f, 22.5f), g_GameMap.GetHeight(22.5f, 22.5f),
                                  g_GameMap.GetHeightRaw(19.5f, 22.0f)}), std::vector<float>({-30.0f, 0.0f, -15.0f}));
    g_GameMap.AssignRegionIds();
    Expect("region", Region, {{0, 0, 0}, {63, 63, 0}, {19, 19, 1}, {26, 26, 1}});

    // The whole-map update also smooths the shore directions: near the
    // corner the north bank turns toward the west bank's 90.
    EXPECT_EQ(At(21, 19).shoreDirection, 0);
    g_GameMap.UpdateArea(0, 0, -1, -1);
    EXPECT_TRUE(At(21, 19).shoreDirection > 0 && At(21, 19).shoreDirection < 45 && At(19, 19).shoreDirection == 45)
        << At(21, 19).shoreDirection;
    // The same lake far out on the largest map is smoothed alike.
    const std::pair nearCorner(Shore(21, 19), Shore(19, 19));
    ASSERT_TRUE(g_GameMap.NewMap(256, 256, 0, 0));
    SetCorners(240, 240, 246, 246, -30), g_GameMap.UpdateArea(0, 0, -1, -1);
    EXPECT_EQ(std::pair(Shore(241, 239), Shore(239, 239)), nearCorner);
}

TEST_F(GameMapTerrain, IslandAndLoneBlockGetTheirOwnRegionsAndSteepShores)
{
    SetCorners(0, 0, 64, 64, -30);
    SetCorners(30, 30, 34, 34, 10);   // blocks 30..33 are land
    SetCorners(10, 10, 11, 11, 10);   // block (10, 10) alone is land
    g_GameMap.UpdateArea(0, 0, -1, -1);
    Expect("water", Water, {{31, 31, 0}, {29, 31, 10}, {10, 10, 0}, {11, 10, 10}});
    g_GameMap.Block(0, 0).waterLevel = g_GameMap.Block(33, 33).waterLevel = 7, g_GameMap.Block(0, 0).regionId = 7;
    g_GameMap.AssignRegionIds();
    // The lone block is numbered, not left at 0xFFFF; a number left from before is replaced; level 7 is water.
    Expect("region", Region, {{0, 0, 0}, {50, 50, 0}, {29, 29, 0}, {10, 10, 1}, {30, 30, 2}, {33, 32, 2}, {33, 33, 0}});
    // The island's shore: corners 10 and -30 differ by 40.
    Expect("blocked", Blocked, {{29, 31, 1}, {31, 31, 0}, {0, 0, 0}});
}

TEST_F(GameMapTerrain, WaterLevelIsTheLowestCornerThirdAndDeepWaterDarkens)
{
    SetCorners(5, 5, 6, 6, -30);
    g_GameMap.CornerHeight(6, 6) = -60, g_GameMap.CornerHeight(40, 40) = -2;
    SetCorners(8, 8, 12, 12, -50);
    SetCorners(20, 20, 24, 24, -23);
    SetCorners(30, 30, 34, 34, -21);
    SetCorners(44, 44, 48, 48, -20);   // level 6, the shallowest water with shores
    SetCorners(52, 52, 56, 56, -44);
    g_GameMap.UpdateArea(0, 0, 64, 64);
    EXPECT_TRUE(At(5, 5).waterLevel == 20 && At(39, 39).waterLevel == 0);   // -2 / 3 is 0
    EXPECT_TRUE(At(43, 45).waterLevel == 6 && Shore(43, 45) != NoShore && Shore(45, 45) == NoShore);
    // -50: k = 10, factor 1024 / 10 = 102 of 255: 220 x 102 / 255 = 88.
    // -44: k = 8, 128 of 255: 110.  k = 1: factor 1024 limited to 255; k = 0: no tint.
    Expect("colour", Colour, {{10, 10, 0x585858}, {54, 54, 0x6E6E6E}, {22, 22, Grey220}, {32, 32, Grey220}});

    // Each call moves the offsets one step, whatever the number of ticks.
    g_GameMap.waterOffsets[0] = 0.0f, g_GameMap.waterOffsets[1] = 0.999f;
    const int32_t before = g_GameMap.waterAccumulator;
    g_GameMap.AnimateWater(3);
    EXPECT_EQ(g_GameMap.waterAccumulator, before + 3);
    EXPECT_NEAR(g_GameMap.waterOffsets[0], 0.0025f, 1e-6f);
    EXPECT_NEAR(g_GameMap.waterOffsets[1], 0.0015f, 1e-6f);
}

TEST_F(GameMapTerrain, PassabilityFollowsSlopeWaterObjectsAndTheMark)
{
    // A cliff up to 100 east of corner column 45.
    SetCorners(45, 0, 64, 64, 100);
    // A deep steep hole wholly under water, and a steep one reaching land.
    SetCorners(10, 10, 11, 11, -10);
    g_GameMap.CornerHeight(10, 10) = g_GameMap.CornerHeight(20, 20) = -60;
    g_GameMap.CornerHeight(21, 21) = 5;   // block (20, 20): -60, 0, 0, 5
    CUnit unit;
    CountedBuilding building;
    g_GameMap.Block(44, 5).unit = &unit;
    g_GameMap.Block(50, 5).building = &building, g_GameMap.Block(50, 5).blocked = 1;
    g_GameMap.Block(3, 3).impassable = 1;
    g_GameMap.UpdateArea(0, 0, 64, 64);
    // Steep land; steep but a unit stands there; the flat top; flat but a building; steep, deep and all corners
    // below 1; steep and deep with one corner above the water; steep and deep with corners -60 and 0; marked.
    Expect("blocked", Blocked, {{44, 4, 1}, {44, 5, 0}, {46, 5, 0}, {50, 5, 1}, {10, 10, 0}, {20, 20, 1}, {19, 19, 0},
                   {3, 3, 1}, {4, 4, 0}});
    EXPECT_EQ(At(20, 20).waterLevel, 20);
    // A rock shades the corner east of it, a house does not.
    EXPECT_EQ(Colour(51, 5), Grey220);
    building.resourceKind = 3, g_GameMap.UpdateArea(0, 0, 64, 64);
    EXPECT_EQ(Colour(51, 5), 0x606060);
    // An area wholly outside the map, or empty, changes nothing.
    g_GameMap.Block(3, 3).impassable = 0;
    g_GameMap.UpdateArea(70, 0, 5, 5), g_GameMap.UpdateArea(0, 0, 0, 10);
    EXPECT_EQ(At(3, 3).blocked, 1);
    g_GameMap.Block(44, 5).unit = nullptr, g_GameMap.Block(50, 5).building = nullptr;
}

TEST_F(GameMapTerrain, AreaTestsKnowLandWaterAndOccupiedBlocks)
{
    SetCorners(40, 0, 64, 64, -30);   // water from block 40 on (39 is the shore)
    g_GameMap.UpdateArea(0, 0, -1, -1);
    CUnit unit;
    g_GameMap.Block(5, 5).unit = &unit;
    const auto freeArea = [](int32_t x, int32_t y, int32_t radius, int32_t kind)
    { return g_GameMap.IsAreaFree(x, y, radius, kind); };
    // The unit; off the map; water against land.
    for (const auto& [x, y, radius, kind, free] :
         {std::tuple{0, 0, 4, AreaKindLand, true}, {3, 3, 4, AreaKindLand, false}, {-1, 0, 1, AreaKindLand, false},
          {-1, 0, 0, AreaKindLand, false}, {3, 3, 0, AreaKindLand, true}, {62, 62, 4, 0, false},
          {45, 10, 3, AreaKindWater, true}, {45, 10, 3, AreaKindLand, false}, {10, 10, 3, AreaKindWater, false},
          {45, 10, 3, 0, true}})
        EXPECT_EQ(freeArea(x, y, radius, kind), free) << x << "," << y << " radius " << radius << " kind " << kind;
    g_GameMap.Block(46, 11).impassable = 1;
    EXPECT_FALSE(freeArea(45, 10, 3, AreaKindWater));

    CRangeTable disc, near;
    disc.InitRing(0, 128, 0), near.InitRing(0, 3, 0);
    for (const auto& [side, kind, cells, free] :
         {std::tuple{2, AreaKindLand, &disc, true}, {2, AreaKindWater, &disc, true}, {30, AreaKindWater, &disc, false},
          {20, AreaKindWater, &disc, true}, {2, AreaKindWater, &near, false}})
        EXPECT_EQ(g_GameMap.HasFreeAreaNear(5, 5, side, side, kind, *cells), free) << side << " kind " << kind;
    g_GameMap.Block(5, 5).unit = nullptr;
}

TEST_F(GameMapSave, SectionIsLaidOutFieldByFieldRoundTripsAndShortOrBadSectionsLeaveTheMap)
{
    const std::string saved = Save();
    ASSERT_EQ(saved.size(), SectionBytes);
    EXPECT_EQ(std::bit_cast<float>(CRecordBytes::I32At(saved, 12)), 12.5f);   // the camera's target x
    // Corner column 10's height of corner (10, 10) lies 10 columns of 585 + 128 bytes after column 0.  A
    // block: water level, shore, blocked, mark, random, unit, building.  A setup: name length with its
    // zero, the name, type 1 and player 3's gold.
    const size_t unitBlock = BlockStart + size_t(30 * 64 + 31) * 22;
    const size_t markedBlock = BlockStart + size_t(20 * 64 + 20) * 22;
    const std::pair<size_t, int32_t> fields[] = {
        {0, 0}, {4, 64}, {8, 64}, {12 + 28 + 8 + 48, 42}, {108 + 10 * (585 + 128) + 10 * 4, -30},
        {BlockStart + 6, g_GameMap.Block(0, 0).randomValue}, {BlockStart + 10, -1}, {BlockStart + 14, -1},
        {unitBlock + 10, 0}, {SetupStart - 4, WEATHER_SNOW}, {SetupStart, 9}, {SetupStart + 13, 1},
        {SetupStart + 344 * 2 + 13 + 5 * 4, 1234}};
    for (const auto& [at, value] : fields) EXPECT_EQ(CRecordBytes::I32At(saved, at), value) << "at byte " << at;
    // Blocked and marked impassable.
    EXPECT_TRUE(saved[markedBlock + 4] == 1 && saved[markedBlock + 5] == 1 &&
                saved.substr(SetupStart + 4, 9) == std::string("Player 1", 9));
    // Spoil the map, then load the section back.
    g_GameMap.CornerHeight(40, 40) = 0, g_GameMap.weatherType = WEATHER_NONE;
    g_GameMap.playerSettings[0].name = "Someone";
    CMapPlayerSettings& spoilt = g_GameMap.playerSettings[2];
    spoilt.playerType = spoilt.colourScheme = spoilt.team = spoilt.initialWood = spoilt.initialStone = 5;
    spoilt.initialGold = spoilt.startViewX = spoilt.startViewY = spoilt.technologyStates[3] = spoilt.unitEnabled[4] = 5;
    spoilt.buildingEnabled[6] = 5;
    g_GameMap.Block(30, 31).unit = nullptr, g_GameMap.Block(50, 50).regionId = 99;

    CMemorySaveStream stream(saved);
    ASSERT_TRUE(g_GameMap.LoadGame(stream, m_References) && !stream.HasError() && stream.Position() == saved.size() &&
                g_GameMap.Block(30, 31).unit == &m_Unit && g_GameMap.Block(41, 3).building == &m_Building &&
                std::string(g_GameMap.playerSettings[0].name) == "Player 1" && Save() == saved);
    // A building of four blocks is registered once.
    g_GameMap.RegisterReferences(m_References);
    EXPECT_EQ(m_References.registered, std::vector<CBuilding*>{&m_Building});
    // The same theme is not read again; into a freed map it is, and the terrain is rebuilt.
    EXPECT_EQ(Log().Count("Loading theme file:Terrain\\Themes\\continental.theme"), 1);
    const uint8_t split = g_GameMap.Block(9, 9).triangleSplit;
    FreeMap();
    CMemorySaveStream again(saved);
    ASSERT_TRUE(g_GameMap.LoadGame(again, m_References));
    EXPECT_EQ((std::vector<int32_t>{g_GameMap.themeTextures.GetTextureCount(), g_GameMap.Block(9, 9).triangleSplit,
                                    g_GameMap.Block(12, 12).waterLevel, g_GameMap.Block(3, 4).mixPasses[0].texture,
                                    g_GameMap.minimap != nullptr}), (std::vector<int32_t>{4, split, 10, 2, 1}));
    EXPECT_EQ(Save(), saved);
    // What is wrong, the field patched (or the length of a short section), its value and the reason logged.
    const size_t lastSetupName = SetupStart + 7 * 344;
    const char* const shortSection = "section too short";
    std::vector<std::tuple<const char*, size_t, int32_t, const char*>> cases = {
        {"theme 4", 0, 4, "bad theme or size"}, {"width 300", 4, 300, "bad theme or size"},
        {"height 31", 8, 31, "bad theme or size"}, {"weather type 3", SetupStart - 4, 3, "bad weather type"},
        {"unknown unit id", BlockStart + 10, 5, "unknown object reference"},
        {"unknown building id", BlockStart + 14, -7, "unknown object reference"},
        {"name of 241 bytes", lastSetupName, 241, "bad player name"},
        {"name of 0 bytes", SetupStart, 0, "bad player name"},
        {"name without its zero", SetupStart, 8, "bad player name"},
    };
    for (size_t cut : {size_t(0), size_t(5), size_t(100), BlockStart + 7, saved.size() / 2, SetupStart + 2,
                       saved.size() - 1}) cases.emplace_back("cut", cut, 0, shortSection);
    for (const auto& [what, at, value, reason] : cases)
    {
        SCOPED_TRACE(testing::Message() << what << " at " << at);
        CMemorySaveStream stream(reason == shortSection ? saved.substr(0, at)
                                                        : CRecordBytes::WithI32At(saved, at, value));
        EXPECT_TRUE(!g_GameMap.LoadGame(stream, m_References) && stream.HasError());
        EXPECT_TRUE(Log().Contains(std::string("Map section of the saved game rejected (") + reason + ")"));
        ASSERT_EQ(Save(), saved);
    }
    // A setup without a name (a length of 1: its zero alone) loads.
    g_GameMap.playerSettings[7].name = "";
    CMemorySaveStream unnamed(Save());
    EXPECT_TRUE(g_GameMap.LoadGame(unnamed, m_References) && g_GameMap.playerSettings[7].name.IsEmpty() &&
                Save() == unnamed.Bytes());
}
