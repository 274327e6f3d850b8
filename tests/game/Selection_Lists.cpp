// The lists the player's view keeps: the selection (up to 25 units or one building) and its control
// groups as a saved game brings them back, and the message list (64 lines, each shown for 5000 ms).

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <numeric>

#include "buildings/C_Building.h"
#include "game/C_MessageList.h"
#include "game/C_Selection.h"
#include "platform/SysClock.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "world/C_ObjectReferences.h"

namespace
{
constexpr int32_t kUnits = 8 * 256;   // every unit eight players may have
constexpr int32_t kBuildingId = 9000;

// Ids 0 to kUnits - 1 name the units, kBuildingId the building.
class CUnitsById : public CObjectReferences
{
public:
    void RegisterBuilding(CBuilding*) override {}
    int32_t GetUnitRef(const CUnit* unit) const override { return int32_t(unit - units.get()); }
    int32_t GetBuildingRef(const CBuilding* b) const override { return b == &building ? kBuildingId : NoObject; }
    CUnit* GetUnit(int32_t id) const override { return id >= 0 && id < kUnits ? &units[size_t(id)] : nullptr; }
    CBuilding* GetBuilding(int32_t id) const override { return id == kBuildingId ? &building : nullptr; }

    std::unique_ptr<CUnit[]> units = std::make_unique<CUnit[]>(kUnits);
    mutable CBuilding building;
};

// All 25 places of the selection, -1 where none is.
std::vector<int32_t> Places(const CSelection& selection, const CUnitsById& ids)
{
    std::vector<int32_t> places;
    for (const CUnit* unit : selection.units) places.push_back(unit != nullptr ? ids.GetUnitRef(unit) : -1);
    return places;
}

// `count` ids from `first`, then `tail`.
std::vector<int32_t> Ids(int32_t first, int32_t count, std::vector<int32_t> tail = {})
{
    std::vector<int32_t> ids(static_cast<size_t>(count));
    std::iota(ids.begin(), ids.end(), first);
    ids.insert(ids.end(), tail.begin(), tail.end());
    return ids;
}

// The section: selected units, the building, then groups 1 to 9.
std::string Section(const std::vector<int32_t>& selected, int32_t building, std::map<int, std::vector<int32_t>> groups)
{
    std::string bytes = LE32(uint32_t(selected.size()));
    for (const int32_t id : selected) bytes += LE32(uint32_t(id));
    bytes += LE32(uint32_t(building));
    for (int group = 1; group <= 9; ++group)
    {
        bytes += LE32(uint32_t(groups[group].size()));
        for (const int32_t id : groups[group]) bytes += LE32(uint32_t(id));
    }
    return bytes;
}
}  // namespace

TEST(Selection, HoldsUpTo25UnitsInOrderOrOneBuilding)
{
    CUnitsById ids;
    CSelection selection;
    for (int32_t i = 0; i < 26; ++i) selection.AddUnit(&ids.units[size_t(i)], 0);
    EXPECT_EQ(Places(selection, ids), Ids(0, 25));   // the 26th is not taken
    // Out at the first, a middle (a unit added again) and the last place; then room for one more.
    selection.unitUnderCursor = &ids.units[24], selection.RemoveUnit(&ids.units[0]);
    selection.AddUnit(&ids.units[12], 0), selection.RemoveAndClearActions(&ids.units[24]);
    selection.AddUnit(&ids.units[25], 0);
    EXPECT_TRUE(Places(selection, ids) == Ids(1, 11, Ids(13, 11, {25, -1, -1})) && selection.unitCount == 23 &&
                !selection.unitUnderCursor);
    selection.unitUnderCursor = &ids.units[5];
    selection.RemoveAndClearActions(&ids.units[30]);   // not selected: the cursor's unit stays
    EXPECT_TRUE(selection.unitCount == 23 && selection.unitUnderCursor == &ids.units[5]);

    // One building and no units; a unit takes its place; only that building is forgotten.
    selection.SelectBuilding(&ids.building);
    EXPECT_TRUE(Places(selection, ids) == std::vector<int32_t>(25, -1) && selection.unitCount == 0 &&
                selection.building == &ids.building);
    selection.ForgetObject(nullptr);
    EXPECT_EQ(selection.building, &ids.building);
    selection.AddUnit(&ids.units[3], 0);
    EXPECT_TRUE(selection.unitCount == 1 && selection.building == nullptr);
    selection.SelectBuilding(&ids.building), selection.ForgetObject(&ids.building);
    EXPECT_TRUE(selection.unitCount == 0 && selection.building == nullptr);
}

