// A map with every kind of object saved, loaded and saved again; the byte layout of the file and every
// line of the text export worked out from the format by hand; the export's refusals.

#include <gtest/gtest.h>

#include <algorithm>

#include "MapFile_Fixture.h"
#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"

namespace
{
using namespace MapLayout;
using MapBytes::I32At;

using MapFileRoundTrip = MapFileTest;
using MapExport = MapFileTest;

void BuildFullMap()
{
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    g_GameMap.editor = 1;
    const int32_t textures = g_GameMap.themeTextures.GetTextureCount();
    for (int32_t x = 0; x <= Side; ++x)
        for (int32_t y = 0; y <= Side; ++y)
        {
            g_GameMap.CornerHeight(x, y) = (x * 13 + y * 7) % 20;
            g_GameMap.cornerTextures[x * MapCornerSide + y] = uint8_t((x + y) % textures);
            if (x < Side && y < Side)
                g_GameMap.weatherMap[x * MapBlockSide + y] = uint8_t((x * 3 + y) % 7);
        }
    g_GameMap.weatherType = WEATHER_SNOW;
    g_GameMap.UpdateArea(0, 0, -1, -1);
    g_GameMap.Block(20, 20).decorationModel = 240;
    g_GameMap.Block(21, 3).decorationModel = 300;
    g_GameMap.Block(3, 3).decorationModel = StartPointMarker;
    g_GameMap.Block(28, 27).decorationModel = StartPointMarker;
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        CMapPlayerSettings& s = g_GameMap.playerSettings[p];
        s.name = ("Lord " + std::to_string(p)).c_str();
        s.scriptFile = p == 2 ? "ai\\hard.scr" : "";
        s.playerType = p < 3 ? 1 + p % 2 : 0;
        s.colourScheme = 7 - p;
        s.team = p % 3;
        s.initialWood = 100 + p;
        s.initialStone = 200 + p;
        s.initialGold = 300 + p;
        s.starving = uint8_t(p % 2);
        s.populationLimit = 50 + p;
        for (int32_t i = 0; i < CMapPlayerSettings::TechnologyStateCount; ++i)
            s.technologyStates[i] = (i + p) % 3;
        for (int32_t i = 0; i < CMapPlayerSettings::UnitFlagCount; ++i)
            s.unitEnabled[i] = uint8_t((i + p) % 2);
        for (int32_t i = 0; i < CMapPlayerSettings::BuildingFlagCount; ++i)
            s.buildingEnabled[i] = uint8_t((i * p) % 2);
        s.startViewX = p * 3;
        s.startViewY = 31 - p;
    }
    CPlayer& local = g_Players[0];
    CBuilding* const tagged[] = {local.CreateBuilding(6, 5, 5), g_Players[1].CreateBuilding(11, 10, 12),
                                 local.CreateResource(2, 15, 2, 0, 1), local.CreateDecorationBuilding(2, 25, 5)};
    for (int32_t i = 0; i < 4; ++i)
    {
        ASSERT_NE(tagged[i], nullptr) << i;
        tagged[i]->scriptTag = 11 + i;
    }
    dynamic_cast<CBuildingTower&>(*tagged[0]).SetArcherCount(3);
    ASSERT_NE(local.CreateResource(3, 17, 2, 0, 0), nullptr);
    ASSERT_NE(local.CreateResource(4, 24, 14, 777, 0), nullptr);
    CUnit* hero = local.CreateUnit(1, 2, 20);
    ASSERT_NE(hero, nullptr);
    hero->customName = "Hero";
    hero->specialId = 21;
    hero->stance = 2;
    CUnit* soldier = g_Players[2].CreateUnit(2, 4, 22);
    ASSERT_NE(soldier, nullptr);
    soldier->stance = 1;
    // As the editor does after placing: the shades take in the objects.
    g_GameMap.UpdateArea(0, 0, -1, -1);
}

using MapExport = MapFileTest;

// The lines of an exported file, each ended by CR LF.
std::vector<std::string> ExportLines(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return CTestLog::SplitLines(std::string(bytes.begin(), bytes.end()));
}

