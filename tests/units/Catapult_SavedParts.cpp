// The catapult's own part of the unit record: the thrown flag and the
// release point, 13 bytes, read back byte for byte; bad bytes refused.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/MemorySaveStream.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Catapult.h"
#include "world/C_ReferenceBase.h"

TEST(CatapultSavedParts, FlagAndReleasePointRoundTripAndBadBytesChangeNothing)
{
    CSimHarness world;
    CReferenceBase table;
    CTestLog log;
    // Flag, then x, height, y as little-endian floats: 0.25, 41.0, -0.125.
    const std::string sound("\x01\x00\x00\x80\x3e\x00\x00\x24\x42\x00\x00\x00\xbe", 13);
    std::string notANumber = sound;
    notANumber.replace(5, 4, std::string("\x00\x00\xc0\x7f", 4));
    std::string badFlag = sound;
    badFlag[0] = '\x02';
    const struct
    {
        std::string bytes;
        bool accepted;
    } cases[] = {{sound, true}, {std::string(13, '\0'), true}, {sound.substr(0, 12), false}, {badFlag, false},
                 {notANumber, false}};
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << "bytes " << entry.bytes.size());
        std::unique_ptr<CUnitCatapult> catapult(
            static_cast<CUnitCatapult*>(world.Player(1).UnitFactory(UNIT_CATAPULT)));
        ASSERT_NE(catapult, nullptr);
        catapult->releaseX = 7.0f;   // no value of the cases: shows whether the load wrote it
        CMemorySaveStream in(entry.bytes);
        EXPECT_EQ(catapult->LoadGameExtra(in, table) && !in.HasError(), entry.accepted);
        if (!entry.accepted)
        {
            EXPECT_EQ(catapult->releaseX, 7.0f);
            continue;
        }
        CMemorySaveStream out;
        catapult->SaveGameExtra(out, table);
        EXPECT_EQ(out.Bytes(), entry.bytes);
    }
    EXPECT_TRUE(log.Contains("Unit record refused: the release point is no finite number"));
    EXPECT_TRUE(log.Contains("Unit record refused: a flag is neither 0 nor 1"));
}
