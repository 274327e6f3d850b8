#pragma once
// Expected bytes of stored records, built field by field independently of
// the game's own writers, and reading or patching numbers at offsets.

#include <cstdint>
#include <string>

// Little-endian record bytes, built field by field.
class CRecordBytes
{
public:
    CRecordBytes& U8(uint8_t value);
    CRecordBytes& I32(int32_t value);
    CRecordBytes& F32(float value);
    CRecordBytes& Text(const std::string& text);
    const std::string& Bytes() const { return m_Bytes; }

    // The 32-bit number at an offset of a byte string.
    static int32_t I32At(const std::string& bytes, size_t offset);
    static float F32At(const std::string& bytes, size_t offset);
    // A copy with the 32-bit number at the offset replaced.
    static std::string WithI32At(std::string bytes, size_t offset, int32_t value);
    static std::string WithF32At(std::string bytes, size_t offset, float value);

private:
    std::string m_Bytes;
};
