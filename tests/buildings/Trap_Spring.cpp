// Traps underfoot: a living enemy dies on a finished trap, a machine
// destroys it, an unfinished or own trap does nothing; the sprung trap
// plays out and leaves the world once.

#include <gtest/gtest.h>

#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTrap.h"
#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestWalker.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t TrapOwner = 1;

// Walks like the test walker but is no living being.
class CTestMachine : public CTestWalker
{
public:
    CTestMachine() : CTestWalker(0.1f) {}
    bool IsHealable() const override { return false; }
};

class TrapUnderfoot : public ::testing::Test
{
protected:
    void SetUp() override { g_Particles.Reset(); }
    void TearDown() override
    {
        for (CBuilding* trap : traps)
            trap->TakeDown(false);
        g_Particles.Reset();
        g_PtrGarbage.Flush();
        g_LocalPlayer = 0;
    }
    CBuilding* Trap(int32_t owner, int32_t x, int32_t y, bool finished)
    {
        CBuilding* trap = world.Player(owner).CreateBuilding(CastTrap, x, y);
        traps.push_back(trap);
        if (finished)
        {
            trap->buildProgress = CBuilding::FinishedProgress;
            trap->OnFinished();
        }
        return trap;
    }
    // Frames until the unit stands at its goal or dies, checking the world.
    void Walk(CUnit* unit, int32_t x, int32_t y)
    {
        unit->onCommand(nullptr, nullptr, nullptr, x, y, CMD_MOVE_TO);
        for (int32_t frame = 0; frame < 200 && !unit->IsDying() && !(unit->x == x && unit->routeEnd == 0); ++frame)
        {
            world.Frame(1);
            const std::vector<std::string> faults = world.CheckInvariants();
            ASSERT_TRUE(faults.empty()) << faults.front();
        }
    }
    static int32_t CountEffects(int32_t kind, bool stainsOnly)
    {
        int32_t count = 0;
        for (const SEffectParticle& effect : g_Particles.GetEffects())
            count += effect.kind == kind && (effect.stain || !stainsOnly) ? 1 : 0;
        return count;
    }

    CSimHarness world;
    std::vector<CBuilding*> traps;
};
}  // namespace

TEST_F(TrapUnderfoot, AWarriorDiesOnAFinishedEnemyTrapWhichThenPlaysOutAndLeaves)
{
    CBuilding* trap = Trap(TrapOwner, 12, 10, true);
    EXPECT_EQ(g_GameMap.Block(12, 10).blocked, 0);
    CUnit* warrior = world.Adopt(0, new CTestWalker(0.1f), 10, 10);

    Walk(warrior, 14, 10);

    ASSERT_TRUE(warrior->IsDying());
    EXPECT_EQ(warrior->x, 12);
    EXPECT_EQ(warrior->routeEnd, 0);
    EXPECT_EQ(world.Player(TrapOwner).statistics[STAT_UNITS_KILLED], 1);
    EXPECT_EQ(CountEffects(CParticles::KindBlood, false), 100);
    EXPECT_EQ(CountEffects(CParticles::KindBlood, true), 10);
    for (const SEffectParticle& drop : g_Particles.GetEffects())
        if (drop.kind == CParticles::KindBlood)
        {
            // (Random(20) - 10) / 15 blocks around the centre 12.5.
            EXPECT_TRUE(drop.x >= 12.5f - 10.0f / 15.0f - 1e-4f && drop.x <= 12.5f + 9.0f / 15.0f + 1e-4f);
            EXPECT_TRUE(drop.height >= 40.0f && drop.height < 60.0f);
        }
    EXPECT_EQ(CountEffects(25, false), 30);
    EXPECT_EQ(trap->model, CBuildingTrap::SprungModel);
    EXPECT_EQ(g_GameMap.Block(12, 10).blocked, 1);

    // The frame that sprang it played half a frame of ten.
    for (int32_t frame = 2; frame <= 19; ++frame)
        world.Frame(1);
    EXPECT_FALSE(trap->IsTakenDown());
    world.Frame(1);
    EXPECT_TRUE(trap->IsTakenDown());
    EXPECT_EQ(g_GameMap.Block(12, 10).building, nullptr);
    EXPECT_EQ(g_GameMap.Block(12, 10).decorationModel, NoDecoration);
    EXPECT_TRUE(g_Particles.HoldsRuin(trap));
}

