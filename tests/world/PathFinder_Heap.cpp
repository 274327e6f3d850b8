// The node pool as a binary min-heap: ordering, ties, and the 20,000-entry
// limit.

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/PathTestObjects.h"
#include "tests/support/TestLog.h"

namespace
{
class PathFinderHeap : public ::testing::Test
{
protected:
    PathFinderHeap() : map(MakePathTestMap(16, 16)), finder(std::make_unique<CPathFinder>(*map)) {}

    std::vector<int64_t> PopAll()
    {
        std::vector<int64_t> order;
        while (finder->GetNodeCount() > 0)
        {
            order.push_back(finder->GetNode(0).priority);
            finder->RemoveNode(0);
        }
        return order;
    }

    std::unique_ptr<CGameMap> map;
    std::unique_ptr<CPathFinder> finder;
};
} // namespace

TEST_F(PathFinderHeap, RemovesInAscendingPriority)
{
    const std::vector<int64_t> priorities = {50, 30, 80, 10, 90, 20, 70, 20, 60, 40, 5};
    for (size_t i = 0; i < priorities.size(); ++i)
        ASSERT_TRUE(finder->InsertNode(int32_t(i), 0, priorities[i]));
    std::vector<int64_t> expected = priorities;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(PopAll(), expected);
    EXPECT_EQ(finder->GetNodeCount(), 0);
}

TEST_F(PathFinderHeap, TiesStayBelowTheParentAndTheRightChildRisesOnEqualChildren)
{
    finder->InsertNode(1, 0, 7);
    finder->InsertNode(2, 0, 7);
    EXPECT_EQ(finder->GetNode(0).x, 1);
    EXPECT_EQ(finder->GetNode(1).x, 2);

    // The last entry moves into the root and sinks below the children.
    struct SCase
    {
        int64_t left, right;
        int32_t risen, sunkSlot;
    };
    for (const SCase& c : {SCase{5, 5, 2, 2}, SCase{4, 6, 1, 1}})
    {
        SCOPED_TRACE(c.left);
        while (finder->GetNodeCount() > 0)
            finder->RemoveNode(0);
        finder->InsertNode(0, 0, 1);
        finder->InsertNode(1, 0, c.left);
        finder->InsertNode(2, 0, c.right);
        finder->InsertNode(3, 0, 9);
        finder->RemoveNode(0);
        ASSERT_EQ(finder->GetNodeCount(), 3);
        EXPECT_EQ(finder->GetNode(0).x, c.risen);
        EXPECT_EQ(finder->GetNode(c.sunkSlot).x, 3);
    }
}

TEST_F(PathFinderHeap, TheEntryAfterTwentyThousandIsRefusedWithACheckReport)
{
    CTestLog log;
    for (int32_t i = 0; i < CPathFinder::NodePoolSize; ++i)
        ASSERT_TRUE(finder->InsertNode(i % 256, i / 256, 20000 - i));
    EXPECT_FALSE(log.Contains("#DEBUG: CPathFinder::InsertNode -> Priority-queue overflow"));

    EXPECT_FALSE(finder->InsertNode(0, 0, 0));
    EXPECT_EQ(finder->GetNodeCount(), 20000);
    EXPECT_EQ(log.Count("#DEBUG: CPathFinder::InsertNode -> Priority-queue overflow"), 1);
    EXPECT_TRUE(log.Contains("#DEBUG: breakpoint reached"));
    // The refused entry (priority 0) is not in the heap: the smallest is 1.
    EXPECT_EQ(finder->GetNode(0).priority, 1);
}
