#pragma once
// Eight players on a small map with the test factory, a locale with the messages they show, and a test clock.

#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <tuple>

#include "WorldTestSupport.h"
#include "core/C_Localizer.h"
#include "platform/SysClock.h"
#include "tests/support/PlayerTestObjects.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinderPlayers.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

class PlayerTest : public ::testing::Test
{
protected:
    static constexpr int32_t MapSide = 64;
    static constexpr uint32_t StartTicks = 5000000;

    static void SetUpTestSuite()
    {
        g_Config.logging = 0;
        AllocRangeTables();
        g_TechnologyTree.Init();
    }

    static void TearDownTestSuite() { FreeRangeTables(); g_TechnologyTree.Clear(); }

    void SetUp() override
    {
        m_Saved = std::make_unique<CConfig>(g_Config), m_Log = std::make_unique<CTestLog>();
        g_Config.fogOfWar = 1, g_Config.visibilityMode = 2, g_Config.unitHealthMultiply = 0;
        SysClock::UseTestClock(StartTicks);
        LoadMessages();
        ClearMap(MapSide);
        m_Services = std::make_unique<TestPlayerServices>(), m_Players = std::make_unique<CPlayer[]>(MaxPlayers);
        g_Players = m_Players.get(), g_LocalPlayer = 0;
        m_Records = std::make_unique<CUnitStats[]>(TypeRecordCount), g_UnitStats = m_Records.get();
        InitTypeRecords();
        for (int32_t p = 0; p < MaxPlayers; ++p)
            g_Players[p].Init(p, p, p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER, nullptr);
    }

    void TearDown() override
    {
        m_Players.reset(), g_Players = nullptr, m_Services.reset();
        g_UnitStats = nullptr, m_Records.reset();
        ClearMap(0), g_Localizer.Clear(), SysClock::UseSystemClock();
        g_Config = *m_Saved, m_Log.reset();
    }

    static void ClearMap(int32_t side)
    {
        for (SMapBlock& block : g_GameMap.AllBlocks())
        {
            block.unit = nullptr, block.building = nullptr, block.blocked = 0;
            block.decorationModel = NoDecoration, block.regionId = 0;
        }
        g_GameMap.width = g_GameMap.height = side;
    }

    static void LoadMessages()
    {
        const std::string text = "MSG_WOODNEEDED,\"Wood needed\"\nMSG_STONENEEDED,\"Stone needed\"\n"
                                 "MSG_GOLDNEEDED,\"Gold needed\"\nMSG_BEINGATTACKED,\"Under attack\"\n"
                                 "MSG_PEOPLESTARVING,\"People starving\"\nMSG_PLAYERDEFEATED,\"%s is out\"\n"
                                 "UN_WORKER,\"Worker\"\nUN_MSG_WORKER,\"Worker ready\"\n"
                                 "TC_RAIN_HELL,\"Rain of fire\"\nTC_TECHNOLOGY_RESEARCHED,\"Researched: %s\"\n"
                                 "MSG_NOIDLEUNIT,\"No idle unit\"\nMSG_NOIDLESLAVE,\"No idle worker\"\n";
        ASSERT_TRUE(g_Localizer.LoadLocaleText("test", text.c_str(), int(text.size())));
    }

    CPlayer& Player(int32_t index) { return g_Players[index]; }
    TestPlayerServices& Services() { return *m_Services; }
    const CTestLog& Log() const { return *m_Log; }
    const CScratchFolder& Folder() const { return m_Folder; }
    static const CPathFinderPlayers& Answers() { return CPathFinderPlayers::Default(); }   // the path searches' view

    TestUnit* Create(CPlayer& player, int32_t type, int32_t x = -1, int32_t y = -1)
    {
        return static_cast<TestUnit*>(player.CreateUnit(type, x, y));
    }

    // A finished building of the cast in the player's list.
    TestBuilding* Finish(CPlayer& player, int32_t cast, int32_t x = -1, int32_t y = -1)
    {
        auto* building = static_cast<TestBuilding*>(player.CreateBuilding(cast, x, y));
        player.OnBuildingPlaced(building);
        building->buildProgress = CBuilding::FinishedProgress;
        player.OnBuildingFinished(building);
        return building;
    }

    // A rule's conditions as the tables write them, "B4 T8": a finished building of cast 4, technology 8
    // researched; "Tid-1" is the technology before `id`.  With exactly these met (no other building, no
    // other research) the rule holds, and it fails when any one of them is taken away.
    void ExpectExactlyTheConditions(CPlayer& player, const std::string& conditions, int32_t id,
                                    const std::function<bool()>& holds)
    {
        std::istringstream words(conditions);
        const std::vector<std::string> met{std::istream_iterator<std::string>(words), {}};
        const auto set = [&](const std::string& word, bool on) {
            const int32_t number = word == "Tid-1" ? id - 1 : std::stoi(word.substr(1));
            if (word[0] == 'B')
                player.finishedBuildings[number] = on ? 1 : 0;
            else
                player.technologies[number].progress = on ? CTechnology::ResearchedProgress : 0.0f;
        };
        std::fill(std::begin(player.finishedBuildings), std::end(player.finishedBuildings), 0);
        for (CTechnology& technology : player.technologies) technology.progress = 0.0f;
        for (const std::string& word : met) set(word, true);
        EXPECT_TRUE(holds()) << id << ": " << conditions;
        for (const std::string& word : met)
        {
            set(word, false);
            EXPECT_FALSE(holds()) << id << ": " << conditions << " without " << word;
            set(word, true);
        }
    }

private:
    CScratchFolder m_Folder;
    std::unique_ptr<CTestLog> m_Log;
    std::unique_ptr<CConfig> m_Saved;
    std::unique_ptr<TestPlayerServices> m_Services;
    std::unique_ptr<CPlayer[]> m_Players;
    std::unique_ptr<CUnitStats[]> m_Records;
};
