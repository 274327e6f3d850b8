#include <algorithm>
#include <tuple>

#include "core/C_PtrGarbage.h"
#include "game/C_Selection.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/OffsetRange.h"

namespace
{
// A barracks: 1200 hit points, factors 0.4, 0.2 and 1.0, repair rate 0.8, worth 100 points; fires at
// 60, 50, 50, 45, 40, 30 x 4 and 20 percent of sizes 30 x 4, 40, 30, 35, 35, 30 and 40 on its 30 blocks.
class BuildingDamage : public ::testing::Test
{
protected:
    CBuilding* Barracks(bool finished = true, int32_t x = 10)
    {
        CBuilding* barracks = world.Place(0, CastBarracks, x, 10);
        if (finished) barracks->Construct(0.0f, true);
        return barracks;
    }

    CBuildingWorld world;
};
}  // namespace

// Hit points are whole before the loss: two hits of 8 x 0.4 leave 1196.8 and then 1196 - 3.2 = 1192.8;
// a negative amount heals nothing.  Fires start only below their thresholds and stop only above them;
// repair adds 0.8 x 0.5 per unit of work and ends at exactly 100.
TEST_F(BuildingDamage, EachDamageTypeUsesItsFactorOnWholeHitPointsAndFiresBurnBelowTheirThresholds)
{
    CBuilding* barracks = Barracks();
    const int32_t lost[] = {0, 40, 20, 20, 100, 0, 40, 20, 100, 100, 0};   // of 100, by damage type 0 to 10
    for (int32_t type = 0; type <= 10; ++type)
    {
        barracks->health = 100.0f;
        EXPECT_EQ(barracks->ApplyDamage(nullptr, 100, static_cast<TENUMDAMAGETYPE>(type), false), lost[type] != 0) << type;
        EXPECT_EQ(barracks->GetHitPoints(), 1200 - lost[type]) << type;
    }
    barracks->health = 100.0f, barracks->ApplyDamage(nullptr, 8, DAMAGE_BLADE, false);
    barracks->ApplyDamage(nullptr, 8, DAMAGE_BLADE, false);
    EXPECT_NEAR(barracks->health, 1192.8f / 1200.0f * 100.0f, 1e-4f);
    barracks->ApplyDamage(nullptr, -500, DAMAGE_STONE, false);
    EXPECT_LE(barracks->health, 1192.8f / 1200.0f * 100.0f);

    for (const auto& [health, fires, level] :
         {std::tuple{60.0f, 0, 0}, {59.99f, 1, 1}, {50.0f, 1, 1}, {49.99f, 3, 3}, {45.0f, 3, 3}, {44.99f, 4, 4},
          {20.0f, 9, 9}, {19.99f, 10, 11}, {20.0f, 10, 11}, {20.01f, 9, 9}, {30.0f, 9, 9}, {30.01f, 5, 5},
          {60.0f, 1, 1}, {60.01f, 0, 0}, {59.8f, 1, 1}})
    {
        barracks->health = health;
        EXPECT_EQ(barracks->UpdateFireEmitters(), level) << health;
        EXPECT_TRUE(g_Particles.GetBurningFireCount() == fires && barracks->fireAmount == level) << health;
    }
    EXPECT_TRUE(barracks->Repair(1.0f) && g_Particles.GetBurningFireCount() == 0);
    EXPECT_FLOAT_EQ(barracks->health, 60.2f);
    barracks->health = 99.9f;
    EXPECT_TRUE(!barracks->Repair(1000.0f) && barracks->health == 100.0f && !barracks->Repair(1.0f));

    // Damage taken under construction lights its fires only at completion.
    CBuilding* site = Barracks(false, 30);
    site->health = 41.0f;
    EXPECT_TRUE(site->UpdateFireEmitters() == 0 && g_Particles.GetBurningFireCount() == 0);
    site->Construct(0.0f, true);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 4);
    // A fire handle that no longer names a building fire is reported.
    ASSERT_TRUE(g_Particles.FreeParticle(site->firePositions[1].particle));
    CTestLog log;
    site->RemoveFirePit();
    EXPECT_TRUE(log.Count("#DEBUG: Invalid firepit particle deleted") == 1 && g_Particles.GetBurningFireCount() == 0);

}

