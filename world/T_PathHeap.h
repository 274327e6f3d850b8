#pragma once
// The path finder's binary min-heap of cells over a fixed array (children
// 2i + 1 and 2i + 2, parent (i - 1) / 2), with small entries: a 32-bit
// priority and the cell's index.  Its order is the node pool's to the tie: a
// new entry rises while it is strictly below its parent, and the last entry,
// moved into the root, sinks below the smaller child while that child is
// strictly below it, the right child on equal children.  Bounds and the
// full-pool report are the caller's.
//
// Every slot from the count up to twice the capacity holds a priority above
// every stored one (MissingPriority): a missing child then simply never
// wins, and a sink needs no test of where the entries end.
//
// A search loop works on the heap through a SWork: the array and the count
// as plain values that the compiler can keep in registers (the heap's own
// count would be read again after every store to memory of the same type),
// put back with Keep.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

template <typename TPriority, int32_t Capacity>
class T_PathHeap
{
    static_assert(std::is_same_v<TPriority, int32_t>, "an entry packs a 32-bit priority");

public:
    // An entry in one 64-bit word, the priority in its low half.  Every
    // entry is written whole by one store: a sink copies entries that were
    // written a moment before, and a processor serves a read from a store
    // still on its way to the cache only when one store wrote all of it
    // (two halves written apart make the read wait for both).
    struct SEntry
    {
        uint64_t word;

        static SEntry Of(TPriority priority, uint32_t cell)
        {
            return SEntry{uint64_t(uint32_t(priority)) | uint64_t(cell) << 32};
        }
        TPriority Priority() const { return TPriority(uint32_t(word)); }
        uint32_t Cell() const { return uint32_t(word >> 32); }
    };

    struct SWork
    {
        SEntry* entries;
        int32_t count;

        bool IsFull() const { return count >= Capacity; }
        uint32_t TopCell() const { return entries[0].Cell(); }
        // The heap must not be full.  The sift moves a hole instead of
        // swapping entries; it compares exactly as swapping would.
        void Push(TPriority priority, uint32_t cell)
        {
            size_t index = size_t(count++);
            while (index > 0)
            {
                const size_t parent = (index - 1) / 2;
                if (!(priority < entries[parent].Priority()))
                    break;
                entries[index] = entries[parent];
                index = parent;
            }
            entries[index] = SEntry::Of(priority, cell);
        }
        // Removes the top entry; the heap must not be empty.  The sink runs
        // without a branch over every level below the root: the level where
        // a sink stops is one a branch would guess wrong about once a sink,
        // a longer wait than the few levels it might save.  Once the sinking
        // entry has stopped, the levels left compare the same children again
        // and leave the hole where it is; what they copy into the hole is
        // overwritten by the entry.
        void PopTop()
        {
            const int32_t last = --count;
            const SEntry moving = entries[last];
            const TPriority movingPriority = moving.Priority();
            entries[last] = Missing;
            // Indexes as wide as a pointer spare the sink's chain of
            // dependent reads a widening at every level.
            size_t hole = 0;
            const int32_t levels = int32_t(std::bit_width(uint32_t(last))) - 1;
            for (int32_t level = 0; level < levels; ++level)
            {
                const size_t left = 2 * hole + 1;
                const TPriority leftPriority = entries[left].Priority();
                const TPriority rightPriority = entries[left + 1].Priority();
                const size_t child = left + size_t(rightPriority <= leftPriority);
                const bool rises = std::min(leftPriority, rightPriority) < movingPriority;
                entries[hole] = entries[child];
                hole = rises ? child : hole;
            }
            entries[hole] = moving;
        }
    };

    T_PathHeap()
    {
        for (SEntry& slot : m_Slots)
            slot = Missing;
    }
    T_PathHeap(const T_PathHeap&) = delete;
    T_PathHeap& operator=(const T_PathHeap&) = delete;

    void Clear()
    {
        SEntry* entries = Entries();
        for (int32_t i = 0; i < m_Count; ++i)
            entries[i] = Missing;
        m_Count = 0;
    }
    int32_t Count() const { return m_Count; }
    bool IsFull() const { return m_Count >= Capacity; }
    uint32_t TopCell() const { return Entries()[0].Cell(); }
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
    static constexpr SEntry Missing{uint32_t(std::numeric_limits<TPriority>::max())};

    // Entry i is kept in slot i + 1, so that two children (2i + 1, 2i + 2)
    // share an aligned pair of slots.
    SEntry* Entries() { return m_Slots + 1; }
    const SEntry* Entries() const { return m_Slots + 1; }

    int32_t m_Count = 0;
    // Slot 0 is unused; a sink reads children up to index 2 x capacity.
    alignas(64) SEntry m_Slots[2 * Capacity + 2];
};
