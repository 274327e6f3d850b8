#include "game/C_MissionObjectives.h"

CMissionObjectives::CMissionObjectives()
    : gameMode(ModeCampaign),
      result(0),
      gameType(0),
      campaignId(-1),
      scenarioId(0),
      savingAllowed(1),
      newDialogLine(0),
      shipsNeeded(0)
{
    objectives.Allocate(kRecordGrowStep);
    dialogEvents.Allocate(kRecordGrowStep);
}

int32_t CMissionObjectives::Add(int32_t value, const char* text, const char* hint)
{
    SObjective objective;
    objective.value = value;
    objective.text = text;
    objective.hint = hint;
    return objectives.Add(objective);
}

bool CMissionObjectives::Complete(int32_t value)
{
    bool found = false;
    for (int i = 0; i < objectives.GetCount(); ++i)
        if (objectives[i].value == value)
        {
            objectives[i].flag = 1;
            found = true;
        }
    return found;
}