// 25 selected units and a group of every unit eight players may have are the most a section holds; one more is
// refused and leaves the selection and the groups as they were.  Groups are checked right after the load.
TEST(Selection, SavedSelectionAndGroupsLoadWithinTheirBounds)
{
    CUnitsById ids;
    CSelection selection;
    CMemorySaveStream most(Section(Ids(0, 25), -1, {{1, {0}}, {5, {40, 30}}, {9, Ids(41, kUnits - 41)}}));
    ASSERT_TRUE(selection.LoadGame(most, ids) && Places(selection, ids) == Ids(0, 25) && selection.building == nullptr);
    CMemorySaveStream out;   // no players, so no group members
    selection.SaveGame(out, ids);
    EXPECT_EQ(out.Bytes(), Section(Ids(0, 25), -1, {}));
    std::vector<int32_t> groups;
    for (const int32_t id : {0, 1, 30, 40, 41, kUnits - 1}) groups.push_back(ids.units[size_t(id)].controlGroup);
    EXPECT_EQ(groups, (std::vector<int32_t>{1, 0, 5, 5, 9, 9}));
    CMemorySaveStream whole(Section({}, kBuildingId, {{9, Ids(0, kUnits)}}));
    EXPECT_TRUE(selection.LoadGame(whole, ids) && selection.unitCount == 0 && selection.building == &ids.building &&
                ids.units[0].controlGroup == 9);

    CTestLog log;
    const std::pair<std::string, const char*> refused[] = {
        {Section(Ids(0, 26), -1, {}), "bad unit count"},
        {Section({}, -1, {{1, Ids(0, kUnits + 1)}}), "bad group size"},
        {Section({-1}, -1, {}), "a selected unit is unknown"}, {Section({3, 3}, -1, {}), "a unit is selected twice"},
        {Section({}, kBuildingId + 1, {}), "the selected building is unknown"}};
    for (const auto& [bytes, reason] : refused)
    {
        CMemorySaveStream in(bytes);
        EXPECT_TRUE(!selection.LoadGame(in, ids) && in.HasError()) << reason;
        EXPECT_TRUE(log.Contains(std::string("Selection section of the saved game rejected: ") + reason));
        EXPECT_TRUE(selection.building == &ids.building && ids.units[0].controlGroup == 9) << reason;
    }
}

TEST(MessageList, HoldsTheLatest64LinesEachShownFor5000Milliseconds)
{
    // The clock wraps while the lines are shown.
    SysClock::UseTestClock(0xFFFFF830u);
    CMessageList list;
    for (int32_t i = 0; i <= 64; ++i)
    {
        list.AddMessage(std::to_string(i).c_str(), uint32_t(i));
        SysClock::AdvanceTestClock(1);
    }
    const auto shown = [&list] {
        std::vector<std::string> texts;
        for (const SMessageLine& line : list.GetLines()) texts.push_back(line.text.GetBuffer());
        return texts;
    };
    std::vector<std::string> expected;
    for (int32_t i = 1; i <= 64; ++i) expected.push_back(std::to_string(i));
    // The 65th line dropped the oldest; line 1, added 1 ms after the first, is shown through 4999 ms.
    EXPECT_TRUE(shown() == expected && list.GetLines().front().colour == 1u);
    SysClock::AdvanceTestClock(4935);
    EXPECT_EQ(shown(), expected);
    SysClock::AdvanceTestClock(1);
    expected.erase(expected.begin());
    EXPECT_EQ(shown(), expected);
    list.AddMessage(nullptr, 7);
    EXPECT_TRUE(shown().size() == 64 && shown().back().empty());
    SysClock::AdvanceTestClock(5000);
    EXPECT_TRUE(list.GetLines().empty());
    SysClock::UseSystemClock();
}
