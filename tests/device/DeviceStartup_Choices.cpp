// The choices of the device start-up over made-up capabilities and mode
// lists: the capability report, the hardware requirements, the colour
// correction table, the display modes and the presentation parameters.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/DeviceStartup.h"

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
Sys3DDisplayMode Mode(int32_t width, int32_t height, Sys3DFormat format)
{
    Sys3DDisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.format = format;
    return mode;
}

constexpr Sys3DFormat k15 = Sys3DFormat::X1R5G5B5;
constexpr Sys3DFormat k16 = Sys3DFormat::R5G6B5;
constexpr Sys3DFormat k32 = Sys3DFormat::X8R8G8B8;

struct SChoice { bool found; int32_t width, height, depth; };

SChoice Choose(const std::vector<Sys3DDisplayMode>& modes)
{
    SChoice choice{false, -1, -1, -1};
    choice.found = DeviceStartup::ChooseFallbackMode(modes, choice.width, choice.height, choice.depth);
    return choice;
}
} // namespace

TEST(DeviceStartupCaps, ReportHasOneLinePerCapabilityInOrder)
{
    Sys3DCaps caps = FullCaps();
    caps.pureDevice = false;
    caps.filterMipPoint = false;
    const std::vector<std::string> lines = Texts(DeviceStartup::CapabilityLines(caps));
    ASSERT_EQ(34u, lines.size());
    EXPECT_EQ("[x] Hardware cursor", lines[0]);
    EXPECT_EQ("[x] Immediate present interval", lines[1]);
    EXPECT_EQ("[ ] Pure device", lines[4]);
    EXPECT_EQ("[x] Alpha gouraud interpollation", lines[17]);
    EXPECT_EQ("[x] Texture aplha chanel", lines[20]);
    EXPECT_EQ("[x] Texture filter [D3DPTFILTERCAPS_MAGFPOINT]", lines[23]);
    EXPECT_EQ("[ ] Texture filter [D3DPTFILTERCAPS_MIPFPOINT]", lines[27]);
    EXPECT_EQ("[x] IndependentUV texture addressing", lines[30]);
    EXPECT_EQ("[x] Texture operation [D3DTEXOPCAPS_MODULATE]", lines[32]);
    EXPECT_EQ("[x] Directional lights", lines[33]);
}

TEST(DeviceStartupCaps, LimitLinesTruncateTheGuardBand)
{
    Sys3DCaps caps;
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

TEST(DeviceStartupCaps, DeviceWithEverythingMeetsTheRequirements)
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
}

TEST(DeviceStartupCaps, BareDeviceListsEveryRequirementInOrder)
{
    const char* expected =
        "Hardware rasterization not supported\n"
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
        "Multitexturing not supported\n";
    EXPECT_STREQ(expected, DeviceStartup::MissingGraphicsRequirements(Sys3DCaps{}));
}

TEST(DeviceStartupCaps, SoundRequirementsNameEachMissingFormat)
{
    SysSound::Caps caps;
    caps.flags = SysSound::CapsPrimaryStereo | SysSound::CapsPrimary16Bit | SysSound::CapsSecondaryMono |
                 SysSound::CapsSecondary16Bit;
    EXPECT_STREQ("", DeviceStartup::MissingSoundRequirements(caps));
    caps.flags = SysSound::CapsPrimaryStereo | SysSound::CapsSecondaryStereo;
    EXPECT_STREQ("16-bit primary sound buffer is not supported\n"
                 "16-bit secondary sound buffer is not supported\n"
                 "Mono sound buffer is not supported\n",
                 DeviceStartup::MissingSoundRequirements(caps));
}

TEST(DeviceStartupColourTable, ChannelsAreReadLittleEndianRedGreenBlue)
{
    std::vector<uint8_t> bytes(1536);
    for (int channel = 0; channel < 3; ++channel)
        for (int i = 0; i < 256; ++i)
        {
            const int value = 1000 * (channel + 1) + i;  // low byte first
            bytes[size_t(channel * 512 + i * 2)] = uint8_t(value & 0xFF);
            bytes[size_t(channel * 512 + i * 2 + 1)] = uint8_t(value >> 8);
        }
    bytes.push_back(0xAB);  // bytes after the table are not read
    uint16_t table[3][256] = {};
    ASSERT_TRUE(DeviceStartup::ReadColourTable(bytes.data(), bytes.size(), table));
    EXPECT_EQ(1000, table[0][0]);
    EXPECT_EQ(1255, table[0][255]);
    EXPECT_EQ(2017, table[1][17]);
    EXPECT_EQ(3255, table[2][255]);
}

