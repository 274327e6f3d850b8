// The reference table's section of a save: creation data and object state
// written, objects made again with the same ids, links resolved, and bad
// sections refused with nothing left behind.

#include <memory>
#include <string>
#include <vector>

#include "ReferenceBase_Objects.h"
#include "SaveGame_Fixture.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_SaveGame.h"

using namespace ReferenceTest;

class ReferenceBaseSaveTest : public SaveGameTest
{
protected:
    void SetUp() override
    {
        SaveGameTest::SetUp();
        m_SavedLocalPlayer = g_LocalPlayer;
    }
    void TearDown() override
    {
        g_LocalPlayer = m_SavedLocalPlayer;
        SaveGameTest::TearDown();
    }

    // The payload as little-endian 32-bit numbers.
    static std::vector<int32_t> Numbers(const std::vector<uint8_t>& bytes)
    {
        std::vector<int32_t> numbers;
        for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
            numbers.push_back(int32_t(uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 |
                                      uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24));
        return numbers;
    }
    std::vector<int32_t> PayloadNumbers(const std::string& path) const
    {
        const std::vector<uint8_t> bytes = Bytes(path);
        const size_t header = 26 + std::string(SaveFileBytes::Language).size();
        return Numbers(std::vector<uint8_t>(bytes.begin() + long(header), bytes.end()));
    }
    // A save file whose payload is these numbers.
    std::string SaveNumbers(const std::vector<int32_t>& numbers)
    {
        const std::string path = Path("numbers.save");
        CSaveGame save;
        EXPECT_TRUE(save.BeginSave(path.c_str()));
        for (int32_t number : numbers)
            save.WriteI32(number);
        save.Close();
        return path;
    }

    struct SLoadResult
    {
        bool loaded;
        bool streamError;
        int32_t count;
        size_t liveObjects;
    };
    SLoadResult LoadNumbers(const std::vector<int32_t>& numbers)
    {
        const std::string path = SaveNumbers(numbers);
        CReferenceBase table;
        CRefObjects objects(table);
        table.SetObjects(&objects);
        CSaveGame load;
        load.BeginLoad(path.c_str());
        EXPECT_FALSE(load.HasError());
        const bool loaded = table.LoadGame(load);
        const SLoadResult result = {loaded, load.HasError(), table.GetCount(), objects.LiveObjects()};
        load.Close();
        return result;
    }

private:
    int32_t m_SavedLocalPlayer = 0;
};

