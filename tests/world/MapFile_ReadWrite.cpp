#include <climits>
#include <filesystem>
#include <functional>
#include <tuple>

#include <sys/stat.h>

#include "WorldDevice.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_D3D8Game.h"
#include "core/C_MemoryBlock.h"
#include "core/C_PtrGarbage.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "units/C_UnitTypeTable.h"
#include "world/RangeTables.h"

namespace
{
// Little-endian fields and object records of a map image.
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, int32_t value)
{
    SetLe32(bytes, at, value);
    return bytes;
}

// Object records as the format lays them out: a building of 40 bytes, a unit of 24 bytes and its has-name byte 0.
std::vector<uint8_t> BuildingRecord(int32_t owner, int32_t x, int32_t y, int32_t cast, int32_t kind,
                                    int32_t decorationKind, int32_t scriptId, uint8_t archers)
{
    const std::string record = CRecordBytes().I32(owner).I32(x).I32(y).I32(cast).I32(kind).I32(0).I32(0)
                                   .I32(decorationKind).I32(scriptId).U8(archers).Text(std::string(3, '\0')).Bytes();
    return {record.begin(), record.end()};
}
std::vector<uint8_t> UnitRecord(int32_t owner, int32_t x, int32_t y, int32_t type, int32_t stance)
{
    const std::string record = CRecordBytes().I32(owner).I32(x).I32(y).I32(type).I32(stance).I32(0).U8(0).Bytes();
    return {record.begin(), record.end()};
}
using Records = std::vector<std::vector<uint8_t>>;
// A map image of side x side blocks that held no objects, with these records in its two object sections
// (which lie just before the weather type and map).
std::vector<uint8_t> WithObjects(std::vector<uint8_t> bytes, int32_t side, const Records& buildings,
                                 const Records& units)
{
    const size_t at = bytes.size() - 4 - size_t(side) * size_t(side) - 8;
    std::vector<uint8_t> objects(8, 0);
    SetLe32(objects, 0, int32_t(buildings.size()));
    for (const std::vector<uint8_t>& record : buildings)
        objects.insert(objects.begin() + long(objects.size()) - 4, record.begin(), record.end());
    SetLe32(objects, objects.size() - 4, int32_t(units.size()));
    for (const std::vector<uint8_t>& record : units) objects.insert(objects.end(), record.begin(), record.end());
    bytes.erase(bytes.begin() + long(at), bytes.begin() + long(at) + 8);
    bytes.insert(bytes.begin() + long(at), objects.begin(), objects.end());
    return bytes;
}

// Sections of a 32 x 32 map: preview, corners and blocks; a player setup with empty name and script texts.
constexpr int32_t Side = 32;
constexpr size_t PreviewBytes = 32 * 32 * 2, CornerBytes = 33 * 33 * 9, BlockBytes = 32 * 32 * 7;
constexpr size_t EmptySetupBytes = 816, StartCountAt = 8 + PreviewBytes;

class MapFileTest : public WorldDeviceTest
{
protected:
    void SetUp() override
    {
        WorldDeviceTest::SetUp();
        g_Config.logging = 1;
        if (g_SightDiscs == nullptr) AllocRangeTables(), m_OwnRangeTables = true;
        g_TechnologyTree.Init();
        m_Records = std::make_unique<CUnitStats[]>(TypeRecordCount), g_UnitStats = m_Records.get();
        InitTypeRecords();
        MakeThemeFile("continental"), MakeThemeFile("winter");
    }

    void TearDown() override
    {
        g_GameMap.Free(), g_PtrGarbage.Flush();
        WorldDeviceTest::TearDown();
        g_UnitStats = nullptr, m_Records.reset(), g_TechnologyTree.Clear();
        if (m_OwnRangeTables) FreeRangeTables();
    }

public:
    static std::vector<uint8_t> Save()
    {
        CMemoryBlock block;
        EXPECT_TRUE(g_GameMap.SaveMapData(block));
        return std::vector<uint8_t>(block.GetData(), block.GetData() + block.GetSize());
    }
    static bool Load(const std::vector<uint8_t>& bytes, uint8_t editor)
    {
        CMemoryBlock block;
        block.Write(bytes.data(), int(bytes.size())), block.SetPos(0);
        return g_GameMap.LoadMapData(block, editor);
    }
    // An empty 32 x 32 map: player 0 the local human, the others computers.
    static std::vector<uint8_t> EmptyMap()
    {
        EXPECT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            g_GameMap.playerSettings[p].playerType = p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER;
            g_GameMap.playerSettings[p].team = p + 1;
        }
        return Save();
    }
protected:
    // The load fails, logs "Map file refused: " with the reason (any reason
    // when empty) and leaves the map exactly as the saved image says.
    void ExpectRefused(const std::vector<uint8_t>& bad, const std::vector<uint8_t>& good, const std::string& what,
                       const std::string& reason = "")
    {
        const size_t before = Log().Lines().size();
        EXPECT_FALSE(Load(bad, 1)) << what;
        const std::vector<std::string> lines = Log().Lines();
        const std::string wanted = "Map file refused: " + reason;
        EXPECT_TRUE(std::any_of(lines.begin() + long(before), lines.end(), [&](const std::string& line)
                                { return reason.empty() ? line.rfind(wanted, 0) == 0 : line == wanted; })) << what;
        EXPECT_EQ(Save(), good) << what;
    }

private:
    std::unique_ptr<CUnitStats[]> m_Records;
    bool m_OwnRangeTables = false;
};

constexpr size_t SetupsAt = StartCountAt + 4 + 8, ThemeAt = SetupsAt + 8 * EmptySetupBytes;
constexpr size_t FirstModelAt = ThemeAt + 4 + CornerBytes, BuildingsAt = FirstModelAt + 4 + BlockBytes;
constexpr size_t UnitsAt = BuildingsAt + 4 + 40;
const std::string TooLong = "a name is longer than 239 characters";

class MapFileRefusals : public MapFileTest
{
protected:
    // A 32 x 32 map with one start marker, one decoration model, a tower of player 0 and a named worker
    // of player 1; empty setup names so that the offsets above hold.
    std::vector<uint8_t> MakeMap()
    {
        EXPECT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
        g_GameMap.editor = 1;
        for (CMapPlayerSettings& s : g_GameMap.playerSettings) s.name = "";
        g_GameMap.Block(3, 3).decorationModel = StartPointMarker, g_GameMap.Block(9, 9).decorationModel = 250;
        CBuilding* tower = g_Players[0].CreateBuilding(6, 5, 5);
        EXPECT_NE(tower, nullptr);
        if (tower != nullptr) dynamic_cast<CBuildingTower&>(*tower).SetArcherCount(2);
        CUnit* unit = g_Players[1].CreateUnit(1, 20, 20);
        EXPECT_NE(unit, nullptr);
        unit->customName = "Ann", g_GameMap.UpdateArea(0, 0, -1, -1);
        return Save();
    }
    std::vector<uint8_t> MapWith(const Records& buildings, const Records& units = {})
    {
        return WithObjects(EmptyMap(), Side, buildings, units);
    }
};

