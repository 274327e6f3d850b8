// The game set-up and objectives record's section of a saved game: the
// mode and result, the campaign and scenario, the objectives with their
// texts, the hint, the dialog events, the three flags and the game file.

#include <cstring>
#include <vector>

#include "game/C_MissionObjectives.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"

namespace
{
constexpr const char* kRefusal = "Objectives section of the saved game rejected: ";
constexpr int32_t kHighestResult = 2;   // 1 won, 2 lost

bool IsFlag(uint8_t value)
{
    return value <= 1;
}

void WriteText(CSaveWriter& out, const CString& text)
{
    const int32_t length = text.GetLength();
    out.I32(length + 1);
    out.Bytes(text.GetBuffer(), length);
    out.U8(0);
}

// False, after a refusal, for a text that is cut short, too long, or not
// one zero-terminated text.
bool ReadText(CSaveReader& in, CString& text)
{
    const int32_t bytes = in.I32();
    if (in.Failed())
        return false;
    if (!CSaveReader::InRange(bytes, 1, CMissionObjectives::kMostSavedTextBytes))
        return in.Refuse("bad text length");
    std::vector<char> buffer(static_cast<size_t>(bytes), '\0');
    in.Bytes(buffer.data(), bytes);
    if (in.Failed())
        return false;
    if (strnlen(buffer.data(), buffer.size()) != static_cast<size_t>(bytes - 1))
        return in.Refuse("a text is not terminated where its length says");
    text = buffer.data();
    return true;
}

struct SStagedRecord
{
    int32_t gameMode = 0;
    int32_t result = 0;
    int32_t gameType = 0;
    int32_t campaignId = 0;
    int32_t scenarioId = 0;
    std::vector<CMissionObjectives::SObjective> objectives;
    CString objectivesHint;
    std::vector<int32_t> dialogEvents;
    uint8_t savingAllowed = 0;
    uint8_t newDialogLine = 0;
    uint8_t shipsNeeded = 0;
    CString gameFile;
};

bool ReadHead(CSaveReader& in, SStagedRecord& record)
{
    record.gameMode = in.I32();
    record.result = in.I32();
    record.gameType = in.I32();
    record.campaignId = in.I32();
    record.scenarioId = in.I32();
    if (in.Failed())
        return false;
    if (!CSaveReader::InRange(record.gameMode, CMissionObjectives::ModeCampaign,
                              CMissionObjectives::ModeEditorTestRun))
        return in.Refuse("unknown game mode");
    if (!CSaveReader::InRange(record.result, 0, kHighestResult))
        return in.Refuse("unknown result");
    return true;
}

bool ReadObjectives(CSaveReader& in, SStagedRecord& record)
{
    const int32_t count = in.Count(0, CMissionObjectives::kMostSavedRecords, "bad objective count");
    if (count < 0)
        return false;
    record.objectives.resize(static_cast<size_t>(count));
    for (CMissionObjectives::SObjective& objective : record.objectives)
    {
        objective.value = in.I32();
        objective.flag = in.U8();
        if (in.Failed())
            return false;
        if (!IsFlag(objective.flag))
            return in.Refuse("an objective's flag is not 0 or 1");
        if (!ReadText(in, objective.text) || !ReadText(in, objective.hint))
            return false;
    }
    return ReadText(in, record.objectivesHint);
}

bool ReadTail(CSaveReader& in, SStagedRecord& record)
{
    const int32_t count = in.Count(0, CMissionObjectives::kMostSavedRecords, "bad dialog event count");
    if (count < 0)
        return false;
    for (int32_t i = 0; i < count; ++i)
        record.dialogEvents.push_back(in.I32());
    record.savingAllowed = in.U8();
    record.newDialogLine = in.U8();
    record.shipsNeeded = in.U8();
    if (in.Failed())
        return false;
    if (!IsFlag(record.savingAllowed) || !IsFlag(record.newDialogLine) ||
        !IsFlag(record.shipsNeeded))
        return in.Refuse("a flag is not 0 or 1");
    return ReadText(in, record.gameFile);
}
}  // namespace

void CMissionObjectives::SaveGame(CSaveStream& stream) const
{
    CSaveWriter out(stream);
    out.I32(gameMode);
    out.I32(result);
    out.I32(gameType);
    out.I32(campaignId);
    out.I32(scenarioId);
    out.I32(objectives.GetCount());
    for (int i = 0; i < objectives.GetCount(); ++i)
    {
        out.I32(objectives[i].value);
        out.Flag(objectives[i].flag != 0);
        WriteText(out, objectives[i].text);
        WriteText(out, objectives[i].hint);
    }
    WriteText(out, objectivesHint);
    out.I32(dialogEvents.GetCount());
    for (int i = 0; i < dialogEvents.GetCount(); ++i)
        out.I32(dialogEvents[i].value);
    out.Flag(savingAllowed != 0);
    out.Flag(newDialogLine != 0);
    out.Flag(shipsNeeded != 0);
    WriteText(out, gameFile);
}

bool CMissionObjectives::LoadGame(CSaveStream& stream)
{
    CSaveReader in(stream, kRefusal);
    SStagedRecord record;
    if (!ReadHead(in, record) || !ReadObjectives(in, record) || !ReadTail(in, record))
    {
        if (!in.Failed())
            in.Refuse("section cut short");
        return false;
    }
    gameMode = record.gameMode;
    result = record.result;
    gameType = record.gameType;
    campaignId = record.campaignId;
    scenarioId = record.scenarioId;
    objectives.Clear();
    for (const SObjective& objective : record.objectives)
        objectives.Add(objective);
    objectivesHint = record.objectivesHint;
    dialogEvents.Clear();
    for (int32_t value : record.dialogEvents)
        dialogEvents.Add(SDialogEvent{value});
    savingAllowed = record.savingAllowed;
    newDialogLine = record.newDialogLine;
    shipsNeeded = record.shipsNeeded;
    gameFile = record.gameFile;
    return true;
}
