// The reference table: ids in insertion order, misuse reported, and its save section written, loaded and refused.

#include "SaveGame_Fixture.h"
#include "WorldTestSupport.h"
#include "tests/support/PlayerTestObjects.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_ReferencedObjects.h"
#include "world/C_SaveGame.h"

namespace
{
// Each object's own state is one number; a negative one is refused.
class CRefUnit : public TestUnit
{
public:
    CRefUnit(int32_t owner, int32_t cast) : TestUnit(cast) { player = owner; }

    int32_t value = 0;
};

class CRefBuilding : public TestBuilding
{
public:
    CRefBuilding(int32_t player = 0, int32_t cast = 2, int32_t resource = 0, int32_t tree = 0, int32_t decoration = 0)
        : TestBuilding(cast, resource, decoration), m_Tree(tree)
    {
        owner = player;
    }
    int32_t GetTreeCast() const override { return m_Tree; }

    int32_t value = 0;

private:
    int32_t m_Tree;
};

// Knows unit types 0 to 24 and building casts 0 to 18; keeps what it made.
class CRefObjects : public CReferencedObjects
{
public:
    CUnit* MakeUnit(int32_t player, int32_t type) const override
    {
        return type < 0 || type > 24 ? nullptr : units.emplace_back(std::make_unique<CRefUnit>(player, type)).get();
    }
    CBuilding* MakeBuilding(int32_t player, int32_t cast, int32_t resource, int32_t tree,
                            int32_t decoration) const override
    {
        if (cast < 0 || cast > 18)
            return nullptr;
        return buildings.emplace_back(std::make_unique<CRefBuilding>(player, cast, resource, tree, decoration)).get();
    }
    void DiscardUnit(CUnit* u) const override { std::erase_if(units, [u](auto& p) { return p.get() == u; }); }
    void DiscardBuilding(CBuilding* b) const override
    {
        std::erase_if(buildings, [b](auto& p) { return p.get() == b; });
    }
    void SaveUnit(CUnit& unit, CSaveStream& s) const override { Save(static_cast<CRefUnit&>(unit).value, s); }
    void LoadUnit(CUnit& unit, CSaveStream& s) const override { Load(static_cast<CRefUnit&>(unit).value, s); }
    void SaveBuilding(CBuilding& b, CSaveStream& s) const override { Save(static_cast<CRefBuilding&>(b).value, s); }
    void LoadBuilding(CBuilding& b, CSaveStream& s) const override { Load(static_cast<CRefBuilding&>(b).value, s); }
    size_t LiveObjects() const { return units.size() + buildings.size(); }

    mutable std::vector<std::unique_ptr<CRefUnit>> units;
    mutable std::vector<std::unique_ptr<CRefBuilding>> buildings;

private:
    static void Save(int32_t value, CSaveStream& stream) { stream.Write(&value, 4); }
    static void Load(int32_t& value, CSaveStream& stream)
    {
        stream.Read(&value, 4);
        if (value < 0)
            stream.SetError();
    }
};

using ReferenceBaseTest = SaveGameTest;

class ReferenceBaseSaveTest : public SaveGameTest
{
protected:
    // The table's section as little-endian 32-bit numbers.
    std::vector<int32_t> Saved(CReferenceBase& table)
    {
        CSaveGame save;
        EXPECT_TRUE(save.BeginSave(Path("table.save").c_str()));
        table.SaveGame(save);
        save.Close();
        const std::vector<uint8_t> bytes = Payload(Path("table.save"));
        std::vector<int32_t> numbers;
        for (size_t at = 0; at + 4 <= bytes.size(); at += 4)
            numbers.push_back(GetLe32(bytes, at));
        return numbers;
    }
    // Loads a section of these numbers into a table made with `objects`.
    bool Load(CReferenceBase& table, CRefObjects& objects, const std::vector<int32_t>& numbers)
    {
        const std::string path = Path("numbers.save");
        CSaveGame save;
        EXPECT_TRUE(save.BeginSave(path.c_str()));
        for (int32_t number : numbers)
            save.WriteI32(number);
        save.Close();
        table.SetObjects(&objects);
        CSaveGame load;
        load.BeginLoad(path.c_str());
        const bool loaded = table.LoadGame(load);
        EXPECT_EQ(loaded, !load.HasError());
        load.Close();
        return loaded;
    }
};
} // namespace

