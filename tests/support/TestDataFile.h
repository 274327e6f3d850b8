#pragma once
// Builds packed data files byte by byte from the layout, independently of the game's reader and of
// medpack: a 32-bit directory offset at 0, the bodies, then the entry count and per entry a length byte
// (zero included), the name with its zero, the body offset and size, little-endian; any field can break.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CTestDataFile
{
public:
    struct SEntry
    {
        std::string name;
        uint32_t offset = 0, size = 0;
        int lengthByte = -1;       // -1: name length + 1
        bool terminated = true;    // write the name's zero
    };

    // Appends a body and an entry pointing at it; the entry's index.
    int Add(const std::string& name, const std::string& body);
    SEntry& Entry(int index) { return m_Entries[index]; }

    // Overrides for broken files.
    void SetCountOverride(uint32_t count) { m_CountOverride = count; }
    void SetDirectoryOffsetOverride(uint32_t offset) { m_OffsetOverride = offset; }

    std::vector<uint8_t> Build() const;
    // The offset at which Build puts the directory.
    uint32_t DirectoryOffset() const { return static_cast<uint32_t>(4 + m_Bodies.size()); }

private:
    std::string m_Bodies;
    std::vector<SEntry> m_Entries;
    std::optional<uint32_t> m_CountOverride, m_OffsetOverride;
};
