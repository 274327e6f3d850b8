#pragma once
// A secondary sound buffer: sample data with its own cursor, play state,
// volume and pan, heard through the device's voice list.

#include <cstdint>
#include <memory>

#include "platform/SoundMixer.h"
#include "platform/SoundVoiceList.h"
#include "platform/SysSound.h"

class SoundBuffer final : public SysSound::Buffer
{
public:
    // A silent buffer of `bytes` bytes (whole frames) with BufferFlag
    // `flags`; null when the memory cannot be had.
    static SoundBuffer* Create(std::shared_ptr<SoundVoiceList> voices, uint32_t flags,
                               uint32_t bytes, uint16_t channels);
    // A new buffer on the same samples; see SysSound::Device.
    SoundBuffer* Duplicate();

    SysSound::Result Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1,
                          void** region2, uint32_t* bytes2) override;
    SysSound::Result Unlock(void* region1, uint32_t bytes1, void* region2,
                            uint32_t bytes2) override;
    SysSound::Result Play(uint32_t flags) override;
    SysSound::Result Stop() override;
    SysSound::Result GetCurrentPosition(uint32_t* playCursor) override;
    SysSound::Result SetCurrentPosition(uint32_t playCursor) override;
    SysSound::Result GetStatus(uint32_t* status) override;
    SysSound::Result SetVolume(int32_t volume) override;
    SysSound::Result SetPan(int32_t pan) override;
    SysSound::Result SetFormat(const SysSound::WaveFormat& format) override;
    SysSound::Result Release() override;

private:
    SoundBuffer(std::shared_ptr<SoundVoiceList> voices, uint32_t flags, const SoundVoice& voice);
    ~SoundBuffer() override;

    bool UnlockMatches(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2) const;

    // What a pending Lock handed out: a copy of the locked bytes, written
    // back by Unlock, so the caller never writes memory the mixer reads.
    struct PendingLock
    {
        std::unique_ptr<uint8_t[]> copy;
        uint32_t offset = 0;
        uint32_t firstBytes = 0;    // from offset towards the end
        uint32_t secondBytes = 0;   // from the start of the buffer
    };

    std::shared_ptr<SoundVoiceList> m_Voices;
    uint32_t m_Flags;
    SoundVoice m_Voice;             // samples, bytes and channels never change
    PendingLock m_Lock;
};
