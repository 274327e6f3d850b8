// The objectives' and the selection's sections refuse what the game cannot
// take, and leave their record as it was.

#include <gtest/gtest.h>

#include <string>

#include "game/C_MissionObjectives.h"
#include "game/C_Selection.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ReferenceBase.h"

namespace
{
std::string Text32(const std::string& text, uint32_t bytes)
{
    return LE32(bytes) + text + std::string(1, '\0');
}
std::string Text32(const std::string& text)
{
    return Text32(text, uint32_t(text.size() + 1));
}

// Mode, result, type, campaign, scenario, then the objectives.
std::string Objectives(uint32_t mode, uint32_t result, const std::string& objectives, const std::string& tail)
{
    return LE32(mode) + LE32(result) + LE32(0) + LE32(3) + LE32(4) + objectives + tail;
}
std::string OneObjective(uint8_t flag, const std::string& text)
{
    return LE32(1) + LE32(9) + std::string(1, char(flag)) + text + Text32("h") + Text32("hint");
}
std::string Tail(const std::string& flags, const std::string& gameFile)
{
    return LE32(1) + LE32(6) + flags + gameFile;
}
}  // namespace

TEST(MissionObjectivesSave, BadSectionsAreRefusedAndTheRecordStays)
{
    CMissionObjectives record;
    record.gameFile = "kept";
    const std::string okObjective = OneObjective(1, Text32("t"));
    const std::string okTail = Tail(std::string("\1\0\1", 3), Text32("file"));
    const std::string prefix = "Objectives section of the saved game rejected: ";
    const struct
    {
        std::string bytes;
        std::string line;
    } cases[] = {
        {Objectives(0, 0, okObjective, okTail), "unknown game mode"},
        {Objectives(7, 0, okObjective, okTail), "unknown game mode"},
        {Objectives(2, 3, okObjective, okTail), "unknown result"},
        {Objectives(2, 0, LE32(4097), okTail), "bad objective count"},
        {Objectives(2, 0, OneObjective(2, Text32("t")), okTail), "an objective's flag is not 0 or 1"},
        {Objectives(2, 0, OneObjective(1, Text32("", 0)), okTail), "bad text length"},
        {Objectives(2, 0, OneObjective(1, Text32("t", 65537)), okTail), "bad text length"},
        {Objectives(2, 0, OneObjective(1, Text32(std::string("a\0b", 3))), okTail),
         "a text is not terminated where its length says"},
        {Objectives(2, 0, OneObjective(1, LE32(3) + "abc"), okTail), "a text is not terminated where its length says"},
        {Objectives(2, 0, okObjective, Tail(std::string("\1\2\0", 3), Text32("file"))), "a flag is not 0 or 1"},
        {Objectives(2, 0, okObjective, LE32(0xFFFFFFFF)), "bad dialog event count"},
        {Objectives(2, 0, okObjective, okTail).substr(0, 40), ""},
    };
    for (const auto& bad : cases)
    {
        CTestLog log;
        CMemorySaveStream in(bad.bytes);
        EXPECT_FALSE(record.LoadGame(in)) << bad.line;
        EXPECT_TRUE(in.HasError());
        if (!bad.line.empty())
        {
            EXPECT_TRUE(log.Contains(prefix + bad.line)) << bad.line;
        }
        EXPECT_STREQ(record.gameFile.GetBuffer(), "kept");
        EXPECT_EQ(record.gameMode, CMissionObjectives::ModeCampaign);
    }

    CMemorySaveStream good(Objectives(2, 1, okObjective, okTail));
    ASSERT_TRUE(record.LoadGame(good));
    EXPECT_EQ(record.gameMode, CMissionObjectives::ModeScenario);
    EXPECT_EQ(record.result, 1);
    EXPECT_EQ(record.campaignId, 3);
    EXPECT_EQ(record.scenarioId, 4);
    ASSERT_EQ(record.objectives.GetCount(), 1);
    EXPECT_STREQ(record.objectives[0].hint.GetBuffer(), "h");
    EXPECT_STREQ(record.objectivesHint.GetBuffer(), "hint");
    ASSERT_EQ(record.dialogEvents.GetCount(), 1);
    EXPECT_EQ(record.dialogEvents[0].value, 6);
    EXPECT_EQ(record.shipsNeeded, 1);
    EXPECT_STREQ(record.gameFile.GetBuffer(), "file");
    CMemorySaveStream out;
    record.SaveGame(out);
    EXPECT_EQ(out.Bytes(), Objectives(2, 1, okObjective, okTail));
}

// No unit in any of the nine groups.
std::string NoGroups()
{
    std::string groups;
    for (int32_t group = 0; group < 9; ++group)
        groups += LE32(0);
    return groups;
}

TEST(SelectionSave, AUnitSelectedTwiceIsRefused)
{
    CSimHarness world;
    CUnit* unit = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    ASSERT_NE(unit, nullptr);
    g_ReferenceBase.Reset();
    g_ReferenceBase.AddUnit(unit);
    CSelection selection;
    {
        CTestLog log;
        CMemorySaveStream twice(LE32(2) + LE32(0) + LE32(0) + LE32(0xFFFFFFFF) + NoGroups());
        EXPECT_FALSE(selection.LoadGame(twice, g_ReferenceBase));
        EXPECT_TRUE(log.Contains("Selection section of the saved game rejected: a unit is selected twice"));
        EXPECT_EQ(selection.unitCount, 0);
    }
    CMemorySaveStream once(LE32(1) + LE32(0) + LE32(0xFFFFFFFF) + NoGroups());
    EXPECT_TRUE(selection.LoadGame(once, g_ReferenceBase));
    EXPECT_EQ(selection.GetFirstUnit(), unit);
    CMemorySaveStream out;
    selection.SaveGame(out, g_ReferenceBase);
    EXPECT_EQ(out.Bytes(), LE32(1) + LE32(0) + LE32(0xFFFFFFFF) + NoGroups());
    g_ReferenceBase.Reset();
}
