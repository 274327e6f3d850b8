// The mixer as a pure function: each output sample worked out by hand from
// the volume law 10^(v/2000), the pan law and 16-bit clamping.

#include <gtest/gtest.h>

#include <vector>

#include "platform/SoundMixer.h"
#include "tests/platform/Sound_Helpers.h"

using SoundTest::MakeVoice;
using SoundTest::SplitChannels;
using SoundTest::StereoOut;

namespace
{
StereoOut MixFrames(std::vector<SoundVoice*> voices, uint32_t frames)
{
    std::vector<int16_t> out(frames * 2, 12345);   // not silence: Mix must write every sample
    SoundMixer::Mix(voices, out.data(), frames);
    return SplitChannels(out);
}

StereoOut MixOne(SoundVoice& voice, uint32_t frames)
{
    return MixFrames({&voice}, frames);
}
} // namespace

TEST(SoundMixer, NothingPlayingGivesSilence)
{
    SoundVoice stopped = MakeVoice({1000, 2000});
    stopped.playing = false;
    const StereoOut none = MixFrames({}, 3);
    const StereoOut quiet = MixOne(stopped, 3);
    EXPECT_EQ(none.left, (std::vector<int16_t>{0, 0, 0}));
    EXPECT_EQ(none.right, (std::vector<int16_t>{0, 0, 0}));
    EXPECT_EQ(quiet.left, (std::vector<int16_t>{0, 0, 0}));
    EXPECT_EQ(stopped.cursor, 0u);
}

TEST(SoundMixer, FullVolumeCentredMonoIsCopiedExactlyToBothChannels)
{
    SoundVoice voice = MakeVoice({0, 1, -1, 32767, -32768, 12345});
    const StereoOut out = MixOne(voice, 6);
    const std::vector<int16_t> expected{0, 1, -1, 32767, -32768, 12345};
    EXPECT_EQ(out.left, expected);
    EXPECT_EQ(out.right, expected);
}

TEST(SoundMixer, SamplesAreReadLittleEndian)
{
    SoundVoice voice = MakeVoice({0});
    voice.samples[0] = 0x34;
    voice.samples[1] = 0x12;
    EXPECT_EQ(MixOne(voice, 1).left[0], 0x1234);
}

TEST(SoundMixer, VolumeFollowsTwentyDecibelsPerFactorOfTen)
{
    // 10^(-2000/2000) = 0.1; 10^(-600/2000) = 0.50119; 10^(-4000/2000) = 0.01.
    const std::vector<int16_t> samples{10000, -10000, 30000};
    SoundVoice tenth = MakeVoice(samples);
    tenth.volume = -2000;
    SoundVoice half = MakeVoice(samples);
    half.volume = -600;
    SoundVoice hundredth = MakeVoice(samples);
    hundredth.volume = -4000;
    EXPECT_EQ(MixOne(tenth, 3).left, (std::vector<int16_t>{1000, -1000, 3000}));
    EXPECT_EQ(MixOne(half, 3).left, (std::vector<int16_t>{5012, -5012, 15036}));
    EXPECT_EQ(MixOne(hundredth, 3).right, (std::vector<int16_t>{100, -100, 300}));
}

TEST(SoundMixer, LowestVolumeIsSilence)
{
    SoundVoice voice = MakeVoice({32767, -32768});
    voice.volume = -10000;
    const StereoOut out = MixOne(voice, 2);
    EXPECT_EQ(out.left, (std::vector<int16_t>{0, 0}));
    EXPECT_EQ(out.right, (std::vector<int16_t>{0, 0}));
    EXPECT_EQ(voice.cursor, 0u);   // two frames of two bytes: wrapped once, stopped
    EXPECT_FALSE(voice.playing);
}

TEST(SoundMixer, PositivePanLowersOnlyTheLeftChannel)
{
    SoundVoice voice = MakeVoice({10000});
    voice.pan = 2000;
    const StereoOut out = MixOne(voice, 1);
    EXPECT_EQ(out.left[0], 1000);
    EXPECT_EQ(out.right[0], 10000);
}

TEST(SoundMixer, NegativePanLowersOnlyTheRightChannel)
{
    SoundVoice voice = MakeVoice({-10000});
    voice.pan = -600;
    const StereoOut out = MixOne(voice, 1);
    EXPECT_EQ(out.left[0], -10000);
    EXPECT_EQ(out.right[0], -5012);
}

TEST(SoundMixer, FullPanSilencesOneSide)
{
    SoundVoice right = MakeVoice({20000});
    right.pan = 10000;
    SoundVoice left = MakeVoice({20000});
    left.pan = -10000;
    const StereoOut toRight = MixOne(right, 1);
    const StereoOut toLeft = MixOne(left, 1);
    EXPECT_EQ(toRight.left[0], 0);
    EXPECT_EQ(toRight.right[0], 20000);
    EXPECT_EQ(toLeft.left[0], 20000);
    EXPECT_EQ(toLeft.right[0], 0);
}

