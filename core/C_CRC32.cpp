#include "core/C_CRC32.h"

namespace
{
constexpr uint32_t Polynomial = 0x04C11DB7;

uint32_t Reflect(uint32_t value, int bits)
{
    uint32_t result = 0;
    for (int i = 0; i < bits; ++i)
    {
        if (value & (1u << i))
            result |= 1u << (bits - 1 - i);
    }
    return result;
}
} // namespace

CCRC32::CCRC32()
{
    for (uint32_t i = 0; i < 256; ++i)
    {
        uint32_t value = Reflect(i, 8) << 24;
        for (int step = 0; step < 8; ++step)
            value = (value & 0x80000000u) ? (value << 1) ^ Polynomial : value << 1;
        m_Tables[0][i] = Reflect(value, 32);
    }
    for (int k = 1; k < 8; ++k)
        for (uint32_t i = 0; i < 256; ++i)
            m_Tables[k][i] = (m_Tables[k - 1][i] >> 8) ^ m_Tables[0][m_Tables[k - 1][i] & 0xFF];
}

uint32_t CCRC32::Calculate(const void* buffer, int length) const
{
    return Continue(0, buffer, length);
}

uint32_t CCRC32::Continue(uint32_t previous, const void* buffer, int length) const
{
    if (length < 1 || !buffer)
        return previous;
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    uint32_t crc = ~previous;
    int i = 0;
    for (; i + 8 <= length; i += 8)
    {
        const uint8_t* p = bytes + i;
        const uint32_t low = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        crc = m_Tables[7][low & 0xFF] ^ m_Tables[6][(low >> 8) & 0xFF] ^ m_Tables[5][(low >> 16) & 0xFF] ^
              m_Tables[4][low >> 24] ^ m_Tables[3][p[4]] ^ m_Tables[2][p[5]] ^ m_Tables[1][p[6]] ^ m_Tables[0][p[7]];
    }
    for (; i < length; ++i)
        crc = (crc >> 8) ^ m_Tables[0][(crc ^ bytes[i]) & 0xFF];
    return ~crc;
}
