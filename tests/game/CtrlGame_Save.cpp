#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <tuple>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingKeep.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_D3D8Game.h"
#include "core/C_Localizer.h"
#include "editor/F_BuildingsAvailable.h"
#include "editor/F_DependencyList.h"
#include "editor/F_EditorMenu.h"
#include "editor/F_EditorMessage.h"
#include "editor/F_ExportMap.h"
#include "editor/F_Identifier.h"
#include "editor/F_LoadMap.h"
#include "editor/F_PlayerProperties.h"
#include "editor/F_SaveMap.h"
#include "editor/F_SetTechTree.h"
#include "editor/F_TowerProperties.h"
#include "editor/F_UnitProperties.h"
#include "editor/F_UnitsAvailable.h"
#include "effects/C_Particles.h"
#include "frontend/C_PlayerProfiles.h"
#include "game/C_CtrlGame.h"
#include "game/C_MissionObjectives.h"
#include "game/C_Selection.h"
#include "game/F_Confirm.h"
#include "game/F_Dialogs.h"
#include "game/F_GameCommand.h"
#include "game/F_GameEnd.h"
#include "game/F_GameMenu.h"
#include "game/F_GameOptions.h"
#include "game/F_LoadGame.h"
#include "game/F_MissionObjectives.h"
#include "game/F_SaveGame.h"
#include "game/F_ScriptMessage.h"
#include "game/F_WaitPlayers.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_ReferenceBase.h"
#include "world/C_SaveGame.h"

namespace
{
// A small game to save and load: the simulation harness with walking warriors, the save language, and the
// controller's own globals (pause, timers, objectives, profiles, selection) put back after each test.  The last
// timer record carries a pattern no other section holds, so that tests find the controller's section in a save
// whose table they cannot measure.
class SaveGameWorld : public ::testing::Test
{
protected:
    static constexpr int32_t MarkedTimer = CD3D8Game::kTimerCount - 1;
    static constexpr int32_t MarkReload = 0x5A5A5A5A, MarkCounter = 0x3C3C3C3C;
    // Pause flag and sixteen records of enabled, reload and counter.
    static constexpr size_t ControllerBytes = 1 + 16 * 9;
    static constexpr int32_t KillingBlow = 100000;
    static constexpr TENUMDAMAGETYPE MeleeDamage = DAMAGE_BLADE;

    explicit SaveGameWorld(int32_t mapSide = CSimHarness::DefaultMapSide)
        : m_Harness(std::make_unique<CSimHarness>(mapSide))
    {
        SetPlayerServices(&m_Walkers);
        CSaveGameRun::UseSaveLanguage();
        std::copy(std::begin(g_D3D8Game.timers), std::end(g_D3D8Game.timers), std::begin(m_Timers));
        g_D3D8Game.timers[MarkedTimer] = CtrlTimer{1, MarkReload, MarkCounter};
    }

    ~SaveGameWorld() override
    {
        g_Selection.Clear(), m_Harness.reset();
        std::copy(std::begin(m_Timers), std::end(m_Timers), std::begin(g_D3D8Game.timers));
        g_CtrlGame.paused = 0;
        // The objectives as built: a new record's section loaded over them.
        CMemorySaveStream built;
        CMissionObjectives().SaveGame(built);
        CMemorySaveStream reading(built.Bytes());
        g_MissionObjectives.LoadGame(reading), g_PlayerProfiles.Clear();
    }

    CSimHarness& World() { return *m_Harness; }

    void Play(int32_t frames)
    {
        for (int32_t frame = 0; frame < frames; ++frame) CSaveGameRun::Frame(World());
    }

    // Two warriors a side near each other, one walking off, a blacksmith, a dead warrior's corpse (played on
    // until it lies), a selected unit, a control group and a marker.
    void BuildSmallGame()
    {
        CUnit* doomed = World().Spawn(2, UNIT_WARRIOR, 30, 30);
        ASSERT_NE(doomed, nullptr);
        doomed->TakeHit(nullptr, KillingBlow, MeleeDamage, false);
        for (int32_t frame = 0; frame < 100 && g_Particles.GetCorpseCount() == 0; ++frame) CSaveGameRun::Frame(World());
        ASSERT_EQ(g_Particles.GetCorpseCount(), 1);
        for (const auto& [player, x, y] : {std::tuple{0, 10, 10}, {0, 10, 12}, {1, 12, 10}, {1, 12, 12}})
            ASSERT_NE(m_Units.emplace_back(World().Spawn(player, UNIT_WARRIOR, x, y)), nullptr);
        m_Units[1]->onCommand(nullptr, nullptr, nullptr, 40, 40, CMD_MOVE_TO);
        ASSERT_NE(World().Player(0).CreateBuilding(CastBlacksmith, 20, 30), nullptr);
        g_Selection.AddUnit(m_Units[0], 0), m_Units[2]->controlGroup = 2, World().Player(1).controlGroupCounts[1] = 1;
        g_Particles.AddMinimapMarker(12, 10, 0xFF0000), g_MissionObjectives.gameFile = "Maps\\Small.world";
        Play(5);
    }

    // Where the controller's section starts in a save's payload.
    static size_t ControllerAt(const std::vector<uint8_t>& payload)
    {
        const std::string mark = "\x01" + LE32(uint32_t(MarkReload)) + LE32(uint32_t(MarkCounter));
        const auto found = std::search(payload.begin(), payload.end(), mark.begin(), mark.end());
        EXPECT_NE(found, payload.end());
        return size_t(found - payload.begin()) + mark.size() - ControllerBytes;
    }

    // The payload size of a new map's section: header, camera and water (108 bytes), the corner columns,
    // 22 bytes a block, the weather type and the eight setups, named "Player 1" and on by a new map.
    static size_t MapBytes(size_t side)
    {
        const size_t setups = 8 * (4 + std::string("Player 1").size() + 1 + 6 * 4 + 61 * 4 + 36 + 19 + 8);
        return 108 + (side + 1) * (side + 1) * 9 + side * side * 2 + side * side * 22 + 4 + setups;
    }