TEST_F(BuildingDamage, ABuildingHitUntilItFallsLeavesARuinAndNoReference)
{
    CBuilding* barracks = Barracks();
    CUnit* warrior = world.Player(1).CreateUnit(UNIT_WARRIOR, 20, 20);
    warrior->targetBuilding = warrior->actionTargetBuilding = barracks, g_Selection.SelectBuilding(barracks);
    const int32_t score = world.Player(1).score;
    // 1200 hit points at 100 a hit: twelve hits, the last exactly 0.
    int32_t hits = 0;
    bool burned = false;
    while (!barracks->IsTakenDown() && hits < 20)
    {
        EXPECT_TRUE(barracks->OnAttacked(warrior, 100, DAMAGE_STONE, true));
        ++hits, burned = burned || g_Particles.GetBurningFireCount() > 0, world.Frame(1);
    }
    EXPECT_TRUE(hits == 12 && burned);
    EXPECT_EQ(Ints({g_Particles.GetBurningFireCount(), g_Particles.GetExplosionMarkCount(),
                    g_Particles.GetRuinCount(), world.Player(1).statistics[STAT_BUILDINGS_DESTROYED],
                    world.Player(1).score - score}), Ints({0, 1, 1, 1, 100}));
    EXPECT_TRUE(g_Particles.HoldsRuin(barracks) && !world.Player(0).HasBuilding(barracks));
    EXPECT_TRUE(warrior->targetBuilding == nullptr && warrior->actionTargetBuilding == nullptr);
    EXPECT_EQ(g_Selection.building, nullptr);
    // Hit or destroyed again, nothing happens.
    EXPECT_FALSE(barracks->ApplyDamage(warrior, 100, DAMAGE_STONE, true));
    barracks->Destroy(true), world.Forget(barracks);
    EXPECT_EQ(g_Particles.GetRuinCount(), 1);
    // The ruin stands its whole time (the last hit's frame took one tick of it) and not a tick longer.
    world.Frame(CParticles::RuinTicks - 2);
    EXPECT_TRUE(g_Particles.HoldsRuin(barracks) && g_Particles.GetRuinTicksLeft(barracks) == 1);
    world.Frame(1);
    EXPECT_EQ(g_Particles.GetRuinCount() + g_PtrGarbage.GetCount(), 0);

    // A wall gives no score and leaves no scorch mark.
    CBuilding* wall = world.Player(0).CreateBuilding(CastWall, 10, 10);
    wall->buildProgress = CBuilding::FinishedProgress, wall->BuildingFinished();
    wall->health = 100.0f / static_cast<float>(wall->GetMaxHitPoints());   // exactly one hit point
    EXPECT_TRUE(wall->ApplyDamage(warrior, 1, DAMAGE_STONE, false) && wall->IsTakenDown() &&
                g_Particles.GetExplosionMarkCount() == 1 && world.Player(1).score - score == 100);
    // A tree of 50 hit points falls to one blow of 50 (its chips below), scoring nothing and leaving no scorch mark.
    CBuilding* tree = world.Track(world.Player(0).CreateResource(ResourceKindTree, 30, 30, 0, 1));
    EXPECT_TRUE(!tree->ApplyDamage(warrior, 49, DAMAGE_HARMLESS, false) &&
                tree->ApplyDamage(warrior, 50, DAMAGE_STONE, false) && tree->IsTakenDown());
    EXPECT_EQ(Ints({g_Particles.GetExplosionMarkCount(), world.Player(1).score - score}), Ints({1, 100}));
}

// A tree shot down leaves its felled trunk and 50 chips of kind 26 over its block: from its west and
// north edges to 0.99 in, 10 to 89 above the ground.  Over twenty trees both ends are reached.
TEST_F(BuildingDamage, ATreeShotDownScattersFiftyChipsOverItsBlock)
{
    SOffsetRange range;
    for (int32_t i = 0; i < 20; ++i)
    {
        g_Particles.Reset();
        CBuilding* tree = world.Track(world.Player(0).CreateResource(ResourceKindTree, 2 + 2 * i, 40, 0, 1));
        ASSERT_TRUE(tree->ApplyDamage(nullptr, 100000, DAMAGE_STONE, false) && tree->IsTakenDown());
        EXPECT_EQ(g_GameMap.Block(2 + 2 * i, 40).decorationModel, 254);
        ASSERT_EQ(g_Particles.GetEffects().size(), 50u);
        for (const SEffectParticle& chip : g_Particles.GetEffects())
        {
            EXPECT_EQ(chip.kind, 26);
            range.Add(chip.x - float(2 + 2 * i), chip.y - 40.0f, chip.height - g_GameMap.GetHeight(chip.x, chip.y));
        }
    }
    EXPECT_EQ(Floats(range.low, range.low + 3), (Floats{0.0f, 0.0f, 10.0f}));
    EXPECT_TRUE(std::abs(range.high[0] - 0.99f) < 1e-4f && std::abs(range.high[1] - 0.99f) < 1e-4f);
    EXPECT_EQ(range.high[2], 89.0f);
}

