#pragma once
// The fixed record of one unit type, building type or technology: costs,
// production or research rate, hit points, combat values, icon and messages.
// The 100 records are built in code at start-up (InitTypeRecords) and rebuilt
// whole when the unit-health option changes; everything else only reads them.

#include <cstdint>

#include "core/C_String.h"

constexpr int32_t TypeRecordCount = 100;
constexpr int32_t FirstBuildingRecord = 25;
constexpr int32_t FirstTechnologyRecord = 39;
constexpr int32_t TechnologyCount = 61;
constexpr int32_t DamageFactorCount = 3;

class CUnitStats
{
public:
    int32_t index = 0;              // position 0 .. 99
    const char* name = nullptr;     // display name (localised, or fixed for heroes)
    int32_t woodCost = 0;
    int32_t goldCost = 0;
    int32_t stoneCost = 0;
    CString message;                // shown when trained / researched; empty for buildings
    float rate = 0.0f;              // training, construction or research progress rate
    int32_t icon = 0;
    int32_t hitPoints = 0;
    int32_t attack = 0;
    int32_t attackRange = 0;        // blocks
    int32_t sightRadius = 0;        // blocks
    int32_t unitType = 0;           // TENUMUNITCAST
    int32_t producingCast = 0;      // TENUMBUILDCAST that trains or researches it, 0 none
    int32_t buildingCast = 0;       // TENUMBUILDCAST of a building record
    int32_t technologyId = 0;       // 0 .. 60 for technology records
    float damageFactors[DamageFactorCount] = {0.0f, 0.0f, 0.0f};
};

// The 100 records (allocated by start-up), null before.
extern CUnitStats* g_UnitStats;

// Record of technology id t, or null for an id outside 0 .. 60 or before
// the records exist.
const CUnitStats* GetTechnologyRecord(int32_t technologyId);

// Fills all 100 records from the tables and the current language, numbers
// them, and then restarts the research of each of the eight players
// (CPlayer::InitTechnologies) when the players exist.
void InitTypeRecords();