constexpr int32_t Neutral = -1, TreeKind = ResourceKindTree;
constexpr int32_t PlainDecoration = 2;   // one block
constexpr int32_t MillDecoration = 1;    // 5 x 6, its block (3, 0) left free by the mask

using MapFilePlacement = MapFileRefusals;

class MapFileGameSave : public ::testing::Test
{
protected:
    MapFileGameSave() : m_Data(m_Folder), m_World(std::make_unique<CSimHarness>())
    {
        CSaveGameRun::UseSaveLanguage();
        RunTool("mktheme continental", m_Folder.Write("Terrain/Themes/continental.theme", ""));
    }

    // A 32 x 32 map with these objects, player 0 the local human and the others computers, started as a game.
    static bool StartGame(const Records& buildings, const Records& units)
    {
        return MapFileTest::Load(WithObjects(MapFileTest::EmptyMap(), Side, buildings, units), 0);
    }

    CScratchFolder m_Folder;
    DiskDataFiles m_Data;
    std::unique_ptr<CSimHarness> m_World;
};

using MapFileRoundTrip = MapFileTest;
using MapExport = MapFileTest;

constexpr int32_t FlatHeight = 8;
constexpr int32_t FlatGrey = 0xDCDCDC;     // the shade of flat land
constexpr int32_t ShadedGrey = 0x606060;   // in an object's shadow

// The objects of the map below, in the order of their anchor blocks (x outer): a decoration, a castle of
// player 0 with a house of player 1 beside it (they share a column of corners), a tower with three
// archers and a gold mine holding 777.  They stand finished, so their blocks are blocked.
struct SObjectRecord
{
    int32_t owner, x, y, cast, kind, amount, decorationKind, scriptId, archers, width, depth;
};
constexpr SObjectRecord Objects[] = {{-1, 2, 25, CastDecoration, 0, 0, 2, 15, 0, 1, 1},
                                     {0, 5, 5, CastCastle, 0, 0, 0, 11, 0, 7, 7},
                                     {1, 12, 5, CastHouse, 0, 0, 0, 12, 0, 3, 2},
                                     {0, 20, 12, CastTower, 0, 0, 0, 13, 3, 2, 2},
                                     {-1, 24, 20, CastResource, ResourceKindGoldMine, 777, 0, 14, 0, 4, 5}};

bool UnderAnObject(int32_t x, int32_t y)
{
    return std::any_of(std::begin(Objects), std::end(Objects), [=](const SObjectRecord& o)
                       { return x >= o.x && x < o.x + o.width && y >= o.y && y < o.y + o.depth; });
}

// The setups' player types: player 3 the local human, and one of each other type.
constexpr int32_t FormatTypes[MaxPlayers] = {PLAYER_COMPUTER, PLAYER_NONE, PLAYER_COMPUTER, PLAYER_LOCAL,
                                             PLAYER_DEFEATED, PLAYER_REMOTE, PLAYER_COMPUTER, PLAYER_COMPUTER};

// A 32 x 32 map image laid out field by field as the format gives it: flat land, corner textures 1 to 3, a start
// point with its marker, eight setups (one with a script; technology state 3 is none), the objects above, a named
// and an unnamed worker, rain.
std::string FormatMap()
{
    CRecordBytes m;
    m.I32(Side).I32(Side);
    for (int32_t i = 0; i < Side * Side; ++i)
        m.U8(uint8_t(i)).U8(uint8_t(i / 7));   // a 16-bit preview pixel
    m.I32(1).I32(3).I32(3);
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const std::string name = "Lord " + std::to_string(p), script = p == 2 ? "ai\\hard.scr" : "";
        m.U8(uint8_t(name.size())).Text(name).U8(0).U8(uint8_t(script.size())).Text(script).U8(0);
        m.I32(FormatTypes[p]).I32(7 - p).I32(p % 3).I32(100 + p).I32(200 + p).I32(300 + p);
        m.U8(uint8_t(p % 2)).I32(50 + p).I32(61);
        for (int32_t i = 0; i < 61; ++i) m.I32(i).I32((i + p) % 4);
        m.I32(36);
        for (int32_t i = 0; i < 36; ++i) m.I32(i).U8(uint8_t((i + p) % 2));
        m.I32(19);
        for (int32_t i = 0; i < 19; ++i) m.I32(i).U8(uint8_t((i * p) % 2));
        m.I32(p * 3).I32(31 - p);
    }
    m.I32(0);   // continental
    // The decoration at (2, 25) shades the corners with it one block west, or two west and one south.
    for (int32_t x = 0; x <= Side; ++x)
        for (int32_t y = 0; y <= Side; ++y)
            m.I32((x == 3 && y == 25) || (x == 4 && y == 24) ? ShadedGrey : FlatGrey).I32(FlatHeight)
                .U8(uint8_t(1 + (x + 2 * y) % 3));
    m.I32(236);
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
        {
            const uint16_t model = x == 3 && y == 3 ? StartPointMarker : x == 20 && y == 20 ? 240 : 0xFFFF;
            m.U8(0).U8(0).U8(UnderAnObject(x, y) ? 1 : 0).U8(0).U8(0).U8(uint8_t(model)).U8(uint8_t(model >> 8));
        }
    m.I32(int32_t(std::size(Objects)));
    for (const SObjectRecord& o : Objects)   // each with three reserved bytes behind
        m.I32(o.owner).I32(o.x).I32(o.y).I32(o.cast).I32(o.kind).I32(0).I32(o.amount).I32(o.decorationKind)
            .I32(o.scriptId).I32(o.archers);
    m.I32(2), m.I32(0).I32(20).I32(5).I32(UNIT_WORKER).I32(2).I32(21).U8(1).I32(3).Text("Ann").U8(0);
    m.I32(2).I32(22).I32(8).I32(UNIT_WORKER).I32(1).I32(0).U8(0), m.I32(WEATHER_RAIN);
    for (int32_t x = 0; x < Side; ++x) for (int32_t y = 0; y < Side; ++y) m.U8(uint8_t((x * 3 + y) % 7));
    return m.Bytes();
}

// A grid section: "ROW_y=" and the values of x = 0 .. side - 1, comma separated.
template <typename Value> void AddRows(std::vector<std::string>& e, int32_t side, Value value)
{
    for (int32_t y = 0; y < side; ++y)
    {
        std::string row = "ROW_" + std::to_string(y) + "=";
        for (int32_t x = 0; x < side; ++x) row += (x ? "," : "") + std::to_string(value(x, y));
        e.push_back(row);
    }
}

