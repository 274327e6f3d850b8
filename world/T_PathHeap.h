#pragma once
// The path finder's binary min-heap of cells over a fixed array (children
// 2i + 1 and 2i + 2, parent (i - 1) / 2), with small entries: a priority and
// the cell's index.  Its order is the node pool's to the tie: a new entry
// rises while it is strictly below its parent, and the last entry, moved
// into the root, sinks below the smaller child while that child is strictly
// below it, the right child on equal children.  Bounds and the full-pool
// report are the caller's.
//
// A search loop works on the heap through a SWork: the array and the count
// as plain values that the compiler can keep in registers (the heap's own
// count would be read again after every store to memory of the same type),
// put back with Keep.

#include <algorithm>
#include <cstdint>
#include <limits>

template <typename TPriority, int32_t Capacity>
class T_PathHeap
{
public:
    struct SEntry
    {
        TPriority priority;
        uint32_t cell;
    };

    struct SWork
    {
        SEntry* entries;
        int32_t count;

        bool IsFull() const { return count >= Capacity; }
        uint32_t TopCell() const { return entries[0].cell; }
        // The heap must not be full.  The sift moves a hole instead of
        // swapping entries; it compares exactly as swapping would.
        void Push(TPriority priority, uint32_t cell)
        {
            int32_t index = count++;
            while (index > 0)
            {
                const int32_t parent = (index - 1) / 2;
                if (!(priority < entries[parent].priority))
                    break;
                entries[index] = entries[parent];
                index = parent;
            }
            entries[index] = SEntry{priority, cell};
        }
        // Removes the top entry; the heap must not be empty.  The last entry
        // sinks from the root two levels a step: the four grandchildren are
        // read with the two children, before the child is chosen, so that
        // one wait for memory serves two levels.
        void PopTop()
        {
            const int32_t last = --count;
            const SEntry moving = entries[last];
            // A missing right child never wins: the slot after the last
            // entry holds a priority above every stored one.
            entries[last].priority = MissingPriority;
            int32_t hole = 0;
            while (4 * hole + 6 < last)
            {
                const int32_t left = 2 * hole + 1;
                const int32_t grand = 4 * hole + 3;
                const TPriority leftPriority = entries[left].priority;
                const TPriority rightPriority = entries[left + 1].priority;
                const TPriority grand0 = entries[grand].priority;
                const TPriority grand1 = entries[grand + 1].priority;
                const TPriority grand2 = entries[grand + 2].priority;
                const TPriority grand3 = entries[grand + 3].priority;
                const bool right = rightPriority <= leftPriority;
                if (!(std::min(leftPriority, rightPriority) < moving.priority))
                    break;
                const int32_t child = left + int32_t(right);
                entries[hole] = entries[child];
                hole = child;
                const TPriority grandLeft = Pick(right, grand2, grand0);
                const TPriority grandRight = Pick(right, grand3, grand1);
                const bool grandRightWins = grandRight <= grandLeft;
                if (!(std::min(grandLeft, grandRight) < moving.priority))
                    break;
                const int32_t grandChild = grand + 2 * int32_t(right) + int32_t(grandRightWins);
                entries[hole] = entries[grandChild];
                hole = grandChild;
            }
            for (int32_t left = 2 * hole + 1; left < last; left = 2 * hole + 1)
            {
                const int32_t child = left + int32_t(entries[left + 1].priority <= entries[left].priority);
                if (!(entries[child].priority < moving.priority))
                    break;
                entries[hole] = entries[child];
                hole = child;
            }
            entries[hole] = moving;
        }
    };

    void Clear() { m_Count = 0; }
    int32_t Count() const { return m_Count; }
    bool IsFull() const { return m_Count >= Capacity; }
    uint32_t TopCell() const { return Entries()[0].cell; }
    void Push(TPriority priority, uint32_t cell)
    {
        SWork work = Work();
        work.Push(priority, cell);
        Keep(work);
    }
    void PopTop()
    {
        SWork work = Work();
        work.PopTop();
        Keep(work);
    }

    SWork Work() { return SWork{Entries(), m_Count}; }
    void Keep(const SWork& work) { m_Count = work.count; }

private:
    static constexpr TPriority MissingPriority = std::numeric_limits<TPriority>::max();

    // `choose ? a : b` in arithmetic: the choices in the sift are as likely
    // as not, which a branch would guess wrong half the time.
    static TPriority Pick(bool choose, TPriority a, TPriority b) { return b ^ ((a ^ b) & -TPriority(choose)); }

    // Entry i is kept in slot i + 1, so that two children (2i + 1, 2i + 2)
    // share an aligned pair of slots and four grandchildren an aligned
    // quadruple.
    SEntry* Entries() { return m_Slots + 1; }
    const SEntry* Entries() const { return m_Slots + 1; }

    int32_t m_Count = 0;
    // Slot 0 is unused; one slot more than the capacity: the one after the
    // last entry.
    alignas(64) SEntry m_Slots[Capacity + 2];
};
