// Sound files of any size and content: a sample is loaded into the bank or
// refused, a music track and a speech stream play through the mixer, and
// nothing is read or written outside the buffers.  The first byte picks the
// sample's volume factor and whether the music repeats.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "media/C_Music.h"
#include "media/C_SoundStream.h"
#include "media/C_VoiceBank.h"
#include "platform/SoundDevice.h"

namespace
{
constexpr uint32_t RenderFrames = 6000;   // more than a half per round
constexpr int Rounds = 6;
constexpr float Factors[] = {1.0f, 0.5f, 0.9f, -1.0f};

struct SScratchFolder
{
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("v2krn-fuzz-sound-" + std::to_string(::getpid()));
    SScratchFolder()
    {
        std::filesystem::create_directories(path);
        InitDataFile((path.string() + "/").c_str(), 0);
        g_Config.audioEnabled = 1;
        g_Config.soundVolume = 100;
        g_Config.musicVolume = 100;
    }
    ~SScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

void Play(SoundDevice& device, CVoiceBank& bank, CMusic& music, CSoundStream& stream)
{
    std::vector<int16_t> out(RenderFrames * 2);
    for (int round = 0; round < Rounds; ++round)
    {
        device.Render(out.data(), RenderFrames);
        bank.UpdateSoundEvents(0, 0);
        music.UpdateMusic();
        stream.Update();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const SScratchFolder folder;
    {
        std::ofstream out(folder.path / "a.snd", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const uint8_t choice = size > 0 ? data[0] : 0;
    auto* device = new SoundDevice();
    {
        CVoiceBank bank;
        bank.Init(2, device);
        bank.LoadSample(Factors[choice % 4], 0, 2, "a.snd;missing.snd", 2);
        bank.Play(0, 2, choice & 4, 100, 0.5f);
        CMusic music;
        music.Init(device);
        music.AddToPlaylist("a.snd");
        music.AddToPlaylist("a.snd");
        music.Play(0, choice & 8 ? 1 : 0);
        CSoundStream stream;
        stream.Init(device);
        stream.Play("a.snd");
        Play(*device, bank, music, stream);
    }
    device->Release();
    return 0;
}