void AddPlayer(std::vector<std::string>& e, int32_t p)
{
    const std::string n = std::to_string(p);
    e.insert(e.end(), {"DEFAULTS_FOR_PLAYER=" + n, "NAME=\"Player " + std::to_string(p + 1) + "\"", "SCRIPT=\"\"",
                       "(TENUMPLAYERTYPE)=1", "COLOR_SCHEME_ID=" + n, "TEAM_ID=0", "INITIAL_WOOD=1000",
                       "INITIAL_STONE=1000", "INITIAL_GOLD=1000",
                       p == 3 ? "ENABLE_STARVING=FALSE" : "ENABLE_STARVING=TRUE", "POPULATION_LIMIT=256",
                       "MAX_TEHCNOLOGY_NUM=61"});
    for (int i = 0; i < 61; ++i)
        e.insert(e.end(), {"TECHNOLOGY_ID=" + std::to_string(i),
                           p == 3 && i == 5 ? "(TENUMTECHSTATE)=2" : "(TENUMTECHSTATE)=0"});
    e.push_back("MAX_UNITCAST_NUM=36");
    for (int i = 0; i < 36; ++i)
        e.insert(e.end(), {"(TENUMUNITCAST)=" + std::to_string(i),
                           p == 3 && i == 7 ? "UNIT_ENABLED=FALSE" : "UNIT_ENABLED=TRUE"});
    e.push_back("MAX_BUILDCAST_NUM=19");
    for (int i = 0; i < 19; ++i) e.insert(e.end(), {"(TENUMBUILDCAST)=" + std::to_string(i), "BUILDING_ENABLED=TRUE"});
    e.insert(e.end(), {"STARTING_VIEW_POSITION=0,0", ""});
}
} // namespace

TEST_F(MapFileRefusals, TruncatedFilesAndBadFieldsAreRefusedWithTheirReasonAndKeepTheMap)
{
    const std::vector<uint8_t> good = MakeMap();
    std::vector<size_t> cuts = {0, 3, 8, StartCountAt, SetupsAt, SetupsAt + 1, ThemeAt, FirstModelAt,
                                BuildingsAt, BuildingsAt + 20, UnitsAt, UnitsAt + 26, good.size() - 1};
    for (size_t cut = 5; cut < good.size(); cut += 997) cuts.push_back(cut);
    for (size_t cut : cuts)
        ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + long(cut)), good,
                      "cut at " + std::to_string(cut));
    // A count whose records just fit what is left passes its own check; the file then ends early.
    for (const size_t end : {StartCountAt + 4 + 8, UnitsAt})
        ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + long(end)), good, "records to the end",
                      "the file ends early");

    const std::string size = "the size is not 32 to 256 blocks each way";
    const size_t unitName = UnitsAt + 4 + 25;
    const std::tuple<const char*, size_t, int32_t, std::string> cases[] = {
        {"width 0", 0, 0, size}, {"width 31", 0, 31, size}, {"width 257", 0, 257, size}, {"height -1", 4, -1, size},
        {"start count -1", StartCountAt, -1, "bad start point count"},
        {"start count 2^31-1", StartCountAt, INT_MAX, "bad start point count"},
        {"player type 5", SetupsAt + 4, 5, "a player type is not 0 to 4"},
        {"player type -1", SetupsAt + 4, -1, "a player type is not 0 to 4"},
        {"colour scheme 8", SetupsAt + 8, 8, "a colour scheme is not 0 to 7"},
        {"colour scheme -1", SetupsAt + 8, -1, "a colour scheme is not 0 to 7"},
        {"team -1", SetupsAt + 12, -1, "a team is not 0 to 8"}, {"team 9", SetupsAt + 12, 9, "a team is not 0 to 8"},
        {"technology count -1", SetupsAt + 33, -1, "bad technology count"},
        {"technology count huge", SetupsAt + 33, 0x10000000, "bad technology count"},
        {"theme 4", ThemeAt, 4, "unknown theme"}, {"theme -1", ThemeAt, -1, "unknown theme"},
        {"building count -1", BuildingsAt, -1, "bad building count"},
        {"building count huge", BuildingsAt, 1000000, "bad building count"},
        {"unit count huge", UnitsAt, 1000000, "bad unit count"}, {"unit name length -1", unitName, -1, TooLong},
        {"unit name length huge", unitName, INT_MAX, TooLong}, {"unit name length 240", unitName, 240, TooLong},
    };
    for (const auto& [what, at, value, reason] : cases) ExpectRefused(Patched(good, at, value), good, what, reason);
    // The last values still taken, each on its own.
    for (const auto& [at, value] : {std::pair{SetupsAt + 4, 0}, {SetupsAt + 4, 4}, {SetupsAt + 8, 7},
                                    {SetupsAt + 12, 0}, {SetupsAt + 12, 8}})
        EXPECT_TRUE(Load(Patched(good, at, value), 1)) << at << " = " << value;
    ASSERT_TRUE(Load(good, 1));
    std::vector<uint8_t> noZero = good;
    noZero[SetupsAt + 1] = 'x';
    ExpectRefused(noZero, good, "name without its zero", "a name lacks its terminating zero");

    // A setup name of 239 characters is read; one of 240 is not.
    for (const size_t length : {240u, 239u})
    {
        std::vector<uint8_t> named = good;
        named[SetupsAt] = uint8_t(length), named.insert(named.begin() + long(SetupsAt) + 1, length, 'n');
        if (length == 240) ExpectRefused(named, good, "name of 240", TooLong);
        else EXPECT_TRUE(Load(named, 1));
    }
    EXPECT_EQ(std::strlen(g_GameMap.playerSettings[0].name), 239u);
}

TEST_F(MapFileRefusals, BadObjectRecordsAreSkippedAlone)
{
    const std::vector<uint8_t> good = MakeMap();
    const size_t tower = BuildingsAt + 4, unit = UnitsAt + 4;
    // The field patched, its value and whether the tower's record (or else the unit's) is skipped.
    const std::tuple<const char*, size_t, int32_t, bool> cases[] = {
        {"building owner 8", tower, 8, true},   {"building owner -2", tower, -2, true},
        {"building x off the map", tower + 4, 32, true}, {"building y -1", tower + 8, -1, true},
        {"building cast 99", tower + 12, 99, true},     {"owner -1 with cast 6", tower, -1, true},
        {"owned resource site", tower + 12, 10, true},  {"unit owner 8", unit, 8, false},
        {"unit x off the map", unit + 4, 40, false},    {"unit type 99", unit + 12, 99, false},
        {"unit type -5", unit + 12, -5, false},         {"unowned unit", unit, -1, false},
    };
    for (const auto& [what, at, value, towerGone] : cases)
    {
        ASSERT_TRUE(Load(Patched(good, at, value), 1)) << what;
        // The skipped unit's name is read past: the weather after it is whole.
        EXPECT_EQ(std::tuple(!g_GameMap.Block(5, 5).building, !g_GameMap.Block(20, 20).unit, g_GameMap.weatherType),
                  std::tuple(towerGone, !towerGone, WEATHER_NONE)) << what;
    }
    EXPECT_TRUE(Log().Contains("Map file: building record with a bad owner, position or cast skipped"));
    EXPECT_TRUE(Log().Contains("Map file: unit record with a bad owner, position or type skipped"));
}

