#pragma once
// A long sound file streamed through a small looping buffer: the speech and
// sound tracks of the cut-scenes, one file at a time.  The buffer holds one
// second in two halves; once per frame Update refills the half the play
// cursor has just left.  The stream stops by itself once the file's last
// sample has been heard.  Main thread only; every operation does nothing
// while the configuration's AUDIOENABLED= switch is off or without a sound
// device.
//
// Stream files: headerless 16-bit stereo PCM at 22050 Hz; a trailing part of
// a frame is ignored.

#include <cstdint>

#include "core/C_File.h"
#include "platform/SysSound.h"

// The streaming buffer shared by the music player and the speech stream.
namespace StreamBuffer
{
constexpr uint32_t Bytes = 88200;          // one second
constexpr uint32_t HalfBytes = Bytes / 2;  // half 0 at 0, half 1 at HalfBytes
constexpr uint32_t FrameBytes = 4;         // 16-bit stereo

// A stopped looping buffer of one second with volume control, in the
// stream format; null without a device.  Failure is fatal under `label`.
SysSound::Buffer* Create(SysSound::Device* device, const char* label);
// The size of an open stream file in whole frames.
int32_t WholeFrameSize(const CFile& file);
// The half a play cursor lies in.
int32_t HalfAt(uint32_t playCursor);
} // namespace StreamBuffer

class CSoundStream
{
public:
    CSoundStream() = default;
    ~CSoundStream();
    CSoundStream(const CSoundStream&) = delete;
    CSoundStream& operator=(const CSoundStream&) = delete;

    // Creates the streaming buffer (at the audio start-up).
    void Init(SysSound::Device* device);
    // Plays `fileName` from its start at the configured sound volume,
    // stopping a stream that plays.
    void Play(const char* fileName);
    void Stop();
    void SetVolume(int32_t percent);
    // Per frame: follows the configured volume, refills the half just left
    // and ends the stream after its last sample.
    void Update();
    // Copies what the file still has into `half`, then silence.
    void LoadBufferPart(int32_t half);
    void Release();

    bool IsPlaying() const { return m_Playing != 0; }

private:
    SysSound::Buffer* m_Buffer = nullptr;
    CFile m_File;
    int32_t m_PlayingHalf = 0;
    int32_t m_FileSize = 0;
    int32_t m_FilePosition = 0;
    int32_t m_Volume = 0;
    uint8_t m_Playing = 0;
    // Halves the play cursor has left since the start: how much was heard.
    int64_t m_HalvesPlayed = 0;
};

extern CSoundStream g_SoundStream;