    CTestLog m_Log;
    std::vector<CUnit*> m_Units;

private:
    CSaveGameRun::CWalkerServices m_Walkers;
    std::unique_ptr<CSimHarness> m_Harness;
    CtrlTimer m_Timers[CD3D8Game::kTimerCount] = {};
};

// The file without its last `bytes`.
std::vector<uint8_t> Cut(const std::vector<uint8_t>& f, size_t bytes) { return {f.begin(), f.end() - long(bytes)}; }

constexpr int32_t kSide = 32;

std::string Bytes(const std::vector<uint8_t>& payload, size_t at, size_t count)
{
    return std::string(payload.begin() + std::ptrdiff_t(at), payload.begin() + std::ptrdiff_t(at + count));
}

constexpr int32_t TowerX = 30, TowerY = 10, WorkshopX = 36, WorkshopY = 20, KeepX = 44, KeepY = 44;
constexpr int32_t ShipPlayer = 0, DyingPlayer = 3;

// The objects of the game, looked up afresh after every load.
struct SObjects
{
    CUnit *living, *enemy, *corpse, *dying, *waiting, *carried, *archer, *king;
    CUnitTransportShip* ship;
    CBuilding *workshop, *smithy, *ruin;
};

CUnit* FirstOfType(int32_t player, int32_t type)
{
    const CPlayer& owner = g_Players[player];
    for (int32_t i = 0; i < owner.unitCount; ++i) if (owner.units[i]->GetCastID() == type) return owner.units[i];
    return nullptr;
}

SObjects Find()
{
    std::vector<CUnit*> corpses;
    std::vector<CBuilding*> ruins;
    g_Particles.GetHeldObjects(corpses, ruins);
    auto* ship = dynamic_cast<CUnitTransportShip*>(FirstOfType(ShipPlayer, UNIT_TRANSPORTSHIP));
    CBuilding* workshop = g_GameMap.Block(WorkshopX, WorkshopY).building;
    auto* tower = dynamic_cast<CBuildingTower*>(g_GameMap.Block(TowerX, TowerY).building);
    auto* keep = dynamic_cast<CBuildingKeep*>(g_GameMap.Block(KeepX, KeepY).building);
    return {g_Players[0].units[0], g_Players[1].units[0], corpses.at(0), FirstOfType(DyingPlayer, UNIT_WARRIOR),
            workshop->productionUnit, ship->GetCargo(0), tower->archers[0], keep->GetKing(), ship, workshop,
            g_GameMap.Block(20, 30).building, ruins.at(0)};
}

// A saved text: its length with the zero (or `bytes`), the text and the zero.
std::string Text32(const std::string& text, int64_t bytes = -1)
{
    return LE32(uint32_t(bytes < 0 ? int64_t(text.size()) + 1 : bytes)) + text + std::string(1, '\0');
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
std::string Tail(const std::string& flags, const std::string& gameFile) { return LE32(1) + LE32(6) + flags + gameFile; }

}  // namespace

class CtrlGameSaveRefusal : public SaveGameWorld
{
protected:
    void SetUp() override
    {
        BuildSmallGame();
        m_Before = CSaveGameRun::SaveDrawn();
        ASSERT_FALSE(m_Before.empty());
        m_PayloadAt = CSaveGameRun::PayloadOffset(m_Before);
    }

    // The save with the 32-bit field (or the byte) at that payload offset changed, its CRC-32 made to match.
    std::vector<uint8_t> WithField(size_t payloadOffset, uint32_t value, size_t bytes = 4) const
    {
        std::vector<uint8_t> file = m_Before;
        for (size_t i = 0; i < bytes; ++i) file.at(m_PayloadAt + payloadOffset + i) = uint8_t(value >> (8 * i));
        return CSaveGameRun::WithMatchingCrc(file);
    }
    std::vector<uint8_t> WithByte(size_t offset, uint8_t value) const { return WithField(offset, value, 1); }

