// Map files read in: bad files refused keeping the map, bad records skipped, objects placed, probes and backups.

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "MapFile_Fixture.h"
#include "buildings/C_BuildingTower.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "units/C_UnitTypeTable.h"

namespace
{
using namespace MapBytes;
using namespace MapLayout;

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
        for (CMapPlayerSettings& s : g_GameMap.playerSettings)
            s.name = "";
        g_GameMap.Block(3, 3).decorationModel = StartPointMarker;
        g_GameMap.Block(9, 9).decorationModel = 250;
        CBuilding* tower = g_Players[0].CreateBuilding(6, 5, 5);
        EXPECT_NE(tower, nullptr);
        if (tower != nullptr)
            dynamic_cast<CBuildingTower&>(*tower).SetArcherCount(2);
        CUnit* unit = g_Players[1].CreateUnit(1, 20, 20);
        EXPECT_NE(unit, nullptr);
        unit->customName = "Ann";
        g_GameMap.UpdateArea(0, 0, -1, -1);
        return Save();
    }
    std::vector<uint8_t> MapWith(const Records& buildings, const Records& units = {})
    {
        return WithObjects(EmptyMap(), Side, buildings, units);
    }
};

constexpr int32_t Neutral = -1;
constexpr int32_t TreeKind = ResourceKindTree;
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
} // namespace

TEST_F(MapFileRefusals, TruncatedFilesAndBadFieldsAreRefusedWithTheirReasonAndKeepTheMap)
{
    const std::vector<uint8_t> good = MakeMap();
    std::vector<size_t> cuts = {0, 3, 8, StartCountAt, SetupsAt, SetupsAt + 1, ThemeAt, FirstModelAt,
                                BuildingsAt, BuildingsAt + 20, UnitsAt, UnitsAt + 26, good.size() - 1};
    for (size_t cut = 5; cut < good.size(); cut += 997)
        cuts.push_back(cut);
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
    for (const auto& [what, at, value, reason] : cases)
        ExpectRefused(Patched(good, at, value), good, what, reason);
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
        named[SetupsAt] = uint8_t(length);
        named.insert(named.begin() + long(SetupsAt) + 1, length, 'n');
        if (length == 240)
            ExpectRefused(named, good, "name of 240", TooLong);
        else
            EXPECT_TRUE(Load(named, 1));
    }
    EXPECT_EQ(std::strlen(g_GameMap.playerSettings[0].name), 239u);
}

TEST_F(MapFileRefusals, BadObjectRecordsAreSkippedAlone)
{
    const std::vector<uint8_t> good = MakeMap();
    const size_t tower = BuildingsAt + 4;
    const size_t unit = UnitsAt + 4;
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
        EXPECT_EQ(g_GameMap.Block(5, 5).building == nullptr, towerGone) << what;
        EXPECT_EQ(g_GameMap.Block(20, 20).unit == nullptr, !towerGone) << what;
        // The skipped unit's name is read past: the weather after it is whole.
        EXPECT_EQ(g_GameMap.weatherType, WEATHER_NONE) << what;
    }
    EXPECT_TRUE(Log().Contains("Map file: building record with a bad owner, position or cast skipped"));
    EXPECT_TRUE(Log().Contains("Map file: unit record with a bad owner, position or type skipped"));
}

