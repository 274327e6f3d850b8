#include "core/FrameDrawing.h"

#include "core/GlobalFunc.h"
#include "platform/SysClock.h"

namespace FrameDrawing
{
namespace
{
constexpr int32_t kBrightnessUnit = 16384;
constexpr int32_t kRampMax = 65535;
constexpr int32_t kWindowsPerSecond = 1000 / static_cast<int32_t>(kFpsWindowMilliseconds);

int32_t RampEntry(uint16_t tableEntry, float factor, float brightness, int32_t noise, int32_t step, int i)
{
    // The sum is taken in double precision, as the brightness term is.
    int32_t v = static_cast<int32_t>(tableEntry * factor + (brightness - 1.0) * kBrightnessUnit);
    if (noise != 0)
        v += GlobalFunc::Random(2 * noise) - noise;
    if (step != 0)
        v = (v / step) * step + (step / kRampEntries) * i;
    if (v < 0)
        return 0;
    return v > kRampMax ? kRampMax : v;
}
} // namespace

void BuildGammaRamp(const Ramp colourTable, float gamma, float brightness, int32_t noise, int32_t step, Ramp out)
{
    for (int i = 0; i < kRampEntries; ++i)
    {
        const float factor = (1.0f - gamma) * (1.0f / kRampEntries) * static_cast<float>(i) + gamma;
        for (int channel = 0; channel < 3; ++channel)
            out[channel][i] = static_cast<uint16_t>(
                RampEntry(colourTable[channel][i], factor, brightness, noise, step, i));
    }
}

void CountFrame(uint32_t now, int32_t& fpsStart, int32_t& fps, int32_t& fpsFrames)
{
    ++fpsFrames;
    if (fpsStart == 0)
        fpsStart = static_cast<int32_t>(now);
    if (SysClock::TicksBetween(static_cast<uint32_t>(fpsStart), now) > kFpsWindowMilliseconds)
    {
        fps = (fps + kWindowsPerSecond * fpsFrames) / 2;
        fpsFrames = 0;
        fpsStart = static_cast<int32_t>(static_cast<uint32_t>(fpsStart) + kFpsWindowMilliseconds);
    }
}
} // namespace FrameDrawing
