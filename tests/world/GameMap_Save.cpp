// The map's section of a saved game: its byte layout, a round trip byte for
// byte, and every short or bad section refused with the map left as it was.

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "WorldDevice.h"
#include "buildings/C_Building.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_ObjectReferences.h"

namespace
{
class SavedBuilding : public CBuilding
{
public:
    int32_t GetMaxHitPoints() const override { return 100; }
    int32_t GetWidth() const override { return 2; }
    int32_t GetDepth() const override { return 2; }
    int32_t GetBuildCast() const override { return 1; }
};

// Ids are indexes into the two lists.
class TestReferences : public CObjectReferences
{
public:
    void RegisterBuilding(CBuilding* building) override { registered.push_back(building); }
    int32_t GetUnitRef(const CUnit* unit) const override { return IndexOf(units, unit); }
    int32_t GetBuildingRef(const CBuilding* building) const override { return IndexOf(buildings, building); }
    CUnit* GetUnit(int32_t id) const override { return id >= 0 && id < int32_t(units.size()) ? units[size_t(id)] : nullptr; }
    CBuilding* GetBuilding(int32_t id) const override
    {
        return id >= 0 && id < int32_t(buildings.size()) ? buildings[size_t(id)] : nullptr;
    }

    std::vector<CUnit*> units;
    std::vector<CBuilding*> buildings;
    std::vector<CBuilding*> registered;

private:
    template <typename T>
    static int32_t IndexOf(const std::vector<T*>& list, const T* object)
    {
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i] == object)
                return int32_t(i);
        return NoObject;
    }
};

int32_t Le32At(const std::vector<uint8_t>& bytes, size_t at)
{
    return int32_t(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                   uint32_t(bytes[at + 3]) << 24);
}

void PutLe32(std::vector<uint8_t>& bytes, size_t at, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = uint8_t(uint32_t(value) >> (8 * i));
}

// Sizes of the section of a 64 x 64 map whose setups are named "Player 1"
// to "Player 8": 12 + 96, 65 corner columns of 65 x 9 bytes, 64 columns of
// weather and tilt bytes, 22 bytes a block, the weather type, 8 x (8 + 336).
constexpr size_t HeaderBytes = 12;
constexpr size_t CameraBytes = 96;
constexpr size_t CornerBytes = 65 * (65 * 4 * 2 + 65) + 64 * 64 * 2;
constexpr size_t BlockStart = HeaderBytes + CameraBytes + CornerBytes;
constexpr size_t BlockBytes = 64 * 64 * 22;
constexpr size_t SetupStart = BlockStart + BlockBytes + 4;
constexpr size_t SectionBytes = SetupStart + 8 * (8 + 336);

class GameMapSave : public WorldDeviceTest
{
protected:
    void SetUp() override
    {
        WorldDeviceTest::SetUp();
        MakeThemeFile("continental", "Terrain/Themes/continental.theme");
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

        m_References.units.push_back(&m_Unit);
        m_References.buildings.push_back(&m_Building);
        g_GameMap.Block(30, 31).unit = &m_Unit;
        for (int x = 40; x < 42; ++x)
            for (int y = 2; y < 4; ++y)
                g_GameMap.Block(x, y).building = &m_Building;
    }

    void TearDown() override
    {
        // The objects belong to the test, not to the map.
        for (SMapBlock& block : g_GameMap.AllBlocks())
        {
            block.unit = nullptr;
            block.building = nullptr;
        }
        WorldDeviceTest::TearDown();
    }

    std::vector<uint8_t> Save() const
    {
        MemorySaveStream stream;
        g_GameMap.SaveGame(stream, m_References);
        return stream.Bytes();
    }

    TestReferences m_References;
    CUnit m_Unit;
    SavedBuilding m_Building;
};
} // namespace

TEST_F(GameMapSave, SectionIsLaidOutFieldByField)
{
    const std::vector<uint8_t> bytes = Save();
    ASSERT_EQ(bytes.size(), SectionBytes);
    EXPECT_EQ(Le32At(bytes, 0), 0);    // theme
    EXPECT_EQ(Le32At(bytes, 4), 64);   // width
    EXPECT_EQ(Le32At(bytes, 8), 64);   // height
    float target;
    std::memcpy(&target, &bytes[12], 4);
    EXPECT_EQ(target, 12.5f);
    EXPECT_EQ(Le32At(bytes, 12 + 28 + 8 + 48), 42);   // water accumulator after the view
    // Corner column 0 starts with the height of corner (0, 0); column 10's
    // height of corner (10, 10) lies 10 columns of 585 + 128 bytes further.
    EXPECT_EQ(Le32At(bytes, 108 + 10 * (585 + 128) + 10 * 4), -30);
    // Block (0, 0): water level, shore, blocked, mark, random, unit, building.
    EXPECT_EQ(Le32At(bytes, BlockStart + 6), g_GameMap.Block(0, 0).randomValue);
    EXPECT_EQ(Le32At(bytes, BlockStart + 10), -1);
    EXPECT_EQ(Le32At(bytes, BlockStart + 14), -1);
    const size_t unitBlock = BlockStart + size_t(30 * 64 + 31) * 22;
    EXPECT_EQ(Le32At(bytes, unitBlock + 10), 0);
    const size_t markedBlock = BlockStart + size_t(20 * 64 + 20) * 22;
    EXPECT_EQ(bytes[markedBlock + 4], 1);   // blocked
    EXPECT_EQ(bytes[markedBlock + 5], 1);   // marked impassable
    EXPECT_EQ(Le32At(bytes, SetupStart - 4), WEATHER_SNOW);
    // The first setup: name length with its zero, "Player 1", type 1.
    EXPECT_EQ(Le32At(bytes, SetupStart), 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[SetupStart + 4])), "Player 1");
    EXPECT_EQ(Le32At(bytes, SetupStart + 13), 1);
    EXPECT_EQ(Le32At(bytes, SetupStart + 344 * 2 + 13 + 5 * 4), 1234);   // player 3's gold
}

