// The game set-up record as built and as scripts fill its objectives, and the editor's technology-tree
// form with its three columns.

#include <gtest/gtest.h>

#include <vector>

#include "editor/F_SetTechTree.h"
#include "game/C_MissionObjectives.h"
#include "tests/support/TestLog.h"

TEST(MissionObjectives, BuiltForACampaignAndObjectivesCompleteByTheirNumber)
{
    CMissionObjectives record;
    EXPECT_EQ((std::vector<int>{1, 0, -1, 0, 16, 1}),
              (std::vector<int>{record.gameMode, record.result, record.campaignId, record.objectives.GetCount(),
                                record.objectives.GetCapacity(), record.savingAllowed}));
    EXPECT_TRUE(record.objectivesHint.IsEmpty() && record.gameFile.IsEmpty());

    EXPECT_EQ(0, record.Add(7, "Hold the bridge", "North"));
    EXPECT_EQ(1, record.Add(3, "Build a keep", nullptr));
    EXPECT_TRUE(record.Complete(3));
    EXPECT_FALSE(record.Complete(5));
    EXPECT_EQ((std::vector<int>{7, 0, 3, 1}), (std::vector<int>{record.objectives[0].value, record.objectives[0].flag,
                                                               record.objectives[1].value, record.objectives[1].flag}));
    EXPECT_STREQ("Hold the bridge", record.objectives[0].text);
    EXPECT_STREQ("", record.objectives[1].hint);
}

TEST(SetTechTree, EveryTechnologyStandsInOneColumnAndAMissingOneIsReported)
{
    // Built before the log: keep and castle research, blacksmith and barracks, docks, monastery and
    // alchemist.
    FSetTechTree& form = g_FSetTechTree;
    EXPECT_EQ((std::vector<int>{21, 21, 19, 0}),
              (std::vector<int>{form.columns[0].count, form.columns[1].count, form.columns[2].count, form.value1}));
    std::vector<int> seen(61, 0);
    for (const auto& column : form.columns)
        for (int i = 0; i < column.count; ++i)
            ++seen.at(size_t(column.prerequisites[i]));
    EXPECT_EQ(std::vector<int>(61, 1), seen);
    EXPECT_EQ((std::vector<int>{0, 11, 32}), (std::vector<int>{form.columns[0].prerequisites[0],
                                                              form.columns[1].prerequisites[0],
                                                              form.columns[2].prerequisites[0]}));

    CTestLog log;
    form.columns[2].count = 18;  // technology 60 dropped
    EXPECT_FALSE(form.HasEveryTechnology());
    EXPECT_EQ(1, log.Count("#DEBUG: Not all technologies added to tech-tree editor"));
    form.FillTechnologies();
    EXPECT_EQ(19, form.columns[2].count);
    EXPECT_EQ(1, log.Count("#DEBUG: Not all technologies added to tech-tree editor"));
}
