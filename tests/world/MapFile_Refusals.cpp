// Damaged and crafted map files: refused with a log line and the present
// map left as it was, or, for a single bad object record, that record
// skipped.  Also the decoration shift, the start-point markers, the probes
// and writing through a temporary file with the ".backup" copy.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "MapFile_Fixture.h"
#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t Side = 32;
constexpr size_t PreviewBytes = 32 * 32 * 2;
constexpr size_t CornerBytes = 33 * 33 * 9;
constexpr size_t BlockBytes = 32 * 32 * 7;
constexpr size_t StartCountAt = 8 + PreviewBytes;

class MapFileRefusals : public MapFileTest
{
protected:
    // A 32 x 32 map with one start marker, one decoration model, a tower of
    // player 0 and a named worker of player 1; empty setup names so that
    // the offsets below are those of 816-byte setups.
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
    static size_t SetupsAt() { return StartCountAt + 4 + 8; }
    static size_t ThemeAt() { return SetupsAt() + 8 * 816; }
    static size_t FirstModelAt() { return ThemeAt() + 4 + CornerBytes; }
    static size_t BuildingsAt() { return FirstModelAt() + 4 + BlockBytes; }
    static size_t UnitsAt() { return BuildingsAt() + 4 + 40; }

    // The load must fail and leave the map exactly as the saved image says.
    void ExpectRefused(const std::vector<uint8_t>& bad, const std::vector<uint8_t>& good, const std::string& what)
    {
        EXPECT_FALSE(Load(bad, 1)) << what;
        EXPECT_EQ(Save(), good) << what;
    }
};
} // namespace

TEST_F(MapFileRefusals, TruncatedFilesAreRefusedAndKeepTheMap)
{
    const std::vector<uint8_t> good = MakeMap();
    std::vector<size_t> cuts = {0, 3, 8, StartCountAt, SetupsAt(), SetupsAt() + 1, ThemeAt(), FirstModelAt(),
                                BuildingsAt(), BuildingsAt() + 20, UnitsAt(), UnitsAt() + 26, good.size() - 1};
    for (size_t cut = 5; cut < good.size(); cut += 997)
        cuts.push_back(cut);
    for (size_t cut : cuts)
        ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + long(cut)), good,
                      "cut at " + std::to_string(cut));
    EXPECT_TRUE(Log().HasStart("Map file refused: "));
}

TEST_F(MapFileRefusals, BadFieldsAreRefusedAndKeepTheMap)
{
    const std::vector<uint8_t> good = MakeMap();
    struct SCase
    {
        const char* what;
        size_t at;
        int32_t value;
    };
    const SCase cases[] = {
        {"width 0", 0, 0},
        {"width 31", 0, 31},
        {"width 257", 0, 257},
        {"height -1", 4, -1},
        {"start count -1", StartCountAt, -1},
        {"start count 2^31-1", StartCountAt, 0x7FFFFFFF},
        {"player type 5", SetupsAt() + 4, 5},
        {"colour scheme 8", SetupsAt() + 8, 8},
        {"team -1", SetupsAt() + 12, -1},
        {"team 9", SetupsAt() + 12, 9},
        {"technology count -1", SetupsAt() + 33, -1},
        {"technology count huge", SetupsAt() + 33, 0x10000000},
        {"theme 4", ThemeAt(), 4},
        {"theme -1", ThemeAt(), -1},
        {"building count -1", BuildingsAt(), -1},
        {"building count huge", BuildingsAt(), 1000000},
        {"unit count huge", UnitsAt(), 1000000},
        {"unit name length -1", UnitsAt() + 4 + 25, -1},
        {"unit name length huge", UnitsAt() + 4 + 25, 0x7FFFFFFF},
        {"unit name length 240", UnitsAt() + 4 + 25, 240},
    };
    for (const SCase& c : cases)
    {
        std::vector<uint8_t> bad = good;
        PutI32(bad, c.at, c.value);
        ExpectRefused(bad, good, c.what);
    }
    for (int length = 240; length <= 255; ++length)
    {
        std::vector<uint8_t> bad = good;
        bad[SetupsAt()] = uint8_t(length);
        ExpectRefused(bad, good, "name length " + std::to_string(length));
    }
    std::vector<uint8_t> noZero = good;
    noZero[SetupsAt() + 1] = 'x';
    ExpectRefused(noZero, good, "name without its zero");
}

