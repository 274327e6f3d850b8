// The unit factory: every unit type from its number, with the speed and
// first model of its row; everything else refused.

#include <gtest/gtest.h>

#include "buildings/C_Player_Factory.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"

namespace
{
// Type, speed and model base; the tower archer keeps those of a new unit.
const struct SExpectedUnit
{
    int32_t type;
    float speed;
    int32_t modelBase;
} ExpectedUnits[] = {
    {1, 0.1f, 0},    {2, 0.1f, 13},   {3, 0.1f, 18},   {4, 0.055f, 23}, {5, 0.06f, 28},  {6, 0.17f, 34},
    {7, 0.08f, 44},  {9, 0.1f, 46},   {10, 0.08f, 51}, {11, 0.05f, 56}, {12, 0.08f, 58}, {13, 0.12f, 39},
    {20, 0.06f, 96}, {21, 0.18f, 101}, {22, 0.1f, 104}, {30, 0.1f, 87}, {31, 0.1f, 90}, {32, 0.1f, 93},
    {33, 0.07f, 61}, {34, 0.05f, 69}, {35, 0.12f, 82},
};

class UnitFactory : public ::testing::Test
{
protected:
    BuildingWorld m_World;
};
}  // namespace

TEST_F(UnitFactory, EveryListedTypeGetsItsSpeedAndModelBaseOffTheMap)
{
    CPlayer& player = m_World.Player(3);
    for (const SExpectedUnit& expected : ExpectedUnits)
    {
        CUnit* unit = CPlayerFactory::UnitFactory(player, expected.type);
        ASSERT_NE(unit, nullptr) << expected.type;
        EXPECT_EQ(unit->GetCastID(), expected.type);
        EXPECT_EQ(unit->player, 3);
        EXPECT_FLOAT_EQ(unit->speed, expected.speed) << expected.type;
        EXPECT_EQ(unit->model, expected.modelBase) << expected.type;
        EXPECT_EQ(unit->x, -1);
        EXPECT_EQ(unit->y, -1);
        EXPECT_FALSE(player.HasUnit(unit));
        delete unit;
    }
}

TEST_F(UnitFactory, UnlistedNumbersGiveNoneWithOneReportEach)
{
    const int32_t refused[] = {-1, 0, 14, 15, 16, 17, 18, 19, 23, 24, 25, 26, 27, 28, 29, 36, 100, 1 << 30};
    CTestLog log;
    for (int32_t type : refused)
        EXPECT_EQ(CPlayerFactory::UnitFactory(m_World.Player(1), type), nullptr) << type;
    const int count = static_cast<int>(sizeof(refused) / sizeof(refused[0]));
    EXPECT_EQ(log.Count("#DEBUG: Unit factory: Unknown unit type"), count);
    EXPECT_EQ(log.Count("#DEBUG: breakpoint reached"), count);
    const std::vector<std::string> lines = log.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "#DEBUG: Unit factory: Unknown unit type");
    EXPECT_EQ(lines[1], "#DEBUG: breakpoint reached");
    EXPECT_EQ(lines[2].rfind("147 in ", 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find("C_Player_Factory"), std::string::npos) << lines[2];
}

TEST_F(UnitFactory, ProbesBeforeTheFactoryIsReadyStaySilent)
{
    CPlayer& player = m_World.Player(2);
    player.factoryReady = 0;
    CTestLog log;
    for (int32_t type = 0; type < UnitTypeCount; ++type)
        delete CPlayerFactory::UnitFactory(player, type);
    EXPECT_TRUE(log.Lines().empty());
    player.factoryReady = 1;
    EXPECT_EQ(CPlayerFactory::UnitFactory(player, 0), nullptr);
    EXPECT_EQ(log.Count("#DEBUG: Unit factory: Unknown unit type"), 1);
}
