#include "tests/support/TestDataFile.h"

#include "tests/support/ReferenceBytes.h"

int CTestDataFile::Add(const std::string& name, const std::string& body)
{
    m_Entries.push_back({name, DirectoryOffset(), static_cast<uint32_t>(body.size())});
    m_Bodies += body;
    return static_cast<int>(m_Entries.size()) - 1;
}

std::vector<uint8_t> CTestDataFile::Build() const
{
    std::vector<uint8_t> out;
    PushLE(out, m_OffsetOverride.value_or(DirectoryOffset()), 4);
    out.insert(out.end(), m_Bodies.begin(), m_Bodies.end());
    PushLE(out, m_CountOverride.value_or(static_cast<uint32_t>(m_Entries.size())), 4);
    for (const SEntry& entry : m_Entries)
    {
        const int length = entry.lengthByte >= 0 ? entry.lengthByte : static_cast<int>(entry.name.size()) + 1;
        out.push_back(static_cast<uint8_t>(length)), out.insert(out.end(), entry.name.begin(), entry.name.end());
        if (entry.terminated) out.push_back(0);
        PushLE(out, entry.offset, 4);
        PushLE(out, entry.size, 4);
    }
    return out;
}
