// Theme files: what a good file gives the map, the sizes of the terrain
// textures by detail, and every malformed file refused with the theme left.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "WorldDevice.h"
#include "world/C_Theme.h"

namespace
{
using ThemeReader = WorldDeviceTest;

// Two textures (the first with two transitions) and 4 x 4 and 2 x 2 water.
ThemeBytes SmallTheme()
{
    ThemeBytes theme;
    theme.I32(2).I32(1).I32(256 * 256 * 4);
    theme.Texture("Grass", 0xFF00FF00u, 7, 2);
    theme.Texture("rock", 0xFF808080u, 9, 0);
    theme.Water(4, 0xFF204080u).Water(2, 0xFF000000u);
    return theme;
}

bool LoadBytes(CTheme& theme, const std::vector<uint8_t>& bytes)
{
    return theme.LoadFromMemory(bytes.data(), int64_t(bytes.size()), "test.theme");
}
} // namespace

TEST_F(ThemeReader, GoodThemeGivesItsTexturesNamesDataAndMasks)
{
    CTheme theme;
    ASSERT_TRUE(LoadBytes(theme, SmallTheme().bytes));
    ASSERT_EQ(theme.GetTextureCount(), 2);
    EXPECT_EQ(theme.defaultGroundTexture, 1);
    EXPECT_STREQ(theme.textures[0].name, "GRASS");
    EXPECT_STREQ(theme.textures[1].name, "ROCK");
    EXPECT_EQ(theme.textures[0].data[0], 7);
    EXPECT_EQ(theme.textures[1].data[63], 9);
    ASSERT_EQ(theme.textures[0].transitions.size(), 2u);
    EXPECT_EQ(theme.textures[0].transitions[1].info[0], 2);
    EXPECT_EQ(theme.textures[0].transitions[1].mask->width, 64);
    EXPECT_EQ(theme.textures[0].transitions[1].mask->format, CTexture::FormatA4R4G4B4);
    EXPECT_TRUE(theme.textures[1].transitions.empty());
    EXPECT_EQ(theme.waterTextures[0]->width, 4);
    EXPECT_EQ(theme.waterTextures[1]->width, 2);
    EXPECT_EQ(theme.waterTextures[0]->format, CTexture::FormatA4R4G4B4);
    EXPECT_EQ(theme.FindTexture("gRaSs"), 0);

    // A default ground texture outside the theme is clamped.
    ThemeBytes bytes = SmallTheme();
    bytes.bytes[4] = 5;
    ASSERT_TRUE(LoadBytes(theme, bytes.bytes));
    EXPECT_EQ(theme.defaultGroundTexture, 1);
    EXPECT_TRUE(Log().Has("Theme default ground texture out of range: test.theme"));
}

TEST_F(ThemeReader, WaterColoursAreQuartersOfTheHalvedAverage)
{
    ThemeBytes bytes;
    bytes.I32(1).I32(0).I32(16);
    bytes.Name("Flat").Pixels(4, 0xFF000000u).Fill(64, 0).I32(0);
    // Red 0x40 and 0x20 alternate (average 0x30), green 0x40, blue 0x80.
    bytes.I32(2).Pixels(1, 0xFF404080u).Pixels(1, 0xFF204080u).Pixels(1, 0xFF404080u).Pixels(1, 0xFF204080u);
    bytes.Water(1, 0);
    CTheme theme;
    ASSERT_TRUE(LoadBytes(theme, bytes.bytes));
    // Halved: red 0x18, green 0x20, blue 0x40; shade k is k / 4 of that.
    EXPECT_EQ(theme.waterColours[0], 0xFF060810u);
    EXPECT_EQ(theme.waterColours[1], 0xFF0C1020u);
    EXPECT_EQ(theme.waterColours[2], 0xFF121830u);
    EXPECT_EQ(theme.waterColours[3], 0xFF182040u);
}

TEST_F(ThemeReader, TerrainTextureSideFollowsTheDetailSetting)
{
    const std::vector<uint8_t> bytes = SmallTheme().bytes;
    const int32_t sides[3] = {64, 128, 256};
    for (int detail = 0; detail <= 2; ++detail)
    {
        g_Config.terrainTextureDetail = detail;
        CTheme theme;
        ASSERT_TRUE(LoadBytes(theme, bytes));
        EXPECT_EQ(theme.textures[0].texture->width, sides[detail]) << "detail " << detail;
        EXPECT_EQ(theme.textures[1].texture->height, sides[detail]) << "detail " << detail;
        EXPECT_EQ(theme.textures[0].transitions[0].mask->width, 64);
    }
    g_Config.terrainTextureDetail = 7;   // out of range: the highest detail
    CTheme theme;
    ASSERT_TRUE(LoadBytes(theme, bytes));
    EXPECT_EQ(theme.textures[0].texture->width, 256);
}

