#include "tests/support/RecordBytes.h"

#include <cstring>

CRecordBytes& CRecordBytes::U8(uint8_t value)
{
    m_Bytes.push_back(char(value));
    return *this;
}

CRecordBytes& CRecordBytes::I32(int32_t value)
{
    const uint32_t v = uint32_t(value);
    for (int i = 0; i < 4; ++i)
        m_Bytes.push_back(char((v >> (8 * i)) & 0xFF));
    return *this;
}

CRecordBytes& CRecordBytes::F32(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return I32(int32_t(bits));
}

CRecordBytes& CRecordBytes::Text(const std::string& text)
{
    m_Bytes += text;
    return *this;
}

int32_t CRecordBytes::I32At(const std::string& bytes, size_t offset)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(uint8_t(bytes.at(offset + size_t(i)))) << (8 * i);
    return int32_t(v);
}

float CRecordBytes::F32At(const std::string& bytes, size_t offset)
{
    const uint32_t bits = uint32_t(I32At(bytes, offset));
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

std::string CRecordBytes::WithI32At(std::string bytes, size_t offset, int32_t value)
{
    CRecordBytes field;
    field.I32(value);
    bytes.replace(offset, 4, field.Bytes());
    return bytes;
}

std::string CRecordBytes::WithF32At(std::string bytes, size_t offset, float value)
{
    CRecordBytes field;
    field.F32(value);
    bytes.replace(offset, 4, field.Bytes());
    return bytes;
}
