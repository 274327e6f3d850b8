// The interface's start-up tables: the 119 command hints in the current language, the decoration types and their picks.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "game/C_Hint.h"
#include "media/InterfaceTables.h"
#include "tests/support/TestLog.h"
#include "world/C_DecorType.h"
#include "world/C_UnitStats.h"

namespace
{
void LoadTexts(const std::string& text)
{
    g_Localizer.Clear();
    ASSERT_TRUE(g_Localizer.LoadLocaleText("hints", text.c_str(), int(text.size())));
}

std::string Text(int slot, int line) { return GetGlobalHint(slot)->lines.at(size_t(line)).text.GetBuffer(); }
}  // namespace

TEST(InterfaceTables, CommandHintsAreSizedByTheirKindAndComposeHeadingHotkeyAndDescription)
{
    CTestLog log;
    CUnitStats* const savedRecords = g_UnitStats;
    g_UnitStats = new CUnitStats[TypeRecordCount];
    AllocGlobalHints();
    LoadTexts("HH_CANCEL_H,\"Cancel\"\nHH_CANCEL_D,\"Drops the order\"\nHH_STOP_H,\"Stop\"\nHH_STOP_D,\"Halt\"\n"
              "HH_TRAIN_WORKER_H,\"Peasant\"\nHH_TRAIN_WORKER_D,\"Builds\"\nHH_TRAIN_TOWERARCHER_H,\"Bowman\"\n"
              "HH_IF_INGAME_MENU_D,\"Menu\"\n");
    LoadCommandHints();

    // Every slot filled: 650 x 150; 15 lines for the tower and the 16 training rows; no pictures for
    // the 9 plain commands, 3 for the 14 buildings and the 10 priest, military, stance and ship rows.
    std::map<std::pair<int, int>, int> sizes;
    for (int slot = 0; slot < GlobalHintCount; ++slot)
    {
        const CHint& hint = *GetGlobalHint(slot);
        EXPECT_EQ(std::make_pair(650, 150), std::make_pair(hint.width, hint.height)) << slot;
        ++sizes[{hint.lineCapacity, hint.imageCapacity}];
    }
    EXPECT_EQ(sizes, (std::map<std::pair<int, int>, int>{{{10, 0}, 9}, {{10, 3}, 23}, {{15, 3}, 1}, {{10, 6}, 70},
                                                         {{15, 6}, 16}}));

    // A long hotkey name follows the heading in brackets; a letter is marked where it first stands in
    // the heading, or bracketed when the heading lacks it; the description goes on a line of its own.
    EXPECT_EQ("\\f03\\cffffffCancel (\\cffff00Escape\\cffffff)\r\\f04\\caaaaaaDrops the order", Text(0, 0));
    EXPECT_EQ("\\f03\\cffffffS\\cffff00t\\cffffffop\r\\f04\\caaaaaaHalt", Text(1, 0));
    EXPECT_EQ("\\f04\\caaaaaaMenu", Text(118, 0));  // no heading, no hotkey mark
    // A training row: the heading, its two cost lines at (0, 35), the description at (90, 30).
    using Kind = CHint::ELineKind;
    std::vector<std::tuple<Kind, int, int, const CUnitStats*>> layout;
    for (const CHint::SLine& line : GetGlobalHint(37)->lines)
        layout.emplace_back(line.kind, line.x, line.y, line.record);
    EXPECT_EQ(layout, (decltype(layout){{Kind::Item, 0, 0, nullptr}, {Kind::Cost, 0, 35, &g_UnitStats[0]},
                                        {Kind::SecondCost, 0, 35, &g_UnitStats[0]}, {Kind::Item, 90, 30, nullptr}}));
    EXPECT_TRUE("\\f03\\cffffffPeasant (\\cffff00L\\cffffff)" == Text(37, 0) && "\\f04\\caaaaaaBuilds" == Text(37, 3));
    // The tower archer is one piece and one cost line; research costs come from record 39 + id.
    EXPECT_TRUE("\\f03\\cffffffBowm\\cffff00a\\cffffffn" == Text(40, 0) && 2 == GetGlobalHint(40)->LineCount());
    EXPECT_EQ("", Text(113, 0));  // the locale lacks both texts
    EXPECT_EQ(&g_UnitStats[39 + 52], GetGlobalHint(113)->lines[1].record);

    // Another language: new texts, the same hotkeys.
    LoadTexts("HH_STOP_H,\"Halt\"\nHH_STOP_D,\"Anhalten\"\n");
    LoadCommandHints();
    EXPECT_EQ("\\f03\\cffffffHal\\cffff00t\\cffffff\r\\f04\\caaaaaaAnhalten", Text(1, 0));
    EXPECT_EQ(1, GetGlobalHint(1)->LineCount());

    FreeGlobalHints();
    delete[] g_UnitStats;
    g_UnitStats = savedRecords;
    g_Localizer.Clear();
}

TEST(InterfaceTables, DecorationRowsNameTheirKindsAndPickWithinThem)
{
    CTestLog log;
    LoadTexts("ED_DECOR_GRASS,\"Grass\"\n");
    LoadDecorTypes();
    const struct { int row; const char* key; int base, count, fixed; const char* name; } rows[] = {
        {2, "ED_DECOR_GRASS", 239, 2, 0, "Grass"}, {8, "ED_DECOR_WEED_2", 255, 4, 0, "*error*"},
        {10, "ED_DECOR_MULTIPLAYER_START", 266, 1, 1, "*error*"}};
    for (const auto& r : rows)
    {
        const CDecorType& type = GetDecorType(r.row);
        EXPECT_EQ((std::vector<std::string>{r.key, r.name}), (std::vector<std::string>{type.GetKey(), type.name}));
        EXPECT_EQ((std::vector<int>{r.base, r.count, r.fixed}),
                  (std::vector<int>{type.base, type.count, type.fixedRotation}));
    }
    EXPECT_EQ(10, log.Count("#DEBUG: Cannot find locale resource"));  // all 11 rows but the grass
    FreeDecorTypes();

    // The start marker always stands at kind 266 unrotated; the ruins give 259 to 265, turned 0 to 359 degrees.
    GlobalFunc::SeedRandom(7);
    std::set<int> start, ruins, turns;
    for (int i = 0; i < 400; ++i)
    {
        int kind = 0, rotation = 0;
        GetDecorType(10).PickVariant(&kind, &rotation);
        start.insert(kind * 1000 + rotation);
        GetDecorType(9).PickVariant(&kind, &rotation);
        ruins.insert(kind);
        turns.insert(rotation);
    }
    EXPECT_EQ(std::set<int>{266000}, start);
    EXPECT_EQ((std::set<int>{259, 260, 261, 262, 263, 264, 265}), ruins);
    EXPECT_TRUE(*turns.begin() >= 0 && *turns.rbegin() <= 359 && turns.size() > 100u);
    g_Localizer.Clear();
}
