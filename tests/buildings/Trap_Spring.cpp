#include <cmath>

#include "buildings/C_BuildingTrap.h"
#include "media/C_ModelRecord.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/OffsetRange.h"
#include "tests/support/TestWalker.h"
#include "units/C_UnitActionBuffer.h"

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
    // The sprung model's own frames, played at half a frame a tick.
    static constexpr int32_t SprungFrames = 12;
    void SetUp() override { GetGlobalModel(CBuildingTrap::SprungModel)->object.frameCount = SprungFrames; }
    void TearDown() override { g_LocalPlayer = 0; }
    CBuilding* Trap(int32_t owner, int32_t x, int32_t y) { return world.PlaceFinished(owner, CastTrap, x, y); }
    // Frames until the unit stands at its goal or dies, checking the world.
    void Walk(CUnit* unit, int32_t x, int32_t y)
    {
        unit->onCommand(nullptr, nullptr, nullptr, x, y, CMD_MOVE_TO);
        for (int32_t frame = 0; frame < 200 && !unit->IsDying() && !(unit->x == x && unit->routeEnd == 0); ++frame)
        {
            world.Frame(1);
            ASSERT_EQ(world.CheckInvariants(), Faults{});
        }
    }
    static int32_t CountEffects(int32_t kind, bool stainsOnly)
    {
        return int32_t(std::ranges::count_if(g_Particles.GetEffects(), [=](const SEffectParticle& effect) {
            return effect.kind == kind && (effect.stain || !stainsOnly);
        }));
    }

    CBuildingWorld world;
    SGlobalModels m_Models;
};
}  // namespace

TEST_F(TrapUnderfoot, AWarriorDiesOnAFinishedEnemyTrapWhichThenPlaysOutAndLeaves)
{
    CBuilding* trap = Trap(TrapOwner, 12, 10);
    EXPECT_EQ(g_GameMap.Block(12, 10).blocked, 0);
    CUnit* warrior = world.Adopt(0, new CTestWalker(0.1f), 10, 10);
    Walk(warrior, 14, 10);
    ASSERT_TRUE(warrior->IsDying());
    const int32_t killed = world.Player(TrapOwner).statistics[STAT_UNITS_KILLED];
    EXPECT_EQ(Ints({warrior->x, warrior->routeEnd, killed, CountEffects(CParticles::KindBlood, false),
                    CountEffects(CParticles::KindBlood, true), CountEffects(25, false)}),
              Ints({12, 0, 1, 100, 10, 30}));
    // (Random(20) - 10) / 15 blocks around the centre (12.5, 10.5), 40 to 59 high: the hundred drops reach both ends.
    SOffsetRange drops;
    for (const SEffectParticle& drop : g_Particles.GetEffects())
        if (drop.kind == CParticles::KindBlood) drops.Add(drop.x - 12.5f, drop.y - 10.5f, drop.height);
    for (int32_t i = 0; i < 2; ++i)
        EXPECT_TRUE(std::abs(drops.low[i] + 10 / 15.0f) < 1e-4f && std::abs(drops.high[i] - 9 / 15.0f) < 1e-4f) << i;
    EXPECT_TRUE(drops.low[2] == 40.0f && drops.high[2] == 59.0f);
    EXPECT_TRUE(trap->model == CBuildingTrap::SprungModel && g_GameMap.Block(12, 10).blocked == 1);
    // Its 30 pieces fly (Random(40) - 20) x 0.04 blocks from the corner, 5 to 14 above the ground.
    for (const SEffectParticle& piece : g_Particles.GetEffects())
        EXPECT_TRUE(piece.kind != 25 || (piece.x >= 11.2f - 1e-4f && piece.x <= 12.76f + 1e-4f &&
                                         piece.y >= 9.2f - 1e-4f && piece.y <= 10.76f + 1e-4f &&
                                         piece.height >= 5.0f && piece.height < 15.0f))
            << piece.x << "," << piece.y << " " << piece.height;
    // The frame that sprang it played the first half frame.
    for (int32_t frame = 2; frame < 2 * SprungFrames; ++frame) world.Frame(1);
    EXPECT_FALSE(trap->IsTakenDown());
    world.Frame(1);
    EXPECT_TRUE(trap->IsTakenDown() && g_Particles.HoldsRuin(trap) && g_GameMap.Block(12, 10).building == nullptr &&
                g_GameMap.Block(12, 10).decorationModel == NoDecoration);
}

