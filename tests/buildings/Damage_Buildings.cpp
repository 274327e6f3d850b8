// Hits on buildings: factors, fires, repair, the network and the ruin left behind; the
// refund of a demolition.

#include <tuple>

#include "core/C_PtrGarbage.h"
#include "game/C_Selection.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/OffsetRange.h"

namespace
{
// 1200 hit points, factors 0.4, 0.2 and 1.0, worth 100 points; fires at 60, 45, 45
// and 20 percent of sizes 30, 30, 30 and 240 on its 30 blocks.
class CTestBarracks : public CBuilding
{
public:
    explicit CTestBarracks(int32_t bx) : CBuilding(bx, 10, 0)
    {
        InitFirePositions(4);
        AddFirePosition(60.0f, 1.0f, 2.0f, 1.0f, 30.0f);
        AddFirePosition(45.0f, 2.0f, 2.0f, 1.0f, 30.0f);
        AddFirePosition(45.0f, 3.0f, 2.0f, 1.0f, 30.0f);
        AddFirePosition(20.0f, 2.0f, 3.0f, 3.0f, 240.0f);
    }
    int32_t GetMaxHitPoints() const override { return 1200; }
    int32_t GetWidth() const override { return 5; }
    int32_t GetDepth() const override { return 6; }
    int32_t GetBuildCast() const override { return CastBarracks; }
    int32_t GetPointValue() const override { return 100; }
    float GetDamageFactor1() const override { return 0.4f; }
    float GetDamageFactor2() const override { return 0.2f; }
    float GetDamageFactor3() const override { return 1.0f; }
};

class BuildingDamage : public ::testing::Test
{
protected:
    CBuilding* Barracks(bool finished = true, int32_t x = 10)
    {
        CBuilding* barracks = new CTestBarracks(x);
        EXPECT_TRUE(barracks->PlaceOnMap());
        world.Track(barracks);
        if (finished)
            Finish(barracks);
        return barracks;
    }
    void Finish(CBuilding* building)
    {
        building->buildProgress = CBuilding::FinishedProgress;
        building->BuildingFinished();
    }
    static void Hit(CBuilding* building, int32_t times)
    {
        for (int32_t hit = 0; hit < times; ++hit)
            building->ApplyDamage(nullptr, 100, DAMAGE_STONE, false);
    }

    CBuildingWorld world;
};
}  // namespace

// Hit points are whole before the loss: two hits of 8 x 0.4 leave 1196.8
// and then 1196 - 3.2 = 1192.8; a negative amount heals nothing.
TEST_F(BuildingDamage, EachDamageTypeUsesItsFactorOnWholeHitPointsFiresFollowTheHealthAndRepairPutsThemOut)
{
    CBuilding* barracks = Barracks();
    // Of 100, by damage type 0 to 10: none outside 1 to 9.
    const int32_t lost[] = {0, 40, 20, 20, 100, 0, 40, 20, 100, 100, 0};
    for (int32_t type = 0; type <= 10; ++type)
    {
        barracks->health = 100.0f;
        EXPECT_EQ(barracks->ApplyDamage(nullptr, 100, static_cast<TENUMDAMAGETYPE>(type), false), lost[type] != 0)
            << type;
        EXPECT_EQ(barracks->GetHitPoints(), 1200 - lost[type]) << type;
    }
    barracks->health = 100.0f;
    barracks->ApplyDamage(nullptr, 8, DAMAGE_BLADE, false);
    barracks->ApplyDamage(nullptr, 8, DAMAGE_BLADE, false);
    EXPECT_NEAR(barracks->health, 1192.8f / 1200.0f * 100.0f, 1e-4f);
    barracks->ApplyDamage(nullptr, -500, DAMAGE_STONE, false);
    EXPECT_LE(barracks->health, 1192.8f / 1200.0f * 100.0f);

    // Five hits leave 58.3 percent: one fire of 30, level 1; seven 41.7
    // percent, three fires, level 3; ten 16.7 percent, all four, (90 + 240) / 30.
    barracks->health = 100.0f;
    for (const auto& [hits, fires, level] : {std::tuple{5, 1, 1}, {2, 3, 3}, {3, 4, 11}})
    {
        Hit(barracks, hits);
        EXPECT_TRUE(g_Particles.GetBurningFireCount() == fires && barracks->fireAmount == level);
    }
    while (barracks->health <= 60.0f)
        barracks->Repair(10.0f);
    EXPECT_EQ(g_Particles.GetBurningFireCount() + barracks->fireAmount, 0);
    barracks->health = 99.9f;
    EXPECT_TRUE(!barracks->Repair(1000.0f) && barracks->health == 100.0f && !barracks->Repair(1.0f));

    // Damage taken under construction lights its fires only at completion.
    CBuilding* site = Barracks(false, 30);
    Hit(site, 7);
    EXPECT_TRUE(site->UpdateFireEmitters() == 0 && g_Particles.GetBurningFireCount() == 0);
    Finish(site);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 3);
    // A fire handle that no longer names a building fire is reported.
    ASSERT_TRUE(g_Particles.FreeParticle(site->firePositions[1].particle));
    CTestLog log;
    site->RemoveFirePit();
    EXPECT_TRUE(log.Count("#DEBUG: Invalid firepit particle deleted") == 1 && g_Particles.GetBurningFireCount() == 0);

    // A fire starts only below its threshold and goes out only above it: at exactly 60 neither happens.
    CBuilding* edge = Barracks(true, 40);
    for (const auto& [health, fires] : {std::pair{60.0f, 0}, {59.9f, 1}, {60.0f, 1}, {60.1f, 0}})
    {
        edge->health = health;
        edge->UpdateFireEmitters();
        EXPECT_EQ(g_Particles.GetBurningFireCount(), fires) << health;
    }
}

