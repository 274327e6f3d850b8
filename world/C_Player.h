#pragma once
// One of the eight players of a game.  All subsystems reach a player by its
// index into the table that start-up allocates; the index of the local
// player is a global of its own.  The eight records live for the whole run:
// Init prepares one for a new game, Release lets go of what a game gave it.
//
// A player owns its units (deleted by Release) and lists its finished
// buildings (freed with the map's objects).  The per-type and per-cast
// counters, group counts and the score are kept up to date on every
// creation and removal so that no query walks the lists.  Main thread only.

#include <cstdint>

#include "ai/C_ComputerAI.h"
#include "ai/C_Script.h"
#include "core/C_String.h"
#include "core/T_Array.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"

class CBuilding;
class CRangeTable;
class CUnit;
struct SRangeEntry;

// TENUMPLAYERTYPE
enum TENUMPLAYERTYPE : int32_t
{
    PLAYER_NONE = 0,
    PLAYER_LOCAL = 1,
    PLAYER_COMPUTER = 2,
    PLAYER_REMOTE = 3,
    PLAYER_DEFEATED = 4,
};

constexpr int32_t UnitTypeCount = 36;      // TENUMUNITCAST 0 .. 35
constexpr int32_t BuildCastCount = 19;     // TENUMBUILDCAST 0 .. 18
constexpr int32_t UnitGroupCount = 7;
constexpr int32_t ControlGroupCount = 9;   // groups 1 .. 9
constexpr int32_t MaxPlayerUnits = 256;
constexpr int32_t MaxPlayerBuildings = 1024;
constexpr int32_t AlertCellBlocks = 16;    // an alert cell covers 16 x 16 blocks
constexpr int32_t AlertCellsPerSide = 16;
constexpr int32_t AlertCellCount = AlertCellsPerSide * AlertCellsPerSide;
constexpr int32_t PopulationHistoryCapacity = 512;

// The seven unit groups, in the order of the counters.
enum EUnitGroup : int32_t
{
    GROUP_WORKERS = 0,
    GROUP_FOOT_SOLDIERS,
    GROUP_ARCHERS,
    GROUP_CAVALRY,
    GROUP_CATAPULTS,
    GROUP_PRIESTS,
    GROUP_SHIPS,
};

// The statistics counters, in their order.
enum EPlayerStatistic : int32_t
{
    STAT_WOOD_HARVESTED = 0,
    STAT_STONE_HARVESTED,
    STAT_GOLD_HARVESTED,
    STAT_UNITS_CREATED,
    STAT_UNITS_LOST,
    STAT_UNITS_KILLED,
    STAT_BUILDINGS_BUILT,
    STAT_BUILDINGS_LOST,
    STAT_BUILDINGS_DESTROYED,
    STAT_ARROWS_SHOT,
    STAT_ARROWS_HIT_UNIT,
    STAT_ARROWS_HIT_BUILDING,
    STAT_COUNT
};

// One 8-byte sample of the population history.
struct SPopulationSample
{
    int32_t values[2];
};

// The last attack announced in one 16 x 16-block area.
struct SAttackAlert
{
    uint32_t time;          // tick count, 0 when none
    CUnit* attackedUnit;
    CBuilding* attackedBuilding;
    CUnit* attacker;
};

class CPlayer
{
public:
    CPlayer();
    ~CPlayer();
    CPlayer(const CPlayer&) = delete;
    CPlayer& operator=(const CPlayer&) = delete;

    // ---- Life (C_Player.cpp) --------------------------------------------------
    // Prepares the player for a new game: counters, stock, alliances by
    // team, probes of the factories, empty lists, and the script.
    void Init(int32_t playerIndex, int32_t playerTeam, int32_t playerType, const char* scriptFile);
    // Deletes all units and frees the lists and the population history.
    void Release();
    // Without a file name the script is cleared.
    void CompileScript(const char* fileName);
    void ResetComputerAI(const char* fileName);
    void UpdateComputerAI();

