// Saves that are cut short, damaged or hold a value the game cannot take are
// refused, and the running game goes on exactly as it was: a damaged file
// before anything is touched, a bad section after the half-loaded world has
// been taken apart again and the running game brought back.

#include <cstring>
#include <string>
#include <vector>

#include "core/C_Config.h"
#include "tests/game/SaveGameWorld.h"
#include "tests/support/ScratchFolder.h"
#include "world/C_Player.h"

namespace
{
std::vector<uint8_t> Cut(std::vector<uint8_t> file, size_t bytes)
{
    file.resize(file.size() - bytes);
    return file;
}
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
        m_ControllerAt = m_PayloadAt + ControllerAt(CSaveGameRun::Payload(m_Before));
    }

    // The save with the 32-bit field at that payload offset changed, its
    // CRC-32 made to match.
    std::vector<uint8_t> WithField(size_t payloadOffset, uint32_t value) const
    {
        std::vector<uint8_t> file = m_Before;
        CSaveGameRun::PutU32At(file, m_PayloadAt + payloadOffset, value);
        return CSaveGameRun::WithMatchingCrc(file);
    }
    std::vector<uint8_t> WithByte(size_t payloadOffset, uint8_t value) const
    {
        std::vector<uint8_t> file = m_Before;
        file.at(m_PayloadAt + payloadOffset) = value;
        return CSaveGameRun::WithMatchingCrc(file);
    }
    size_t Payload(size_t fileOffset) const { return fileOffset - m_PayloadAt; }

    // Refused, with the running game as it was.
    void ExpectRefusedAndUnchanged(const std::vector<uint8_t>& file, const std::string& logLine)
    {
        EXPECT_FALSE(CSaveGameRun::Load(file));
        EXPECT_TRUE(CSaveGameRun::SaveDrawn() == m_Before) << "the running game changed";
        if (!logLine.empty())
        {
            EXPECT_TRUE(m_Log.Contains(logLine)) << logLine;
        }
        EXPECT_FALSE(m_Log.Contains("#DEBUG: The running game could not be restored after a failed load"));
        m_Log.Clear();
    }

    std::vector<uint8_t> m_Before;
    size_t m_PayloadAt = 0;
    size_t m_ControllerAt = 0;
};

TEST_F(CtrlGameSaveRefusal, DamagedFilesAreRefusedBeforeTheGameIsTouched)
{
    CUnit* const listed = World().Player(0).units[0];
    std::vector<uint8_t> flipped = m_Before;
    flipped[m_PayloadAt + 100] ^= 0x10;
    std::vector<uint8_t> otherVersion = m_Before;
    CSaveGameRun::PutU32At(otherVersion, 16, 0x01010005);
    const std::vector<std::vector<uint8_t>> damaged = {
        Cut(m_Before, 1), Cut(m_Before, m_Before.size() / 2), Cut(m_Before, m_Before.size() - 10),
        flipped, otherVersion, {}};
    for (const std::vector<uint8_t>& file : damaged)
    {
        EXPECT_FALSE(CSaveGameRun::Load(file));
        // The very objects are still there: nothing was taken apart.
        EXPECT_EQ(World().Player(0).units[0], listed);
        EXPECT_TRUE(CSaveGameRun::SaveDrawn() == m_Before);
    }
}

TEST_F(CtrlGameSaveRefusal, PayloadCutShortOrLongerIsRefused)
{
    ExpectRefusedAndUnchanged(CSaveGameRun::WithMatchingCrc(Cut(m_Before, 1)), "");
    ExpectRefusedAndUnchanged(CSaveGameRun::WithMatchingCrc(Cut(m_Before, (m_Before.size() - m_PayloadAt) / 2)),
                              "");
    // Inside the last object's state: the objects made so far go again.
    ExpectRefusedAndUnchanged(CSaveGameRun::WithMatchingCrc(Cut(m_Before, m_Before.size() - m_ControllerAt + 3)),
                              "");
    std::vector<uint8_t> longer = m_Before;
    longer.push_back(0);
    ExpectRefusedAndUnchanged(CSaveGameRun::WithMatchingCrc(longer),
                              "Save game refused: bytes are left over behind the map");
}

