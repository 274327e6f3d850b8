// The device start-up's choices over made-up capabilities and mode lists (capability report, hardware
// requirements, colour table, display modes, presentation parameters); gamma ramp and frame-rate sums.

#include "core/FrameDrawing.h"
#include "core/GlobalFunc.h"
#include "tests/device/DeviceGame.h"

namespace
{
// Every capability present, two texture stages.
Sys3DCaps FullCaps()
{
    Sys3DCaps caps;
    bool* flags[] = {&caps.hardwareCursor, &caps.immediatePresentInterval, &caps.hardwareRasterization,
                     &caps.hardwareTransformAndLight, &caps.pureDevice, &caps.cullCCW, &caps.cullNone,
                     &caps.anisotropicFiltering, &caps.edgeAntialiasing, &caps.dither, &caps.rangeFog,
                     &caps.tableFog, &caps.vertexFog, &caps.mipmapLodBias, &caps.zFog,
                     &caps.sourceBlendSrcAlpha, &caps.destBlendInvSrcAlpha, &caps.alphaGouraudBlend,
                     &caps.colourGouraudShade, &caps.fogGouraud, &caps.textureAlpha, &caps.textureMipmap,
                     &caps.texturePerspective, &caps.filterMagPoint, &caps.filterMinLinear,
                     &caps.filterMinPoint, &caps.filterMipLinear, &caps.filterMipPoint, &caps.addressClamp,
                     &caps.addressWrap, &caps.addressIndependentUV, &caps.textureOpAdd,
                     &caps.textureOpModulate, &caps.directionalLights};
    for (bool* flag : flags)
        *flag = true;
    caps.maxSimultaneousTextures = 2;
    return caps;
}

std::vector<std::string> Texts(const std::vector<CString>& lines)
{
    std::vector<std::string> out;
    for (const CString& line : lines)
        out.emplace_back(line.GetBuffer());
    return out;
}
using Mode = Sys3DDisplayMode;

constexpr Sys3DFormat k15 = Sys3DFormat::X1R5G5B5;
constexpr Sys3DFormat k16 = Sys3DFormat::R5G6B5;
constexpr Sys3DFormat k32 = Sys3DFormat::X8R8G8B8;

} // namespace

TEST(DeviceStartupCaps, ReportHasOneLinePerCapabilityInOrderAndTruncatedLimits)
{
    Sys3DCaps caps = FullCaps();
    caps.pureDevice = caps.filterMipPoint = false;
    const std::vector<std::string> lines = Texts(DeviceStartup::CapabilityLines(caps));
    ASSERT_EQ(34u, lines.size());
    for (const auto& [at, line] : {std::pair{0, "[x] Hardware cursor"}, {1, "[x] Immediate present interval"},
                                   {4, "[ ] Pure device"}, {17, "[x] Alpha gouraud interpollation"},
                                   {20, "[x] Texture aplha chanel"}, {33, "[x] Directional lights"},
                                   {23, "[x] Texture filter [D3DPTFILTERCAPS_MAGFPOINT]"},
                                   {27, "[ ] Texture filter [D3DPTFILTERCAPS_MIPFPOINT]"},
                                   {30, "[x] IndependentUV texture addressing"},
                                   {32, "[x] Texture operation [D3DTEXOPCAPS_MODULATE]"}})
        EXPECT_EQ(line, lines[size_t(at)]);

    caps.guardBandLeft = -2047.9f;
    caps.guardBandTop = -1.5f;
    caps.guardBandRight = 2047.9f;
    caps.guardBandBottom = 0.0f;
    caps.maxTextureWidth = 4096;
    caps.maxTextureHeight = 2048;
    caps.maxSimultaneousTextures = 8;
    caps.maxPrimitiveCount = 1048575;
    const std::vector<std::string> expected = {
        "GuardBandLeft = -2047", "GuardBandTop = -1",      "GuardBandRight = 2047",
        "GuardBandBottom = 0",   "MaxTextureWidth = 4096", "MaxTextureHeight = 2048",
        "MaxSimultaneousTextures = 8", "Max primitive count = 1048575"};
    EXPECT_EQ(expected, Texts(DeviceStartup::LimitLines(caps)));
}

