#pragma once
// The arithmetic of frame drawing: the gamma ramp built from the colour
// correction table and the brightness and gamma settings, and the frame-rate
// estimate.  CD3D8Game keeps the state; these compute it.

#include <cstdint>

namespace FrameDrawing
{
constexpr int kRampEntries = 256;
using Ramp = uint16_t[3][kRampEntries];

// Entry i of each channel: the table's entry scaled by a factor growing from
// gamma at entry 0 to nearly 1 at entry 255, shifted by (brightness - 1) x
// 16384; with noise, plus Random(2 x noise) - noise; with a step, rounded
// down to the step plus (step / 256) x i; limited to 0 .. 65535.
void BuildGammaRamp(const Ramp colourTable, float gamma, float brightness, int32_t noise, int32_t step, Ramp out);

// Length of one sample window of the frame rate.
constexpr uint32_t kFpsWindowMilliseconds = 250;

// Counts one presented frame at tick count `now`.  When the window that
// started at fpsStart has run out, fps becomes the mean of its old value and
// the window's frames per second, and the next window starts where the old
// one ended (a stall catches up one window per frame).
void CountFrame(uint32_t now, int32_t& fpsStart, int32_t& fps, int32_t& fpsFrames);
} // namespace FrameDrawing