TEST_F(TrapUnderfoot, AMachineDestroysTheTrapOnceAndAnUnfinishedOrOwnTrapDoesNothing)
{
    CBuilding *trap = Trap(TrapOwner, 12, 10), *unfinished = world.Place(TrapOwner, CastTrap, 12, 20);
    CBuilding* own = Trap(0, 12, 30);
    g_GameMap.Block(12, 20).blocked = 0;   // as if the building site could be walked over
    CUnit* catapult = world.Adopt(0, new CTestMachine, 10, 10);
    CUnit* warrior = world.Adopt(0, new CTestWalker(0.1f), 10, 20);
    CUnit* owner = world.Adopt(0, new CTestWalker(0.1f), 10, 30);
    Walk(catapult, 14, 10), Walk(warrior, 14, 20), Walk(owner, 14, 30);
    for (const CUnit* unit : {catapult, warrior, owner}) EXPECT_TRUE(unit->x == 14 && !unit->IsDying());
    EXPECT_TRUE(trap->IsTakenDown() && !trap->ApplyDamage(catapult, 100, DAMAGE_STONE, false) && !trap->Animate(1.0f));
    ASSERT_EQ(world.Messages().size(), 1u);
    EXPECT_EQ(std::vector<int64_t>({CountEffects(CParticles::KindBlood, false), world.Messages()[0].colour,
                                    g_Particles.GetRuinCount(), unfinished->model, own->model}),
              std::vector<int64_t>({0, 0x00FFFFFF, 1, CBuildingTrap::ArmedModel, CBuildingTrap::ArmedModel}));
}

TEST_F(TrapUnderfoot, TheHostSpringsAndTellsButOnlyTheOwnersMachineLetsTheUnitDie)
{
    g_Config.networkRole = 1;
    CBuilding *first = Trap(TrapOwner, 10, 10), *second = Trap(TrapOwner, 20, 10), *third = Trap(TrapOwner, 30, 10);
    CUnit *ours = world.Spawn(0, UNIT_WARRIOR, 10, 10), *theirs = world.Spawn(2, UNIT_WARRIOR, 20, 10);
    CUnit* machine = world.Adopt(2, new CTestMachine, 30, 10);
    g_MultiplayerGame.ClearSent();
    EXPECT_TRUE(ours->CheckTrapUnderfoot() && theirs->CheckTrapUnderfoot() && !machine->CheckTrapUnderfoot() &&
                ours->IsDying() && !ours->CheckTrapUnderfoot() && !theirs->IsDying() &&
                second->model == CBuildingTrap::SprungModel && third->IsTakenDown());
    const auto told = [&](int32_t command, const CBuilding* trap, const CUnit* unit) {
        for (const CMultiplayer::SSentPacket& one : g_MultiplayerGame.GetSent())
            if (one.packet.Command() == command && one.packet.Value(0) == Ref(trap) && one.packet.Value(1) == Ref(unit))
                return true;
        return false;
    };
    EXPECT_TRUE(told(CMultiplayerGame::CommandTrapActivated, first, ours) &&
                told(CMultiplayerGame::CommandTrapActivated, second, theirs) &&
                told(CMultiplayerGame::CommandTrapDestroyed, third, machine));

    // Sprung, every machine plays it out and destroys it without telling.
    g_MultiplayerGame.ClearSent();
    for (int32_t tick = 1; tick < 2 * SprungFrames; ++tick) EXPECT_TRUE(first->Animate(1.0f));
    EXPECT_FALSE(first->Animate(1.0f));
    first->Destroy(true);
    EXPECT_TRUE(g_MultiplayerGame.GetSent().empty());

    // The unit's own machine springs the trap on it when told; a client leaves the underfoot check to the host.
    g_Config.networkRole = 2, g_LocalPlayer = 2, theirs->SpringTrap(second);
    CBuilding* fourth = Trap(TrapOwner, 40, 10);
    EXPECT_TRUE(theirs->IsDying() && !world.Spawn(2, UNIT_WARRIOR, 40, 10)->CheckTrapUnderfoot() &&
                fourth->model == CBuildingTrap::ArmedModel);
}

TEST_F(TrapUnderfoot, StrokesFinishItSilentlyAndOnlyItsOwnerOrARevealSeesIt)
{
    CBuilding* trap = world.Place(0, CastTrap, 12, 10);
    while (trap->Construct(1.0f, false)) EXPECT_TRUE(world.Messages().empty());
    EXPECT_TRUE(world.Messages().size() == 1u && world.Messages()[0].text == "BD_MSG_TRAP" &&
                g_GameMap.Block(12, 10).blocked == 0);

    CBuildingTrap ours(0), theirs(1);
    EXPECT_TRUE(ours.IsTrapVisible() && !theirs.IsTrapVisible() && theirs.GetHeightAt(0.5f, 0.5f) == -1.0f);
    CBuildingTrap::revealTraps = true;
    EXPECT_TRUE(theirs.IsTrapVisible());
    CBuildingTrap::revealTraps = false, theirs.model = CBuildingTrap::SprungModel;
    EXPECT_TRUE(theirs.IsTrapVisible());
    // Only a crushing blow makes it sound.
    const size_t before = world.Samples().size();
    theirs.OnHit(DAMAGE_BLADE);
    EXPECT_EQ(world.Samples().size(), before);
    theirs.OnHit(DAMAGE_STONE);
    EXPECT_TRUE(world.Samples().size() == before + 2 && world.Samples()[before] >= 25 && world.Samples()[before] <= 27);
}
