#include "world/C_MapPlayerSettings.h"

#include <cstring>

namespace
{
constexpr int32_t LocalHuman = 1;
constexpr int32_t TechnologyEnabled = 0;
constexpr int32_t DefaultResources = 1000;
constexpr int32_t DefaultPopulationLimit = 256;
} // namespace

CMapPlayerSettings::CMapPlayerSettings()
    : playerType(0), colourScheme(0), team(0), initialWood(0), initialStone(0), initialGold(0),
      startViewX(0), startViewY(0), starving(0), populationLimit(0)
{
    std::memset(technologyStates, 0, sizeof(technologyStates));
    std::memset(unitEnabled, 0, sizeof(unitEnabled));
    std::memset(buildingEnabled, 0, sizeof(buildingEnabled));
}

void CMapPlayerSettings::SetDefaults(int32_t index)
{
    CString number;
    number.FromInt(index + 1);
    name = CString("Player ") + number;
    scriptFile = "";
    playerType = LocalHuman;
    colourScheme = index;
    team = 0;
    initialWood = DefaultResources;
    initialStone = DefaultResources;
    initialGold = DefaultResources;
    starving = 1;
    populationLimit = DefaultPopulationLimit;
    startViewX = 0;
    startViewY = 0;
    for (int32_t& state : technologyStates)
        state = TechnologyEnabled;
    std::memset(unitEnabled, 1, sizeof(unitEnabled));
    std::memset(buildingEnabled, 1, sizeof(buildingEnabled));
}
