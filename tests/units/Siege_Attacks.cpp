// Siege through the real simulation step: the catapult's stone (its timing and kind, its scatter, its
// release on a slope), its automatic attack, its heaps of dust; and the demolition man, who blows up
// beside an enemy barracks at the end of its attack cycle or five ticks after it was killed there, once.

#include <algorithm>
#include <cmath>
#include <utility>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Catapult.h"
#include "units/C_Unit_DemolishMan.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t Enemy = 1;
constexpr int32_t TechCatapultAttack1 = 42;
constexpr int32_t TechCatapultAttack2 = 43;
constexpr int32_t TechBallistic = 56;
// The catapult covers (10..11, 10..11); its centre block is (11, 11).
constexpr int32_t CatapultTile = 10;
constexpr int32_t CentreBlock = 11;

CUnitCatapult* SpawnCatapult(CMeleeWorld& siege, int32_t stance)
{
    return static_cast<CUnitCatapult*>(siege.Spawn(0, UNIT_CATAPULT, CatapultTile, CatapultTile, stance));
}
int32_t BlastsFrom(const CUnit* source)
{
    const auto& flying = g_Particles.GetProjectiles();
    return static_cast<int32_t>(std::count_if(flying.begin(), flying.end(), [source](const auto& shot) {
        return shot.kind == CParticles::KindBlast && shot.shooter == source && shot.blastRadius == 1 &&
               shot.unitDamageType == 8;
    }));
}
}  // namespace

TEST(CatapultThrow, TheStoneLeavesOnTheFourthTickOfASettledFacingItsKindByTechnology)
{
    // Plain, fire and exploding stones.
    const struct { std::vector<int32_t> technologies; int32_t kind; } cases[] = {
        {{}, 12}, {{TechCatapultAttack1}, 13}, {{TechCatapultAttack2}, 14},
        {{TechCatapultAttack1, TechCatapultAttack2}, 14}};
    const SBuildingCastRow& houseRow = *CBuildingCastTable::Find(CastHouse);
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << "technologies " << entry.technologies.size() << " kind " << entry.kind);
        CMeleeWorld siege;
        for (const int32_t technology : entry.technologies)
            siege.world.Research(0, technology);
        CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_STAND_GROUND);
        // Its centre block ten blocks east of the catapult's.
        CBuilding* house = siege.world.Player(Enemy).CreateBuilding(
            CastHouse, CentreBlock + 10 - houseRow.width / 2, CentreBlock - houseRow.depth / 2);
        ASSERT_TRUE(catapult != nullptr && house != nullptr);
        // Facing away: the machine turns half round before it throws.
        catapult->facing = catapult->shownFacing = 270;
        catapult->releaseX = catapult->releaseY = 9.0f;
        catapult->onCommand(nullptr, house, nullptr, house->x, house->y, CMD_ATTACK);
        int32_t frame = 0, settled = -1;
        const int32_t thrown = siege.FramesUntil(200, [&] {
            ++frame;
            if (settled < 0 && catapult->animType == ANIM_ATTACK && catapult->shownFacing == catapult->facing)
                settled = frame;
            return !g_Particles.GetProjectiles().empty();
        });
        ASSERT_GT(thrown, 0);
        // The tick the facing settles counts first: 0.8, 1.6, 2.4, 3.2.
        EXPECT_EQ(thrown, settled + 3);
        const CParticles::SProjectile& stone = g_Particles.GetProjectiles().front();
        EXPECT_TRUE(stone.kind == entry.kind && stone.shooter == catapult);
        float position[3];
        house->GetTargetPosition(position);
        EXPECT_NEAR(stone.aimX, position[0], 0.5f);
        EXPECT_NEAR(stone.aimY, position[2], 0.5f);
        // The throw keeps the release point of the last drawing; each drawing works it out again: flat ground, facing
        // east, the cup 6.4 model units ahead and 41 up.
        EXPECT_TRUE(catapult->releaseX == 9.0f && catapult->releaseY == 9.0f);
        catapult->Render();
        EXPECT_NEAR(catapult->releaseX, 0.2f, 1e-4f);
        EXPECT_NEAR(catapult->releaseY, 0.0f, 1e-4f);
        EXPECT_NEAR(catapult->releaseHeight, 41.0f, 1e-4f);
    }
}

