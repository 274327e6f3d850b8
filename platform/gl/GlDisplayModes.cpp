#include "platform/gl/GlDisplayModes.h"

#include <SDL2/SDL.h>

#include <algorithm>

namespace {

Sys3DFormat FormatForDepth(std::int32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 15:
      return Sys3DFormat::X1R5G5B5;
    case 16:
      return Sys3DFormat::R5G6B5;
    case 24:
    case 32:
      return Sys3DFormat::X8R8G8B8;
    default:
      return Sys3DFormat::Unknown;
  }
}

bool SameMode(const Sys3DDisplayMode& a, const Sys3DDisplayMode& b) {
  return a.width == b.width && a.height == b.height && a.format == b.format;
}

constexpr int kMainDisplay = 0;

}  // namespace

std::vector<Sys3DDisplayMode> GlBuildModeList(const std::vector<GlRawDisplayMode>& raw) {
  std::vector<Sys3DDisplayMode> modes;
  for (const GlRawDisplayMode& entry : raw) {
    Sys3DDisplayMode mode;
    mode.width = entry.width;
    mode.height = entry.height;
    mode.format = FormatForDepth(entry.bitsPerPixel);
    if (mode.width <= 0 || mode.height <= 0 || mode.format == Sys3DFormat::Unknown) continue;
    const auto seen = [&mode](const Sys3DDisplayMode& other) { return SameMode(mode, other); };
    if (std::none_of(modes.begin(), modes.end(), seen)) modes.push_back(mode);
  }
  return modes;
}

std::vector<Sys3DDisplayMode> GlQueryDisplayModes() {
  std::vector<GlRawDisplayMode> raw;
  const int count = SDL_GetNumDisplayModes(kMainDisplay);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(kMainDisplay, i, &mode) != 0) continue;
    raw.push_back({mode.w, mode.h, static_cast<std::int32_t>(SDL_BITSPERPIXEL(mode.format))});
  }
  return GlBuildModeList(raw);
}
