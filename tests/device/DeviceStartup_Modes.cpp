// The display-mode listing of the device start-up over made-up mode lists.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/DeviceStartup.h"

namespace
{
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

struct SChoice
{
    bool found;
    int32_t width, height, depth;
};

SChoice Choose(const std::vector<Sys3DDisplayMode>& modes)
{
    SChoice choice{false, -1, -1, -1};
    choice.found = DeviceStartup::ChooseFallbackMode(modes, choice.width, choice.height, choice.depth);
    return choice;
}
} // namespace

TEST(DeviceStartupModes, ListingLineNamesSizeAndDepth)
{
    EXPECT_STREQ("800x600 15bit", DeviceStartup::DescribeMode(Mode(800, 600, k15)));
    EXPECT_STREQ("1024x768 16bit", DeviceStartup::DescribeMode(Mode(1024, 768, k16)));
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
    EXPECT_TRUE(DeviceStartup::IsConfiguredMode(Mode(1024, 768, k16), 1024, 768, 16));
    EXPECT_TRUE(DeviceStartup::IsConfiguredMode(Mode(1024, 768, k32), 1024, 768, 32));
    EXPECT_FALSE(DeviceStartup::IsConfiguredMode(Mode(1024, 768, k32), 1024, 768, 24));
    EXPECT_FALSE(DeviceStartup::IsConfiguredMode(Mode(1024, 768, k15), 1024, 768, 15));
    EXPECT_FALSE(DeviceStartup::IsConfiguredMode(Mode(1024, 768, k16), 1024, 768, 32));
    EXPECT_FALSE(DeviceStartup::IsConfiguredMode(Mode(1024, 600, k32), 1024, 768, 32));
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

    const Sys3DPresentParams twoX = DeviceStartup::MakePresentParams(800, 600, 32, 2, false);
    EXPECT_EQ(800, twoX.backBufferWidth);
    EXPECT_EQ(600, twoX.backBufferHeight);
    EXPECT_EQ(2u, twoX.multiSampleType);
    EXPECT_FALSE(twoX.windowed);
    for (auto [antialiasing, samples] : {std::pair{4, 4u}, {0, 0u}, {5, 0u}, {1, 0u}})
        EXPECT_EQ(samples, DeviceStartup::MakePresentParams(800, 600, 32, antialiasing, true).multiSampleType);
}
