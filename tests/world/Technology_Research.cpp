#include <cstring>
#include <map>
#include <set>

#include "Player_Fixture.h"

using TechnologyTree = PlayerTest;
using TechnologyResearch = PlayerTest;

TEST_F(TechnologyTree, EnablingOrMarkingPrerequisitesReachesTheWholeChainWithoutEffects)
{
    const std::set<int32_t> enabled = {43, 42, 29, 8, 55, 54, 53};
    const std::set<int32_t> researched = {25, 24, 23, 8, 29, 53};
    CPlayer& player = Player(2);
    player.SetTechnologyEnabled(43), player.MarkPrerequisitesResearched(25);
    for (int32_t id = 0; id < TechnologyCount; ++id)
        EXPECT_EQ(std::pair(size_t(player.technologies[id].enabled), player.IsResearched(id)),
                  std::pair(enabled.count(id), researched.count(id) == 1)) << id;
    // Ids out of range are refused with a log line.
    player.SetTechnologyEnabled(61), player.MarkPrerequisitesResearched(-1);
    EXPECT_FALSE(player.IsTechnologyAvailable(-5));
    player.OnTechnologyResearched(99);
    for (const char* id : {"61", "-1", "-5", "99"})
        EXPECT_TRUE(Log().Contains(std::string("Invalid technology id: ") + id)) << id;
    EXPECT_EQ(player.score, 0);
}

TEST_F(TechnologyResearch, ResearchFinishesOnceTheSpellIsSpentWhenCastAndEffectsRefreshSightAndShips)
{
    CPlayer& player = Player(1);
    CTechnology& technology = player.technologies[13];   // rate 0.05
    technology.StartResearch(Finish(player, 4));
    EXPECT_EQ(technology.AdvanceResearch(1000.0f), EResearchStep::Running);
    EXPECT_FLOAT_EQ(technology.progress, 50.0f);
    EXPECT_TRUE(technology.AdvanceResearch(1000.0f) == EResearchStep::FinishedNow && !technology.researchingBuilding &&
                technology.AdvanceResearch(1000.0f) == EResearchStep::AlreadyFinished &&
                !Log().Contains("#DEBUG: Invalid technology!"));
    player.technologies[6].StartResearch(Finish(Player(2), 11));   // another player's building
    EXPECT_TRUE(Log().Contains("#DEBUG: Invalid technology!"));
    player.SetTechnologyEnabled(52), player.technologies[51].progress = 100.0f;
    EXPECT_EQ(player.GetRainHellSpell(nullptr), nullptr);
    player.technologies[52].StartResearch(Finish(player, 15));
    EXPECT_FALSE(player.IsTechnologyAvailable(52));   // being researched
    while (player.technologies[52].AdvanceResearch(100.0f) == EResearchStep::Running)
        continue;
    int32_t power = 0;
    EXPECT_TRUE(player.GetRainHellSpell(&power) == GetTechnologyRecord(52) && power == 4);
    player.ClearRainHell();
    EXPECT_TRUE(player.GetRainHellSpell(nullptr) == nullptr && player.IsTechnologyAvailable(52));
    TestUnit* archer = Create(player, 3);
    TestUnit* galley = Create(player, 11);
    galley->speed = 2.0f;
    TestBuilding* tower = Finish(player, 6);
    for (int32_t id : {24, 33, 37, 45}) player.OnTechnologyResearched(id);
    EXPECT_TRUE(Services().sightRefreshed == (std::vector<CUnit*>{archer, galley}) &&
                Services().archerRefreshed == std::vector<CBuilding*>{tower} &&
                player.computerAI.GetNotices().back().value == 45);
    EXPECT_FLOAT_EQ(galley->speed, 2.2f);
}