TEST(SoundMixer, VolumeAndPanAttenuationsAdd)
{
    // -10 dB everywhere, another -10 dB on the left: 0.1 left, 0.31623 right.
    SoundVoice voice = MakeVoice({20000});
    voice.volume = -1000;
    voice.pan = 1000;
    const StereoOut out = MixOne(voice, 1);
    EXPECT_EQ(out.left[0], 2000);
    EXPECT_EQ(out.right[0], 6325);
}

TEST(SoundMixer, StereoVoiceKeepsItsChannelsAndPansEach)
{
    SoundVoice voice = MakeVoice({100, -200, 300, -400}, 2);
    StereoOut out = MixOne(voice, 2);
    EXPECT_EQ(out.left, (std::vector<int16_t>{100, 300}));
    EXPECT_EQ(out.right, (std::vector<int16_t>{-200, -400}));

    SoundVoice panned = MakeVoice({10000, 10000}, 2);
    panned.pan = -2000;
    out = MixOne(panned, 1);
    EXPECT_EQ(out.left[0], 10000);
    EXPECT_EQ(out.right[0], 1000);
}

TEST(SoundMixer, VoicesAreSummedAndClampedTo16Bits)
{
    SoundVoice a = MakeVoice({1000, 30000, -30000, 20000});
    SoundVoice b = MakeVoice({-300, 30000, -30000, -20000});
    const StereoOut out = MixFrames({&a, &b}, 4);
    EXPECT_EQ(out.left, (std::vector<int16_t>{700, 32767, -32768, 0}));
    EXPECT_EQ(out.right, (std::vector<int16_t>{700, 32767, -32768, 0}));
}

TEST(SoundMixer, LoopingVoiceWrapsToItsStart)
{
    SoundVoice voice = MakeVoice({1, 2, 3});
    voice.looping = true;
    const StereoOut out = MixOne(voice, 7);
    EXPECT_EQ(out.left, (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_TRUE(voice.playing);
    EXPECT_EQ(voice.cursor, 2u);   // one mono frame into the next round
}

TEST(SoundMixer, OneShotStopsAtItsEndWithCursorBackAtZero)
{
    SoundVoice voice = MakeVoice({5, 6, 7}, 1);
    voice.cursor = 2;   // starts at the second frame
    const StereoOut out = MixOne(voice, 4);
    EXPECT_EQ(out.left, (std::vector<int16_t>{6, 7, 0, 0}));
    EXPECT_FALSE(voice.playing);
    EXPECT_EQ(voice.cursor, 0u);
}

TEST(SoundMixer, CursorAdvancesByFrameSizeAndCarriesOverBetweenCalls)
{
    SoundVoice mono = MakeVoice({1, 2, 3, 4, 5});
    SoundVoice stereo = MakeVoice({1, 1, 2, 2, 3, 3, 4, 4, 5, 5}, 2);
    MixFrames({&mono, &stereo}, 3);
    EXPECT_EQ(mono.cursor, 6u);
    EXPECT_EQ(stereo.cursor, 12u);
    const StereoOut rest = MixFrames({&mono}, 2);
    EXPECT_EQ(rest.left, (std::vector<int16_t>{4, 5}));
}

TEST(SoundMixer, LongMixesStaySampleExact)
{
    // 1500 frames of a 7-frame looping ramp and a one-shot of 1000 frames.
    std::vector<int16_t> ramp{1, 2, 3, 4, 5, 6, 7};
    std::vector<int16_t> shot(1000, 100);
    SoundVoice looping = MakeVoice(ramp);
    looping.looping = true;
    SoundVoice once = MakeVoice(shot);
    const StereoOut out = MixFrames({&looping, &once}, 1500);
    for (uint32_t i = 0; i < 1500; ++i)
    {
        const int expected = static_cast<int>(i % 7) + 1 + (i < 1000 ? 100 : 0);
        ASSERT_EQ(out.left[i], expected) << "frame " << i;
        ASSERT_EQ(out.right[i], expected) << "frame " << i;
    }
    EXPECT_EQ(looping.cursor, (1500u % 7u) * 2u);
    EXPECT_FALSE(once.playing);
}

TEST(SoundMixer, MalformedVoiceIsStoppedNotRead)
{
    SoundVoice empty;
    empty.playing = true;
    SoundVoice badLayout = MakeVoice({1, 2, 3});
    badLayout.channels = 3;
    SoundVoice cursorPastEnd = MakeVoice({9, 8});
    cursorPastEnd.cursor = 40;
    const StereoOut out = MixFrames({&empty, &badLayout, &cursorPastEnd}, 2);
    EXPECT_FALSE(empty.playing);
    EXPECT_FALSE(badLayout.playing);
    EXPECT_EQ(out.left, (std::vector<int16_t>{0, 0}));   // past the end: stopped, not read
    EXPECT_FALSE(cursorPastEnd.playing);
    EXPECT_EQ(cursorPastEnd.cursor, 0u);
}