TEST_F(MapFileRefusals, UnknownSetupPairsAndTexturesAreMendedAndAnOlderFirstDecorationModelShiftsTheModels)
{
    const std::vector<uint8_t> good = MakeMap();
    std::vector<uint8_t> bytes = good;
    // The first technology, unit type and building cast pairs of setup 0.
    for (const size_t at : {SetupsAt + 37, SetupsAt + 529, SetupsAt + 713})
        SetLe32(bytes, at, 99);
    bytes[ThemeAt + 4 + 8] = 200;   // the texture of corner (0, 0)
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.cornerTextures[0], g_GameMap.themeTextures.GetTextureCount() - 1);
    EXPECT_TRUE(Log().Contains("Map file: setup pairs with an unknown index skipped"));
    EXPECT_TRUE(Log().Contains("Map file: corner textures beyond the theme's set to its last texture"));
    ASSERT_TRUE(Load(Patched(good, FirstModelAt, 230), 1));
    EXPECT_EQ(g_GameMap.Block(9, 9).decorationModel, 256);
    EXPECT_EQ(g_GameMap.Block(3, 3).decorationModel, StartPointMarker + 6);
    EXPECT_EQ(g_GameMap.Block(0, 0).decorationModel, NoDecoration);
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
        EXPECT_TRUE(g_GameMap.startPointCount == 8 && last.x == 17 && last.y == 27);
        EXPECT_EQ(Log().Contains("Map file: start points beyond the eighth skipped"), starts == 9);
    }
}

TEST_F(MapFileRefusals, NamesThatDoNotFitAreRefusedWhenWriting)
{
    MakeMap();
    g_GameMap.playerSettings[4].name = std::string(239, 'a').c_str();
    CMemoryBlock block;
    EXPECT_TRUE(g_GameMap.SaveMapData(block));
    g_GameMap.playerSettings[4].scriptFile = std::string(240, 'b').c_str();
    EXPECT_FALSE(g_GameMap.SaveMapData(block));
    EXPECT_TRUE(Log().Contains("Map not saved: a player or script name is longer than 239 characters"));
    g_GameMap.playerSettings[4].scriptFile = "";
    g_GameMap.Block(20, 20).unit->customName = std::string(240, 'u').c_str();
    EXPECT_FALSE(g_GameMap.SaveMapData(block));
    EXPECT_TRUE(Log().Contains("Map not saved: a unit name is longer than 239 characters"));
}

TEST_F(MapFileRefusals, StartMarkersAndProbesOfSizeAndStartPoints)
{
    const std::vector<uint8_t> bytes = MakeMap();
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.Block(3, 3).decorationModel, StartPointMarker);
    ASSERT_TRUE(Load(bytes, 0));
    EXPECT_TRUE(g_GameMap.Block(3, 3).decorationModel == NoDecoration && g_GameMap.startPointCount == 1 &&
                g_GameMap.startPoints[0].x == 3);
    // Outside the editor the stored start points are written back.
    const std::vector<uint8_t> again = Save();
    EXPECT_TRUE(GetLe32(again, StartCountAt) == 1 && GetLe32(again, StartCountAt + 4) == 3 && g_GameMap.editor == 0);

    // The probes read a file's size and start points or report it bad.
    const std::string path = Folder().Write("Maps/probe.world", bytes);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(g_GameMap.ReadMapFileSize(path.c_str(), &w, &h) && std::pair(w, h) == std::pair(32, 32) &&
                g_GameMap.ReadMapFileStartNum(path.c_str()) == 1);
    EXPECT_TRUE(g_GameMap.MapFileHasStartPoints(path.c_str()));
    std::unique_ptr<CTexture> preview;
    EXPECT_TRUE(g_GameMap.LoadMinimapPreview(path.c_str(), preview));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->width, 32);
    // They read no more than they report: the same head on a file of 3 GiB answers alike.
    std::filesystem::resize_file(path, uintmax_t(3) << 30);
    preview.reset();
    EXPECT_TRUE(g_GameMap.ReadMapFileSize(path.c_str(), &w, &h) && std::pair(w, h) == std::pair(32, 32) &&
                g_GameMap.ReadMapFileStartNum(path.c_str()) == 1 &&
                g_GameMap.LoadMinimapPreview(path.c_str(), preview));

    const std::string missing = Folder() / "none.world";
    EXPECT_TRUE(!g_GameMap.ReadMapFileSize(missing.c_str(), &w, &h) && std::pair(w, h) == std::pair(-1, -1) &&
                g_GameMap.ReadMapFileStartNum(missing.c_str()) == 0);
    EXPECT_TRUE(Log().Contains("Map file not found"));

    const std::string cut = Folder().Write("Maps/cut.world", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100));
    EXPECT_TRUE(g_GameMap.ReadMapFileStartNum(cut.c_str()) == 0 && !g_GameMap.LoadMinimapPreview(cut.c_str(), preview));

    std::vector<uint8_t> huge = bytes;
    SetLe32(huge, 0, INT_MIN);
    SetLe32(huge, 4, INT_MIN);
    Folder().Write("Maps/cut.world", huge);
    EXPECT_EQ(g_GameMap.ReadMapFileStartNum(cut.c_str()), 0);
    EXPECT_TRUE(Log().Contains("Map file refused: the size is not 32 to 256 blocks each way"));
}

