#pragma once
// The path finder's binary min-heap of cells over a fixed array (children
// 2i + 1 and 2i + 2, parent (i - 1) / 2), with small entries: a priority and
// the cell's index on the 256-wide cell grid.  Its order is the node pool's
// to the tie: a new entry rises while it is strictly below its parent, and
// the last entry, moved into the root, sinks below the smaller child while
// that child is strictly below it, the right child on equal children.
// Bounds and the full-pool report are the caller's.

#include <cstdint>

template <typename TPriority, int32_t Capacity>
class T_PathHeap
{
public:
    struct SEntry
    {
        TPriority priority;
        uint16_t cell;
    };

    void Clear() { m_Count = 0; }
    int32_t Count() const { return m_Count; }
    bool IsFull() const { return m_Count >= Capacity; }
    uint16_t TopCell() const { return m_Entries[0].cell; }

    // The heap must not be full.  The sift moves a hole instead of swapping
    // entries; it compares exactly as swapping would.
    void Push(TPriority priority, uint16_t cell)
    {
        int32_t index = m_Count++;
        while (index > 0)
        {
            const int32_t parent = (index - 1) / 2;
            if (!(priority < m_Entries[parent].priority))
                break;
            m_Entries[index] = m_Entries[parent];
            index = parent;
        }
        m_Entries[index] = SEntry{priority, cell};
    }

    // Removes the top entry; the heap must not be empty.
    void PopTop()
    {
        const int32_t count = --m_Count;
        const SEntry moving = m_Entries[count];
        int32_t index = 0;
        for (;;)
        {
            const int32_t left = 2 * index + 1;
            if (left >= count)
                break;
            // The right child wins a tie; either way, the hole moves down
            // only past a child strictly below the moving entry.
            int32_t child = left;
            if (left + 1 < count && !(m_Entries[left].priority < m_Entries[left + 1].priority))
                child = left + 1;
            if (!(m_Entries[child].priority < moving.priority))
                break;
            m_Entries[index] = m_Entries[child];
            index = child;
        }
        m_Entries[index] = moving;
    }

private:
    int32_t m_Count = 0;
    SEntry m_Entries[Capacity];
};
