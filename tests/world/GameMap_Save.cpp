// The map's section of a saved game: byte layout, round trip, and bad sections refused with the map kept.

#include <bit>
#include <tuple>

#include "WorldDevice.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/PathTestObjects.h"
#include "tests/support/RecordBytes.h"
#include "world/C_ObjectReferences.h"

namespace
{
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
        for (int x = 10; x <= 14; ++x)
            for (int y = 10; y <= 14; ++y)
                g_GameMap.CornerHeight(x, y) = -30;
        g_GameMap.CornerHeight(40, 40) = 77;
        g_GameMap.cornerTextures[3 * 257 + 4] = 2;
        g_GameMap.weatherMap[5 * 256 + 6] = 9;
        g_GameMap.aiTiltMap[7 * 256 + 8] = 3;
        g_GameMap.weatherType = WEATHER_SNOW;
        g_GameMap.Block(20, 20).impassable = 1;
        g_GameMap.Block(21, 20).decorationModel = StartPointMarker;
        g_GameMap.cameraTargetX = 12.5f;
        g_GameMap.viewMatrix[4] = 0.75f;
        g_GameMap.waterOffsets[0] = 0.125f;
        g_GameMap.waterAccumulator = 42;
        g_GameMap.playerSettings[2].initialGold = 1234;
        g_GameMap.playerSettings[2].technologyStates[60] = 2;
        g_GameMap.playerSettings[7].unitEnabled[35] = 0;
        g_GameMap.playerSettings[7].startViewY = 33;
        g_GameMap.UpdateArea(0, 0, -1, -1);
        g_GameMap.AssignRegionIds();

        m_References.unit = &m_Unit;
        m_References.building = &m_Building;
        g_GameMap.Block(30, 31).unit = &m_Unit;
        for (int x = 40; x < 42; ++x)
            for (int y = 2; y < 4; ++y)
                g_GameMap.Block(x, y).building = &m_Building;
    }

    void TearDown() override
    {
        FreeMap();
        WorldDeviceTest::TearDown();
    }
    // The objects belong to the test, not to the map.
    static void FreeMap()
    {
        for (SMapBlock& block : g_GameMap.AllBlocks())
        {
            block.unit = nullptr;
            block.building = nullptr;
        }
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
    for (const auto& [at, value] : fields)
        EXPECT_EQ(CRecordBytes::I32At(saved, at), value) << "at byte " << at;
    EXPECT_EQ(saved[markedBlock + 4], 1);   // blocked
    EXPECT_EQ(saved[markedBlock + 5], 1);   // marked impassable
    EXPECT_EQ(saved.substr(SetupStart + 4, 9), std::string("Player 1", 9));
    // Spoil the map, then load the section back.
    g_GameMap.CornerHeight(40, 40) = 0;
    g_GameMap.weatherType = WEATHER_NONE;
    g_GameMap.playerSettings[0].name = "Someone";
    g_GameMap.Block(30, 31).unit = nullptr;
    g_GameMap.Block(50, 50).regionId = 99;

    CMemorySaveStream stream(saved);
    ASSERT_TRUE(g_GameMap.LoadGame(stream, m_References));
    EXPECT_TRUE(!stream.HasError() && stream.Position() == saved.size());
    EXPECT_TRUE(g_GameMap.Block(30, 31).unit == &m_Unit && g_GameMap.Block(41, 3).building == &m_Building);
    EXPECT_STREQ(g_GameMap.playerSettings[0].name, "Player 1");
    EXPECT_EQ(Save(), saved);
    // A building of four blocks is registered once.
    g_GameMap.RegisterReferences(m_References);
    EXPECT_EQ(m_References.registered, std::vector<CBuilding*>{&m_Building});
    // The same theme is not read again; into a freed map it is, and the terrain is rebuilt.
    EXPECT_EQ(Log().Count("Loading theme file:Terrain\\Themes\\continental.theme"), 1);
    const uint8_t split = g_GameMap.Block(9, 9).triangleSplit;
    FreeMap();
    CMemorySaveStream again(saved);
    ASSERT_TRUE(g_GameMap.LoadGame(again, m_References));
    EXPECT_NE(g_GameMap.minimap, nullptr);
    EXPECT_EQ((std::vector<int32_t>{g_GameMap.themeTextures.GetTextureCount(), g_GameMap.Block(9, 9).triangleSplit,
                                    g_GameMap.Block(12, 12).waterLevel, g_GameMap.Block(3, 4).mixPasses[0].texture}),
              (std::vector<int32_t>{4, split, 10, 2}));
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
                       saved.size() - 1})
        cases.emplace_back("cut", cut, 0, shortSection);
    for (const auto& [what, at, value, reason] : cases)
    {
        SCOPED_TRACE(testing::Message() << what << " at " << at);
        CMemorySaveStream stream(reason == shortSection ? saved.substr(0, at)
                                                        : CRecordBytes::WithI32At(saved, at, value));
        EXPECT_TRUE(!g_GameMap.LoadGame(stream, m_References) && stream.HasError());
        EXPECT_TRUE(Log().Contains(std::string("Map section of the saved game rejected (") + reason + ")"));
        ASSERT_EQ(Save(), saved);
    }
}
