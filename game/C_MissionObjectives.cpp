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