    // ---- Units and buildings (C_Player_Objects.cpp) -------------------------
    CUnit* CreateUnit(int32_t unitType, int32_t x, int32_t y);
    // A unit converted from another player; false, with the unit left alone,
    // when the list is full.
    bool AddUnit(CUnit* unit);
    // False, with a check report and nothing changed, for a unit that is not
    // in this player's list.
    bool RemoveUnit(CUnit* unit, uint8_t tellScript);
    CBuilding* CreateBuilding(int32_t cast, int32_t x, int32_t y);
    CBuilding* CreateResource(int32_t resourceKind, int32_t x, int32_t y, int32_t amount, int32_t treeCast);
    CBuilding* CreateDecorationBuilding(int32_t decorationKind, int32_t x, int32_t y);
    void OnBuildingPlaced(CBuilding* building);
    void OnBuildingFinished(CBuilding* building);
    void AddBuilding(CBuilding* building);
    // False, with a check report and nothing changed, for a finished listed
    // building that is not in this player's list.
    bool RemoveBuilding(CBuilding* building, uint8_t tellScript);
    int32_t NextUnitId(uint8_t peek);
    bool HasUnit(const CUnit* unit) const;
    bool HasBuilding(const CBuilding* building) const;
    void AddTowerArcher(CUnit* unit);
    void RemoveTowerArcher(CUnit* unit);
    CUnit* FindTowerArcher(int32_t uniqueId) const;
    CUnit* UnitFactory(int32_t unitType);
    CBuilding* BuildingFactory(int32_t cast, int32_t resourceKind, int32_t treeCast, int32_t decorationKind);

    // ---- Economy (C_Player_Economy.cpp) -------------------------------------
    bool HasResources(int32_t needWood, int32_t needStone, int32_t needGold, uint8_t spend);
    void AddResources(int32_t addWood, int32_t addStone, int32_t addGold);
    void RefundResources(int32_t addWood, int32_t addStone, int32_t addGold);
    int32_t GetWealthScore() const;
    int32_t GetPopulationLimit() const;
    int32_t GetPopulation() const { return unitCount + queuedUnits; }
    bool IsPopulationFull(uint8_t* atMaximum) const;
    bool CanTrainUnit(int32_t unitType) const;
    bool CanBuildBuilding(int32_t cast) const;
    int32_t SumUnitValues() const;
    int32_t SumBuildingValues() const;
    int32_t GetWorkerSearchLimit() const;
    bool HasFinished(int32_t cast) const;

    // ---- Technologies (C_Player_Technology.cpp) -----------------------------
    void InitTechnologies(int32_t owner);
    void SetTechnologyEnabled(int32_t technologyId);
    void MarkPrerequisitesResearched(int32_t technologyId);
    bool IsTechnologyAvailable(int32_t technologyId) const;
    bool IsResearched(int32_t technologyId) const;
    // The effects that existing objects need at once, the score and the
    // events; call once per completed research (EResearchStep::FinishedNow).
    void OnTechnologyResearched(int32_t technologyId);
    // The one-shot spell's record when technology 52 is researched, else null;
    // `power` gets its number.
    const CUnitStats* GetRainHellSpell(int32_t* power) const;
    void ClearRainHell();

