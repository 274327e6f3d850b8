#pragma once
// The music player: a playlist of stream files played one after the other
// (or one entry repeated) through the looping streaming buffer.  Once per
// frame UpdateMusic refills the half of the buffer the play cursor has just
// left; a file's end and the next file's start share a half, so the join is
// seamless.  Main thread only; every operation does nothing while the
// configuration's AUDIOENABLED= switch is off, and the playing ones also
// without a sound device.

#include <cstdint>

#include "core/C_File.h"
#include "core/C_String.h"
#include "platform/SysSound.h"

class CMusic
{
public:
    static constexpr int32_t MaxPlaylist = 64;

    CMusic() = default;
    ~CMusic();
    CMusic(const CMusic&) = delete;
    CMusic& operator=(const CMusic&) = delete;

    // Creates the streaming buffer (at the audio start-up).
    void Init(SysSound::Device* device);
    void Release();

    void ClearPlaylist();
    // Appends `fileName` when it opens and the list has room; otherwise a
    // log line says why it was left out.
    void AddToPlaylist(const char* fileName);
    // Plays the playlist from entry `index` on, or that entry over and over
    // with `repeat`; an index outside the list is refused with a log line.
    void Play(int32_t index, uint8_t repeat);
    void Stop();
    void SetVolume(int32_t percent);
    // Per frame: follows the configured music volume and refills the half
    // just left.
    void UpdateMusic();
    // Fills `half` from the files of the playlist (silence when none of
    // them has anything left to give).
    void LoadBufferPart(int32_t half);

    bool IsPlaying() const { return m_Playing != 0; }
    int32_t GetPlaylistCount() const { return m_PlaylistCount; }
    int32_t GetCurrentEntry() const { return m_CurrentEntry; }

private:
    void OpenEntry(int32_t index);
    void FillRegion(uint8_t* bytes, uint32_t size);
    // Moves on to the entry that follows the current file's end.
    void NextFile();

    SysSound::Buffer* m_Buffer = nullptr;
    CFile m_File;
    int32_t m_PlayingHalf = 0;
    int32_t m_FileSize = 0;
    int32_t m_FilePosition = 0;
    int32_t m_Volume = 0;
    CString m_Playlist[MaxPlaylist];
    int32_t m_PlaylistCount = 0;
    int32_t m_CurrentEntry = 0;
    uint8_t m_Playing = 0;
    uint8_t m_Repeat = 0;
};

extern CMusic g_Music;
