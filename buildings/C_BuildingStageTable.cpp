#include "buildings/C_BuildingStageTable.h"

#include "buildings/C_BuildingCastTable.h"

namespace
{
constexpr float StageStep = 25.0f;
constexpr bool LongRow = true;
constexpr bool ShortRow = false;
constexpr bool Instead = true;
constexpr bool AsWell = false;
constexpr bool Animates = true;
constexpr bool Still = false;
constexpr bool Costs = true;

// cast, dust, stage models, finished, message, sink, snow, aim x/y, aim
// height, unfinished height, 4-and-9 row, collapse rule, firewall bonus,
// work cost, animates, hit debris
const SBuildingStageRow Rows[] = {
    {CastCastle, 15, {109, 110, 111, 112}, 108, "BD_MSG_CASTLE", 350.0f, 113, {3.5f, 3.5f}, 95.81f, 0.0f, LongRow,
     Instead, 1000, Costs, {0.3f, 0.8f, 0.0f}, Animates, {-1, -1}},
    {CastBarracks, 15, {116, 117, 118, 119}, 115, "BD_MSG_BARRACKS", 250.0f, 120, {2.0f, 2.0f}, 67.98f, 0.0f,
     LongRow, Instead, 0, Costs, {0.5f, 0.5f, 0.0f}, Animates, {-1, -1}},
    {CastAlchemy, 10, {123, 124, 125, 126}, 122, "BD_MSG_ALCHEMY", 300.0f, 127, {1.65f, 2.51f}, 44.71f, 0.0f,
     LongRow, AsWell, 0, Costs, {0.5f, 0.5f, 0.5f}, Still, {-1, -1}},
    {CastBlacksmith, 15, {151, 152, 153, 154}, 150, "BD_MSG_BLACKSMITH", 250.0f, 155, {2.0f, 1.5f}, 51.15f, 0.0f,
     LongRow, Instead, 0, Costs, {0.5f, 0.5f, 0.0f}, Still, {-1, -1}},
    {CastHouse, 5, {130, 131, 132, 133}, 129, "BD_MSG_HOUSE", 250.0f, 134, {1.39f, 0.84f}, 63.8f, 0.0f, ShortRow,
     AsWell, 0, Costs, {1.0f, 0.0f, 0.0f}, Still, {-1, -1}},
    {CastTower, 15, {137, 138, 139, 140}, 136, "BD_MSG_TOWER", 300.0f, 141, {1.0f, 1.0f}, 98.8f, 0.0f, LongRow,
     Instead, 200, Costs, {0.0f, 1.0f, 0.0f}, Still, {-1, -1}},
    {CastWarehouse, 5, {144, 145, 146, 147}, 143, "BD_MSG_WAREHOUSE", 250.0f, 148, {1.0f, 1.0f}, 52.0f, 0.0f,
     ShortRow, AsWell, 0, Costs, {1.0f, 0.0f, 0.0f}, Still, {-1, -1}},
    {CastMonastery, 10, {158, 159, 160, 161}, 157, "BD_MSG_MONASTERY", 300.0f, 162, {2.35f, 2.39f}, 44.77f, 0.0f,
     LongRow, AsWell, 0, Costs, {0.5f, 0.5f, 0.0f}, Animates, {-1, -1}},
    // The wall's models follow its joint shape.
    {CastWall, 5, {0, 0, 0, 0}, 0, nullptr, 300.0f, 0, {0.5f, 0.5f}, 45.3f, 0.0f, LongRow, AsWell, 500, Costs,
     {0.0f, 1.0f, 0.0f}, Still, {-1, -1}},
    {CastKeep, 10, {165, 166, 167, 168}, 164, "BD_MSG_KEEP", 350.0f, 169, {1.23f, 1.0f}, 68.47f, 0.0f, LongRow,
     AsWell, 0, Costs, {0.8f, 0.2f, 0.0f}, Still, {-1, -1}},
    {CastTrap, 15, {201, 201, 201, 201}, 201, "BD_MSG_TRAP", 0.0f, 0, {0.5f, 0.5f}, 0.0f, 0.0f, ShortRow, AsWell, 0,
     Costs, {1.0f, 0.0f, 0.0f}, Still, {-1, -1}},
    {CastDocks, 0, {204, 205, 206, 207}, 203, "BD_MSG_DOCKS", 200.0f, 208, {2.98f, 2.82f}, 47.32f, 25.0f, LongRow,
     AsWell, 0, Costs, {1.0f, 0.0f, 0.0f}, Still, {-1, -1}},
    {CastDarkAltar, 15, {180, 181, 182, 183}, 179, "BD_MSG_DARKALTAR", 250.0f, 184, {2.0f, 2.0f}, 67.98f, 0.0f,
     LongRow, Instead, 0, Costs, {0.2f, 0.8f, 0.0f}, Animates, {-1, -1}},
};

const SBuildingStageRow StrongholdRow = {CastKeep, 10, {173, 174, 175, 176}, 172, "BD_MSG_STRONGHOLD", 350.0f, 177,
                                         {1.23f, 1.0f}, 68.47f, 0.0f, LongRow, AsWell, 0, Costs,
                                         {0.2f, 0.8f, 0.0f}, Still, {5, 0}};

}  // namespace

const SBuildingStageRow* CBuildingStageTable::Find(int32_t cast)
{
    for (const SBuildingStageRow& row : Rows)
        if (row.cast == cast)
            return &row;
    return nullptr;
}

const SBuildingStageRow& CBuildingStageTable::Stronghold()
{
    return StrongholdRow;
}

int32_t CBuildingStageTable::StageIndex(float progress)
{
    if (progress > 3 * StageStep)
        return 3;
    if (progress > 2 * StageStep)
        return 2;
    if (progress > StageStep)
        return 1;
    return 0;
}