    // ---- Fog of war (C_Player_Fog.cpp) ----------------------------------------
    void ScanSightPattern(int32_t x, int32_t y, const CRangeTable& pattern);
    // One entry of a scanned pattern centred at (x, y).
    void ScanSightEntry(int32_t x, int32_t y, const SRangeEntry& entry, int32_t width, int32_t height);
    void RevealArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t level);
    // Moves a unit's sight pattern from one centre block to another: a step
    // to a neighbour touches only the blocks that enter and leave the
    // pattern, any other move takes it away and adds it again.
    void MoveUnitSight(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, const CRangeTable& pattern);
    void AddUnitSight(int32_t x, int32_t y, const CRangeTable& pattern, int8_t delta);
    void AddBuildingSight(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int8_t delta);
    // Adds delta (8-bit, wrapping) to the construction-site count of every
    // block of the rectangle (bounds inclusive) that lies on the map.
    void AddConstructionSite(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int8_t delta);
    // The construction sites are no part of a saved game: once one is loaded
    // (map, local player and options back), the marks of this player's
    // unfinished buildings on the map are made again.
    void RestoreConstructionSites();
    void UpdateSightArea(int32_t x, int32_t y, const CRangeTable& pattern, uint8_t whole);
    // How well the block is shown, 0 .. 255: its explored level, halved where
    // it is not seen while fog of war is on, and softened next to unseen
    // blocks by the visibility mode.  x and y are limited to the map.
    int32_t GetVisibility(int32_t x, int32_t y) const;
    // With fog of war: whether a sight pattern covers the block; without:
    // whether it was ever explored.
    bool IsCellSeen(int32_t x, int32_t y) const;
    // Explored and, with fog of war, seen.
    bool IsCellVisible(int32_t x, int32_t y) const;

    // ---- Relations, alerts, defeat (C_Player_Relations.cpp) -----------------
    bool IsFriendTo(int32_t playerIndex) const;
    bool WasAttackedNear(int32_t x, int32_t y) const;
    void AlertUnitAttacked(CUnit* unit, CUnit* attacker, uint8_t tellAI);
    void AlertBuildingAttacked(CBuilding* building, CUnit* attacker, uint8_t tellAI);
    void OnUnitQueued(CUnit* unit);
    void BroadcastToObjects(CUnit* enemy);
    // Computer players only: an attack position, a building event and a
    // unit event for the opponent.
    void OnAttackForAI(int32_t position);
    void OnBuildingEventForAI(CBuilding* building);
    void OnUnitEventForAI(CUnit* unit);
    void SetDefeated();

    // ---- Idle selection of the local player (C_Player_Selection.cpp) ------
    // The next idle worker (or idle unit on the map) becomes the only
    // selected unit and the camera centres on it; false, with a message,
    // when there is none.
    bool SelectNextIdleWorker();
    bool SelectNextIdleUnit();

    // ---- Per-frame work (C_Player_Actions.cpp) ------------------------------
    // One unit action at most; true while phase 0 has more to do.
    bool UpdateUnitsTimeSliced();
    void CheckStarvation(float amount);
    // The action pass of all eight players, cut off after 3 ms.
    static void UpdateAllUnitsTimeSliced(CPlayer* players);

    // ---- Saved state (C_Player_Save.cpp) -----------------------------------------
    // Numbers every unit of the list and every archer stationed in the
    // player's towers in the table, before the table is saved.
    void RegisterReferences(class CReferenceBase& references) const;
    // The player's section of a saved game; units and buildings are written
    // as the table's ids, the starvation time relative to now.
    void SaveGame(CSaveStream& stream, const CObjectReferences& references) const;
    // Reads what SaveGame wrote, after the table has made every object
    // again.  A list entry the table does not resolve (or that names
    // another player's object, or one listed already) is dropped with a
    // check report.  False, with a log line, the stream's error flag set and
    // the player as it was, for a section cut short or holding a value out
    // of range; the opponent's and the script's sections at its end are
    // read by them, after the player took the rest.
    bool LoadGame(CSaveStream& stream, const CObjectReferences& references);

    // ---- Production notices (C_Player_Production.cpp) -------------------------
    // A unit left the building that trained it: a computer player's
    // opponent and the script learn its type.
    void OnUnitTrained(CUnit* unit);
    // One unit of the type more (+1) or fewer (-1) in production; the counts
    // never drop below 0 (a check report instead).
    void CountUnitInProduction(int32_t unitType, int32_t delta);

    // ---- Fields ---------------------------------------------------------------
    CString name;
    int32_t index;
    int32_t team;
    int32_t type;           // TENUMPLAYERTYPE
    int32_t colourScheme;
    CComputerAI computerAI;
    uint32_t starvationTime;   // tick of the last starvation message, 0 when nobody starves
    uint8_t starvationEnabled;
    int32_t populationMaximum;
    int32_t wood;
    int32_t gold;
    int32_t stone;
    int32_t score;
    int32_t refundCorrection;
    int32_t groupCounts[UnitGroupCount];
    int32_t queuedUnits;
    int32_t queuedUnitsByType[UnitTypeCount];
    int32_t finishedBuildings[BuildCastCount];
    int32_t buildingsUnderConstruction[BuildCastCount];
    int32_t unitsByType[UnitTypeCount];
    uint8_t militaryTypes[UnitTypeCount];
    uint8_t flaggedCasts[BuildCastCount];
    int32_t statistics[STAT_COUNT];
    // Per resource kind (TENUMRESOURCE 0 .. 4): the tick count at which a
    // computer player's worker last found none of it, 0 while one was found.
    uint32_t resourceRunOutTime[5];
    int32_t unitsAdded;
    int32_t buildingsAdded;
    SPopulationSample* populationHistory;
    int32_t populationHistoryCapacity;
    int32_t populationHistoryCount;
    int32_t unitCursors[2];
    CTechnology technologies[TechnologyCount];
    uint8_t enabledUnitTypes[UnitTypeCount];
    uint8_t enabledBuildingCasts[BuildCastCount];
    uint8_t allied[8];
    // 0 unexplored .. 255 fully explored, per corner, indexed x * 257 + y.
    uint8_t exploredMap[257 * 257];
    // How many of the player's unit and building sight patterns cover each
    // block, indexed x * 256 + y.
    uint8_t unitSightCounts[256 * 256];
    uint8_t buildingSightCounts[256 * 256];
    // The local player's unfinished buildings on each block, while fog of
    // war is on: a construction site counts as seen.
    uint8_t constructionSiteCounts[256 * 256];
    // How many resource sites this player created stand on each block, and
    // how many decorations it created stand on or beside it (within their
    // margin).  Raised on creation only, at most 255.
    uint8_t resourceSiteCounts[256 * 256];
    uint8_t decorationCounts[256 * 256];
    SAttackAlert alertGrid[AlertCellCount];
    CUnit** units;
    int32_t unitCount;
    CBuilding** buildings;
    int32_t buildingCount;
    uint8_t factoryReady;
    const CUnitStats* rainHellSpell;
    int32_t rainHellPower;
    int32_t controlGroupCounts[ControlGroupCount];
    int32_t nextUniqueId;
    T_Array<CUnit*> towerArchers;
    CScript script;

