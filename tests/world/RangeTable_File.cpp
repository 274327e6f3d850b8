// The stored range table: the whole-map disc written by the project's own
// tool reads back equal to the computed one; bad files are refused.

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "WorldTestSupport.h"
#include "world/C_RangeTable.h"
#include "world/RangeTables.h"

namespace
{
const char* const FullMapFile = "InGame\\Ranges\\fullmap.rng";

std::vector<uint8_t> Le32(int32_t value)
{
    std::vector<uint8_t> out;
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(uint32_t(value) >> (8 * i)));
    return out;
}

// count, then each entry {dx, dy, distance, level, 0}.
std::vector<uint8_t> StoredTable(int32_t count, const std::vector<std::vector<int>>& entries)
{
    std::vector<uint8_t> bytes = Le32(count);
    for (const auto& e : entries)
    {
        for (int i = 0; i < 3; ++i)
        {
            bytes.push_back(uint8_t(e[size_t(i)] & 0xFF));
            bytes.push_back(uint8_t((e[size_t(i)] >> 8) & 0xFF));
        }
        bytes.push_back(uint8_t(e[3]));
        bytes.push_back(0);
    }
    return bytes;
}

bool SameEntries(const CRangeTable& a, const CRangeTable& b)
{
    if (a.count != b.count)
        return false;
    for (int i = 0; i < a.count; ++i)
        if (a.entries[i].dx != b.entries[i].dx || a.entries[i].dy != b.entries[i].dy ||
            a.entries[i].distance != b.entries[i].distance || a.entries[i].level != b.entries[i].level)
            return false;
    return true;
}

const std::vector<std::vector<int>> ThreeByThree = {{0, 0, 0, 255}, {-1, 0, 10, 255}, {0, -1, 10, 255},
                                                    {0, 1, 10, 255}, {1, 0, 10, 255}, {-1, -1, 14, 255},
                                                    {-1, 1, 14, 255}, {1, -1, 14, 255}, {1, 1, 14, 255}};
} // namespace

TEST(RangeFile, ToolMadeFullMapDiscReadsBackEqualToTheComputedOne)
{
    WorldFolder folder;
    const std::string target = folder.File("InGame/Ranges/fullmap.rng");
    const std::string command = std::string(V2KRN_TOOLS_DIR) + "/mkrange '" + target + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    CRangeTable computed;
    computed.InitRing(0, FullMapDiscRadius, 0);
    const std::vector<uint8_t> bytes = ReadBytes(target);
    ASSERT_EQ(bytes.size(), size_t(4 + 8 * computed.count));

    DiskDataFiles data(folder);
    CRangeTable read;
    ASSERT_TRUE(read.InitRing(0, FullMapDiscRadius, 0, FullMapFile));
    EXPECT_TRUE(SameEntries(read, computed));
    EXPECT_EQ(read.entries[0].distance, 0);
    EXPECT_EQ(read.entries[read.count - 1].distance, 1279);
}

TEST(RangeFile, StoredLayoutIsCountThenEightByteEntriesAndRoundTrips)
{
    const std::vector<uint8_t> bytes = StoredTable(9, ThreeByThree);
    CRangeTable read;
    ASSERT_TRUE(read.LoadStored(bytes.data(), int64_t(bytes.size()), 2, nullptr));
    ASSERT_EQ(read.count, 9);
    // A stored table keeps the file's order and levels as they are.
    for (int i = 0; i < 9; ++i)
    {
        EXPECT_EQ(read.entries[i].dx, ThreeByThree[size_t(i)][0]);
        EXPECT_EQ(read.entries[i].dy, ThreeByThree[size_t(i)][1]);
        EXPECT_EQ(read.entries[i].distance, ThreeByThree[size_t(i)][2]);
        EXPECT_EQ(read.entries[i].level, 255);
    }
    ASSERT_EQ(read.GetStoredSize(), int64_t(bytes.size()));
    std::vector<uint8_t> again(bytes.size());
    read.WriteStored(again.data());
    EXPECT_EQ(again, bytes);
    // Soft rings carry levels below 255.
    CRangeTable soft;
    soft.InitRing2(2, 6);
    std::vector<uint8_t> softBytes(size_t(soft.GetStoredSize()));
    soft.WriteStored(softBytes.data());
    ASSERT_TRUE(read.LoadStored(softBytes.data(), int64_t(softBytes.size()), 6, nullptr));
    EXPECT_TRUE(SameEntries(read, soft));
}

TEST(RangeFile, BadStoredTablesAreRefusedAndLeaveTheTable)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    std::vector<std::vector<int>> unsorted = ThreeByThree;
    std::swap(unsorted[0], unsorted[8]);
    std::vector<std::vector<int>> repeated = ThreeByThree;
    repeated[2] = repeated[1];
    std::vector<std::vector<int>> wrongDistance = ThreeByThree;
    wrongDistance[1][2] = 11;
    std::vector<std::vector<int>> tooFar = ThreeByThree;
    tooFar[8] = {3, 0, 30, 255};
    std::vector<uint8_t> truncated = StoredTable(9, ThreeByThree);
    truncated.pop_back();
    std::vector<uint8_t> trailing = StoredTable(9, ThreeByThree);
    trailing.push_back(0);

    const std::vector<Case> cases = {
        {"empty file", {}, "bad size"},
        {"short count", {9, 0}, "bad size"},
        {"negative count", StoredTable(-1, {}), "bad count"},
        {"count above the room", StoredTable(26, ThreeByThree), "bad count"},
        {"count beyond the file", StoredTable(10, ThreeByThree), "bad size"},
        {"truncated entry", truncated, "bad size"},
        {"bytes after the entries", trailing, "bad size"},
        {"offset beyond the radius", StoredTable(9, tooFar), "offset out of range"},
        {"distance not of its offset", StoredTable(9, wrongDistance), "bad distance"},
        {"not nearest first", StoredTable(9, unsorted), "bad distance"},
        {"offset repeated", StoredTable(9, repeated), "offset repeated"},
    };
    for (const Case& c : cases)
    {
        CRangeTable table;
        table.InitRing(0, 2, 0);
        CRangeTable before;
        before.InitRing(0, 2, 0);
        const char* reason = nullptr;
        EXPECT_FALSE(table.LoadStored(c.bytes.data(), int64_t(c.bytes.size()), 2, &reason)) << c.what;
        EXPECT_STREQ(reason, c.reason) << c.what;
        EXPECT_TRUE(SameEntries(table, before)) << c.what;
    }
}

TEST(RangeFile, MissingOrBadFileIsLoggedAndTheDiscComputed)
{
    WorldFolder folder;
    WorldLog log(folder);
    DiskDataFiles data(folder);
    CRangeTable computed;
    computed.InitRing(0, 3, 0);

    CRangeTable missing;
    EXPECT_FALSE(missing.InitRing(0, 3, 0, FullMapFile));
    EXPECT_TRUE(SameEntries(missing, computed));
    EXPECT_TRUE(log.Has("Range file rejected: InGame\\Ranges\\fullmap.rng (file not found), computing the table"));

    WriteBytes(folder.File("InGame/Ranges/fullmap.rng"), StoredTable(100000, {}));
    CRangeTable huge;
    EXPECT_FALSE(huge.InitRing(0, 3, 0, FullMapFile));
    EXPECT_TRUE(SameEntries(huge, computed));
    EXPECT_TRUE(log.Has("Range file rejected: InGame\\Ranges\\fullmap.rng (bad count), computing the table"));
}
