#include <gtest/gtest.h>

#include <cstring>

#include "platform/SoundDevice.h"
#include "platform/SoundMixer.h"
#include "tests/support/ReferenceBytes.h"

using namespace SysSound;
using Samples = std::vector<int16_t>;

namespace
{
WaveFormat PcmFormat(uint16_t channels)
{
    return {FormatPcm, channels, 22050, 22050u * channels * 2, static_cast<uint16_t>(channels * 2), 16};
}

// Little-endian bytes of 16-bit samples, written byte by byte.
std::vector<uint8_t> ToBytes(const Samples& samples)
{
    std::string bytes;
    for (int16_t sample : samples) bytes += LE32(static_cast<uint16_t>(sample)).substr(0, 2);
    return {bytes.begin(), bytes.end()};
}

// A playing mono voice over `samples`.
SoundVoice MakeVoice(const Samples& samples)
{
    const std::vector<uint8_t> bytes = ToBytes(samples);
    SoundVoice voice;
    voice.samples = std::shared_ptr<uint8_t[]>(new uint8_t[bytes.size()]);
    std::memcpy(voice.samples.get(), bytes.data(), bytes.size());
    voice.bytes = static_cast<uint32_t>(bytes.size()), voice.playing = true;
    return voice;
}

struct StereoOut { Samples left, right; };

StereoOut SplitChannels(const Samples& interleaved)
{
    StereoOut out;
    for (size_t i = 0; i + 1 < interleaved.size(); i += 2)
        out.left.push_back(interleaved[i]), out.right.push_back(interleaved[i + 1]);
    return out;
}

struct Locked
{
    void *region1 = nullptr, *region2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    Result Lock(Buffer* buffer, uint32_t offset, uint32_t bytes)
    {
        return buffer->Lock(offset, bytes, &region1, &bytes1, &region2, &bytes2);
    }
    Result Unlock(Buffer* buffer) { return buffer->Unlock(region1, bytes1, region2, bytes2); }
};

class SysSoundBuffer : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (Buffer* buffer : m_Buffers) buffer->Release();
        m_Device->Release();
    }

    Result Create(uint32_t bytes, const WaveFormat* format, uint32_t flags = BufferCtrlVolume | BufferCtrlPan)
    {
        const BufferDesc desc{.flags = flags, .bufferBytes = bytes, .format = format};
        Buffer* buffer = reinterpret_cast<Buffer*>(this);   // must be reset to null on failure
        const Result result = m_Device->CreateSoundBuffer(desc, &buffer);
        if (result == Ok) m_Buffers.push_back(buffer);
        else EXPECT_EQ(buffer, nullptr);
        return result;
    }
    Buffer* Make(uint16_t channels, uint32_t bytes, uint32_t flags = BufferCtrlVolume | BufferCtrlPan)
    {
        const WaveFormat format = PcmFormat(channels);
        EXPECT_EQ(Create(bytes, &format, flags), Ok);
        return m_Buffers.back();
    }
    static void Write(Buffer* buffer, uint32_t offset, const Samples& samples)
    {
        const std::vector<uint8_t> bytes = ToBytes(samples);
        Locked lock;
        ASSERT_EQ(lock.Lock(buffer, offset, static_cast<uint32_t>(bytes.size())), Ok);
        std::memcpy(lock.region1, bytes.data(), lock.bytes1);
        ASSERT_EQ(lock.Unlock(buffer), Ok);
    }
    StereoOut Render(uint32_t frames)
    {
        Samples out(frames * 2);
        m_Device->Render(out.data(), frames);
        return SplitChannels(out);
    }
    static std::pair<uint32_t, uint32_t> StatusAndPosition(Buffer* buffer)
    {
        uint32_t status = 0xFFFFFFFF, cursor = 0xFFFFFFFF;
        EXPECT_TRUE(buffer->GetStatus(&status) == Ok && buffer->GetCurrentPosition(&cursor) == Ok);
        return {status, cursor};
    }

    SoundDevice* m_Device = new SoundDevice();
    std::vector<Buffer*> m_Buffers;
};

StereoOut MixFrames(std::vector<SoundVoice*> voices, uint32_t frames)
{
    Samples out(frames * 2, 12345);   // not silence: Mix must write every sample
    SoundMixer::Mix(voices, out.data(), frames);
    return SplitChannels(out);
}
} // namespace

TEST_F(SysSoundBuffer, OnlyWholeSixteenBitFramesAreMixableAndLocksRefuseBadRangesForeignRegionsAndASecondLock)
{
    const WaveFormat mono = PcmFormat(1), stereo = PcmFormat(2);
    EXPECT_TRUE(Create(2, &mono) == Ok && Create(4, &stereo) == Ok);
    // Tag, channels, rate, bytes a second, bytes a frame, bits: 8 bits, 44100 a second, a stereo frame of 2 bytes.
    const WaveFormat bad[] = {{FormatPcm, 1, 22050, 22050, 1, 8}, {FormatPcm, 2, 44100, 176400, 4, 16},
                              {FormatPcm, 2, 22050, 88200, 2, 16}};
    for (const WaveFormat& format : bad)
        EXPECT_EQ(Create(400, &format), ErrBadFormat) << format.samplesPerSec << " " << format.blockAlign;
    EXPECT_TRUE(Create(400, nullptr) == ErrInvalidParam && Create(0, &mono) == ErrInvalidParam &&
                Create(6, &stereo) == ErrInvalidParam && Create(MaxBufferBytes + 1, &mono) == ErrInvalidParam);
    Buffer* buffer = Make(1, 100);
    EXPECT_EQ(StatusAndPosition(buffer), std::pair(0u, 0u));   // a new buffer is stopped at 0
    Locked lock, other;
    ASSERT_TRUE(lock.Lock(buffer, 100, 2) == ErrInvalidParam && lock.Lock(buffer, 0, 102) == ErrInvalidParam &&
                buffer->Unlock(lock.region1, 0, nullptr, 0) == ErrInvalidCall && lock.Lock(buffer, 90, 20) == Ok);
    EXPECT_EQ(other.Lock(buffer, 0, 2), ErrInvalidCall);
    uint8_t foreign[20] = {};
    EXPECT_EQ(buffer->Unlock(foreign, lock.bytes1, lock.region2, lock.bytes2), ErrInvalidParam);
    EXPECT_EQ(buffer->Unlock(lock.region1, lock.bytes1, lock.region2, lock.bytes2 + 2), ErrInvalidParam);
    EXPECT_EQ(lock.Unlock(buffer), Ok);   // still pending after a refused Unlock
}

