#include <array>
#include <iterator>
#include <numeric>
#include <random>
#include <utility>

#include "ai/C_UnitList.h"
#include "buildings/C_Building.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "platform/SysClock.h"
#include "tests/support/OffsetRange.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"

namespace
{
// A unit whose traits a test sets and which records what it was told.
class CTargetDummy : public CUnit
{
public:
    float maxHitPoints = 100.0f;
    std::array<float, 3> factors{1.0f, 1.0f, 1.0f};
    bool healable = true;
    int32_t hitEffect = 0, pointValue = 7;
    std::vector<int32_t> hitSounds;
    std::vector<const void*> attackedBy;
    std::vector<std::pair<const CUnit*, int32_t>> targetsLost;   // with the lost unit's order state then
    std::vector<std::vector<float>> corpseDraws;   // die weight, corpse weight, level

    void RenderAt(float die, float corpse, int32_t lit) override { corpseDraws.push_back({die, corpse, float(lit)}); }

    float GetMaxHitPoints() const override { return maxHitPoints; }
    float GetDamageFactorA() const override { return factors[0]; }
    float GetDamageFactorB() const override { return factors[1]; }
    float GetDamageFactorC() const override { return factors[2]; }
    bool IsHealable() const override { return healable; }
    int32_t GetHitEffectKind() const override { return hitEffect; }
    int32_t GetPointValue() const override { return pointValue; }
    void PlayHitSound(int32_t damageType) override { hitSounds.push_back(damageType); }
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override
    {
        attackedBy.push_back(attackerUnit != nullptr ? static_cast<const void*>(attackerUnit)
                                                     : static_cast<const void*>(attackerBuilding));
    }
    void onTargetLost(CUnit* unit, CBuilding*) override { targetsLost.emplace_back(unit, unit->orderState); }
};

struct DamageWorld : ::testing::Test
{
    CSimHarness world;
    CTargetDummy *victim = nullptr, *enemy = nullptr;

    void SetUp() override
    {
        g_Particles.Reset(), victim = static_cast<CTargetDummy*>(world.Adopt(0, new CTargetDummy, 10, 10));
        enemy = static_cast<CTargetDummy*>(world.Adopt(1, new CTargetDummy, 12, 10));
    }
    void TearDown() override { EXPECT_TRUE(world.CheckInvariants().empty()); g_Particles.Reset(); }
};

const int32_t AllTypes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 20, 21, 22, 30, 31, 32, 33, 34, 35};

class UnitLifecycle : public UnitWorldTest
{
protected:
    int32_t Sight(int32_t player)
    {
        const auto& counts = world.Player(player).unitSightCounts;
        return std::accumulate(std::begin(counts), std::end(counts), 0);
    }
};
}  // namespace

TEST_F(DamageWorld, EachDamageTypeUsesItsFactor)
{
    // Factors A = 0.5, B = 0.25, C = 2.0; amount 10 of 100 hit points: A takes 5, B 2.5, C 20 percent
    // points, from a living being and from a machine; 5 and the types outside 1 to 9 take nothing.
    const float taken[][2] = {{0, 0}, {5, 5},     {2.5f, 2.5f}, {2.5f, 20}, {20, 20}, {0, 0},
                              {5, 5}, {2.5f, 20}, {20, 20},     {20, 20},   {0, 0}};
    victim->factors = {0.5f, 0.25f, 2.0f};
    for (int32_t damageType = 0; damageType <= 10; ++damageType)
        for (const bool living : {true, false})
        {
            victim->health = 100.0f, victim->healable = living;
            victim->TakeHit(nullptr, 10, static_cast<TENUMDAMAGETYPE>(damageType), false);
            EXPECT_FLOAT_EQ(victim->health, 100.0f - taken[damageType][living ? 0 : 1]) << damageType << living;
            EXPECT_TRUE(!victim->hitSounds.empty() && victim->hitSounds.back() == damageType) << damageType;
        }
}

