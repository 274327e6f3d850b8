#include "world/C_Player.h"

#include <cstring>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr int32_t DefaultPopulationMaximum = 256;
constexpr int32_t StartingStock = 1000;
constexpr int32_t TowerArcherGrowStep = 32;
constexpr int32_t RainHellTechnology = 52;
constexpr int32_t RainHellPower = 4;
constexpr uint32_t ScriptErrorColour = 0xFF0000;

CString NumberText(int32_t value)
{
    CString text;
    text.FromInt(value);
    return text;
}
} // namespace

CPlayer::CPlayer()
    : index(-1), team(-1), type(PLAYER_NONE), colourScheme(0), populationHistory(nullptr), units(nullptr),
      unitCount(0), buildings(nullptr), buildingCount(0), rainHellSpell(nullptr), rainHellPower(0),
      nextUniqueId(-1)
{
    ResetCounters();
    std::memset(enabledUnitTypes, 0, sizeof(enabledUnitTypes));
    std::memset(enabledBuildingCasts, 0, sizeof(enabledBuildingCasts));
    std::memset(allied, 0, sizeof(allied));
    std::memset(militaryTypes, 0, sizeof(militaryTypes));
    std::memset(flaggedCasts, 0, sizeof(flaggedCasts));
    populationHistoryCapacity = 0;
    populationHistoryCount = 0;
    populationMaximum = DefaultPopulationMaximum;
    starvationEnabled = 0;
    wood = gold = stone = 0;
    factoryReady = 1;
    towerArchers.Allocate(TowerArcherGrowStep);
}

CPlayer::~CPlayer()
{
    Release();
    script.Reset();
    computerAI.FreeBattlePlans();
}

// Everything a new game starts from zero.
void CPlayer::ResetCounters()
{
    starvationTime = 0;
    score = 0;
    refundCorrection = 0;
    queuedUnits = 0;
    unitsAdded = 0;
    buildingsAdded = 0;
    std::memset(groupCounts, 0, sizeof(groupCounts));
    std::memset(resourceRunOutTime, 0, sizeof(resourceRunOutTime));
    std::memset(queuedUnitsByType, 0, sizeof(queuedUnitsByType));
    std::memset(finishedBuildings, 0, sizeof(finishedBuildings));
    std::memset(buildingsUnderConstruction, 0, sizeof(buildingsUnderConstruction));
    std::memset(unitsByType, 0, sizeof(unitsByType));
    std::memset(statistics, 0, sizeof(statistics));
    std::memset(unitCursors, 0, sizeof(unitCursors));
    std::memset(exploredMap, 0, sizeof(exploredMap));
    std::memset(unitSightCounts, 0, sizeof(unitSightCounts));
    std::memset(buildingSightCounts, 0, sizeof(buildingSightCounts));
    std::memset(constructionSiteCounts, 0, sizeof(constructionSiteCounts));
    std::memset(resourceSiteCounts, 0, sizeof(resourceSiteCounts));
    std::memset(decorationCounts, 0, sizeof(decorationCounts));
    std::memset(alertGrid, 0, sizeof(alertGrid));
    std::memset(controlGroupCounts, 0, sizeof(controlGroupCounts));
}

void CPlayer::Init(int32_t playerIndex, int32_t playerTeam, int32_t playerType, const char* scriptFile)
{
    g_Log.Write(CString("Initializing player:") + NumberText(playerIndex));
    Release();
    index = playerIndex;
    team = playerTeam;
    type = playerType;
    starvationEnabled = 1;
    populationMaximum = DefaultPopulationMaximum;
    wood = gold = stone = StartingStock;
    ResetCounters();
    SetAlliancesByTeam();
    ProbeFactories();
    AllocateLists();
    if (type == PLAYER_COMPUTER)
        computerAI.Init(index);
    nextUniqueId = -1;
    towerArchers.Clear();
    CompileScript(scriptFile);
}

// Players of one team are friends of each other and of themselves.
void CPlayer::SetAlliancesByTeam()
{
    if (g_Players == nullptr || index < 0 || index >= MaxPlayers)
    {
        std::memset(allied, 0, sizeof(allied));
        if (index >= 0 && index < MaxPlayers)
            allied[index] = 1;
        return;
    }
    for (int32_t j = 0; j < MaxPlayers; ++j)
    {
        CPlayer& other = g_Players[j];
        const uint8_t friends = (&other == this || other.team == team) ? 1 : 0;
        allied[j] = friends;
        other.allied[index] = friends;
    }
}