TEST(DeviceStartupCaps, RequirementsNameWhatIsMissingInOrder)
{
    EXPECT_STREQ("", DeviceStartup::MissingGraphicsRequirements(FullCaps()));
    // The capabilities the game does not need may be missing.
    Sys3DCaps caps = FullCaps();
    caps.hardwareCursor = caps.pureDevice = caps.anisotropicFiltering = caps.zFog = false;
    caps.filterMipLinear = caps.filterMipPoint = caps.addressIndependentUV = caps.directionalLights = false;
    EXPECT_STREQ("", DeviceStartup::MissingGraphicsRequirements(caps));
    // A single texture stage fails with multitexturing last.
    caps.maxSimultaneousTextures = 1;
    caps.dither = false;
    EXPECT_STREQ("Dithering not supported\nMultitexturing not supported\n",
                 DeviceStartup::MissingGraphicsRequirements(caps));
    EXPECT_STREQ("Hardware rasterization not supported\n"
                 "Primitive Cull CCW not supported\n"
                 "Primitive Cull None not supported\n"
                 "Dithering not supported\n"
                 "Source blend SRCALPHA not supported\n"
                 "Destination blend INVSRCALPHA not supported\n"
                 "Alpha gouraud interpollation not supported\n"
                 "Gouraud shading not supported\n"
                 "Gouraud fog interpollation not supported\n"
                 "Texture aplha chanel not supporetd\n"
                 "Texture mipmapping not supporetd\n"
                 "Perspective texture mapping not supported\n"
                 "Texture filter [D3DPTFILTERCAPS_MAGFPOINT] not supported\n"
                 "Texture filter [D3DPTFILTERCAPS_MINFLINEAR] not supported\n"
                 "Texture filter [D3DPTFILTERCAPS_MINFPOINT] not supported\n"
                 "Clamp texture addressing not supported\n"
                 "Wrap texture addressing not supported\n"
                 "Texture operation [D3DTEXOPCAPS_ADD] not supported\n"
                 "Texture operation [D3DTEXOPCAPS_MODULATE] not supported\n"
                 "Multitexturing not supported\n",
                 DeviceStartup::MissingGraphicsRequirements(Sys3DCaps{}));

    SysSound::Caps sound;
    sound.flags = SysSound::CapsPrimaryStereo | SysSound::CapsPrimary16Bit | SysSound::CapsSecondaryMono |
                  SysSound::CapsSecondary16Bit;
    EXPECT_STREQ("", DeviceStartup::MissingSoundRequirements(sound));
    sound.flags = SysSound::CapsPrimaryStereo | SysSound::CapsSecondaryStereo;
    EXPECT_STREQ("16-bit primary sound buffer is not supported\n"
                 "16-bit secondary sound buffer is not supported\n"
                 "Mono sound buffer is not supported\n",
                 DeviceStartup::MissingSoundRequirements(sound));
}

TEST(DeviceStartupColourTable, ChannelsAreReadLittleEndianRedGreenBlueAndAShortTableIsRefused)
{
    // Entry i of channel c is 1000 x (c + 1) + i; a byte after the table is not read.
    const std::string file = device_test::ColourTableFile([](int c, int i) { return 1000 * (c + 1) + i; }) + '\xAB';
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    uint16_t table[3][256] = {};
    ASSERT_TRUE(DeviceStartup::ReadColourTable(bytes, file.size(), table));
    EXPECT_EQ((std::vector<int>{1000, 1255, 2017, 3255}),
              (std::vector<int>{table[0][0], table[0][255], table[1][17], table[2][255]}));

    EXPECT_TRUE(!DeviceStartup::ReadColourTable(bytes, 1535, table) &&
                !DeviceStartup::ReadColourTable(nullptr, 1536, table) && 2017 == table[1][17]);
    DeviceStartup::MakeIdentityColourTable(table);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_TRUE(table[channel][1] == 0x0101 && table[channel][255] == 0xFFFF) << channel;
}

TEST(DeviceStartupModes, ListingTableAndConfiguredModeTakeOnlySixteenAndThirtyTwoBitsAndFallbackTakesTheBest)
{
    EXPECT_STREQ("800x600 15bit", DeviceStartup::DescribeMode(Mode{800, 600, k15}));
    EXPECT_STREQ("1600x1200 32bit", DeviceStartup::DescribeMode(Mode{1600, 1200, k32}));
    EXPECT_STREQ("", DeviceStartup::DescribeMode(Mode{800, 600, Sys3DFormat::A8R8G8B8}));

    DeviceStartup::ModeSupportTable table = {};
    for (const Sys3DDisplayMode& mode : {Mode{1280, 1024, k16}, Mode{1280, 1024, k32}, Mode{1152, 864, k32},
                                         Mode{640, 480, k15}, Mode{800, 600, k32}})
        DeviceStartup::MarkModeSupport(mode, table);
    // Rows: 640x480, 800x600, 1024x768, 1280x1024, 1600x1200; columns 16, 32.
    const uint8_t expected[5][2] = {{0, 0}, {0, 1}, {0, 0}, {1, 1}, {0, 0}};
    for (int row = 0; row < 5; ++row)
        EXPECT_TRUE(expected[row][0] == table[row][0] && expected[row][1] == table[row][1]) << row;

    EXPECT_TRUE(DeviceStartup::IsConfiguredMode(Mode{1024, 768, k32}, 1024, 768, 32));
    EXPECT_FALSE(DeviceStartup::IsConfiguredMode(Mode{1024, 768, k32}, 1024, 768, 24));
    EXPECT_FALSE(DeviceStartup::IsConfiguredMode(Mode{1024, 768, k15}, 1024, 768, 15));
    const struct { std::vector<Sys3DDisplayMode> modes; bool found; int32_t width, height, depth; } cases[] = {
        // 1024 x 768 x 16 configured but absent; 800 x 600 exists in 32 bits.
        {{Mode{800, 600, k16}, Mode{800, 600, k32}, Mode{640, 480, k32}}, true, 800, 600, 32},
        {{Mode{640, 480, k32}, Mode{1024, 768, k16}, Mode{1280, 1024, k32}}, true, 1024, 768, 16},
        {{Mode{640, 480, k16}, Mode{1024, 768, k15}}, true, 640, 480, 16},
        {{Mode{1280, 1024, k32}, Mode{1152, 864, k16}, Mode{800, 600, k15}}, false, -1, -1, -1},
        {{}, false, -1, -1, -1},
    };
    for (const auto& c : cases)
    {
        int32_t width = -1, height = -1, depth = -1;
        EXPECT_EQ(c.found, DeviceStartup::ChooseFallbackMode(c.modes, width, height, depth)) << c.modes.size();
        EXPECT_EQ(std::vector<int32_t>({c.width, c.height, c.depth}), std::vector<int32_t>({width, height, depth}));
    }
}

