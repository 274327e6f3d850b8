#include <gtest/gtest.h>

#include "tests/platform/Sound_Helpers.h"

using SoundTest::MakeVoice;
using SoundTest::StereoOut;
using Samples = std::vector<int16_t>;

namespace
{
StereoOut MixFrames(std::vector<SoundVoice*> voices, uint32_t frames)
{
    Samples out(frames * 2, 12345);   // not silence: Mix must write every sample
    SoundMixer::Mix(voices, out.data(), frames);
    return SoundTest::SplitChannels(out);
}
} // namespace

TEST(SoundMixer, MonoIsCopiedExactlyVolumeAndPanFollowTheirLawsAndVoicesAreSummedAndClamped)
{
    const Samples samples{0, 1, -1, 32767, -32768, 12345};
    SoundVoice voice = MakeVoice(samples);
    const StereoOut out = MixFrames({&voice}, 6);
    EXPECT_TRUE(out.left == samples && out.right == samples);
    SoundVoice raw = MakeVoice({0});
    raw.samples[0] = 0x34;
    raw.samples[1] = 0x12;
    EXPECT_EQ(MixFrames({&raw}, 1).left[0], 0x1234);
    // 10^(-2000/2000) = 0.1; 10^(-600/2000) = 0.50119; 10^(-1000/2000) = 0.31623.
    const struct { int16_t sample; int32_t volume, pan; int16_t left, right; } cases[] = {
        {10000, -2000, 0, 1000, 1000},       {-10000, -2000, 0, -1000, -1000},
        {30000, -600, 0, 15036, 15036},      {30000, -4000, 0, 300, 300},
        {32767, -10000, 0, 0, 0},            {10000, 0, 2000, 1000, 10000},
        {-10000, 0, -600, -10000, -5012},    {20000, 0, 10000, 0, 20000},
        {20000, 0, -10000, 20000, 0},        {20000, -1000, 1000, 2000, 6325},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " pan " << c.pan);
        SoundVoice voice = MakeVoice({c.sample});
        voice.volume = c.volume;
        voice.pan = c.pan;
        const StereoOut out = MixFrames({&voice}, 1);
        EXPECT_TRUE(out.left[0] == c.left && out.right[0] == c.right);
    }
    SoundVoice a = MakeVoice({1000, 30000, -30000, 20000, 16384, -16384});
    SoundVoice b = MakeVoice({-300, 30000, -30000, -20000, 16384, -16385});
    const StereoOut summed = MixFrames({&a, &b}, 6);
    EXPECT_TRUE(summed.left == (Samples{700, 32767, -32768, 0, 32767, -32768}) && summed.right == summed.left);
}

TEST(SoundMixer, LoopingWrapsOneShotStopsLongMixesStayExactAndAMalformedVoiceIsStopped)
{
    SoundVoice once = MakeVoice({5, 6, 7});
    once.cursor = 2;   // starts at the second frame
    EXPECT_TRUE(MixFrames({&once}, 4).left == (Samples{6, 7, 0, 0}) && !once.playing && once.cursor == 0u);

    SoundVoice looping = MakeVoice({1, 2, 3, 4, 5, 6, 7});
    looping.looping = true;
    SoundVoice burst = MakeVoice(Samples(1000, 100));
    const StereoOut out = MixFrames({&looping, &burst}, 1500);
    for (uint32_t i = 0; i < 1500; ++i)
    {
        const int expected = static_cast<int>(i % 7) + 1 + (i < 1000 ? 100 : 0);
        ASSERT_EQ(out.left[i], expected) << "frame " << i;
        ASSERT_EQ(out.right[i], expected) << "frame " << i;
    }
    EXPECT_TRUE(looping.playing && looping.cursor == ((1500u % 7u) * 2u) && !burst.playing);
    SoundVoice stopped = MakeVoice({1000, 2000});
    stopped.playing = false;
    SoundVoice empty;
    empty.playing = true;
    SoundVoice badLayout = MakeVoice({1, 2, 3});
    badLayout.channels = 3;
    SoundVoice cursorPastEnd = MakeVoice({9, 8});
    cursorPastEnd.cursor = 40;
    EXPECT_EQ(MixFrames({&stopped, &empty, &badLayout, &cursorPastEnd}, 2).left, (Samples{0, 0}));
    EXPECT_TRUE(stopped.cursor == 0u && !empty.playing && !badLayout.playing);
    EXPECT_TRUE(!cursorPastEnd.playing && cursorPastEnd.cursor == 0u);
}
