#pragma once
// Save files for the targets that feed whole files: most mutated inputs
// would fail the CRC-32 check and never reach the payload's readers, so the
// targets also try each input with its CRC-32 made to match.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/C_CRC32.h"

// The 16-byte magic and the 32-bit version come before the language name's
// length byte.
constexpr size_t kSaveNameLengthAt = 20;
constexpr size_t kSaveCrcSize = 4;

// A copy whose CRC-32 matches its payload, or empty when no header length
// can be found.
inline std::vector<uint8_t> WithMatchingCrc(const uint8_t* data, size_t size)
{
    if (size <= kSaveNameLengthAt)
        return {};
    const size_t crcAt = kSaveNameLengthAt + 1 + data[kSaveNameLengthAt] + 1;
    if (size < crcAt + kSaveCrcSize)
        return {};
    std::vector<uint8_t> fixed(data, data + size);
    const size_t payload = crcAt + kSaveCrcSize;
    const uint32_t crc = CCRC32().Calculate(fixed.data() + payload, int(size - payload));
    for (size_t i = 0; i < kSaveCrcSize; ++i)
        fixed[crcAt + i] = uint8_t(crc >> (8 * i));
    return fixed;
}