TEST_F(BuildingDamage, ABuildingHitUntilItFallsLeavesARuinAndNoReference)
{
    CBuilding* barracks = Barracks();
    CUnit* warrior = world.Player(1).CreateUnit(UNIT_WARRIOR, 20, 20);
    warrior->targetBuilding = barracks;
    warrior->actionTargetBuilding = barracks;
    g_Selection.SelectBuilding(barracks);
    const int32_t score = world.Player(1).score;
    // 1200 hit points at 100 a hit: twelve hits, the last exactly 0.
    int32_t hits = 0;
    bool burned = false;
    while (!barracks->IsTakenDown() && hits < 20)
    {
        EXPECT_TRUE(barracks->OnAttacked(warrior, 100, DAMAGE_STONE, true));
        ++hits;
        burned = burned || g_Particles.GetBurningFireCount() > 0;
        world.Frame(1);
    }
    EXPECT_TRUE(hits == 12 && burned);
    EXPECT_EQ(std::vector<int32_t>({g_Particles.GetBurningFireCount(), g_Particles.GetExplosionMarkCount(),
                                    g_Particles.GetRuinCount(), world.Player(1).statistics[STAT_BUILDINGS_DESTROYED],
                                    world.Player(1).score - score}),
              std::vector<int32_t>({0, 1, 1, 1, 100}));
    EXPECT_TRUE(g_Particles.HoldsRuin(barracks) && !world.Player(0).HasBuilding(barracks));
    EXPECT_TRUE(warrior->targetBuilding == nullptr && warrior->actionTargetBuilding == nullptr);
    EXPECT_EQ(g_Selection.building, nullptr);
    // Hit or destroyed again, nothing happens.
    EXPECT_FALSE(barracks->ApplyDamage(warrior, 100, DAMAGE_STONE, true));
    barracks->Destroy(true);
    EXPECT_EQ(g_Particles.GetRuinCount(), 1);
    world.Forget(barracks);
    // The ruin stands its whole time (the last hit's frame took one tick of it) and not a tick longer.
    world.Frame(CParticles::RuinTicks - 2);
    EXPECT_TRUE(g_Particles.HoldsRuin(barracks) && g_Particles.GetRuinTicksLeft(barracks) == 1);
    world.Frame(1);
    EXPECT_EQ(g_Particles.GetRuinCount() + g_PtrGarbage.GetCount(), 0);

    // A wall gives no score and leaves no scorch mark.
    CBuilding* wall = world.Player(0).CreateBuilding(CastWall, 10, 10);
    wall->buildProgress = CBuilding::FinishedProgress;
    wall->BuildingFinished();
    wall->health = 100.0f / static_cast<float>(wall->GetMaxHitPoints());   // exactly one hit point
    EXPECT_TRUE(wall->ApplyDamage(warrior, 1, DAMAGE_STONE, false) && wall->IsTakenDown() &&
                g_Particles.GetExplosionMarkCount() == 1);
    EXPECT_EQ(world.Player(1).score - score, 100);
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
    EXPECT_EQ(std::vector<float>(range.low, range.low + 3), (std::vector<float>{0.0f, 0.0f, 10.0f}));
    EXPECT_TRUE(std::abs(range.high[0] - 0.99f) < 1e-4f && std::abs(range.high[1] - 0.99f) < 1e-4f);
    EXPECT_EQ(range.high[2], 89.0f);
}

