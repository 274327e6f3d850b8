// The melee types' own parts of the unit record: their byte layout, the
// round trip, and the parts refused.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/MemorySaveStream.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitMeleeType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

namespace
{
struct SPartCase
{
    int32_t type;
    // Hit count 0x01020304, then blow flags 1 and 0, death-sound flag 1,
    // as the type keeps them.
    std::string bytes;
};

const SPartCase PartCases[] = {
    {UNIT_WARRIOR, std::string("\x04\x03\x02\x01", 4)},
    {UNIT_KNIGHT, std::string("\x04\x03\x02\x01\x01\x00\x01", 7)},
    {UNIT_LIGHTCAVALRY, std::string("\x04\x03\x02\x01\x01", 5)},
};

class MeleeSavedParts : public ::testing::Test
{
protected:
    std::unique_ptr<CUnitMeleeType> Make(int32_t type)
    {
        return std::unique_ptr<CUnitMeleeType>(static_cast<CUnitMeleeType*>(m_World.Player(1).UnitFactory(type)));
    }
    std::string Save(const CUnit& unit)
    {
        CMemorySaveStream stream;
        unit.SaveGameExtra(stream, m_Table);
        return stream.Bytes();
    }
    bool Load(CUnit& unit, const std::string& bytes)
    {
        CMemorySaveStream stream(bytes);
        return unit.LoadGameExtra(stream, m_Table) && !stream.HasError();
    }

    CSimHarness m_World;
    CReferenceBase m_Table;
};
}  // namespace

TEST_F(MeleeSavedParts, EachTypeWritesItsFieldsInOrderAndReadsThemBackByteForByte)
{
    for (const SPartCase& row : PartCases)
    {
        SCOPED_TRACE(row.type);
        auto unit = Make(row.type);
        ASSERT_NE(unit, nullptr);
        unit->hitCount = 0x01020304;
        unit->blowDealt[0] = 1;
        unit->blowDealt[1] = 0;
        unit->deathSoundPlayed = 1;
        const std::string bytes = Save(*unit);
        EXPECT_EQ(bytes, row.bytes);
        auto loaded = Make(row.type);
        ASSERT_TRUE(Load(*loaded, bytes));
        EXPECT_EQ(loaded->hitCount, 0x01020304);
        EXPECT_EQ(Save(*loaded), bytes);
    }
}

TEST_F(MeleeSavedParts, ShortPartsBadFlagsAndNegativeCountsAreRefusedAndChangeNothing)
{
    const std::string knight = PartCases[1].bytes;
    struct SBad
    {
        std::string bytes;
        const char* line;
    };
    const SBad bad[] = {
        {knight.substr(0, 6), nullptr},
        {knight.substr(0, 4) + std::string("\x02\x00\x00", 3), nullptr},
        {std::string("\xFF\xFF\xFF\xFF\x00\x00\x00", 7), "Unit record refused: the hit count is negative"},
    };
    for (const SBad& part : bad)
    {
        CTestLog log;
        auto unit = Make(UNIT_KNIGHT);
        unit->hitCount = 5;
        EXPECT_FALSE(Load(*unit, part.bytes));
        EXPECT_EQ(unit->hitCount, 5);
        EXPECT_EQ(unit->blowDealt[0], 0);
        if (part.line != nullptr)
        {
            EXPECT_TRUE(log.Contains(part.line));
        }
    }
}
