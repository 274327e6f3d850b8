#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <tuple>
#include <utility>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/GlobalFunc.h"
#include "game/C_ObjectLinks.h"
#include "tests/support/OffsetRange.h"
#include "tests/units/Melee_World.h"
#include "units/C_Unit_Catapult.h"
#include "units/C_Unit_DemolishMan.h"
#include "units/C_Unit_TowerArcher.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitRangedType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t TechBallistic = 56, TechFlameArrow = 58;

// The least and greatest stray of `count` shots, either axis, in 1 / `scale` blocks.
template <class Shot> std::pair<long, long> StrayBand(int32_t count, float scale, Shot shot)
{
    SOffsetRange range;
    for (int32_t i = 0; i < count; ++i) std::apply([&](float x, float y) { range.Add(x, y, 0.0f); }, shot());
    return {std::lround(std::min(range.low[0], range.low[1]) * scale),
            std::lround(std::max(range.high[0], range.high[1]) * scale)};
}

// A shooter of player 0 facing a standing warrior of player 1 six blocks
// east, its attack order taken and its draw begun.
class RangedAim : public ::testing::Test
{
protected:
    void SetUpPair(int32_t shooterType, int32_t row = 10)
    {
        shooter = static_cast<CUnitRangedType*>(m_World.Spawn(0, shooterType, 10, row, STANCE_STAND_GROUND));
        target = m_World.Spawn(1, UNIT_WARRIOR, 16, row, STANCE_STAND_GROUND);
        ASSERT_TRUE(shooter != nullptr && target != nullptr);
        shooter->facing = shooter->shownFacing = 90;
        shooter->onCommand(target, nullptr, nullptr, target->x, target->y, CMD_ATTACK);
        ASSERT_GT(m_World.FramesUntil(10, [&] { return shooter->animType == ANIM_ATTACK; }), 0);
        g_Particles.Reset();
    }
    // The arrow drawn from `frame` within 60 ticks, or null; `ticks` taken.
    const CParticles::SProjectile* Draw(float frame, int32_t* ticks = nullptr)
    {
        g_Particles.Reset(), shooter->shotReleased = 0, shooter->animFrame = frame;
        for (int32_t tick = 1; tick <= 60; ++tick)
        {
            shooter->shownFacing = shooter->facing, shooter->Animate(1);
            if (!g_Particles.GetProjectiles().empty())
            {
                if (ticks != nullptr) *ticks = tick;
                return &g_Particles.GetProjectiles().back();
            }
        }
        return nullptr;
    }

    CMeleeWorld m_World;
    CUnitRangedType* shooter = nullptr;
    CUnit* target = nullptr;
};

void Shoot(CUnit* archer, CUnit* target, float aimX, float aimY, int32_t kind = CParticles::KindArrow)
{
    g_Particles.AddArrow(false, archer, target, 10.5f, 48.6f, 10.5f, aimX, 40.0f, aimY, kind);
}

constexpr int32_t Enemy = 1, TechCatapultAttack1 = 42, TechCatapultAttack2 = 43;
// The catapult covers (10..11, 10..11); its centre block is (11, 11).
constexpr int32_t CatapultTile = 10, CentreBlock = 11;

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