    std::vector<uint8_t> m_Before;
    size_t m_PayloadAt = 0;
};

// A damaged file is refused before the game is touched, saying why in the demo data's text and by its key;
// a bad section after undoing the half-loaded world and restoring the game, with its line.
TEST_F(CtrlGameSaveRefusal, DamagedFilesAndBadSectionsAreRefusedWithTheirLineAndTheGameGoesOn)
{
    const std::string texts = CScratchFolder::ReadFile(V2KRN_SOURCE_DIR "/data/demo/Locale/English/savegames.txt");
    ASSERT_TRUE(g_Localizer.LoadLocaleText("savegames.txt", texts.c_str(), int(texts.size())));
    CUnit* const listed = World().Player(0).units[0];
    const std::vector<uint8_t> payload = CSaveGameRun::Payload(m_Before);
    const size_t controller = ControllerAt(payload), localPlayer = controller + ControllerBytes;
    // From the objectives' game file on: its text, the empty profile name, the selection with the nine
    // groups (the second holding one unit) and the option bytes.
    const std::string text = LE32(uint32_t(std::string("Maps\\Small.world").size() + 1)) + "Maps\\Small.world";
    const size_t textAt = size_t(std::search(payload.begin(), payload.end(), text.begin(), text.end()) -
                                 payload.begin());
    const size_t profile = textAt + text.size() + 1, selection = profile + 2, selectedUnit = selection + 4;
    const size_t secondGroup = selectedUnit + 4 + 4 + 4, options = secondGroup + 4 + 4 + 7 * 4;
    ASSERT_TRUE(CSaveGameRun::U32At(payload, selection) == 1u && CSaveGameRun::U32At(payload, secondGroup) == 1u);
    // The particles right before the map: one corpse, no ruin, no fire, no
    // emitter, the next handle, one marker, no shot.
    const size_t map = payload.size() - MapBytes(CSimHarness::DefaultMapSide);
    const size_t particles = map - (4 + 8 + 4 + 4 + 4 + 4 + 4 + 12 + 4);
    ASSERT_EQ(CSaveGameRun::U32At(payload, particles), 1u);
    // The first group names the second group's unit as well.
    std::vector<uint8_t> twice = m_Before;
    twice.insert(twice.begin() + std::ptrdiff_t(m_PayloadAt + secondGroup - 4), 4, 0);
    CSaveGameRun::PutU32At(twice, m_PayloadAt + secondGroup - 4, 1);
    CSaveGameRun::PutU32At(twice, m_PayloadAt + secondGroup, CSaveGameRun::U32At(payload, secondGroup + 4));
    std::vector<uint8_t> longer = m_Before, flipped = m_Before, otherVersion = m_Before;
    longer.push_back(0);
    flipped[m_PayloadAt + 100] ^= 0x10;
    CSaveGameRun::PutU32At(otherVersion, 16, 0x01010005);

    const std::string refused = "Save game refused: ", badTimer = refused + "bad pause flag or timer record";
    const std::string selectionRejected = "Selection section of the saved game rejected: ";
    const std::string badOption = refused + "an option byte is not 0 or 1";
    const std::string badLocal = refused + "the local player's index is out of range";
    const std::string damaged = refused + "The saved game is damaged (MSG_SAVE_CRCERROR)";
    const std::string notASave = refused + "This file is not a saved game (MSG_INVALIDSAVEFILE)";
    // Whether the game is untouched: the very objects are still there, nothing was taken apart.
    const struct { std::vector<uint8_t> file; std::string line; bool untouched = false; } cases[] = {
        {Cut(m_Before, 1), damaged, true}, {Cut(m_Before, m_Before.size() / 2), damaged, true},
        {Cut(m_Before, m_Before.size() - 10), notASave, true}, {flipped, damaged, true},
        {otherVersion, refused + "The game was saved by another version (MSG_INVALIDSAVEVERSION)", true},
        {{}, notASave, true}, {CSaveGameRun::WithMatchingCrc(Cut(m_Before, 1)), ""},
        {CSaveGameRun::WithMatchingCrc(Cut(m_Before, payload.size() / 2)), ""},
        // Inside the last object's state: the objects made so far go again.
        {CSaveGameRun::WithMatchingCrc(Cut(m_Before, payload.size() - controller + 3)), ""},
        {CSaveGameRun::WithMatchingCrc(longer), refused + "bytes are left over behind the map"},
        {WithField(0, 0x7FFFFFFF), refused + "the reference count is out of range"},
        // The first entry's kind, then its player and type.
        {WithField(4, 7), ""}, {WithField(8, 9), refused + "a unit's player index is out of range"},
        {WithField(12, 99), refused + "a unit of an unknown type"},
        {WithByte(controller, 2), badTimer}, {WithByte(controller + 1, 2), badTimer},
        {WithField(controller + 2, 0xFFFFFFFF), badTimer},
        {WithField(localPlayer, 8), badLocal}, {WithField(localPlayer, 0xFFFFFFFF), badLocal},
        {WithField(localPlayer + 4, 0), "Objectives section of the saved game rejected: unknown game mode"},
        {WithField(textAt, 0), "Objectives section of the saved game rejected: bad text length"},
        {WithByte(profile, 200), ""}, {WithField(selection, 26), selectionRejected + "bad unit count"},
        {WithField(selectedUnit, 60000), selectionRejected + "a selected unit is unknown"},
        {WithField(selectedUnit, CSaveGameRun::U32At(payload, particles + 4)),   // the corpse's
         refused + "a selected unit belongs to no player"},
        {WithField(selectedUnit + 4, 60000), selectionRejected + "the selected building is unknown"},
        {WithField(secondGroup, 2049), selectionRejected + "bad group size"},
        {WithField(secondGroup + 4, 60000), selectionRejected + "a group's unit is unknown"},
        {CSaveGameRun::WithMatchingCrc(twice), selectionRejected + "a unit is in two groups"},
        {WithByte(options, 2), badOption}, {WithByte(options + 1, 7), badOption},
        // Entry 0 of the table is player 0's first unit, which is alive.
        {WithField(particles + 4, 0), refused + "a corpse holds a living unit"},
        {WithField(particles + 8, 0), "Particles section of the saved game rejected: a corpse's time is out of range"},
        {WithField(particles + 12, 1), ""},
        {WithField(map + 4, 300), "Map section of the saved game rejected (bad theme or size)"},
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(entry.line);
        m_Log.Clear();
        EXPECT_FALSE(CSaveGameRun::Load(entry.file));
        EXPECT_TRUE(CSaveGameRun::SaveDrawn() == m_Before) << "the running game changed";
        EXPECT_TRUE(entry.line.empty() || m_Log.Contains(entry.line));
        EXPECT_TRUE(!entry.untouched || World().Player(0).units[0] == listed);
        EXPECT_FALSE(m_Log.Contains("#DEBUG: The running game could not be restored after a failed load"));
    }
    g_Localizer.Clear();
    // The last player's index is still taken.
    EXPECT_TRUE(CSaveGameRun::Load(WithField(localPlayer, 7)) && g_LocalPlayer == 7 && CSaveGameRun::Load(m_Before));
    // The running game comes back from its snapshot even where a load's link check would refuse it: here a
    // dying unit is selected.
    CUnit* dying = World().Player(0).units[0];
    dying->TakeHit(nullptr, 100000, DAMAGE_BLADE, false), g_Selection.units[g_Selection.unitCount++] = dying;
    const std::vector<uint8_t> untidy = CSaveGameRun::SaveDrawn();
    EXPECT_TRUE(dying->IsDying() && !CSaveGameRun::Load(WithField(localPlayer, 8)) &&
                CSaveGameRun::SaveDrawn() == untidy);
}

TEST_F(CtrlGameSaveRefusal, SaveFileOnDiskLoadsBackAndAMissingOneIsRefused)
{
    CScratchFolder folder;
    const std::string path = folder / "Small.save";
    ASSERT_TRUE(g_CtrlGame.SaveGame(path.c_str()));
    const std::string written = CScratchFolder::ReadFile(path);
    ASSERT_TRUE(std::vector<uint8_t>(written.begin(), written.end()) == m_Before && g_CtrlGame.LoadGame(path.c_str()));
    // Before any frame the links are the loaded objects: the selected unit, its block, its group's unit.
    CUnit* const listed = World().Player(0).units[0];
    EXPECT_TRUE(g_Selection.unitCount == 1 && g_Selection.units[0] == listed &&
                g_GameMap.Block(listed->x, listed->y).unit == listed && World().Player(1).units[0]->controlGroup == 2);
    EXPECT_EQ(CSaveGameRun::SaveDrawn(), m_Before);

    // A save the disk does not take (no folder; a folder in the file's place) is a failure.
    folder.Write("Taken.save/inside", std::string("x"));
    for (const auto& [name, cause] : {std::pair{"no/Small.save", "No such file or directory"},
                                      {"Taken.save", "Is a directory"}})
        EXPECT_TRUE(!g_CtrlGame.SaveGame((folder / name).c_str()) &&
                    m_Log.Contains("Save game could not be written to " + folder / name + ": " + cause)) << name;
    // A running game that cannot be kept aside is not given up for the save.
    CSaveGame stream;
    stream.BeginLoad(path.c_str()), g_Config.languageFolder = std::string(256, 'L').c_str();
    EXPECT_TRUE(!g_CtrlGame.LoadGame(stream) && World().Player(0).units[0] == listed &&
                m_Log.Contains("Save game refused: the running game could not be kept aside"));
    CSaveGameRun::UseSaveLanguage();
    EXPECT_FALSE(g_CtrlGame.LoadGame((folder / "Missing.save").c_str()));
    g_Config.languageFolder = "German\\";
    EXPECT_TRUE(!g_CtrlGame.LoadGame(path.c_str()) && World().Player(0).units[0] == listed);
}

// A running game that does not read back (here a unit healthier than any save may hold) cannot come back
// after a refused load: the log says that the game has ended, nothing of either game is left, and the
// empty world still runs and takes a sound save.
TEST_F(CtrlGameSaveRefusal, ARunningGameThatDoesNotReadBackEndsWithAClearLine)
{
    std::vector<uint8_t> longer = m_Before;
    longer.push_back(0), m_Units[0]->health = 150.0f;
    EXPECT_FALSE(CSaveGameRun::Load(CSaveGameRun::WithMatchingCrc(longer)));
    EXPECT_TRUE(m_Log.Contains("Save game refused; the running game could not be brought back and has ended") &&
                !m_Log.Contains("Save game refused; the running game goes on"));
    for (int32_t p = 0; p < MaxPlayers; ++p)
        EXPECT_EQ(World().Player(p).unitCount + World().Player(p).buildingCount, 0);
    EXPECT_TRUE(g_Particles.GetCorpseCount() == 0 && g_Selection.unitCount == 0);
    Play(1);
    EXPECT_TRUE(CSaveGameRun::Load(m_Before));
}

TEST(CtrlGameSaveWithoutAGame, SavingIsRefusedWithALineAndTheMessageBarWaitsAtTheBottom)
{
    CTestLog log;
    CScratchFolder folder;
    EXPECT_TRUE(!g_CtrlGame.SaveGame((folder / "none.save").c_str()) &&
                log.Contains("Save game refused: no game is running") && !CScratchFolder::Exists(folder / "none.save"));
    CSaveGame empty;
    ASSERT_TRUE(empty.BeginSave((folder / "empty.save").c_str()));
    empty.Close();
    EXPECT_TRUE(!g_CtrlGame.LoadGame((folder / "empty.save").c_str()) &&
                log.Contains("Save game refused: there are no players to load it into"));
    const CMENUMessage& bar = g_CtrlGame.messageBar;
    EXPECT_TRUE(bar.x == 208 && bar.y == 671 && bar.w == 816 && bar.h == 97 && bar.value1 == -1 && bar.value2 == -1 &&
                bar.historyCount == 0 && bar.history[CMENUMessage::kHistorySize - 1].IsEmpty());
}

// Where each section of a save lies, worked out by hand for a small game on a 32 x 32 map without objects: the table,
// the controller's pause flag and timers, the local player, the objectives, the profile, the selection and the options
// at fixed places; the eight players behind them in order; the particles right before the map, which fills the end.
class CtrlGameSaveLayout : public SaveGameWorld
{
protected:
    CtrlGameSaveLayout() : SaveGameWorld(kSide) {}

