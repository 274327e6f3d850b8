// The priest's own part of the unit record: the cast-released byte, then the
// heal progress and the sparkle timer as 4-byte floats, read back byte for
// byte; a part cut short or holding a value the game never writes is
// refused and changes nothing.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/MemorySaveStream.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Priest.h"
#include "world/C_ReferenceBase.h"

TEST(PriestSavedPart, NineBytesReadBackByteForByteAndBadOnesRefused)
{
    CSimHarness world;
    CReferenceBase table;
    CTestLog log;
    // 0.5 is 0x3F000000 and 0.25 0x3E800000, little-endian.
    const std::string half("\x00\x00\x00\x3f", 4);
    const std::string quarter("\x00\x00\x80\x3e", 4);
    const struct
    {
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"\x01" + half + quarter, true},
        {std::string(1, '\0') + quarter + half, true},
        {"\x01" + half + quarter.substr(0, 3), false},
        {"\x02" + half + quarter, false},
        {"\x01" + std::string("\x00\x00\xc0\x7f", 4) + quarter, false},   // not a number
        {"\x01" + std::string("\x00\x00\x00\x40", 4) + quarter, false},   // 2.0
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << "case " << (&entry - cases));
        std::unique_ptr<CUnitPriest> priest(static_cast<CUnitPriest*>(world.Player(1).UnitFactory(UNIT_PRIEST)));
        ASSERT_NE(priest, nullptr);
        priest->healProgress = 0.75f;   // neither value: shows whether the load wrote it
        CMemorySaveStream in(entry.bytes);
        EXPECT_EQ(priest->LoadGameExtra(in, table) && !in.HasError(), entry.accepted);
        if (!entry.accepted)
        {
            EXPECT_EQ(priest->healProgress, 0.75f);
            continue;
        }
        CMemorySaveStream out;
        priest->SaveGameExtra(out, table);
        EXPECT_EQ(out.Bytes(), entry.bytes);
    }
    EXPECT_TRUE(log.Contains("Unit record refused: a priest's heal or sparkle timer is out of range"));
}