TEST_F(ReferenceBaseTest, IdsFollowInsertionOrderAndMisuseIsReportedOnce)
{
    auto table = std::make_unique<CReferenceBase>();
    CRefUnit units[3] = {{0, 1}, {0, 1}, {0, 1}};   // ascending addresses
    CRefBuilding keep(0, 11, 0, 0, 0), stranger(0, 2, 0, 0, 0);
    EXPECT_EQ((std::vector<int32_t>{table->AddUnit(&units[1]), table->AddUnit(&units[0]), table->AddBuilding(&keep)}),
              (std::vector<int32_t>{0, 1, 2}));
    EXPECT_TRUE(table->GetUnit(1) == &units[0] && table->GetUnit(-1) == nullptr && Log().Lines().empty());
    // Twice, null, unknown; the building's address asked as a unit's is found all the same.
    EXPECT_EQ((std::vector<int32_t>{table->AddUnit(&units[0]), table->AddBuilding(&keep), table->AddUnit(nullptr),
                                    table->GetUnitRef(&units[2]), table->GetBuildingRef(&stranger),
                                    table->GetUnitRef(reinterpret_cast<const CUnit*>(&keep))}),
              (std::vector<int32_t>{1, 2, -1, -1, -1, 2}));
    EXPECT_EQ(table->GetUnit(2), nullptr);
    for (const char* report : {"Add unit reference twice", "Add building reference twice", "Add NULL unit reference",
                               "Invalid unit reference index", "Unreferenced unit pointer request",
                               "Unreferenced building pointer request", "Invalid unit reference"})
        EXPECT_EQ(Log().Count(std::string("#DEBUG: ") + report), 1) << report;
    EXPECT_EQ(table->GetCount(), 3);
}

