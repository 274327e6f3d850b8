// The gamma ramp and the frame-rate estimate as plain arithmetic.

#include <gtest/gtest.h>

#include "core/FrameDrawing.h"
#include "core/GlobalFunc.h"

namespace
{
// A table unlike the identity: entry i of channel c is 200 x i + c.
void MakeTable(uint16_t table[3][256])
{
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            table[c][i] = uint16_t(200 * i + c);
}

class GammaRamp : public ::testing::Test
{
protected:
    void SetUp() override { MakeTable(table); }
    void Build(float gamma, float brightness, int32_t noise = 0, int32_t step = 0)
    {
        FrameDrawing::BuildGammaRamp(table, gamma, brightness, noise, step, ramp);
    }

    uint16_t table[3][256];
    uint16_t ramp[3][256] = {};
};
} // namespace

TEST_F(GammaRamp, NeutralSettingsGiveTheTableItself)
{
    Build(1.0f, 1.0f);
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(table[c][i], ramp[c][i]) << c << " " << i;
}

TEST_F(GammaRamp, BrightnessAddsOrTakesOffAQuarterAndClamps)
{
    Build(1.0f, 2.0f);
    EXPECT_EQ(16384 + 200 * 100 + 1, ramp[1][100]);
    // 200 x 255 + 16384 = 67384 is above the top.
    EXPECT_EQ(65535, ramp[2][255]);

    Build(1.0f, 0.1f);
    // 0.9 x 16384 = 14745.6 off before truncation: 200 x 73 = 14600 stays
    // below, 200 x 100 = 20000 gives 5254.4, truncated 5254.
    EXPECT_EQ(0, ramp[0][73]);
    EXPECT_EQ(5254, ramp[0][100]);
    EXPECT_EQ(36254, ramp[0][255]);  // 51000 - 14745.6
}

TEST_F(GammaRamp, LowGammaScalesFromATenthToNearlyOne)
{
    Build(0.1f, 1.0f);
    // Entry 0 of red is 0: use green (1) and blue (2) as well.
    EXPECT_EQ(0, ramp[1][0]);  // 0.1 x 1 truncates to 0
    EXPECT_EQ(270, ramp[0][10]);  // (0.9 / 256 x 10 + 0.1) x 2000 = 270.3
    // Entry 255: (0.9 x 255 / 256 + 0.1) = 0.99648 of 51000.
    EXPECT_EQ(50820, ramp[0][255]);
}

TEST_F(GammaRamp, StepRoundsDownAndAddsItsShare)
{
    Build(1.0f, 1.0f, 0, 512);
    // Entry 10: 2000 -> 1536 + (512 / 256) x 10 = 1556.
    EXPECT_EQ(1556, ramp[0][10]);
}

TEST_F(GammaRamp, NoiseStaysWithinItsRange)
{
    GlobalFunc::SeedRandom(12345);
    Build(1.0f, 1.0f, 8, 0);
    for (int i = 1; i < 256; ++i)
    {
        const int difference = int(ramp[0][i]) - int(table[0][i]);
        ASSERT_GE(difference, -8) << i;
        ASSERT_LT(difference, 8) << i;
    }
}

TEST(FrameRate, WindowOfSixteenFramesAfterSixtyGivesSixtyTwo)
{
    int32_t start = 0, fps = 60, frames = 0;
    FrameDrawing::CountFrame(5000, start, fps, frames);   // the first frame starts the window
    EXPECT_EQ(5000, start);
    frames = 15;
    FrameDrawing::CountFrame(5250, start, fps, frames);  // not past 250 yet
    EXPECT_EQ(16, frames);
    EXPECT_EQ(60, fps);
    frames = 15;
    FrameDrawing::CountFrame(5251, start, fps, frames);
    EXPECT_EQ(62, fps);  // (60 + 4 x 16) / 2
    EXPECT_EQ(0, frames);
    EXPECT_EQ(5250, start);
}

TEST(FrameRate, StallCatchesUpOneWindowPerFrame)
{
    int32_t start = 1000, fps = 40, frames = 9;
    FrameDrawing::CountFrame(2000, start, fps, frames);
    EXPECT_EQ(1250, start);
    EXPECT_EQ(40, fps);  // (40 + 40) / 2
    FrameDrawing::CountFrame(2001, start, fps, frames);
    EXPECT_EQ(1500, start);
    EXPECT_EQ(22, fps);  // (40 + 4) / 2
}

TEST(FrameRate, WindowCountsAcrossTheTickWrap)
{
    int32_t start = int32_t(0xFFFFFF00u), fps = 0, frames = 0;
    FrameDrawing::CountFrame(0x00000010u, start, fps, frames);  // 272 ms later
    EXPECT_EQ(2, fps);
    EXPECT_EQ(int32_t(0xFFFFFF00u + 250u), start);
}