TEST_F(DamageWorld, BloodDropsAndDebrisFollowTheHitEffectOnePerPercentPointLost)
{
    victim->hitEffect = 1, victim->TakeHit(enemy, 30, DAMAGE_BLADE, false);
    EXPECT_FLOAT_EQ(victim->health, 70.0f);
    const std::vector<SEffectParticle>& drops = g_Particles.GetEffects();
    ASSERT_EQ(drops.size(), 30u);
    for (size_t i = 0; i < drops.size(); ++i)   // every tenth stains
        EXPECT_TRUE(drops[i].kind == CParticles::KindBlood && drops[i].stain == (i == 0 || i == 10 || i == 20) &&
                    std::abs(drops[i].x - victim->centreX) <= 0.4f + 1e-4f) << "drop " << i;
    // 40 percent points lost: 12 bits of debris each.
    g_Particles.Reset();
    victim->health = 100.0f, victim->hitEffect = 2, victim->TakeHit(nullptr, 40, DAMAGE_BLADE, false);
    victim->hitEffect = 3, victim->TakeHit(nullptr, 40, DAMAGE_BLADE, false);
    const std::vector<SEffectParticle>& debris = g_Particles.GetEffects();
    ASSERT_TRUE(debris.size() == 24u && debris.front().kind == 25 && debris.back().kind == 24);

    // Over many hits both ends of the spread are reached: drops (r(20) - 10) x 0.04 blocks from the
    // centre and r(20) + 40 above the ground, debris (r(40) - 20) x 0.04 and r(20) + 20 above.
    const float ground = g_GameMap.GetHeight(victim->centreX, victim->centreY);
    const struct { int32_t effect, kind, steps; float lowest; } spreads[] = {{1, CParticles::KindBlood, 20, 40.0f},
                                                                             {3, 24, 40, 20.0f}};
    for (const auto& spread : spreads)
    {
        SCOPED_TRACE(spread.kind);
        g_Particles.Reset(), victim->hitEffect = spread.effect;
        for (int32_t hit = 0; hit < 20; ++hit)
            victim->health = 100.0f, victim->TakeHit(nullptr, 90, DAMAGE_BLADE, false);
        SOffsetRange range;
        for (const SEffectParticle& e : g_Particles.GetEffects())
            range.Add(e.x - victim->centreX, e.y - victim->centreY, e.height - ground);
        const float reach = float(spread.steps / 2) * 0.04f;
        for (int32_t i = 0; i < 2; ++i)
            EXPECT_TRUE(std::abs(range.low[i] + reach) < 1e-4f && std::abs(range.high[i] - reach + 0.04f) < 1e-4f)
                << range.low[i] << " to " << range.high[i];
        EXPECT_TRUE(range.low[2] == spread.lowest && range.high[2] == spread.lowest + 19.0f);
    }
}

TEST_F(DamageWorld, StarvingHalfHitPointsTearingAndTheKillersCreditOnce)
{
    // 50 hit points, 20 percent starving: a 1-point hit takes 2 percent points, so 40 living hit points become 39.
    victim->maxHitPoints = 50.0f, victim->starvation = 20.0f, victim->TakeHit(nullptr, 1, DAMAGE_BLADE, false);
    EXPECT_TRUE(victim->health == 98.0f && victim->GetLivingHitPoints() == 39);
    // 100 hit points, 99.5 taken: 0.5 percent left is no whole hit point.
    victim->maxHitPoints = 100.0f, victim->health = 100.0f, victim->factors[0] = 0.995f;
    const int32_t scoreBefore = world.Player(1).score;
    victim->TakeHit(enemy, 100, DAMAGE_BLADE, false);
    EXPECT_TRUE(victim->health == 0.0f && victim->IsDying());
    // A second hit only tells the attacker its target is gone.
    victim->TakeHit(enemy, 100, DAMAGE_BLADE, false);
    EXPECT_TRUE(world.Player(1).statistics[STAT_UNITS_KILLED] == 1 && world.Player(1).score == (scoreBefore + 7) &&
                enemy->targetsLost.size() == 1u && enemy->targetsLost[0].first == victim &&
                victim->hitSounds.size() == 2u);
    // 60 hit points: a lethal blast must take more than 20 percent to tear; a stone never tears.
    const struct { float health; TENUMDAMAGETYPE type; uint8_t torn; } tears[] = {
        {25.0f, DAMAGE_BLAST, 1}, {15.0f, DAMAGE_BLAST, 0}, {25.0f, DAMAGE_STONE, 0}};
    for (const auto& t : tears)
    {
        auto* torn = static_cast<CTargetDummy*>(world.Adopt(0, new CTargetDummy, 20 + t.type, 20 + int(t.health)));
        torn->maxHitPoints = 60.0f, torn->health = t.health, torn->TakeHit(enemy, 60, t.type, false);
        EXPECT_EQ(torn->tornApart, t.torn) << t.health << " type " << t.type;
    }
}

