#pragma once

#include <cstddef>
#include <deque>

#include "platform/SysMessage.h"

// The window's message queue, first in first out, with the merging rules the
// window procedure was written for: a mouse move posted while the newest
// waiting message is a mouse move replaces it (only the latest position
// waits, and clicks keep their place between moves), and a close request is
// not queued twice.  The queue holds at most kCapacity messages; input that
// arrives while it is full is dropped, a close request never.
class SysMessageQueue
{
public:
    static constexpr size_t kCapacity = 10000;

    // False when the message was dropped because the queue is full.
    bool Post(const SysMessage& message);
    // Removes the oldest message into `out`; false when there is none.
    bool Take(SysMessage& out);

    size_t Count() const;
    void Clear();

private:
    bool HasWaiting(uint32_t messageCode) const;

    std::deque<SysMessage> waiting;
};
