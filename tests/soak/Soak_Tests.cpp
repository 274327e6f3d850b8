#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "tests/soak/Soak.h"
#include "tests/support/WorldInvariants.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"

namespace
{
int64_t EnvironmentNumber(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoll(value) : 0;
}
}  // namespace

// Seeds that found a fault, each played up to the frame where it showed.  Seed 6: a unit captured with an id its new
// owner's units held (frame 54), a ship named the unit it was to put ashore, which the save's link check refused
// (60), a defeated player's keep went without letting its king out (519).  Seed 19: a dying unit took up a fight
// and never died (453).  Seed 93: a dismantled keep went without its king (1446).
TEST(Soak, SeedSixUpToTheDefeatedKeep)
{
    EXPECT_EQ(CSoak(6).Play(520), "");
}

TEST(Soak, SeedNineteenUpToTheDyingFighter)
{
    EXPECT_EQ(CSoak(19).Play(460), "");
}

TEST(Soak, SeedNinetyThreeUpToTheDismantledKeep)
{
    EXPECT_EQ(CSoak(93).Play(1450), "");
}

TEST(Soak, SeedOneForThreeThousandFrames)
{
    EXPECT_EQ(CSoak(1).Play(3000), "");
}

// V2KRN_SOAK_SEED plays that seed for V2KRN_SOAK_FRAMES frames or V2KRN_SOAK_SECONDS seconds (3000 frames without
// either) and prints what it played.
TEST(Soak, SeedFromTheEnvironment)
{
    if (std::getenv("V2KRN_SOAK_SEED") == nullptr)
        GTEST_SKIP() << "V2KRN_SOAK_SEED is not set";
    CSoak soak(uint32_t(EnvironmentNumber("V2KRN_SOAK_SEED")));
    const int64_t frames = EnvironmentNumber("V2KRN_SOAK_FRAMES"), seconds = EnvironmentNumber("V2KRN_SOAK_SECONDS");
    EXPECT_EQ(soak.Play(frames <= 0 && seconds <= 0 ? 3000 : frames, double(seconds)), "");
    const SSoakFigures& figures = soak.Figures();
    std::printf("frames %lld checks %lld round trips %lld\n", (long long)figures.frames, (long long)figures.checks,
                (long long)figures.roundTrips);
    for (const auto& [kind, count] : figures.orders)
        std::printf("order %s %lld\n", kind.c_str(), (long long)count);
    for (const auto& [what, count] : figures.held)
        std::printf("held %s %lld\n", what.c_str(), (long long)count);
}

// Each rule of play broken on its own, on land with deep water from block column 40 on and a shore block column 39
// that both land units and ships may take: the first fault it reports.
TEST(SoakChecks, EachBrokenRuleOfPlayIsReported)
{
    const auto unit = [](int32_t player, int32_t type, int32_t x, int32_t y) {
        return g_Players[player].CreateUnit(type, x, y);
    };
    const auto house = [] {
        CBuilding* built = g_Players[0].CreateBuilding(CastHouse, 10, 10);
        built->Construct(0.0f, true);
        return built;
    };
    const auto keep = [] {
        CBuilding* built = g_Players[0].CreateBuilding(CastKeep, 20, 30);
        built->Construct(0.0f, true);
        return built;
    };
    const struct { std::function<void()> breakRule; std::string fault; } cases[] = {
        {[&] {
             auto* ship = static_cast<CUnitTransportShip*>(unit(0, UNIT_TRANSPORTSHIP, 41, 10));
             CUnit* aboard = unit(0, UNIT_WARRIOR, 30, 10);
             ship->AcceptGarrison(aboard);
         },
         "cargo unit of player 0 with id 1 of type 2 stands on the map"},
        {[&] {
             CUnit* dying = unit(0, UNIT_WARRIOR, 30, 10);
             dying->RemoveFromWorld(false);
             dying->animType = ANIM_ATTACK;
         },
         "unit of player 0 with id 0 of type 2 dies without playing its death"},
        {[&] { house(), unit(0, UNIT_WARRIOR, 11, 11); },
         "unit of player 0 with id 0 of type 2 stands on a building's solid block at 11,11"},
        {[&] { unit(1, UNIT_WARRIOR, 44, 10); }, "unit of player 1 with id 0 of type 2 stands in deep water at 44,10"},
        {[&] { unit(2, UNIT_TRANSPORTSHIP, 37, 10); },
         "unit of player 2 with id 0 of type 7 stands on land at 37,10"},
        {[&] { unit(0, UNIT_WARRIOR, 30, 10), unit(0, UNIT_KNIGHT, 30, 12)->uniqueId = 0; },
         "player 0 holds two living units with id 0"},
        {[&] { keep()->garrisonedUnit = unit(0, UNIT_KING, 30, 10); },
         "the king of the keep at 20,30 stands on the map"},
        {[&] { keep()->garrisonedUnit = unit(3, UNIT_KING, -1, -1); }, "the king of player 0's keep is of player 3"},
        {[&] { house(), g_GameMap.Block(12, 11).building = nullptr; },
         "a building of player 0 lost its block at 12,11"},
        {[&] { unit(0, UNIT_WARRIOR, 39, 20), unit(0, UNIT_TRANSPORTSHIP, 39, 30); }, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fault.empty() ? "a warrior and a ship on the shore" : c.fault);
        CSimHarness world;
        for (int32_t x = 40; x <= CSimHarness::DefaultMapSide; ++x)
            for (int32_t y = 0; y <= CSimHarness::DefaultMapSide; ++y)
                g_GameMap.CornerHeight(x, y) = x == 40 ? -21 : -30;
        g_GameMap.UpdateArea(0, 0, -1, -1);
        c.breakRule();
        const std::vector<std::string> faults = WorldInvariants::CheckPlay();
        EXPECT_EQ(faults.empty() ? "" : faults.front(), c.fault);
    }
}