    void SetUp() override
    {
        g_CtrlGame.paused = 1;
        std::fill(std::begin(g_D3D8Game.timers), std::end(g_D3D8Game.timers), CtrlTimer{0, 0, 0});
        g_D3D8Game.timers[0] = CtrlTimer{1, 4, 3};
        g_D3D8Game.timers[MarkedTimer] = CtrlTimer{1, MarkReload, MarkCounter};
        g_MissionObjectives.gameMode = CMissionObjectives::ModeScenario;
        g_MissionObjectives.campaignId = 5, g_MissionObjectives.scenarioId = 7;
        ASSERT_TRUE(g_MissionObjectives.Add(9, "Hold", "H") == 0 && g_MissionObjectives.Complete(9));
        g_MissionObjectives.objectivesHint = "Go", g_MissionObjectives.gameFile = "Maps\\a.world";
        g_MissionObjectives.dialogEvents.Add(CMissionObjectives::SDialogEvent{4});
        // Two profiles without results, the second current.
        std::string profiles = "V2KRNplprofiles1" + LE32(2) + LE32(1);
        for (const std::string name : {"Ann", "Bob"})
            profiles += std::string(1, char(name.size())) + name + std::string(1, '\0') + LE32(0);
        profiles += LE32(ReferenceCrc32(profiles));
        ASSERT_TRUE(g_PlayerProfiles.LoadFromMemory(reinterpret_cast<const uint8_t*>(profiles.data()),
                                                    int(profiles.size()), "players.prf"));
        g_Config.fogOfWar = 1;
        for (int32_t p = 0; p < MaxPlayers; ++p) World().Player(p).name = CString("P") + char('0' + p);
        g_Particles.AddMinimapMarker(3, 4, 0xFF0000);
    }
};

TEST_F(CtrlGameSaveLayout, SectionsLieWhereTheirSizesPutThem)
{
    const std::vector<uint8_t> payload = CSaveGameRun::Payload(CSaveGameRun::Save());
    ASSERT_GT(payload.size(), 1000u);

    const std::string timers = std::string(1, '\1') + LE32(4) + LE32(3) + std::string(9 * (MarkedTimer - 1), '\0') +
                               std::string(1, '\1') + LE32(uint32_t(MarkReload)) + LE32(uint32_t(MarkCounter));
    const std::string objectives = LE32(2) + LE32(0) + LE32(0) + LE32(5) + LE32(7) + LE32(1) + LE32(9) +
                                   std::string(1, '\1') + Text32("Hold") + Text32("H") + Text32("Go") + LE32(1) +
                                   LE32(4) + std::string("\1\0\0", 3) + Text32("Maps\\a.world");
    const std::string profile = std::string("\3Bob", 4) + std::string(1, '\0');
    const std::string selection = LE32(0) + LE32(0xFFFFFFFF) + std::string(4 * ControlGroupCount, '\0');
    const std::string head = LE32(0) + std::string(1, '\1') + timers + LE32(0) + objectives + profile + selection +
                             std::string("\1\0", 2);
    EXPECT_EQ(Bytes(payload, 0, head.size()), head);

    // Each player's section opens with its name.
    size_t player = head.size();
    EXPECT_EQ(Bytes(payload, player, 7), Text32("P0"));
    for (int32_t p = 1; p < MaxPlayers; ++p)
    {
        const std::string name = Text32(std::string("P") + char('0' + p));
        const auto next = std::search(payload.begin() + std::ptrdiff_t(player + 1), payload.end(), name.begin(),
                                      name.end());
        EXPECT_GT(size_t(next - payload.begin()), player) << p;
        player = size_t(next - payload.begin());
    }

    const size_t map = payload.size() - MapBytes(kSide);
    const std::string particles = LE32(0) + LE32(0) + LE32(0) + LE32(0) + LE32(1) + LE32(3) + LE32(4) +
                                  LE32(0xFF0000) + LE32(0);
    EXPECT_GT(map - particles.size(), player);
    EXPECT_EQ(Bytes(payload, map - particles.size(), particles.size()), particles);
    EXPECT_EQ(Bytes(payload, map, 12), LE32(0xFFFFFFFF) + LE32(kSide) + LE32(kSide));
}

TEST_F(CtrlGameSaveLayout, LoadingTakesTheProfileOfTheSavedNameWhenThereIsOne)
{
    g_PlayerProfiles.current = 0;   // the first of the list is found as well
    const std::vector<uint8_t> file = CSaveGameRun::Save();
    g_PlayerProfiles.current = 1, g_CtrlGame.paused = 0, g_Config.fogOfWar = 0;
    g_MissionObjectives.objectives.Clear();
    ASSERT_TRUE(CSaveGameRun::Load(file));
    EXPECT_EQ((std::vector<int32_t>{g_PlayerProfiles.GetCurrent(), g_CtrlGame.paused, g_Config.fogOfWar,
                                    g_D3D8Game.timers[0].counter}), (std::vector<int32_t>{0, 1, 1, 3}));
    ASSERT_EQ(g_MissionObjectives.objectives.GetCount(), 1);
    EXPECT_STREQ(g_MissionObjectives.objectives[0].text.GetBuffer(), "Hold");
    EXPECT_STREQ(g_MissionObjectives.gameFile.GetBuffer(), "Maps\\a.world");

    // Without a profile of that name no profile is current; a game running on without fog of war loads so, and
    // the type records come back to the saved game's hit point multiplier.
    g_CtrlGame.paused = 0, g_Config.fogOfWar = 0;
    const std::vector<uint8_t> running = CSaveGameRun::Save();
    const auto [hitPoints, multiplier] = std::pair(g_UnitStats[UNIT_WARRIOR].hitPoints, g_Config.unitHealthMultiply);
    g_CtrlGame.paused = 1, g_Config.fogOfWar = 1, g_Config.unitHealthMultiply = !multiplier, InitTypeRecords();
    g_PlayerProfiles.Clear();
    ASSERT_TRUE(CSaveGameRun::Load(running) && g_PlayerProfiles.GetCurrent() == CPlayerProfiles::kNoProfile);
    EXPECT_TRUE(g_CtrlGame.paused == 0 && g_Config.fogOfWar == 0 && g_Config.unitHealthMultiply == multiplier &&
                g_UnitStats[UNIT_WARRIOR].hitPoints == hitPoints);
}

// A save whose link names a corpse, a ruin, a dying unit or a unit that a building or a ship holds is
// refused with a line naming the link, and the running game goes on as it was.  Each bad save is written
// by the game's own writer from the running game given that one bad link.
using CtrlGameSaveLinks = SaveGameWorld;

// The small game with a manned tower, a workshop (a blacksmith) holding a waiting unit, a ship with a unit aboard, a
// king in his keep, a dying unit and a ruin.  Each load over it takes it apart: a tower deletes its archers with
// itself and a building its waiting unit, never a second time.
TEST_F(CtrlGameSaveLinks, LinksToObjectsThatGoOrThatAnotherHolderOwnsAreRefused)
{
    BuildSmallGame();
    CPlayer& own = World().Player(0);
    auto* tower = dynamic_cast<CBuildingTower*>(own.CreateBuilding(CastTower, TowerX, TowerY));
    ASSERT_TRUE(tower != nullptr && tower->AddArcher(own.NextUnitId(0)) && tower->AddArcher(own.NextUnitId(0)));
    CBuilding* workshop = own.CreateBuilding(CastBlacksmith, WorkshopX, WorkshopY);
    ASSERT_NE(workshop, nullptr);
    workshop->productionUnit = World().Spawn(0, UNIT_WARRIOR, -1, -1);
    auto* ship = dynamic_cast<CUnitTransportShip*>(World().Spawn(ShipPlayer, UNIT_TRANSPORTSHIP, 40, 40));
    CUnit* passenger = World().Spawn(ShipPlayer, UNIT_WARRIOR, 36, 44);
    ASSERT_TRUE(workshop->productionUnit != nullptr && ship != nullptr && passenger != nullptr);
    passenger->ShowUnit(false);
    CBuilding* keep = own.CreateBuilding(CastKeep, KeepX, KeepY);
    CUnit* king = World().Spawn(0, UNIT_KING, KeepX - 2, KeepY);
    ASSERT_TRUE(ship->AcceptGarrison(passenger) && keep != nullptr && king != nullptr);
    keep->Construct(0.0f, true), king->onCommand(nullptr, nullptr, nullptr, king->x, king->y, CMD_ENTER_KEEP);
    for (int32_t frame = 0; frame < 20 && keep->garrisonedUnit == nullptr; ++frame) Play(1);
    ASSERT_EQ(keep->garrisonedUnit, king);
    CUnit* dying = World().Spawn(DyingPlayer, UNIT_WARRIOR, 4, 40);
    CBuilding* house = World().Player(DyingPlayer).CreateBuilding(CastHouse, 40, 4);
    ASSERT_TRUE(dying != nullptr && house != nullptr);
    dying->TakeHit(nullptr, KillingBlow, MeleeDamage, false), house->Destroy(false);
    ASSERT_TRUE(dying->IsDying());
    const std::vector<uint8_t> sound = CSaveGameRun::SaveDrawn();

    const struct { std::function<void(SObjects&)> breakLink; const char* fault; } cases[] = {
        {[](auto& o) { o.living->followedUnit = o.corpse; }, "a unit's followed unit is no living unit"},
        {[](auto& o) { o.living->attacker = o.dying; }, "a unit's attacker is no living unit"},
        {[](auto& o) { o.living->targetUnit = o.waiting; }, "a unit's target unit is no living unit"},
        {[](auto& o) { o.living->actionTargetUnit = o.carried; }, "a unit's action target unit is no living unit"},
        {[](auto& o) { o.enemy->targetBuilding = o.ruin; }, "a unit's target building is no standing building"},
        {[](auto& o) { o.enemy->actionTargetBuilding = o.ruin; },
         "a unit's action target building is no standing building"},
        {[](auto& o) { o.enemy->targetObject = o.ruin; }, "a unit's target object is no standing building"},
        {[](auto& o) { o.archer->targetUnit = o.corpse; }, "a unit's target unit is no living unit"},
        {[](auto& o) { o.dying->attacker = o.corpse; }, "a unit's attacker is no living unit"},
        {[](auto& o) { o.corpse->targetUnit = o.living; }, "a corpse keeps a link to another object"},
        {[](auto& o) { o.corpse->actionTargetBuilding = o.smithy; }, "a corpse keeps a link to another object"},
        {[](auto& o) { o.corpse->attacker = o.living; }, "a corpse keeps a link to another object"},
        {[](auto& o) { g_Selection.units[0] = o.dying; }, "a selected unit is no living unit"},
        {[](auto& o) { g_Selection.building = o.ruin; }, "the selected building is not in the game"},
        {[](auto& o) { o.smithy->firePositions[0].particle = 70000; }, "a building's fire is no fire of the particles"},
        {[](auto& o) { g_GameMap.Block(1, 1).unit = o.living; }, "a map block names a unit that does not stand there"},
        {[](auto& o) { g_GameMap.Block(40, 1).building = o.smithy; },
         "a map block names a building that does not stand there"},
        {[](auto& o) { o.workshop->productionUnit = o.living; },
         "a building's production unit is no waiting unit of its owner"},
        {[](auto& o) { o.smithy->productionUnit = o.waiting; }, "a production unit waits in two buildings"},
        {[](auto& o) { o.workshop->productionUnit = o.king; }, "a building's production unit is sheltered in a keep"},
        {[](auto& o) { o.ruin->productionUnit = o.dying; }, "a ruin holds a production unit"},
        {[](auto& o) { ASSERT_TRUE(o.ship->AcceptGarrison(o.waiting)); },
         "a ship's cargo is no living unit off the map"},
        {[this](auto& o) {
             auto* second = dynamic_cast<CUnitTransportShip*>(World().Spawn(ShipPlayer, UNIT_TRANSPORTSHIP, 40, 30));
             ASSERT_TRUE(second != nullptr && second->AcceptGarrison(o.carried));
         },
         "a unit is carried by two ships"},
        {[](auto& o) { o.archer->health = 0.0f, o.archer->animType = ANIM_DIE; }, "a tower archer is dying"},
        {[](auto& o) { o.king->health = 0.0f, o.king->animType = ANIM_DIE; },
         "a keep shelters no living king who names it"},
        {[this](auto& o) { World().Player(0).technologies[5].researchingBuilding = o.smithy; },
         "a research names a building that does not research it"},
        {[this](auto& o) {
             World().Player(DyingPlayer).technologies[5].researchingBuilding = o.ruin;
             o.ruin->research = &World().Player(DyingPlayer).technologies[5];
         },
         "a research names a building that does not research it"},
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(entry.fault);
        // The bad link saved; then, from the sound game, the bad save is
        // refused with the line and leaves the game as it was.
        SObjects objects = Find();
        entry.breakLink(objects);
        const std::vector<uint8_t> bad = CSaveGameRun::Save();
        ASSERT_TRUE(CSaveGameRun::Load(sound));
        const std::vector<uint8_t> running = CSaveGameRun::SaveDrawn();
        m_Log.Clear();
        EXPECT_TRUE(!CSaveGameRun::Load(bad) && m_Log.Contains(std::string("Save game refused: ") + entry.fault) &&
                    m_Log.Contains("Save game refused; the running game goes on"));
        EXPECT_TRUE(CSaveGameRun::SaveDrawn() == running);
    }
}

// What play reaches, a save takes back.  Particle handles run on for the whole session, past the pool's size: a
// barracks burnt and repaired until its fires burn under such handles keeps them through a save.  A load gives the
// listed units fresh ids in list order and the tower archers the next ones in the order their player listed them,
// so that no two share one and each archer is still found under its id.
using CtrlGameSaveRanges = SaveGameWorld;

TEST_F(CtrlGameSaveRanges, FiresPastThePoolSizeAndTheTowerArchersIdsComeBackFromALoad)
{
    CPlayer& own = World().Player(0);
    CBuilding* barracks = own.CreateBuilding(CastBarracks, 20, 20);
    ASSERT_TRUE(barracks != nullptr && !barracks->Construct(0.0f, true));
    const int32_t& handle = barracks->firePositions[0].particle;
    for (int32_t cycle = 0; handle < CParticles::kDevicePoolSize && cycle < 100000; ++cycle)
    {
        barracks->Repair(1.0e6f);
        for (int32_t blow = 0; blow < 1000 && handle == CBuilding::NoParticle; ++blow)
            barracks->OnAttacked(nullptr, 20, DAMAGE_STONE, false);
    }
    const int32_t burning = handle;
    ASSERT_TRUE(barracks->IsAlive() && burning >= CParticles::kDevicePoolSize);
    auto* later = dynamic_cast<CBuildingTower*>(own.CreateBuilding(CastTower, TowerX, TowerY));
    auto* earlier = dynamic_cast<CBuildingTower*>(own.CreateBuilding(CastTower, 4, 30));   // first in map order
    ASSERT_TRUE(World().Spawn(0, UNIT_WARRIOR, 4, 4) && later && earlier && !later->Construct(0.0f, true));
    later->SetArcherCount(2);
    ASSERT_TRUE(!earlier->Construct(0.0f, true) && World().Spawn(0, UNIT_WARRIOR, 4, 8));
    const std::vector<uint8_t> file = CSaveGameRun::SaveDrawn();

    ASSERT_TRUE(CSaveGameRun::Load(file) && g_GameMap.Block(20, 20).building->firePositions[0].particle == burning &&
                g_Particles.IsBuildingFire(burning) && CSaveGameRun::SaveDrawn() == file);
    later = dynamic_cast<CBuildingTower*>(g_GameMap.Block(TowerX, TowerY).building);
    earlier = dynamic_cast<CBuildingTower*>(g_GameMap.Block(4, 30).building);
    ASSERT_TRUE(later != nullptr && earlier != nullptr && own.unitCount == 2 && earlier->archerCount == 1);
    std::vector<int32_t> ids = {own.units[0]->uniqueId, own.units[1]->uniqueId};
    for (const CUnit* archer : {later->archers[0], later->archers[1], earlier->archers[0]})
        ids.push_back(own.FindTowerArcher(archer->uniqueId) == archer ? archer->uniqueId : -1);
    EXPECT_TRUE(ids == (std::vector<int32_t>{0, 1, 2, 3, 4}) && World().Spawn(0, UNIT_WARRIOR, 8, 4)->uniqueId == 5);
}

// The next idle worker or unit is one that stands on the map and lives: a worker aboard a ship or a dying one is
// no one to command, and a save holding it selected would not load.
TEST_F(CtrlGameSaveRanges, TheNextIdleWorkerOrUnitStandsOnTheMapAndLives)
{
    CPlayer& own = World().Player(0);
    // In list order: a ship, a worker aboard it, a dying worker, a worker, a dying warrior, a warrior.
    CUnit *ship = World().Spawn(0, UNIT_TRANSPORTSHIP, 40, 40), *aboard = World().Spawn(0, UNIT_WORKER, 38, 41);
    CUnit *dyingWorker = World().Spawn(0, UNIT_WORKER, 4, 4), *worker = World().Spawn(0, UNIT_WORKER, 8, 4);
    CUnit* dyingWarrior = World().Spawn(0, UNIT_WARRIOR, 12, 4);
    ASSERT_TRUE(ship && aboard && dyingWorker && worker && dyingWarrior && World().Spawn(0, UNIT_WARRIOR, 16, 4) &&
                aboard->BoardTransport(ship));
    for (CUnit* dying : {dyingWorker, dyingWarrior}) dying->TakeHit(nullptr, KillingBlow, MeleeDamage, false);
    ASSERT_TRUE(dyingWorker->IsDying() && own.HasUnit(dyingWorker) && dyingWarrior->IsDying() &&
                own.SelectNextIdleWorker() && g_Selection.unitCount == 1 && g_Selection.units[0] == worker &&
                CSaveGameRun::Load(CSaveGameRun::SaveDrawn()) && g_Selection.units[0] == g_GameMap.Block(8, 4).unit);
    EXPECT_TRUE(own.SelectNextIdleUnit() && g_Selection.units[0] == g_GameMap.Block(16, 4).unit);
    // A rectangle finds a dying unit on its block; it is not taken.
    CUnit* fallen = g_GameMap.Block(12, 4).unit;
    ASSERT_TRUE(fallen != nullptr && fallen->IsDying());
    g_Selection.AddUnit(fallen, 0);
    EXPECT_EQ(g_Selection.unitCount, 1);
}

TEST(MissionObjectivesSave, BadSectionsAreRefusedAndTheRecordStays)
{
    CMissionObjectives record;
    record.gameFile = "kept";
    const std::string okObjective = OneObjective(1, Text32("t"));
    const std::string okTail = Tail(std::string("\1\0\1", 3), Text32("file"));
    const std::string prefix = "Objectives section of the saved game rejected: ";
    const struct { std::string bytes, line; } cases[] = {
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
        SCOPED_TRACE(bad.line);
        CTestLog log;
        CMemorySaveStream in(bad.bytes);
        EXPECT_TRUE(!record.LoadGame(in) && in.HasError() && (bad.line.empty() || log.Contains(prefix + bad.line)));
        EXPECT_STREQ(record.gameFile.GetBuffer(), "kept");
        EXPECT_EQ(record.gameMode, CMissionObjectives::ModeCampaign);
    }

    // As built: a campaign not yet played, room for 16 objectives, saving allowed.
    EXPECT_EQ((std::vector<int>{1, 0, -1, 0, 16, 1}),
              (std::vector<int>{record.gameMode, record.result, record.campaignId, record.objectives.GetCount(),
                                record.objectives.GetCapacity(), record.savingAllowed}));
    EXPECT_TRUE(0 == record.Add(9, "t", "h") && 1 == record.Add(3, "other", nullptr) && record.Complete(9));
    EXPECT_FALSE(record.Complete(5));
    EXPECT_EQ((std::vector<int>{1, 0}), (std::vector<int>{record.objectives[0].flag, record.objectives[1].flag}));
    CMemorySaveStream good(Objectives(2, 1, okObjective, okTail));
    ASSERT_TRUE(record.LoadGame(good) && record.objectives.GetCount() == 1 && record.dialogEvents.GetCount() == 1);
    EXPECT_EQ((std::vector<int>{record.gameMode, record.result, record.campaignId, record.scenarioId,
                                record.dialogEvents[0].value, record.shipsNeeded}),
              (std::vector<int>{CMissionObjectives::ModeScenario, 1, 3, 4, 6, 1}));
    EXPECT_EQ((std::vector<std::string>{record.objectives[0].hint.GetBuffer(), record.objectivesHint.GetBuffer(),
                                        record.gameFile.GetBuffer()}),
              (std::vector<std::string>{"h", "hint", "file"}));
    CMemorySaveStream out;
    record.SaveGame(out);
    EXPECT_EQ(out.Bytes(), Objectives(2, 1, okObjective, okTail));
}

// The start builds every form once, before anything runs: what each holds then.
TEST(StaticForms, HoldTheirFirstValuesTextsAndStorage)
{
    const std::vector<int32_t> values = {g_FGameMenu.firstValue, g_FGameOptions.firstValue, g_FSaveGame.value1,
        g_FLoadGame.value1, g_FConfirm.firstValue, g_FConfirm.value1, g_FConfirm.value2, g_FMissionObjectives.firstValue,
        g_FDialogs.firstValue, g_FScriptMessage.firstValue, g_FGameCommand.firstValue, g_FGameCommand.value1,
        g_FGameEnd.value0, g_FGameEnd.flag + 0, g_FWaitPlayers.firstValue, g_FEditorMenu.firstValue,
        g_FIdentifier.firstValue, g_FPlayerProperties.firstValue, g_FPlayerProperties.value1, g_FSaveMap.value1,
        g_FSaveMap.value2, g_FLoadMap.value1, g_FLoadMap.value2, g_FExportMap.value1, g_FUnitsAvailable.firstValue,
        g_FBuildingsAvailable.firstValue, g_FEditorMessage.firstValue, g_FUnitProperties.firstValue,
        g_FTowerProperties.firstValue, g_FDependencyList.firstValue, g_FSetTechTree.firstValue};
    EXPECT_EQ(values, std::vector<int32_t>(values.size(), 0));
    const std::vector<std::string> texts = {g_FConfirm.text.GetBuffer(), g_FScriptMessage.text.GetBuffer(),
        g_FGameCommand.text1.GetBuffer(), g_FGameCommand.text2.GetBuffer(), g_FGameEnd.text.GetBuffer(),
        g_FIdentifier.text1.GetBuffer(), g_FIdentifier.text2.GetBuffer(), g_FEditorMessage.text.GetBuffer(),
        g_FUnitProperties.text1.GetBuffer(), g_FUnitProperties.text2.GetBuffer(), g_FUnitProperties.text3.GetBuffer(),
        g_FTowerProperties.text1.GetBuffer(), g_FTowerProperties.text2.GetBuffer()};
    EXPECT_EQ(texts, (std::vector<std::string>{"", "", "", "24", "", "", "", "", "", "", "Not specified", "", ""}));
    std::vector<int> storage;  // capacity, count and grow step of each array
    const auto add = [&](const auto& list) {
        storage.insert(storage.end(), {list.GetCapacity(), list.GetCount(), list.GetGrowStep()});
    };
    for (const auto& list : g_FDependencyList.lists) add(list);
    add(g_FUnitsAvailable.entries), add(g_FBuildingsAvailable.entries);
    EXPECT_EQ(storage, (std::vector<int>{8193, 0, 8193, 8193, 0, 8193, 8193, 0, 8193, 2731, 0, 2731, 2731, 0, 2731}));
}

TEST(SetTechTree, EveryTechnologyStandsInOneColumn)
{
    // Filled before the log opens: keep and castle research, blacksmith and barracks, the rest.
    FSetTechTree& form = g_FSetTechTree;
    std::vector<int> seen(61, 0), heads;
    for (const auto& column : form.columns)
    {
        heads.insert(heads.end(), {column.count, column.prerequisites[0]});
        for (int i = 0; i < column.count; ++i) ++seen.at(size_t(column.prerequisites[i]));
    }
    EXPECT_EQ(std::pair(std::vector<int>(61, 1), std::vector<int>{21, 0, 21, 11, 19, 32}), std::pair(seen, heads));
    CTestLog log;
    form.columns[2].count = 18;  // technology 60 left out
    EXPECT_FALSE(form.HasEveryTechnology());
    form.FillTechnologies();
    EXPECT_EQ(19, form.columns[2].count);
    EXPECT_EQ(1, log.Count("#DEBUG: Not all technologies added to tech-tree editor"));
}

namespace
{
constexpr uint32_t kMarkerColour = 0x123456;
constexpr int32_t kDecayedTicks = 10;

std::string LEF(float value) { return LE32(std::bit_cast<uint32_t>(value)); }

// Two units and a building of a small world, numbered 0, 1 and 2 as the particles register them.  The
// pool's holds are dropped before the world goes, since the objects are the players' and the map's.
class ParticlesSave : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Particles.Reset(), m_First = m_World.Spawn(0, UNIT_WARRIOR, 10, 10);
        m_Second = m_World.Spawn(1, UNIT_WARRIOR, 20, 20);
        m_Building = m_World.Player(0).CreateBuilding(CastBlacksmith, 30, 30);
        ASSERT_TRUE(m_First != nullptr && m_Second != nullptr && m_Building != nullptr);
        g_ReferenceBase.Reset();
    }
    void TearDown() override { DropHolds(); g_Particles.Reset(); g_ReferenceBase.Reset(); }
    static void DropHolds()
    {
        std::vector<CUnit*> units;
        std::vector<CBuilding*> buildings;
        g_Particles.TakeHeldObjects(units, buildings);
    }
    // What the test world's pool holds after a while.
    void FillPool()
    {
        g_Particles.AddCorpse(false, m_First), g_Particles.Update(kDecayedTicks);
        g_Particles.AddCorpse(false, m_Second), g_Particles.AddRuin(m_Building);
        // Handles go on rising over resets of the pool.
        for (int32_t& handle : m_Fires) handle = g_Particles.AddBuildingFire(false, 1.0f, 2.0f, 3.0f, 4.0f);
        g_Particles.FreeParticle(m_Fires[1]), m_Flame = g_Particles.AddKind35(7.5f, 80.0f, 8.5f);
        g_Particles.AddMinimapMarker(5, 6, kMarkerColour);
    }
    // A section of the given corpses, no ruin, the given fires, emitters
    // and next handle, no marker, the given shots in flight.
    static std::string Section(const std::string& corpses, const std::string& fires, uint32_t nextHandle,
                               const std::string& emitters = LE32(0), const std::string& shots = LE32(0))
    {
        return corpses + LE32(0) + fires + emitters + LE32(nextHandle) + LE32(0) + shots;
    }
    // An arrow of unit `shooter` at unit `target`, of player 0, amount 5, with the ticks it has left.
    static std::string OneArrow(uint32_t shooter, uint32_t target, uint32_t ticks, uint32_t kind = 10)
    {
        return LE32(1) + LE32(kind) + LE32(shooter) + LE32(0) + LE32(target) + LEF(4.5f) + LEF(40.0f) + LEF(6.5f) +
               LE32(5) + LE32(2) + LE32(2) + LE32(0) + LE32(ticks) + std::string(1, '\0');
    }
    static std::string OneEmitter(uint32_t handle, uint32_t kind, float height = 1.0f)
    {
        return LE32(1) + LE32(handle) + LE32(kind) + LEF(1.0f) + LEF(height) + LEF(2.0f);
    }
    static std::string OneCorpse(uint32_t id, uint32_t ticks) { return LE32(1) + LE32(id) + LE32(ticks); }

