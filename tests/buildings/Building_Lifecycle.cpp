// Every building cast, resource kind, tree variant and decoration kind made
// through its player's create operations, then hidden, shown, finished and
// taken down in a shuffled order, with the map and the counters checked
// after every step.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "buildings/C_Building.h"
#include "tests/buildings/BuildingWorld.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t MapSide = 128;
constexpr int32_t Spacing = 9;   // footprints are at most 7 x 7
constexpr int32_t SlotsPerRow = (MapSide - 1) / Spacing;

const int32_t BuildingCasts[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15};

enum class Step
{
    Hide,
    Show,
    Finish,
    TakeDown,
};

class BuildingLifecycle : public ::testing::Test
{
protected:
    static int32_t SlotX(int32_t slot) { return 1 + (slot % SlotsPerRow) * Spacing; }
    static int32_t SlotY(int32_t slot) { return 1 + (slot / SlotsPerRow) * Spacing; }

    void CreateEverything()
    {
        int32_t slot = 0;
        for (int32_t cast : BuildingCasts)
        {
            const int32_t owner = slot % MaxPlayers;
            CBuilding* building = m_World.Player(owner).CreateBuilding(cast, SlotX(slot), SlotY(slot));
            ASSERT_NE(building, nullptr) << cast;
            ASSERT_TRUE(building->placed) << cast;
            m_World.Track(building, true, true);
            EXPECT_BUILDINGS_SOUND(m_World);
            ++slot;
        }
        for (int32_t kind = 1; kind <= 4; ++kind)
            for (int32_t variant = 1; variant <= (kind == 2 ? 8 : 1); ++variant)
            {
                CBuilding* site = m_World.Player(slot % MaxPlayers).CreateResource(kind, SlotX(slot), SlotY(slot), 50,
                                                                                   variant);
                ASSERT_NE(site, nullptr) << kind;
                m_World.Track(site, true, false);
                EXPECT_BUILDINGS_SOUND(m_World);
                ++slot;
            }
        for (int32_t kind = 1; kind <= 79; ++kind)
        {
            if (kind >= 24 && kind <= 26)
                continue;
            CBuilding* decoration = m_World.Player(slot % MaxPlayers).CreateDecorationBuilding(kind, SlotX(slot),
                                                                                                SlotY(slot));
            ASSERT_NE(decoration, nullptr) << kind;
            m_World.Track(decoration, true, false);
            EXPECT_BUILDINGS_SOUND(m_World);
            ++slot;
        }
        ASSERT_LE(slot, SlotsPerRow * SlotsPerRow);
        m_Made = slot;
    }

    void Apply(CBuilding* building, Step step)
    {
        STrackedBuilding* tracked = m_World.Find(building);
        ASSERT_NE(tracked, nullptr);
        switch (step)
        {
        case Step::Hide:
            building->RemoveFromMap();
            tracked->onMap = false;
            break;
        case Step::Show:
            if (building->PlaceOnMap())
            {
                tracked->onMap = true;
                // An owner counts a building from its first placing on.
                tracked->counted = tracked->counted || (building->owner >= 0 && building->owner < MaxPlayers);
            }
            break;
        case Step::Finish:
            if (!tracked->counted || building->IsFinished())
                break;
            building->buildProgress = CBuilding::FinishedProgress;
            building->OnFinished();
            // Sites and decorations have no completion of their own.
            tracked->finished = building->GetBuildCast() != 10 && building->GetBuildCast() != 18;
            if (!tracked->finished)
                building->buildProgress = CBuilding::StartProgress;
            break;
        case Step::TakeDown:
            building->TakeDown(true);
            break;
        }
    }

    BuildingWorld m_World{MapSide};
    int32_t m_Made = 0;
};
}  // namespace

TEST_F(BuildingLifecycle, EveryObjectIsCreatedHiddenShownAndTakenDownInAnyOrder)
{
    CreateEverything();
    ASSERT_EQ(m_Made, 13 + 11 + 76);

    std::vector<std::pair<CBuilding*, Step>> steps;
    for (int32_t i = 0; i < m_Made; ++i)
    {
        CBuilding* building = g_GameMap.Block(SlotX(i), SlotY(i)).building;
        if (building == nullptr)
        {
            // A decoration whose mask leaves its corner free.
            for (int32_t dx = 0; dx < 7 && building == nullptr; ++dx)
                for (int32_t dy = 0; dy < 7 && building == nullptr; ++dy)
                    building = g_GameMap.Block(SlotX(i) + dx, SlotY(i) + dy).building;
        }
        ASSERT_NE(building, nullptr) << i;
        for (Step step : {Step::Hide, Step::Show, Step::Finish, Step::Hide, Step::Show, Step::Hide, Step::TakeDown})
            steps.emplace_back(building, step);
    }
    std::mt19937 shuffle(20261206u);
    std::shuffle(steps.begin(), steps.end(), shuffle);

    int32_t done = 0;
    for (const auto& [building, step] : steps)
    {
        if (m_World.Find(building) == nullptr)
            continue;   // already taken down and freed
        Apply(building, step);
        const std::vector<std::string> faults = m_World.CheckInvariants();
        ASSERT_TRUE(faults.empty()) << "after step " << done << ": " << faults.front();
        if (++done % 50 == 0)
            m_World.Flush();
    }
    m_World.Flush();

    // Every object is gone: the map, the tilt map, the sight and the
    // counters are as on an empty map.
    for (int32_t x = 0; x < MapSide; ++x)
        for (int32_t y = 0; y < MapSide; ++y)
            ASSERT_EQ(g_GameMap.Block(x, y).building, nullptr);
    EXPECT_TRUE(std::all_of(g_GameMap.aiTiltMap, g_GameMap.aiTiltMap + MapBlockCount,
                            [](uint8_t cell) { return cell == 0; }));
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& player = m_World.Player(p);
        EXPECT_TRUE(std::all_of(player.buildingSightCounts, player.buildingSightCounts + MapBlockCount,
                                [](uint8_t cell) { return cell == 0; }));
        EXPECT_EQ(player.buildingCount, 0);
        for (int32_t cast = 0; cast < BuildCastCount; ++cast)
        {
            EXPECT_EQ(player.buildingsUnderConstruction[cast], 0);
            EXPECT_EQ(player.finishedBuildings[cast], 0);
        }
    }
}