// A stone thrown at a point strays (Random(50) - 25) hundredths of a block on each axis and, beyond 5 whole
// blocks, from -s to s - 1 tenths more for s blocks beyond, unless TC_BALLISTIC is researched.
TEST(CatapultThrow, AStoneAtAPointStraysWithinItsBandAndFurtherOnlyBeyondFiveBlocks)
{
    CMeleeWorld siege;
    CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_STAND_GROUND);
    catapult->targetY = CentreBlock;
    const struct { int32_t blocks; bool ballistic; long lowest, highest; } cases[] = {
        {5, false, -25, 24}, {6, false, -35, 24}, {10, false, -75, 64}, {10, true, -25, 24}};
    for (const auto& c : cases)
    {
        siege.world.Research(0, TechBallistic, c.ballistic ? 100.0f : 0.0f);
        catapult->targetX = CentreBlock + c.blocks;
        std::pair<long, long> band(1000, -1000);   // hundredths of a block, either axis
        for (int32_t shot = 0; shot < 4000; ++shot)
        {
            float aim[2];
            CUnitCatapult::AimAtTargetPoint(*catapult, &aim[0], &aim[1]);
            CUnitCatapult::ScatterByDistance(*catapult, &aim[0], &aim[1]);
            for (const long stray : {std::lround((aim[0] - catapult->targetX - 0.5f) * 100),
                                     std::lround((aim[1] - catapult->targetY - 0.5f) * 100)})
                band = {std::min(band.first, stray), std::max(band.second, stray)};
        }
        EXPECT_EQ(band, std::pair(c.lowest, c.highest)) << c.blocks << " blocks";
    }
}

TEST(CatapultThrow, OnASlopeTheStoneLeavesFromTheTiltedMachine)
{
    CMeleeWorld siege;
    // The ground rises one block's height per block eastward (45 degrees).
    for (int32_t cx = 0; cx <= g_GameMap.GetWidth(); ++cx)
        for (int32_t cy = 0; cy <= g_GameMap.GetHeight(); ++cy)
            g_GameMap.CornerHeight(cx, cy) = 32 * cx;
    CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_STAND_GROUND);
    catapult->facing = catapult->shownFacing = 90;
    catapult->onCommand(nullptr, nullptr, nullptr, CentreBlock + 10, CentreBlock, CMD_ATTACK_GROUND);
    ASSERT_GT(siege.FramesUntil(100,
                                [&] {
                                    catapult->Render();
                                    return !g_Particles.GetProjectiles().empty();
                                }),
              0);
    // Any two wheel edges lie in the ground plane: the machine leans back by 45 degrees about the north-south axis.
    // The cup, 41 up and 6.4 ahead along the facing f (nearly east), comes to
    // ((6.4 sin f - 41) / sqrt(2), (6.4 sin f + 41) / sqrt(2), -6.4 cos f).
    const float f = static_cast<float>(catapult->shownFacing) * 3.14159265f / 180.0f;
    const float ahead = 6.4f * std::sin(f);
    EXPECT_NEAR(catapult->releaseX, (ahead - 41.0f) / std::sqrt(2.0f) / 32.0f, 1e-3f);
    EXPECT_NEAR(catapult->releaseHeight, (ahead + 41.0f) / std::sqrt(2.0f), 1e-2f);
    EXPECT_NEAR(catapult->releaseY, -6.4f * std::cos(f) / 32.0f, 1e-3f);
}

