#include "WorldDevice.h"
#include "world/C_Theme.h"

namespace
{
using ThemeReader = WorldDeviceTest;

// Two textures (the first with two transitions) and 4 x 4 and 2 x 2 water.
ThemeBytes SmallTheme()
{
    ThemeBytes theme;
    theme.I32(2).I32(1).I32(256 * 256 * 4), theme.Texture("Grass", 0xFF00FF00u, 7, 2);
    theme.Texture("rock", 0xFF808080u, 9, 0), theme.Water(4, 0xFF204080u).Water(2, 0xFF000000u);
    return theme;
}

bool LoadBytes(CTheme& theme, const std::vector<uint8_t>& bytes)
{
    return theme.LoadFromMemory(bytes.data(), int64_t(bytes.size()), "test.theme");
}
} // namespace

TEST_F(ThemeReader, GoodThemeGivesItsTexturesNamesDataMasksAndWaterAndMalformedOnesAreRefusedAndLeaveIt)
{
    CTheme theme;
    const std::vector<uint8_t> good = SmallTheme().bytes;
    ASSERT_TRUE(LoadBytes(theme, good) && theme.GetTextureCount() == 2 && theme.textures[0].transitions.size() == 2u &&
                std::string(theme.textures[0].name) == "GRASS");
    const SThemeTransition& second = theme.textures[0].transitions[1];
    EXPECT_EQ((std::vector<int64_t>{theme.defaultGroundTexture, theme.FindTexture("rOcK"), theme.textures[1].data[63],
                                    second.info[0], second.mask->width, second.mask->format,
                                    theme.waterTextures[1]->width, theme.waterTextures[0]->format,
                                    theme.waterColours[0], theme.waterColours[1], theme.waterColours[2],
                                    theme.waterColours[3]}),
              (std::vector<int64_t>{1, 1, 9, 2, 64, CTexture::FormatA4R4G4B4, 2, CTexture::FormatA4R4G4B4,
                                    // the first water's red, green and blue halved (16, 32, 64), times 1/4 to 4/4
                                    0xFF040810, 0xFF081020, 0xFF0C1830, 0xFF102040}));
    // A default ground texture outside the theme is clamped.
    ThemeBytes clamped = SmallTheme();
    clamped.bytes[4] = 5;
    EXPECT_TRUE(LoadBytes(theme, clamped.bytes) && theme.defaultGroundTexture == 1 &&
                Log().Contains("Theme default ground texture out of range: test.theme"));

    auto header = [](int32_t count, int32_t size) { return ThemeBytes().I32(count).I32(0).I32(size); };
    auto oneTexture = [&](int32_t transitions) {
        return ThemeBytes(header(1, 16)).Name("A").Pixels(4, 0).Fill(64, 0).I32(transitions);
    };
    std::vector<uint8_t> unterminated = header(1, 16).bytes;
    unterminated.insert(unterminated.end(), {3, 'A', 'B', 'C', 'D'});
    std::vector<uint8_t> innerZero = header(1, 16).bytes;
    innerZero.insert(innerZero.end(), {3, 'A', 0, 'C', 0});
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);

    const std::pair<std::vector<uint8_t>, const char*> cases[] = {
        {{}, "file too short"}, {header(0, 16).bytes, "bad texture count"},
        {header(256, 16).bytes, "bad texture count"}, {header(1, 0).bytes, "bad image size"},
        {header(1, 262145).bytes, "bad image size"}, {unterminated, "bad texture name"},
        {innerZero, "bad texture name"}, {ThemeBytes(header(1, 16)).Name("A").Pixels(3, 0).bytes, "file too short"},
        {oneTexture(-1).bytes, "bad transition count"},
        {oneTexture(2).Fill(4 + 16384, 0).bytes, "bad transition count"},   // beyond the file
        {oneTexture(0).Water(0, 0).bytes, "bad water image size"},
        {oneTexture(0).I32(1025).bytes, "bad water image size"},
        {oneTexture(0).Water(1, 0).bytes, "file too short"},   // the second water missing
        {truncated, "file too short"},
    };
    ASSERT_TRUE(LoadBytes(theme, good));
    for (const auto& [bytes, reason] : cases)
    {
        SCOPED_TRACE(testing::Message() << reason << ", " << bytes.size() << " bytes");
        EXPECT_TRUE(!LoadBytes(theme, bytes) &&
                    Log().Contains(std::string("Theme file rejected: test.theme (") + reason + ")"));
        ASSERT_EQ(theme.GetTextureCount(), 2);
        EXPECT_TRUE(std::string(theme.textures[1].name) == "ROCK" && theme.waterTextures[0]->width == 4);
    }
}

// Shores come with the theme; a bad new file leaves the map its theme.
TEST_F(ThemeReader, ShoreTexturesAreLoadedAfterTheThemeAndABadFileLeavesTheMapsTheme)
{
    Folder().MakeFolder("InGame/Fluid");
    RunTool("mktheme shores", Folder() / "InGame/Fluid");
    std::vector<uint8_t> bytes = SmallTheme().bytes;
    Folder().Write("Terrain/Themes/good.theme", bytes);
    bytes[0] = 0;   // no textures
    Folder().Write("Terrain/Themes/bad.theme", bytes), Folder().Write("Terrain/Themes/empty.theme", "");
    EXPECT_TRUE(!g_GameMap.LoadTheme("Terrain\\Themes\\empty.theme") &&
                Log().Contains("Theme file rejected: Terrain\\Themes\\empty.theme (file too short)"));
    ASSERT_TRUE(g_GameMap.LoadTheme("Terrain\\Themes\\good.theme"));
    EXPECT_TRUE(Log().Contains("Loading texture file:InGame\\Fluid\\shore-4.tga") &&
                !g_GameMap.LoadTheme("Terrain\\Themes\\bad.theme") && g_GameMap.FindThemeTexture("rock") == 1 &&
                Log().Contains("Theme file rejected: Terrain\\Themes\\bad.theme (bad texture count)"));
    g_GameMap.FreeThemeTextures();
}