TEST_F(GameMapSave, SectionRoundTripsByteForByte)
{
    const std::vector<uint8_t> saved = Save();
    // Spoil the map, then load the section back.
    g_GameMap.CornerHeight(40, 40) = 0;
    g_GameMap.weatherType = WEATHER_NONE;
    g_GameMap.playerSettings[0].name = "Someone";
    g_GameMap.Block(30, 31).unit = nullptr;
    g_GameMap.Block(50, 50).regionId = 99;

    MemorySaveStream stream(saved);
    ASSERT_TRUE(g_GameMap.LoadGame(stream, m_References));
    EXPECT_FALSE(stream.HasError());
    EXPECT_EQ(stream.Position(), saved.size());
    EXPECT_EQ(g_GameMap.Block(30, 31).unit, &m_Unit);
    EXPECT_EQ(g_GameMap.Block(41, 3).building, &m_Building);
    EXPECT_STREQ(g_GameMap.playerSettings[0].name, "Player 1");
    EXPECT_EQ(Save(), saved);
    // The same theme is not read again.
    int themeLoads = 0;
    for (const std::string& line : Log().Lines())
        themeLoads += line == "Loading theme file:Terrain\\Themes\\continental.theme";
    EXPECT_EQ(themeLoads, 1);
}

TEST_F(GameMapSave, LoadingIntoAnEmptyMapReadsTheThemeAndRebuildsTheTerrain)
{
    const std::vector<uint8_t> saved = Save();
    const uint8_t split = g_GameMap.Block(9, 9).triangleSplit;
    for (SMapBlock& block : g_GameMap.AllBlocks())
    {
        block.unit = nullptr;
        block.building = nullptr;
    }
    g_GameMap.Free();
    MemorySaveStream stream(saved);
    ASSERT_TRUE(g_GameMap.LoadGame(stream, m_References));
    EXPECT_EQ(g_GameMap.theme, 0);
    EXPECT_EQ(g_GameMap.themeTextures.GetTextureCount(), 4);
    EXPECT_NE(g_GameMap.minimap, nullptr);
    EXPECT_EQ(g_GameMap.Block(9, 9).triangleSplit, split);
    EXPECT_EQ(g_GameMap.Block(12, 12).waterLevel, 10);
    EXPECT_EQ(g_GameMap.Block(5, 5).mixPasses[0].texture, 1);
    EXPECT_EQ(g_GameMap.Block(3, 4).mixPasses[0].texture, 2);
    EXPECT_EQ(Save(), saved);
}

TEST_F(GameMapSave, ShortSectionFailsAndLeavesTheMap)
{
    const std::vector<uint8_t> saved = Save();
    for (size_t cut : {size_t(0), size_t(5), size_t(100), BlockStart + 7, saved.size() / 2, SetupStart + 2,
                       saved.size() - 1})
    {
        MemorySaveStream stream(std::vector<uint8_t>(saved.begin(), saved.begin() + std::ptrdiff_t(cut)));
        EXPECT_FALSE(g_GameMap.LoadGame(stream, m_References)) << "cut at " << cut;
        EXPECT_TRUE(stream.HasError()) << "cut at " << cut;
        ASSERT_EQ(Save(), saved) << "cut at " << cut;
    }
    EXPECT_TRUE(Log().HasStart("Map section of the saved game rejected (section too short)"));
}

TEST_F(GameMapSave, BadValuesFailAndLeaveTheMap)
{
    const std::vector<uint8_t> saved = Save();
    struct Case
    {
        const char* what;
        size_t at;
        int32_t value;
        const char* reason;
    };
    const size_t lastSetupName = SetupStart + 7 * 344;
    const std::vector<Case> cases = {
        {"theme 4", 0, 4, "bad theme or size"},
        {"width 300", 4, 300, "bad theme or size"},
        {"height 31", 8, 31, "bad theme or size"},
        {"unknown unit id", BlockStart + 10, 5, "unknown object reference"},
        {"unknown building id", BlockStart + 14, -7, "unknown object reference"},
        {"weather type 3", SetupStart - 4, 3, "bad weather type"},
        {"name of 241 bytes", lastSetupName, 241, "bad player name"},
        {"name of 0 bytes", SetupStart, 0, "bad player name"},
        {"name without its zero", SetupStart, 8, "bad player name"},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> bad = saved;
        PutLe32(bad, c.at, c.value);
        MemorySaveStream stream(bad);
        EXPECT_FALSE(g_GameMap.LoadGame(stream, m_References)) << c.what;
        EXPECT_TRUE(stream.HasError()) << c.what;
        EXPECT_TRUE(Log().Has(std::string("Map section of the saved game rejected (") + c.reason + ")")) << c.what;
        ASSERT_EQ(Save(), saved) << c.what;
    }
}

TEST_F(GameMapSave, EveryBuildingIsRegisteredOnce)
{
    SavedBuilding other;
    g_GameMap.Block(60, 60).building = &other;
    g_GameMap.RegisterReferences(m_References);
    EXPECT_EQ(m_References.registered, (std::vector<CBuilding*>{&m_Building, &other}));
}