TEST_F(MapFileRefusals, UnknownSetupPairsAndTexturesAreMendedAndAnOlderFirstDecorationModelShiftsTheModels)
{
    const std::vector<uint8_t> good = MakeMap();
    std::vector<uint8_t> bytes = good;
    // The first technology, unit type and building cast pairs of setup 0.
    for (const size_t at : {SetupsAt + 37, SetupsAt + 529, SetupsAt + 713}) SetLe32(bytes, at, 99);
    bytes[ThemeAt + 4 + 8] = 200;   // the texture of corner (0, 0)
    ASSERT_TRUE(Load(bytes, 1) && g_GameMap.cornerTextures[0] == g_GameMap.themeTextures.GetTextureCount() - 1 &&
                Log().Contains("Map file: setup pairs with an unknown index skipped") &&
                Log().Contains("Map file: corner textures beyond the theme's set to its last texture"));
    ASSERT_TRUE(Load(Patched(good, FirstModelAt, 230), 1));
    EXPECT_EQ(std::tuple(g_GameMap.Block(9, 9).decorationModel, g_GameMap.Block(3, 3).decorationModel,
                         g_GameMap.Block(0, 0).decorationModel), std::tuple(256, StartPointMarker + 6, NoDecoration));
    // Model 250 shifted to the first and the last of the 347 model slots is kept; one past either, dropped.
    for (const auto& [first, model] : {std::pair{236 + 250, 0}, {236 + 251, int(NoDecoration)},
                                       {236 - 96, 346}, {236 - 97, int(NoDecoration)}, {INT_MIN, int(NoDecoration)}})
    {
        ASSERT_TRUE(Load(Patched(good, FirstModelAt, first), 1));
        EXPECT_EQ(g_GameMap.Block(9, 9).decorationModel, model) << first;
    }
    EXPECT_TRUE(Log().Contains("Map file: decoration models out of range removed"));
    // Weather types 0 to 2 are taken; any other is none.
    for (const auto& [stored, taken] : {std::pair{2, 2}, {3, 0}, {-1, 0}})
        EXPECT_TRUE(Load(Patched(good, good.size() - 4 - 32 * 32, stored), 1) && g_GameMap.weatherType == taken);
    EXPECT_EQ(Log().Count("Map file: unknown weather type taken as none"), 2);
    // Eight start points are taken; a ninth is skipped with a line.
    for (const int32_t starts : {8, 9})
    {
        bytes = Patched(good, StartCountAt, starts);
        for (int32_t i = 1; i < starts; ++i)
            bytes.insert(bytes.begin() + long(StartCountAt + 4 + 8 * size_t(i)),
                         {uint8_t(i + 10), 0, 0, 0, uint8_t(i + 20), 0, 0, 0});
        Log().Clear();
        ASSERT_TRUE(Load(bytes, 1));
        const SStartPoint last = g_GameMap.startPoints[7];
        EXPECT_TRUE(g_GameMap.startPointCount == 8 && last.x == 17 && last.y == 27 &&
                    Log().Contains("Map file: start points beyond the eighth skipped") == (starts == 9));
    }
}

