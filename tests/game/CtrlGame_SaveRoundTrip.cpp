// A running game saved and loaded through the in-game controller: two
// players fighting, units walking, a building researching and a corpse
// decaying.  The save of a loaded game equals the save it was loaded from,
// and a loaded game plays on exactly as the original does.
//
// The warriors are test walkers (the game's own warriors walk and fight
// nowhere yet); they fight by a fixed rule of the test: every few frames each
// warrior hits the first enemy next to it through the game's own hits.
// What the save leaves out is made equal in both runs instead of being
// compared: the random generator is seeded again at the save point, and the
// loaded game's clock is set to the original's time of saving (the
// starvation deadline is stored relative to it, the last hit time not at
// all).  Nobody follows anybody and nobody of the two fighting sides has died
// at the save point, so the follow countdowns are idle and the unique ids
// the players hand out again on loading are the ones the units had.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "platform/SysClock.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr uint32_t kSeedAfterSavePoint = 77;
constexpr int32_t kFramesBeforeSave = 40;
constexpr int32_t kFramesAfterSave = 100;
constexpr int32_t kFramesPerBlow = 4;
constexpr int32_t kBlow = 6;
constexpr int32_t kMeleeDamage = 1;
constexpr int32_t kResearchedTechnology = 0;
// Frames from the killing blow to the corpse, with room to spare.
constexpr int32_t kLongestDeath = 100;
constexpr int32_t kWalkingPlayer = 3;
constexpr int32_t kDeadPlayer = 2;

struct SRunResult
{
    std::vector<uint8_t> atSavePoint;
    std::vector<uint8_t> afterFrames;
    uint32_t clockAtSavePoint = 0;
};

struct SProgress
{
    float lowestHealth = CUnit::FullHealth;
    int32_t walkerX = 0;
    float research = 0.0f;
};

// Every living warrior of the two fighting sides hits the first living
// enemy beside it, in list order.
void FightRule(CSimHarness& world)
{
    for (int32_t side = 0; side < 2; ++side)
    {
        CPlayer& own = world.Player(side);
        CPlayer& enemy = world.Player(1 - side);
        for (int32_t i = 0; i < own.unitCount; ++i)
        {
            CUnit* unit = own.units[i];
            if (!unit->IsAlive() || unit->IsDying())
                continue;
            for (int32_t j = 0; j < enemy.unitCount; ++j)
            {
                CUnit* target = enemy.units[j];
                if (target->IsAlive() && !target->IsDying() && std::abs(target->x - unit->x) <= 1 &&
                    std::abs(target->y - unit->y) <= 1)
                {
                    target->TakeHit(unit, kBlow, kMeleeDamage, true);
                    break;
                }
            }
        }
    }
}

void PlayFrames(CSimHarness& world, int32_t frames)
{
    for (int32_t frame = 1; frame <= frames; ++frame)
    {
        CSaveGameRun::Frame(world);
        if (frame % kFramesPerBlow == 0)
            FightRule(world);
    }
}

// Player 2's only warrior dead already; three warriors a side marching at
// each other; player 3's warrior walking across the map; a blacksmith
// researching.
void BuildBattle(CSimHarness& world)
{
    CUnit* doomed = world.Spawn(kDeadPlayer, UNIT_WARRIOR, 40, 4);
    ASSERT_NE(doomed, nullptr);
    doomed->TakeHit(nullptr, 100000, kMeleeDamage, false);
    for (int32_t frame = 0; frame < kLongestDeath && g_Particles.GetCorpseCount() == 0; ++frame)
        CSaveGameRun::Frame(world);
    ASSERT_EQ(g_Particles.GetCorpseCount(), 1);

    std::vector<CUnit*> west;
    std::vector<CUnit*> east;
    for (int32_t i = 0; i < 3; ++i)
    {
        west.push_back(world.Spawn(0, UNIT_WARRIOR, 8, 10 + 3 * i));
        east.push_back(world.Spawn(1, UNIT_WARRIOR, 20, 10 + 3 * i));
        ASSERT_NE(west.back(), nullptr);
        ASSERT_NE(east.back(), nullptr);
    }
    for (size_t i = 0; i < 3; ++i)
    {
        west[i]->onCommand(east[i], nullptr, nullptr, east[i]->x, east[i]->y, CMD_ATTACK);
        east[i]->onCommand(west[i], nullptr, nullptr, west[i]->x, west[i]->y, CMD_ATTACK);
    }
    CUnit* walker = world.Spawn(kWalkingPlayer, UNIT_WARRIOR, 4, 40);
    ASSERT_NE(walker, nullptr);
    walker->onCommand(nullptr, nullptr, nullptr, 44, 40, CMD_MOVE_TO);

    CBuilding* smithy = world.Player(0).CreateBuilding(CastBlacksmith, 30, 26);
    ASSERT_NE(smithy, nullptr);
    smithy->buildProgress = CBuilding::FinishedProgress;
    smithy->BuildingFinished();
    world.Player(0).AddResources(5000, 5000, 5000);
    ASSERT_EQ(smithy->StartResearch(kResearchedTechnology), 1);
    g_Selection.AddUnit(west[0], 0);
    west[1]->controlGroup = 3;
    world.Player(0).controlGroupCounts[2] = 1;
}

