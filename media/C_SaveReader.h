#pragma once
// Typed little-endian fields read back from a save stream.  Reads stay
// bounded by the stream: a field cut short reads as zeros and leaves the
// stream's error flag set, which Failed reports.  A record that finds a
// value it cannot accept refuses it with Refuse, which logs the reason
// (behind the reader's prefix) and sets the error flag, so that the whole
// load fails.  The field operations that fill a reference carry the names
// of CSaveWriter's, for records listed once as a template over the two.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "media/C_SaveStream.h"

class CSaveReader
{
public:
    // `prefix` begins every refusal's log line, e.g. "Unit record refused: ".
    CSaveReader(CSaveStream& stream, const char* prefix) : m_Stream(stream), m_Prefix(prefix) {}

    uint8_t U8()
    {
        uint8_t value = 0;
        m_Stream.Read(&value, 1);
        return value;
    }
    uint16_t U16()
    {
        uint8_t b[2] = {0, 0};
        m_Stream.Read(b, 2);
        return static_cast<uint16_t>(b[0] | b[1] << 8);
    }
    int32_t I32()
    {
        uint8_t b[4] = {0, 0, 0, 0};
        m_Stream.Read(b, 4);
        return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                    uint32_t(b[3]) << 24);
    }
    float F32()
    {
        const uint32_t bits = static_cast<uint32_t>(I32());
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
    void I32(int32_t& value) { value = I32(); }
    void F32(float& value) { value = F32(); }
    // A flag stored as one byte: anything but 0 or 1 is refused.
    void Flag(uint8_t& value);
    // A count or length in lowest .. highest; anything else is refused and
    // reads as 0, so that nothing is read on its account.
    void Count(int32_t& value, int32_t lowest, int32_t highest, const char* what);
    // The same as a result: -1 once the stream has failed or the count was
    // refused.
    int32_t Count(int32_t lowest, int32_t highest, const char* what)
    {
        int32_t value = 0;
        Count(value, lowest, highest, what);
        return Failed() ? -1 : value;
    }
    void Bytes(void* data, int32_t count)
    {
        if (count > 0)
            m_Stream.Read(data, count);
    }
    bool Failed() const { return m_Stream.HasError(); }

    // Sets the error flag and logs the prefix and the reason, the first
    // time only: what a damaged stream makes later fields look like says
    // nothing more.  Always false, so that a check can return it.
    bool Refuse(const char* reason);
    // Logs that the stream ended inside the record, unless a refusal said
    // why the stream failed already.
    void ReportCutShort();
    // The end of a record or of a part of it: false, with the cut-short
    // line, when the stream failed.
    bool Finish()
    {
        if (!Failed())
            return true;
        ReportCutShort();
        return false;
    }
    // The end of a record after its type's own part, which read soundly
    // when `extraRead` is true.
    bool FinishWithExtra(bool extraRead)
    {
        if (!extraRead && !Failed())
            Refuse("the type's own part is damaged");
        return Finish();
    }

    static bool InRange(int32_t value, int32_t lowest, int32_t highest)
    {
        return value >= lowest && value <= highest;
    }
    // False for NaN, which fails both comparisons.
    static bool InRange(float value, float lowest, float highest) { return value >= lowest && value <= highest; }
    static bool IsFinite(float value) { return std::isfinite(value); }

private:
    CSaveStream& m_Stream;
    const char* m_Prefix;
    bool m_Reported = false;
};