TEST_F(MapFileRefusals, StartMarkersProbesOfSizeAndStartPointsAndWritingRefusesLongNamesAndKeepsTheOldFile)
{
    const std::vector<uint8_t> bytes = MakeMap();
    ASSERT_TRUE(Load(bytes, 1) && g_GameMap.Block(3, 3).decorationModel == StartPointMarker && Load(bytes, 0) &&
                g_GameMap.Block(3, 3).decorationModel == NoDecoration && g_GameMap.startPointCount == 1 &&
                g_GameMap.startPoints[0].x == 3);
    // Outside the editor the stored start points are written back.
    const std::vector<uint8_t> again = Save();
    EXPECT_TRUE(GetLe32(again, StartCountAt) == 1 && GetLe32(again, StartCountAt + 4) == 3 && g_GameMap.editor == 0);

    // The probes read a file's size and start points or report it bad.
    const std::string path = Folder().Write("Maps/probe.world", bytes);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(g_GameMap.ReadMapFileSize(path.c_str(), &w, &h) && std::pair(w, h) == std::pair(32, 32) &&
                g_GameMap.ReadMapFileStartNum(path.c_str()) == 1 && g_GameMap.MapFileHasStartPoints(path.c_str()));
    std::unique_ptr<CTexture> preview;
    EXPECT_TRUE(g_GameMap.LoadMinimapPreview(path.c_str(), preview) && preview != nullptr && preview->width == 32);
    // They read no more than they report: the same head on a file of the longest map's length (worked out in
    // SaveGameTest.FilesLongerThanTheirFormatCanHoldAreRefusedUnread) answers alike.  One byte longer, or a
    // folder or a pipe in its place, each probe refuses it with the loader's line: no map list offers it.
    // Only a file that is not there is "not found".
    constexpr uintmax_t LongestMap = 21510873;
    const std::string longer = "Map file refused: the file is longer than any map";
    Folder().MakeFolder("Maps/folder.world");
    ASSERT_EQ(0, mkfifo((Folder() / "Maps/pipe.world").c_str(), 0600));
    const std::tuple<std::string, uintmax_t, std::string> probed[] = {
        {path, LongestMap, ""}, {path, LongestMap + 1, longer}, {path, uintmax_t(3) << 30, longer},
        {Folder() / "Maps/folder.world", 0, "Map file cannot be read: Is a directory"},
        {Folder() / "Maps/pipe.world", 0, "Map file cannot be read: Invalid argument"},
        {Folder() / "none.world", 0, "Map file not found"}};
    for (const auto& [name, length, line] : probed)
    {
        SCOPED_TRACE(testing::Message() << name << ", " << length << " bytes");
        if (length != 0) std::filesystem::resize_file(name, length);
        Log().Clear();
        const int32_t answers = g_GameMap.ReadMapFileSize(name.c_str(), &w, &h) +
                                g_GameMap.MapFileHasStartPoints(name.c_str()) +
                                g_GameMap.LoadMinimapPreview(name.c_str(), preview);
        EXPECT_EQ(std::tuple(answers, w, h, Log().Contains("Map file not found")),
                  line.empty() ? std::tuple(3, 32, 32, false) : std::tuple(0, -1, -1, line == "Map file not found"));
        EXPECT_TRUE(line.empty() || Log().Count(line) == 3);
    }

    const std::string cut = Folder().Write("Maps/cut.world", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100));
    EXPECT_TRUE(g_GameMap.ReadMapFileStartNum(cut.c_str()) == 0 && !g_GameMap.LoadMinimapPreview(cut.c_str(), preview));

    std::vector<uint8_t> huge = bytes;
    SetLe32(huge, 0, INT_MIN), SetLe32(huge, 4, INT_MIN);
    Folder().Write("Maps/cut.world", huge);
    EXPECT_TRUE(g_GameMap.ReadMapFileStartNum(cut.c_str()) == 0 &&
                Log().Contains("Map file refused: the size is not 32 to 256 blocks each way"));

    // Writing refuses names that do not fit.
    MakeMap();
    g_GameMap.playerSettings[4].name = std::string(239, 'a').c_str();
    CMemoryBlock block;
    EXPECT_TRUE(g_GameMap.SaveMapData(block));
    g_GameMap.playerSettings[4].scriptFile = std::string(240, 'b').c_str();
    EXPECT_TRUE(!g_GameMap.SaveMapData(block) &&
                Log().Contains("Map not saved: a player or script name is longer than 239 characters"));
    g_GameMap.playerSettings[4].scriptFile = "";
    g_GameMap.Block(20, 20).unit->customName = std::string(240, 'u').c_str();
    EXPECT_TRUE(!g_GameMap.SaveMapData(block) &&
                Log().Contains("Map not saved: a unit name is longer than 239 characters"));

    // Saving keeps a backup, a failed write keeps the old file, and a missing file gives the default map.
    MakeMap();
    const std::string keep = Folder().Write("Maps/keep.world", "123");
    g_Config.backupFiles = 1;
    ASSERT_TRUE(g_GameMap.SaveMap(keep.c_str()));
    EXPECT_TRUE(Log().Contains("Saving map file:" + keep) && std::filesystem::file_size(keep) == bytes.size() &&
                std::filesystem::file_size(Folder() / "Maps/keep.backup") == 3u);
    // A backup the disk does not take (a folder in its place) is logged, and the map is saved all the same.
    Folder().MakeFolder("Maps/taken.backup");
    const std::string taken = Folder().Write("Maps/taken.world", "1");
    EXPECT_TRUE(g_GameMap.SaveMap(taken.c_str()) && Log().Contains("Map backup could not be written") &&
                std::filesystem::file_size(taken) == bytes.size());

    EXPECT_TRUE(!g_GameMap.SaveMap((Folder() / "no such folder/x.world").c_str()) &&
                Log().Contains("Map file could not be written"));
    // A map that cannot be written leaves the old file whole.
    g_GameMap.playerSettings[0].name = std::string(300, 'n').c_str();
    EXPECT_TRUE(!g_GameMap.SaveMap(keep.c_str()) && std::filesystem::file_size(keep) == bytes.size());

    // A missing file gives the default map, painted with the theme's ground texture, made 2 here.
    const std::string theme = CScratchFolder::ReadFile(Folder() / "Terrain/Themes/continental.theme");
    Folder().Write("Terrain/Themes/continental.theme", CRecordBytes::WithI32At(theme, 4, 2));
    EXPECT_TRUE(g_GameMap.LoadMap((Folder() / "absent.world").c_str(), 1) &&
                Log().Contains("Map file not found, creating new 64x64 map"));
    EXPECT_EQ((std::vector<int32_t>{g_GameMap.width, g_GameMap.theme, g_GameMap.cornerTextures[0],
                                    g_GameMap.Block(63, 63).mixPasses[0].texture}),
              (std::vector<int32_t>{64, 0, 2, 2}));
    // A folder in the file's place is there but unreadable: the load fails with the cause, the map stays.
    EXPECT_TRUE(!g_GameMap.LoadMap((Folder() / "Maps").c_str(), 1) &&
                Log().Contains("Map file cannot be read: Is a directory") &&
                Log().Count("Map file not found, creating new 64x64 map") == 1 && g_GameMap.width == 64);
}

// Towers stand finished with the map's count of archers kept in the owner's list.  Two objects of the land on
// one block refuse the map, whichever is listed first, before anything of the present map is freed.
TEST_F(MapFilePlacement, TowersStandMannedAndTwoNeutralObjectsOnOneBlockRefuseTheMapInEitherOrderAndLeaveThePresentOne)
{
    for (const auto& [stored, manned] : {std::pair{0, 1}, {3, 3}, {5, 5}, {9, 5}})
    {
        ASSERT_TRUE(Load(MapWith({BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, uint8_t(stored))}), 0));
        auto* tower = dynamic_cast<CBuildingTower*>(g_GameMap.Block(5, 5).building);
        ASSERT_TRUE(tower != nullptr && tower->IsFinished() && tower->archerCount == manned &&
                    g_Players[0].towerArchers.GetCount() == manned) << stored;
        for (int32_t i = 0; i < manned; ++i)
            EXPECT_TRUE(tower->archers[i] != nullptr && tower->archers[i]->GetCastID() == UNIT_TOWERARCHER &&
                        tower->archers[i]->player == 0) << i;
    }
    const auto tower = BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, 2);
    const auto mill = BuildingRecord(Neutral, 20, 20, CastDecoration, 0, MillDecoration, 0, 0);
    const auto tree = BuildingRecord(Neutral, 20, 20, CastResource, TreeKind, 0, 0, 0);
    const std::tuple<const char*, std::vector<uint8_t>, std::vector<uint8_t>> cases[] = {
        {"tree on the mill", mill, tree}, {"mill on the mill", mill, mill},
        {"gold mine over a tree", tree, BuildingRecord(Neutral, 18, 17, CastResource, ResourceKindGoldMine, 0, 0, 0)},
        {"decoration on a tree", tree, BuildingRecord(Neutral, 20, 20, CastDecoration, 0, PlainDecoration, 0, 0)},
    };
    for (const auto& [what, first, second] : cases)
        for (const bool swapped : {false, true})
        {
            SCOPED_TRACE(testing::Message() << what << (swapped ? ", listed the other way" : ""));
            const std::vector<uint8_t> bad = MapWith({tower, swapped ? second : first, swapped ? first : second});
            const std::vector<uint8_t> present = MakeMap();
            ASSERT_TRUE(Load(present, 1));
            ExpectRefused(bad, present, what, "a resource site or decoration lies over another object");
            g_PtrGarbage.Flush();
            EXPECT_TRUE(g_Players[0].buildingCount == 1 && g_Players[0].towerArchers.GetCount() == 2);
        }

    // A block the mill's mask leaves free takes a tree.
    ASSERT_TRUE(Load(MapWith({tower, mill, BuildingRecord(Neutral, 23, 20, CastResource, TreeKind, 0, 0, 0)}), 0));
    EXPECT_TRUE(g_GameMap.Block(23, 20).building->GetResourceKind() == TreeKind &&
                g_GameMap.Block(20, 20).building->GetDecorationKind() == MillDecoration);
    // A gold mine (4 x 5) that ends on the map's last column or row stands; a block further it is skipped alone,
    // and the tree on the first row of the next column stands.
    for (const auto& [x, y, stands] : {std::tuple{28, 20, true}, {29, 20, false}, {20, 27, true}, {20, 28, false}})
    {
        Log().Clear();
        ASSERT_TRUE(Load(MapWith({BuildingRecord(Neutral, x, y, CastResource, ResourceKindGoldMine, 0, 0, 0),
                                  BuildingRecord(Neutral, 21, 0, CastResource, TreeKind, 0, 0, 0)}), 0)) << x << y;
        EXPECT_TRUE((g_GameMap.Block(x, y).building != nullptr) == stands && g_GameMap.Block(21, 0).building &&
                    Log().Count("Map file: building record with a bad owner, position or cast skipped") == !stands)
            << x << "," << y;
    }
}

