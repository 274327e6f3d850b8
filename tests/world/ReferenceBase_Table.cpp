// Registering units and buildings and looking them up by id and by pointer.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ReferenceBase_Objects.h"
#include "tests/support/TestLog.h"
#include "world/C_ReferenceBase.h"

using namespace ReferenceTest;

class ReferenceBaseTest : public ::testing::Test
{
protected:
    std::unique_ptr<CReferenceBase> m_Table = std::make_unique<CReferenceBase>();
    CTestLog m_Log;

    int Reports() const { return m_Log.Count("#DEBUG: breakpoint reached"); }
};

TEST_F(ReferenceBaseTest, IdsFollowInsertionOrderNotAddresses)
{
    // An array lays its elements out in ascending addresses.
    CRefUnit units[3] = {{0, 1}, {0, 1}, {0, 1}};
    EXPECT_EQ(m_Table->AddUnit(&units[1]), 0);
    EXPECT_EQ(m_Table->AddUnit(&units[0]), 1);
    EXPECT_EQ(m_Table->AddUnit(&units[2]), 2);

    EXPECT_EQ(m_Table->GetUnitRef(&units[0]), 1);
    EXPECT_EQ(m_Table->GetUnitRef(&units[1]), 0);
    EXPECT_EQ(m_Table->GetUnitRef(&units[2]), 2);
    EXPECT_EQ(m_Table->GetUnit(1), &units[0]);
    EXPECT_EQ(m_Table->GetCount(), 3);
    EXPECT_EQ(Reports(), 0);
}

TEST_F(ReferenceBaseTest, ObjectRegisteredTwiceKeepsItsIdAndIsReportedOnce)
{
    CRefUnit first(0, 1);
    CRefUnit second(0, 1);
    CRefBuilding keep(0, 11, 0, 0, 0);
    EXPECT_EQ(m_Table->AddUnit(&first), 0);
    EXPECT_EQ(m_Table->AddUnit(&second), 1);
    EXPECT_EQ(m_Table->AddUnit(&first), 0);
    EXPECT_EQ(m_Table->AddBuilding(&keep), 2);
    EXPECT_EQ(m_Table->AddBuilding(&keep), 2);
    EXPECT_EQ(m_Table->GetCount(), 3);
    EXPECT_EQ(m_Log.Count("#DEBUG: Add unit reference twice"), 1);
    EXPECT_EQ(m_Log.Count("#DEBUG: Add building reference twice"), 1);
    EXPECT_EQ(m_Table->GetBuilding(2), &keep);
}

TEST_F(ReferenceBaseTest, NoObjectLookupsAreSilentButNullRegistrationIsReported)
{
    EXPECT_EQ(m_Table->GetUnit(-1), nullptr);
    EXPECT_EQ(m_Table->GetBuilding(-1), nullptr);
    EXPECT_EQ(m_Table->GetUnitRef(nullptr), -1);
    EXPECT_EQ(m_Table->GetBuildingRef(nullptr), -1);
    EXPECT_TRUE(m_Log.Lines().empty());

    EXPECT_EQ(m_Table->AddUnit(nullptr), -1);
    EXPECT_EQ(m_Table->AddBuilding(nullptr), -1);
    EXPECT_EQ(m_Table->GetCount(), 0);
    EXPECT_TRUE(m_Log.Contains("#DEBUG: Add NULL unit reference"));
    EXPECT_TRUE(m_Log.Contains("#DEBUG: Add NULL building reference"));
}

TEST_F(ReferenceBaseTest, IdOfTheOtherKindOrOutsideTheTableGivesNull)
{
    CRefUnit unit(0, 1);
    CRefBuilding house(0, 2, 0, 0, 0);
    m_Table->AddUnit(&unit);
    m_Table->AddBuilding(&house);

    EXPECT_EQ(m_Table->GetUnit(1), nullptr);
    EXPECT_EQ(m_Log.Count("#DEBUG: Invalid unit reference index"), 1);
    EXPECT_EQ(m_Table->GetBuilding(0), nullptr);
    EXPECT_EQ(m_Log.Count("#DEBUG: Invalid building reference index"), 1);

    for (int32_t id : {2, -2, 65536, 2147483647})
    {
        EXPECT_EQ(m_Table->GetUnit(id), nullptr) << id;
        EXPECT_EQ(m_Table->GetBuilding(id), nullptr) << id;
    }
    EXPECT_EQ(m_Table->GetBuilding(1), &house);
}

TEST_F(ReferenceBaseTest, UnregisteredPointerGivesNoObjectAndOtherKindIsReportedButFound)
{
    CRefUnit held(0, 1);
    CRefUnit stranger(0, 1);
    CRefBuilding strangerBuilding(0, 2, 0, 0, 0);
    CRefBuilding tower(0, 6, 0, 0, 0);
    m_Table->AddUnit(&held);
    m_Table->AddBuilding(&tower);
    EXPECT_EQ(m_Table->GetUnitRef(&stranger), -1);
    EXPECT_TRUE(m_Log.Contains("#DEBUG: Unreferenced unit pointer request"));
    EXPECT_EQ(m_Table->GetBuildingRef(&strangerBuilding), -1);
    EXPECT_TRUE(m_Log.Contains("#DEBUG: Unreferenced building pointer request"));
    // A building address asked for as a unit (never followed).
    EXPECT_EQ(m_Table->GetUnitRef(reinterpret_cast<const CUnit*>(&tower)), 1);
    EXPECT_TRUE(m_Log.Contains("#DEBUG: Invalid unit reference"));
}

TEST_F(ReferenceBaseTest, FullTableRefusesTheNextObject)
{
    // Addresses only: the table never follows them.
    std::vector<uint64_t> slots(CReferenceBase::Capacity + 1);
    for (int32_t i = 0; i < CReferenceBase::Capacity; ++i)
        ASSERT_EQ(m_Table->AddUnit(reinterpret_cast<CUnit*>(&slots[size_t(i)])), i);
    m_Log.Clear();

    EXPECT_EQ(m_Table->AddUnit(reinterpret_cast<CUnit*>(&slots.back())), -1);
    EXPECT_EQ(m_Table->AddBuilding(reinterpret_cast<CBuilding*>(&slots.back())), -1);
    EXPECT_EQ(m_Table->GetCount(), CReferenceBase::Capacity);
    EXPECT_EQ(Reports(), 2);
    bool reportedByTheArray = false;
    for (const std::string& line : m_Log.Lines())
        reportedByTheArray |= line.size() > 16 && line.compare(line.size() - 16, 16, "T_OrderedArray.h") == 0;
    EXPECT_TRUE(reportedByTheArray);

    // The last entry and the first are still found.
    EXPECT_EQ(m_Table->GetUnitRef(reinterpret_cast<CUnit*>(&slots[CReferenceBase::Capacity - 1])),
              CReferenceBase::Capacity - 1);
    EXPECT_EQ(m_Table->GetUnitRef(reinterpret_cast<CUnit*>(&slots[0])), 0);
}
