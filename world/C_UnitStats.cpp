#include "world/C_UnitStats.h"

#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "world/C_Player.h"

CUnitStats* g_UnitStats = nullptr;

namespace
{
// Keeps full hit points whatever the unit-health option says.
constexpr int32_t DemolitionManType = 12;
constexpr int32_t UnitHealthFactor = 3;

struct SUnitRow
{
    int32_t record;
    int32_t type;
    const char* name;      // locale key, or the fixed text of a hero
    bool fixedTexts;       // heroes carry their texts instead of keys
    int32_t wood, gold, stone;
    int32_t hitPoints, attack, range, sight;
    float factors[DamageFactorCount];
    int32_t producingCast;
    int32_t icon;
    float rate;
    const char* message;
};

// Records 17, 19 and 20 are numbered but never filled.
const SUnitRow UnitRows[] = {
    {0, 1, "UN_WORKER", false, 40, 0, 0, 30, 0, 1, 6, {1, 1, 1}, 11, 27, 0.5f, "UN_MSG_WORKER"},
    {1, 2, "UN_WARRIOR", false, 50, 0, 0, 50, 8, 1, 8, {1, 1, 1}, 2, 28, 0.3f, "UN_MSG_WARRIOR"},
    {2, 3, "UN_ARCHER", false, 30, 20, 0, 40, 5, 8, 10, {2, 1, 1}, 2, 29, 0.3f, "UN_MSG_ARCHER"},
    {3, 8, "UN_TOWERARCHER", false, 50, 30, 0, 40, 0, 0, 0, {0, 0, 0}, 6, 30, 0.3f, "UN_MSG_TOWERARCHER"},
    {4, 4, "UN_CATAPULT", false, 250, 80, 0, 70, 30, 14, 16, {1, 0.8f, 1}, 1, 31, 0.08f, "UN_MSG_CATAPULT"},
    {5, 6, "UN_LIGHTCAVALRY", false, 80, 50, 0, 65, 14, 1, 11, {1, 1, 1}, 2, 33, 0.2f, "UN_MSG_LIGHTCAVALRY"},
    {6, 7, "UN_TRANSPORTSHIP", false, 300, 0, 0, 120, 0, 1, 12, {1, 0.9f, 1}, 13, 34, 0.1f, "UN_MSG_TRANSPORTSHIP"},
    {7, 5, "UN_PRIEST", false, 0, 200, 0, 30, 3, 12, 14, {1, 1, 1}, 8, 32, 0.2f, "UN_MSG_PRIEST"},
    {8, 9, "UN_CROSSBOWMAN", false, 60, 50, 0, 50, 6, 9, 10, {1.6f, 0.7f, 1}, 2, 35, 0.25f, "UN_MSG_CROSSBOWMAN"},
    {9, 10, "UN_KNIGHT", false, 70, 90, 0, 70, 18, 1, 10, {0.8f, 0.3f, 1}, 2, 36, 0.15f, "UN_MSG_KNIGHT"},
    {10, 11, "UN_WARGALLEY", false, 300, 50, 0, 400, 35, 14, 16, {1, 0.7f, 1}, 13, 37, 0.08f, "UN_MSG_WARGALLEY"},
    {11, 12, "UN_DEMOLISHMAN", false, 200, 100, 0, 20, 300, 1, 8, {1, 1, 1}, 1, 38, 0.1f, "UN_MSG_DEMOLISHMAN"},
    {12, 13, "UN_HEAVYCAVALRY", false, 90, 120, 0, 80, 28, 1, 12, {0.8f, 0.6f, 1}, 2, 39, 0.15f, "UN_MSG_HEAVYCAVALRY"},
    {13, 30, "Quib", true, 200, 100, 0, 8000, 250, 14, 16, {0, 0, 0}, 0, 40, 0.1f, "-- Quib created --"},
    {14, 31, "Warhound", true, 200, 100, 0, 8000, 40, 14, 16, {0, 0, 0}, 0, 41, 0.1f, "-- Warhound created --"},
    {15, 32, "Gunslinger", true, 200, 100, 0, 8000, 40, 14, 16, {0, 0, 0}, 0, 42, 0.1f, "-- Gunslinger created --"},
    {16, 33, "UN_KING", false, 0, 0, 0, 60, 0, 1, 8, {1, 1, 1}, 0, 43, 0.0f, "UN_MSG_KING"},
    {18, 34, "UN_SETTLER", false, 0, 0, 0, 120, 0, 1, 8, {1, 1, 1}, 0, 45, 0.0f, "UN_MSG_SETTLER"},
    {21, 35, "UN_HEROCAVALRY", false, 90, 120, 0, 120, 30, 1, 12, {0.7f, 0.6f, 1}, 0, 48, 0.15f, "UN_MSG_HEROCAVALRY"},
    {22, 20, "UN_GIANT", false, 400, 300, 0, 300, 32, 1, 8, {0.8f, 0.9f, 1}, 15, 49, 0.2f, "UN_MSG_GIANT"},
    {23, 21, "UN_DEMON", false, 100, 300, 0, 50, 30, 12, 14, {1, 1, 1}, 15, 50, 0.2f, "UN_MSG_DEMON"},
    {24, 22, "UN_UNDEAD", false, 200, 100, 0, 40, 10, 1, 7, {0.8f, 0.6f, 1}, 15, 51, 0.2f, "UN_MSG_UNDEAD"},
};

struct SBuildingRow
{
    int32_t cast;
    const char* name;
    int32_t wood, gold, stone;
    int32_t hitPoints;
    float factors[DamageFactorCount];
    int32_t icon;
    float rate;
};

// Records 25 .. 38 in order.
const SBuildingRow BuildingRows[] = {
    {5, "BD_HOUSE", 60, 0, 0, 400, {0.4f, 0.2f, 1}, 53, 3.0f},
    {7, "BD_WAREHOUSE", 50, 0, 0, 300, {0.4f, 0.2f, 1}, 57, 6.0f},
    {2, "BD_BARRACKS", 200, 0, 200, 1200, {0.4f, 0.2f, 1}, 54, 0.8f},
    {4, "BD_BLACKSMITH", 300, 0, 100, 1000, {0.4f, 0.2f, 1}, 58, 1.2f},
    {6, "BD_TOWER", 50, 30, 160, 1000, {0.2f, 0.1f, 1}, 56, 1.8f},
    {9, "BD_WALL", 0, 0, 5, 1200, {0.2f, 0.1f, 1}, 62, 12.0f},
    {1, "BD_CASTLE", 600, 0, 800, 2000, {0.2f, 0.1f, 1}, 52, 0.5f},
    {8, "BD_MONASTERY", 200, 0, 300, 800, {0.4f, 0.2f, 1}, 59, 1.6f},
    {12, "BD_TRAP", 50, 0, 0, 5, {1, 1, 1}, 63, 12.0f},
    {13, "BD_DOCKS", 500, 0, 0, 800, {0.4f, 0.2f, 1}, 64, 1.4f},
    {11, "BD_KEEP", 600, 0, 0, 1200, {0.4f, 0.2f, 1}, 60, 0.6f},
    {11, "BD_STRONGHOLD", 400, 0, 600, 1600, {0.2f, 0.1f, 1}, 61, 0.5f},
    {3, "BD_ALCHEMY", 400, 500, 600, 1200, {0.4f, 0.2f, 1}, 55, 0.7f},
    {15, "BD_DARKALTAR", 800, 500, 1000, 1600, {0.6f, 0.2f, 1}, 65, 0.4f},
};

struct STechnologyRow
{
    const char* key;
    int32_t wood, gold, stone;
    int32_t researchedAt;
    int32_t icon;
    float rate;
};

// Technology id t is row t and record 39 + t.
const STechnologyRow TechnologyRows[] = {
    {"TC_HARVEST_WOOD_1", 100, 0, 0, 11, 118, 0.5f},   {"TC_HARVEST_WOOD_2", 200, 0, 0, 11, 119, 0.3f},
    {"TC_HARVEST_WOOD_3", 500, 100, 0, 11, 120, 0.1f}, {"TC_MINE_1", 200, 0, 50, 11, 121, 0.4f},
    {"TC_MINE_2", 400, 100, 50, 11, 122, 0.3f},        {"TC_CARRY_1", 100, 0, 0, 11, 123, 0.5f},
    {"TC_CARRY_2", 200, 0, 0, 11, 124, 0.3f},          {"TC_CARRY_3", 400, 100, 0, 11, 125, 0.1f},
    {"TC_TRONGHOLD", 1000, 1000, 1500, 11, 126, 0.05f}, {"TC_BUILDSPD_1", 200, 0, 0, 11, 127, 0.3f},
    {"TC_BUILDSPD_2", 300, 100, 50, 11, 128, 0.2f},    {"TC_ATTACK_C_1", 200, 0, 0, 4, 129, 0.3f},
    {"TC_ATTACK_C_2", 100, 200, 0, 4, 130, 0.1f},      {"TC_ATTACK_C_3", 0, 600, 0, 4, 131, 0.05f},
    {"TC_DEFENSE_C_1", 200, 0, 0, 4, 132, 0.3f},       {"TC_DEFENSE_C_2", 0, 500, 0, 4, 133, 0.1f},
    {"TC_DEFENSE_C_3", 0, 800, 0, 4, 134, 0.05f},      {"TC_DEFENSE_R_1", 200, 0, 0, 4, 135, 0.2f},
    {"TC_DEFENSE_R_2", 0, 300, 0, 4, 136, 0.1f},       {"TC_DEFENSE_R_3", 0, 800, 0, 4, 137, 0.05f},
    {"TC_ATTACK_R_1", 200, 0, 0, 4, 138, 0.2f},        {"TC_ATTACK_R_2", 0, 300, 0, 4, 139, 0.1f},
    {"TC_ATTACK_R_3", 0, 500, 0, 4, 140, 0.05f},       {"TC_RANGE_1", 200, 0, 0, 4, 141, 0.2f},
    {"TC_RANGE_2", 0, 300, 0, 4, 142, 0.1f},           {"TC_RANGE_3", 0, 500, 0, 4, 143, 0.05f},
    {"TC_ATTACK_M_1", 200, 0, 0, 4, 144, 0.2f},        {"TC_ATTACK_M_2", 0, 300, 0, 4, 145, 0.1f},
    {"TC_ATTACK_M_3", 0, 500, 0, 4, 146, 0.05f},       {"TC_IRONWORK", 200, 1000, 0, 4, 147, 0.05f},
    {"TC_HORSERIDE", 200, 300, 0, 2, 148, 0.2f},       {"TC_CROSSBOW", 300, 500, 0, 2, 149, 0.2f},
    {"TC_WARGALLEY", 0, 300, 0, 13, 150, 0.2f},        {"TC_SHIPSPD_1", 0, 600, 0, 13, 151, 0.1f},
    {"TC_SHIPSPD_2", 300, 500, 0, 13, 152, 0.05f},     {"TC_SHIP_ATT_1", 100, 800, 0, 13, 153, 0.5f},
    {"TC_SHIP_ATT_2", 500, 2000, 0, 13, 154, 0.02f},   {"TC_SHIP_RNG_1", 0, 1200, 0, 13, 155, 0.1f},
    {"TC_SHIP_RNG_2", 0, 2500, 0, 13, 156, 0.05f},     {"TC_MACINE_D_1", 400, 0, 0, 1, 157, 0.3f},
    {"TC_MACINE_D_2", 800, 200, 0, 1, 158, 0.1f},      {"TC_MACINE_D_3", 500, 800, 0, 1, 159, 0.05f},
    {"TC_CAT_ATT_1", 100, 1000, 0, 1, 160, 0.1f},      {"TC_CAT_ATT_2", 500, 2000, 0, 1, 161, 0.05f},
    {"TC_MERC_FORCE", 0, 1000, 0, 1, 162, 0.2f},       {"TC_CAT_RANGE", 0, 700, 0, 1, 163, 0.2f},
    {"TC_BUILD_D_1", 0, 500, 200, 1, 164, 0.2f},       {"TC_BUILD_D_2", 0, 800, 300, 1, 165, 0.1f},
    {"TC_FF_WALL", 0, 100, 600, 1, 166, 0.2f},         {"TC_PRIEST_DEF", 0, 500, 0, 8, 167, 0.3f},
    {"TC_PRIEST_ATT_1", 0, 600, 0, 8, 168, 0.2f},      {"TC_AO_GOD", 0, 2000, 0, 8, 169, 0.02f},
    {"TC_RAIN_HELL", 0, 800, 0, 8, 170, 0.2f},         {"TC_ADV_BUILD", 500, 800, 200, 3, 171, 0.1f},
    {"TC_PYRO", 0, 800, 0, 3, 172, 0.2f},              {"TC_EXPLSIVE", 0, 1200, 0, 3, 173, 0.05f},
    {"TC_BALLISTIC", 0, 600, 0, 3, 174, 0.1f},         {"TC_CURVESHOT", 200, 800, 0, 3, 175, 0.1f},
    {"TC_FLAMEARROW", 500, 1500, 0, 3, 176, 0.1f},     {"TC_HIDEOUT", 0, 1000, 0, 3, 177, 0.2f},
    {"TC_BLOODBATH", 0, 1500, 0, 3, 178, 0.1f},
};

static_assert(sizeof(BuildingRows) / sizeof(BuildingRows[0]) == FirstTechnologyRecord - FirstBuildingRecord);
static_assert(sizeof(TechnologyRows) / sizeof(TechnologyRows[0]) == TechnologyCount);

const char* Localised(const char* key)
{
    return g_Localizer.GetString(key, true);
}

void CopyFactors(CUnitStats& record, const float* factors)
{
    for (int32_t i = 0; i < DamageFactorCount; ++i)
        record.damageFactors[i] = factors[i];
}

void FillUnit(CUnitStats& record, const SUnitRow& row)
{
    record.name = row.fixedTexts ? row.name : Localised(row.name);
    record.woodCost = row.wood;
    record.goldCost = row.gold;
    record.stoneCost = row.stone;
    record.message = row.fixedTexts ? row.message : Localised(row.message);
    record.rate = row.rate;
    record.icon = row.icon;
    record.hitPoints = row.hitPoints;
    if (g_Config.unitHealthMultiply && row.type != DemolitionManType)
        record.hitPoints *= UnitHealthFactor;
    record.attack = row.attack;
    record.attackRange = row.range;
    record.sightRadius = row.sight;
    record.unitType = row.type;
    record.producingCast = row.producingCast;
    CopyFactors(record, row.factors);
}

void FillBuilding(CUnitStats& record, const SBuildingRow& row)
{
    record.name = Localised(row.name);
    record.woodCost = row.wood;
    record.goldCost = row.gold;
    record.stoneCost = row.stone;
    record.rate = row.rate;
    record.hitPoints = row.hitPoints;
    CopyFactors(record, row.factors);
    record.buildingCast = row.cast;
    record.icon = row.icon;
}

void FillTechnology(CUnitStats& record, int32_t id, const STechnologyRow& row)
{
    record.name = Localised(row.key);
    record.woodCost = row.wood;
    record.goldCost = row.gold;
    record.stoneCost = row.stone;
    record.rate = row.rate;
    record.technologyId = id;
    record.producingCast = row.researchedAt;
    record.icon = row.icon;
    const char* researched = Localised("TC_TECHNOLOGY_RESEARCHED");
    record.message = GlobalFunc::ReplaceString(researched ? researched : "", "%s", record.name ? record.name : "");
}
} // namespace

const CUnitStats* GetTechnologyRecord(int32_t technologyId)
{
    if (g_UnitStats == nullptr || technologyId < 0 || technologyId >= TechnologyCount)
        return nullptr;
    return &g_UnitStats[FirstTechnologyRecord + technologyId];
}

void InitTypeRecords()
{
    if (g_UnitStats == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Type records are not allocated");
        return;
    }
    for (int32_t i = 0; i < TypeRecordCount; ++i)
        g_UnitStats[i] = CUnitStats();
    for (const SUnitRow& row : UnitRows)
        FillUnit(g_UnitStats[row.record], row);
    for (int32_t i = 0; i < FirstTechnologyRecord - FirstBuildingRecord; ++i)
        FillBuilding(g_UnitStats[FirstBuildingRecord + i], BuildingRows[i]);
    for (int32_t id = 0; id < TechnologyCount; ++id)
        FillTechnology(g_UnitStats[FirstTechnologyRecord + id], id, TechnologyRows[id]);
    for (int32_t i = 0; i < TypeRecordCount; ++i)
        g_UnitStats[i].index = i;
    if (g_Players == nullptr)
        return;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].InitTechnologies(p);
}
