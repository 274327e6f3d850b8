// The fixed traits of the 22 unit types, asked through a unit of each type
// made by its player.

#include <gtest/gtest.h>

#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_UnitStats.h"

namespace
{
struct SExpectedTraits
{
    int32_t cast;
    const char* fixedName;   // null: a locale text
    int32_t objectTypeId;
    bool attacks, ranged, ship;
    int32_t layer, size;
    bool machine, healable;
    int32_t hitEffect;
    bool starves;
    int32_t points;
    int32_t minRange;
};

// cast, fixed name, id, atk, rng, ship, layer, size, mach, heal, fx, starve, pts, min range
const SExpectedTraits Expected[] = {
    {1, nullptr, 27, false, false, false, 1, 1, false, true, 1, false, 2, 0},
    {2, nullptr, 28, true, false, false, 1, 1, false, true, 1, true, 5, 0},
    {3, nullptr, 29, true, true, false, 1, 1, false, true, 1, true, 5, 0},
    {4, nullptr, 31, true, true, false, 1, 2, true, false, 2, false, 10, 4},
    {5, nullptr, 32, false, false, false, 1, 1, false, true, 1, true, 2, 0},
    {6, nullptr, 33, true, false, false, 1, 2, false, true, 1, true, 15, 0},
    {7, nullptr, 34, false, false, true, 2, 3, true, false, 2, false, 10, 0},
    {8, "Default", 0, true, false, false, 1, 2, false, false, 0, false, 3, 3},
    {9, nullptr, 35, true, true, false, 1, 1, false, true, 1, true, 8, 0},
    {10, nullptr, 36, true, false, false, 1, 1, false, true, 0, true, 10, 0},
    {11, nullptr, 37, true, true, true, 2, 5, true, false, 2, false, 30, 6},
    {12, nullptr, 38, false, false, false, 1, 1, false, true, 1, true, 10, 0},
    {13, nullptr, 39, true, false, false, 1, 2, false, true, 1, true, 20, 0},
    {20, nullptr, 49, true, false, false, 1, 2, false, true, 1, true, 20, 0},
    {21, nullptr, 50, true, true, false, 1, 1, false, true, 1, false, 20, 3},
    {22, nullptr, 51, true, false, false, 1, 1, false, false, 0, false, 20, 0},
    {30, "QuiB", 40, true, true, false, 1, 1, false, false, 0, false, 1000, 0},
    {31, "Warhound", 41, true, true, false, 1, 1, false, false, 0, false, 1000, 0},
    {32, "Gunslinger", 42, true, true, false, 1, 1, false, false, 0, false, 1000, 0},
    {33, nullptr, 43, false, false, false, 1, 1, false, true, 1, false, 100, 0},
    {34, nullptr, 45, false, false, false, 1, 2, true, false, 2, false, 1, 0},
    {35, nullptr, 48, true, false, false, 1, 2, false, true, 1, false, 100, 0},
};

}  // namespace

TEST(UnitTypeTraits, EveryTypeAnswersItsTraits)
{
    CSimHarness world;
    for (const SExpectedTraits& e : Expected)
    {
        SCOPED_TRACE("unit type " + std::to_string(e.cast));
        CUnit* unit = world.Spawn(0, e.cast, -1, -1);
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->GetCastID(), e.cast);
        if (e.fixedName != nullptr)
        {
            EXPECT_STREQ(unit->GetCastName(), e.fixedName);
        }
        EXPECT_EQ(unit->GetObjectTypeId(), e.objectTypeId);
        EXPECT_EQ(unit->CanAttackUnits(), e.attacks);
        EXPECT_EQ(unit->IsRanged(), e.ranged);
        EXPECT_EQ(unit->IsShip(), e.ship);
        EXPECT_EQ(unit->GetMoveLayer(), e.layer);
        EXPECT_EQ(unit->GetSize(), e.size);
        EXPECT_EQ(unit->IsMachine(), e.machine);
        EXPECT_EQ(unit->IsHealable(), e.healable);
        EXPECT_EQ(unit->GetHitEffectKind(), e.hitEffect);
        EXPECT_EQ(unit->CanStarve(), e.starves);
        EXPECT_EQ(unit->GetPointValue(), e.points);
        EXPECT_EQ(unit->GetMinAttackRange(), e.minRange);
        EXPECT_TRUE(unit->CanBeCaptured());
        EXPECT_FALSE(unit->AcceptGarrison(nullptr));
        EXPECT_FALSE(unit->EnterBuilding(nullptr));
    }
    EXPECT_TRUE(world.CheckInvariants().empty());
}

TEST(UnitTypeTable, EachRowReadsTheRecordOfItsOwnType)
{
    CSimHarness world;
    for (int32_t i = 0; i < CUnitTypeTable::TypeCount; ++i)
    {
        const SUnitTypeRow& row = CUnitTypeTable::Row(i);
        EXPECT_EQ(CUnitTypeTable::Find(row.cast), &row);
        // The tower archer shoots with the archer's record; its own record
        // (3) only serves its training in the tower.
        const int32_t expectedType = row.cast == UNIT_TOWERARCHER ? UNIT_ARCHER : row.cast;
        EXPECT_EQ(g_UnitStats[row.record].unitType, expectedType) << row.cast;
    }
    EXPECT_EQ(CUnitTypeTable::Find(0), nullptr);
    EXPECT_EQ(CUnitTypeTable::Find(36), nullptr);
}
