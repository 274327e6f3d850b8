#include "platform/SysMessageQueue.h"

bool SysMessageQueue::Post(const SysMessage& message)
{
    if (message.message == WM_MOUSEMOVE && !waiting.empty() && waiting.back().message == WM_MOUSEMOVE)
    {
        waiting.back() = message;
        return true;
    }
    if (message.message == WM_CLOSE)
    {
        // The one close request is kept even in a full queue: losing it would
        // leave the user unable to quit.
        if (!HasWaiting(WM_CLOSE))
            waiting.push_back(message);
        return true;
    }
    if (waiting.size() >= kCapacity)
        return false;
    waiting.push_back(message);
    return true;
}

bool SysMessageQueue::Take(SysMessage& out)
{
    if (waiting.empty())
        return false;
    out = waiting.front();
    waiting.pop_front();
    return true;
}

size_t SysMessageQueue::Count() const
{
    return waiting.size();
}

void SysMessageQueue::Clear()
{
    waiting.clear();
}

bool SysMessageQueue::HasWaiting(uint32_t messageCode) const
{
    for (const SysMessage& message : waiting)
    {
        if (message.message == messageCode)
            return true;
    }
    return false;
}
