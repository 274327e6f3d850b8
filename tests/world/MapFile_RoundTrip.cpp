// A map laid out by hand from the format, loaded and saved back byte for byte, and its text export line by line.

#include <functional>

#include "MapFile_Fixture.h"
#include "core/C_D3D8Game.h"
#include "buildings/C_BuildingTower.h"
#include "units/C_UnitTypeTable.h"

namespace
{
using namespace MapLayout;

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

// A 32 x 32 map image laid out field by field as the format gives it: flat land, corner textures 1 to 3, a start
// point with its marker, eight setups (one with a script), the objects above, a named and an unnamed worker, rain.
std::string FormatMap()
{
    CRecordBytes m;
    m.I32(Side).I32(Side);
    for (int32_t i = 0; i < Side * Side; ++i)
        m.U8(uint8_t(i)).U8(uint8_t(i / 7));   // a 16-bit preview pixel
    m.I32(1).I32(3).I32(3);
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const std::string name = "Lord " + std::to_string(p);
        const std::string script = p == 2 ? "ai\\hard.scr" : "";
        m.U8(uint8_t(name.size())).Text(name).U8(0).U8(uint8_t(script.size())).Text(script).U8(0);
        m.I32(p == 0 ? 1 : 2).I32(7 - p).I32(p % 3).I32(100 + p).I32(200 + p).I32(300 + p);
        m.U8(uint8_t(p % 2)).I32(50 + p).I32(61);
        for (int32_t i = 0; i < 61; ++i)
            m.I32(i).I32((i + p) % 3);
        m.I32(36);
        for (int32_t i = 0; i < 36; ++i)
            m.I32(i).U8(uint8_t((i + p) % 2));
        m.I32(19);
        for (int32_t i = 0; i < 19; ++i)
            m.I32(i).U8(uint8_t((i * p) % 2));
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
    m.I32(2);
    m.I32(0).I32(20).I32(5).I32(UNIT_WORKER).I32(2).I32(21).U8(1).I32(3).Text("Ann").U8(0);
    m.I32(2).I32(22).I32(8).I32(UNIT_WORKER).I32(1).I32(0).U8(0);
    m.I32(WEATHER_RAIN);
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
            m.U8(uint8_t((x * 3 + y) % 7));
    return m.Bytes();
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
        e.insert(e.end(), {"TECHNOLOGY_ID=" + std::to_string(i),
                           p == 3 && i == 5 ? "(TENUMTECHSTATE)=2" : "(TENUMTECHSTATE)=0"});
    e.push_back("MAX_UNITCAST_NUM=36");
    for (int i = 0; i < 36; ++i)
        e.insert(e.end(), {"(TENUMUNITCAST)=" + std::to_string(i),
                           p == 3 && i == 7 ? "UNIT_ENABLED=FALSE" : "UNIT_ENABLED=TRUE"});
    e.push_back("MAX_BUILDCAST_NUM=19");
    for (int i = 0; i < 19; ++i)
        e.insert(e.end(), {"(TENUMBUILDCAST)=" + std::to_string(i), "BUILDING_ENABLED=TRUE"});
    e.insert(e.end(), {"STARTING_VIEW_POSITION=0,0", ""});
}
} // namespace

// A map written straight from the format, not by the game's writer, loads in the editor and is saved
// back byte for byte: the corner textures under the buildings, which placing them repaints, included.
TEST_F(MapFileRoundTrip, MapWrittenFromTheFormatSavesBackToTheSameBytes)
{
    const std::string image = FormatMap();
    const std::vector<uint8_t> bytes(image.begin(), image.end());
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.cornerTextures[5 * MapCornerSide + 5], 0) << "the castle stands on texture 0";
    EXPECT_EQ(dynamic_cast<CBuildingTower&>(*g_GameMap.Block(20, 12).building).archerCount, 3);
    const std::vector<uint8_t> saved = Save();
    ASSERT_EQ(saved.size(), bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(saved[i], bytes[i]) << "first difference at byte " << i;
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
        "UNIT_CUSTOM_NAME=\"\"",
        "",
        "(TENUMWEATHER)=1", "", "WEATHER_MAP"});
    AddRows(e, Side, [](int32_t x, int32_t y) { return (x + 2 * y) % 5; });
    e.insert(e.end(), {"", "END_OF_EXPORT"});

    const std::string path = Folder() / "small.export";
    ASSERT_TRUE(g_GameMap.ExportMap(path.c_str()));
    EXPECT_TRUE(Log().Contains("Exporting map file:" + path));
    const std::vector<std::string> lines = CTestLog::SplitLines(CScratchFolder::ReadFile(path));   // CR LF ended
    ASSERT_EQ(lines.size(), e.size());
    for (size_t i = 0; i < e.size(); ++i)
        ASSERT_EQ(lines[i], e[i]) << "line " << i + 1;
}

TEST_F(MapExport, FailedExportIsReportedAndKeepsTheOldFileAndAnEmptyMapHasItsBlanks)
{
    const std::string path = Folder().Write("old.export", "old");
    EXPECT_FALSE(g_GameMap.ExportMap(path.c_str()));   // no map loaded
    EXPECT_TRUE(Log().Contains("Map export refused: no map is loaded"));
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    EXPECT_FALSE(g_GameMap.ExportMap((Folder() / "missing folder/x.export").c_str()));
    EXPECT_TRUE(Log().Contains("Map export could not be written"));
    EXPECT_EQ(CScratchFolder::ReadFile(path), "old");

    ASSERT_TRUE(g_GameMap.ExportMap(path.c_str()));
    const std::vector<std::string> lines = CTestLog::SplitLines(CScratchFolder::ReadFile(path));
    const std::vector<std::string> blanks = {"NUMBER_OF_BUILDINGS=0", "", "NUMBER_OF_UNITS=0", ""};
    EXPECT_NE(std::search(lines.begin(), lines.end(), blanks.begin(), blanks.end()), lines.end());
}

// A new map, a map image and an export each end on the normal cursor (slot 0); a refused new map leaves
// the cursor it found.
TEST_F(MapExport, LongMapOperationsEndOnTheNormalCursor)
{
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
        EXPECT_TRUE(operation()) << what;
        EXPECT_EQ(cursors.GetCurrent(), std::string(what) == "refused new map" ? 5 : 0) << what;
    }
    cursors.Free();
}