TEST_F(ReferenceBaseSaveTest, SectionHoldsCreationDataThenEveryObjectsState)
{
    CReferenceBase table;
    CRefObjects objects(table);
    table.SetObjects(&objects);
    CRefUnit archer(1, 4);
    CRefUnit worker(0, 7);
    CRefUnit knight(5, 12);
    CRefBuilding barracks(2, 3, 0, 0, 0);
    CRefBuilding tree(-1, 10, 2, 5, 0);
    CRefBuilding statue(1, 18, 0, 0, 7);
    archer.value = 100;
    worker.value = 101;
    knight.value = 102;
    barracks.value = 200;
    tree.value = 201;
    statue.value = 202;
    archer.target = &knight;
    knight.target = &archer;
    statue.target = &worker;
    table.AddUnit(&archer);
    table.AddBuilding(&barracks);
    table.AddUnit(&worker);
    table.AddBuilding(&tree);
    table.AddBuilding(&statue);
    table.AddUnit(&knight);

    const std::string path = Path("table.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    table.SaveGame(save);
    save.Close();
    ASSERT_FALSE(save.HasError());

    const std::vector<int32_t> expected = {
        6,                       // count
        0, 1, 4,                 // archer: unit, player, type
        1, 2, 3, 0, 0,           // barracks: building, owner, cast, resource, tree
        0, 0, 7,                 // worker
        1, -1, 10, 2, 5,         // neutral tree
        1, 1, 18, 0, 0, 7,       // decoration with its kind
        0, 5, 12,                // knight
        100, 5,                  // archer's state, linking the knight (id 5)
        200, -1,
        101, -1,
        201, -1,
        202, 2,
        102, 0};
    EXPECT_EQ(PayloadNumbers(path), expected);
}

TEST_F(ReferenceBaseSaveTest, LoadMakesEveryObjectAgainWithItsIdAndLinks)
{
    g_LocalPlayer = 3;
    const std::string path = SaveNumbers({4,
                                          0, 1, 4,          // unit of player 1, type 4
                                          1, -1, 10, 3, 0,  // neutral rock
                                          1, 6, 18, 0, 0, 9,
                                          0, 7, 24,
                                          100, 3,           // links the later unit
                                          200, 0,
                                          201, -1,
                                          102, 0});
    CReferenceBase table;
    CRefObjects objects(table);
    table.SetObjects(&objects);
    CSaveGame load;
    load.BeginLoad(path.c_str());
    ASSERT_TRUE(table.LoadGame(load));
    load.Close();
    ASSERT_FALSE(load.HasError());
    EXPECT_FALSE(Log().Contains("#DEBUG: LoadGame not readed til the end of the file"));

    ASSERT_EQ(table.GetCount(), 4);
    auto* first = static_cast<CRefUnit*>(table.GetUnit(0));
    auto* rock = static_cast<CRefBuilding*>(table.GetBuilding(1));
    auto* statue = static_cast<CRefBuilding*>(table.GetBuilding(2));
    auto* last = static_cast<CRefUnit*>(table.GetUnit(3));
    ASSERT_TRUE(first && rock && statue && last);
    EXPECT_EQ(first->player, 1);
    EXPECT_EQ(first->GetCastID(), 4);
    EXPECT_EQ(first->value, 100);
    EXPECT_EQ(first->target, last);
    // The neutral site is made by the local player's factory.
    EXPECT_EQ(rock->owner, 3);
    EXPECT_EQ(rock->GetBuildCast(), 10);
    EXPECT_EQ(rock->GetResourceKind(), 3);
    EXPECT_EQ(statue->owner, 6);
    EXPECT_EQ(statue->GetDecorationKind(), 9);
    EXPECT_EQ(statue->value, 201);
    EXPECT_EQ(last->player, 7);
    EXPECT_EQ(last->GetCastID(), 24);
    EXPECT_EQ(last->target, first);
    EXPECT_EQ(table.GetUnitRef(last), 3);
    EXPECT_EQ(objects.LiveObjects(), 4u);
}

TEST_F(ReferenceBaseSaveTest, SaveLoadSaveGivesTheSameSection)
{
    CReferenceBase table;
    CRefObjects objects(table);
    table.SetObjects(&objects);
    CRefUnit a(2, 3);
    CRefUnit b(4, 0);
    CRefBuilding mine(0, 10, 4, 0, 0);
    a.value = -7;
    a.target = &b;
    b.target = &b;
    mine.value = 1500;
    mine.target = &a;
    table.AddBuilding(&mine);
    table.AddUnit(&a);
    table.AddUnit(&b);
    const std::string first = Path("first.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(first.c_str()));
    table.SaveGame(save);
    save.Close();

    CReferenceBase loaded;
    CRefObjects made(loaded);
    loaded.SetObjects(&made);
    CSaveGame load;
    load.BeginLoad(first.c_str());
    ASSERT_TRUE(loaded.LoadGame(load));
    load.Close();

    const std::string second = Path("second.save");
    CSaveGame again;
    ASSERT_TRUE(again.BeginSave(second.c_str()));
    loaded.SaveGame(again);
    again.Close();
    ASSERT_FALSE(again.HasError());
    EXPECT_EQ(Bytes(second), Bytes(first));
}

TEST_F(ReferenceBaseSaveTest, BadCreationDataFailsTheLoadAndLeavesNothing)
{
    struct SCase
    {
        const char* what;
        std::vector<int32_t> numbers;
        const char* logLine;
    };
    const SCase cases[] = {
        {"invalid kind", {1, 2, 0, 0}, "#DEBUG: CReferenceBase::LoadGame() invalid reference cast - 1"},
        {"unit of player 8", {1, 0, 8, 4, 0, -1}, "Save game refused: a unit's player index is out of range"},
        {"unit of player -1", {1, 0, -1, 4, 0, -1}, "Save game refused: a unit's player index is out of range"},
        {"building of player 8", {1, 1, 8, 3, 0, 0, 0, -1}, "Save game refused: a building's owner is out of range"},
        {"building of player -2", {1, 1, -2, 3, 0, 0, 0, -1}, "Save game refused: a building's owner is out of range"},
        {"unknown unit type", {1, 0, 0, 99, 0, -1}, "Save game refused: a unit of an unknown type"},
        {"unknown cast", {1, 1, 0, 77, 0, 0, 0, -1}, "Save game refused: a building of an unknown kind"},
        {"count 65,537", {65537, 0, 0, 1}, "Save game refused: the reference count is out of range"},
        {"count -1", {-1, 0, 0, 1}, "Save game refused: the reference count is out of range"},
        // Two objects made, then a bad kind: both are discarded.
        {"bad third entry", {3, 0, 1, 4, 1, 2, 3, 0, 0, 5}, "#DEBUG: CReferenceBase::LoadGame() invalid reference cast - 1"},
        {"section cut short", {2, 0, 1, 4, 0, 1}, nullptr},
        // The stray 7 behind the barracks is taken for the next entry's kind.
        {"decoration kind for another cast", {2, 1, 1, 3, 0, 0, 7, 0, 1, 4},
         "#DEBUG: CReferenceBase::LoadGame() invalid reference cast - 1"},
    };
    for (const SCase& bad : cases)
    {
        Log().Clear();
        const SLoadResult result = LoadNumbers(bad.numbers);
        EXPECT_FALSE(result.loaded) << bad.what;
        EXPECT_TRUE(result.streamError) << bad.what;
        EXPECT_EQ(result.count, 0) << bad.what;
        EXPECT_EQ(result.liveObjects, 0u) << bad.what;
        if (bad.logLine)
        {
            EXPECT_TRUE(Log().Contains(bad.logLine)) << bad.what;
        }
    }
}

TEST_F(ReferenceBaseSaveTest, LinkToAnIdOutsideTheTableFailsTheLoad)
{
    const SLoadResult result = LoadNumbers({1, 0, 1, 4, 100, 9});
    EXPECT_FALSE(result.loaded);
    EXPECT_TRUE(result.streamError);
    // The objects have read their state; they stay for the caller.
    EXPECT_EQ(result.count, 1);
}

TEST_F(ReferenceBaseSaveTest, EmptyTableIsOneNumber)
{
    CReferenceBase table;
    const std::string path = Path("empty.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    table.SaveGame(save);
    save.Close();
    EXPECT_EQ(PayloadNumbers(path), std::vector<int32_t>{0});
    const SLoadResult result = LoadNumbers({0});
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(result.count, 0);
}