// The type records: texts from the locale (a key it lacks gives "*error*") or fixed, and the health option that
// triples units but the demolition man, and never buildings.
TEST_F(TechnologyTree, TypeRecordsTakeTheirTextsAndTheHealthOption)
{
    g_Config.unitHealthMultiply = 1;
    InitTypeRecords();
    EXPECT_TRUE(g_UnitStats[0].hitPoints == 90 && g_UnitStats[11].hitPoints == 20 && g_UnitStats[25].hitPoints == 400);
    EXPECT_EQ((std::vector<std::string>{g_UnitStats[13].name, g_UnitStats[0].name, g_UnitStats[1].name}),
              (std::vector<std::string>{"Quib", "Worker", "*error*"}));
    EXPECT_TRUE(g_UnitStats[0].message == "Worker ready" &&
                GetTechnologyRecord(52)->message == "Researched: Rain of fire" && GetTechnologyRecord(61) == nullptr);
}

// Every row of the type record tables.  The locale shows each key as itself, so that the names and
// messages name their keys; the heroes carry fixed texts.
TEST_F(TechnologyTree, EveryTypeRecordHoldsItsRowOfTheTables)
{
    // A record's index, its name and its numbers in its table's order.
    using Numbers = std::vector<float>;
    using Row = std::tuple<int32_t, const char*, Numbers>;
    // Units: type, wood, gold, stone, hit points, attack, range, sight, the three damage factors, the producing cast,
    // icon and rate.
    const Row units[] = {
        {0, "UN_WORKER", {1, 40, 0, 0, 30, 0, 1, 6, 1, 1, 1, 11, 27, 0.5f}},
        {1, "UN_WARRIOR", {2, 50, 0, 0, 50, 8, 1, 8, 1, 1, 1, 2, 28, 0.3f}},
        {2, "UN_ARCHER", {3, 30, 20, 0, 40, 5, 8, 10, 2, 1, 1, 2, 29, 0.3f}},
        {3, "UN_TOWERARCHER", {8, 50, 30, 0, 40, 0, 0, 0, 0, 0, 0, 6, 30, 0.3f}},
        {4, "UN_CATAPULT", {4, 250, 80, 0, 70, 30, 14, 16, 1, 0.8f, 1, 1, 31, 0.08f}},
        {5, "UN_LIGHTCAVALRY", {6, 80, 50, 0, 65, 14, 1, 11, 1, 1, 1, 2, 33, 0.2f}},
        {6, "UN_TRANSPORTSHIP", {7, 300, 0, 0, 120, 0, 1, 12, 1, 0.9f, 1, 13, 34, 0.1f}},
        {7, "UN_PRIEST", {5, 0, 200, 0, 30, 3, 12, 14, 1, 1, 1, 8, 32, 0.2f}},
        {8, "UN_CROSSBOWMAN", {9, 60, 50, 0, 50, 6, 9, 10, 1.6f, 0.7f, 1, 2, 35, 0.25f}},
        {9, "UN_KNIGHT", {10, 70, 90, 0, 70, 18, 1, 10, 0.8f, 0.3f, 1, 2, 36, 0.15f}},
        {10, "UN_WARGALLEY", {11, 300, 50, 0, 400, 35, 14, 16, 1, 0.7f, 1, 13, 37, 0.08f}},
        {11, "UN_DEMOLISHMAN", {12, 200, 100, 0, 20, 300, 1, 8, 1, 1, 1, 1, 38, 0.1f}},
        {12, "UN_HEAVYCAVALRY", {13, 90, 120, 0, 80, 28, 1, 12, 0.8f, 0.6f, 1, 2, 39, 0.15f}},
        {13, "Quib", {30, 200, 100, 0, 8000, 250, 14, 16, 0, 0, 0, 0, 40, 0.1f}},
        {14, "Warhound", {31, 200, 100, 0, 8000, 40, 14, 16, 0, 0, 0, 0, 41, 0.1f}},
        {15, "Gunslinger", {32, 200, 100, 0, 8000, 40, 14, 16, 0, 0, 0, 0, 42, 0.1f}},
        {16, "UN_KING", {33, 0, 0, 0, 60, 0, 1, 8, 1, 1, 1, 0, 43, 0}},
        {18, "UN_SETTLER", {34, 0, 0, 0, 120, 0, 1, 8, 1, 1, 1, 0, 45, 0}},
        {21, "UN_HEROCAVALRY", {35, 90, 120, 0, 120, 30, 1, 12, 0.7f, 0.6f, 1, 0, 48, 0.15f}},
        {22, "UN_GIANT", {20, 400, 300, 0, 300, 32, 1, 8, 0.8f, 0.9f, 1, 15, 49, 0.2f}},
        {23, "UN_DEMON", {21, 100, 300, 0, 50, 30, 12, 14, 1, 1, 1, 15, 50, 0.2f}},
        {24, "UN_UNDEAD", {22, 200, 100, 0, 40, 10, 1, 7, 0.8f, 0.6f, 1, 15, 51, 0.2f}},
    };
    // Buildings: cast, wood, gold, stone, hit points, the three damage factors, icon and rate.
    const Row buildings[] = {
        {25, "BD_HOUSE", {5, 60, 0, 0, 400, 0.4f, 0.2f, 1, 53, 3}},
        {26, "BD_WAREHOUSE", {7, 50, 0, 0, 300, 0.4f, 0.2f, 1, 57, 6}},
        {27, "BD_BARRACKS", {2, 200, 0, 200, 1200, 0.4f, 0.2f, 1, 54, 0.8f}},
        {28, "BD_BLACKSMITH", {4, 300, 0, 100, 1000, 0.4f, 0.2f, 1, 58, 1.2f}},
        {29, "BD_TOWER", {6, 50, 30, 160, 1000, 0.2f, 0.1f, 1, 56, 1.8f}},
        {30, "BD_WALL", {9, 0, 0, 5, 1200, 0.2f, 0.1f, 1, 62, 12}},
        {31, "BD_CASTLE", {1, 600, 0, 800, 2000, 0.2f, 0.1f, 1, 52, 0.5f}},
        {32, "BD_MONASTERY", {8, 200, 0, 300, 800, 0.4f, 0.2f, 1, 59, 1.6f}},
        {33, "BD_TRAP", {12, 50, 0, 0, 5, 1, 1, 1, 63, 12}},
        {34, "BD_DOCKS", {13, 500, 0, 0, 800, 0.4f, 0.2f, 1, 64, 1.4f}},
        {35, "BD_KEEP", {11, 600, 0, 0, 1200, 0.4f, 0.2f, 1, 60, 0.6f}},
        {36, "BD_STRONGHOLD", {11, 400, 0, 600, 1600, 0.2f, 0.1f, 1, 61, 0.5f}},
        {37, "BD_ALCHEMY", {3, 400, 500, 600, 1200, 0.4f, 0.2f, 1, 55, 0.7f}},
        {38, "BD_DARKALTAR", {15, 800, 500, 1000, 1600, 0.6f, 0.2f, 1, 65, 0.4f}},
    };
    // Technology id t is record 39 + t; the icons run from 118 in id order.  Wood, gold, stone, the researching cast
    // and rate.
    const std::pair<const char*, Numbers> technologies[] = {
        {"TC_HARVEST_WOOD_1", {100, 0, 0, 11, 0.5f}}, {"TC_HARVEST_WOOD_2", {200, 0, 0, 11, 0.3f}},
        {"TC_HARVEST_WOOD_3", {500, 100, 0, 11, 0.1f}}, {"TC_MINE_1", {200, 0, 50, 11, 0.4f}},
        {"TC_MINE_2", {400, 100, 50, 11, 0.3f}}, {"TC_CARRY_1", {100, 0, 0, 11, 0.5f}},
        {"TC_CARRY_2", {200, 0, 0, 11, 0.3f}}, {"TC_CARRY_3", {400, 100, 0, 11, 0.1f}},
        {"TC_TRONGHOLD", {1000, 1000, 1500, 11, 0.05f}}, {"TC_BUILDSPD_1", {200, 0, 0, 11, 0.3f}},
        {"TC_BUILDSPD_2", {300, 100, 50, 11, 0.2f}}, {"TC_ATTACK_C_1", {200, 0, 0, 4, 0.3f}},
        {"TC_ATTACK_C_2", {100, 200, 0, 4, 0.1f}}, {"TC_ATTACK_C_3", {0, 600, 0, 4, 0.05f}},
        {"TC_DEFENSE_C_1", {200, 0, 0, 4, 0.3f}}, {"TC_DEFENSE_C_2", {0, 500, 0, 4, 0.1f}},
        {"TC_DEFENSE_C_3", {0, 800, 0, 4, 0.05f}}, {"TC_DEFENSE_R_1", {200, 0, 0, 4, 0.2f}},
        {"TC_DEFENSE_R_2", {0, 300, 0, 4, 0.1f}}, {"TC_DEFENSE_R_3", {0, 800, 0, 4, 0.05f}},
        {"TC_ATTACK_R_1", {200, 0, 0, 4, 0.2f}}, {"TC_ATTACK_R_2", {0, 300, 0, 4, 0.1f}},
        {"TC_ATTACK_R_3", {0, 500, 0, 4, 0.05f}}, {"TC_RANGE_1", {200, 0, 0, 4, 0.2f}},
        {"TC_RANGE_2", {0, 300, 0, 4, 0.1f}}, {"TC_RANGE_3", {0, 500, 0, 4, 0.05f}},
        {"TC_ATTACK_M_1", {200, 0, 0, 4, 0.2f}}, {"TC_ATTACK_M_2", {0, 300, 0, 4, 0.1f}},
        {"TC_ATTACK_M_3", {0, 500, 0, 4, 0.05f}}, {"TC_IRONWORK", {200, 1000, 0, 4, 0.05f}},
        {"TC_HORSERIDE", {200, 300, 0, 2, 0.2f}}, {"TC_CROSSBOW", {300, 500, 0, 2, 0.2f}},
        {"TC_WARGALLEY", {0, 300, 0, 13, 0.2f}}, {"TC_SHIPSPD_1", {0, 600, 0, 13, 0.1f}},
        {"TC_SHIPSPD_2", {300, 500, 0, 13, 0.05f}}, {"TC_SHIP_ATT_1", {100, 800, 0, 13, 0.5f}},
        {"TC_SHIP_ATT_2", {500, 2000, 0, 13, 0.02f}}, {"TC_SHIP_RNG_1", {0, 1200, 0, 13, 0.1f}},
        {"TC_SHIP_RNG_2", {0, 2500, 0, 13, 0.05f}}, {"TC_MACINE_D_1", {400, 0, 0, 1, 0.3f}},
        {"TC_MACINE_D_2", {800, 200, 0, 1, 0.1f}}, {"TC_MACINE_D_3", {500, 800, 0, 1, 0.05f}},
        {"TC_CAT_ATT_1", {100, 1000, 0, 1, 0.1f}}, {"TC_CAT_ATT_2", {500, 2000, 0, 1, 0.05f}},
        {"TC_MERC_FORCE", {0, 1000, 0, 1, 0.2f}}, {"TC_CAT_RANGE", {0, 700, 0, 1, 0.2f}},
        {"TC_BUILD_D_1", {0, 500, 200, 1, 0.2f}}, {"TC_BUILD_D_2", {0, 800, 300, 1, 0.1f}},
        {"TC_FF_WALL", {0, 100, 600, 1, 0.2f}}, {"TC_PRIEST_DEF", {0, 500, 0, 8, 0.3f}},
        {"TC_PRIEST_ATT_1", {0, 600, 0, 8, 0.2f}}, {"TC_AO_GOD", {0, 2000, 0, 8, 0.02f}},
        {"TC_RAIN_HELL", {0, 800, 0, 8, 0.2f}}, {"TC_ADV_BUILD", {500, 800, 200, 3, 0.1f}},
        {"TC_PYRO", {0, 800, 0, 3, 0.2f}}, {"TC_EXPLSIVE", {0, 1200, 0, 3, 0.05f}},
        {"TC_BALLISTIC", {0, 600, 0, 3, 0.1f}}, {"TC_CURVESHOT", {200, 800, 0, 3, 0.1f}},
        {"TC_FLAMEARROW", {500, 1500, 0, 3, 0.1f}}, {"TC_HIDEOUT", {0, 1000, 0, 3, 0.2f}},
        {"TC_BLOODBATH", {0, 1500, 0, 3, 0.1f}},
    };
    std::string keys = "TC_TECHNOLOGY_RESEARCHED,\"%s researched\"\n";
    const auto key = [&keys](const std::string& name) { keys += name + ",\"" + name + "\"\n"; };
    for (const auto& [index, name, row] : units)
        if (std::strncmp(name, "UN_", 3) == 0)
        {
            key(name), key(std::string("UN_MSG_") + (name + 3));
        }
    for (const auto& [index, name, row] : buildings) key(name);
    for (const auto& [name, row] : technologies) key(name);
    g_Localizer.Clear();
    ASSERT_TRUE(g_Localizer.LoadLocaleText("keys", keys.c_str(), int(keys.size())));
    InitTypeRecords();

    // Each record against its row: its numbers, its name and its message.
    std::set<int32_t> filled;
    const auto expectRow = [&filled](int32_t index, const char* name, const std::string& message, const Numbers& row,
                                     const Numbers& numbers) {
        const CUnitStats& record = g_UnitStats[index];
        EXPECT_EQ(numbers, row) << name;
        EXPECT_TRUE(std::string(record.name) == name && record.message == message.c_str()) << name;
        filled.insert(index);
    };
    for (const auto& [index, name, row] : units)
    {
        const CUnitStats& r = g_UnitStats[index];
        const bool keyed = std::strncmp(name, "UN_", 3) == 0;
        expectRow(index, name, keyed ? std::string("UN_MSG_") + (name + 3) : std::string("-- ") + name + " created --",
                  row,
                  {float(r.unitType), float(r.woodCost), float(r.goldCost), float(r.stoneCost), float(r.hitPoints),
                   float(r.attack), float(r.attackRange), float(r.sightRadius), r.damageFactors[0], r.damageFactors[1],
                   r.damageFactors[2], float(r.producingCast), float(r.icon), r.rate});
    }
    for (const auto& [index, name, row] : buildings)
    {
        const CUnitStats& r = g_UnitStats[index];
        expectRow(index, name, "", row,
                  {float(r.buildingCast), float(r.woodCost), float(r.goldCost), float(r.stoneCost), float(r.hitPoints),
                   r.damageFactors[0], r.damageFactors[1], r.damageFactors[2], float(r.icon), r.rate});
    }
    for (int32_t id = 0; id < TechnologyCount; ++id)
    {
        const auto& [name, row] = technologies[id];
        const CUnitStats& r = g_UnitStats[FirstTechnologyRecord + id];
        Numbers wanted = row;
        wanted.insert(wanted.end(), {float(id), float(118 + id)});
        expectRow(FirstTechnologyRecord + id, name, std::string(name) + " researched", wanted,
                  {float(r.woodCost), float(r.goldCost), float(r.stoneCost), float(r.producingCast), r.rate,
                   float(r.technologyId), float(r.icon)});
    }
    for (int32_t index = 0; index < TypeRecordCount; ++index)
        EXPECT_TRUE(g_UnitStats[index].index == index &&
                    (filled.count(index) == 1 || (!g_UnitStats[index].name && g_UnitStats[index].hitPoints == 0)))
            << index;
    EXPECT_EQ(filled.size(), size_t(TypeRecordCount - 3));   // 17, 19 and 20 are never filled
}