// A castle (7 x 7) at (5, 5) and a gold mine (4 x 5) at (24, 20), then one more owned record over them
// or beside them.  Over them it is skipped with a line naming it, and nothing that stood is ended: the
// map saves back exactly as the map without that record.  The land's objects are laid first: a building
// listed before the mine, a tree or a decoration is skipped all the same.
TEST_F(MapFilePlacement, OwnedBuildingOverAnotherObjectIsSkippedAndEndsNothingAndUnitFieldsASaveRefusesAreNotTaken)
{
    const Records standing = {
        BuildingRecord(0, 5, 5, CastCastle, 0, 0, 0, 0),
        BuildingRecord(Neutral, 24, 20, CastResource, ResourceKindGoldMine, 0, 0, 0),
        BuildingRecord(Neutral, 2, 25, CastResource, TreeKind, 0, 0, 0),
        BuildingRecord(Neutral, 20, 3, CastDecoration, 0, PlainDecoration, 0, 0)};
    // The last three stand beside the castle, above it and beside the mine.
    const std::tuple<int32_t, int32_t, int32_t, int32_t, bool, bool> cases[] = {
        {1, CastHouse, 10, 10, false, true}, {1, CastHouse, 3, 4, false, true}, {2, CastTower, 26, 24, false, true},
        {2, CastTower, 26, 24, true, true},  {3, CastTower, 1, 24, true, true}, {3, CastHouse, 19, 2, true, true},
        {1, CastHouse, 12, 5, false, false}, {1, CastHouse, 5, 3, false, false}, {2, CastTower, 26, 25, true, false}};
    for (const auto& [owner, cast, x, y, listedFirst, skipped] : cases)
    {
        const std::string line = "Map file: building of player " + std::to_string(owner) + " (cast " +
                                 std::to_string(cast) + ") at " + std::to_string(x) + "," + std::to_string(y) +
                                 " over another object skipped";
        SCOPED_TRACE(testing::Message() << "cast " << cast << " at " << x << "," << y << (listedFirst ? " first" : ""));
        Records records = standing;
        records.insert(listedFirst ? records.begin() : records.end(), BuildingRecord(owner, x, y, cast, 0, 0, 0, 1));
        ASSERT_TRUE(Load(MapWith(skipped ? standing : records), 1));
        const std::vector<uint8_t> expected = Save();
        Log().Clear();
        ASSERT_TRUE(Load(MapWith(records), 1));
        const std::vector<std::string> lines = Log().Lines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.starts_with("Map file: building of"); }),
                  skipped ? 1 : 0);
        const CBuilding* added = g_GameMap.Block(x, y).building;
        EXPECT_TRUE((!skipped || Log().Contains(line)) && Save() == expected &&
                    g_GameMap.Block(5, 5).building->GetBuildCast() == CastCastle &&
                    g_GameMap.Block(24, 20).building->GetResourceKind() == ResourceKindGold &&   // the mine holds gold
                    (added != nullptr && added->owner == owner && added->GetBuildCast() == cast) == !skipped);
    }

    // Unit fields a save would refuse are not taken.
    const std::unique_ptr<CUnit> probe(g_Players[0].UnitFactory(UNIT_WARRIOR));
    ASSERT_NE(probe, nullptr);
    const int32_t own = probe->stance;
    ASSERT_NE(own, STANCE_DEFENSIVE);
    // Block, type and stance of the record; whether a unit is made and the stance it keeps.  A unit on a
    // block of a tower, of the mill's mask or of a tree is skipped with a line; beside them, or on the
    // block the mill's mask leaves free, it is made.
    const Records blocking = {BuildingRecord(1, 5, 5, CastTower, 0, 0, 0, 1),
                              BuildingRecord(Neutral, 20, 20, CastDecoration, 0, MillDecoration, 0, 0),
                              BuildingRecord(Neutral, 12, 12, CastResource, TreeKind, 0, 0, 0)};
    const std::tuple<const char*, int32_t, int32_t, int32_t, int32_t, bool, int32_t> units[] = {
        {"defensive", 3, 4, UNIT_WARRIOR, STANCE_DEFENSIVE, true, STANCE_DEFENSIVE},
        {"stance 7", 3, 4, UNIT_WARRIOR, 7, true, own}, {"stance 0", 3, 4, UNIT_WARRIOR, 0, true, own},
        {"stance -2^31", 3, 4, UNIT_WARRIOR, INT_MIN, true, own},
        {"galley past the edge", Side - 1, 4, UNIT_WARGALLEY, 1, false, 0},
        {"worker on the last column", Side - 1, 4, UNIT_WORKER, STANCE_DEFENSIVE, true, STANCE_DEFENSIVE},
        {"worker in the tower", 6, 6, UNIT_WORKER, 1, false, 0}, {"ship on it", 4, 4, UNIT_TRANSPORTSHIP, 1, false, 0},
        {"worker in the mill", 20, 20, UNIT_WORKER, 1, false, 0}, {"on the tree", 12, 12, UNIT_WORKER, 1, false, 0},
        {"beside the tower", 7, 5, UNIT_WORKER, 1, true, 1}, {"below the tower", 5, 7, UNIT_WORKER, 1, true, 1},
        {"ship beside", 2, 2, UNIT_TRANSPORTSHIP, 1, true, 1},
        {"worker where the mill leaves free", 23, 20, UNIT_WORKER, 1, true, 1},
    };
    for (const auto& [what, x, y, type, stance, made, kept] : units)
    {
        ASSERT_TRUE(Load(MapWith(blocking, {UnitRecord(0, x, y, type, stance)}), 0)) << what;
        ASSERT_EQ(g_Players[0].unitCount, made ? 1 : 0) << what;
        EXPECT_TRUE(!made || g_GameMap.Block(x, y).unit->stance == kept) << what;
    }
    EXPECT_TRUE(Log().Contains("Map file: unknown unit stance, the unit keeps its own") &&
                Log().Count("Map file: unit on a building's block skipped") == 4);

    // A ship (3 x 3) listed after a worker that stands in its footprint, though not on its first block.
    ASSERT_TRUE(Load(MapWith({}, {UnitRecord(0, 10, 10, UNIT_WORKER, 1), UnitRecord(0, 9, 9, UNIT_TRANSPORTSHIP, 1)}),
                     0));
    ASSERT_TRUE(g_Players[0].unitCount == 1 && g_GameMap.Block(10, 10).unit == g_Players[0].units[0] &&
                g_GameMap.Block(9, 9).unit == nullptr && Log().Contains("Map file: unit on an occupied block skipped"));
    // A unit of a type no factory makes takes no block from the unit after it.
    ASSERT_TRUE(Load(MapWith({}, {UnitRecord(0, 7, 5, 14, 1), UnitRecord(0, 7, 5, UNIT_WORKER, 1)}), 0));
    EXPECT_TRUE(g_Players[0].unitCount == 1 && Log().Contains("Map file: unit that cannot be made skipped"));
}