// A grid section: "ROW_y=" and the values of x = 0 .. side - 1, comma separated.
template <typename Value> void AddRows(std::vector<std::string>& e, int32_t side, Value value)
{
    for (int32_t y = 0; y < side; ++y)
    {
        std::string row = "ROW_" + std::to_string(y) + "=";
        for (int32_t x = 0; x < side; ++x)
            row += (x ? "," : "") + std::to_string(value(x, y));
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
    {
        e.push_back("TECHNOLOGY_ID=" + std::to_string(i));
        e.push_back(p == 3 && i == 5 ? "(TENUMTECHSTATE)=2" : "(TENUMTECHSTATE)=0");
    }
    e.push_back("MAX_UNITCAST_NUM=36");
    for (int i = 0; i < 36; ++i)
    {
        e.push_back("(TENUMUNITCAST)=" + std::to_string(i));
        e.push_back(p == 3 && i == 7 ? "UNIT_ENABLED=FALSE" : "UNIT_ENABLED=TRUE");
    }
    e.push_back("MAX_BUILDCAST_NUM=19");
    for (int i = 0; i < 19; ++i)
    {
        e.push_back("(TENUMBUILDCAST)=" + std::to_string(i));
        e.push_back("BUILDING_ENABLED=TRUE");
    }
    e.insert(e.end(), {"STARTING_VIEW_POSITION=0,0", ""});
}
} // namespace

TEST_F(MapFileRoundTrip, MapWithEveryKindOfObjectSavesLoadsAndSavesAgainByteForByte)
{
    BuildFullMap();
    const std::vector<uint8_t> first = Save();
    ASSERT_TRUE(Load(first, 1));
    const std::vector<uint8_t> second = Save();
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(first[i], second[i]) << "first difference at byte " << i;

    int32_t buildings = 0, units = 0;
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
        {
            const SMapBlock& b = g_GameMap.Block(x, y);
            buildings += b.building != nullptr && b.building->x == x && b.building->y == y;
            units += b.unit != nullptr && b.unit->x == x && b.unit->y == y;
        }
    EXPECT_EQ(buildings, 6);
    EXPECT_EQ(units, 2);
    EXPECT_EQ(g_GameMap.startPointCount, 2);
    EXPECT_STREQ(g_GameMap.Block(2, 20).unit->customName, "Hero");
    EXPECT_EQ(g_GameMap.Block(2, 20).unit->specialId, 21);
    EXPECT_EQ(dynamic_cast<CBuildingTower&>(*g_GameMap.Block(5, 5).building).archerCount, 3);
    EXPECT_EQ(g_GameMap.Block(24, 14).building->GetAmount(), 777);
    EXPECT_EQ(g_GameMap.Block(25, 5).building->GetDecorationKind(), 2);
    EXPECT_EQ(g_GameMap.Block(20, 20).decorationModel, 240);
    EXPECT_EQ(g_GameMap.Block(3, 3).decorationModel, StartPointMarker);
    EXPECT_EQ(g_GameMap.weatherType, WEATHER_SNOW);
    EXPECT_STREQ(g_GameMap.playerSettings[2].scriptFile, "ai\\hard.scr");
    EXPECT_EQ(g_GameMap.playerSettings[5].technologyStates[7], 0);
    EXPECT_TRUE(Log().Has("Loading buildings"));
}

TEST_F(MapFileRoundTrip, EmptyMapHasTheLayoutOfTheFormat)
{
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    g_GameMap.editor = 1;
    for (CMapPlayerSettings& s : g_GameMap.playerSettings)
        s.name = "";
    const std::vector<uint8_t> bytes = Save();
    ASSERT_EQ(bytes.size(), 26601u);
    const size_t setup = StartCountAt + 4;
    const size_t theme = setup + 8 * EmptySetupBytes;
    const size_t blocks = theme + 4 + CornerBytes + 4;
    const size_t objects = blocks + BlockBytes;
    // Setup: name and script lengths with their zeros, type 1 (local human),
    // wood, starving, population, 61 technologies, 36 unit and 19 building casts.
    EXPECT_EQ(bytes[setup] | bytes[setup + 1] | bytes[setup + 2] | bytes[setup + 3], 0);
    EXPECT_EQ(bytes[setup + 28], 1);
    EXPECT_EQ(bytes[blocks + 5], 0xFF);   // no decoration
    EXPECT_EQ(bytes[blocks + 6], 0xFF);
    const std::pair<size_t, int32_t> fields[] = {
        {0, 32}, {4, 32}, {StartCountAt, 0}, {setup + 4, 1}, {setup + 16, 1000}, {setup + 29, 256},
        {setup + 33, 61}, {setup + 37 + 60 * 8, 60}, {setup + 525, 36}, {setup + 709, 19}, {theme, 0},
        {blocks - 4, 236}, {objects, 0}, {objects + 4, 0}, {objects + 8, WEATHER_NONE}};
    for (const auto& [at, value] : fields)
        EXPECT_EQ(I32At(bytes, at), value) << "at byte " << at;
}

