#pragma once
// The sound device: a set of sound buffers holding 16-bit PCM at 22050 Hz,
// mixed by the layer into one 16-bit stereo output stream.
//
// Threads: every call is made from the main thread.  Mixing runs on the
// output's own thread; the device serialises the two, so a call never sees a
// half-mixed buffer and the mixer never sees a half-written one.
//
// Units: buffer offsets, sizes and cursors in bytes; volume and pan in
// hundredths of a decibel.
//
// Ownership: the device and every buffer are released with their Release
// call, in any order; a buffer that outlives its device stays safe to call and
// to release, it is only no longer heard.
//
// Results: every call returns a Result, Ok (0) on success; ErrorText gives
// the text of a code for the fatal error report.

#include <cstdint>

namespace SysSound
{
using Result = int32_t;

constexpr Result Ok = 0;
constexpr Result ErrInvalidParam = -1;
constexpr Result ErrInvalidCall = -2;
constexpr Result ErrBadFormat = -3;
constexpr Result ErrControlUnavailable = -4;
constexpr Result ErrNoDriver = -5;
constexpr Result ErrOutOfMemory = -6;

// Text of a result code; never null (an unknown code has a text too).
const char* ErrorText(Result code);

// The one sample format of the layer: PCM, 16 bits, 22050 frames a second.
constexpr uint16_t FormatPcm = 1;
constexpr uint32_t SampleRate = 22050;
constexpr uint16_t BitsPerSample = 16;

struct WaveFormat
{
    uint16_t formatTag = 0;         // FormatPcm
    uint16_t channels = 0;          // 1 mono, 2 stereo
    uint32_t samplesPerSec = 0;     // SampleRate
    uint32_t avgBytesPerSec = 0;    // samplesPerSec * blockAlign
    uint16_t blockAlign = 0;        // channels * 2: bytes of one frame
    uint16_t bitsPerSample = 0;     // BitsPerSample
};

// Capabilities: what the device can mix.  There is no 8-bit support.
enum CapsFlag : uint32_t
{
    CapsPrimaryStereo = 0x01,
    CapsPrimary16Bit = 0x02,
    CapsSecondaryMono = 0x04,
    CapsSecondaryStereo = 0x08,
    CapsSecondary16Bit = 0x10,
};

struct Caps
{
    uint32_t flags = 0;             // CapsFlag bits
};

enum CooperativeLevel : uint32_t
{
    CoopNormal = 1,
    CoopPriority = 2,
    CoopExclusive = 3,
    CoopWritePrimary = 4,
};

enum BufferFlag : uint32_t
{
    BufferPrimary = 0x01,           // the output itself: no size, no format
    BufferCtrlVolume = 0x02,        // SetVolume allowed
    BufferCtrlPan = 0x04,           // SetPan allowed
};

struct BufferDesc
{
    uint32_t flags = 0;             // BufferFlag bits
    uint32_t bufferBytes = 0;       // whole frames; 0 for the primary buffer
    const WaveFormat* format = nullptr; // null for the primary buffer
};

// Largest secondary buffer, in bytes.
constexpr uint32_t MaxBufferBytes = 0x0FFFFFFF;

enum PlayFlag : uint32_t
{
    PlayLooping = 0x01,
};

enum StatusFlag : uint32_t
{
    StatusPlaying = 0x01,
    StatusLooping = 0x02,
};

constexpr int32_t VolumeMax = 0;            // full amplitude
constexpr int32_t VolumeMin = -10000;       // silence
constexpr int32_t PanLeft = -10000;         // right channel silent
constexpr int32_t PanCenter = 0;
constexpr int32_t PanRight = 10000;         // left channel silent

class Buffer
{
public:
    // Secondary buffers: up to two regions of the sample data, the second
    // one being the part that wraps to the start of the buffer (null and 0
    // when nothing wraps).  The regions hold the buffer's current contents;
    // what is written into them is heard after Unlock, which takes the
    // regions and the byte counts actually written.  One lock at a time.
    // region2 and bytes2 may be null when the range does not wrap.
    virtual Result Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1,
                        void** region2, uint32_t* bytes2) = 0;
    virtual Result Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2) = 0;

    // Plays from the current play cursor, once or looping (PlayLooping).
    // On a playing buffer only the looping choice changes.  A buffer played
    // once stops at its end and its cursor goes back to 0.  The primary
    // buffer must be played looping.
    virtual Result Play(uint32_t flags) = 0;
    // Stops; the cursor stays where it stopped, so Play resumes there.
    virtual Result Stop() = 0;

    // Play cursor in bytes, always at a frame start.
    virtual Result GetCurrentPosition(uint32_t* playCursor) = 0;
    // Moves the play cursor, rounded down to a frame start; below the size.
    virtual Result SetCurrentPosition(uint32_t playCursor) = 0;
    // StatusFlag bits.
    virtual Result GetStatus(uint32_t* status) = 0;

    // VolumeMin..VolumeMax: amplitude 10^(volume/2000); VolumeMin is silence.
    virtual Result SetVolume(int32_t volume) = 0;
    // PanLeft..PanRight: a positive pan lowers the left channel by pan
    // hundredths of a decibel, a negative one the right channel; the centre
    // plays both at full amplitude.  Mono data goes to both channels.
    virtual Result SetPan(int32_t pan) = 0;

    // Primary buffer only: the output format; 16-bit stereo PCM at 22050 Hz.
    virtual Result SetFormat(const WaveFormat& format) = 0;

    virtual Result Release() = 0;

protected:
    virtual ~Buffer() = default;
};

class Device
{
public:
    virtual Result GetCaps(Caps* caps) = 0;
    // Accepted for any window and valid level; it changes nothing.
    virtual Result SetCooperativeLevel(void* window, uint32_t level) = 0;
    // New buffers are stopped, at cursor 0, at full volume and centred, and
    // filled with silence.
    virtual Result CreateSoundBuffer(const BufferDesc& desc, Buffer** buffer) = 0;
    // The duplicate shares the original's sample data (a write through
    // either is heard in both); its cursor, play state, volume and pan are
    // its own.  It starts stopped at cursor 0 with the original's volume and
    // pan.
    virtual Result DuplicateSoundBuffer(Buffer* original, Buffer** duplicate) = 0;
    virtual Result Release() = 0;

protected:
    virtual ~Device() = default;
};

// Opens the output.  When no output can be opened it returns ErrNoDriver with
// a null device: the game then runs silent.
Result CreateDevice(Device** device);

} // namespace SysSound
