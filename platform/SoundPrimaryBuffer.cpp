#include "platform/SoundPrimaryBuffer.h"

#include "platform/SoundDevice.h"

using namespace SysSound;

Result SoundPrimaryBuffer::Lock(uint32_t, uint32_t, void**, uint32_t*, void**, uint32_t*)
{
    return ErrInvalidCall;
}

Result SoundPrimaryBuffer::Unlock(void*, uint32_t, void*, uint32_t)
{
    return ErrInvalidCall;
}

Result SoundPrimaryBuffer::Play(uint32_t flags)
{
    // The output never stops between sounds, so it can only loop.
    if (flags != PlayLooping)
        return ErrInvalidParam;
    m_Playing = true;
    return Ok;
}

Result SoundPrimaryBuffer::Stop()
{
    m_Playing = false;
    return Ok;
}

Result SoundPrimaryBuffer::GetCurrentPosition(uint32_t*)
{
    return ErrInvalidCall;
}

Result SoundPrimaryBuffer::SetCurrentPosition(uint32_t)
{
    return ErrInvalidCall;
}

Result SoundPrimaryBuffer::GetStatus(uint32_t* status)
{
    if (status == nullptr)
        return ErrInvalidParam;
    *status = m_Playing ? StatusPlaying | StatusLooping : 0u;
    return Ok;
}

Result SoundPrimaryBuffer::SetVolume(int32_t)
{
    return ErrControlUnavailable;
}

Result SoundPrimaryBuffer::SetPan(int32_t)
{
    return ErrControlUnavailable;
}

Result SoundPrimaryBuffer::SetFormat(const WaveFormat& format)
{
    if (!SoundDevice::IsMixableFormat(format) || format.channels != SoundMixer::OutputChannels)
        return ErrBadFormat;
    return Ok;
}

Result SoundPrimaryBuffer::Release()
{
    delete this;
    return Ok;
}