    CSimHarness m_World;
    CUnit *m_First = nullptr, *m_Second = nullptr;
    CBuilding* m_Building = nullptr;
    int32_t m_Fires[3] = {};
    int32_t m_Flame = -1;
};
}  // namespace

TEST_F(ParticlesSave, SectionHoldsCorpsesRuinsFiresEmittersAndMarkersAndLoadsBackAsItWas)
{
    FillPool();
    g_Particles.RegisterReferences(g_ReferenceBase);
    ASSERT_TRUE(g_ReferenceBase.GetUnitRef(m_First) == 0 && g_ReferenceBase.GetUnitRef(m_Second) == 1 &&
                g_ReferenceBase.GetBuildingRef(m_Building) == 2);
    CMemorySaveStream out;
    g_Particles.SaveGame(out, g_ReferenceBase);
    const uint32_t first = uint32_t(m_Fires[0]), last = uint32_t(m_Fires[2]);
    const uint32_t firstTicks = uint32_t(CParticles::CorpseTicks - kDecayedTicks);
    const std::string expected = LE32(2) + LE32(0) + LE32(firstTicks) + LE32(1) + LE32(CParticles::CorpseTicks) +
                                 LE32(1) + LE32(2) + LE32(CParticles::RuinTicks) + LE32(2) + LE32(first) +
                                 LE32(last) + LE32(1) + LE32(last + 1) + LE32(CParticles::KindFlame) + LEF(7.5f) +
                                 LEF(80.0f) + LEF(8.5f) + LE32(last + 2) + LE32(1) + LE32(5) + LE32(6) +
                                 LE32(kMarkerColour) + LE32(0);
    EXPECT_EQ(out.Bytes(), expected);

    DropHolds(), g_Particles.Reset();
    CMemorySaveStream in(out.Bytes());
    ASSERT_TRUE(g_Particles.LoadGame(in, g_ReferenceBase));
    EXPECT_EQ(g_Particles.GetCorpseTicksLeft(m_First), CParticles::CorpseTicks - kDecayedTicks);
    EXPECT_EQ(g_Particles.GetRuinTicksLeft(m_Building), CParticles::RuinTicks);
    // The buildings' handles put the same fires out; new ones follow them.
    EXPECT_TRUE(g_Particles.FreeParticle(m_Fires[2]) && !g_Particles.FreeParticle(m_Fires[1]));
    const CParticles::SEmitter* flame = g_Particles.FindEmitter(m_Flame);
    ASSERT_TRUE(flame != nullptr && flame->kind == CParticles::KindFlame && flame->height == 80.0f &&
                g_Particles.AddBuildingFire(false, 0.0f, 0.0f, 0.0f, 1.0f) == (m_Flame + 1));
}

