#pragma once
// The display's full-screen modes as the device lists them.

#include <cstdint>
#include <vector>

#include "platform/SysDevice3DTypes.h"

struct GlRawDisplayMode {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bitsPerPixel = 0;
};

// Keeps the modes of 15, 16, 24 and 32 bits with a real size, as X1R5G5B5,
// R5G6B5 and X8R8G8B8 (24 and 32 bits both), each size and format once
// (the display lists one per refresh rate), in the order first seen.
std::vector<Sys3DDisplayMode> GlBuildModeList(const std::vector<GlRawDisplayMode>& raw);
// The modes the video system reports for the main display.
std::vector<Sys3DDisplayMode> GlQueryDisplayModes();
