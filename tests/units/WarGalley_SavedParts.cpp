// The war galley's own part of the unit record: cycle ticks, wave ticks and
// the two shot flags, 10 bytes, read back byte for byte; bad bytes refused.

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>

#include "tests/support/MemorySaveStream.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_WarGalley.h"
#include "world/C_ReferenceBase.h"

TEST(WarGalleySavedParts, CountsAndFlagsRoundTripAndBadBytesChangeNothing)
{
    CSimHarness world;
    CReferenceBase table;
    CTestLog log;
    // Cycle ticks 119, wave ticks 128, first shot fired.
    const std::string sound("\x77\x00\x00\x00\x80\x00\x00\x00\x01\x00", 10);
    const std::string zeros(10, '\0');
    const struct
    {
        std::string bytes;
        bool accepted;
        std::string savedBack;   // empty: the bytes read
    } cases[] = {
        {sound, true, ""},
        {zeros, true, ""},
        // A wave count run up off the map comes back as the longest wait.
        {std::string("\x77\x00\x00\x00\x00\x10\x00\x00\x01\x00", 10), true, sound},
        {std::string("\x78\x00\x00\x00\x00\x00\x00\x00\x00\x00", 10), false, ""},   // a whole cycle
        {std::string("\x00\x00\x00\x00\xff\xff\xff\xff\x00\x00", 10), false, ""},   // negative waves
        {std::string("\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02", 10), false, ""},   // a flag of 2
        {sound.substr(0, 9), false, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const auto& entry = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i);
        std::unique_ptr<CUnitWarGalley> galley(
            static_cast<CUnitWarGalley*>(world.Player(1).UnitFactory(UNIT_WARGALLEY)));
        ASSERT_NE(galley, nullptr);
        galley->cycleTicks = 55;   // no value of the cases: shows whether the load wrote it
        CMemorySaveStream in(entry.bytes);
        EXPECT_EQ(galley->LoadGameExtra(in, table) && !in.HasError(), entry.accepted);
        if (!entry.accepted)
        {
            EXPECT_EQ(galley->cycleTicks, 55);
            continue;
        }
        CMemorySaveStream out;
        galley->SaveGameExtra(out, table);
        EXPECT_EQ(out.Bytes(), entry.savedBack.empty() ? entry.bytes : entry.savedBack);
    }
    EXPECT_TRUE(log.Contains("Unit record refused: the attack cycle's ticks are out of range"));
    EXPECT_TRUE(log.Contains("Unit record refused: the wave count is negative"));
}