TEST_F(ReferenceBaseSaveTest, SectionHoldsCreationDataThenEveryObjectsStateAndLoadsBackTheSame)
{
    CReferenceBase table;
    CRefObjects objects;
    table.SetObjects(&objects);
    CRefUnit archer(1, 4), worker(0, 7), knight(5, 12);
    CRefBuilding barracks(2, 3, 0, 0, 0), tree(-1, 10, 2, 5, 0), statue(1, 18, 0, 0, 7);
    archer.value = 100;
    statue.value = 202;
    EXPECT_EQ((std::vector<int32_t>{table.AddUnit(&archer), table.AddBuilding(&barracks), table.AddUnit(&worker),
                                    table.AddBuilding(&tree), table.AddBuilding(&statue), table.AddUnit(&knight)}),
              (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    const std::vector<int32_t> expected = {
        6,                   // count
        0, 1, 4,             // archer: unit, player, type
        1, 2, 3, 0, 0,       // barracks: building, owner, cast, resource, tree
        0, 0, 7,             // worker
        1, -1, 10, 2, 5,     // neutral tree
        1, 1, 18, 0, 0, 7,   // decoration with its kind
        0, 5, 12,            // knight
        100, 0, 0, 0, 202, 0};   // the objects' states in id order
    ASSERT_EQ(Saved(table), expected);

    // The neutral tree is made by the local player's factory.
    const int32_t localPlayer = g_LocalPlayer;
    g_LocalPlayer = 3;
    CReferenceBase loaded;
    CRefObjects made;
    const bool ok = Load(loaded, made, expected);
    g_LocalPlayer = localPlayer;
    ASSERT_TRUE(ok && made.LiveObjects() == 6u);
    EXPECT_TRUE(loaded.GetUnit(0)->GetCastID() == 4 && loaded.GetBuilding(3)->owner == 3);
    std::vector<int32_t> again = expected;
    again[13] = 3;
    EXPECT_EQ(Saved(loaded), again);
}

TEST_F(ReferenceBaseSaveTest, BadSectionsFailTheLoadAndLeaveNothing)
{
    const std::string badKind = "#DEBUG: CReferenceBase::LoadGame() invalid reference cast - 1";
    const std::string player = "Save game refused: a unit's player index is out of range";
    const std::string owner = "Save game refused: a building's owner is out of range";
    const std::string count = "Save game refused: the reference count is out of range";
    // After two good objects a bad kind discards both; the stray 7 behind the
    // barracks is taken for the next entry's kind.
    const std::pair<std::vector<int32_t>, std::string> cases[] = {
        {{1, 2, 0, 0}, badKind}, {{1, 0, 8, 4}, player}, {{1, 0, -1, 4}, player},
        {{1, 1, 8, 3, 0, 0}, owner}, {{1, 1, -2, 3, 0, 0}, owner},
        {{1, 0, 0, 25}, "Save game refused: a unit of an unknown type"},
        {{1, 1, 0, 19, 0, 0}, "Save game refused: a building of an unknown kind"},
        {{65537, 0, 0, 1}, count}, {{-1, 0, 0, 1}, count}, {{3, 0, 1, 4, 1, 2, 3, 0, 0, 5}, badKind},
        {{2, 0, 1, 4, 0, 1}, "#DEBUG: Read beyond the end of save buffer"},
        {{2, 1, 1, 3, 0, 0, 7, 0, 1, 4}, badKind}};
    for (const auto& [numbers, line] : cases)
    {
        SCOPED_TRACE(line);
        Log().Clear();
        CReferenceBase table;
        CRefObjects objects;
        EXPECT_TRUE(!Load(table, objects, numbers) && table.GetCount() == 0 && objects.LiveObjects() == 0u);
        EXPECT_TRUE(Log().Contains(line));
    }
    // The most a section may hold: 65,536 units, of the last player.
    std::vector<int32_t> most = {65536};
    for (int32_t i = 0; i < 65536; ++i)
        most.insert(most.end(), {0, 7, 1});
    most.resize(most.size() + 65536, 0);
    CReferenceBase full;
    CRefObjects made;
    EXPECT_TRUE(Load(full, made, most) && full.GetCount() == 65536 && full.GetUnit(65535)->player == 7);
    // A state its object refuses fails the load; the objects stay for the caller.
    CReferenceBase table;
    CRefObjects objects;
    EXPECT_TRUE(!Load(table, objects, {1, 0, 1, 4, -7}) && table.GetCount() == 1);
    CReferenceBase empty;
    EXPECT_EQ(Saved(empty), std::vector<int32_t>{0});   // one number
    EXPECT_TRUE(Load(empty, objects, {0}));
}

// One object more than the table holds: the registration is refused, and the save of that game fails
// with its line (its links could not all be written) and leaves no file; emptied, the table saves again.
TEST_F(ReferenceBaseSaveTest, AGameWithMoreObjectsThanTheTableHoldsIsNotSaved)
{
    auto table = std::make_unique<CReferenceBase>();
    CRefObjects objects;
    table->SetObjects(&objects);
    const auto buildings = std::make_unique<CRefBuilding[]>(CReferenceBase::Capacity + 1);
    for (int32_t i = 0; i < CReferenceBase::Capacity; ++i)
        table->AddBuilding(&buildings[size_t(i)]);
    EXPECT_EQ(table->GetCount(), CReferenceBase::Capacity);
    EXPECT_EQ(table->AddBuilding(&buildings[CReferenceBase::Capacity]), -1);
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(Path("full.save").c_str()));
    table->SaveGame(save);
    save.Close();
    EXPECT_TRUE(save.HasError() && !CScratchFolder::Exists(Path("full.save")) &&
                Log().Contains("Save game failed: the game holds more objects than the reference table's 65536"));
    table->Reset();
    table->AddBuilding(&buildings[0]);
    EXPECT_EQ(Saved(*table), std::vector<int32_t>({1, 1, 0, 2, 0, 0, 0}));
}