TEST(ProjectilesFlight, ArrowsStrikeWithTheAttackAtLaunchAndCountWhereTheyLandForTheShootersPlayerEvenOnceHeIsGone)
{
    CMeleeWorld war;
    CUnit *archer = war.world.Spawn(0, UNIT_ARCHER, 10, 10), *target = war.world.Spawn(1, UNIT_WARRIOR, 16, 10);
    ASSERT_NE(war.world.Player(1).CreateBuilding(CastHouse, 10, 20), nullptr);
    const int32_t attack = CMeleeWorld::AttackOf(*archer);
    Shoot(archer, target, 16.5f, 10.5f);
    war.world.Research(0, 20);   // a better attack after launch changes nothing
    war.world.Frame(2);
    EXPECT_FLOAT_EQ(target->health, CUnit::FullHealth);
    war.world.Frame(1);
    const float lost = static_cast<float>(attack) * target->GetDamageFactorB() / target->GetMaxHitPoints() * 100.0f;
    EXPECT_FLOAT_EQ(target->health, CUnit::FullHealth - lost);
    const int32_t* stats = war.world.Player(0).statistics;
    EXPECT_TRUE(g_Particles.GetProjectiles().empty() && stats[STAT_ARROWS_HIT_UNIT] == 1);
    Shoot(archer, nullptr, 10.5f, 20.5f, CParticles::KindFlameArrow), war.world.Frame(20);
    // The house throws its 4 pieces of debris kind 24 and 1 of kind 25 where the arrow struck.
    EXPECT_TRUE(stats[STAT_ARROWS_HIT_BUILDING] == 1 && CMeleeWorld::EffectsOfKinds(24, 24) == 4 &&
                CMeleeWorld::EffectsOfKinds(25, 25) == 1);
    for (const SEffectParticle& piece : g_Particles.GetEffects())
        EXPECT_TRUE(piece.kind < 24 || piece.kind > 25 || (piece.x == 10.5f && piece.y == 20.5f));
    Shoot(archer, nullptr, 30.5f, 30.5f);   // nothing there
    war.world.Frame(20);
    EXPECT_EQ(stats[STAT_ARROWS_HIT_UNIT] + stats[STAT_ARROWS_HIT_BUILDING], 2);
    // A shot outliving its deleted shooter lands and credits the shooter's player.
    CUnit* last = war.world.Spawn(1, UNIT_WARRIOR, 20, 10);
    last->health = 100.0f / last->GetMaxHitPoints() + 0.5f;   // one hit point
    Shoot(archer, last, 20.5f, 10.5f), war.world.Delete(archer);
    ASSERT_TRUE(g_Particles.GetProjectiles().size() == 1u && g_Particles.GetProjectiles()[0].shooter == nullptr);
    war.world.Frame(5);
    EXPECT_TRUE(last->IsDying() && stats[STAT_UNITS_KILLED] == 1);
    // A shot of a shooter gone aboard or inside strikes for his player, but no one answers him there.
    CUnit* hidden = war.world.Spawn(0, UNIT_ARCHER, 30, 34);
    CUnit* struck = war.world.Spawn(1, UNIT_WARRIOR, 30, 40);
    struck->stance = STANCE_AGGRESSIVE, Shoot(hidden, struck, 30.5f, 40.5f), hidden->ShowUnit(false);
    for (int32_t frame = 0; frame < 40 && struck->health == CUnit::FullHealth; ++frame) war.world.Frame(1);
    EXPECT_TRUE(struck->health < CUnit::FullHealth && struck->attacker == nullptr &&
                CObjectLinks().FindFault() == nullptr);
    Shoot(nullptr, struck, 30.5f, 40.5f);   // a shot without a shooter strikes for no player
    EXPECT_EQ(g_Particles.GetProjectiles().back().shooterPlayer, -1);
}

// A stone warns the computer players' idle or patrolling units on its block (an exploding one those in
// the disc of radius 1 around it): they walk to where the search of the band r (their size, + 2) to 2r
// first reaches r blocks, so a foot soldier ends at least r - 1 and less than r blocks away.
TEST(ProjectilesFlight, ComputerUnitsStepAsideFromAStoneOnTheirBlockOrFromAnExplodingStoneBeside)
{
    CMeleeWorld war;
    war.world.Player(2).computerAI.SetDodgeValue(0);   // never steps aside; players 1 and 3 always
    war.world.Player(3).type = PLAYER_REMOTE;
    // At (22, 20) outside the disc, at (21, 21) attacking, at (20, 21) the local player's, at (20, 19) a
    // remote player's.
    const struct { int32_t player, type, x, y, command, reach; } units[] = {
        {1, UNIT_WARRIOR, 20, 20, CMD_NONE, 3}, {1, UNIT_WARRIOR, 19, 19, CMD_NONE, 3},
        {1, UNIT_WARRIOR, 21, 20, CMD_PATROL, 3}, {1, UNIT_WARRIOR, 22, 20, CMD_NONE, 0},
        {1, UNIT_WARRIOR, 21, 21, CMD_ATTACK, 0}, {0, UNIT_WARRIOR, 20, 21, CMD_NONE, 0},
        {2, UNIT_WARRIOR, 19, 21, CMD_NONE, 0}, {3, UNIT_WARRIOR, 20, 19, CMD_NONE, 0},
        {1, UNIT_CATAPULT, 30, 30, CMD_NONE, 2}, {1, UNIT_CATAPULT, 32, 30, CMD_NONE, 0}};
    std::vector<CUnit*> spawned;
    for (const auto& u : units)
    {
        spawned.push_back(war.world.Spawn(u.player, u.type, u.x, u.y));
        ASSERT_NE(spawned.back(), nullptr);
        spawned.back()->currentCommand = u.command;
    }
    g_Particles.AddCatapultStone(false, nullptr, 5.5f, 40.0f, 5.5f, 20.5f, 0.0f, 20.5f,
                                 CParticles::KindExplodingStone);
    g_Particles.AddCatapultStone(false, nullptr, 5.5f, 40.0f, 5.5f, 30.5f, 0.0f, 30.5f, CParticles::KindStone);
    for (size_t i = 0; i < spawned.size(); ++i)
    {
        const CUnit& unit = *spawned[i];
        const int32_t tenths = GlobalFunc::Distance(unit.x, unit.y, unit.moveDestX, unit.moveDestY);
        const bool walks = unit.pathFlag != 0 && unit.routeEnd > 0;
        const int32_t nearest = std::max(1, (units[i].reach - unit.GetSize()) * 10);
        EXPECT_TRUE(walks == (units[i].reach > 0) && (!walks || (tenths >= nearest && tenths < units[i].reach * 10)))
            << unit.x << "," << unit.y;
    }
}

