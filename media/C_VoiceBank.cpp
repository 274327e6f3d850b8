#include "media/C_VoiceBank.h"

#include <algorithm>
#include <cstring>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "platform/SysClock.h"

namespace
{
constexpr int32_t FullPercent = 100;
constexpr int32_t TenthsPerBlock = 10;
constexpr int64_t MillisecondsPerSecond = 1000;
// A voice started at tick 0 would look free: it is recorded 1 ms earlier.
constexpr uint32_t FreeTick = 0;

bool AudioEnabled()
{
    return g_Config.audioEnabled != 0;
}

void Check(const char* label, SysSound::Result result)
{
    GlobalFunc::FatalDSoundError(label, result, true);
}

SysSound::WaveFormat SampleFormat()
{
    SysSound::WaveFormat format;
    format.formatTag = SysSound::FormatPcm;
    format.channels = 1;
    format.samplesPerSec = SysSound::SampleRate;
    format.avgBytesPerSec = CVoiceBank::SampleBytesPerSecond;
    format.blockAlign = CVoiceBank::SampleBlockAlign;
    format.bitsPerSample = SysSound::BitsPerSample;
    return format;
}

// Every little-endian 16-bit sample times `factor`, truncated toward zero.
void ScaleSamples(uint8_t* bytes, uint32_t count, float factor)
{
    for (uint32_t i = 0; i + 1 < count; i += 2)
    {
        const auto sample = static_cast<int16_t>(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
        const auto scaled = static_cast<int32_t>(static_cast<float>(sample) * factor);
        const auto clamped = static_cast<uint16_t>(static_cast<int16_t>(std::clamp(scaled, -32768, 32767)));
        bytes[i] = static_cast<uint8_t>(clamped & 0xFF);
        bytes[i + 1] = static_cast<uint8_t>(clamped >> 8);
    }
}

// The next name of a ';'-separated list; `rest` moves past it.
CString CutFileName(const char*& rest)
{
    const char* end = std::strchr(rest, ';');
    const size_t length = end != nullptr ? static_cast<size_t>(end - rest) : std::strlen(rest);
    const CString name = CString(rest).Mid(0, static_cast<int>(length));
    rest = end != nullptr ? end + 1 : rest + length;
    return name;
}
} // namespace

CVoiceBank::~CVoiceBank()
{
    Free();
}

void CVoiceBank::Init(int32_t slotCount, SysSound::Device* device)
{
    Free();
    m_Slots.assign(static_cast<size_t>(std::max(slotCount, 0)), SSlot());
    m_Device = device;
}

const CVoiceBank::SSlot* CVoiceBank::GetSlot(int32_t slot) const
{
    return IsSlotRange(slot, 1) ? &m_Slots[static_cast<size_t>(slot)] : nullptr;
}

bool CVoiceBank::IsSlotRange(int32_t firstSlot, int32_t count) const
{
    return firstSlot >= 0 && count >= 0 && int64_t(firstSlot) + count <= GetSlotCount();
}

// ---- Loading --------------------------------------------------------------------

void CVoiceBank::LoadSample(float volumeFactor, int32_t firstSlot, int32_t count, const char* fileList,
                            int32_t voices)
{
    g_Log.Write("Loading sound buffer:");
    const char* rest = fileList != nullptr ? fileList : "";
    for (int32_t i = 0; i < count; ++i)
    {
        const CString name = CutFileName(rest);
        g_Log.Write(CString("- Sample:") + name);
        if (!IsSlotRange(firstSlot + i, 1))
        {
            g_Log.Write(CString("Sample slot out of range, not loaded:") + name);
            continue;
        }
        SSlot& slot = m_Slots[static_cast<size_t>(firstSlot + i)];
        ReleaseSlot(slot);
        LoadSlot(slot, name, volumeFactor, std::max(voices, 1));
    }
}

// A file that cannot become a buffer (missing, empty, half a sample) leaves
// the slot without voices: its requests are then dropped, as for the slots
// the table leaves unused.
void CVoiceBank::LoadSlot(SSlot& slot, const CString& fileName, float volumeFactor, int32_t voices)
{
    if (m_Device == nullptr)
        return;
    CFile file;
    if (!file.OpenRead(fileName.GetBuffer()))
    {
        g_Log.Write(CString("File not found:") + fileName);
        return;
    }
    const int size = file.GetSize();
    if (size <= 0 || size % SampleBlockAlign != 0 || uint32_t(size) > SysSound::MaxBufferBytes)
    {
        g_Log.Write(CString("Sample file is empty or not whole 16-bit samples, not loaded:") + fileName);
        return;
    }
    std::vector<uint8_t> samples(static_cast<size_t>(size));
    if (file.Read(samples.data(), size) != size)
    {
        g_Log.Write(CString("Sample file could not be read, not loaded:") + fileName);
        return;
    }
    file.Close();
    if (volumeFactor != 1.0f)
        ScaleSamples(samples.data(), uint32_t(size), volumeFactor);
    if (!CreateVoices(slot, samples.data(), uint32_t(size), voices))
        return;
    slot.length = static_cast<int32_t>(int64_t(size) * MillisecondsPerSecond / SampleBytesPerSecond);
}

bool CVoiceBank::CreateVoices(SSlot& slot, const uint8_t* samples, uint32_t bytes, int32_t voices)
{
    const SysSound::WaveFormat format = SampleFormat();
    SysSound::BufferDesc desc;
    desc.flags = SysSound::BufferCtrlPan | SysSound::BufferCtrlVolume;
    desc.bufferBytes = bytes;
    desc.format = &format;
    SysSound::Buffer* first = nullptr;
    Check("CVoiceBank::LoadSample/1", m_Device->CreateSoundBuffer(desc, &first));
    if (first == nullptr)
        return false;
    void* region = nullptr;
    uint32_t regionBytes = 0;
    Check("CVoiceBank::LoadSample/2", first->Lock(0, bytes, &region, &regionBytes, nullptr, nullptr));
    std::memcpy(region, samples, std::min(regionBytes, bytes));
    Check("CVoiceBank::LoadSample/3", first->Unlock(region, regionBytes, nullptr, 0));
    slot.voices.assign(static_cast<size_t>(voices), nullptr);
    slot.startTicks.assign(static_cast<size_t>(voices), FreeTick);
    slot.voices[0] = first;
    for (int32_t v = 1; v < voices; ++v)
        Check("CVoiceBank::LoadSample/4", m_Device->DuplicateSoundBuffer(first, &slot.voices[size_t(v)]));
    slot.voiceCount = voices;
    return true;
}

// ---- Requests ----------------------------------------------------------------

int32_t CVoiceBank::DistanceFactor(int32_t blocks)
{
    if (blocks > SilenceDistance)
        return 0;
    if (blocks <= FullVolumeDistance)
        return FullPercent;
    const int32_t factor =
        FullPercent - static_cast<int32_t>((blocks - FullVolumeDistance) * 100.0 /
                                           (SilenceDistance - FullVolumeDistance));
    return std::clamp(factor, 0, FullPercent);
}

int32_t CVoiceBank::Play(int32_t firstSlot, int32_t variantCount, int32_t loop, int32_t volumePercent,
                         float pan)
{
    if (!AudioEnabled())
        return -1;
    return Request(firstSlot, variantCount, loop, g_Config.soundVolume * volumePercent / FullPercent, pan);
}

int32_t CVoiceBank::PlayAt(int32_t x, int32_t y, int32_t firstSlot, int32_t variantCount, int32_t loop,
                           int32_t volumePercent, float pan)
{
    if (!AudioEnabled())
        return -1;
    const int32_t blocks = GlobalFunc::Distance(x, y, m_ListenerX, m_ListenerY) / TenthsPerBlock;
    const int32_t factor = DistanceFactor(blocks);
    if (factor <= 0)
        return -1;
    int32_t volume = g_Config.soundVolume * factor / FullPercent;
    if (volumePercent != FullPercent)
        volume = volume * volumePercent / FullPercent;
    return Request(firstSlot, variantCount, loop, volume, pan);
}

int32_t CVoiceBank::Request(int32_t firstSlot, int32_t variantCount, int32_t loop, int32_t volume, float pan)
{
    if (variantCount < 1 || !IsSlotRange(firstSlot, variantCount))
        return -1;
    const int32_t chosen = firstSlot + GlobalFunc::Random(variantCount);
    SSlot& slot = m_Slots[static_cast<size_t>(chosen)];
    slot.request = loop != 0 ? RequestLooping : RequestOnce;
    if (volume > slot.requestVolume)
        slot.requestVolume = volume;
    slot.requestPan = pan;
    return chosen;
}

// ---- Update ------------------------------------------------------------------

bool CVoiceBank::IsVoiceFree(const SSlot& slot, int32_t voice, uint32_t now)
{
    const uint32_t started = slot.startTicks[size_t(voice)];
    return started == FreeTick || SysClock::TicksBetween(started, now) > uint32_t(slot.length);
}

void CVoiceBank::UpdateSoundEvents(int32_t listenerX, int32_t listenerY)
{
    if (!AudioEnabled())
        return;
    const uint32_t now = SysClock::TickCount();
    m_ListenerX = listenerX;
    m_ListenerY = listenerY;
    m_FullVolumeDistance = FullVolumeDistance;
    m_SilenceDistance = SilenceDistance;
    for (SSlot& slot : m_Slots)
    {
        if (slot.request == RequestNone)
            continue;
        for (int32_t v = 0; v < slot.voiceCount; ++v)
        {
            if (IsVoiceFree(slot, v, now))
            {
                StartVoice(slot, v, now);
                break;
            }
        }
        slot.request = RequestNone;
    }
}

// Each start plays the whole sample: a voice stopped or freed half-way
// through would otherwise go on from where it was.
void CVoiceBank::StartVoice(SSlot& slot, int32_t voice, uint32_t now)
{
    SysSound::Buffer* buffer = slot.voices[size_t(voice)];
    Check("CVoiceBank::UpdateSoundEvents/1", buffer->SetVolume(GlobalFunc::VolumeToAttenuation(slot.requestVolume)));
    slot.requestVolume = 0;
    Check("CVoiceBank::UpdateSoundEvents/2", buffer->SetPan(GlobalFunc::ToPan(slot.requestPan)));
    slot.requestPan = 0.0f;
    buffer->SetCurrentPosition(0);
    const uint32_t flags = slot.request == RequestLooping ? uint32_t(SysSound::PlayLooping) : 0u;
    Check("CVoiceBank::UpdateSoundEvents/3", buffer->Play(flags));
    slot.startTicks[size_t(voice)] = now != FreeTick ? now : now - 1;
}

// ---- Stopping and volumes ------------------------------------------------------

void CVoiceBank::StopVoices(SSlot& slot, const char* label, bool freeThem)
{
    for (int32_t v = 0; v < slot.voiceCount; ++v)
    {
        Check(label, slot.voices[size_t(v)]->Stop());
        if (freeThem)
            slot.startTicks[size_t(v)] = FreeTick;
    }
    slot.requestVolume = 0;
}

void CVoiceBank::Stop(int32_t slot)
{
    if (!AudioEnabled() || !IsSlotRange(slot, 1))
        return;
    StopVoices(m_Slots[size_t(slot)], "CVoiceBank::Stop", true);
}

void CVoiceBank::StopBank(int32_t firstSlot, int32_t count)
{
    if (!AudioEnabled() || !IsSlotRange(firstSlot, count))
        return;
    for (int32_t s = firstSlot; s < firstSlot + count; ++s)
        StopVoices(m_Slots[size_t(s)], "CVoiceBank::StopBank()", false);
}

void CVoiceBank::Clear()
{
    if (!AudioEnabled())
        return;
    for (SSlot& slot : m_Slots)
        StopVoices(slot, "CVoiceBank::Clear()", false);
}

void CVoiceBank::SetBankVolume(int32_t firstSlot, int32_t count, int32_t percent)
{
    if (!AudioEnabled() || !IsSlotRange(firstSlot, count))
        return;
    const int32_t attenuation = GlobalFunc::VolumeToAttenuation(g_Config.soundVolume * percent / FullPercent);
    for (int32_t s = firstSlot; s < firstSlot + count; ++s)
    {
        SSlot& slot = m_Slots[size_t(s)];
        for (int32_t v = 0; v < slot.voiceCount; ++v)
        {
            Check("CVoiceBank::SetBankVolume()", slot.voices[size_t(v)]->SetVolume(attenuation));
            slot.startTicks[size_t(v)] = FreeTick;
        }
    }
}

void CVoiceBank::SetAllVolumes(int32_t percent)
{
    if (!AudioEnabled())
        return;
    for (SSlot& slot : m_Slots)
        slot.requestVolume = percent;
}

void CVoiceBank::ReleaseSlot(SSlot& slot)
{
    for (SysSound::Buffer* voice : slot.voices)
    {
        if (voice == nullptr)
            continue;
        voice->Stop();
        voice->Release();
    }
    slot = SSlot();
}

void CVoiceBank::Free()
{
    for (SSlot& slot : m_Slots)
        ReleaseSlot(slot);
    m_Slots.clear();
    m_Device = nullptr;
}
