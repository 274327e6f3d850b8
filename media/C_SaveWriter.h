#pragma once
// Typed little-endian fields written into a save stream, the way every
// object's own record writes its state.  Its operations carry the same
// names as CSaveReader's, so that one list of a record's fields, written
// as a template over the two, gives the order for saving and for loading.
// Flags go out as 0 or 1 whatever the field held.

#include <cstdint>
#include <cstring>

#include "media/C_SaveStream.h"

class CSaveWriter
{
public:
    explicit CSaveWriter(CSaveStream& stream) : m_Stream(stream) {}

    void U8(uint8_t value) { m_Stream.Write(&value, 1); }
    void Flag(bool value) { U8(value ? 1 : 0); }
    void U16(uint16_t value)
    {
        const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
        m_Stream.Write(bytes, 2);
    }
    void I32(int32_t value)
    {
        const uint32_t v = static_cast<uint32_t>(value);
        const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        m_Stream.Write(bytes, 4);
    }
    void F32(float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof(bits));
        I32(static_cast<int32_t>(bits));
    }
    // A count or length; the bounds are the reader's.
    void Count(int32_t value, int32_t lowest, int32_t highest, const char* what)
    {
        (void)lowest;
        (void)highest;
        (void)what;
        I32(value);
    }
    void Bytes(const void* data, int32_t count)
    {
        if (count > 0)
            m_Stream.Write(data, count);
    }
    bool Failed() const { return m_Stream.HasError(); }

private:
    CSaveStream& m_Stream;
};
