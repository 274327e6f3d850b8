#pragma once
// What changes when a range pattern's centre moves one block: for each of the
// eight steps, the blocks whose count of the pattern changes and by how
// much.  Sight counts follow a moving unit by touching only the blocks that
// enter and leave its disc instead of taking the whole disc away and adding
// it back.  Offsets are relative to the centre before the step; a block
// listed twice in the pattern counts twice, as adding it does.

#include <cstdint>
#include <vector>

class CRangeTable;

class CPatternMoves
{
public:
    struct SChange
    {
        int16_t dx;
        int16_t dy;
        int32_t delta;
    };

    // Works out the changes of every step for the pattern as it is now.
    CPatternMoves(const CRangeTable& pattern, int32_t rowLength);

    // The largest |dx| or |dy| of the pattern's offsets.
    int32_t GetReach() const { return m_Reach; }
    // Each entry's offset in a grid whose rows are rowLength apart
    // (dx * rowLength + dy), in the pattern's order.
    const int32_t* GetGridOffsets() const { return m_GridOffsets.data(); }

    // Whether these are the changes of the pattern as it is now.
    bool IsFor(const CRangeTable& pattern) const;

    // The changes of a step of (stepX, stepY), each -1, 0 or 1 and not both
    // 0; null and 0 for any other step.
    const SChange* Changes(int32_t stepX, int32_t stepY, int32_t* count) const;

private:
    static int32_t StepSlot(int32_t stepX, int32_t stepY);

    const void* m_Entries;
    int32_t m_Count;
    int32_t m_Reach;
    std::vector<SChange> m_Changes[9];
    std::vector<int32_t> m_GridOffsets;
};