TEST_F(CtrlGameSaveRefusal, BadTableEntriesAreRefused)
{
    ExpectRefusedAndUnchanged(WithField(0, 0x7FFFFFFF), "Save game refused: the reference count is out of range");
    // The first entry's kind, then its player and type.
    ExpectRefusedAndUnchanged(WithField(4, 7), "");
    ExpectRefusedAndUnchanged(WithField(8, 9), "Save game refused: a unit's player index is out of range");
    ExpectRefusedAndUnchanged(WithField(12, 99), "Save game refused: a unit of an unknown type");
}

TEST_F(CtrlGameSaveRefusal, BadControllerFieldsAreRefused)
{
    const size_t controller = Payload(m_ControllerAt);
    const size_t firstTimer = controller + 1;
    const size_t localPlayer = controller + ControllerBytes;
    ExpectRefusedAndUnchanged(WithByte(controller, 2), "Save game refused: bad pause flag or timer record");
    ExpectRefusedAndUnchanged(WithByte(firstTimer, 2), "Save game refused: bad pause flag or timer record");
    ExpectRefusedAndUnchanged(WithField(firstTimer + 1, 0xFFFFFFFF),
                              "Save game refused: bad pause flag or timer record");
    ExpectRefusedAndUnchanged(WithField(localPlayer, 8),
                              "Save game refused: the local player's index is out of range");
    ExpectRefusedAndUnchanged(WithField(localPlayer, 0xFFFFFFFF),
                              "Save game refused: the local player's index is out of range");
    ExpectRefusedAndUnchanged(WithField(localPlayer + 4, 0),
                              "Objectives section of the saved game rejected: unknown game mode");
}

// From the objectives' game file on: its text, the profile name, the
// selection with the nine groups (the second holding one unit) and the
// option bytes.
TEST_F(CtrlGameSaveRefusal, BadSelectionAndOptionsAreRefused)
{
    const std::string gameFile = "Maps\\Small.world";
    const std::vector<uint8_t> payload = CSaveGameRun::Payload(m_Before);
    const std::string text = LE32(uint32_t(gameFile.size() + 1)) + gameFile;
    const size_t textAt = size_t(std::search(payload.begin(), payload.end(), text.begin(), text.end()) -
                                 payload.begin());
    ASSERT_LT(textAt, payload.size());
    const size_t profile = textAt + text.size() + 1;
    const size_t selection = profile + 2;   // no profile: an empty short string
    const size_t selectedUnit = selection + 4;
    const size_t secondGroup = selectedUnit + 4 + 4 + 4;
    const size_t options = secondGroup + 4 + 4 + 7 * 4;
    ASSERT_EQ(CSaveGameRun::U32At(payload, selection), 1u);
    ASSERT_EQ(CSaveGameRun::U32At(payload, secondGroup), 1u);
    ExpectRefusedAndUnchanged(WithField(textAt, 0), "Objectives section of the saved game rejected: bad text length");
    ExpectRefusedAndUnchanged(WithByte(profile, 200), "");
    ExpectRefusedAndUnchanged(WithField(selection, 26), "Selection section of the saved game rejected: bad unit count");
    ExpectRefusedAndUnchanged(WithField(selectedUnit, 60000),
                              "Selection section of the saved game rejected: a selected unit is unknown");
    ExpectRefusedAndUnchanged(WithField(selectedUnit + 4, 60000),
                              "Selection section of the saved game rejected: the selected building is unknown");
    ExpectRefusedAndUnchanged(WithField(secondGroup, 2049), "Selection section of the saved game rejected: bad group size");
    ExpectRefusedAndUnchanged(WithField(secondGroup + 4, 60000),
                              "Selection section of the saved game rejected: a group's unit is unknown");
    // The first group names the second group's unit as well.
    std::vector<uint8_t> twice = m_Before;
    const uint32_t member = CSaveGameRun::U32At(payload, secondGroup + 4);
    twice.insert(twice.begin() + std::ptrdiff_t(m_PayloadAt + secondGroup - 4), 4, 0);
    CSaveGameRun::PutU32At(twice, m_PayloadAt + secondGroup - 4, 1);
    CSaveGameRun::PutU32At(twice, m_PayloadAt + secondGroup, member);
    ExpectRefusedAndUnchanged(CSaveGameRun::WithMatchingCrc(twice),
                              "Selection section of the saved game rejected: a unit is in two groups");
    ExpectRefusedAndUnchanged(WithByte(options, 2), "Save game refused: an option byte is not 0 or 1");
    ExpectRefusedAndUnchanged(WithByte(options + 1, 7), "Save game refused: an option byte is not 0 or 1");
}

