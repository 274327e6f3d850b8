#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/SoundMixer.h"
#include "platform/SysSound.h"

namespace SoundTest
{
inline SysSound::WaveFormat PcmFormat(uint16_t channels)
{
    return {SysSound::FormatPcm, channels, 22050, 22050u * channels * 2, static_cast<uint16_t>(channels * 2), 16};
}

// Little-endian bytes of 16-bit samples, written byte by byte.
inline std::vector<uint8_t> ToBytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes;
    for (int16_t sample : samples)
    {
        const auto bits = static_cast<uint16_t>(sample);
        bytes.push_back(static_cast<uint8_t>(bits & 0xFF));
        bytes.push_back(static_cast<uint8_t>(bits >> 8));
    }
    return bytes;
}

// A playing voice over `samples` (interleaved when stereo).
inline SoundVoice MakeVoice(const std::vector<int16_t>& samples, uint16_t channels = 1)
{
    const std::vector<uint8_t> bytes = ToBytes(samples);
    SoundVoice voice;
    voice.samples = std::shared_ptr<uint8_t[]>(new uint8_t[bytes.size()]);
    std::memcpy(voice.samples.get(), bytes.data(), bytes.size());
    voice.bytes = static_cast<uint32_t>(bytes.size());
    voice.channels = channels;
    voice.playing = true;
    return voice;
}

struct StereoOut
{
    std::vector<int16_t> left;
    std::vector<int16_t> right;
};

inline StereoOut SplitChannels(const std::vector<int16_t>& interleaved)
{
    StereoOut out;
    for (size_t i = 0; i + 1 < interleaved.size(); i += 2)
    {
        out.left.push_back(interleaved[i]);
        out.right.push_back(interleaved[i + 1]);
    }
    return out;
}
} // namespace SoundTest
