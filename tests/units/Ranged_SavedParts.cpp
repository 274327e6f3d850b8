// The archer's and the crossbowman's own part of the unit record: the
// shot-released flag as one byte, read back byte for byte, bad bytes refused.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/MemorySaveStream.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitRangedType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

TEST(RangedSavedParts, TheFlagIsOneByteReadBackByteForByteAndABadByteChangesNothing)
{
    CSimHarness world;
    CReferenceBase table;
    CTestLog log;
    const struct
    {
        std::string bytes;
        bool accepted;
    } cases[] = {{std::string(1, '\0'), true}, {"\x01", true}, {"", false}, {"\x02", false}, {"\xff", false}};
    for (const int32_t type : {UNIT_ARCHER, UNIT_CROSSBOWMAN})
        for (const auto& entry : cases)
        {
            SCOPED_TRACE(testing::Message() << type << " bytes " << entry.bytes.size());
            std::unique_ptr<CUnitRangedType> unit(static_cast<CUnitRangedType*>(world.Player(1).UnitFactory(type)));
            ASSERT_NE(unit, nullptr);
            unit->shotReleased = 2;   // neither value: shows whether the load wrote it
            CMemorySaveStream in(entry.bytes);
            EXPECT_EQ(unit->LoadGameExtra(in, table) && !in.HasError(), entry.accepted);
            if (!entry.accepted)
            {
                EXPECT_EQ(unit->shotReleased, 2);
                continue;
            }
            CMemorySaveStream out;
            unit->SaveGameExtra(out, table);
            EXPECT_EQ(out.Bytes(), entry.bytes);
        }
    EXPECT_TRUE(log.Contains("Unit record refused: a flag is neither 0 nor 1"));
}
