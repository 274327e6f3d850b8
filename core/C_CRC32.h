#pragma once
// CRC-32 of IEEE 802.3 (the one of zlib and PNG) guarding save games and
// the player profiles.

#include <cstdint>

class CCRC32
{
public:
    CCRC32();   // builds the table

    // The CRC of `length` bytes; 0 for a length below 1.
    uint32_t Calculate(const void* buffer, int length) const;

private:
    uint32_t m_Table[256];
};
