#pragma once
// A save stream held in memory for the tests of objects' own records, with
// the reading rules of the game's stream: bounded reads that give zeros
// past the end and set the sticky error flag.

#include <cstdint>
#include <string>

#include "media/C_SaveStream.h"

class CMemorySaveStream : public CSaveStream
{
public:
    CMemorySaveStream() = default;
    // A stream to read these bytes from.
    explicit CMemorySaveStream(std::string bytes) : m_Bytes(std::move(bytes)) {}

    int Write(const void* data, int count) override;
    int Read(void* data, int count) override;
    bool HasError() const override { return m_Error; }
    void SetError() override { m_Error = true; }

    const std::string& Bytes() const { return m_Bytes; }
    size_t Position() const { return m_Position; }

private:
    std::string m_Bytes;
    size_t m_Position = 0;
    bool m_Error = false;
};