// Ordered at a warrior 3 blocks off, inside its minimum range, it backs off before it throws; finding one
// 8 blocks off by itself, it strikes it from where it stands, never its own tile.
TEST(CatapultThrow, ItThrowsOnlyBeyondItsMinimumRangeAndNeverAtItsOwnTile)
{
    for (const int32_t blocks : {3, 8})
    {
        SCOPED_TRACE(blocks);
        CMeleeWorld siege;
        CUnit* warrior = siege.Spawn(Enemy, UNIT_WARRIOR, CentreBlock + blocks, CentreBlock, STANCE_STAND_GROUND);
        CUnitCatapult* catapult = SpawnCatapult(siege, blocks == 3 ? STANCE_STAND_GROUND : STANCE_AGGRESSIVE);
        ASSERT_TRUE(catapult != nullptr && warrior != nullptr);
        if (blocks == 3)
            catapult->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
        ASSERT_GT(siege.FramesUntil(1500, [&] { return warrior->health < 100.0f || catapult->health < 100.0f; }), 0);
        EXPECT_TRUE(catapult->health == 100.0f && (catapult->x == CatapultTile) == (blocks == 8));
        EXPECT_GE(catapult->BlocksTo(warrior->GetCentreCellX(), warrior->GetCentreCellY()), 4);
    }
}

TEST(CatapultDeath, TheMachineFallsIntoTwoHeapsOfDustAndACorpse)
{
    CMeleeWorld siege;
    CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_STAND_GROUND);
    ASSERT_NE(catapult, nullptr);
    const auto dustPuffs = [] { return CMeleeWorld::EffectsOfKinds(CParticles::KindDust, CParticles::KindDust); };
    catapult->TakeHit(nullptr, 10000, DAMAGE_STONE, false);
    EXPECT_TRUE(catapult->animType == ANIM_DIE && dustPuffs() == 20);
    ASSERT_GT(siege.FramesUntil(100, [&] { return catapult->GetLife() == UnitLife::Corpse; }), 0);
    EXPECT_TRUE(dustPuffs() == 40 && g_Particles.HoldsCorpse(catapult) && !siege.world.Player(0).HasUnit(catapult));
}

TEST(DemolitionManBlast, ItBlowsUpOnceBesideABarracksAfterItsAttackOrFiveTicksAfterItsDeath)
{
    for (const bool killed : {false, true})
    {
        SCOPED_TRACE(killed ? "killed" : "attack");
        CMeleeWorld world;
        CBuilding* barracks = world.world.Player(0).CreateBuilding(CastBarracks, 20, 20);
        barracks->Construct(0.0f, true);
        CUnit* bomber = world.Spawn(1, UNIT_DEMOLISHMAN, 14, 21, STANCE_STAND_GROUND);
        bomber->onCommand(nullptr, barracks, nullptr, 21, 21, CMD_ATTACK);
        ASSERT_GT(world.FramesUntil(300, [&] { return bomber->animType == ANIM_ATTACK; }), 0);
        EXPECT_TRUE(bomber->IsAdjacentToBuilding(barracks));
        if (killed)
            bomber->TakeHit(nullptr, 1000, DAMAGE_ARROW, false);
        // Ticks until the blast: the attack cycle at 1.5 frames a tick, or the five ticks of the fall.
        const int32_t expected = killed ? 5 : static_cast<int32_t>(std::ceil(CMeleeWorld::FrameCount / 1.5f));
        int32_t blastTick = 0;
        for (int32_t tick = 1; tick <= 30; ++tick)
            if (!bomber->Animate(1))
            {
                EXPECT_EQ(blastTick, 0) << "a second blast at tick " << tick;
                blastTick = tick;
            }
        EXPECT_TRUE(blastTick == expected && BlastsFrom(bomber) == 1 && g_Particles.GetExplosionMarkCount() == 1 &&
                    g_Particles.HoldsCorpse(bomber) && g_Particles.GetCorpseCount() == 1);
        EXPECT_FALSE(world.world.Player(1).HasUnit(bomber));
        // A death that comes late starts no second fall and no second blast.
        bomber->RemoveFromWorld(true);
        static_cast<CUnitDemolishMan*>(bomber)->Explode();
        EXPECT_TRUE(BlastsFrom(bomber) == 1 && g_Particles.GetCorpseCount() == 1);
        world.Frame();
        // 300 of the barracks' 1200 hit points at its third factor, 1.0.
        EXPECT_FLOAT_EQ(barracks->health, 75.0f);
    }
}