// Over a table unlike the identity: entry i of channel c is 200 x i + c.
TEST(GammaRamp, GammaBrightnessAndStepScaleTheTableAndClamp)
{
    uint16_t table[3][256];
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            table[c][i] = uint16_t(200 * i + c);
    const struct { float gamma, brightness; int32_t step, channel, entry, expected; } cases[] = {
        {1.0f, 1.0f, 0, 2, 17, 200 * 17 + 2},  // neutral: the table itself
        {1.0f, 2.0f, 0, 1, 100, 16384 + 200 * 100 + 1},  // a quarter added
        {1.0f, 2.0f, 0, 2, 255, 65535},  // 200 x 255 + 16384 is above the top
        // 0.9 x 16384 = 14745.6 taken off before truncation.
        {1.0f, 0.1f, 0, 0, 73, 0}, {1.0f, 0.1f, 0, 0, 100, 5254}, {1.0f, 0.1f, 0, 0, 255, 36254},
        // Low gamma scales from a tenth to nearly one: 0.1 x 1 truncates to 0,
        // (0.9 / 256 x 10 + 0.1) x 2000 = 270.3, (0.9 x 255 / 256 + 0.1) x 51000.
        {0.1f, 1.0f, 0, 1, 0, 0}, {0.1f, 1.0f, 0, 0, 10, 270}, {0.1f, 1.0f, 0, 0, 255, 50820},
        // The step rounds down and adds its share: 2000 -> 1536 + 2 x 10.
        {1.0f, 1.0f, 512, 0, 10, 1556},
    };
    for (const auto& c : cases)
    {
        uint16_t ramp[3][256] = {};
        FrameDrawing::BuildGammaRamp(table, c.gamma, c.brightness, 0, c.step, ramp);
        EXPECT_EQ(c.expected, ramp[c.channel][c.entry]) << c.gamma << " " << c.brightness << " " << c.entry;
    }

    // Noise stays within its range.
    GlobalFunc::SeedRandom(12345);
    uint16_t ramp[3][256] = {};
    FrameDrawing::BuildGammaRamp(table, 1.0f, 1.0f, 8, 0, ramp);
    const auto noise = [&](int i) { return int(ramp[0][i]) - int(table[0][i]); };
    for (int i = 1; i < 256; ++i)
        ASSERT_TRUE(noise(i) >= -8 && noise(i) < 8) << i << ": " << noise(i);
}

TEST(FrameRate, SixteenFramesInAWindowAfterSixtyGiveSixtyTwoAndAStallCatchesUpAWindowAFrame)
{
    // The first frame starts the window; 5250 is not past it yet; 62 = (60 + 4 x 16) / 2.  A stall catches up one
    // window a frame: (40 + 40) / 2, then (40 + 4) / 2.  The last comes 272 ms later across the tick wrap.
    const struct { uint32_t now; int32_t start, fps, frames, after[3]; } frames[] = {
        {5000, 0, 60, 0, {5000, 60, 1}},          {5250, 5000, 60, 15, {5000, 60, 16}},
        {5251, 5000, 60, 15, {5250, 62, 0}},      {2000, 1000, 40, 9, {1250, 40, 0}},
        {2001, 1250, 40, 0, {1500, 22, 0}},       {0x10, int32_t(0xFFFFFF00u), 0, 0, {int32_t(0xFFFFFF00u + 250u), 2, 0}}};
    for (const auto& f : frames)
    {
        int32_t start = f.start, fps = f.fps, count = f.frames;
        FrameDrawing::CountFrame(f.now, start, fps, count);
        EXPECT_EQ((std::vector<int32_t>{start, fps, count}), std::vector<int32_t>(f.after, f.after + 3)) << f.now;
    }
}