int32_t LivingUnits(CSimHarness& world, int32_t player)
{
    int32_t living = 0;
    for (int32_t i = 0; i < world.Player(player).unitCount; ++i)
        living += world.Player(player).units[i]->IsAlive() ? 1 : 0;
    return living;
}

SProgress Progress(CSimHarness& world)
{
    SProgress progress;
    for (int32_t p = 0; p < 2; ++p)
        for (int32_t i = 0; i < world.Player(p).unitCount; ++i)
            progress.lowestHealth = std::min(progress.lowestHealth, world.Player(p).units[i]->health);
    progress.walkerX = world.Player(kWalkingPlayer).units[0]->x;
    progress.research = world.Player(0).technologies[kResearchedTechnology].progress;
    return progress;
}

void PlayOn(CSimHarness& world)
{
    GlobalFunc::SeedRandom(kSeedAfterSavePoint);
    PlayFrames(world, kFramesAfterSave);
}

SRunResult RunOriginal()
{
    SRunResult result;
    // Built first so that it outlives the harness, which takes it out.
    CSaveGameRun::CWalkerServices walkers;
    CSimHarness world;
    SetPlayerServices(&walkers);
    CSaveGameRun::UseSaveLanguage();
    BuildBattle(world);
    PlayFrames(world, kFramesBeforeSave);
    EXPECT_EQ(LivingUnits(world, 0), 3);
    EXPECT_EQ(LivingUnits(world, 1), 3);
    EXPECT_EQ(g_Particles.GetCorpseCount(), 1);
    result.clockAtSavePoint = SysClock::TickCount();
    result.atSavePoint = CSaveGameRun::SaveDrawn();

    const SProgress before = Progress(world);
    PlayOn(world);
    const SProgress after = Progress(world);
    EXPECT_LT(after.lowestHealth, before.lowestHealth) << "nobody fought";
    EXPECT_NE(after.walkerX, before.walkerX) << "the walker stood";
    EXPECT_GT(after.research, before.research) << "the research stood";
    result.afterFrames = CSaveGameRun::SaveDrawn();
    return result;
}

size_t FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    return at;
}
}  // namespace

TEST(CtrlGameSave, LoadedGameSavesTheSameBytesAndPlaysOnAsTheOriginal)
{
    const SRunResult original = RunOriginal();
    ASSERT_FALSE(original.atSavePoint.empty());

    CSaveGameRun::CWalkerServices walkers;
    CSimHarness fresh;
    SetPlayerServices(&walkers);
    CSaveGameRun::UseSaveLanguage();
    SysClock::UseTestClock(original.clockAtSavePoint);
    ASSERT_TRUE(CSaveGameRun::Load(original.atSavePoint));
    const std::vector<uint8_t> again = CSaveGameRun::SaveDrawn();
    EXPECT_EQ(FirstDifference(again, original.atSavePoint), original.atSavePoint.size());
    EXPECT_EQ(again.size(), original.atSavePoint.size());

    EXPECT_EQ(LivingUnits(fresh, 0), 3);
    EXPECT_EQ(LivingUnits(fresh, 1), 3);
    EXPECT_EQ(g_Particles.GetCorpseCount(), 1);
    EXPECT_EQ(g_Selection.unitCount, 1);
    EXPECT_EQ(fresh.Player(0).units[1]->controlGroup, 3);

    PlayOn(fresh);
    const std::vector<uint8_t> loadedAfterFrames = CSaveGameRun::SaveDrawn();
    EXPECT_EQ(FirstDifference(loadedAfterFrames, original.afterFrames), original.afterFrames.size());
    EXPECT_EQ(loadedAfterFrames.size(), original.afterFrames.size());
}

