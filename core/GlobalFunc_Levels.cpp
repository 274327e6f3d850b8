// Colour scaling and the conversions of volumes and pans to the sound
// device's hundredths of a decibel.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"

namespace
{
constexpr int32_t Silence = -10000;            // hundredths of a decibel
constexpr int32_t VolumeSpan = 3333;           // attenuation of 1 % above silence
constexpr int FullVolume = 100;                // percent
constexpr float PanScale = 10000.0f;
constexpr int MaxColourLevel = 255;
} // namespace

namespace GlobalFunc
{
uint32_t ScaleColor(uint32_t colour, int n)
{
    // Levels beyond 255 would carry into the neighbouring byte.
    const uint32_t level = static_cast<uint32_t>(std::clamp(n, 0, MaxColourLevel));
    const uint32_t red = ((colour >> 16) & 0xFF) * level / MaxColourLevel;
    const uint32_t green = ((colour >> 8) & 0xFF) * level / MaxColourLevel;
    const uint32_t blue = (colour & 0xFF) * level / MaxColourLevel;
    return (red << 16) | (green << 8) | blue;
}

int32_t VolumeToAttenuation(int percent)
{
    if (percent < 1)
        return Silence;
    if (percent >= FullVolume)
        return 0;
    return percent * VolumeSpan / FullVolume - VolumeSpan;
}

int32_t ToAttenuation(float level)
{
    // Levels outside -1 .. 0 are held to it: the device knows no gain.
    if (std::isnan(level))
        return Silence;
    const float held = std::clamp(level, -1.0f, 0.0f);
    return static_cast<int32_t>((held + 1.0f) * 10000.0f) - 10000;
}

int32_t ToPan(float pan)
{
    if (std::isnan(pan))
        return 0;
    return static_cast<int32_t>(std::clamp(pan, -1.0f, 1.0f) * PanScale);
}

float InverseLerp(float a, float b, float x)
{
    if (b == a)
    {
        DEBUG_REPORT_AT("#DEBUG: Invalid input parameters", 1063);
        return 0.0f;
    }
    return (x - a) / (b - a);
}

} // namespace GlobalFunc