TEST_F(DamageWorld, TheVictimAndItsFollowersStrikeBackOnlyWhenAskedAndOnlyAtALivingShooter)
{
    victim->health = 90.0f;
    victim->ApplyHit(enemy, -50, DAMAGE_BLADE, false);   // a negative amount heals nothing
    EXPECT_FLOAT_EQ(victim->health, 90.0f);
    victim->TakeHit(enemy, 1, DAMAGE_BLADE, false);
    EXPECT_TRUE(victim->attackedBy.empty());
    victim->TakeHit(enemy, 1, DAMAGE_BLADE, true);
    EXPECT_EQ(victim->attackedBy, std::vector<const void*>{enemy});
    // A unit hit from a tower strikes back at the tower.
    CBuildingDouble tower(12, 10, 1, 6);
    g_GameMap.Block(12, 10).building = &tower;
    victim->TakeHit(enemy, 1, DAMAGE_BLADE, true);
    g_GameMap.Block(12, 10).building = nullptr;
    EXPECT_EQ(victim->attackedBy, (std::vector<const void*>{enemy, &tower}));
    // Followers are alerted too, unless the hit before came within ten seconds.
    CTargetDummy* follower = static_cast<CTargetDummy*>(world.Adopt(0, new CTargetDummy, 8, 8));
    follower->followedUnit = victim;
    for (const auto& [wait, alerts] : {std::pair{10000u, 1u}, std::pair{9999u, 1u}, std::pair{10000u, 2u}})
    {
        SysClock::AdvanceTestClock(wait), victim->TakeHit(enemy, 1, DAMAGE_BLADE, false);
        EXPECT_EQ(follower->attackedBy.size(), alerts) << wait;
    }
    // The followers' list is emptied first and counts by type.
    CUnitList followers;
    followers.Add(enemy), victim->CollectFollowers(followers);
    EXPECT_TRUE(followers.GetCount() == 1 && followers.GetAt(0) == follower && followers.GetAt(1) == nullptr &&
                followers.CountOfType(follower->GetCastID()) == 1);
    for (int32_t count = 1; count < 256; ++count) ASSERT_TRUE(followers.Add(enemy));
    EXPECT_FALSE(followers.Add(enemy));   // the 257th
    followers.Clear();
    EXPECT_TRUE(followers.GetCount() == 0 && followers.CountOfType(enemy->GetCastID()) == 0);
    // The victim's player looks around a far shooter with the disc of its size: radius 1, 3 x 3 blocks.
    CTargetDummy* far = static_cast<CTargetDummy*>(world.Adopt(1, new CTargetDummy, 30, 30));
    victim->TakeHit(far, 1, DAMAGE_BLADE, false);
    for (const auto& [dx, dy] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{-1, 0}})
        EXPECT_NE(world.Player(0).exploredMap[(30 + dx) * MapCornerSide + 30 + dy], 0) << dx << "," << dy;
    EXPECT_EQ(world.Player(0).exploredMap[32 * MapCornerSide + 30], 0);
    // A shooter that died while its shot flew still attacked: the owner is
    // alerted again after the quiet minute, and the kill counts.
    victim->attackedBy.clear(), enemy->RemoveFromWorld(false), SysClock::AdvanceTestClock(60000);
    const size_t markers = world.Markers().size();
    victim->TakeHit(enemy, 100, DAMAGE_BLADE, true);
    EXPECT_TRUE(victim->attackedBy.empty() && world.Markers().size() == markers + 3 &&
                world.Player(1).statistics[STAT_UNITS_KILLED] == 1);
}