// The record of effects keeps at most 8192 and the minimap at most 256 markers: one more drops the older
// half.  Freeing a block takes what stands on it, from its west and north edges to just short of the
// next block, but leaves the kinds 27, 41 and 42.
TEST(ParticlePool, AtItsLimitTheOlderHalfGoesAndFreeingABlockKeepsItsThreeLastingKinds)
{
    CMeleeWorld world;
    const struct { int32_t most; std::function<void(int32_t)> add; std::function<int32_t(size_t)> at; } pools[] = {
        {CParticles::kMostEffects, [](int32_t i) { g_Particles.AddSmash(false, float(i), 0.5f, 0.0f, 24); },
         [](size_t i) { return int32_t(g_Particles.GetEffects().at(i).x); }},
        {CParticles::kMostMinimapMarkers, [](int32_t i) { g_Particles.AddMinimapMarker(i, 0, 0xFFFF00); },
         [](size_t i) { return g_Particles.GetMinimapMarkers().at(i).x; }}};
    for (const auto& pool : pools)
    {
        for (int32_t i = 0; i < pool.most; ++i) pool.add(i);
        EXPECT_TRUE(pool.at(0) == 0 && pool.at(size_t(pool.most) - 1) == pool.most - 1);
        pool.add(pool.most);
        EXPECT_TRUE(pool.at(0) == pool.most / 2 && pool.at(size_t(pool.most / 2)) == pool.most) << pool.most;
    }
    EXPECT_EQ(std::pair(g_Particles.GetEffects().size(), g_Particles.GetMinimapMarkers().size()),
              std::pair(size_t(CParticles::kMostEffects / 2 + 1), size_t(CParticles::kMostMinimapMarkers / 2 + 1)));

    g_Particles.Reset();
    const struct { float x, y; int32_t kind; bool stays; } pieces[] = {
        {31.0f, 31.0f, 24, false},  {31.99f, 31.99f, 25, false}, {30.99f, 31.5f, 24, true}, {32.0f, 31.5f, 24, true},
        {31.5f, 30.99f, 24, true},  {31.5f, 32.0f, 24, true},    {31.5f, 31.5f, 26, false}, {31.5f, 31.5f, 27, true},
        {31.5f, 31.5f, 28, false},  {31.5f, 31.5f, 40, false},   {31.5f, 31.5f, 41, true},  {31.5f, 31.5f, 42, true},
        {31.5f, 31.5f, 43, false}};
    for (const auto& piece : pieces) g_Particles.AddSmash(false, piece.x, piece.y, 0.0f, piece.kind);
    g_Particles.RemoveAt(31, 31);
    std::vector<std::tuple<float, float, int32_t>> left, staying;
    for (const SEffectParticle& effect : g_Particles.GetEffects()) left.emplace_back(effect.x, effect.y, effect.kind);
    for (const auto& piece : pieces) if (piece.stays) staying.emplace_back(piece.x, piece.y, piece.kind);
    EXPECT_EQ(left, staying);
}

