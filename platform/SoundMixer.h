#pragma once
// Mixing of the sound buffers into the 16-bit stereo output at 22050 Hz.
// A pure function of the voices it is given: no clock, no thread, no
// output device, so the same voices always give the same samples.

#include <cstdint>
#include <memory>
#include <span>

// One buffer as the mixer sees it.  Duplicates share `samples`.
struct SoundVoice
{
    std::shared_ptr<uint8_t[]> samples;   // little-endian 16-bit PCM
    uint32_t bytes = 0;                   // a whole number of frames
    uint16_t channels = 1;                // 1 or 2
    uint32_t cursor = 0;                  // bytes, at a frame start
    bool playing = false;
    bool looping = false;
    int32_t volume = 0;                   // hundredths of a decibel, -10000..0
    int32_t pan = 0;                      // hundredths of a decibel, -10000..10000

    uint32_t FrameBytes() const { return channels * 2u; }
};

class SoundMixer
{
public:
    static constexpr uint32_t OutputChannels = 2;

    // Writes `frames` interleaved stereo frames (left, right) to `out`: the
    // sum of every playing voice, clamped to 16 bits.  Advances each playing
    // voice's cursor; a looping voice wraps to 0 at its end, any other stops
    // there with its cursor back at 0.
    static void Mix(std::span<SoundVoice* const> voices, int16_t* out, uint32_t frames);

    // Amplitude factor of an attenuation: 10^(hundredthsDb/2000), 0 at
    // -10000 and below, 1 at 0 and above.
    static float AttenuationToGain(int32_t hundredthsDb);

    struct Gains
    {
        float left;
        float right;
    };
    // Channel gains of a voice: its volume, and the pan lowering one side.
    static Gains VoiceGains(int32_t volume, int32_t pan);

private:
    static void MixVoice(SoundVoice& voice, float* accumulator, uint32_t frames);
    static void ReachEnd(SoundVoice& voice);
};