TEST_F(MapFileRefusals, FlippedBitsNeverBreakTheReader)
{
    const std::vector<uint8_t> good = MakeMap();
    std::mt19937 random(7);
    for (int i = 0; i < 40; ++i)
    {
        std::vector<uint8_t> bad = good;
        for (int flips = 0; flips < 4; ++flips)
        {
            const size_t at = random() % bad.size();
            bad[at] ^= uint8_t(1u << (random() % 8));
        }
        if (!Load(bad, 1))
        {
            const std::vector<uint8_t> now = Save();
            ASSERT_EQ(now.size(), good.size()) << i;
            for (size_t b = 0; b < now.size(); ++b)
                ASSERT_EQ(now[b], good[b]) << "flip round " << i << " byte " << b;
        }
        else
        {
            EXPECT_GE(g_GameMap.width, 32);
            EXPECT_LE(g_GameMap.width, 256);
            ASSERT_TRUE(Load(good, 1));
        }
    }
}

TEST_F(MapFileRefusals, BadObjectRecordsAreSkippedAlone)
{
    const std::vector<uint8_t> good = MakeMap();
    const size_t tower = BuildingsAt() + 4;
    const size_t unit = UnitsAt() + 4;
    struct SCase
    {
        const char* what;
        size_t at;
        int32_t value;
        bool towerGone;
    };
    const SCase cases[] = {
        {"building owner 8", tower, 8, true},   {"building owner -2", tower, -2, true},
        {"building x off the map", tower + 4, 32, true}, {"building y -1", tower + 8, -1, true},
        {"building cast 99", tower + 12, 99, true},     {"owner -1 with cast 6", tower, -1, true},
        {"owned resource site", tower + 12, 10, true},  {"unit owner 8", unit, 8, false},
        {"unit x off the map", unit + 4, 40, false},    {"unit type 99", unit + 12, 99, false},
        {"unit type -5", unit + 12, -5, false},
    };
    for (const SCase& c : cases)
    {
        std::vector<uint8_t> bad = good;
        PutI32(bad, c.at, c.value);
        ASSERT_TRUE(Load(bad, 1)) << c.what;
        EXPECT_EQ(g_GameMap.Block(5, 5).building == nullptr, c.towerGone) << c.what;
        EXPECT_EQ(g_GameMap.Block(20, 20).unit == nullptr, !c.towerGone) << c.what;
    }
    EXPECT_TRUE(Log().Has("Map file: building record with a bad owner, position or cast skipped"));
    EXPECT_TRUE(Log().Has("Map file: unit record with a bad owner, position or type skipped"));
}

TEST_F(MapFileRefusals, UnownedUnitConsumesItsNameAndCreatesNothing)
{
    std::vector<uint8_t> bytes = MakeMap();
    PutI32(bytes, UnitsAt() + 4, -1);
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.Block(20, 20).unit, nullptr);
    EXPECT_EQ(g_GameMap.weatherType, WEATHER_NONE);   // read after the name
    EXPECT_EQ(g_Players[1].unitCount, 0);
}

TEST_F(MapFileRefusals, OlderFirstDecorationModelShiftsTheModels)
{
    std::vector<uint8_t> bytes = MakeMap();
    PutI32(bytes, FirstModelAt(), 230);
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.Block(9, 9).decorationModel, 256);
    EXPECT_EQ(g_GameMap.Block(3, 3).decorationModel, StartPointMarker + 6);
    EXPECT_EQ(g_GameMap.Block(0, 0).decorationModel, NoDecoration);
    // A model pushed below 0 or past the model slots is dropped.
    PutI32(bytes, FirstModelAt(), 236 + 251);
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.Block(9, 9).decorationModel, NoDecoration);
    EXPECT_TRUE(Log().Has("Map file: decoration models out of range removed"));
}

TEST_F(MapFileRefusals, StartMarkerStaysInTheEditorAndGoesInAGame)
{
    const std::vector<uint8_t> bytes = MakeMap();
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.Block(3, 3).decorationModel, StartPointMarker);
    ASSERT_TRUE(Load(bytes, 0));
    EXPECT_EQ(g_GameMap.Block(3, 3).decorationModel, NoDecoration);
    EXPECT_EQ(g_GameMap.startPointCount, 1);
    EXPECT_EQ(g_GameMap.startPoints[0].x, 3);
    // Outside the editor the stored start points are written back.
    g_GameMap.editor = 0;
    const std::vector<uint8_t> again = Save();
    EXPECT_EQ(I32At(again, StartCountAt), 1);
    EXPECT_EQ(I32At(again, StartCountAt + 4), 3);
    EXPECT_EQ(g_GameMap.editor, 0);
}