TEST_F(RangedAim, ShotsScatterOrAimAtTheTileTheTargetStepsIntoAndEachShooterReleasesInItsFrame)
{
    SetUpPair(UNIT_ARCHER);
    const CParticles::SProjectile* arrow = Draw(8.9f);
    ASSERT_TRUE(arrow != nullptr && arrow->aimHeight == 40.0f && arrow->target == target &&
                m_World.world.Player(0).statistics[STAT_ARROWS_SHOT] == 1);
    // (Random(200) - 100) x 0.002 blocks on each axis.
    EXPECT_EQ(StrayBand(1000, 1000.0f, [&] {
                  const CParticles::SProjectile* shot = Draw(8.9f);
                  return std::array{shot->aimX - target->centreX, shot->aimY - target->centreY};
              }), std::pair(-200L, 198L));
    // A tower archer's: (Random(10) - 5) x 0.02 blocks.
    auto* tower = static_cast<CBuildingTower*>(m_World.world.Player(0).CreateBuilding(CastTower, 12, 12));
    ASSERT_NE(tower, nullptr);
    tower->Construct(0.0f, true);
    auto* archer = static_cast<CUnitTowerArcher*>(tower->archers[0]);
    EXPECT_EQ(StrayBand(400, 100.0f, [&] {
                  g_Particles.Reset(), archer->SetTarget(target);
                  for (int32_t tick = 0; tick < 60 && g_Particles.GetProjectiles().empty(); ++tick) archer->Animate(1);
                  const CParticles::SProjectile shot = g_Particles.GetProjectiles().empty()
                      ? CParticles::SProjectile{} : g_Particles.GetProjectiles().back();
                  return std::array{shot.aimX - target->centreX, shot.aimY - target->centreY};
              }), std::pair(-10L, 8L));

    // With TC_BALLISTIC: exactly the tile it is stepping into.
    m_World.world.Research(0, TechBallistic);
    for (const uint8_t stepping : {uint8_t{0}, uint8_t{1}})
    {
        target->pathFlag = stepping;
        float expectedX = 0.0f, expectedY = 0.0f;
        target->GetStepTargetCentre(&expectedX, &expectedY);
        const CParticles::SProjectile* arrow = Draw(8.9f);
        ASSERT_TRUE(arrow != nullptr && arrow->aimX == expectedX && arrow->aimY == expectedY &&
                    shooter->approachX == static_cast<int32_t>(expectedX));
    }
    const struct { int32_t type; float flameProgress; float releaseFrame; int32_t kind; } cases[] = {
        {UNIT_ARCHER, 100.0f, 9.0f, CParticles::KindArrow}, {UNIT_CROSSBOWMAN, 99.9f, 1.0f, CParticles::KindArrow},
        {UNIT_CROSSBOWMAN, 100.0f, 1.0f, CParticles::KindFlameArrow}};
    int32_t row = 17;
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << entry.type << " flame " << entry.flameProgress);
        m_World.world.Research(0, TechFlameArrow, entry.flameProgress);
        SetUpPair(entry.type, row += 3);
        int32_t ticks = 0;
        const CParticles::SProjectile* arrow = Draw(0.0f, &ticks);
        ASSERT_NE(arrow, nullptr);
        const auto releaseTicks = static_cast<int32_t>(std::ceil(entry.releaseFrame / shooter->GetAttackAnimSpeed()));
        EXPECT_EQ(std::pair(ticks, arrow->kind), std::pair(releaseTicks, entry.kind));
        shooter->Stop();
    }
}