TEST_F(TrapUnderfoot, AMachineDestroysTheTrapOnceAndDrivesOn)
{
    CBuilding* trap = Trap(TrapOwner, 12, 10, true);
    CUnit* catapult = world.Adopt(0, new CTestMachine, 10, 10);

    Walk(catapult, 14, 10);

    EXPECT_FALSE(catapult->IsDying());
    EXPECT_EQ(catapult->x, 14);
    EXPECT_TRUE(trap->IsTakenDown());
    EXPECT_EQ(CountEffects(CParticles::KindBlood, false), 0);
    ASSERT_EQ(world.Messages().size(), 1u);
    EXPECT_EQ(world.Messages()[0].colour, 0x00FFFFFFu);
    EXPECT_FALSE(trap->ApplyDamage(catapult, 100, 4, false));
    EXPECT_FALSE(trap->Animate(1.0f));
    EXPECT_EQ(g_Particles.GetRuinCount(), 1);
}

TEST_F(TrapUnderfoot, AnUnfinishedOrOwnTrapDoesNothing)
{
    CBuilding* unfinished = Trap(TrapOwner, 12, 10, false);
    CBuilding* own = Trap(0, 12, 20, true);
    // As if the building site could be walked over.
    g_GameMap.Block(12, 10).blocked = 0;
    CUnit* warrior = world.Adopt(0, new CTestWalker(0.1f), 10, 10);
    CUnit* owner = world.Adopt(0, new CTestWalker(0.1f), 10, 20);

    Walk(warrior, 14, 10);
    Walk(owner, 14, 20);

    EXPECT_EQ(warrior->x, 14);
    EXPECT_EQ(owner->x, 14);
    EXPECT_FALSE(warrior->IsDying() || owner->IsDying());
    EXPECT_EQ(unfinished->model, CBuildingTrap::ArmedModel);
    EXPECT_EQ(own->model, CBuildingTrap::ArmedModel);
}

TEST_F(TrapUnderfoot, TheHostSpringsAndTellsButOnlyTheOwnersMachineLetsTheUnitDie)
{
    g_Config.networkRole = 1;
    CBuilding* first = Trap(TrapOwner, 10, 10, true);
    CBuilding* second = Trap(TrapOwner, 20, 10, true);
    CBuilding* third = Trap(TrapOwner, 30, 10, true);
    CUnit* ours = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    CUnit* theirs = world.Spawn(2, UNIT_WARRIOR, 20, 10);
    CUnit* machine = world.Adopt(2, new CTestMachine, 30, 10);
    g_UnitCommandOutbox.Clear();

    EXPECT_TRUE(ours->CheckTrapUnderfoot());
    EXPECT_TRUE(theirs->CheckTrapUnderfoot());
    EXPECT_FALSE(machine->CheckTrapUnderfoot());

    EXPECT_TRUE(ours->IsDying());
    EXPECT_FALSE(theirs->IsDying());
    EXPECT_EQ(second->model, CBuildingTrap::SprungModel);
    EXPECT_TRUE(third->IsTakenDown());
    const std::vector<CUnitCommandOutbox::SCommand>& sent = g_UnitCommandOutbox.GetSent();
    const auto told = [&](int32_t command, const CBuilding* trap, const CUnit* unit) {
        for (const CUnitCommandOutbox::SCommand& one : sent)
            if (one.command == command && one.building == trap && one.unit == unit)
                return true;
        return false;
    };
    EXPECT_TRUE(told(CUnitCommandOutbox::CommandTrapActivated, first, ours));
    EXPECT_TRUE(told(CUnitCommandOutbox::CommandTrapActivated, second, theirs));
    EXPECT_TRUE(told(CUnitCommandOutbox::CommandTrapDestroyed, third, machine));

    // The unit's own machine springs the trap on it when told; a client
    // leaves the underfoot check to the host.
    g_Config.networkRole = 2;
    g_LocalPlayer = 2;
    theirs->SpringTrap(second);
    EXPECT_TRUE(theirs->IsDying());
    CBuilding* fourth = Trap(TrapOwner, 40, 10, true);
    CUnit* client = world.Spawn(2, UNIT_WARRIOR, 40, 10);
    EXPECT_FALSE(client->CheckTrapUnderfoot());
    EXPECT_EQ(fourth->model, CBuildingTrap::ArmedModel);
}

TEST(Trap, VisibilityAndHitSound)
{
    CSimHarness world;
    CBuildingTrap ours(0);
    CBuildingTrap theirs(1);
    EXPECT_TRUE(ours.IsTrapVisible());
    EXPECT_FALSE(theirs.IsTrapVisible());
    EXPECT_EQ(theirs.GetHeightAt(0.5f, 0.5f), -1.0f);
    CBuildingTrap::revealTraps = true;
    EXPECT_TRUE(theirs.IsTrapVisible());
    CBuildingTrap::revealTraps = false;
    theirs.model = CBuildingTrap::SprungModel;
    EXPECT_TRUE(theirs.IsTrapVisible());

    theirs.OnHit(1);
    EXPECT_TRUE(world.Samples().empty());
    theirs.OnHit(4);
    ASSERT_EQ(world.Samples().size(), 2u);
    EXPECT_TRUE(world.Samples()[0] >= 25 && world.Samples()[0] <= 27);
}