TEST_F(MapFileRefusals, NamesThatDoNotFitAreRefusedWhenWriting)
{
    MakeMap();
    g_GameMap.playerSettings[4].name = std::string(239, 'a').c_str();
    CMemoryBlock fits;
    EXPECT_TRUE(g_GameMap.SaveMapData(fits));
    g_GameMap.playerSettings[4].scriptFile = std::string(240, 'b').c_str();
    CMemoryBlock refused;
    EXPECT_FALSE(g_GameMap.SaveMapData(refused));
    EXPECT_TRUE(Log().Has("Map not saved: a player or script name is longer than 239 characters"));
    g_GameMap.playerSettings[4].scriptFile = "";
    g_GameMap.Block(20, 20).unit->customName = std::string(240, 'u').c_str();
    CMemoryBlock unitRefused;
    EXPECT_FALSE(g_GameMap.SaveMapData(unitRefused));
    EXPECT_TRUE(Log().Has("Map not saved: a unit name is longer than 239 characters"));
}

TEST_F(MapFileRefusals, ProbesReadSizeAndStartPointsOrReportMissingFiles)
{
    const std::vector<uint8_t> bytes = MakeMap();
    const std::string path = Folder().File("Maps/probe.world");
    WriteBytes(path, bytes);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(g_GameMap.ReadMapFileSize(path.c_str(), &w, &h));
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(g_GameMap.ReadMapFileStartNum(path.c_str()), 1);
    EXPECT_TRUE(g_GameMap.MapFileHasStartPoints(path.c_str()));
    std::unique_ptr<CTexture> preview;
    EXPECT_TRUE(g_GameMap.LoadMinimapPreview(path.c_str(), preview));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->width, 32);

    const std::string missing = Folder().Path() + "/none.world";
    EXPECT_FALSE(g_GameMap.ReadMapFileSize(missing.c_str(), &w, &h));
    EXPECT_EQ(w, -1);
    EXPECT_EQ(h, -1);
    EXPECT_EQ(g_GameMap.ReadMapFileStartNum(missing.c_str()), 0);
    EXPECT_TRUE(Log().Has("Map file not found"));

    const std::string cut = Folder().File("Maps/cut.world");
    WriteBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100));
    EXPECT_EQ(g_GameMap.ReadMapFileStartNum(cut.c_str()), 0);
    EXPECT_FALSE(g_GameMap.LoadMinimapPreview(cut.c_str(), preview));
}

TEST_F(MapFileRefusals, SavingKeepsABackupAndAFailedWriteKeepsTheOldFile)
{
    const std::vector<uint8_t> bytes = MakeMap();
    const std::string path = Folder().File("Maps/keep.world");
    WriteBytes(path, {1, 2, 3});
    g_Config.backupFiles = 1;
    ASSERT_TRUE(g_GameMap.SaveMap(path.c_str()));
    EXPECT_TRUE(Log().Has("Saving map file:" + path));
    const std::string backup = Folder().Path() + "/Maps/keep.backup";
    EXPECT_EQ(std::filesystem::file_size(backup), 3u);
    EXPECT_EQ(std::filesystem::file_size(path), bytes.size());

    const std::string unwritable = Folder().Path() + "/no such folder/x.world";
    EXPECT_FALSE(g_GameMap.SaveMap(unwritable.c_str()));
    EXPECT_TRUE(Log().Has("Map file could not be written"));

    // A map that cannot be written leaves the old file whole.
    g_GameMap.playerSettings[0].name = std::string(300, 'n').c_str();
    EXPECT_FALSE(g_GameMap.SaveMap(path.c_str()));
    EXPECT_EQ(std::filesystem::file_size(path), bytes.size());
}

TEST_F(MapFileRefusals, MissingFileGivesTheDefaultMap)
{
    EXPECT_TRUE(g_GameMap.LoadMap((Folder().Path() + "/absent.world").c_str(), 1));
    EXPECT_TRUE(Log().Has("Map file not found, creating new 64x64 map"));
    EXPECT_EQ(g_GameMap.width, 64);
    EXPECT_EQ(g_GameMap.theme, 0);
}
