#include "game/C_MessageList.h"

#include "platform/SysClock.h"

CMessageList* g_MessageList = nullptr;

void CMessageList::AddMessage(const char* text, uint32_t colour)
{
    m_Lines.push_back({CString(text != nullptr ? text : ""), colour, SysClock::TickCount()});
}
