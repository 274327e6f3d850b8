// The fighting types' own parts of the unit record: each layout read back byte for byte, and parts cut
// short or holding values the game never writes refused without changing the unit.

#include <gtest/gtest.h>

#include "effects/C_Particles.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Demon.h"
#include "world/C_ReferenceBase.h"

namespace
{
using Bytes = CRecordBytes;
constexpr int32_t Count = 0x01020304;
constexpr float NotANumber = __builtin_nanf("");

std::string Saved(const CUnit& unit)
{
    CMemorySaveStream stream;
    unit.SaveGameExtra(stream, CReferenceBase());
    return stream.Bytes();
}

bool Load(CUnit& unit, const std::string& bytes)
{
    CMemorySaveStream stream(bytes);
    return unit.LoadGameExtra(stream, CReferenceBase()) && !stream.HasError();
}
}  // namespace

TEST(FighterSavedParts, EachLayoutReadsBackByteForByteBadPartsChangeNothingAndADemonsAuraNamesItsParticle)
{
    CSimHarness world;
    CTestLog log;
    const struct
    {
        int32_t type;
        std::string bytes;
        bool accepted;
    } cases[] = {
        // Hit count, then the blow and death-sound flags the type keeps.
        {UNIT_WARRIOR, Bytes().I32(Count).Bytes(), true},
        {UNIT_WARRIOR, Bytes().I32(-1).Bytes(), false},
        {UNIT_KNIGHT, Bytes().I32(Count).U8(1).U8(0).U8(1).Bytes(), true},
        {UNIT_KNIGHT, Bytes().I32(Count).U8(1).U8(0).Bytes(), false},
        {UNIT_KNIGHT, Bytes().I32(Count).U8(2).U8(0).U8(0).Bytes(), false},
        {UNIT_LIGHTCAVALRY, Bytes().I32(Count).U8(1).Bytes(), true},
        {UNIT_GIANT, Bytes().I32(Count).U8(1).U8(0).U8(1).Bytes(), true},
        {UNIT_UNDEAD, Bytes().I32(Count).U8(1).Bytes(), true},
        {UNIT_UNDEAD, Bytes().I32(Count).Bytes(), false},
        // Hit count, then the rider's and the horse's cry flags.
        {UNIT_HEAVYCAVALRY, Bytes().I32(2).U8(1).U8(1).Bytes(), true},
        {UNIT_HEAVYCAVALRY, Bytes().I32(2).U8(1).U8(3).Bytes(), false},
        // Shot released.
        {UNIT_ARCHER, Bytes().U8(0).Bytes(), true},
        {UNIT_ARCHER, "", false},
        {UNIT_CROSSBOWMAN, Bytes().U8(0xFF).Bytes(), false},
        // Thrown, then the release point x, height, y.
        {UNIT_CATAPULT, Bytes().U8(1).F32(0.25f).F32(41.0f).F32(-0.125f).Bytes(), true},
        {UNIT_CATAPULT, Bytes().U8(1).F32(0.25f).F32(41.0f).Bytes(), false},
        {UNIT_CATAPULT, Bytes().U8(2).F32(0.25f).F32(41.0f).F32(-0.125f).Bytes(), false},
        {UNIT_CATAPULT, Bytes().U8(1).F32(0.25f).F32(NotANumber).F32(-0.125f).Bytes(), false},
        // Cast released, heal progress, sparkle timer.
        {UNIT_PRIEST, Bytes().U8(1).F32(0.5f).F32(0.25f).Bytes(), true},
        {UNIT_PRIEST, Bytes().U8(1).F32(0.5f).Bytes(), false},
        {UNIT_PRIEST, Bytes().U8(1).F32(NotANumber).F32(0.25f).Bytes(), false},
        {UNIT_PRIEST, Bytes().U8(1).F32(2.0f).F32(0.25f).Bytes(), false},
        // Fired, aura handle, cast block.
        {UNIT_DEMON, Bytes().U8(1).I32(5).I32(12).I32(40).Bytes(), true},
        {UNIT_DEMON, Bytes().U8(2).I32(5).I32(12).I32(40).Bytes(), false},
        {UNIT_DEMON, Bytes().U8(1).I32(-2).I32(12).I32(40).Bytes(), false},
        {UNIT_DEMON, Bytes().U8(1).I32(5).I32(12).I32(256).Bytes(), false},
        // Shot released, bubble ticks, bubble.
        {UNIT_QUIB, Bytes().U8(1).I32(150).I32(6).Bytes(), true},
        {UNIT_QUIB, Bytes().U8(1).I32(150).I32(7).Bytes(), false},
        {UNIT_QUIB, Bytes().U8(1).I32(201).I32(0).Bytes(), false},
        {UNIT_QUIB, Bytes().U8(2).I32(0).I32(0).Bytes(), false},
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << "type " << entry.type << ", case " << (&entry - cases));
        std::unique_ptr<CUnit> unit(world.Player(1).UnitFactory(entry.type));
        ASSERT_NE(unit, nullptr);
        const std::string fresh = Saved(*unit);
        EXPECT_EQ(Load(*unit, entry.bytes), entry.accepted);
        EXPECT_EQ(Saved(*unit), entry.accepted ? entry.bytes : fresh);
        if (entry.type == UNIT_DEMON)
            static_cast<CUnitDemon&>(*unit).aura = -1;   // no emitter of this world
    }
    for (const char* line : {"the hit count is negative", "a flag is neither 0 nor 1",
                             "the release point is no finite number", "a priest's heal or sparkle timer is out of range"})
        EXPECT_TRUE(log.Contains(std::string("Unit record refused: ") + line)) << line;
    std::unique_ptr<CUnitDemon> demon(static_cast<CUnitDemon*>(world.Player(1).UnitFactory(UNIT_DEMON)));
    const int32_t flame = g_Particles.AddKind35(1.0f, 2.0f, 3.0f);
    demon->aura = flame;
    demon->onHidden();
    EXPECT_NE(g_Particles.FindEmitter(flame), nullptr);
    g_Particles.Reset();
}
