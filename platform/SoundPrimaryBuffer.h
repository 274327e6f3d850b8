#pragma once
// The primary buffer: stands for the device's output.  It takes the output
// format and the looping play that the start-up asks of it; its samples are
// the mix and cannot be locked.

#include <cstdint>

#include "platform/SysSound.h"

class SoundPrimaryBuffer final : public SysSound::Buffer
{
public:
    SoundPrimaryBuffer() = default;

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
    ~SoundPrimaryBuffer() override = default;

    bool m_Playing = false;
};