TEST_F(ParticlesSave, BadSectionsAreRefusedAndThePoolStaysAsItWas)
{
    g_ReferenceBase.AddUnit(m_First), g_ReferenceBase.AddUnit(m_Second), g_ReferenceBase.AddBuilding(m_Building);
    g_Particles.AddMinimapMarker(7, 7, kMarkerColour);
    const std::string prefix = "Particles section of the saved game rejected: ", fires = LE32(2) + LE32(0) + LE32(2);
    const struct { std::string bytes, line; } cases[] = {
        {Section(LE32(0xFFFFFFFF), fires, 3), "bad corpse count"},
        {Section(LE32(65537), fires, 3), "bad corpse count"},
        {Section(OneCorpse(99, 300), fires, 3), "a corpse without a unit of its own"},
        {Section(OneCorpse(2, 300), fires, 3), "a corpse without a unit of its own"},
        {Section(LE32(2) + LE32(1) + LE32(300) + LE32(1) + LE32(300), fires, 3), "a corpse without a unit of its own"},
        {Section(OneCorpse(1, 0), fires, 3), "a corpse's time is out of range"},
        {Section(OneCorpse(1, CParticles::CorpseTicks + 1), fires, 3), "a corpse's time is out of range"},
        {Section(OneCorpse(1, 300), LE32(2) + LE32(2) + LE32(0), 3), "fire handles out of order"},
        {Section(OneCorpse(1, 300), LE32(2) + LE32(1) + LE32(1), 3), "fire handles out of order"},
        {Section(OneCorpse(1, 300), LE32(1) + LE32(0xFFFFFFFF), 3), "fire handles out of order"},
        {Section(OneCorpse(1, 300), fires, 2), "the next fire handle is taken"},
        {Section(OneCorpse(1, 300), fires, 4, OneEmitter(3, 36)), "an emitter of an unknown kind"},
        {Section(OneCorpse(1, 300), fires, 4, OneEmitter(3, 35, NAN)), "an emitter out of place"},
        {Section(OneCorpse(1, 300), fires, 4, OneEmitter(2, 35)), "emitter handles out of order"},
        {Section(OneCorpse(1, 300), fires, 3, OneEmitter(3, 1013)), "the next fire handle is taken"},
        {Section(OneCorpse(1, 300), fires, 3, LE32(0x10001)), "bad emitter count"},
        {Section(OneCorpse(1, 300), fires, 3, LE32(0), OneArrow(0, 9, 3)), "a shot names no unit"},
        {Section(OneCorpse(1, 300), fires, 3, LE32(0), OneArrow(0, 1, 3, 1012)), "a shot of an unknown kind"},
        {Section(OneCorpse(1, 300), fires, 3, LE32(0), OneArrow(0, 1, 0)), "a shot's blast or flight is out of range"},
        // A ruin of a unit, a building ruined twice.
        {LE32(0) + LE32(1) + LE32(0) + LE32(CParticles::RuinTicks), "a ruin without a building of its own"},
        {LE32(0) + LE32(2) + LE32(2) + LE32(9) + LE32(2) + LE32(9), "a ruin without a building of its own"},
        {LE32(0) + LE32(0) + LE32(0) + LE32(0) + LE32(2) + LE32(1), ""},
    };
    for (const auto& bad : cases)
    {
        SCOPED_TRACE(bad.line);
        CTestLog log;
        CMemorySaveStream in(bad.bytes);
        EXPECT_TRUE(!g_Particles.LoadGame(in, g_ReferenceBase) && in.HasError() &&
                    (bad.line.empty() || log.Contains(prefix + bad.line)));
        EXPECT_TRUE(g_Particles.GetCorpseCount() == 0 && g_Particles.GetMinimapMarkers().size() == 1u);
    }

    // A sound section with an arrow in flight from the first unit at the second; saved again, the same bytes.
    const std::string sound =
        Section(OneCorpse(1, uint32_t(CParticles::CorpseTicks)), fires, 3, LE32(0), OneArrow(0, 1, 3));
    CMemorySaveStream good(sound);
    ASSERT_TRUE(g_Particles.LoadGame(good, g_ReferenceBase) &&
                g_Particles.GetCorpseTicksLeft(m_Second) == CParticles::CorpseTicks &&
                g_Particles.GetMinimapMarkers().empty() && g_Particles.GetProjectiles().size() == 1u);
    const CParticles::SProjectile& arrow = g_Particles.GetProjectiles()[0];
    EXPECT_TRUE(arrow.shooter == m_First && arrow.target == m_Second && arrow.ticksLeft == 3);
    CMemorySaveStream again;
    g_Particles.SaveGame(again, g_ReferenceBase);
    EXPECT_EQ(again.Bytes(), sound);
}