// The factories tell which unit types fight and which building casts the
// script queries count; a type they do not know keeps its flag at 0.
void CPlayer::ProbeFactories()
{
    std::memset(militaryTypes, 0, sizeof(militaryTypes));
    std::memset(flaggedCasts, 0, sizeof(flaggedCasts));
    factoryReady = 0;
    for (int32_t unitType = 0; unitType < UnitTypeCount; ++unitType)
    {
        CUnit* probe = UnitFactory(unitType);
        if (probe == nullptr)
            continue;
        militaryTypes[unitType] = probe->CanAttackUnits() ? 1 : 0;
        delete probe;
    }
    for (int32_t cast = 0; cast < BuildCastCount; ++cast)
    {
        CBuilding* probe = BuildingFactory(cast, 0, 0, 0);
        if (probe == nullptr)
            continue;
        flaggedCasts[cast] = probe->IsScriptCounted() ? 1 : 0;
        delete probe;
    }
    factoryReady = 1;
}

void CPlayer::AllocateLists()
{
    populationHistory = new SPopulationSample[PopulationHistoryCapacity]();
    populationHistoryCapacity = PopulationHistoryCapacity;
    populationHistoryCount = 0;
    rainHellSpell = GetTechnologyRecord(RainHellTechnology);
    rainHellPower = RainHellPower;
    units = new CUnit*[MaxPlayerUnits]();
    unitCount = 0;
    buildings = new CBuilding*[MaxPlayerBuildings]();
    buildingCount = 0;
    std::memset(enabledUnitTypes, 0, sizeof(enabledUnitTypes));
    std::memset(enabledBuildingCasts, 0, sizeof(enabledBuildingCasts));
    for (CTechnology& technology : technologies)
        technology.enabled = 0;
}

void CPlayer::Release()
{
    g_Log.Write(CString("PlayerID=") + NumberText(index));
    for (int32_t i = 0; i < unitCount; ++i)
    {
        CUnit* unit = units[i];
        // A block that still shows the unit must not keep a deleted pointer.
        if (g_GameMap.IsOnMap(unit->x, unit->y) && std::as_const(g_GameMap).Block(unit->x, unit->y).unit == unit)
            g_GameMap.Block(unit->x, unit->y).unit = nullptr;
        delete unit;
    }
    delete[] units;
    units = nullptr;
    unitCount = 0;
    delete[] buildings;
    buildings = nullptr;
    buildingCount = 0;
    delete[] populationHistory;
    populationHistory = nullptr;
    populationHistoryCapacity = 0;
    populationHistoryCount = 0;
    towerArchers.Clear();
    if (type == PLAYER_COMPUTER)
    {
        computerAI.DeleteAllBattlePlans();
        computerAI.FreeBattlePlans();
    }
    script.Reset();
}

void CPlayer::CompileScript(const char* fileName)
{
    script.Reset();
    if (fileName == nullptr || fileName[0] == 0)
        return;
    script.Init(index);
    CString errorText;
    if (script.CompileFile(fileName, errorText))
    {
        g_Log.Write("Script compiled successfuly");
        return;
    }
    const CString& folder = g_Config.scriptFolder;
    if (!folder.IsEmpty() && errorText.FindNoCase(folder.GetBuffer()) == 0)
        errorText.Delete(0, folder.GetLength());
    g_Log.Write("Script compiled with errors");
    GetPlayerServices().AddMessage(CString("Script compile error:") + errorText, ScriptErrorColour);
    script.Reset();
}

void CPlayer::ResetComputerAI(const char* fileName)
{
    CompileScript(fileName);
    if (type == PLAYER_COMPUTER)
        computerAI.Init(index);
}

void CPlayer::UpdateComputerAI()
{
    if (type == PLAYER_COMPUTER)
        computerAI.Run1Frame();
}

CUnit* CPlayer::UnitFactory(int32_t unitType)
{
    return GetPlayerServices().CreateUnitObject(*this, unitType);
}

CBuilding* CPlayer::BuildingFactory(int32_t cast, int32_t resourceKind, int32_t treeCast, int32_t decorationKind)
{
    return GetPlayerServices().CreateBuildingObject(*this, cast, resourceKind, treeCast, decorationKind);
}
