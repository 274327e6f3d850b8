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
        m_Table[i] = Reflect(value, 32);
    }
}

uint32_t CCRC32::Calculate(const void* buffer, int length) const
{
    if (length < 1 || !buffer)
        return 0;
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    uint32_t crc = 0xFFFFFFFFu;
    for (int i = 0; i < length; ++i)
        crc = (crc >> 8) ^ m_Table[(crc ^ bytes[i]) & 0xFF];
    return ~crc;
}