TEST(CatapultThrow, TheStoneLeavesOnTheFourthTickOfASettledFacingItsKindByTechnology)
{
    // Plain, fire and exploding stones; the last one at a soldier where the house's centre block would be.
    const struct { std::vector<int32_t> technologies; int32_t kind; bool atUnit = false; } cases[] = {
        {{}, 12}, {{TechCatapultAttack1}, 13}, {{TechCatapultAttack2}, 14},
        {{TechCatapultAttack1, TechCatapultAttack2}, 14, true}};
    const SBuildingCastRow& houseRow = *CBuildingCastTable::Find(CastHouse);
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(testing::Message() << "technologies " << entry.technologies.size() << " kind " << entry.kind);
        CMeleeWorld siege;
        for (const int32_t technology : entry.technologies) siege.world.Research(0, technology);
        CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_STAND_GROUND);
        // Its centre block ten blocks east of the catapult's.
        CBuilding* house = entry.atUnit ? nullptr : siege.world.Player(Enemy).CreateBuilding(
            CastHouse, CentreBlock + 10 - houseRow.width / 2, CentreBlock - houseRow.depth / 2);
        CUnit* soldier = entry.atUnit ? siege.Spawn(Enemy, UNIT_WARRIOR, CentreBlock + 10, CentreBlock,
                                                    STANCE_STAND_GROUND) : nullptr;
        ASSERT_TRUE(catapult != nullptr && (house != nullptr) != (soldier != nullptr));
        // Facing away: the machine turns half round before it throws.
        catapult->facing = catapult->shownFacing = 270, catapult->releaseX = catapult->releaseY = 9.0f;
        catapult->onCommand(soldier, house, nullptr, house ? house->x : soldier->x, house ? house->y : soldier->y,
                            CMD_ATTACK);
        int32_t frame = 0, settled = -1;
        const int32_t thrown = siege.FramesUntil(200, [&] {
            ++frame;
            if (settled < 0 && catapult->animType == ANIM_ATTACK && catapult->shownFacing == catapult->facing)
                settled = frame;
            return !g_Particles.GetProjectiles().empty();
        });
        ASSERT_GT(thrown, 0);
        // The tick the facing settles counts first: 0.8, 1.6, 2.4, 3.2.
        const CParticles::SProjectile& stone = g_Particles.GetProjectiles().front();
        float position[3];
        if (house) house->GetTargetPosition(position);
        // The soldier's centre (21.5, 11.5) lies 2.7 degrees off east of the machine's (11, 11): it faces 87.
        const bool aimed = soldier ? catapult->facing == 87 && catapult->shownFacing == 87
                                   : std::abs(stone.aimX - position[0]) <= 0.5f &&
                                         std::abs(stone.aimY - position[2]) <= 0.5f;
        // The throw keeps the release point of the last drawing; each drawing works it out again: flat ground, facing
        // east, the cup 6.4 model units ahead and 41 up.
        EXPECT_TRUE(thrown == settled + 3 && stone.kind == entry.kind && stone.shooter == catapult && aimed &&
                    catapult->releaseX == 9.0f && catapult->releaseY == 9.0f);
        if (soldier) continue;
        catapult->Render();
        EXPECT_TRUE(std::abs(catapult->releaseX - 0.2f) <= 1e-4f && std::abs(catapult->releaseY) <= 1e-4f &&
                    std::abs(catapult->releaseHeight - 41.0f) <= 1e-4f);
    }
}

// A stone thrown at a point strays (Random(50) - 25) hundredths of a block on each axis and, beyond 5 whole
// blocks, from -s to s - 1 tenths more for s blocks beyond, unless TC_BALLISTIC is researched.
TEST(CatapultThrow, AStoneAtAPointOrABuildingStraysWithinItsBandAndFurtherOnlyBeyondFiveBlocks)
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
        EXPECT_EQ(StrayBand(4000, 100.0f, [&] {
                      float aim[2];
                      CUnitCatapult::AimAtTargetPoint(*catapult, &aim[0], &aim[1]);
                      CUnitCatapult::ScatterByDistance(*catapult, &aim[0], &aim[1]);
                      return std::array{aim[0] - catapult->targetX - 0.5f, aim[1] - catapult->targetY - 0.5f};
                  }), std::pair(c.lowest, c.highest)) << c.blocks << " blocks";
    }
    // At a building: (Random(50) - 25) x 0.02 about its target position, whatever the distance.
    CBuilding* house = siege.world.Player(1).CreateBuilding(CastHouse, 30, 30);
    ASSERT_NE(house, nullptr);
    float at[3];
    house->GetTargetPosition(at);
    EXPECT_EQ(StrayBand(4000, 100.0f, [&] {
                  float aim[3];
                  CUnitCatapult::AimAtBuilding(*house, aim);
                  return std::array{aim[0] - at[0], aim[2] - at[2]};
              }), std::pair(-50L, 48L));
}

