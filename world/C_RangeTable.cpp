#include "world/C_RangeTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "world/C_PatternMoves.h"

namespace
{
// Radii beyond this would overflow the 16-bit distances.
constexpr int32_t MaxRadius = 1000;
constexpr uint8_t FullLevel = 255;
// Soft rings: fully explored up to 1.4 blocks beyond the nearest distance,
// then falling by 215 levels to 40 at the farthest.
constexpr int32_t SoftRingFullBand = 14;
constexpr int32_t SoftRingFall = 215;

int32_t ClampRadius(int32_t radius)
{
    if (radius < 0)
        return 0;
    return radius > MaxRadius ? MaxRadius : radius;
}

int32_t OffsetDistance(int32_t dx, int32_t dy)
{
    return GlobalFunc::Distance(0, 0, dx, dy);
}

int32_t ReadLE32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

int16_t ReadLE16(const uint8_t* p)
{
    return int16_t(uint16_t(p[0] | p[1] << 8));
}

void WriteLE32(uint8_t* p, int32_t value)
{
    const uint32_t v = uint32_t(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

void WriteLE16(uint8_t* p, int16_t value)
{
    const uint16_t v = uint16_t(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// Counts marked positions below a position (a Fenwick tree).
class CPositionCounter
{
public:
    explicit CPositionCounter(int32_t size) : m_Counts(size_t(size) + 1, 0) {}

    void Mark(int32_t position)
    {
        for (size_t i = size_t(position) + 1; i < m_Counts.size(); i += i & (~i + 1))
            ++m_Counts[i];
    }
    int32_t CountBelow(int32_t position) const
    {
        int32_t count = 0;
        for (size_t i = size_t(position); i > 0; i -= i & (~i + 1))
            count += m_Counts[i];
        return count;
    }

private:
    std::vector<int32_t> m_Counts;
};
} // namespace

// The exchange sort (for i, for j from i: exchange entries i and j when i
// is farther) decides the order of equal distances, but it takes n^2 / 2
// steps, too many for the whole-map disc.  Its order follows from this: seen
// from one distance v, call the entries nearer than v "near" and those at v
// "equal".  Each pass moves out one near entry; if the first near-or-equal
// entry of the unsorted rest is an equal one, that equal entry moves to the
// place of the first near entry after it, passing the equal entries between.
// So, with C the equal entries before the first near one in position order:
// at each near entry (in position order) C turns by one (its first goes
// last) and then takes the equal entries that follow up to the next near
// entry.  Once no near entry is left, the passes take the equal entries in
// the order of C.
void SortRangeEntries(SRangeEntry* entries, int32_t count)
{
    if (count < 2)
        return;
    std::vector<int32_t> byDistance(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        byDistance[size_t(i)] = i;
    std::stable_sort(byDistance.begin(), byDistance.end(),
                     [&](int32_t a, int32_t b) { return entries[a].distance < entries[b].distance; });

    CPositionCounter nearer(count);
    std::vector<SRangeEntry> sorted;
    sorted.reserve(size_t(count));
    std::vector<int32_t> equal;
    int32_t nearerTotal = 0;
    for (int32_t first = 0; first < count;)
    {
        int32_t end = first;
        while (end < count && entries[byDistance[size_t(end)]].distance == entries[byDistance[size_t(first)]].distance)
            ++end;

        equal.clear();
        int32_t turnedAt = 0;   // near entries passed so far
        auto turn = [&](int32_t nearPassed)
        {
            if (!equal.empty())
                std::rotate(equal.begin(), equal.begin() + (nearPassed - turnedAt) % int32_t(equal.size()),
                            equal.end());
            turnedAt = nearPassed;
        };
        for (int32_t k = first; k < end; ++k)
        {
            const int32_t position = byDistance[size_t(k)];
            turn(nearer.CountBelow(position));
            equal.push_back(position);
        }
        turn(nearerTotal);

        for (int32_t position : equal)
            sorted.push_back(entries[position]);
        for (int32_t k = first; k < end; ++k)
            nearer.Mark(byDistance[size_t(k)]);
        nearerTotal += end - first;
        first = end;
    }
    std::memcpy(entries, sorted.data(), size_t(count) * sizeof(SRangeEntry));
}

CRangeTable::CRangeTable()
    : entries(nullptr), count(0), m_Capacity(0)
{
}

CRangeTable::~CRangeTable()
{
    Free();
}

const CPatternMoves& CRangeTable::GetMoves() const
{
    if (!m_Moves || !m_Moves->IsFor(*this))
        m_Moves = std::make_unique<CPatternMoves>(*this, ExploredRowLength);
    return *m_Moves;
}

void CRangeTable::Free()
{
    m_Moves.reset();
    delete[] entries;
    entries = nullptr;
    count = 0;
    m_Capacity = 0;
}

void CRangeTable::Allocate(int32_t capacity)
{
    Free();
    m_Capacity = capacity > 0 ? capacity : 0;
    if (m_Capacity > 0)
        entries = new SRangeEntry[size_t(m_Capacity)]();
}

bool CRangeTable::Append(int32_t dx, int32_t dy, int32_t distance)
{
    if (count >= m_Capacity)
    {
        g_Log.Write("#DEBUG: Range initialization, array count overflow");
        return false;
    }
    SRangeEntry& entry = entries[count++];
    entry.dx = int16_t(dx);
    entry.dy = int16_t(dy);
    entry.distance = int16_t(distance);
    entry.level = 0;
    entry.reserved = 0;
    return true;
}

bool CRangeTable::InitRing(int32_t inner, int32_t outer, uint8_t fill, const char* fileName)
{
    outer = ClampRadius(outer);
    inner = ClampRadius(inner);
    if (fileName != nullptr && ReadRingFile(fileName, outer))
        return true;
    ComputeRing(inner, outer, fill);
    return fileName == nullptr;
}

void CRangeTable::ComputeRing(int32_t inner, int32_t outer, uint8_t fill)
{
    const int32_t side = 2 * outer + 1;
    Allocate(side * side);
    // Which offsets the table holds, so that the gap filling adds none twice.
    std::vector<uint8_t> present(size_t(side * side), 0);
    auto cell = [&](int32_t dx, int32_t dy) -> uint8_t& { return present[size_t((dx + outer) * side + dy + outer)]; };

    for (int32_t dx = -outer; dx < outer; ++dx)
        for (int32_t dy = -outer; dy < outer; ++dy)
        {
            const int32_t d = OffsetDistance(dx, dy);
            if (d >= inner * 10 && d < outer * 10 && Append(dx, dy, d))
                cell(dx, dy) = 1;
        }

    if (fill)
    {
        // Thin rings leave holes between diagonal steps: close them with the
        // east, south-east and south neighbour of every kept offset.
        static const int32_t Gap[3][2] = {{1, 0}, {1, 1}, {0, 1}};
        for (int32_t dx = -outer; dx < outer; ++dx)
            for (int32_t dy = -outer; dy < outer; ++dy)
            {
                const int32_t d = OffsetDistance(dx, dy);
                if (d < inner * 10 || d >= outer * 10)
                    continue;
                for (const auto& step : Gap)
                {
                    const int32_t gx = dx + step[0];
                    const int32_t gy = dy + step[1];
                    if (!cell(gx, gy) && Append(gx, gy, d))
                        cell(gx, gy) = 1;
                }
            }
    }

    SortRangeEntries(entries, count);
    for (int32_t i = 0; i < count; ++i)
        entries[i].level = FullLevel;
}

bool CRangeTable::ReadRingFile(const char* fileName, int32_t outer)
{
    const int64_t room = int64_t(2 * outer + 1) * (2 * outer + 1);
    const int64_t largest = 4 + room * int64_t(sizeof(SRangeEntry));
    const char* reason = nullptr;
    std::vector<uint8_t> bytes;

    CFile file;
    if (!file.OpenRead(fileName))
        reason = "file not found";
    else
    {
        const int size = file.GetSize();
        if (size < 4 || size > largest)
            reason = "bad size";
        else
        {
            bytes.resize(size_t(size));
            if (file.Read(bytes.data(), size) != size)
                reason = "read error";
        }
        file.Close();
    }
    if (reason == nullptr && LoadStored(bytes.data(), int64_t(bytes.size()), outer, &reason))
        return true;

    g_Log.Write(CString("Range file rejected: ") + fileName + " (" + reason + "), computing the table");
    return false;
}

bool CRangeTable::LoadStored(const uint8_t* bytes, int64_t size, int32_t outer, const char** reason)
{
    const char* unused = nullptr;
    const char*& why = reason != nullptr ? *reason : unused;
    outer = ClampRadius(outer);
    const int32_t side = 2 * outer + 1;
    if (size < 4)
    {
        why = "bad size";
        return false;
    }
    const int32_t stored = ReadLE32(bytes);
    if (stored < 0 || int64_t(stored) > int64_t(side) * side)
    {
        why = "bad count";
        return false;
    }
    if (size != 4 + int64_t(stored) * int64_t(sizeof(SRangeEntry)))
    {
        why = "bad size";
        return false;
    }

    std::vector<SRangeEntry> loaded(static_cast<size_t>(stored));
    std::vector<uint8_t> present(size_t(side) * size_t(side), 0);
    int32_t previousDistance = 0;
    for (int32_t i = 0; i < stored; ++i)
    {
        const uint8_t* p = bytes + 4 + int64_t(i) * 8;
        SRangeEntry& e = loaded[size_t(i)];
        e.dx = ReadLE16(p);
        e.dy = ReadLE16(p + 2);
        e.distance = ReadLE16(p + 4);
        e.level = p[6];
        e.reserved = p[7];
        if (std::abs(e.dx) > outer || std::abs(e.dy) > outer)
        {
            why = "offset out of range";
            return false;
        }
        if (e.distance != OffsetDistance(e.dx, e.dy) || e.distance < previousDistance)
        {
            why = "bad distance";
            return false;
        }
        uint8_t& seen = present[size_t((e.dx + outer) * side + e.dy + outer)];
        if (seen)
        {
            why = "offset repeated";
            return false;
        }
        seen = 1;
        previousDistance = e.distance;
    }

    Allocate(side * side);
    if (stored > 0)
        std::memcpy(entries, loaded.data(), size_t(stored) * sizeof(SRangeEntry));
    count = stored;
    return true;
}

void CRangeTable::WriteStored(uint8_t* out) const
{
    WriteLE32(out, count);
    for (int32_t i = 0; i < count; ++i)
    {
        uint8_t* p = out + 4 + int64_t(i) * 8;
        WriteLE16(p, entries[i].dx);
        WriteLE16(p + 2, entries[i].dy);
        WriteLE16(p + 4, entries[i].distance);
        p[6] = entries[i].level;
        p[7] = entries[i].reserved;
    }
}

void CRangeTable::InitRing2(int32_t inner, int32_t outer)
{
    inner = ClampRadius(inner);
    outer = ClampRadius(outer);
    Allocate(4 * outer * outer);
    int32_t smallest = 1000;
    int32_t largest = 0;
    for (int32_t dx = -outer; dx < outer; ++dx)
        for (int32_t dy = -outer; dy < outer; ++dy)
        {
            const int32_t d = OffsetDistance(dx, dy);
            if (d < inner * 10 || d >= outer * 10 || !Append(dx, dy, d))
                continue;
            smallest = std::min(smallest, d);
            largest = std::max(largest, d);
        }
    SortRangeEntries(entries, count);

    const int32_t base = int16_t(smallest + SoftRingFullBand);
    int32_t span = largest - base;
    for (int32_t i = 0; i < count; ++i)
    {
        // 255 + (d - base) * (-215 / span), truncated; worked out exactly so
        // that the farthest entries get 40, not 39 by a rounding error.
        int64_t level = FullLevel;
        if (span != 0)
        {
            int64_t numerator = int64_t(FullLevel) * span - int64_t(SoftRingFall) * (entries[i].distance - base);
            int64_t denominator = span;
            if (denominator < 0)
            {
                numerator = -numerator;
                denominator = -denominator;
            }
            level = numerator / denominator;
        }
        entries[i].level = uint8_t(level < 0 ? 0 : (level > FullLevel ? FullLevel : level));
    }
}

void CRangeTable::InitSquare(int32_t radius)
{
    radius = ClampRadius(radius);
    const int32_t side = 2 * radius + 1;
    Allocate(side * side);
    for (int32_t dx = -radius; dx <= radius; ++dx)
        for (int32_t dy = -radius; dy <= radius; ++dy)
            Append(dx, dy, OffsetDistance(dx, dy));
    SortRangeEntries(entries, count);
}

void CRangeTable::InitLine(int32_t size)
{
    size = ClampRadius(size);
    Allocate(4 * (size + 1));
    if (size == 0)
        return;
    for (int32_t i = 0; i <= size; ++i)
    {
        Append(i - 1, -1, 0);
        Append(size, i - 1, 0);
        Append(i, size, 0);
        Append(-1, i, 0);
    }
}