TEST_F(SysSoundBuffer, VolumeAndPanNeedTheirControlAndRangeAndDuplicatesKeepTheirOwn)
{
    EXPECT_EQ(Make(2, 4, BufferCtrlVolume)->SetPan(100), ErrControlUnavailable);
    Buffer* original = Make(1, 8);
    EXPECT_TRUE(original->SetVolume(1) == ErrInvalidParam && original->SetPan(-10001) == ErrInvalidParam);
    Write(original, 0, {10000, 200, 300, 400});
    ASSERT_TRUE(original->SetVolume(-2000) == Ok && original->SetPan(-600) == Ok && original->Play(PlayLooping) == Ok);
    StereoOut out = Render(1);
    EXPECT_TRUE(out.left[0] == 1000 && out.right[0] == 501);   // 10000 * 0.1, and * 0.50119 on the right

    // A duplicate starts stopped at 0 with the original's volume and pan.
    Buffer* duplicate = nullptr;
    ASSERT_EQ(m_Device->DuplicateSoundBuffer(original, &duplicate), Ok);
    m_Buffers.push_back(duplicate);
    EXPECT_EQ(StatusAndPosition(duplicate), std::pair(0u, 0u));
    ASSERT_TRUE(original->SetPan(10000) == Ok && duplicate->Play(0) == Ok);
    out = Render(1);
    // The duplicate's frame 0 at 0.1 in both, the original panned right.
    EXPECT_TRUE(out.left[0] == 1000 && out.right[0] == 501 + 20) << out.left[0] << " " << out.right[0];
    ASSERT_TRUE(duplicate->SetVolume(0) == Ok && original->Stop() == Ok);
    EXPECT_EQ(StatusAndPosition(original), std::pair(0u, 4u));
    // A write through the original is heard in the duplicate, also once the original is gone.
    Write(original, 4, {-7});
    std::erase(m_Buffers, original), original->Release();
    EXPECT_EQ(Render(3).left, (Samples{200, -7, 400}));
}

TEST(SoundMixer, MonoIsCopiedExactlyVolumeAndPanFollowTheirLawsAndVoicesAreSummedAndClamped)
{
    const Samples samples{0, 1, -1, 32767, -32768, 12345};
    SoundVoice voice = MakeVoice(samples);
    const StereoOut out = MixFrames({&voice}, 6);
    EXPECT_TRUE(out.left == samples && out.right == samples);
    SoundVoice raw = MakeVoice({0});
    raw.samples[0] = 0x34, raw.samples[1] = 0x12;
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
        SoundVoice voice = MakeVoice({c.sample});
        voice.volume = c.volume, voice.pan = c.pan;
        const StereoOut out = MixFrames({&voice}, 1);
        EXPECT_TRUE(out.left[0] == c.left && out.right[0] == c.right) << "volume " << c.volume << " pan " << c.pan;
    }
    EXPECT_TRUE(SoundMixer::AttenuationToGain(-10000) == 0.0f && SoundMixer::AttenuationToGain(-9999) > 0.0f);
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

    SoundVoice looping = MakeVoice({1, 2, 3, 4, 5, 6, 7}), burst = MakeVoice(Samples(1000, 100));
    looping.looping = true;
    const StereoOut out = MixFrames({&looping, &burst}, 1500);
    for (uint32_t i = 0; i < 1500; ++i)
    {
        const int expected = static_cast<int>(i % 7) + 1 + (i < 1000 ? 100 : 0);
        ASSERT_TRUE(out.left[i] == expected && out.right[i] == expected) << "frame " << i << ": " << out.left[i];
    }
    EXPECT_TRUE(looping.playing && looping.cursor == ((1500u % 7u) * 2u) && !burst.playing);
    SoundVoice stopped = MakeVoice({1000, 2000}), empty, badLayout = MakeVoice({1, 2, 3});
    SoundVoice cursorPastEnd = MakeVoice({9, 8});
    stopped.playing = false, empty.playing = true, badLayout.channels = 3, cursorPastEnd.cursor = 40;
    EXPECT_EQ(MixFrames({&stopped, &empty, &badLayout, &cursorPastEnd}, 2).left, (Samples{0, 0}));
    EXPECT_TRUE(stopped.cursor == 0u && !empty.playing && !badLayout.playing && !cursorPastEnd.playing &&
                cursorPastEnd.cursor == 0u);
}
