#pragma once
// A save stream held in memory for the tests of objects' own records, with the reading rules of the
// game's stream: bounded reads that give zeros past the end and set the sticky error flag.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "media/C_SaveStream.h"

class CMemorySaveStream : public CSaveStream
{
public:
    CMemorySaveStream() = default;
    explicit CMemorySaveStream(std::string bytes) : m_Bytes(std::move(bytes)) {}

    int Write(const void* data, int count) override
    {
        m_Bytes.append(static_cast<const char*>(data), size_t(count));
        return count;
    }
    int Read(void* data, int count) override
    {
        const size_t wanted = size_t(count);
        const size_t copied = std::min(wanted, m_Bytes.size() - std::min(m_Position, m_Bytes.size()));
        std::memcpy(data, m_Bytes.data() + m_Position, copied);
        std::memset(static_cast<char*>(data) + copied, 0, wanted - copied);
        m_Error = m_Error || copied < wanted;
        m_Position += wanted;
        return int(m_Position);
    }
    bool HasError() const override { return m_Error; }
    void SetError() override { m_Error = true; }

    const std::string& Bytes() const { return m_Bytes; }
    size_t Position() const { return m_Position; }

private:
    std::string m_Bytes;
    size_t m_Position = 0;
    bool m_Error = false;
};