TEST_F(MapExport, SmallMapExportsEveryLineOfTheFormat)
{
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    g_GameMap.editor = 1;
    g_GameMap.cornerTextures[1 * 257 + 0] = 200;   // exported as a signed byte
    g_GameMap.Block(1, 2).decorationModel = 240;
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
            g_GameMap.weatherMap[x * 256 + y] = uint8_t((x + 2 * y) % 5);
    g_GameMap.weatherType = WEATHER_RAIN;
    CMapPlayerSettings& fourth = g_GameMap.playerSettings[3];
    fourth.starving = 0;
    fourth.technologyStates[5] = 2;
    fourth.unitEnabled[7] = 0;
    CBuilding* tower = g_Players[0].CreateBuilding(6, 5, 5);
    ASSERT_NE(tower, nullptr);
    dynamic_cast<CBuildingTower&>(*tower).archerCount = 2;
    tower->scriptTag = 7;
    ASSERT_NE(g_Players[0].CreateResource(2, 15, 2, 0, 1), nullptr);
    ASSERT_NE(g_Players[0].CreateDecorationBuilding(2, 25, 5), nullptr);
    CUnit* hero = g_Players[0].CreateUnit(1, 2, 20);
    ASSERT_NE(hero, nullptr);
    hero->customName = "Hero";
    hero->stance = 2;
    ASSERT_NE(g_Players[4].CreateUnit(1, 4, 22), nullptr);
    // Heights after the placing, which levels the tower's ground.
    for (int32_t x = 0; x <= Side; ++x)
        for (int32_t y = 0; y <= Side; ++y)
            g_GameMap.CornerHeight(x, y) = x * 1000 + y;
    const int32_t treeAmount = g_GameMap.Block(15, 2).building->GetAmount();
    const int32_t treeKind = g_GameMap.Block(15, 2).building->GetResourceKind();

    std::vector<std::string> e = {"MAP_SIZE=32,32", ""};
    for (int p = 0; p < 8; ++p)
        AddPlayer(e, p);
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
        {
            e.push_back("TILE=" + std::to_string(x) + "," + std::to_string(y));
            e.push_back(x == 1 && y == 2 ? "DECORATION_OBJECT=240" : "DECORATION_OBJECT=-1");
        }
    e.push_back("");
    const std::vector<std::string> objects = {
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
        "UNIT_CUSTOM_NAME=\"\"",
        "",
        "(TENUMWEATHER)=1", "", "WEATHER_MAP"};
    e.insert(e.end(), objects.begin(), objects.end());
    AddRows(e, Side, [](int32_t x, int32_t y) { return (x + 2 * y) % 5; });
    e.insert(e.end(), {"", "END_OF_EXPORT"});

    const std::string path = Folder().File("small.export");
    ASSERT_TRUE(g_GameMap.ExportMap(path.c_str()));
    EXPECT_TRUE(Log().Has("Exporting map file:" + path));
    const std::vector<std::string> lines = ExportLines(path);
    ASSERT_EQ(lines.size(), e.size());
    for (size_t i = 0; i < e.size(); ++i)
        ASSERT_EQ(lines[i], e[i]) << "line " << i + 1;
}

TEST_F(MapExport, FailedExportIsReportedAndKeepsTheOldFileAndAnEmptyMapHasItsBlanks)
{
    const std::string path = Folder().File("old.export");
    WriteBytes(path, {'o', 'l', 'd'});
    EXPECT_FALSE(g_GameMap.ExportMap(path.c_str()));   // no map loaded
    EXPECT_TRUE(Log().Has("Map export refused: no map is loaded"));
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    EXPECT_FALSE(g_GameMap.ExportMap((Folder().Path() + "/missing folder/x.export").c_str()));
    EXPECT_TRUE(Log().Has("Map export could not be written"));
    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({'o', 'l', 'd'}));

    ASSERT_TRUE(g_GameMap.ExportMap(path.c_str()));
    const std::vector<std::string> lines = ExportLines(path);
    const std::vector<std::string> blanks = {"NUMBER_OF_BUILDINGS=0", "", "NUMBER_OF_UNITS=0", ""};
    EXPECT_NE(std::search(lines.begin(), lines.end(), blanks.begin(), blanks.end()), lines.end());
}