// The particles' section lies right before the map's, whose size follows
// from the map's side: header, camera and water (108 bytes), the corner
// columns, 22 bytes a block, the weather type and the eight setups, whose
// names a new map sets to "Player 1" and on.
TEST_F(CtrlGameSaveRefusal, CorpsesThatHoldLivingUnitsAreRefused)
{
    const size_t side = size_t(CSimHarness::DefaultMapSide);
    const size_t setups = 8 * (4 + std::string("Player 1").size() + 1 + 6 * 4 + 61 * 4 + 36 + 19 + 8);
    const size_t mapBytes = 108 + (side + 1) * (side + 1) * 9 + side * side * 2 + side * side * 22 + 4 + setups;
    const size_t payloadSize = m_Before.size() - m_PayloadAt;
    const size_t map = payloadSize - mapBytes;
    // One corpse, no ruin, no fire, no emitter, the next handle, one marker,
    // no shot.
    const size_t particles = map - (4 + 8 + 4 + 4 + 4 + 4 + 4 + 12 + 4);
    const std::vector<uint8_t> payload = CSaveGameRun::Payload(m_Before);
    ASSERT_EQ(CSaveGameRun::U32At(payload, particles), 1u);
    ASSERT_EQ(CSaveGameRun::U32At(payload, map + 4), uint32_t(side));

    // Entry 0 of the table is player 0's first unit, which is alive.
    ExpectRefusedAndUnchanged(WithField(particles + 4, 0), "Save game refused: a corpse holds a living unit");
    ExpectRefusedAndUnchanged(WithField(particles + 8, 0),
                              "Particles section of the saved game rejected: a corpse's time is out of range");
    ExpectRefusedAndUnchanged(WithField(particles + 12, 1), "");
    ExpectRefusedAndUnchanged(WithField(map + 4, 300), "Map section of the saved game rejected (bad theme or size)");
}

TEST_F(CtrlGameSaveRefusal, SaveFileOnDiskLoadsBackAndAMissingOneIsRefused)
{
    CScratchFolder folder;
    const std::string path = folder / "Small.save";
    ASSERT_TRUE(g_CtrlGame.SaveGame(path.c_str()));
    const std::string written = CScratchFolder::ReadFile(path);
    EXPECT_TRUE(std::vector<uint8_t>(written.begin(), written.end()) == m_Before);
    EXPECT_TRUE(g_CtrlGame.LoadGame(path.c_str()));
    EXPECT_TRUE(CSaveGameRun::SaveDrawn() == m_Before);

    CUnit* const listed = World().Player(0).units[0];
    EXPECT_FALSE(g_CtrlGame.LoadGame((folder / "Missing.save").c_str()));
    EXPECT_EQ(World().Player(0).units[0], listed);
    g_Config.languageFolder = "German\\";
    EXPECT_FALSE(g_CtrlGame.LoadGame(path.c_str()));
    EXPECT_EQ(World().Player(0).units[0], listed);
}

// A running game that does not read back (here a unit healthier than any
// save may hold) cannot come back after a refused load: the log says that
// the game has ended, nothing of either game is left, and the empty world
// still runs and takes a sound save.
TEST_F(CtrlGameSaveRefusal, ARunningGameThatDoesNotReadBackEndsWithAClearLine)
{
    std::vector<uint8_t> longer = m_Before;
    longer.push_back(0);
    m_Units[0]->health = 150.0f;
    EXPECT_FALSE(CSaveGameRun::Load(CSaveGameRun::WithMatchingCrc(longer)));
    EXPECT_TRUE(m_Log.Contains("Save game refused; the running game could not be brought back and has ended"));
    EXPECT_FALSE(m_Log.Contains("Save game refused; the running game goes on"));
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        EXPECT_EQ(World().Player(p).unitCount, 0);
        EXPECT_EQ(World().Player(p).buildingCount, 0);
    }
    EXPECT_EQ(g_Particles.GetCorpseCount(), 0);
    EXPECT_EQ(g_Selection.unitCount, 0);
    CSaveGameRun::Frame(World());
    EXPECT_TRUE(CSaveGameRun::Load(m_Before));
}
