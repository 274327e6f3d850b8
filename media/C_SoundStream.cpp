#include "media/C_SoundStream.h"

#include <algorithm>
#include <cstring>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"

namespace
{
bool AudioEnabled()
{
    return g_Config.audioEnabled != 0;
}

void Check(const char* label, SysSound::Result result)
{
    GlobalFunc::FatalDSoundError(label, result, true);
}
} // namespace

// ---- The streaming buffer ----------------------------------------------------

SysSound::Buffer* StreamBuffer::Create(SysSound::Device* device, const char* label)
{
    if (device == nullptr)
        return nullptr;
    SysSound::WaveFormat format;
    format.formatTag = SysSound::FormatPcm;
    format.channels = 2;
    format.samplesPerSec = SysSound::SampleRate;
    format.avgBytesPerSec = SysSound::SampleRate * FrameBytes;
    format.blockAlign = FrameBytes;
    format.bitsPerSample = SysSound::BitsPerSample;
    SysSound::BufferDesc desc;
    desc.flags = SysSound::BufferCtrlVolume;
    desc.bufferBytes = Bytes;
    desc.format = &format;
    SysSound::Buffer* buffer = nullptr;
    Check(label, device->CreateSoundBuffer(desc, &buffer));
    return buffer;
}

// A partial frame at the end would shift the channels of whatever follows.
int32_t StreamBuffer::WholeFrameSize(const CFile& file)
{
    const int size = file.IsOpen() ? file.GetSize() : 0;
    return size > 0 ? size - size % static_cast<int>(FrameBytes) : 0;
}

int32_t StreamBuffer::HalfAt(uint32_t playCursor)
{
    return playCursor / HalfBytes != 0 ? 1 : 0;
}

// ---- The speech stream ---------------------------------------------------------

CSoundStream::~CSoundStream()
{
    Release();
}

void CSoundStream::Init(SysSound::Device* device)
{
    Release();
    m_Buffer = StreamBuffer::Create(device, "CSoundStream::Init/1");
}

void CSoundStream::Play(const char* fileName)
{
    if (!AudioEnabled() || m_Buffer == nullptr)
        return;
    Stop();
    if (!m_File.OpenRead(fileName != nullptr ? fileName : ""))
        g_Log.Write(CString("File not found:") + (fileName != nullptr ? fileName : ""));
    m_PlayingHalf = 0;
    m_FileSize = StreamBuffer::WholeFrameSize(m_File);
    m_FilePosition = 0;
    m_HalvesPlayed = 0;
    LoadBufferPart(0);
    LoadBufferPart(1);
    SetVolume(g_Config.soundVolume);
    // The cursor stays where an earlier stream was stopped: start over.
    m_Buffer->SetCurrentPosition(0);
    Check("CSoundStream::Play()/1", m_Buffer->Play(SysSound::PlayLooping));
    m_Playing = 1;
}

void CSoundStream::Stop()
{
    if (!AudioEnabled() || m_Playing == 0)
        return;
    m_Playing = 0;
    if (m_Buffer != nullptr)
        m_Buffer->Stop();
    m_File.Close();
}

void CSoundStream::SetVolume(int32_t percent)
{
    if (!AudioEnabled() || m_Buffer == nullptr)
        return;
    m_Volume = percent;
    Check("CSoundStream::SetVolume()/1", m_Buffer->SetVolume(GlobalFunc::VolumeToAttenuation(percent)));
}

// The stream ends once the cursor has passed the file's last sample, so
// nothing of it is cut; the halves after the data are silence until then.
void CSoundStream::Update()
{
    if (!AudioEnabled() || m_Playing == 0 || m_Buffer == nullptr)
        return;
    if (m_Volume != g_Config.soundVolume)
        SetVolume(g_Config.soundVolume);
    uint32_t cursor = 0;
    m_Buffer->GetCurrentPosition(&cursor);
    const int32_t half = StreamBuffer::HalfAt(cursor);
    if (half != m_PlayingHalf)
    {
        LoadBufferPart(m_PlayingHalf);
        m_PlayingHalf = half;
        ++m_HalvesPlayed;
    }
    const int64_t heard = m_HalvesPlayed * StreamBuffer::HalfBytes + cursor % StreamBuffer::HalfBytes;
    if (heard >= m_FileSize)
        Stop();
}

void CSoundStream::LoadBufferPart(int32_t half)
{
    void* regions[2] = {nullptr, nullptr};
    uint32_t sizes[2] = {0, 0};
    Check("CSoundStream::LoadBufferPart()/1",
          m_Buffer->Lock(uint32_t(half) * StreamBuffer::HalfBytes, StreamBuffer::HalfBytes, &regions[0], &sizes[0],
                         &regions[1], &sizes[1]));
    for (int r = 0; r < 2; ++r)
    {
        if (regions[r] == nullptr)
            continue;
        auto* bytes = static_cast<uint8_t*>(regions[r]);
        const int wanted = std::min(int(sizes[r]), m_FileSize - m_FilePosition);
        int got = wanted > 0 ? m_File.Read(bytes, wanted) : 0;
        if (got < wanted)
        {
            // The file ended early: what came, in whole frames, is its end.
            got = std::max(got, 0);
            got -= got % int(StreamBuffer::FrameBytes);
            m_FileSize = m_FilePosition + got;
        }
        m_FilePosition += got;
        std::memset(bytes + got, 0, sizes[r] - uint32_t(got));
    }
    Check("CSoundStream::LoadBufferPart()/2", m_Buffer->Unlock(regions[0], sizes[0], regions[1], sizes[1]));
}

void CSoundStream::Release()
{
    if (m_Buffer != nullptr)
    {
        m_Buffer->Stop();
        m_Buffer->Release();
        m_Buffer = nullptr;
    }
    m_Playing = 0;
    m_File.Close();
}