TEST(CatapultThrow, OnASlopeTheStoneLeavesFromTheTiltedMachine)
{
    CMeleeWorld siege;
    // The ground rises one block's height per block eastward (45 degrees).
    for (int32_t cx = 0; cx <= g_GameMap.GetWidth(); ++cx)
        for (int32_t cy = 0; cy <= g_GameMap.GetHeight(); ++cy) g_GameMap.CornerHeight(cx, cy) = 32 * cx;
    CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_STAND_GROUND);
    catapult->facing = catapult->shownFacing = 90;
    catapult->onCommand(nullptr, nullptr, nullptr, CentreBlock + 10, CentreBlock, CMD_ATTACK_GROUND);
    ASSERT_GT(siege.FramesUntil(100, [&] {
        catapult->Render();
        return !g_Particles.GetProjectiles().empty();
    }), 0);
    // Any two wheel edges lie in the ground plane: the machine leans back by 45 degrees about the north-south axis.
    // The cup, 41 up and 6.4 ahead along the facing f (nearly east), comes to
    // ((6.4 sin f - 41) / sqrt(2), (6.4 sin f + 41) / sqrt(2), -6.4 cos f).
    const float f = static_cast<float>(catapult->shownFacing) * 3.14159265f / 180.0f, ahead = 6.4f * std::sin(f);
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
        if (blocks == 3) catapult->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
        ASSERT_GT(siege.FramesUntil(1500, [&] { return warrior->health < 100.0f || catapult->health < 100.0f; }), 0);
        EXPECT_TRUE(catapult->health == 100.0f && (catapult->x == CatapultTile) == (blocks == 8) &&
                    catapult->BlocksTo(warrior->GetCentreCellX(), warrior->GetCentreCellY()) >= 4);
    }
    // Ordered at a house, it aims at the house's centre block.
    CMeleeWorld siege;
    CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_STAND_GROUND);
    CBuilding* house = siege.world.Player(Enemy).CreateBuilding(CastHouse, CentreBlock + 6, CentreBlock);
    catapult->onCommand(nullptr, house, nullptr, house->x, house->y, CMD_ATTACK);
    ASSERT_GT(siege.FramesUntil(300, [&] { return catapult->animType == ANIM_ATTACK; }), 0);
    EXPECT_EQ(std::pair(catapult->targetX, catapult->targetY), std::pair(CentreBlock + 7, CentreBlock + 1));
}

// Sent back to its post, it walks there, but stops at once and forgets the post when it is under 4 blocks off.
TEST(CatapultGuard, ItWalksBackToAFarPostAndStaysShortOfANearOne)
{
    for (const int32_t blocks : {3, 6})
    {
        CMeleeWorld siege;
        CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_DEFENSIVE);
        catapult->returnX = CatapultTile + blocks, catapult->returnY = CatapultTile;
        catapult->lastOrder = LAST_ORDER_GUARD, catapult->ResumeGuardOrPatrol();
        for (int32_t frame = 0; frame < 400; ++frame) siege.Frame();
        EXPECT_TRUE(catapult->x == CatapultTile + (blocks == 6 ? 6 : 0) && catapult->returnX == -1 &&
                    catapult->currentCommand == CMD_NONE) << blocks;
    }
}

// Hit while it stands free, it throws back at an enemy hitter, else at an enemy building's footprint centre.
TEST(CatapultAttacked, ItTurnsOnAnEnemyUnitElseAnEnemyBuildingOnlyWhenStandingFree)
{
    // Stance, walking, the hitter's and the tower's owners, an attacker already; the target point (0: none).
    const int32_t cases[][7] = {{STANCE_AGGRESSIVE, 0, Enemy, Enemy, 0, 40, 11}, {STANCE_AGGRESSIVE, 0, 0, 0, 0, 0, 0},
        {STANCE_DEFENSIVE, 0, 0, Enemy, 0, 41, 15}, {STANCE_STAND_GROUND, 0, Enemy, Enemy, 0, 0, 0},
        {STANCE_AGGRESSIVE, 1, Enemy, Enemy, 0, 0, 0}, {STANCE_AGGRESSIVE, 0, Enemy, Enemy, 1, 0, 0}};
    for (const auto& [stance, walks, hitterOwner, towerOwner, hadAttacker, x, y] : cases)
    {
        CMeleeWorld siege;   // both far out of the catapult's sight
        CUnitCatapult* catapult = SpawnCatapult(siege, stance);
        CUnit* hitter = siege.Spawn(hitterOwner, UNIT_WARRIOR, 40, 11, STANCE_STAND_GROUND);
        CBuilding* tower = siege.world.Player(towerOwner).CreateBuilding(CastTower, 40, 14);
        catapult->animType = walks ? ANIM_WALK : ANIM_STAND, catapult->ready = 0;
        catapult->attacker = hadAttacker ? hitter : nullptr, catapult->onAttacked(hitter, tower);
        EXPECT_EQ(std::tuple(catapult->currentCommand, catapult->targetUnit, catapult->targetBuilding, catapult->ready,
                             catapult->ranged, catapult->targetX, catapult->targetY, catapult->attacker == hitter),
                  std::tuple(x ? CMD_ATTACK : CMD_NONE, x == 40 ? hitter : nullptr, x == 41 ? tower : nullptr,
                             uint8_t(x != 0), uint8_t(x != 0), x, y, x == 40 || hadAttacker)) << stance << walks;
    }
}

