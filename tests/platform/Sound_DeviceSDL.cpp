// The sound device on SDL's audio output (the dummy driver in the tests).

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/SysSound.h"
#include "tests/platform/Sound_Helpers.h"

using namespace SysSound;

namespace
{
constexpr auto PollLimit = std::chrono::seconds(5);
constexpr auto PollStep = std::chrono::milliseconds(5);

template <typename Condition>
bool WaitFor(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + PollLimit;
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(PollStep);
    }
    return condition();
}

Buffer* MakeStereo(Device* device, uint32_t bytes)
{
    const WaveFormat format = SoundTest::PcmFormat(2);
    BufferDesc desc;
    desc.flags = BufferCtrlVolume;
    desc.bufferBytes = bytes;
    desc.format = &format;
    Buffer* buffer = nullptr;
    EXPECT_EQ(device->CreateSoundBuffer(desc, &buffer), Ok);
    return buffer;
}

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_Name(name)
    {
        const char* old = std::getenv(name);
        m_Old = old != nullptr ? old : "";
        SDL_setenv(name, value, 1);
    }
    ~ScopedEnv() { SDL_setenv(m_Name.c_str(), m_Old.c_str(), 1); }

private:
    std::string m_Name;
    std::string m_Old;
};
} // namespace

TEST(SoundDeviceSDL, OpensOnTheDummyDriverAndMixesInRealTimeOnItsOwnThread)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    Device* device = nullptr;
    ASSERT_EQ(CreateDevice(&device), Ok);
    ASSERT_NE(device, nullptr);

    // It mixes on its own thread: a one-second looping stream's cursor moves without any call of ours.
    Buffer* stream = MakeStereo(device, 88200);
    ASSERT_EQ(stream->Play(PlayLooping), Ok);
    EXPECT_TRUE(WaitFor([&] {
        uint32_t cursor = 0;
        return stream->GetCurrentPosition(&cursor) == Ok && cursor > 0;
    }));

    // A 50 ms one-shot (1100 frames) ends by itself and rewinds.
    Buffer* shot = MakeStereo(device, 4400);
    ASSERT_EQ(shot->Play(0), Ok);
    EXPECT_TRUE(WaitFor([&] {
        uint32_t status = StatusPlaying;
        return shot->GetStatus(&status) == Ok && status == 0;
    }));
    uint32_t cursor = 1;
    EXPECT_EQ(shot->GetCurrentPosition(&cursor), Ok);
    EXPECT_EQ(cursor, 0u);

    EXPECT_EQ(shot->Release(), Ok);
    EXPECT_EQ(stream->Release(), Ok);
    EXPECT_EQ(device->Release(), Ok);
}

TEST(SoundDeviceSDL, MainThreadCallsWhileMixingAndReleaseInEitherOrder)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    Device* device = nullptr;
    ASSERT_EQ(CreateDevice(&device), Ok);
    Buffer* stream = MakeStereo(device, 88200);
    Buffer* duplicate = nullptr;
    ASSERT_EQ(device->DuplicateSoundBuffer(stream, &duplicate), Ok);
    ASSERT_EQ(stream->Play(PlayLooping), Ok);
    ASSERT_EQ(duplicate->Play(PlayLooping), Ok);

    // Refill the half the cursor is not in, as the streams do, for a while.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    int refills = 0;
    while (std::chrono::steady_clock::now() < until)
    {
        uint32_t cursor = 0;
        ASSERT_EQ(stream->GetCurrentPosition(&cursor), Ok);
        const uint32_t otherHalf = cursor < 44100 ? 44100 : 0;
        void* region = nullptr;
        uint32_t bytes = 0;
        ASSERT_EQ(stream->Lock(otherHalf, 44100, &region, &bytes, nullptr, nullptr), Ok);
        std::memset(region, refills & 0xFF, bytes);
        ASSERT_EQ(stream->Unlock(region, bytes, nullptr, 0), Ok);
        ASSERT_EQ(duplicate->SetVolume(-(refills % 10000)), Ok);
        ++refills;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(refills, 0);

    // The device goes first; its buffers stay safe to stop and release.
    EXPECT_EQ(device->Release(), Ok);
    EXPECT_EQ(stream->Stop(), Ok);
    EXPECT_EQ(stream->Release(), Ok);
    EXPECT_EQ(duplicate->Release(), Ok);
}

TEST(SoundDeviceSDL, ReportsNoDriverWhenNoOutputOpens)
{
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-audio-driver");
    Device* device = reinterpret_cast<Device*>(&driver);
    EXPECT_EQ(CreateDevice(&device), ErrNoDriver);
    EXPECT_EQ(device, nullptr);
}