TEST(DeviceStartupColourTable, ShortTableIsRefusedAndIdentityMapsEachLevelToItself)
{
    uint16_t table[3][256] = {};
    table[1][5] = 77;
    const std::vector<uint8_t> shortFile(1535, 0xFF);
    EXPECT_FALSE(DeviceStartup::ReadColourTable(shortFile.data(), shortFile.size(), table));
    EXPECT_FALSE(DeviceStartup::ReadColourTable(nullptr, 1536, table));
    EXPECT_EQ(77, table[1][5]);

    DeviceStartup::MakeIdentityColourTable(table);
    for (int channel = 0; channel < 3; ++channel)
    {
        EXPECT_EQ(0x0101, table[channel][1]);
        EXPECT_EQ(0xFFFF, table[channel][255]);
    }
}

TEST(DeviceStartupModes, ListingLineNamesSizeAndDepth)
{
    EXPECT_STREQ("800x600 15bit", DeviceStartup::DescribeMode(Mode(800, 600, k15)));
    EXPECT_STREQ("1600x1200 32bit", DeviceStartup::DescribeMode(Mode(1600, 1200, k32)));
    EXPECT_STREQ("", DeviceStartup::DescribeMode(Mode(800, 600, Sys3DFormat::A8R8G8B8)));
}

TEST(DeviceStartupModes, TableFlagsOnlyListedSizesInSixteenAndThirtyTwoBits)
{
    DeviceStartup::ModeSupportTable table = {};
    DeviceStartup::MarkModeSupport(Mode(1280, 1024, k16), table);
    DeviceStartup::MarkModeSupport(Mode(1280, 1024, k32), table);
    DeviceStartup::MarkModeSupport(Mode(1152, 864, k32), table);
    DeviceStartup::MarkModeSupport(Mode(640, 480, k15), table);
    DeviceStartup::MarkModeSupport(Mode(800, 600, k32), table);
    // Rows: 640x480, 800x600, 1024x768, 1280x1024, 1600x1200; columns 16, 32.
    const uint8_t expected[5][2] = {{0, 0}, {0, 1}, {0, 0}, {1, 1}, {0, 0}};
    for (int row = 0; row < 5; ++row)
    {
        EXPECT_EQ(expected[row][0], table[row][0]) << row;
        EXPECT_EQ(expected[row][1], table[row][1]) << row;
    }
}

TEST(DeviceStartupModes, OnlySixteenAndThirtyTwoBitsAreEverTheConfiguredMode)
{
    EXPECT_TRUE(DeviceStartup::IsConfiguredMode(Mode(1024, 768, k32), 1024, 768, 32));
    EXPECT_FALSE(DeviceStartup::IsConfiguredMode(Mode(1024, 768, k32), 1024, 768, 24));
    EXPECT_FALSE(DeviceStartup::IsConfiguredMode(Mode(1024, 768, k15), 1024, 768, 15));
}

TEST(DeviceStartupModes, FallbackTakesTheBestOfTheThreeSizesOrLeavesTheOutputs)
{
    struct Case { std::vector<Sys3DDisplayMode> modes; SChoice expected; };
    const Case cases[] = {
        // 1024 x 768 x 16 configured but absent; 800 x 600 exists in 32 bits.
        {{Mode(800, 600, k16), Mode(800, 600, k32), Mode(640, 480, k32)}, {true, 800, 600, 32}},
        {{Mode(640, 480, k32), Mode(1024, 768, k16), Mode(1280, 1024, k32)}, {true, 1024, 768, 16}},
        {{Mode(640, 480, k16), Mode(1024, 768, k15)}, {true, 640, 480, 16}},
        {{Mode(1280, 1024, k32), Mode(1152, 864, k16), Mode(800, 600, k15)}, {false, -1, -1, -1}},
        {{}, {false, -1, -1, -1}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.modes.size());
        const SChoice got = Choose(c.modes);
        EXPECT_EQ(c.expected.found, got.found);
        EXPECT_EQ(c.expected.width, got.width);
        EXPECT_EQ(c.expected.height, got.height);
        EXPECT_EQ(c.expected.depth, got.depth);
    }
}

TEST(DeviceStartupPresentParams, DepthPicksTheFormatAndAntialiasingTheSamples)
{
    struct Case { int32_t depth; Sys3DFormat format; };
    const Case cases[] = {{15, k15}, {16, k16}, {24, k32}, {32, k32}, {8, Sys3DFormat::Unknown}};
    for (const Case& c : cases)
        EXPECT_EQ(c.format, DeviceStartup::MakePresentParams(640, 480, c.depth, 0, true).backBufferFormat) << c.depth;

    for (auto [antialiasing, samples] : {std::pair{2, 2u}, {4, 4u}, {5, 0u}, {1, 0u}})
        EXPECT_EQ(samples, DeviceStartup::MakePresentParams(800, 600, 32, antialiasing, true).multiSampleType);
}