TEST_F(BuildingDamage, NetworkHitsAndDestructionAreSentByTheRightMachine)
{
    CBuilding* barracks = Barracks();
    CUnit* ours = world.Player(0).CreateUnit(UNIT_WARRIOR, 20, 20);
    CUnit* theirs = world.Player(1).CreateUnit(UNIT_WARRIOR, 22, 20);
    // A shooter that fell while its shot flew alerts the owner, raises the script's one event and is looked at.
    CUnit* fallen = world.Player(1).CreateUnit(UNIT_WARRIOR, 50, 50);
    fallen->RemoveFromWorld(false), barracks->scriptTag = 7, barracks->ApplyDamage(fallen, 1, DAMAGE_HARMLESS, true);
    EXPECT_TRUE(!barracks->attackEventArmed && world.Markers().size() == 3 &&
                world.Player(0).exploredMap[50 * 257 + 50] != 0);
    g_Config.networkRole = 1;
    // Another machine's unit: its machine sends the hit.
    EXPECT_TRUE(barracks->OnAttacked(theirs, 100, DAMAGE_STONE, false));
    EXPECT_TRUE(barracks->health == 100.0f && g_MultiplayerGame.GetSent().empty());
    // Ours: the hit first, then our building's health; then its destruction.
    barracks->OnAttacked(ours, 100, DAMAGE_STONE, false), barracks->ApplyDamage(theirs, 5000, DAMAGE_STONE, false);
    const auto& sent = g_MultiplayerGame.GetSent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(Ints({sent[0].packet.Command(), sent[1].packet.Command(), sent[2].packet.Command()}), Ints({44, 37, 39}));
    // Building, attacking unit, amount, damage type.
    EXPECT_EQ(Ints(sent[0].packet.fields + 2, sent[0].packet.fields + 6),
              Ints({barracks->x * 65536 + barracks->y, Ref(ours), 100, 4}));

    // On a client another machine's building may hold a finished unit too: it goes with it, as on the owner's.
    CBuilding* other = Barracks(true, 30);
    CUnit* made = other->productionUnit = world.Player(0).CreateUnit(UNIT_WARRIOR, -1, -1);
    g_Config.networkRole = 2, g_LocalPlayer = 1;
    CTestLog log;
    other->Destroy(true), g_LocalPlayer = 0;
    EXPECT_TRUE(!log.Contains("#DEBUG: breakpoint reached") && other->productionUnit == nullptr &&
                !world.Player(0).HasUnit(made));
}

namespace
{
// A building whose cast no type record names.
class CUnrecordedBuilding : public CBuilding
{
public:
    CUnrecordedBuilding() : CBuilding(40, 40, 0) {}
    int32_t GetBuildCast() const override { return 14; }
};
}  // namespace

TEST(Demolition, RefundsTheTypeRecordsPriceOnceAndLeavesARuinAndNoReference)
{
    CBuildingWorld world;
    CBuilding* alchemy = world.Player(0).CreateBuilding(CastAlchemy, 10, 10);
    CUnit* besieger = world.Spawn(1, UNIT_WARRIOR, 20, 20);
    besieger->targetBuilding = alchemy;
    CPlayer& owner = world.Player(0);
    const Ints before = {owner.wood, owner.gold, owner.stone, owner.GetWealthScore()};
    alchemy->Demolish(), alchemy->Demolish();
    // The alchemy's record: 400 wood, 500 gold, 600 stone, and no harvest.
    EXPECT_EQ(Ints({owner.wood - before[0], owner.gold - before[1], owner.stone - before[2],
                    owner.GetWealthScore() - before[3], owner.statistics[STAT_WOOD_HARVESTED]}),
              Ints({400, 500, 600, 0, 0}));
    EXPECT_TRUE(g_Particles.GetRuinCount() == 1 && g_Particles.HoldsRuin(alchemy) &&
                g_GameMap.Block(12, 12).building == nullptr && besieger->targetBuilding == nullptr);
    for (int32_t block = 0; block < 25; ++block)   // no rubble or anything else on its ground
        EXPECT_EQ(g_GameMap.Block(10 + block % 5, 10 + block / 5).decorationModel, NoDecoration) << block;
    const Ints& samples = world.Samples();   // sample and volume pairs
    EXPECT_TRUE(samples.size() >= 2 && samples[samples.size() - 2] >= 180 && samples[samples.size() - 2] <= 183);
    int32_t told = 0;
    for (int32_t p = 1; p < MaxPlayers; ++p)
        for (const CComputerAI::SNotice& notice : world.Player(p).computerAI.GetNotices())
            told += notice.kind == CComputerAI::ENotice::ObjectDestroyed && notice.object == alchemy ? 1 : 0;
    EXPECT_EQ(told, MaxPlayers - 1);
    CBuilding* house = world.Player(1).CreateBuilding(CastHouse, 30, 30);   // a computer player's own AI hears of it
    house->Demolish();
    EXPECT_EQ(std::ranges::count_if(world.Player(1).computerAI.GetNotices(), [&](const CComputerAI::SNotice& notice) {
                  return notice.kind == CComputerAI::ENotice::BuildingDestroyed && notice.object == house;
              }), 1);

    CTestLog log;
    CBuilding* odd = new CUnrecordedBuilding;
    ASSERT_TRUE(odd->PlaceOnMap());
    const int32_t wood = owner.wood;
    odd->Demolish();
    EXPECT_TRUE(log.Contains("#DEBUG: Building's property not found") && owner.wood == wood);
}