TEST(CtrlGameSave, CorpseOfTheLoadedGameIsDeletedAtTheSameFrame)
{
    std::vector<uint8_t> save;
    int32_t framesToDecay = 0;
    {
        CSimHarness world;
        CSaveGameRun::UseSaveLanguage();
        CUnit* doomed = world.Spawn(kDeadPlayer, UNIT_WARRIOR, 20, 20);
        ASSERT_NE(doomed, nullptr);
        doomed->TakeHit(nullptr, 100000, kMeleeDamage, false);
        for (int32_t frame = 0; frame < kLongestDeath && g_Particles.GetCorpseCount() == 0; ++frame)
            CSaveGameRun::Frame(world);
        ASSERT_EQ(g_Particles.GetCorpseCount(), 1);
        CSaveGameRun::Frame(world);
        save = CSaveGameRun::Save();
        while (g_Particles.GetCorpseCount() == 1 && framesToDecay < CParticles::CorpseTicks)
        {
            CSaveGameRun::Frame(world);
            ++framesToDecay;
        }
        ASSERT_EQ(g_Particles.GetCorpseCount(), 0);
    }
    CSimHarness fresh;
    CSaveGameRun::UseSaveLanguage();
    ASSERT_TRUE(CSaveGameRun::Load(save));
    ASSERT_EQ(g_Particles.GetCorpseCount(), 1);
    for (int32_t frame = 1; frame < framesToDecay; ++frame)
        CSaveGameRun::Frame(fresh);
    EXPECT_EQ(g_Particles.GetCorpseCount(), 1);
    CSaveGameRun::Frame(fresh);
    EXPECT_EQ(g_Particles.GetCorpseCount(), 0);
}

// A tower deletes its archers with itself and a building its waiting unit;
// taking the running game apart must not delete them a second time.
TEST(CtrlGameSave, LoadingOverMannedTowersFreesEveryObjectOnce)
{
    std::vector<uint8_t> plain;
    {
        CSimHarness world;
        CSaveGameRun::UseSaveLanguage();
        ASSERT_NE(world.Spawn(1, UNIT_WARRIOR, 10, 10), nullptr);
        plain = CSaveGameRun::Save();
    }
    CSimHarness world;
    CSaveGameRun::UseSaveLanguage();
    CBuilding* tower = world.Player(0).CreateBuilding(CastTower, 20, 20);
    ASSERT_NE(tower, nullptr);
    auto* manned = dynamic_cast<CBuildingTower*>(tower);
    ASSERT_NE(manned, nullptr);
    ASSERT_TRUE(manned->AddArcher(0));
    ASSERT_TRUE(manned->AddArcher(1));
    CBuilding* smithy = world.Player(0).CreateBuilding(CastBlacksmith, 30, 30);
    ASSERT_NE(smithy, nullptr);
    smithy->productionUnit = world.Spawn(0, UNIT_WARRIOR, -1, -1);
    ASSERT_NE(smithy->productionUnit, nullptr);

    ASSERT_TRUE(CSaveGameRun::Load(plain));
    EXPECT_EQ(world.Player(0).unitCount, 0);
    EXPECT_EQ(world.Player(0).towerArchers.GetCount(), 0);
    EXPECT_EQ(world.Player(1).unitCount, 1);
}

// The archers are saved as units; the tower gives them back to itself and to
// its owner's archer list.
TEST(CtrlGameSave, AMannedTowerComesBackWithItsArchers)
{
    CSimHarness world;
    CSaveGameRun::UseSaveLanguage();
    auto* tower = dynamic_cast<CBuildingTower*>(world.Player(0).CreateBuilding(CastTower, 20, 20));
    ASSERT_NE(tower, nullptr);
    ASSERT_TRUE(tower->AddArcher(0));
    ASSERT_TRUE(tower->AddArcher(1));
    const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();

    ASSERT_TRUE(CSaveGameRun::Load(save));
    auto* loaded = dynamic_cast<CBuildingTower*>(g_GameMap.Block(20, 20).building);
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->archerCount, 2);
    EXPECT_EQ(world.Player(0).towerArchers.GetCount(), 2);
    for (int32_t i = 0; i < loaded->archerCount; ++i)
        EXPECT_EQ(loaded->archers[i]->GetCastID(), UNIT_TOWERARCHER);
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), save);
}
