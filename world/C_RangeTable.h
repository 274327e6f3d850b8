#pragma once
// A precomputed list of block offsets around a centre, nearest first.  Sight,
// fog of war, attack and search code walk these lists instead of testing
// every block of a radius; the lists are built once at start-up and never
// change afterwards.  Users read `entries` and `count` directly.

#include <cstdint>
#include <memory>

class CPatternMoves;

// One offset; also the 8-byte record of a stored table file.
struct SRangeEntry
{
    int16_t dx;
    int16_t dy;
    int16_t distance;   // tenths of a block, as GlobalFunc::Distance
    uint8_t level;      // how far a sight pattern explores the block, 255 = fully
    uint8_t reserved;
};
static_assert(sizeof(SRangeEntry) == 8, "the stored table record is 8 bytes");

class CRangeTable
{
public:
    CRangeTable();
    ~CRangeTable();
    CRangeTable(const CRangeTable&) = delete;
    CRangeTable& operator=(const CRangeTable&) = delete;

    // Every offset with inner * 10 <= distance < outer * 10, with fill also the
    // blocks that close the gaps between diagonal steps; level 255.  With a
    // file name the table is read from that data file instead; a missing or
    // malformed file is logged and the table is computed.  Returns false only
    // when a named file could not be used.
    bool InitRing(int32_t inner, int32_t outer, uint8_t fill, const char* fileName = nullptr);
    // The soft-edged sight ring: full level up to 1.4 blocks beyond the
    // nearest distance, falling linearly to 40 at the farthest.
    void InitRing2(int32_t inner, int32_t outer);
    // The (2 r + 1)^2 square around the centre.
    void InitSquare(int32_t radius);
    // The 4 (n + 1) blocks just outside an n x n footprint whose corner is the
    // centre, one block of each side at a time; only dx and dy are set.
    // Start-up builds its nine "line ranges" with InitLine; InitBorder is the
    // same table named after the footprint it surrounds.
    void InitLine(int32_t size);
    void InitBorder(int32_t size) { InitLine(size); }
    void Free();

    // Checks and loads the stored form: a 32-bit count, then count entries,
    // each within `outer` blocks, at its own distance, nearest first.
    // Leaves the table unchanged and gives the reason when the bytes are bad.
    bool LoadStored(const uint8_t* bytes, int64_t size, int32_t outer, const char** reason);
    // The stored form of the table (count, then the entries).
    int64_t GetStoredSize() const { return 4 + int64_t(count) * int64_t(sizeof(SRangeEntry)); }
    void WriteStored(uint8_t* out) const;

    // What changes when the centre moves one block, and the entries' offsets
    // in the explored map's grid of corners (rows of ExploredRowLength),
    // worked out at the first call after the table was (re)built.
    static constexpr int32_t ExploredRowLength = 257;
    const CPatternMoves& GetMoves() const;

    SRangeEntry* entries;
    int32_t count;

private:
    void Allocate(int32_t capacity);
    bool Append(int32_t dx, int32_t dy, int32_t distance);
    void ComputeRing(int32_t inner, int32_t outer, uint8_t fill);
    bool ReadRingFile(const char* fileName, int32_t outer);

    int32_t m_Capacity;
    mutable std::unique_ptr<CPatternMoves> m_Moves;
};

// Sorts by distance into exactly the order of the game's exchange sort
// (for i, for j from i: exchange entries i and j when i is farther), which
// decides the order of equal distances, in O(n log n) steps.
void SortRangeEntries(SRangeEntry* entries, int32_t count);