TEST_F(BuildingDamage, NetworkHitsAndDestructionAreSentByTheRightMachine)
{
    CBuilding* barracks = Barracks();
    CUnit* ours = world.Player(0).CreateUnit(UNIT_WARRIOR, 20, 20);
    CUnit* theirs = world.Player(1).CreateUnit(UNIT_WARRIOR, 22, 20);
    g_Config.networkRole = 1;
    // Another machine's unit: its machine sends the hit.
    EXPECT_TRUE(barracks->OnAttacked(theirs, 100, DAMAGE_STONE, false));
    EXPECT_TRUE(barracks->health == 100.0f && g_MultiplayerGame.GetSent().empty());
    // Ours: the hit first, then our building's health; then its destruction.
    barracks->OnAttacked(ours, 100, DAMAGE_STONE, false);
    barracks->ApplyDamage(theirs, 5000, DAMAGE_STONE, false);
    const auto& sent = g_MultiplayerGame.GetSent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(std::vector<int32_t>({sent[0].packet.Command(), sent[1].packet.Command(), sent[2].packet.Command()}),
              std::vector<int32_t>({44, 37, 39}));
    // Building, attacking unit, amount, damage type.
    EXPECT_EQ(std::vector<int32_t>(sent[0].packet.fields + 2, sent[0].packet.fields + 6),
              std::vector<int32_t>({barracks->x * 65536 + barracks->y, Ref(ours), 100, 4}));

    // On a client another machine's building may still hold a finished unit.
    CBuilding* other = Barracks(true, 30);
    other->productionUnit = world.Player(0).CreateUnit(UNIT_WARRIOR, -1, -1);
    CUnit* made = other->productionUnit;
    g_Config.networkRole = 2;
    g_LocalPlayer = 1;
    CTestLog log;
    other->Destroy(true);
    g_LocalPlayer = 0;
    EXPECT_TRUE(log.Contains("#DEBUG: Production unit in a non local player's building") &&
                other->productionUnit == nullptr && !world.Player(0).HasUnit(made));
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

// Rubble decorations on the square; -1 when a block holds anything else.
int32_t RubbleIn(int32_t x, int32_t y, int32_t side)
{
    int32_t rubble = 0;
    for (int32_t i = x; i < x + side; ++i)
        for (int32_t j = y; j < y + side; ++j)
        {
            const uint16_t model = g_GameMap.Block(i, j).decorationModel;
            if (model != NoDecoration && (model < 259 || model > 265))
                return -1;
            rubble += model != NoDecoration ? 1 : 0;
        }
    return rubble;
}
}  // namespace

TEST(Demolition, RefundsTheTypeRecordsPriceOnceAndLeavesARuinAndNoReference)
{
    CBuildingWorld world;
    CBuilding* alchemy = world.Player(0).CreateBuilding(CastAlchemy, 10, 10);
    CUnit* besieger = world.Spawn(1, UNIT_WARRIOR, 20, 20);
    besieger->targetBuilding = alchemy;
    CPlayer& owner = world.Player(0);
    const std::vector<int32_t> before = {owner.wood, owner.gold, owner.stone, owner.GetWealthScore()};
    alchemy->Demolish();
    alchemy->Demolish();
    // The alchemy's record: 400 wood, 500 gold, 600 stone, and no harvest.
    EXPECT_EQ(std::vector<int32_t>({owner.wood - before[0], owner.gold - before[1], owner.stone - before[2],
                                    owner.GetWealthScore() - before[3], owner.statistics[STAT_WOOD_HARVESTED]}),
              std::vector<int32_t>({400, 500, 600, 0, 0}));
    EXPECT_TRUE(g_Particles.GetRuinCount() == 1 && g_Particles.HoldsRuin(alchemy) &&
                g_GameMap.Block(12, 12).building == nullptr && besieger->targetBuilding == nullptr);
    EXPECT_EQ(RubbleIn(10, 10, 5), 0);
    const std::vector<int32_t>& samples = world.Samples();   // sample and volume pairs
    EXPECT_TRUE(samples.size() >= 2 && samples[samples.size() - 2] >= 180 && samples[samples.size() - 2] <= 183);
    int32_t told = 0;
    for (int32_t p = 1; p < MaxPlayers; ++p)
        for (const CComputerAI::SNotice& notice : world.Player(p).computerAI.GetNotices())
            told += notice.kind == CComputerAI::ENotice::ObjectDestroyed && notice.object == alchemy ? 1 : 0;
    EXPECT_EQ(told, MaxPlayers - 1);

    CTestLog log;
    CBuilding* odd = new CUnrecordedBuilding;
    ASSERT_TRUE(odd->PlaceOnMap());
    const int32_t wood = owner.wood;
    odd->Demolish();
    EXPECT_TRUE(log.Contains("#DEBUG: Building's property not found") && owner.wood == wood);
}
