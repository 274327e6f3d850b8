#pragma once
// The sound device without an output: it makes the buffers and mixes them
// on request.  An output backend derives from it and calls Render from its
// own thread; tests call Render directly.

#include <cstdint>
#include <memory>

#include "platform/SoundVoiceList.h"
#include "platform/SysSound.h"

class SoundDevice : public SysSound::Device
{
public:
    SoundDevice();

    SysSound::Result GetCaps(SysSound::Caps* caps) override;
    SysSound::Result SetCooperativeLevel(void* window, uint32_t level) override;
    SysSound::Result CreateSoundBuffer(const SysSound::BufferDesc& desc,
                                       SysSound::Buffer** buffer) override;
    SysSound::Result DuplicateSoundBuffer(SysSound::Buffer* original,
                                          SysSound::Buffer** duplicate) override;
    SysSound::Result Release() override;

    // Any thread: mixes the next `frames` stereo frames of every playing
    // buffer into `out` (16-bit, 22050 Hz, left then right).
    void Render(int16_t* out, uint32_t frames);

    // PCM, 16 bits, 22050 Hz, mono or stereo, with consistent frame sizes.
    static bool IsMixableFormat(const SysSound::WaveFormat& format);

protected:
    ~SoundDevice() override;

private:
    SysSound::Result CreatePrimaryBuffer(const SysSound::BufferDesc& desc,
                                         SysSound::Buffer** buffer);
    SysSound::Result CreateSecondaryBuffer(const SysSound::BufferDesc& desc,
                                           SysSound::Buffer** buffer);

    std::shared_ptr<SoundVoiceList> m_Voices;
};