// Each map holds what the reader once let through unfit for a save: a tower without its archers, script
// numbers in a field no save wrote, a stance the save refuses.
TEST_F(MapFileGameSave, GameOfAMapSavesAndLoadsBack)
{
    const std::tuple<const char*, Records, Records> cases[] = {
        {"manned tower", {BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, 3)}, {}},
        {"script numbers",
         {BuildingRecord(1, 10, 12, CastHouse, 0, 0, 12, 0),
          BuildingRecord(Neutral, 15, 2, CastResource, ResourceKindTree, 0, 13, 0),
          BuildingRecord(Neutral, 25, 5, CastDecoration, 0, PlainDecoration, 14, 0)},
         {}},
        {"stance 7", {}, {UnitRecord(0, 3, 3, UNIT_WORKER, 7)}},
    };
    for (const auto& [what, buildings, units] : cases)
    {
        SCOPED_TRACE(what);
        ASSERT_TRUE(StartGame(buildings, units));
        const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();
        ASSERT_TRUE(CSaveGameRun::Load(save) && CSaveGameRun::SaveDrawn() == save);
        // The loaded objects keep the record's script number and archers.
        for (const std::vector<uint8_t>& record : buildings)
        {
            const CBuilding* building = g_GameMap.Block(GetLe32(record, 4), GetLe32(record, 8)).building;
            ASSERT_NE(building, nullptr);
            const auto* tower = dynamic_cast<const CBuildingTower*>(building);
            EXPECT_EQ(std::pair(building->scriptTag, tower != nullptr ? tower->archerCount : 0),
                      std::pair(GetLe32(record, 32), int32_t(record[36])));
        }
    }
}

// A map written straight from the format, not by the game's writer, loads in the editor and is saved
// back byte for byte: the corner textures under the buildings, which placing them repaints, included.
// Loaded for a game, each player is set up from its setup, and the camera looks at the local player's start view.
TEST_F(MapFileRoundTrip, MapWrittenFromTheFormatSavesBackToTheSameBytesAndAGameSetsEachPlayerUpFromItsSetup)
{
    const std::string image = FormatMap();
    const std::vector<uint8_t> bytes(image.begin(), image.end());
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.cornerTextures[5 * MapCornerSide + 5], 0) << "the castle stands on texture 0";
    EXPECT_EQ(dynamic_cast<CBuildingTower&>(*g_GameMap.Block(20, 12).building).archerCount, 3);
    const std::vector<uint8_t> saved = Save();
    ASSERT_EQ(saved.size(), bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(saved[i], bytes[i]) << "first difference at byte " << i;
    // Without the game's players the map loads its ground and no object.
    CPlayer* const players = g_Players;
    g_GameMap.Free(), g_Players = nullptr;
    const bool bare = Load(bytes, 1);
    g_Players = players;
    EXPECT_TRUE(bare && g_GameMap.GetWidth() == 32 && g_GameMap.Block(20, 12).building == nullptr);

    ASSERT_TRUE(Load(bytes, 0));
    EXPECT_EQ(std::tuple(g_LocalPlayer, g_GameMap.cameraTargetX, g_GameMap.cameraTargetY), std::tuple(3, 9.0f, 28.0f));
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        SCOPED_TRACE(p);
        const CPlayer& player = g_Players[p];
        EXPECT_EQ(std::tuple(player.index, player.type, player.team, player.colourScheme, player.wood, player.stone,
                             player.gold, std::string(player.name), player.starvationEnabled, player.populationMaximum),
                  std::tuple(p, FormatTypes[p], p % 3 - 1, 7 - p, 100 + p, 200 + p, 300 + p,
                             "Lord " + std::to_string(p), uint8_t(p % 2), 50 + p));
        // State 0 makes a technology available, 1 not, 2 researched; any other leaves it as a fresh player has it.
        for (int32_t t = 0; t < TechnologyCount; ++t)
            EXPECT_EQ(std::pair(player.technologies[t].enabled, player.technologies[t].progress),
                      std::pair(uint8_t((t + p) % 4 == 0), (t + p) % 4 == 2 ? 100.0f : 0.0f)) << t;
        for (int32_t i = 0; i < UnitTypeCount; ++i)
            EXPECT_TRUE(player.enabledUnitTypes[i] == (i + p) % 2 &&
                        (i >= BuildCastCount || player.enabledBuildingCasts[i] == (i * p) % 2)) << i;
        // Friends: itself, its team and any player of no one or out of the game.
        for (int32_t q = 0; q < MaxPlayers; ++q)
            EXPECT_EQ(player.allied[q], p == q || p % 3 == q % 3 || FormatTypes[q] == PLAYER_NONE ||
                                            FormatTypes[q] == PLAYER_DEFEATED) << q;
    }
}

