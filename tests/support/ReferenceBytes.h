#pragma once
// Bytes of stored files built by hand, independently of the game's own writers: the CRC-32 that guards
// them (as zlib computes it, bit by bit) and little-endian numbers.

#include <cstdint>
#include <string>
#include <vector>

inline uint32_t ReferenceCrc32(const std::string& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes)
    {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

inline std::string LE32(uint32_t value)
{
    return std::string{char(value & 0xFF), char(value >> 8 & 0xFF), char(value >> 16 & 0xFF), char(value >> 24)};
}

inline void PushLE(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
