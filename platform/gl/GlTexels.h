#pragma once
// Texel layouts of the device's texture formats and their expansion to
// 8-bit R, G, B, A for the driver.  Narrow channels are widened by bit
// replication (4 bits x 17, 5 bits (v << 3) | (v >> 2), 6 bits
// (v << 2) | (v >> 4)), so every level maps to one exact 8-bit value on any
// driver.  Formats without alpha give alpha 255.

#include <cstddef>
#include <cstdint>

#include "platform/SysDevice3DTypes.h"

// Number of levels of a full chain down to 1 x 1.
std::uint32_t GlFullMipChainLength(std::uint32_t width, std::uint32_t height);
// Size of `level` of a width x height texture (each side halved, at least 1).
std::uint32_t GlLevelExtent(std::uint32_t extent, std::uint32_t level);
// One texel of `format` (little-endian bytes at `texel`) as R, G, B, A.
void GlExpandTexel(Sys3DFormat format, const std::uint8_t* texel, std::uint8_t rgba[4]);
// `count` packed texels to count x 4 bytes R, G, B, A.
void GlExpandTexels(Sys3DFormat format, const std::uint8_t* texels, std::size_t count, std::uint8_t* rgba);
