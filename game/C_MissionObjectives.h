#pragma once
// Stands in for the in-game control subsystem: the game set-up and mission
// objectives record, with its constructed state and its saved-game section.

#include <cstdint>

#include "core/C_String.h"
#include "core/T_Array.h"

class CSaveStream;

class CMissionObjectives
{
public:
    // What the player is to do; each record owns its two texts.
    struct SObjective
    {
        int32_t value = 0;  // the number scripts name it by
        uint8_t flag = 0;   // 1 once completed
        CString text;
        CString hint;
    };

    // A dialog line raised by a script.
    struct SDialogEvent
    {
        int32_t value = 0;
    };

    enum GameMode : int32_t
    {
        ModeCampaign = 1,
        ModeScenario = 2,
        ModeEditor = 3,
        ModeRandomGame = 4,
        ModeMultiplayer = 5,
        ModeEditorTestRun = 6
    };

    static constexpr int kRecordGrowStep = 16;
    // Limits of a saved game's section: records per list, bytes per text
    // with its terminating zero.
    static constexpr int32_t kMostSavedRecords = 4096;
    static constexpr int32_t kMostSavedTextBytes = 65536;

    CMissionObjectives();
    // Members go in reverse order: the game file, the dialog events, the hint,
    // then the objectives with their texts.
    ~CMissionObjectives() = default;

    CMissionObjectives(const CMissionObjectives&) = delete;
    CMissionObjectives& operator=(const CMissionObjectives&) = delete;

    // Appends an objective not yet completed; returns its index.
    int32_t Add(int32_t value, const char* text, const char* hint);
    // Marks every objective numbered `value` completed; false when there is
    // none.
    bool Complete(int32_t value);

    // Every field, in declaration order.  Texts are stored as a 32-bit byte
    // count that includes the terminating zero, then the bytes.
    void SaveGame(CSaveStream& stream) const;
    // Reads the whole section before it changes anything; a short or bad
    // section sets the stream's error flag, logs why and leaves the record
    // as it was.
    bool LoadGame(CSaveStream& stream);

    int32_t gameMode;
    int32_t result;        // 1 won, 2 lost
    int32_t gameType;      // 2 random game, 3 multiplayer game
    int32_t campaignId;
    int32_t scenarioId;
    T_Array<SObjective> objectives;
    CString objectivesHint;
    T_Array<SDialogEvent> dialogEvents;
    uint8_t savingAllowed;
    uint8_t newDialogLine;
    uint8_t shipsNeeded;
    CString gameFile;
    // Work a builder or repairer does per animation cycle before research;
    // not part of the saved section.
    static constexpr int32_t DefaultBuildSpeed = 1;
    int32_t buildSpeed = DefaultBuildSpeed;
};

extern CMissionObjectives g_MissionObjectives;
