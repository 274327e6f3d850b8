// Where each section of a save lies, worked out by hand for a small game on
// a 32 x 32 map without objects: the table, the controller's pause flag and
// timers, the local player, the objectives, the profile, the selection and
// the options at fixed places; the eight players behind them in order; the
// particles right before the map, which fills the end.

#include <string>
#include <vector>

#include "core/C_Config.h"
#include "tests/game/SaveGameWorld.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t kSide = 32;

std::string Bytes(const std::vector<uint8_t>& payload, size_t at, size_t count)
{
    return std::string(payload.begin() + static_cast<std::ptrdiff_t>(at),
                       payload.begin() + static_cast<std::ptrdiff_t>(at + count));
}

std::string Text32(const std::string& text)
{
    return LE32(uint32_t(text.size() + 1)) + text + std::string(1, '\0');
}

// A profile file of two profiles without results, the second current.
std::string ProfileFile()
{
    std::string file = "V2KRNplprofiles1" + LE32(2) + LE32(1);
    for (const std::string name : {"Ann", "Bob"})
        file += std::string(1, char(name.size())) + name + std::string(1, '\0') + LE32(0);
    return file + LE32(ReferenceCrc32(file));
}
}  // namespace

class CtrlGameSaveLayout : public SaveGameWorld
{
protected:
    CtrlGameSaveLayout() : SaveGameWorld(kSide) {}

    void SetUp() override
    {
        g_CtrlGame.paused = 1;
        for (CtrlTimer& timer : g_D3D8Game.timers)
            timer = CtrlTimer{0, 0, 0};
        g_D3D8Game.timers[0] = CtrlTimer{1, 4, 3};
        g_D3D8Game.timers[MarkedTimer] = CtrlTimer{1, MarkReload, MarkCounter};
        g_MissionObjectives.gameMode = CMissionObjectives::ModeScenario;
        g_MissionObjectives.campaignId = 5;
        g_MissionObjectives.scenarioId = 7;
        CMissionObjectives::SObjective objective;
        objective.value = 9;
        objective.flag = 1;
        objective.text = "Hold";
        objective.hint = "H";
        g_MissionObjectives.objectives.Add(objective);
        g_MissionObjectives.objectivesHint = "Go";
        g_MissionObjectives.dialogEvents.Add(CMissionObjectives::SDialogEvent{4});
        g_MissionObjectives.gameFile = "Maps\\a.world";
        const std::string profiles = ProfileFile();
        ASSERT_TRUE(g_PlayerProfiles.LoadFromMemory(reinterpret_cast<const uint8_t*>(profiles.data()),
                                                    int(profiles.size()), "players.prf"));
        g_Config.fogOfWar = 1;
        for (int32_t p = 0; p < MaxPlayers; ++p)
            World().Player(p).name = CString("P") + char('0' + p);
        g_Particles.AddMinimapMarker(3, 4, 0xFF0000);
    }
};

TEST_F(CtrlGameSaveLayout, SectionsLieWhereTheirSizesPutThem)
{
    const std::vector<uint8_t> payload = CSaveGameRun::Payload(CSaveGameRun::Save());
    ASSERT_GT(payload.size(), 1000u);

    std::string timers = std::string(1, '\1') + LE32(4) + LE32(3);
    for (int32_t i = 1; i < MarkedTimer; ++i)
        timers += std::string(9, '\0');
    timers += std::string(1, '\1') + LE32(uint32_t(MarkReload)) + LE32(uint32_t(MarkCounter));
    const std::string objectives = LE32(2) + LE32(0) + LE32(0) + LE32(5) + LE32(7) + LE32(1) + LE32(9) +
                                   std::string(1, '\1') + Text32("Hold") + Text32("H") + Text32("Go") + LE32(1) +
                                   LE32(4) + std::string("\1\0\0", 3) + Text32("Maps\\a.world");
    const std::string profile = std::string("\3Bob", 4) + std::string(1, '\0');
    std::string selection = LE32(0) + LE32(0xFFFFFFFF);
    for (int32_t group = 1; group <= ControlGroupCount; ++group)
        selection += LE32(0);
    const std::string options = std::string("\1\0", 2);
    const std::string head = LE32(0) + std::string(1, '\1') + timers + LE32(0) + objectives + profile + selection +
                             options;
    EXPECT_EQ(Bytes(payload, 0, head.size()), head);

    // Each player's section opens with its name.
    size_t player = head.size();
    EXPECT_EQ(Bytes(payload, player, 7), Text32("P0"));
    for (int32_t p = 1; p < MaxPlayers; ++p)
    {
        const std::string name = Text32(std::string("P") + char('0' + p));
        const size_t next = size_t(std::search(payload.begin() + std::ptrdiff_t(player + 1), payload.end(),
                                               name.begin(), name.end()) -
                                   payload.begin());
        EXPECT_GT(next, player) << p;
        player = next;
    }

    const size_t side = size_t(kSide);
    const size_t setups = 8 * (4 + std::string("Player 1").size() + 1 + 6 * 4 + 61 * 4 + 36 + 19 + 8);
    const size_t mapBytes = 108 + (side + 1) * (side + 1) * 9 + side * side * 2 + side * side * 22 + 4 + setups;
    const size_t map = payload.size() - mapBytes;
    const std::string particles = LE32(0) + LE32(0) + LE32(0) + LE32(0) + LE32(1) + LE32(3) + LE32(4) +
                                  LE32(0xFF0000) + LE32(0);
    EXPECT_GT(map - particles.size(), player);
    EXPECT_EQ(Bytes(payload, map - particles.size(), particles.size()), particles);
    EXPECT_EQ(Bytes(payload, map, 12), LE32(0xFFFFFFFF) + LE32(kSide) + LE32(kSide));
}

TEST_F(CtrlGameSaveLayout, LoadingTakesTheProfileOfTheSavedNameWhenThereIsOne)
{
    const std::vector<uint8_t> file = CSaveGameRun::Save();
    g_PlayerProfiles.current = 0;
    g_CtrlGame.paused = 0;
    g_Config.fogOfWar = 0;
    g_MissionObjectives.objectives.Clear();
    ASSERT_TRUE(CSaveGameRun::Load(file));
    EXPECT_EQ(g_PlayerProfiles.GetCurrent(), 1);
    EXPECT_EQ(g_CtrlGame.paused, 1);
    EXPECT_EQ(g_Config.fogOfWar, 1);
    EXPECT_EQ(g_D3D8Game.timers[0].counter, 3);
    ASSERT_EQ(g_MissionObjectives.objectives.GetCount(), 1);
    EXPECT_STREQ(g_MissionObjectives.objectives[0].text.GetBuffer(), "Hold");
    EXPECT_STREQ(g_MissionObjectives.gameFile.GetBuffer(), "Maps\\a.world");

    // Without a profile of that name the current one stays.
    g_PlayerProfiles.Clear();
    ASSERT_TRUE(CSaveGameRun::Load(file));
    EXPECT_EQ(g_PlayerProfiles.GetCurrent(), CPlayerProfiles::kNoProfile);
}