// A corpse lies whole for the first third of its time, the fallen body fades over the second and the
// remains over the last; then the unit goes to deferred deletion.  A hidden corpse is never drawn.
TEST_F(DamageWorld, ACorpseFadesItsBodyThenItsRemainsAndLetsGoWhenItsTimeIsUp)
{
    auto* body = new CTargetDummy;
    auto* unseen = new CTargetDummy;
    body->centreX = body->centreY = 20.5f, g_Particles.AddCorpse(false, body), g_Particles.AddCorpse(true, unseen);
    const float level = float(world.Player(g_LocalPlayer).GetVisibility(20, 20));
    const struct { int32_t ticksLeft; float dieWeight, corpseWeight; } stages[] = {
        {600, 1.0f, 1.0f}, {450, 1.0f, 1.0f}, {300, 0.5f, 1.0f},  {250, 0.25f, 1.0f},
        {200, 0.0f, 1.0f}, {100, 0.0f, 0.5f}, {50, 0.0f, 0.25f}, {1, 0.0f, 0.005f}};
    for (const auto& stage : stages)
    {
        g_Particles.Update(g_Particles.GetCorpseTicksLeft(body) - stage.ticksLeft);
        body->corpseDraws.clear(), g_Particles.RenderCorpses();
        EXPECT_EQ(body->corpseDraws, (std::vector<std::vector<float>>{{stage.dieWeight, stage.corpseWeight, level}}))
            << stage.ticksLeft;
    }
    EXPECT_TRUE(unseen->corpseDraws.empty() && g_Particles.GetCorpseCount() == 2);
    g_Particles.Update(1);
    EXPECT_TRUE(g_Particles.GetCorpseCount() == 0 && g_PtrGarbage.GetCount() == 2);
}

// The Die animation: 30 frames at 0.6 a tick.
constexpr int32_t DieTicks = 50;

TEST(DamageDeath, AKilledWarriorFallsDecaysAndIsDeletedOnce)
{
    CSimHarness world;
    g_Particles.Reset();
    CUnit *first = world.Spawn(0, UNIT_WARRIOR, 10, 10), *second = world.Spawn(1, UNIT_WARRIOR, 11, 10);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    first->TakeHit(second, 1, DAMAGE_BLADE, true), second->TakeHit(first, 1000, DAMAGE_BLADE, true), world.Frame(1);
    // Dying: still listed, no longer targeted.
    EXPECT_TRUE(second->animType == ANIM_DIE && world.Player(1).HasUnit(second) &&
                first->targetUnit != second && first->attacker != second);
    const int32_t lost = world.Player(1).statistics[STAT_UNITS_LOST];
    world.Frame(DieTicks - 3);
    EXPECT_TRUE(world.Player(1).HasUnit(second));
    world.Frame(4), ExpectWorldSound(world);
    EXPECT_TRUE(second->animType == ANIM_CORPSE && !world.Player(1).HasUnit(second) &&
                world.Player(1).statistics[STAT_UNITS_LOST] == (lost + 1) && !second->IsFootprintRegistered() &&
                g_GameMap.Block(11, 10).unit == nullptr && g_Particles.HoldsCorpse(second) &&
                g_Particles.GetCorpseCount() == 1 && world.DeletedUnits() == 0);
    world.Frame(CParticles::CorpseTicks), ExpectWorldSound(world);
    EXPECT_TRUE(g_Particles.GetCorpseCount() == 0 && world.DeletedUnits() == 1 && !world.IsLive(second) &&
                world.IsLive(first));
    world.Frame(10);
    EXPECT_EQ(world.DeletedUnits(), 1);
}

