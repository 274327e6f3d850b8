#include "game/C_MessageList.h"

#include <algorithm>

#include "platform/SysClock.h"

CMessageList* g_MessageList = nullptr;

void CMessageList::AddMessage(const char* text, uint32_t colour)
{
    DropExpired();
    if (m_Lines.size() >= kMostLines)
        m_Lines.erase(m_Lines.begin(), m_Lines.begin() + static_cast<std::ptrdiff_t>(m_Lines.size() - kMostLines + 1));
    m_Lines.push_back({CString(text != nullptr ? text : ""), colour, SysClock::TickCount()});
}

const std::vector<SMessageLine>& CMessageList::GetLines() const
{
    DropExpired();
    return m_Lines;
}

void CMessageList::DropExpired() const
{
    const uint32_t now = SysClock::TickCount();
    std::erase_if(m_Lines, [now](const SMessageLine& line) {
        return SysClock::TicksBetween(line.time, now) >= kShowMilliseconds;
    });
}
