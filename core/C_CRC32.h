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
    // The CRC of bytes whose first part has the CRC `previous` and whose
    // rest are these `length` bytes: pieces taken in turn from a `previous`
    // of 0 end with the CRC of the whole.
    uint32_t Continue(uint32_t previous, const void* buffer, int length) const;

private:
    // m_Tables[0] is the byte table; m_Tables[k] advances a byte that lies k
    // bytes further on, so that eight bytes are taken per step (the same
    // CRC as byte by byte, several times faster on large saves).
    uint32_t m_Tables[8][256];
};