private:
    void ResetCounters();
    void SetAlliancesByTeam();
    void ProbeFactories();
    void AllocateLists();
    void CountUnitIn(const CUnit& unit, bool created);
    void CountUnitOut(const CUnit& unit);
    void ClearAlertsOf(const CUnit* unit, const CBuilding* building);
    void LowerControlGroup(int32_t group);
    void AppendBuilding(CBuilding* building);
    void TellScriptBuilt(const CBuilding& building);
    void MarkSiteBlocks(CBuilding& building);
    void MarkDecorationBlocks(CBuilding& building);
    void RaiseCorner(int32_t cx, int32_t cy, uint8_t level);
    void RaiseBuildingCorners(const CBuilding& building, uint8_t level);
    void AddBuildingSightAt(int32_t x, int32_t y, int8_t delta);
    bool IsSeen(int32_t x, int32_t y) const;
    bool HasUnseenNeighbour(int32_t x, int32_t y, bool diagonals) const;
    bool IsLocal() const;
    void ShowMessage(const char* key, uint32_t colour) const;
    bool AlertCell(int32_t cell, const SAttackAlert& alert, CUnit* attacker, uint8_t tellAI, int32_t markX,
                   int32_t markY, const void* attacked);
    bool PerformNextAction(int32_t phase);
    void DestroyEverything();
    void RefreshSightOfTypes(const int32_t* unitTypes, int32_t typeCount, bool towers);
    void RecomputeLocalView() const;
    bool SelectNextIdle(bool (*isCandidate)(const CUnit&), const char* noneKey);
};

// The eight players (allocated by start-up) and the index of the local one.
constexpr int32_t MaxPlayers = 8;
extern CPlayer* g_Players;
// The player of that index, or null for an index outside 0..7 or before the
// players exist.
inline CPlayer* PlayerAt(int32_t index)
{
    if (g_Players == nullptr || index < 0 || index >= MaxPlayers)
        return nullptr;
    return &g_Players[index];
}
extern int32_t g_LocalPlayer;
