#include "platform/SoundDevice.h"

#include "platform/SoundBuffer.h"
#include "platform/SoundPrimaryBuffer.h"

using namespace SysSound;

namespace
{
constexpr uint32_t KnownBufferFlags = BufferPrimary | BufferCtrlVolume | BufferCtrlPan;
constexpr uint32_t BytesPerSample = BitsPerSample / 8;
} // namespace

SoundDevice::SoundDevice() : m_Voices(std::make_shared<SoundVoiceList>())
{
}

SoundDevice::~SoundDevice() = default;

bool SoundDevice::IsMixableFormat(const WaveFormat& format)
{
    const bool monoOrStereo = format.channels == 1 || format.channels == 2;
    return format.formatTag == FormatPcm && monoOrStereo && format.samplesPerSec == SampleRate &&
           format.bitsPerSample == BitsPerSample &&
           format.blockAlign == format.channels * BytesPerSample &&
           format.avgBytesPerSec == format.samplesPerSec * format.blockAlign;
}

Result SoundDevice::GetCaps(Caps* caps)
{
    if (caps == nullptr)
        return ErrInvalidParam;
    caps->flags = CapsPrimaryStereo | CapsPrimary16Bit | CapsSecondaryMono | CapsSecondaryStereo |
                  CapsSecondary16Bit;
    return Ok;
}

Result SoundDevice::SetCooperativeLevel(void*, uint32_t level)
{
    if (level < CoopNormal || level > CoopWritePrimary)
        return ErrInvalidParam;
    return Ok;
}

Result SoundDevice::CreateSoundBuffer(const BufferDesc& desc, Buffer** buffer)
{
    if (buffer == nullptr)
        return ErrInvalidParam;
    *buffer = nullptr;
    if ((desc.flags & ~KnownBufferFlags) != 0)
        return ErrInvalidParam;
    if ((desc.flags & BufferPrimary) != 0)
        return CreatePrimaryBuffer(desc, buffer);
    return CreateSecondaryBuffer(desc, buffer);
}

Result SoundDevice::CreatePrimaryBuffer(const BufferDesc& desc, Buffer** buffer)
{
    if (desc.flags != BufferPrimary || desc.bufferBytes != 0 || desc.format != nullptr)
        return ErrInvalidParam;
    *buffer = new SoundPrimaryBuffer();
    return Ok;
}

Result SoundDevice::CreateSecondaryBuffer(const BufferDesc& desc, Buffer** buffer)
{
    if (desc.format == nullptr)
        return ErrInvalidParam;
    if (!IsMixableFormat(*desc.format))
        return ErrBadFormat;
    const uint32_t frameBytes = desc.format->blockAlign;
    if (desc.bufferBytes < frameBytes || desc.bufferBytes % frameBytes != 0 ||
        desc.bufferBytes > MaxBufferBytes)
        return ErrInvalidParam;
    SoundBuffer* created =
        SoundBuffer::Create(m_Voices, desc.flags, desc.bufferBytes, desc.format->channels);
    if (created == nullptr)
        return ErrOutOfMemory;
    *buffer = created;
    return Ok;
}

Result SoundDevice::DuplicateSoundBuffer(Buffer* original, Buffer** duplicate)
{
    if (duplicate == nullptr)
        return ErrInvalidParam;
    *duplicate = nullptr;
    if (original == nullptr)
        return ErrInvalidParam;
    auto* secondary = dynamic_cast<SoundBuffer*>(original);
    if (secondary == nullptr)
        return ErrInvalidCall;   // the primary buffer has no samples to share
    *duplicate = secondary->Duplicate();
    return Ok;
}

Result SoundDevice::Release()
{
    delete this;
    return Ok;
}

void SoundDevice::Render(int16_t* out, uint32_t frames)
{
    m_Voices->Render(out, frames);
}
