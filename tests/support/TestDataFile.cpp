#include "tests/support/TestDataFile.h"

namespace
{
void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 24));
}
} // namespace

int CTestDataFile::Add(const std::string& name, const std::string& body)
{
    m_Entries.push_back({name, DirectoryOffset(), static_cast<uint32_t>(body.size())});
    m_Bodies += body;
    return static_cast<int>(m_Entries.size()) - 1;
}

std::vector<uint8_t> CTestDataFile::Build() const
{
    std::vector<uint8_t> out;
    Put32(out, m_OffsetOverride.value_or(DirectoryOffset()));
    out.insert(out.end(), m_Bodies.begin(), m_Bodies.end());
    Put32(out, m_CountOverride.value_or(static_cast<uint32_t>(m_Entries.size())));
    for (const SEntry& entry : m_Entries)
    {
        const int length = entry.lengthByte >= 0 ? entry.lengthByte : static_cast<int>(entry.name.size()) + 1;
        out.push_back(static_cast<uint8_t>(length));
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        if (entry.terminated)
            out.push_back(0);
        Put32(out, entry.offset);
        Put32(out, entry.size);
    }
    return out;
}