TEST_F(MapExport, SmallMapExportsEveryLineOfTheFormat)
{
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    g_GameMap.editor = 1;
    g_GameMap.cornerTextures[1 * 257 + 0] = 200;   // exported as a signed byte
    g_GameMap.Block(1, 2).decorationModel = 240;
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y) g_GameMap.weatherMap[x * 256 + y] = uint8_t((x + 2 * y) % 5);
    g_GameMap.weatherType = WEATHER_RAIN;
    CMapPlayerSettings& fourth = g_GameMap.playerSettings[3];
    fourth.starving = 0, fourth.technologyStates[5] = 2, fourth.unitEnabled[7] = 0;
    CBuilding* tower = g_Players[0].CreateBuilding(6, 5, 5);
    ASSERT_NE(tower, nullptr);
    dynamic_cast<CBuildingTower&>(*tower).archerCount = 2, tower->scriptTag = 7;
    ASSERT_NE(g_Players[0].CreateResource(2, 15, 2, 0, 1), nullptr);
    ASSERT_NE(g_Players[0].CreateDecorationBuilding(2, 25, 5), nullptr);
    CUnit* hero = g_Players[0].CreateUnit(1, 2, 20);
    ASSERT_NE(hero, nullptr);
    hero->customName = "Hero", hero->stance = 2;
    ASSERT_NE(g_Players[4].CreateUnit(1, 4, 22), nullptr);
    // Heights after the placing, which levels the tower's ground.
    for (int32_t x = 0; x <= Side; ++x)
        for (int32_t y = 0; y <= Side; ++y) g_GameMap.CornerHeight(x, y) = x * 1000 + y;
    const int32_t treeAmount = g_GameMap.Block(15, 2).building->GetAmount();
    const int32_t treeKind = g_GameMap.Block(15, 2).building->GetResourceKind();

    std::vector<std::string> e = {"MAP_SIZE=32,32", ""};
    for (int p = 0; p < 8; ++p) AddPlayer(e, p);
    e.insert(e.end(), {"MAP_THEME=\"Terrain\\Themes\\continental.theme\"", "(TENUMMAPTHEME)=0"});
    const CTheme& theme = g_GameMap.themeTextures;
    e.push_back("USED_TERRAIN_TEXTURES=" + std::to_string(theme.GetTextureCount()));
    for (int i = 0; i < theme.GetTextureCount(); ++i)
        e.push_back("TEXTURE_" + std::to_string(i) + "=\"" + theme.textures[size_t(i)].name.GetBuffer() + "\"");
    e.insert(e.end(), {"", "DEFAULT_CORNER_HEIGHTS"});
    AddRows(e, Side + 1, [](int32_t x, int32_t y) { return x * 1000 + y; });
    e.insert(e.end(), {"", "DEFAULT_CORNER_COLORS"});
    AddRows(e, Side + 1, [](int32_t x, int32_t y) { return g_GameMap.cornerColours[x * 257 + y]; });
    e.insert(e.end(), {"", "DEFAULT_CORNER_TEXTURES"});
    AddRows(e, Side + 1, [](int32_t x, int32_t y)
            { return x == 1 && y == 0 ? -56 : g_GameMap.cornerTextures[x * 257 + y]; });   // a signed byte
    e.insert(e.end(), {"", "FIRST_DECORATION_MODEL=236", "", "MAP_TILES"});
    for (int x = 0; x < 32; ++x)
        for (int y = 0; y < 32; ++y)
            e.insert(e.end(), {"TILE=" + std::to_string(x) + "," + std::to_string(y),
                               x == 1 && y == 2 ? "DECORATION_OBJECT=240" : "DECORATION_OBJECT=-1"});
    e.push_back("");
    e.insert(e.end(), {
        "NUMBER_OF_BUILDINGS=3",
        "BUILDING=0", "PLAYER_ID=0", "POSITION=5,5", "(TENUMBUILDCAST)=6", "(TENUMRESOURCE)=0", "(TENUMTREECAST)=0",
        "RESOURCE_AMOUNT=0", "SPECIAL_ID=7", "TOWER_ARCHER_NUM=2",
        "BUILDING=1", "PLAYER_ID=-1", "POSITION=15,2", "(TENUMBUILDCAST)=10",
        "(TENUMRESOURCE)=" + std::to_string(treeKind), "(TENUMTREECAST)=1",
        "RESOURCE_AMOUNT=" + std::to_string(treeAmount), "SPECIAL_ID=0",
        "BUILDING=2", "PLAYER_ID=-1", "POSITION=25,5", "(TENUMBUILDCAST)=18", "(TENUMRESOURCE)=0",
        "(TENUMTREECAST)=0", "RESOURCE_AMOUNT=0", "SPECIAL_ID=0", "DECORATION_BUILDING_(TENUMDECORBUILDCAST)=2",
        "",
        "NUMBER_OF_UNITS=2",
        "UNIT=0", "PLAYER_ID=0", "POSITION=2,20", "(TENUMUNITCAST)=1", "(TENUMSTANCE)=2", "SPECIAL_ID=0",
        "UNIT_CUSTOM_NAME=\"Hero\"",
        "UNIT=1", "PLAYER_ID=4", "POSITION=4,22", "(TENUMUNITCAST)=1",
        "(TENUMSTANCE)=" + std::to_string(g_GameMap.Block(4, 22).unit->stance), "SPECIAL_ID=0",
        "UNIT_CUSTOM_NAME=\"\"", "", "(TENUMWEATHER)=1", "", "WEATHER_MAP"});
    AddRows(e, Side, [](int32_t x, int32_t y) { return (x + 2 * y) % 5; });
    e.insert(e.end(), {"", "END_OF_EXPORT"});

    const std::string path = Folder() / "small.export";
    ASSERT_TRUE(g_GameMap.ExportMap(path.c_str()) && Log().Contains("Exporting map file:" + path));
    const std::vector<std::string> lines = CTestLog::SplitLines(CScratchFolder::ReadFile(path));   // CR LF ended
    ASSERT_EQ(lines.size(), e.size());
    for (size_t i = 0; i < e.size(); ++i) ASSERT_EQ(lines[i], e[i]) << "line " << i + 1;
}

// A new map, a map image and an export each end on the normal cursor (slot 0); a refused new map leaves
// the cursor it found.
TEST_F(MapExport, FailedExportIsReportedAndKeepsTheOldFileAnEmptyMapHasItsBlanksAndLongOperationsEndOnTheNormalCursor)
{
    const std::string old = Folder().Write("old.export", "old");
    EXPECT_TRUE(!g_GameMap.ExportMap(old.c_str()) && Log().Contains("Map export refused: no map is loaded"));
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    EXPECT_TRUE(!g_GameMap.ExportMap((Folder() / "missing folder/x.export").c_str()) &&
                Log().Contains("Map export could not be written") && CScratchFolder::ReadFile(old) == "old");
    ASSERT_TRUE(g_GameMap.ExportMap(old.c_str()));
    const std::vector<std::string> lines = CTestLog::SplitLines(CScratchFolder::ReadFile(old));
    const std::vector<std::string> blanks = {"NUMBER_OF_BUILDINGS=0", "", "NUMBER_OF_UNITS=0", ""};
    EXPECT_NE(std::search(lines.begin(), lines.end(), blanks.begin(), blanks.end()), lines.end());

    CCursors& cursors = g_D3D8Game.cursors;
    cursors.Init(CCursors::StartupCount, nullptr);
    const std::string path = Folder() / "cursor.export";
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"new map", [] { return g_GameMap.NewMap(Side, Side, 0, 0); }},
        {"map image", [] { CMemoryBlock block; return g_GameMap.SaveMapData(block); }},
        {"export", [&path] { return g_GameMap.ExportMap(path.c_str()); }},
        {"refused new map", [] { return !g_GameMap.NewMap(Side - 1, Side, 0, 0); }},
    };
    for (const auto& [what, operation] : cases)
    {
        cursors.SetCursor(5);
        EXPECT_TRUE(operation() && cursors.GetCurrent() == (std::string(what) == "refused new map" ? 5 : 0)) << what;
    }
    cursors.Free();
}