TEST_F(MapFileRefusals, SavingKeepsABackupAFailedWriteKeepsTheOldFileAndAMissingFileGivesTheDefaultMap)
{
    const std::vector<uint8_t> bytes = MakeMap();
    const std::string path = Folder().Write("Maps/keep.world", "123");
    g_Config.backupFiles = 1;
    ASSERT_TRUE(g_GameMap.SaveMap(path.c_str()));
    EXPECT_TRUE(Log().Contains("Saving map file:" + path));
    EXPECT_EQ(std::filesystem::file_size(Folder() / "Maps/keep.backup"), 3u);
    EXPECT_EQ(std::filesystem::file_size(path), bytes.size());
    // A backup the disk does not take (a folder in its place) is logged, and the map is saved all the same.
    Folder().MakeFolder("Maps/taken.backup");
    const std::string taken = Folder().Write("Maps/taken.world", "1");
    EXPECT_TRUE(g_GameMap.SaveMap(taken.c_str()) && Log().Contains("Map backup could not be written") &&
                std::filesystem::file_size(taken) == bytes.size());

    EXPECT_FALSE(g_GameMap.SaveMap((Folder() / "no such folder/x.world").c_str()));
    EXPECT_TRUE(Log().Contains("Map file could not be written"));
    // A map that cannot be written leaves the old file whole.
    g_GameMap.playerSettings[0].name = std::string(300, 'n').c_str();
    EXPECT_TRUE(!g_GameMap.SaveMap(path.c_str()) && std::filesystem::file_size(path) == bytes.size());

    // A missing file gives the default map, painted with the theme's ground texture, made 2 here.
    const std::string theme = CScratchFolder::ReadFile(Folder() / "Terrain/Themes/continental.theme");
    Folder().Write("Terrain/Themes/continental.theme", CRecordBytes::WithI32At(theme, 4, 2));
    EXPECT_TRUE(g_GameMap.LoadMap((Folder() / "absent.world").c_str(), 1));
    EXPECT_TRUE(Log().Contains("Map file not found, creating new 64x64 map"));
    EXPECT_EQ((std::vector<int32_t>{g_GameMap.width, g_GameMap.theme, g_GameMap.cornerTextures[0],
                                    g_GameMap.Block(63, 63).mixPasses[0].texture}),
              (std::vector<int32_t>{64, 0, 2, 2}));
    // A folder in the file's place is there but unreadable: the load fails with the cause, the map stays.
    EXPECT_FALSE(g_GameMap.LoadMap((Folder() / "Maps").c_str(), 1));
    EXPECT_TRUE(Log().Contains("Map file cannot be read: Is a directory") &&
                Log().Count("Map file not found, creating new 64x64 map") == 1 && g_GameMap.width == 64);
}

TEST_F(MapFilePlacement, TowersStandFinishedWithTheMapsCountOfArchersKeptInTheOwnersList)
{
    for (const auto& [stored, manned] : {std::pair{0, 1}, {3, 3}, {5, 5}, {9, 5}})
    {
        ASSERT_TRUE(Load(MapWith({BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, uint8_t(stored))}), 0));
        auto* tower = dynamic_cast<CBuildingTower*>(g_GameMap.Block(5, 5).building);
        ASSERT_NE(tower, nullptr);
        EXPECT_TRUE(tower->IsFinished());
        ASSERT_EQ(tower->archerCount, manned) << stored;
        EXPECT_EQ(g_Players[0].towerArchers.GetCount(), manned);
        for (int32_t i = 0; i < manned; ++i)
            EXPECT_TRUE(tower->archers[i] != nullptr && tower->archers[i]->GetCastID() == UNIT_TOWERARCHER &&
                        tower->archers[i]->player == 0) << i;
    }
}

