#include "platform/sdl/SysSound_SDL.h"

#include "platform/SoundMixer.h"

namespace
{
// About 23 ms a period: short enough for prompt sounds, long enough for SDL.
constexpr Uint16 OutputPeriodFrames = 512;
constexpr int OutputFrameBytes = SoundMixer::OutputChannels * sizeof(int16_t);
} // namespace

SoundDeviceSDL* SoundDeviceSDL::Open()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return nullptr;

    auto* device = new SoundDeviceSDL();
    SDL_AudioSpec wanted{};
    wanted.freq = SysSound::SampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = SoundMixer::OutputChannels;
    wanted.samples = OutputPeriodFrames;
    wanted.callback = &SoundDeviceSDL::FillOutput;
    wanted.userdata = device;
    // No changes allowed: SDL converts our format to the output's.
    SDL_AudioSpec obtained{};
    device->m_Output = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device->m_Output == 0)
    {
        device->Release();
        return nullptr;
    }
    SDL_PauseAudioDevice(device->m_Output, 0);
    return device;
}

SoundDeviceSDL::~SoundDeviceSDL()
{
    // Closing waits for the audio thread, so no mix runs past this point.
    if (m_Output != 0)
        SDL_CloseAudioDevice(m_Output);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SDLCALL SoundDeviceSDL::FillOutput(void* device, Uint8* stream, int bytes)
{
    auto* self = static_cast<SoundDeviceSDL*>(device);
    self->Render(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(bytes / OutputFrameBytes));
}

SysSound::Result SysSound::CreateDevice(Device** device)
{
    if (device == nullptr)
        return ErrInvalidParam;
    *device = SoundDeviceSDL::Open();
    return *device != nullptr ? Ok : ErrNoDriver;
}
