#include "platform/SoundMixer.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int32_t SilentAttenuation = -10000;
constexpr double HundredthsDbPerDecade = 2000.0;   // 20 dB per factor of 10
constexpr int32_t SampleMax = 32767;
constexpr int32_t SampleMin = -32768;
constexpr uint32_t ChunkFrames = 512;   // mixed at a time, on the stack

int16_t ReadSample(const uint8_t* bytes)
{
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

int16_t ClampToSample(float value)
{
    const long rounded = std::lround(value);
    if (rounded > SampleMax)
        return SampleMax;
    if (rounded < SampleMin)
        return SampleMin;
    return static_cast<int16_t>(rounded);
}
} // namespace

float SoundMixer::AttenuationToGain(int32_t hundredthsDb)
{
    if (hundredthsDb <= SilentAttenuation)
        return 0.0f;
    if (hundredthsDb >= 0)
        return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / HundredthsDbPerDecade));
}

SoundMixer::Gains SoundMixer::VoiceGains(int32_t volume, int32_t pan)
{
    const float gain = AttenuationToGain(volume);
    const float left = pan > 0 ? AttenuationToGain(-pan) : 1.0f;
    const float right = pan < 0 ? AttenuationToGain(pan) : 1.0f;
    return Gains{gain * left, gain * right};
}

void SoundMixer::Mix(std::span<SoundVoice* const> voices, int16_t* out, uint32_t frames)
{
    // Summed in float: every 16-bit sum is exact there, and one rounding at
    // the end keeps full-volume voices bit-exact.  The output thread calls
    // this, so nothing is allocated.
    float accumulator[ChunkFrames * OutputChannels];
    while (frames > 0)
    {
        const uint32_t chunk = std::min(frames, ChunkFrames);
        std::fill_n(accumulator, chunk * OutputChannels, 0.0f);
        for (SoundVoice* voice : voices)
        {
            if (voice != nullptr && voice->playing)
                MixVoice(*voice, accumulator, chunk);
        }
        for (uint32_t i = 0; i < chunk * OutputChannels; ++i)
            out[i] = ClampToSample(accumulator[i]);
        out += chunk * OutputChannels;
        frames -= chunk;
    }
}

void SoundMixer::MixVoice(SoundVoice& voice, float* accumulator, uint32_t frames)
{
    const bool knownLayout = voice.channels == 1 || voice.channels == 2;
    if (!voice.samples || !knownLayout || voice.bytes < voice.FrameBytes())
    {
        voice.playing = false;
        voice.cursor = 0;
        return;
    }
    const Gains gains = VoiceGains(voice.volume, voice.pan);
    const bool stereo = voice.channels == 2;
    for (uint32_t frame = 0; frame < frames && voice.playing; ++frame)
    {
        if (voice.cursor + voice.FrameBytes() > voice.bytes)
        {
            // A cursor past the data would read outside it: treat it as the end.
            ReachEnd(voice);
            if (!voice.playing)
                break;
        }
        const uint8_t* frameBytes = voice.samples.get() + voice.cursor;
        const float left = ReadSample(frameBytes);
        const float right = stereo ? ReadSample(frameBytes + 2) : left;
        accumulator[frame * OutputChannels] += left * gains.left;
        accumulator[frame * OutputChannels + 1] += right * gains.right;
        voice.cursor += voice.FrameBytes();
        if (voice.cursor >= voice.bytes)
            ReachEnd(voice);
    }
}

void SoundMixer::ReachEnd(SoundVoice& voice)
{
    voice.cursor = 0;
    if (!voice.looping)
        voice.playing = false;
}
