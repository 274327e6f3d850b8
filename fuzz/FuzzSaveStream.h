#pragma once
// A save stream over a fuzzer's input, for the targets that feed bytes
// straight to a record's reader: reads past the end give zeros and set the
// error flag, as the game's stream does; writes go nowhere.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "media/C_SaveStream.h"

class CFuzzSaveStream : public CSaveStream
{
public:
    CFuzzSaveStream(const uint8_t* data, size_t size) : m_Data(data), m_Size(size) {}

    int Write(const void* data, int count) override
    {
        (void)data;
        return count;
    }
    int Read(void* data, int count) override
    {
        const size_t wanted = size_t(count);
        const size_t copied = m_Position < m_Size ? std::min(wanted, m_Size - m_Position) : 0;
        if (copied > 0)
            std::memcpy(data, m_Data + m_Position, copied);
        std::memset(static_cast<uint8_t*>(data) + copied, 0, wanted - copied);
        if (copied < wanted)
            m_Error = true;
        m_Position += wanted;
        return int(m_Position);
    }
    bool HasError() const override { return m_Error; }
    void SetError() override { m_Error = true; }

private:
    const uint8_t* m_Data;
    size_t m_Size;
    size_t m_Position = 0;
    bool m_Error = false;
};
