#pragma once
// Expected bytes of stored records, built field by field independently of
// the game's own writers, and reading or patching numbers at offsets.

#include <bit>

#include "tests/support/ReferenceBytes.h"

// Little-endian record bytes, built field by field.
class CRecordBytes
{
public:
    CRecordBytes& U8(uint8_t value) { return Text(std::string(1, char(value))); }
    CRecordBytes& I32(int32_t value) { return Text(LE32(uint32_t(value))); }
    CRecordBytes& F32(float value) { return I32(std::bit_cast<int32_t>(value)); }
    CRecordBytes& Text(const std::string& text) { return m_Bytes += text, *this; }
    const std::string& Bytes() const { return m_Bytes; }

    // The 32-bit number at an offset of a byte string.
    static int32_t I32At(const std::string& bytes, size_t offset)
    {
        uint32_t value = 0;
        for (size_t i = 4; i-- > 0;) value = value << 8 | uint8_t(bytes.at(offset + i));
        return int32_t(value);
    }
    // A copy with the 32-bit number at the offset replaced.
    static std::string WithI32At(std::string bytes, size_t offset, int32_t value)
    {
        return bytes.replace(offset, 4, LE32(uint32_t(value)));
    }
    static std::string WithF32At(std::string bytes, size_t offset, float value)
    {
        return WithI32At(std::move(bytes), offset, std::bit_cast<int32_t>(value));
    }

private:
    std::string m_Bytes;
};
