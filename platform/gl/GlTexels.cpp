#include "platform/gl/GlTexels.h"

namespace {

std::uint8_t Widen4(std::uint32_t v) { return static_cast<std::uint8_t>(v * 17); }
std::uint8_t Widen5(std::uint32_t v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(std::uint32_t v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

constexpr std::uint8_t kOpaque = 255;

void SetRgba(std::uint8_t rgba[4], std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  rgba[0] = r;
  rgba[1] = g;
  rgba[2] = b;
  rgba[3] = a;
}

}  // namespace

std::uint32_t GlFullMipChainLength(std::uint32_t width, std::uint32_t height) {
  std::uint32_t levels = 1;
  while (width > 1 || height > 1) {
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    ++levels;
  }
  return levels;
}

std::uint32_t GlLevelExtent(std::uint32_t extent, std::uint32_t level) {
  for (std::uint32_t i = 0; i < level && extent > 1; ++i) extent /= 2;
  return extent;
}

void GlExpandTexel(Sys3DFormat format, const std::uint8_t* texel, std::uint8_t rgba[4]) {
  const std::uint32_t p16 = texel[0] | (static_cast<std::uint32_t>(texel[1]) << 8);
  switch (format) {
    case Sys3DFormat::A4R4G4B4:
      SetRgba(rgba, Widen4((p16 >> 8) & 15), Widen4((p16 >> 4) & 15), Widen4(p16 & 15), Widen4(p16 >> 12));
      return;
    case Sys3DFormat::A1R5G5B5:
    case Sys3DFormat::X1R5G5B5: {
      const bool alphaBit = (p16 >> 15) != 0 || format == Sys3DFormat::X1R5G5B5;
      SetRgba(rgba, Widen5((p16 >> 10) & 31), Widen5((p16 >> 5) & 31), Widen5(p16 & 31), alphaBit ? kOpaque : 0);
      return;
    }
    case Sys3DFormat::R5G6B5:
      SetRgba(rgba, Widen5(p16 >> 11), Widen6((p16 >> 5) & 63), Widen5(p16 & 31), kOpaque);
      return;
    case Sys3DFormat::A8R8G8B8:
      SetRgba(rgba, texel[2], texel[1], texel[0], texel[3]);
      return;
    case Sys3DFormat::X8R8G8B8:
      SetRgba(rgba, texel[2], texel[1], texel[0], kOpaque);
      return;
    case Sys3DFormat::Unknown:
      break;
  }
  SetRgba(rgba, 0, 0, 0, 0);
}

void GlExpandTexels(Sys3DFormat format, const std::uint8_t* texels, std::size_t count, std::uint8_t* rgba) {
  const std::uint32_t bytes = Sys3DBytesPerPixel(format);
  for (std::size_t i = 0; i < count; ++i) GlExpandTexel(format, texels + i * bytes, rgba + i * 4);
}