TEST_F(MapFilePlacement, NeutralObjectOverAnotherRefusesTheMapAndFreesWhatWasMade)
{
    const auto tower = BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, 2);
    const auto mill = BuildingRecord(Neutral, 20, 20, CastDecoration, 0, MillDecoration, 0, 0);
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"tree on the tower", BuildingRecord(Neutral, 6, 6, CastResource, TreeKind, 0, 0, 0)},
        {"decoration on the tower", BuildingRecord(Neutral, 5, 6, CastDecoration, 0, PlainDecoration, 0, 0)},
        {"tree on the mill", BuildingRecord(Neutral, 20, 20, CastResource, TreeKind, 0, 0, 0)},
        {"mill on the mill", mill},
    };
    for (const auto& [what, over] : cases)
    {
        ASSERT_TRUE(Load(MapWith({}), 0));
        EXPECT_TRUE(!Load(MapWith({tower, mill, over}), 0) && g_GameMap.theme == NoTheme) << what;
        g_PtrGarbage.Flush();
        EXPECT_TRUE(g_Players[0].buildingCount == 0 && g_Players[0].towerArchers.GetCount() == 0) << what;
    }
    EXPECT_TRUE(Log().Contains("Map file refused: a resource site or decoration lies over another object"));

    // A block the mill's mask leaves free takes a tree.
    ASSERT_TRUE(Load(MapWith({tower, mill, BuildingRecord(Neutral, 23, 20, CastResource, TreeKind, 0, 0, 0)}), 0));
    EXPECT_EQ(g_GameMap.Block(23, 20).building->GetResourceKind(), TreeKind);
    EXPECT_EQ(g_GameMap.Block(20, 20).building->GetDecorationKind(), MillDecoration);
    // A gold mine (4 x 5) reaching off the map is skipped alone.
    ASSERT_TRUE(Load(MapWith({BuildingRecord(Neutral, 30, 20, CastResource, ResourceKindGoldMine, 0, 0, 0)}), 0));
    EXPECT_EQ(g_GameMap.Block(30, 20).building, nullptr);
}

// A castle (7 x 7) at (5, 5) and a gold mine (4 x 5) at (24, 20), then one more owned record over them
// or beside them.  Over them it is skipped with a line naming it, and nothing that stood is ended: the
// map saves back exactly as the map without that record.
TEST_F(MapFilePlacement, OwnedBuildingOverAnotherObjectIsSkippedAndEndsNothing)
{
    const Records standing = {
        BuildingRecord(0, 5, 5, CastCastle, 0, 0, 0, 0),
        BuildingRecord(Neutral, 24, 20, CastResource, ResourceKindGoldMine, 0, 0, 0)};
    const std::tuple<int32_t, int32_t, int32_t, int32_t, const char*> cases[] = {
        {1, CastHouse, 10, 10, "Map file: building of player 1 (cast 5) at 10,10 over another object skipped"},
        {1, CastHouse, 3, 4, "Map file: building of player 1 (cast 5) at 3,4 over another object skipped"},
        {2, CastTower, 26, 24, "Map file: building of player 2 (cast 6) at 26,24 over another object skipped"},
        {1, CastHouse, 12, 5, nullptr},   // beside the castle
        {2, CastTower, 26, 25, nullptr},  // beside the mine
    };
    for (const auto& [owner, cast, x, y, line] : cases)
    {
        SCOPED_TRACE(testing::Message() << "cast " << cast << " at " << x << "," << y);
        Records records = standing;
        records.push_back(BuildingRecord(owner, x, y, cast, 0, 0, 0, 1));
        ASSERT_TRUE(Load(MapWith(line != nullptr ? standing : records), 1));
        const std::vector<uint8_t> expected = Save();
        Log().Clear();
        ASSERT_TRUE(Load(MapWith(records), 1));
        const std::vector<std::string> lines = Log().Lines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.starts_with("Map file: building of"); }),
                  line != nullptr ? 1 : 0);
        EXPECT_TRUE(line == nullptr || Log().Contains(line));
        EXPECT_EQ(g_GameMap.Block(5, 5).building->GetBuildCast(), CastCastle);
        EXPECT_EQ(g_GameMap.Block(24, 20).building->GetResourceKind(), ResourceKindGold);   // the mine holds gold
        const CBuilding* added = g_GameMap.Block(x, y).building;
        EXPECT_EQ(added != nullptr && added->owner == owner && added->GetBuildCast() == cast, line == nullptr);
        EXPECT_EQ(Save(), expected);
    }
}