TEST_F(UnitLifecycle, EveryTypeIsCreatedPlacedHiddenAndRemovedInAnyOrder)
{
    std::vector<CUnit*> units;
    for (int32_t i = 0; i < 22; ++i)
    {
        // Tiles 7 blocks apart hold every footprint (at most 5 x 5) apart.
        const int32_t x = 1 + (i % 6) * 7, y = 1 + (i / 6) * 7;
        // Half appear at once, half are made off the map and shown later.
        CUnit* unit = world.Spawn(i % MaxPlayers, AllTypes[i], i % 2 == 0 ? x : -1, i % 2 == 0 ? y : -1);
        ASSERT_NE(unit, nullptr) << AllTypes[i];
        if (i % 2 != 0)
        {
            EXPECT_FALSE(unit->onMap);
            unit->x = x, unit->y = y, unit->ShowUnit(true);
        }
        EXPECT_EQ(g_GameMap.Block(x, y).unit, unit);
        units.push_back(unit), ExpectWorldSound(world);
    }
    std::mt19937 order(7);
    for (int32_t round = 0; round < 3; ++round)
    {
        std::shuffle(units.begin(), units.end(), order);
        for (CUnit* unit : units) unit->ShowUnit(!unit->onMap), ExpectWorldSound(world);
    }
    std::shuffle(units.begin(), units.end(), order);
    for (CUnit* unit : units) world.Delete(unit), ExpectWorldSound(world);
    for (int32_t p = 0; p < MaxPlayers; ++p) EXPECT_TRUE(world.Player(p).unitCount == 0 && Sight(p) == 0) << p;
    for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
        for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y) ASSERT_EQ(g_GameMap.Block(x, y).unit, nullptr);
}

TEST_F(UnitLifecycle, ShowingTwiceOrOutsideTheMapIsRefusedHidingDropsEveryReferenceAndExtraWaypointsAreDropped)
{
    CTestLog log;
    CUnit* warrior = world.Spawn(0, 2, 10, 10);
    const int32_t sight = Sight(0);
    EXPECT_GT(sight, 0);
    warrior->ShowUnit(true);
    EXPECT_TRUE(log.Count("#DEBUG: ShowUnit called with the same parameter") == 1 &&
                log.Contains("#DEBUG: breakpoint reached") && Sight(0) == sight);
    warrior->ShowUnit(false), warrior->ShowUnit(false);
    EXPECT_TRUE(log.Count("#DEBUG: ShowUnit called with the same parameter") == 2 && Sight(0) == 0);

    CUnit* galley = world.Spawn(0, 11, 44, 44);   // 5 x 5 from 44 reaches 48
    ASSERT_TRUE(galley != nullptr && !galley->onMap && log.Contains("#DEBUG: ShowUnit outside the map") &&
                Sight(0) == 0 && g_GameMap.Block(44, 44).unit == nullptr);
    galley->x = galley->y = 43, galley->ShowUnit(true);
    EXPECT_EQ(g_GameMap.Block(47, 47).unit, galley);
    // Hiding drops every reference before the order state is reset, and ends the walk.
    CUnit* hidden = world.Spawn(1, 2, 10, 10);
    hidden->orderState = 4, hidden->pathFlag = 1, hidden->routeEnd = 12, hidden->retryCounter = 3;
    hidden->awaitingMoveAnswer = 1;
    auto* watcher = static_cast<CTargetDummy*>(world.Adopt(0, new CTargetDummy, -1, -1));
    watcher->actionTargetUnit = watcher->targetUnit = watcher->attacker = watcher->followedUnit = hidden;
    watcher->lastHitTime = 5, hidden->ShowUnit(false);
    EXPECT_EQ(watcher->targetsLost, (std::vector<std::pair<const CUnit*, int32_t>>{{hidden, 4}}));
    EXPECT_TRUE(watcher->actionTargetUnit == nullptr && watcher->targetUnit == nullptr &&
                watcher->attacker == nullptr && watcher->followedUnit == nullptr && watcher->lastHitTime == 0u);
    EXPECT_TRUE(hidden->orderState == 0 && hidden->pathFlag == 0 && hidden->routeEnd == 0 &&
                hidden->retryCounter == 0 && hidden->awaitingMoveAnswer == 0);

    // Waypoints beyond 64 are dropped, and a unit deleted on the map leaves no pointer in its blocks.
    auto* unit = new CUnit(30, 31, 5);
    for (int32_t i = 0; i < 70; ++i) unit->AddWaypoint(i, i + 1);
    EXPECT_TRUE(unit->waypointCount == 64 && unit->waypoints[63][0] == 63 && unit->waypoints[63][1] == 64);
    unit->ShowUnit(true);
    EXPECT_EQ(g_GameMap.Block(30, 31).unit, unit);
    unit->ApplySight(-1);   // its owner's sight map is not the point here
    delete unit;
    EXPECT_EQ(g_GameMap.Block(30, 31).unit, nullptr);
}