// The tree in its stored order, and each availability rule asking for exactly its buildings and technologies.
TEST_F(TechnologyTree, EveryTechnologyHasItsPrerequisitesInOrderAndExactlyItsRule)
{
    const std::map<int32_t, std::vector<int32_t>> prerequisites = {
        {1, {0}}, {2, {1, 8}}, {4, {3, 8}}, {6, {5}}, {7, {6, 8}}, {8, {53}}, {10, {9}}, {12, {11, 8}},
        {13, {12, 8, 29}}, {15, {14, 8}}, {16, {15, 8, 29}}, {18, {17, 8}}, {19, {18, 8, 29}}, {21, {20, 8}},
        {22, {21, 8, 29}}, {24, {23, 8}}, {25, {24, 8, 29}}, {27, {26, 8}}, {28, {27, 8, 29}}, {29, {8}},
        {32, {54}}, {33, {32}}, {34, {33}}, {35, {32}}, {36, {35, 8, 29}}, {37, {32}}, {38, {37, 8, 29}},
        {40, {39, 8}}, {41, {40, 8, 29}}, {42, {8, 54}}, {43, {42, 29, 8, 55}}, {44, {8}}, {45, {8}},
        {46, {8}}, {47, {46, 8}}, {48, {8}}, {50, {54}}, {51, {50}}, {52, {51}}, {55, {54, 8}}, {58, {54, 31}},
        {59, {56}}, {60, {8}}};
    for (int32_t id = 0; id < TechnologyCount; ++id)
    {
        const CTechnologyTree::SEntry& entry = g_TechnologyTree.entries[id];
        const auto listed = prerequisites.find(id);
        EXPECT_EQ(std::vector<int32_t>(entry.prerequisites, entry.prerequisites + entry.count),
                  listed == prerequisites.end() ? std::vector<int32_t>() : listed->second)
            << id;
    }
    const std::pair<std::vector<int32_t>, const char*> rules[] = {
        {{0, 5}, "B7 B11"}, {{1}, "B7 B4 B11 T0"}, {{2}, "B7 B4 B11 T8 T1"}, {{3}, "B7 B4 B11"},
        {{4}, "B7 B4 B11 T8 T3"}, {{6}, "B7 B4 B11 T5"}, {{7}, "B7 B11 T6 T8"}, {{8}, "B4 B11 T53"},
        {{9}, "B11"}, {{10}, "B11 T9"}, {{11, 14, 17, 20, 23, 26}, "B4"},
        {{12, 15, 18, 21, 24, 27}, "B4 Tid-1 T8"}, {{13, 16, 19, 22, 25, 28}, "B4 Tid-1 T8 T29"},
        {{29}, "B4 T8"}, {{30}, "B2"}, {{31}, "B4 B2"}, {{32}, "B13 B4 T54"}, {{33}, "B13 B4 T32"},
        {{34}, "B13 B4 T8 T33"}, {{35, 37}, "B13 T32"}, {{36}, "B13 T8 T29 T35"}, {{38}, "B13 T8 T29 T37"},
        {{39}, "B4 B1"}, {{40}, "B4 B1 T39 T8"}, {{41}, "B4 B1 T40 T8 T29"}, {{42}, "B4 B3 B1 T8 T54"},
        {{43}, "B4 B3 B1 T42 T29 T8 T55"}, {{44, 46, 48}, "B1 T8"}, {{45}, "B4 B3 B1 T8"}, {{47}, "B1 T46 T8"},
        {{49}, "B8"}, {{50}, "B8 T54"}, {{51}, "B8 T50 T8"}, {{52}, "B15 T51"}, {{53, 54, 56, 57}, "B3"},
        {{55}, "B3 T54 T8"}, {{58}, "B3 T54 T31"}, {{59}, "B3 T56"}, {{60}, "B3 T8"}};
    CPlayer& player = Player(3);
    std::set<int32_t> ruled;
    for (const auto& [ids, conditions] : rules)
        for (const int32_t id : ids)
        {
            player.technologies[id].enabled = 1;
            ExpectExactlyTheConditions(player, conditions, id, [&] { return player.IsTechnologyAvailable(id); });
            ruled.insert(id);
        }
    EXPECT_EQ(ruled.size(), size_t(TechnologyCount));
}
