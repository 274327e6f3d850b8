// The sound device's buffers without an output: the tests render the mix
// themselves, so every cursor and sample is exact.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/SoundDevice.h"
#include "platform/SysSound.h"
#include "tests/platform/Sound_Helpers.h"

using namespace SysSound;
using SoundTest::PcmFormat;
using SoundTest::SplitChannels;
using SoundTest::StereoOut;

namespace
{
class SysSoundBuffer : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (Buffer* buffer : m_Buffers)
            buffer->Release();
        m_Device->Release();
    }

    Buffer* Make(uint16_t channels, uint32_t bytes, uint32_t flags = BufferCtrlVolume | BufferCtrlPan)
    {
        const WaveFormat format = PcmFormat(channels);
        EXPECT_EQ(CreateWith(flags, bytes, &format), Ok);
        return m_Buffers.empty() ? nullptr : m_Buffers.back();
    }

    Buffer* Keep(Buffer* buffer)
    {
        if (buffer != nullptr)
            m_Buffers.push_back(buffer);
        return buffer;
    }

    void Forget(Buffer* buffer)
    {
        std::erase(m_Buffers, buffer);
        buffer->Release();
    }

    Result CreateWith(uint32_t flags, uint32_t bytes, const WaveFormat* format)
    {
        BufferDesc desc;
        desc.flags = flags;
        desc.bufferBytes = bytes;
        desc.format = format;
        Buffer* buffer = reinterpret_cast<Buffer*>(this);   // must be reset to null on failure
        const Result result = m_Device->CreateSoundBuffer(desc, &buffer);
        if (result != Ok)
        {
            EXPECT_EQ(buffer, nullptr);
        }
        Keep(buffer);
        return result;
    }

    struct Locked
    {
        void* region1 = nullptr;
        void* region2 = nullptr;
        uint32_t bytes1 = 0;
        uint32_t bytes2 = 0;
        Result Lock(Buffer* buffer, uint32_t offset, uint32_t bytes)
        {
            return buffer->Lock(offset, bytes, &region1, &bytes1, &region2, &bytes2);
        }
        Result Unlock(Buffer* buffer) { return buffer->Unlock(region1, bytes1, region2, bytes2); }
    };

    // Writes samples at a byte offset through Lock and Unlock.
    static void Write(Buffer* buffer, uint32_t offset, const std::vector<int16_t>& samples)
    {
        const std::vector<uint8_t> bytes = SoundTest::ToBytes(samples);
        Locked lock;
        ASSERT_EQ(lock.Lock(buffer, offset, static_cast<uint32_t>(bytes.size())), Ok);
        std::memcpy(lock.region1, bytes.data(), lock.bytes1);
        if (lock.bytes2 > 0)
            std::memcpy(lock.region2, bytes.data() + lock.bytes1, lock.bytes2);
        ASSERT_EQ(lock.Unlock(buffer), Ok);
    }

    StereoOut Render(uint32_t frames)
    {
        std::vector<int16_t> out(frames * 2);
        m_Device->Render(out.data(), frames);
        return SplitChannels(out);
    }

    static uint32_t Position(Buffer* buffer)
    {
        uint32_t cursor = 0xFFFFFFFF;
        EXPECT_EQ(buffer->GetCurrentPosition(&cursor), Ok);
        return cursor;
    }

    static uint32_t Status(Buffer* buffer)
    {
        uint32_t status = 0xFFFFFFFF;
        EXPECT_EQ(buffer->GetStatus(&status), Ok);
        return status;
    }

    SoundDevice* m_Device = new SoundDevice();
    std::vector<Buffer*> m_Buffers;
};
} // namespace

TEST_F(SysSoundBuffer, OnlyWholeFramesOfSixteenBitPcmAt22050HzAreMixable)
{
    const WaveFormat mono = PcmFormat(1);
    const WaveFormat stereo = PcmFormat(2);
    EXPECT_EQ(CreateWith(0, 2, &mono), Ok);
    EXPECT_EQ(CreateWith(0, 4, &stereo), Ok);

    WaveFormat eightBit = PcmFormat(1);
    eightBit.bitsPerSample = 8;
    eightBit.blockAlign = 1;
    eightBit.avgBytesPerSec = 22050;
    WaveFormat fastRate = PcmFormat(2);
    fastRate.samplesPerSec = 44100;
    fastRate.avgBytesPerSec = 176400;
    WaveFormat wrongAlign = PcmFormat(2);
    wrongAlign.blockAlign = 2;
    for (const WaveFormat* bad : {&eightBit, &fastRate, &wrongAlign})
        EXPECT_EQ(CreateWith(0, 400, bad), ErrBadFormat);
    EXPECT_EQ(CreateWith(0, 400, nullptr), ErrInvalidParam);
    EXPECT_EQ(CreateWith(0, 0, &mono), ErrInvalidParam);
    EXPECT_EQ(CreateWith(0, 6, &stereo), ErrInvalidParam);
    EXPECT_EQ(CreateWith(0, MaxBufferBytes + 1, &mono), ErrInvalidParam);
}