TEST_F(MapFilePlacement, UnitFieldsASaveWouldRefuseAreNotTaken)
{
    const std::unique_ptr<CUnit> probe(g_Players[0].UnitFactory(UNIT_WARRIOR));
    ASSERT_NE(probe, nullptr);
    const int32_t own = probe->stance;
    ASSERT_NE(own, STANCE_DEFENSIVE);
    // Block x, type and stance of the record; whether a unit is made and the stance it keeps.
    const std::tuple<const char*, int32_t, int32_t, int32_t, bool, int32_t> cases[] = {
        {"defensive", 3, UNIT_WARRIOR, STANCE_DEFENSIVE, true, STANCE_DEFENSIVE},
        {"stance 7", 3, UNIT_WARRIOR, 7, true, own}, {"stance 0", 3, UNIT_WARRIOR, 0, true, own},
        {"stance -2^31", 3, UNIT_WARRIOR, INT_MIN, true, own},
        {"galley past the edge", Side - 1, UNIT_WARGALLEY, 1, false, 0},
        {"worker on the last column", Side - 1, UNIT_WORKER, STANCE_DEFENSIVE, true, STANCE_DEFENSIVE},
    };
    for (const auto& [what, x, type, stance, made, kept] : cases)
    {
        ASSERT_TRUE(Load(MapWith({}, {UnitRecord(0, x, 4, type, stance)}), 0)) << what;
        ASSERT_EQ(g_Players[0].unitCount, made ? 1 : 0) << what;
        EXPECT_TRUE(!made || g_GameMap.Block(x, 4).unit->stance == kept) << what;
    }
    EXPECT_TRUE(Log().Contains("Map file: unknown unit stance, the unit keeps its own"));

    // A ship (2 x 2) listed after a worker that stands in its footprint, though not on its first block.
    ASSERT_TRUE(Load(MapWith({}, {UnitRecord(0, 10, 10, UNIT_WORKER, 1), UnitRecord(0, 9, 9, UNIT_TRANSPORTSHIP, 1)}),
                     0));
    ASSERT_EQ(g_Players[0].unitCount, 1);
    EXPECT_TRUE(g_GameMap.Block(10, 10).unit == g_Players[0].units[0] && g_GameMap.Block(9, 9).unit == nullptr &&
                Log().Contains("Map file: unit on an occupied block skipped"));
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
        ASSERT_TRUE(CSaveGameRun::Load(save));
        EXPECT_EQ(CSaveGameRun::SaveDrawn(), save);
        // The loaded objects keep the record's script number and archers.
        for (const std::vector<uint8_t>& record : buildings)
        {
            const CBuilding* building = g_GameMap.Block(GetLe32(record, 4), GetLe32(record, 8)).building;
            ASSERT_NE(building, nullptr);
            EXPECT_EQ(building->scriptTag, GetLe32(record, 32));
            const auto* tower = dynamic_cast<const CBuildingTower*>(building);
            EXPECT_EQ(tower != nullptr ? tower->archerCount : 0, record[36]);
        }
    }
}
