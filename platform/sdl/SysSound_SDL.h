#pragma once
// The sound device on an SDL2 audio output: 16-bit stereo at 22050 Hz, which
// SDL converts to whatever the output runs at.  SDL's audio thread mixes the
// buffers; the voice list's lock keeps it apart from the main thread.

#include <SDL2/SDL.h>

#include "platform/SoundDevice.h"

class SoundDeviceSDL final : public SoundDevice
{
public:
    // The opened device, or null when SDL has no audio output to give.
    static SoundDeviceSDL* Open();

private:
    SoundDeviceSDL() = default;
    ~SoundDeviceSDL() override;

    static void SDLCALL FillOutput(void* device, Uint8* stream, int bytes);

    SDL_AudioDeviceID m_Output = 0;
};
