// The map text export: every line of a small map against the layout of the
// format, written out here line by line, and the refusals.

#include <gtest/gtest.h>

#include <fstream>

#include "MapFile_Fixture.h"
#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t Side = 32;

using MapExport = MapFileTest;

std::vector<std::string> ReadCrLfLines(const std::string& path, bool& allCrLf)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    allCrLf = true;
    while (std::getline(in, line))
    {
        if (line.empty() || line.back() != '\r')
            allCrLf = false;
        else
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
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
    e.push_back("DEFAULTS_FOR_PLAYER=" + std::to_string(p));
    e.push_back("NAME=\"Player " + std::to_string(p + 1) + "\"");
    e.push_back("SCRIPT=\"\"");
    e.push_back("(TENUMPLAYERTYPE)=1");
    e.push_back("COLOR_SCHEME_ID=" + std::to_string(p));
    e.push_back("TEAM_ID=0");
    e.push_back("INITIAL_WOOD=1000");
    e.push_back("INITIAL_STONE=1000");
    e.push_back("INITIAL_GOLD=1000");
    e.push_back(p == 3 ? "ENABLE_STARVING=FALSE" : "ENABLE_STARVING=TRUE");
    e.push_back("POPULATION_LIMIT=256");
    e.push_back("MAX_TEHCNOLOGY_NUM=61");
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
    e.push_back("STARTING_VIEW_POSITION=0,0");
    e.push_back("");
}
} // namespace

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
    const int32_t treeAmount = g_GameMap.Block(15, 2).building->GetResourceAmount();
    const int32_t treeKind = g_GameMap.Block(15, 2).building->GetResourceKind();

    std::vector<std::string> e = {"MAP_SIZE=32,32", ""};
    for (int p = 0; p < 8; ++p)
        AddPlayer(e, p);
    e.push_back("MAP_THEME=\"Terrain\\Themes\\continental.theme\"");
    e.push_back("(TENUMMAPTHEME)=0");
    const CTheme& theme = g_GameMap.themeTextures;
    e.push_back("USED_TERRAIN_TEXTURES=" + std::to_string(theme.GetTextureCount()));
    for (int i = 0; i < theme.GetTextureCount(); ++i)
        e.push_back("TEXTURE_" + std::to_string(i) + "=\"" + theme.textures[size_t(i)].name.GetBuffer() + "\"");
    e.push_back("");
    e.push_back("DEFAULT_CORNER_HEIGHTS");
    AddRows(e, Side + 1, [](int32_t x, int32_t y) { return x * 1000 + y; });
    e.push_back("");
    e.push_back("DEFAULT_CORNER_COLORS");
    AddRows(e, Side + 1, [](int32_t x, int32_t y) { return g_GameMap.cornerColours[x * 257 + y]; });
    e.push_back("");
    e.push_back("DEFAULT_CORNER_TEXTURES");
    AddRows(e, Side + 1, [](int32_t x, int32_t y)
            { return x == 1 && y == 0 ? -56 : g_GameMap.cornerTextures[x * 257 + y]; });   // a signed byte
    e.push_back("");
    e.push_back("FIRST_DECORATION_MODEL=236");
    e.push_back("");
    e.push_back("MAP_TILES");
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
    e.push_back("");
    e.push_back("END_OF_EXPORT");

    const std::string path = Folder().File("small.export");
    ASSERT_TRUE(g_GameMap.ExportMap(path.c_str()));
    EXPECT_TRUE(Log().Has("Exporting map file:" + path));
    bool allCrLf = false;
    const std::vector<std::string> lines = ReadCrLfLines(path, allCrLf);
    EXPECT_TRUE(allCrLf);
    ASSERT_EQ(lines.size(), e.size());
    for (size_t i = 0; i < e.size(); ++i)
        ASSERT_EQ(lines[i], e[i]) << "line " << i + 1;
    // Each player block: 247 lines and the blank.
    EXPECT_EQ(lines[2 + 247], "");
    EXPECT_EQ(lines[2 + 248], "DEFAULTS_FOR_PLAYER=1");
}

TEST_F(MapExport, MapWithoutBuildingsHasTheBlankRightAfterTheCount)
{
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    const std::string path = Folder().File("empty.export");
    ASSERT_TRUE(g_GameMap.ExportMap(path.c_str()));
    bool allCrLf = false;
    const std::vector<std::string> lines = ReadCrLfLines(path, allCrLf);
    const auto count = std::find(lines.begin(), lines.end(), "NUMBER_OF_BUILDINGS=0");
    ASSERT_NE(count, lines.end());
    EXPECT_EQ(*(count + 1), "");
    EXPECT_EQ(*(count + 2), "NUMBER_OF_UNITS=0");
    EXPECT_EQ(*(count + 3), "");
}

TEST_F(MapExport, FailedExportIsReportedAndKeepsTheOldFile)
{
    const std::string path = Folder().File("old.export");
    WriteBytes(path, {'o', 'l', 'd'});
    EXPECT_FALSE(g_GameMap.ExportMap(path.c_str()));   // no map loaded
    EXPECT_TRUE(Log().Has("Map export refused: no map is loaded"));
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    EXPECT_FALSE(g_GameMap.ExportMap((Folder().Path() + "/missing folder/x.export").c_str()));
    EXPECT_TRUE(Log().Has("Map export could not be written"));
    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({'o', 'l', 'd'}));
}
