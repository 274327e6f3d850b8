#pragma once
// Ring of N fixed slots that keeps the most recent N entries (the network
// data cache holds its packets in one).  The add that fills the last free
// slot is reported as a failed check, so that a cache too small for its
// traffic shows in the log before anything is lost; from then on each add
// overwrites the oldest entry.  The count never exceeds N.

#include "core/C_LogFile.h"

template <typename T, int N>
class T_LinkedList
{
    static_assert(N > 0, "a ring needs at least one slot");

public:
    static constexpr int Capacity = N;

    // Copies the element into the next slot; returns that slot's index.
    int Add(const T& element)
    {
        if (m_Count < N)
        {
            ++m_Count;
            if (m_Count == N)
                DEBUG_REPORT_AT(nullptr, 38);
        }
        m_Latest = (m_Latest + 1) % N;
        m_Slots[m_Latest] = element;
        return m_Latest;
    }

    void Clear()
    {
        m_Count = 0;
        m_Latest = N - 1;
    }

    T& operator[](int slot) { return m_Slots[slot]; }
    const T& operator[](int slot) const { return m_Slots[slot]; }
    int GetCount() const { return m_Count; }
    // Slot of the most recent entry (meaningful once the count is above 0).
    int GetLatest() const { return m_Latest; }
    // Slot of the oldest entry still held.
    int GetOldest() const { return (m_Latest - m_Count + 1 + N) % N; }

private:
    T m_Slots[N] = {};
    int m_Latest = N - 1;
    int m_Count = 0;
};