// Hiding tells the computer opponents nothing, death tells each once.
TEST_F(UnitLifecycle, RemovingFromTheWorldTwiceChangesNothingTheSecondTime)
{
    g_Config.networkRole = 1;
    CUnit* unit = world.Spawn(0, 2, 10, 10);
    g_Selection.AddUnit(unit, 0), g_Selection.unitUnderCursor = unit;
    for (int32_t p = 0; p < MaxPlayers; ++p) world.Player(p).computerAI.ClearNotices();
    unit->ShowUnit(false), unit->ShowUnit(true), unit->RemoveFromWorld(true);
    EXPECT_TRUE(unit->health == 0.0f && unit->animType == ANIM_DIE && unit->GetLife() == UnitLife::Dying);
    // It dies where it stands.
    EXPECT_TRUE(g_Selection.unitCount == 0 && g_Selection.unitUnderCursor == nullptr && unit->onMap);
    unit->animType = ANIM_CORPSE, unit->RemoveFromWorld(true);
    EXPECT_TRUE(unit->animType == ANIM_CORPSE && SentCommands(CMultiplayerGame::CommandUnitDied) == 1);
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const auto& notices = world.Player(p).computerAI.GetNotices();
        // The local player has no opponent.
        ASSERT_EQ(notices.size(), p == 0 ? 0u : 1u) << p;
        EXPECT_TRUE(p == 0 || (notices[0].kind == CComputerAI::ENotice::ObjectDestroyed && notices[0].object == unit));
    }
    unit->RefreshVisibility();
    EXPECT_EQ(unit->GetLife(), UnitLife::Corpse);
}

TEST_F(UnitLifecycle, StopKeepsAWalkIgnoresTheDeadAndIsBroadcastOnlyByTheOwnerOfAStandingUnit)
{
    g_Config.networkRole = 1;
    CUnit *walker = world.Spawn(0, 2, 10, 10), *own = world.Spawn(0, 2, 14, 14), *remote = world.Spawn(1, 2, 20, 20);
    CUnit* dead = world.Spawn(0, 2, 30, 30);
    g_MultiplayerGame.ClearSent();
    walker->animType = ANIM_WALK, walker->currentCommand = 5, walker->targetUnit = walker, walker->stopped = 0;
    walker->AddWaypoint(3, 3), walker->Stop();
    EXPECT_TRUE(walker->currentCommand == 0 && walker->waypointCount == 0 && walker->targetUnit == nullptr &&
                walker->animType == ANIM_WALK && walker->stopped == 0 && g_MultiplayerGame.GetSent().empty());

    dead->health = 0.0f, dead->currentCommand = 7, dead->animType = ANIM_DIE, dead->Stop();
    EXPECT_TRUE(dead->currentCommand == 7 && dead->animType == ANIM_DIE);

    own->animType = ANIM_ATTACK, own->Stop();
    EXPECT_TRUE(own->animType == ANIM_STAND && own->stopped == 1);
    remote->Stop();
    // The standing unit's new model is broadcast as well (command 34).
    ASSERT_EQ(SentCommands(CMultiplayerGame::CommandUnitStop), 1);
    for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
        EXPECT_TRUE(sent.packet.Command() != CMultiplayerGame::CommandUnitStop || sent.packet.Value(0) == Ref(own));
}