TEST(CatapultDeath, TheMachineFallsIntoTwoHeapsOfDustAndACorpse)
{
    CMeleeWorld siege;
    CUnitCatapult* catapult = SpawnCatapult(siege, STANCE_STAND_GROUND);
    ASSERT_NE(catapult, nullptr);
    const auto dustPuffs = [] { return CMeleeWorld::EffectsOfKinds(CParticles::KindDust, CParticles::KindDust); };
    catapult->TakeHit(nullptr, 10000, DAMAGE_STONE, false);
    // Dead or alive a machine sounds hurt (by a stone: 124, one of 3), then the cart breaks (130, one of 3).
    const std::vector<int32_t>& heard = siege.world.Samples();   // sample, volume
    EXPECT_TRUE(catapult->animType == ANIM_DIE && dustPuffs() == 20 && heard.size() == 4u && heard[0] >= 124 &&
                heard[0] <= 126 && heard[2] >= 130 && heard[2] <= 132);
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
        if (killed) bomber->TakeHit(nullptr, 1000, DAMAGE_ARROW, false);
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
                    g_Particles.HoldsCorpse(bomber) && g_Particles.GetCorpseCount() == 1 &&
                    !world.world.Player(1).HasUnit(bomber));
        // A hundred drops of blood -10 to 9 steps of 0.04 off the centre each way, 40 to 59 above the ground, one
        // in ten leaving a stain (as many again when the hit tore it apart first).
        std::vector<float> offsets;
        int32_t stains = 0, risen = 0;
        for (const SEffectParticle& drop : g_Particles.GetEffects())
            if (drop.kind == CParticles::KindBlood)
            {
                offsets.insert(offsets.end(), {drop.x - bomber->centreX, drop.y - bomber->centreY}), stains += drop.stain;
                const float above = drop.height - g_GameMap.GetHeight(drop.x, drop.y);
                risen += above >= 40.0f && above <= 59.0f && above == std::floor(above);
            }
        const auto [least, most] = std::ranges::minmax(offsets);
        EXPECT_TRUE(offsets.size() == (killed ? 400u : 200u) && stains == (killed ? 20 : 10) &&
                    risen == (killed ? 200 : 100) && std::abs(least + 0.4f) < 1e-5f && std::abs(most - 0.36f) < 1e-5f)
            << least << " " << most << " " << risen;
        // A death that comes late starts no second fall and no second blast.
        bomber->RemoveFromWorld(true);
        static_cast<CUnitDemolishMan*>(bomber)->Explode();
        EXPECT_TRUE(BlastsFrom(bomber) == 1 && g_Particles.GetCorpseCount() == 1);
        world.Frame();
        // 300 of the barracks' 1200 hit points at its third factor, 1.0.
        EXPECT_FLOAT_EQ(barracks->health, 75.0f);
    }
    // Ordered at the ground, it walks to the point and goes off there.
    CMeleeWorld world;
    CUnit* bomber = world.Spawn(1, UNIT_DEMOLISHMAN, 14, 21, STANCE_STAND_GROUND);
    bomber->onCommand(nullptr, nullptr, nullptr, 18, 21, CMD_ATTACK_GROUND);
    ASSERT_GT(world.FramesUntil(300, [&] { return bomber->animType == ANIM_ATTACK; }), 0);
    EXPECT_TRUE(bomber->x == 18 && bomber->y == 21 && !bomber->pathFlag && bomber->actionTargetBuilding == nullptr);
}