TEST_F(SysSoundBuffer, LockAcrossTheEndGivesTwoRegionsOfTheCurrentContents)
{
    Buffer* buffer = Make(1, 100);
    Write(buffer, 0, {-1, -2});
    Locked lock;
    ASSERT_EQ(lock.Lock(buffer, 80, 40), Ok);
    EXPECT_EQ(lock.bytes1, 20u);
    ASSERT_EQ(lock.bytes2, 20u);
    EXPECT_EQ(SoundTest::FromBytes(static_cast<uint8_t*>(lock.region2), 4), (std::vector<int16_t>{-1, -2}));
    const std::vector<uint8_t> tail = SoundTest::ToBytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const std::vector<uint8_t> head = SoundTest::ToBytes({11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
    std::memcpy(lock.region1, tail.data(), 20);
    std::memcpy(lock.region2, head.data(), 20);
    ASSERT_EQ(lock.Unlock(buffer), Ok);

    // The first region lands at byte 80 (frame 40), the second at byte 0.
    ASSERT_EQ(buffer->Play(0), Ok);
    const StereoOut out = Render(50);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(out.left[i], i < 10 ? 11 + i : 0);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out.left[40 + i], 1 + i);
}

TEST_F(SysSoundBuffer, UnlockWritesOnlyTheReportedBytes)
{
    Buffer* buffer = Make(1, 8);
    Write(buffer, 0, {10, 20, 30, 40});
    Locked lock;
    ASSERT_EQ(lock.Lock(buffer, 2, 8), Ok);
    std::memset(lock.region1, 0x7F, lock.bytes1);
    std::memset(lock.region2, 0x7F, lock.bytes2);
    ASSERT_EQ(buffer->Unlock(lock.region1, 2, lock.region2, 0), Ok);
    ASSERT_EQ(buffer->Play(0), Ok);
    EXPECT_EQ(Render(4).left, (std::vector<int16_t>{10, 0x7F7F, 30, 40}));
}

TEST_F(SysSoundBuffer, LockAndUnlockRefuseBadRangesForeignRegionsAndASecondLock)
{
    Buffer* buffer = Make(1, 100);
    EXPECT_EQ(Status(buffer), 0u);   // a new buffer is stopped at 0
    EXPECT_EQ(Position(buffer), 0u);
    Locked lock;
    EXPECT_EQ(lock.Lock(buffer, 100, 2), ErrInvalidParam);
    EXPECT_EQ(lock.Lock(buffer, 0, 102), ErrInvalidParam);
    EXPECT_EQ(buffer->Unlock(lock.region1, 0, nullptr, 0), ErrInvalidCall);

    ASSERT_EQ(lock.Lock(buffer, 90, 20), Ok);
    Locked other;
    EXPECT_EQ(other.Lock(buffer, 0, 2), ErrInvalidCall);
    uint8_t foreign[20] = {};
    EXPECT_EQ(buffer->Unlock(foreign, lock.bytes1, lock.region2, lock.bytes2), ErrInvalidParam);
    EXPECT_EQ(buffer->Unlock(lock.region1, lock.bytes1, lock.region2, lock.bytes2 + 2), ErrInvalidParam);
    // The lock is still pending after a refused Unlock.
    EXPECT_EQ(lock.Unlock(buffer), Ok);
}

TEST_F(SysSoundBuffer, StopKeepsTheCursorAndPlayResumesThere)
{
    Buffer* buffer = Make(1, 12);
    Write(buffer, 0, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(buffer->Play(0), Ok);
    EXPECT_EQ(Render(2).left, (std::vector<int16_t>{1, 2}));
    ASSERT_EQ(buffer->Stop(), Ok);
    EXPECT_EQ(Status(buffer), 0u);
    EXPECT_EQ(Render(3).left, (std::vector<int16_t>{0, 0, 0}));
    EXPECT_EQ(Position(buffer), 4u);
    ASSERT_EQ(buffer->Play(0), Ok);
    EXPECT_EQ(Render(3).left, (std::vector<int16_t>{3, 4, 5}));

    // Play on a playing buffer only changes looping.
    ASSERT_EQ(buffer->SetCurrentPosition(6), Ok);
    ASSERT_EQ(buffer->Play(PlayLooping), Ok);
    EXPECT_EQ(Status(buffer), uint32_t{StatusPlaying | StatusLooping});
    EXPECT_EQ(Render(2).left, (std::vector<int16_t>{4, 5}));
    ASSERT_EQ(buffer->Play(0), Ok);   // no restart: finishes this round and stops
    EXPECT_EQ(Position(buffer), 10u);
    EXPECT_EQ(Status(buffer), uint32_t{StatusPlaying});
    EXPECT_EQ(Render(3).left, (std::vector<int16_t>{6, 0, 0}));
}

TEST_F(SysSoundBuffer, VolumeAndPanNeedTheirControlAndRangeAndAreHeard)
{
    Buffer* volumeOnly = Make(2, 4, BufferCtrlVolume);
    EXPECT_EQ(volumeOnly->SetPan(100), ErrControlUnavailable);
    Buffer* both = Make(1, 2);
    EXPECT_EQ(both->SetVolume(1), ErrInvalidParam);
    EXPECT_EQ(both->SetPan(-10001), ErrInvalidParam);

    Write(both, 0, {10000});
    ASSERT_EQ(both->SetVolume(-2000), Ok);
    ASSERT_EQ(both->SetPan(-600), Ok);
    ASSERT_EQ(both->Play(0), Ok);
    const StereoOut out = Render(1);
    EXPECT_EQ(out.left[0], 1000);    // 10000 * 0.1
    EXPECT_EQ(out.right[0], 501);    // 10000 * 0.1 * 0.50119
}

TEST_F(SysSoundBuffer, DuplicatesShareSamplesButNotCursorStateVolumeOrPan)
{
    Buffer* original = Make(1, 8);
    Write(original, 0, {100, 200, 300, 400});
    ASSERT_EQ(original->SetVolume(-2000), Ok);
    ASSERT_EQ(original->SetPan(10000), Ok);
    ASSERT_EQ(original->Play(PlayLooping), Ok);
    Render(1);

    Buffer* duplicate = nullptr;
    ASSERT_EQ(m_Device->DuplicateSoundBuffer(original, &duplicate), Ok);
    Keep(duplicate);
    // Stopped at 0 with the original's volume and pan.
    EXPECT_EQ(Status(duplicate), 0u);
    EXPECT_EQ(Position(duplicate), 0u);
    ASSERT_EQ(duplicate->Play(0), Ok);
    StereoOut out = Render(1);
    EXPECT_EQ(out.left[0], 0);
    EXPECT_EQ(out.right[0], 20 + 10);   // duplicate's frame 0 plus original's frame 1, both at 0.1

    // Own settings from here on; the original keeps its cursor and loop.
    ASSERT_EQ(duplicate->SetVolume(0), Ok);
    ASSERT_EQ(duplicate->SetPan(0), Ok);
    ASSERT_EQ(original->Stop(), Ok);
    EXPECT_EQ(Position(original), 4u);
    EXPECT_EQ(Position(duplicate), 2u);

    // A write through the original is heard in the duplicate, also once the original is gone.
    Write(original, 4, {-7});
    Forget(original);
    EXPECT_EQ(Render(3).left, (std::vector<int16_t>{200, -7, 400}));
    EXPECT_EQ(Status(duplicate), 0u);
}

TEST_F(SysSoundBuffer, BufferOutlivingItsDeviceStaysSafe)
{
    Buffer* buffer = Make(1, 4);
    m_Device->Release();
    m_Device = new SoundDevice();
    Write(buffer, 0, {5, 6});
    EXPECT_EQ(buffer->Play(0), Ok);
    EXPECT_EQ(Position(buffer), 0u);   // no output mixes it any more
    EXPECT_EQ(Render(1).left[0], 0);   // and the new device does not hear it
}

TEST_F(SysSoundBuffer, PrimaryBufferTakesTheOutputFormatAndLoopingPlayOnly)
{
    BufferDesc desc;
    desc.flags = BufferPrimary;
    Buffer* primary = nullptr;
    ASSERT_EQ(m_Device->CreateSoundBuffer(desc, &primary), Ok);
    Keep(primary);
    EXPECT_EQ(primary->SetFormat(PcmFormat(2)), Ok);
    EXPECT_EQ(primary->SetFormat(PcmFormat(1)), ErrBadFormat);
    EXPECT_EQ(primary->Play(0), ErrInvalidParam);
    EXPECT_EQ(primary->Play(PlayLooping), Ok);
    Locked lock;
    EXPECT_EQ(lock.Lock(primary, 0, 4), ErrInvalidCall);
    Buffer* duplicate = reinterpret_cast<Buffer*>(this);
    EXPECT_EQ(m_Device->DuplicateSoundBuffer(primary, &duplicate), ErrInvalidCall);
    EXPECT_EQ(duplicate, nullptr);
}

TEST(SoundErrorText, KnownAndUnknownCodes)
{
    EXPECT_STREQ(ErrorText(ErrNoDriver), "No sound output could be opened");
    EXPECT_STREQ(ErrorText(-12345), "Unknown sound device error");
}