// Only the owner's machine lets a unit die; the others wait for its death command.
TEST_F(UnitLifecycle, TheStepLogsAStarvedDeadUnitAndLeavesRemoteDeathsToTheirOwnerAndStarvationKeepsTheLastHitPoint)
{
    CUnit *unit = world.Spawn(1, UNIT_WARRIOR, 10, 10), *remote = world.Spawn(3, UNIT_WARRIOR, 20, 20);
    CUnit* negative = world.Spawn(0, UNIT_WARRIOR, 30, 30);
    ASSERT_TRUE(unit != nullptr && remote != nullptr && negative != nullptr);
    CTestLog log;
    // 0 living hit points, neither alive nor dying.
    unit->starvation = CUnit::MaxStarvation;
    ASSERT_FALSE(unit->IsAlive() || unit->IsDying());
    negative->animFrame = -5.0f, world.Frame(1);
    for (const char* line : {"#DEBUG: unit log - START", "PlayerID=1", "Pos=10,10", "CastID=2",
                             "#DEBUG: unit log - END", "#DEBUG: Unit Animframe < 0"})
        EXPECT_TRUE(log.Contains(line)) << line;
    EXPECT_TRUE(unit->IsDying() && unit->animType == ANIM_DIE);
    world.Frame(DieTicks);
    EXPECT_TRUE(log.Count("#DEBUG: Invalid animation type for a dead unit") == 1 && g_Particles.HoldsCorpse(unit) &&
                !world.Player(1).HasUnit(unit) && g_GameMap.Block(10, 10).unit == nullptr);
    ExpectWorldSound(world);

    g_Config.networkRole = 2, remote->health = 0.0f;
    world.Frame(1);
    EXPECT_TRUE(log.Count("#DEBUG: Invalid animation type for a dead unit") == 1 && !remote->IsDying());

    // Starvation never takes the last hit point, and healing raises health, but not of the dead nor on another
    // machine: in a network game only the owner's machine heals, and tells the others.
    CTargetDummy dummy;   // 100 hit points
    dummy.starvation = 100.0f;
    EXPECT_FALSE(dummy.IsAlive());
    dummy.starvation = 99.0f;
    EXPECT_TRUE(dummy.GetLivingHitPoints() == 1 && dummy.IsAlive());
    const struct { float health, starvation, added; int32_t living; float after; } starving[] = {
        {100, 0, 50, 95, 5}, {100, 5, -20, 97, 3}, {100, 3, -1000, 100, 0},
        {2, 1, 10, 1, 1},    {100, 95, 1000, 5, 95},   // one hit point is always left
    };
    for (const auto& c : starving)
    {
        dummy.health = c.health, dummy.starvation = c.starvation;
        EXPECT_TRUE(dummy.AddStarvation(c.added) == c.living && dummy.starvation == c.after) << c.added;
    }
    const struct { float health, starvation; bool healed; float after; } healing[] = {
        {50, 20, true, 60}, {95, 0, false, 100}, {100, 0, false, 100}, {0.5f, 0, false, 0.5f}};   // 0.5: dead
    for (const auto& c : healing)
    {
        dummy.health = c.health, dummy.starvation = c.starvation;
        EXPECT_TRUE(dummy.Heal(10.0f) == c.healed && dummy.health == c.after) << c.health;
    }

    CUnit *own = world.Spawn(0, 2, 5, 5), *stranger = world.Spawn(3, 2, 9, 9);
    g_MultiplayerGame.ClearSent(), own->health = stranger->health = 50.0f;
    EXPECT_TRUE(!stranger->Heal(10.0f) && stranger->health == 50.0f);
    EXPECT_TRUE(own->Heal(10.0f) && own->health == 70.0f);   // 10 of the warrior's 50 hit points
    ASSERT_EQ(g_MultiplayerGame.GetSent().size(), 1u);
    const CNetPacket& told = g_MultiplayerGame.GetSent()[0].packet;
    EXPECT_TRUE(told.Command() == CMultiplayerGame::CommandUnitHealth && told.Value(0) == Ref(own) &&
                CNetPacket::ToFloat(told.Value(1)) == 70.0f);
}
