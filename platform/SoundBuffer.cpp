#include "platform/SoundBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace SysSound;

SoundBuffer* SoundBuffer::Create(std::shared_ptr<SoundVoiceList> voices, uint32_t flags,
                                 uint32_t bytes, uint16_t channels)
{
    SoundVoice voice;
    voice.samples = std::shared_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]());
    if (!voice.samples)
        return nullptr;
    voice.bytes = bytes;
    voice.channels = channels;
    return new SoundBuffer(std::move(voices), flags, voice);
}

SoundBuffer::SoundBuffer(std::shared_ptr<SoundVoiceList> voices, uint32_t flags,
                         const SoundVoice& voice)
    : m_Voices(std::move(voices)), m_Flags(flags), m_Voice(voice)
{
    m_Voices->Add(&m_Voice);
}

SoundBuffer::~SoundBuffer()
{
    m_Voices->Remove(&m_Voice);
}

SoundBuffer* SoundBuffer::Duplicate()
{
    SoundVoice copy;
    {
        std::lock_guard<std::mutex> lock(m_Voices->Mutex());
        copy.samples = m_Voice.samples;
        copy.bytes = m_Voice.bytes;
        copy.channels = m_Voice.channels;
        copy.volume = m_Voice.volume;
        copy.pan = m_Voice.pan;
    }
    return new SoundBuffer(m_Voices, m_Flags, copy);
}

Result SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1,
                         void** region2, uint32_t* bytes2)
{
    if (region1 == nullptr || bytes1 == nullptr)
        return ErrInvalidParam;
    if (m_Lock.copy)
        return ErrInvalidCall;
    if (offset >= m_Voice.bytes || bytes == 0 || bytes > m_Voice.bytes)
        return ErrInvalidParam;
    const uint32_t first = std::min(bytes, m_Voice.bytes - offset);
    const uint32_t second = bytes - first;
    if (second > 0 && (region2 == nullptr || bytes2 == nullptr))
        return ErrInvalidParam;

    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[bytes]);
    if (!copy)
        return ErrOutOfMemory;
    {
        std::lock_guard<std::mutex> lock(m_Voices->Mutex());
        std::memcpy(copy.get(), m_Voice.samples.get() + offset, first);
        std::memcpy(copy.get() + first, m_Voice.samples.get(), second);
    }
    *region1 = copy.get();
    *bytes1 = first;
    if (region2 != nullptr)
        *region2 = second > 0 ? copy.get() + first : nullptr;
    if (bytes2 != nullptr)
        *bytes2 = second;
    m_Lock.copy = std::move(copy);
    m_Lock.offset = offset;
    m_Lock.firstBytes = first;
    m_Lock.secondBytes = second;
    return Ok;
}

bool SoundBuffer::UnlockMatches(void* region1, uint32_t bytes1, void* region2,
                                uint32_t bytes2) const
{
    if (region1 != m_Lock.copy.get() || bytes1 > m_Lock.firstBytes)
        return false;
    if (bytes2 == 0)
        return true;
    return m_Lock.secondBytes > 0 && region2 == m_Lock.copy.get() + m_Lock.firstBytes &&
           bytes2 <= m_Lock.secondBytes;
}

Result SoundBuffer::Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2)
{
    if (!m_Lock.copy)
        return ErrInvalidCall;
    if (!UnlockMatches(region1, bytes1, region2, bytes2))
        return ErrInvalidParam;
    {
        std::lock_guard<std::mutex> lock(m_Voices->Mutex());
        std::memcpy(m_Voice.samples.get() + m_Lock.offset, m_Lock.copy.get(), bytes1);
        std::memcpy(m_Voice.samples.get(), m_Lock.copy.get() + m_Lock.firstBytes, bytes2);
    }
    m_Lock = PendingLock{};
    return Ok;
}

Result SoundBuffer::Play(uint32_t flags)
{
    if ((flags & ~uint32_t{PlayLooping}) != 0)
        return ErrInvalidParam;
    std::lock_guard<std::mutex> lock(m_Voices->Mutex());
    m_Voice.playing = true;
    m_Voice.looping = (flags & PlayLooping) != 0;
    return Ok;
}

Result SoundBuffer::Stop()
{
    std::lock_guard<std::mutex> lock(m_Voices->Mutex());
    m_Voice.playing = false;
    return Ok;
}

Result SoundBuffer::GetCurrentPosition(uint32_t* playCursor)
{
    if (playCursor == nullptr)
        return ErrInvalidParam;
    std::lock_guard<std::mutex> lock(m_Voices->Mutex());
    *playCursor = m_Voice.cursor;
    return Ok;
}

Result SoundBuffer::SetCurrentPosition(uint32_t playCursor)
{
    if (playCursor >= m_Voice.bytes)
        return ErrInvalidParam;
    std::lock_guard<std::mutex> lock(m_Voices->Mutex());
    m_Voice.cursor = playCursor - playCursor % m_Voice.FrameBytes();
    return Ok;
}

Result SoundBuffer::GetStatus(uint32_t* status)
{
    if (status == nullptr)
        return ErrInvalidParam;
    std::lock_guard<std::mutex> lock(m_Voices->Mutex());
    *status = 0;
    if (m_Voice.playing)
        *status |= StatusPlaying | (m_Voice.looping ? StatusLooping : 0u);
    return Ok;
}

Result SoundBuffer::SetVolume(int32_t volume)
{
    if ((m_Flags & BufferCtrlVolume) == 0)
        return ErrControlUnavailable;
    if (volume < VolumeMin || volume > VolumeMax)
        return ErrInvalidParam;
    std::lock_guard<std::mutex> lock(m_Voices->Mutex());
    m_Voice.volume = volume;
    return Ok;
}

Result SoundBuffer::SetPan(int32_t pan)
{
    if ((m_Flags & BufferCtrlPan) == 0)
        return ErrControlUnavailable;
    if (pan < PanLeft || pan > PanRight)
        return ErrInvalidParam;
    std::lock_guard<std::mutex> lock(m_Voices->Mutex());
    m_Voice.pan = pan;
    return Ok;
}

Result SoundBuffer::SetFormat(const WaveFormat&)
{
    // A secondary buffer's format is fixed when it is made.
    return ErrInvalidCall;
}

Result SoundBuffer::Release()
{
    delete this;
    return Ok;
}
