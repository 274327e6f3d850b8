#pragma once
// Bytes of stored files built by hand, independently of the game's own
// writers: the CRC-32 that guards them and little-endian numbers.

#include <cstdint>
#include <string>

// CRC-32 as zlib computes it, bit by bit.
uint32_t ReferenceCrc32(const std::string& bytes);

// The four bytes of `value`, lowest first.
std::string LE32(uint32_t value);
