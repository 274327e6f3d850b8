#include "media/C_Music.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "media/C_SoundStream.h"

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

CMusic::~CMusic()
{
    Release();
}

void CMusic::Init(SysSound::Device* device)
{
    Release();
    m_Buffer = StreamBuffer::Create(device, "CMusic::Init/1");
}

void CMusic::Release()
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

// ---- The playlist --------------------------------------------------------------

void CMusic::ClearPlaylist()
{
    if (!AudioEnabled())
        return;
    m_PlaylistCount = 0;
    m_CurrentEntry = 0;
}

void CMusic::AddToPlaylist(const char* fileName)
{
    if (!AudioEnabled() || fileName == nullptr)
        return;
    if (m_PlaylistCount >= MaxPlaylist)
    {
        g_Log.Write(CString("Music playlist is full, file not added:") + fileName);
        return;
    }
    CFile file;
    if (!file.OpenRead(fileName))
        return;
    file.Close();
    m_Playlist[m_PlaylistCount++] = fileName;
}

// ---- Playing -------------------------------------------------------------------

void CMusic::Play(int32_t index, uint8_t repeat)
{
    if (!AudioEnabled() || m_Buffer == nullptr || m_PlaylistCount == 0)
        return;
    if (index < 0 || index >= m_PlaylistCount)
    {
        g_Log.Write(CString("Music playlist has no entry ") + std::to_string(index).c_str() + ", not played");
        return;
    }
    if (m_Playing != 0)
        Stop();
    m_Repeat = repeat;
    OpenEntry(index);
    m_PlayingHalf = 0;
    LoadBufferPart(0);
    LoadBufferPart(1);
    m_Volume = g_Config.musicVolume;
    // The cursor stays where an earlier track was stopped: start over.
    m_Buffer->SetCurrentPosition(0);
    Check("CMusic::Play()/1", m_Buffer->Play(SysSound::PlayLooping));
    SetVolume(m_Volume);
    m_Playing = 1;
}

void CMusic::Stop()
{
    if (!AudioEnabled() || m_Playing == 0)
        return;
    m_Playing = 0;
    if (m_Buffer != nullptr)
        m_Buffer->Stop();
    m_File.Close();
}

void CMusic::SetVolume(int32_t percent)
{
    if (!AudioEnabled() || m_Buffer == nullptr)
        return;
    m_Volume = percent;
    Check("CMusic::SetVolume()/1", m_Buffer->SetVolume(GlobalFunc::VolumeToAttenuation(percent)));
}

void CMusic::UpdateMusic()
{
    if (!AudioEnabled() || m_Playing == 0 || m_Buffer == nullptr)
        return;
    if (m_Volume != g_Config.musicVolume)
    {
        m_Volume = g_Config.musicVolume;
        Check("CMusic::UpdateMusic()/UpdateVolume",
              m_Buffer->SetVolume(GlobalFunc::VolumeToAttenuation(m_Volume)));
    }
    uint32_t cursor = 0;
    Check("CMusic::UpdateMusic()", m_Buffer->GetCurrentPosition(&cursor));
    const int32_t half = StreamBuffer::HalfAt(cursor);
    if (half != m_PlayingHalf)
    {
        LoadBufferPart(m_PlayingHalf);
        m_PlayingHalf = half;
    }
}

// ---- Filling the buffer ----------------------------------------------------------

// A file that does not open counts as empty.
void CMusic::OpenEntry(int32_t index)
{
    m_File.Close();
    m_CurrentEntry = index;
    m_File.OpenRead(m_Playlist[index].GetBuffer());
    m_FileSize = StreamBuffer::WholeFrameSize(m_File);
    m_FilePosition = 0;
}

void CMusic::NextFile()
{
    if (m_PlaylistCount <= 0)
    {
        // The list was cleared under a playing track: nothing follows it.
        m_File.Close();
        m_FileSize = 0;
        m_FilePosition = 0;
        return;
    }
    if (m_Repeat != 0)
    {
        m_File.Seek(0);
        m_FilePosition = 0;
        return;
    }
    const int32_t next = m_CurrentEntry + 1 < m_PlaylistCount ? m_CurrentEntry + 1 : 0;
    OpenEntry(next);
}

void CMusic::LoadBufferPart(int32_t half)
{
    void* regions[2] = {nullptr, nullptr};
    uint32_t sizes[2] = {0, 0};
    Check("CMusic::LoadBufferPart()/1",
          m_Buffer->Lock(uint32_t(half) * StreamBuffer::HalfBytes, StreamBuffer::HalfBytes, &regions[0], &sizes[0],
                         &regions[1], &sizes[1]));
    for (int r = 0; r < 2; ++r)
    {
        if (regions[r] != nullptr)
            FillRegion(static_cast<uint8_t*>(regions[r]), sizes[r]);
    }
    Check("CMusic::LoadBufferPart()/2", m_Buffer->Unlock(regions[0], sizes[0], regions[1], sizes[1]));
}

// The region takes the rest of the current file, then the next files from
// their starts, as many as it needs: a file shorter than the gap gives what
// it has.  When a whole round of the playlist gives nothing (every file
// empty or gone), the rest is silence.
void CMusic::FillRegion(uint8_t* bytes, uint32_t size)
{
    uint32_t filled = 0;
    int32_t emptyFilesInARow = 0;
    while (filled < size)
    {
        const int wanted = std::min(int(size - filled), m_FileSize - m_FilePosition);
        int got = wanted > 0 ? m_File.Read(bytes + filled, wanted) : 0;
        if (got < wanted)
        {
            // The file ended early: what came, in whole frames, is its end.
            got = std::max(got, 0);
            got -= got % int(StreamBuffer::FrameBytes);
            m_FileSize = m_FilePosition + got;
        }
        m_FilePosition += got;
        filled += uint32_t(got);
        emptyFilesInARow = got > 0 ? 0 : emptyFilesInARow + 1;
        if (filled >= size)
            break;
        if (emptyFilesInARow > m_PlaylistCount)
        {
            std::memset(bytes + filled, 0, size - filled);
            break;
        }
        NextFile();
    }
}
