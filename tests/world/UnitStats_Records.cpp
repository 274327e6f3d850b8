// Spot checks and consistency checks of the 100 type records.

#include "Player_Fixture.h"

using UnitStatsRecords = PlayerTest;

TEST_F(UnitStatsRecords, HealthOptionTriplesAllButTheDemolitionMan)
{
    EXPECT_EQ(g_UnitStats[0].hitPoints, 30);
    g_Config.unitHealthMultiply = 1;
    InitTypeRecords();
    EXPECT_EQ(g_UnitStats[0].hitPoints, 90);
    EXPECT_EQ(g_UnitStats[11].unitType, 12);
    EXPECT_EQ(g_UnitStats[11].hitPoints, 20);
    EXPECT_EQ(g_UnitStats[13].hitPoints, 24000);
    // Buildings keep theirs.
    EXPECT_EQ(g_UnitStats[25].hitPoints, 400);
}

TEST_F(UnitStatsRecords, HeroesCarryFixedTextsAndLocalisedRecordsTheirKeys)
{
    EXPECT_STREQ(g_UnitStats[13].name, "Quib");
    EXPECT_TRUE(g_UnitStats[14].message == "-- Warhound created --");
    EXPECT_STREQ(g_UnitStats[0].name, "Worker");
    EXPECT_TRUE(g_UnitStats[0].message == "Worker ready");
    EXPECT_TRUE(g_UnitStats[39 + 52].message == "Researched: Rain of fire");
    // A key the locale lacks gives the complaint text.
    EXPECT_STREQ(g_UnitStats[1].name, "*error*");
    EXPECT_TRUE(g_UnitStats[25].message.IsEmpty());
}

// Every technology is researched at a building its own rule asks for, except
// the one-shot spell whose rule names the dark altar (15) instead of the
// monastery (8) where its record says it is researched.
TEST_F(UnitStatsRecords, TechnologyRecordsFollowTheirIdsAndAreResearchedWhereTheRuleSays)
{
    for (int32_t id = 0; id < TechnologyCount; ++id)
    {
        const CUnitStats* record = GetTechnologyRecord(id);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->index, 39 + id);
        EXPECT_EQ(record->technologyId, id);
        EXPECT_GT(record->rate, 0.0f);
        const STechnologyRule& rule = CTechnologyTree::GetRule(id);
        bool named = false;
        for (int8_t required : rule.buildingCasts)
            named = named || required == record->producingCast;
        EXPECT_EQ(named, id != 52) << "technology " << id;
    }
    EXPECT_EQ(GetTechnologyRecord(-1), nullptr);
    EXPECT_EQ(GetTechnologyRecord(61), nullptr);
}

TEST_F(UnitStatsRecords, EveryTrainableUnitNeedsItsProducingBuilding)
{
    for (int32_t record = 0; record < FirstBuildingRecord; ++record)
    {
        const CUnitStats& stats = g_UnitStats[record];
        if (stats.producingCast == 0 || stats.unitType == 8)
            continue;
        CPlayer& player = Player(1);
        std::memset(player.enabledUnitTypes, 1, sizeof(player.enabledUnitTypes));
        for (int32_t id = 0; id < TechnologyCount; ++id)
            player.technologies[id].progress = 100.0f;
        for (int32_t cast = 0; cast < BuildCastCount; ++cast)
            player.finishedBuildings[cast] = 1;
        EXPECT_TRUE(player.CanTrainUnit(stats.unitType)) << record;
        player.finishedBuildings[stats.producingCast] = 0;
        EXPECT_FALSE(player.CanTrainUnit(stats.unitType)) << record;
    }
}