TEST_F(ThemeReader, MalformedThemesAreRefusedAndLeaveTheTheme)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    auto header = [](int32_t count, int32_t size) { return ThemeBytes().I32(count).I32(0).I32(size); };
    auto oneTexture = [&](int32_t transitions)
    {
        ThemeBytes t = header(1, 16);
        t.Name("A").Pixels(4, 0).Fill(64, 0).I32(transitions);
        return t;
    };
    std::vector<uint8_t> unterminated = header(1, 16).bytes;
    unterminated.insert(unterminated.end(), {3, 'A', 'B', 'C', 'D'});
    std::vector<uint8_t> innerZero = header(1, 16).bytes;
    innerZero.insert(innerZero.end(), {3, 'A', 0, 'C', 0});
    std::vector<uint8_t> good = SmallTheme().bytes;
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);

    const std::vector<Case> cases = {
        {"empty", {}, "file too short"},
        {"no texture", header(0, 16).bytes, "bad texture count"},
        {"negative count", header(-1, 16).bytes, "bad texture count"},
        {"256 textures", header(256, 16).bytes, "bad texture count"},
        {"image size 0", header(1, 0).bytes, "bad image size"},
        {"negative image size", header(1, -1).bytes, "bad image size"},
        {"image size above 262144", header(1, 262145).bytes, "bad image size"},
        {"name without its zero", unterminated, "bad texture name"},
        {"zero inside the name", innerZero, "bad texture name"},
        {"image cut short", ThemeBytes(header(1, 16)).Name("A").Pixels(3, 0).bytes, "file too short"},
        {"negative transitions", oneTexture(-1).bytes, "bad transition count"},
        {"transitions beyond the file", oneTexture(2).Fill(4 + 16384, 0).bytes, "bad transition count"},
        {"water side 0", oneTexture(0).Water(0, 0).bytes, "bad water image size"},
        {"water side 1025", oneTexture(0).I32(1025).bytes, "bad water image size"},
        {"water cut short", oneTexture(0).I32(4).Pixels(15, 0).bytes, "file too short"},
        {"second water missing", oneTexture(0).Water(1, 0).bytes, "file too short"},
        {"last byte missing", truncated, "file too short"},
    };

    CTheme theme;
    ASSERT_TRUE(LoadBytes(theme, good));
    for (const Case& c : cases)
    {
        EXPECT_FALSE(LoadBytes(theme, c.bytes)) << c.what;
        EXPECT_TRUE(Log().Has(std::string("Theme file rejected: test.theme (") + c.reason + ")")) << c.what;
        ASSERT_EQ(theme.GetTextureCount(), 2) << c.what;
        EXPECT_STREQ(theme.textures[1].name, "ROCK") << c.what;
        EXPECT_EQ(theme.waterTextures[0]->width, 4) << c.what;
    }
}

// A bad new file leaves the map its theme.
TEST_F(ThemeReader, ShoreTexturesAreLoadedAfterTheThemeAndABadFileLeavesTheMapsTheme)
{
    const std::string command =
        std::string(V2KRN_TOOLS_DIR) + "/mktheme shores '" + Folder().Path() + "/InGame/Fluid'";
    std::filesystem::create_directories(Folder().Path() + "/InGame/Fluid");
    ASSERT_EQ(std::system(command.c_str()), 0);
    WriteBytes(Folder().File("Terrain/Themes/good.theme"), SmallTheme().bytes);
    CTheme theme;
    ASSERT_TRUE(theme.Load("Terrain\\Themes\\good.theme"));
    for (int i = 0; i < ShoreTextureCount; ++i)
    {
        ASSERT_NE(theme.shoreTextures[i], nullptr);
        EXPECT_EQ(theme.shoreTextures[i]->width, 64) << i;
    }
    EXPECT_TRUE(Log().Has("Loading texture file:InGame\\Fluid\\shore-4.tga"));

    std::vector<uint8_t> bad = SmallTheme().bytes;
    bad[0] = 0;   // no textures
    WriteBytes(Folder().File("Terrain/Themes/bad.theme"), bad);
    ASSERT_TRUE(g_GameMap.LoadTheme("Terrain\\Themes\\good.theme"));
    EXPECT_FALSE(g_GameMap.LoadTheme("Terrain\\Themes\\bad.theme"));
    EXPECT_TRUE(Log().Has("Theme file rejected: Terrain\\Themes\\bad.theme (bad texture count)"));
    EXPECT_EQ(g_GameMap.FindThemeTexture("rock"), 1);
    g_GameMap.FreeThemeTextures();
}
