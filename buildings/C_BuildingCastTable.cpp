#include "buildings/C_BuildingCastTable.h"

#include <cstring>

namespace
{
// Cleared-corner masks: one row per corner row from the corner (y = 0 first).
const char* const AllCorners[] = {nullptr};
const char* const NoCorners[] = {""};
const char* const AlchemyCorners[] = {"011100", "111100", "111110", "111110", "111100", "011100"};
const char* const BlacksmithCorners[] = {"11111", "11111", "11111", "11111", "01110"};
const char* const HouseCorners[] = {"1111", "1111", "1110"};
const char* const MonasteryCorners[] = {"00110", "11111", "11111", "11111", "11111", "00110"};
const char* const KeepCorners[] = {"11111", "11111", "11111", "11100", "11100"};
const char* const DarkAltarCorners[] = {"11111", "11111", "11111", "11111", "11011", "00000"};

// Fire positions: threshold, x, height, y, size.
const SFirePoint CastleFires[] = {
    {60, 1.2f, 106, 5.5f, 50}, {55, 6.1f, 106, 1.2f, 40}, {50, 5.9f, 106, 5.7f, 30}, {50, 1.4f, 100, 1.2f, 40},
    {45, 1.1f, 70, 3.2f, 50},  {45, 3.1f, 52, 2.9f, 30},  {40, 3.4f, 74, 4.7f, 20},  {40, 4.6f, 52, 0.6f, 40},
    {35, 3.8f, 81, 5.9f, 50},  {30, 4.7f, 93, 4.0f, 30},
};
const SFirePoint BarracksFires[] = {
    {60, 3.2f, 69, 2.0f, 30}, {50, 0.3f, 55, 4.2f, 30}, {50, 4.6f, 55, 1.0f, 30}, {45, 4.5f, 55, 5.2f, 30},
    {40, 0.5f, 46, 2.8f, 40}, {30, 1.3f, 5, 2.8f, 30},  {30, 4.6f, 55, 2.9f, 35}, {30, 1.0f, 55, 0.3f, 35},
    {30, 0.3f, 55, 2.0f, 30}, {20, 2.8f, 5, 1.6f, 40},
};
const SFirePoint AlchemyFires[] = {
    {60, 1.6f, 67.4f, 4.0f, 30}, {55, 2.3f, 58.8f, 0.7f, 40}, {50, 2.4f, 60.7f, 4.3f, 40},
    {45, 2.7f, 21.7f, 1.6f, 30}, {40, 2.2f, 64.9f, 3.1f, 30}, {35, 2.3f, 62.6f, 2.5f, 30},
    {35, 0.8f, 23.7f, 1.5f, 30}, {30, 1.0f, 63.6f, 2.2f, 20}, {30, 4.4f, 20.3f, 1.5f, 20},
};
const SFirePoint BlacksmithFires[] = {
    {60, 3.3f, 22.4f, 3.0f, 20}, {50, 0.8f, 67.9f, 0.5f, 40}, {40, 2.5f, 76.8f, 2.1f, 50},
    {40, 3.4f, 67.5f, 0.6f, 30}, {35, 1.8f, 79.8f, 3.5f, 40}, {30, 1.2f, 80.8f, 1.1f, 30},
    {25, 2.0f, 8.9f, 2.0f, 30},  {20, 0.9f, 22.2f, 3.0f, 30}, {20, 0.9f, 77.8f, 1.4f, 40},
};
const SFirePoint HouseFires[] = {
    {60, 1.9f, 64, 1.2f, 20}, {50, 0.7f, 64, 0.5f, 30}, {40, 0.8f, 72, 1.5f, 40},
    {40, 2.4f, 83, 0.8f, 40}, {30, 1.6f, 52, 0.3f, 30}, {20, 1.7f, 4, 1.7f, 20},
};
const SFirePoint TowerFires[] = {
    {60, 1.3f, 146, 1.0f, 30}, {50, 0.6f, 146, 1.2f, 20}, {40, 1.9f, 11, 1.0f, 30},
    {30, 0.3f, 124, 0.9f, 20}, {20, 1.5f, 124, 0.3f, 20},
};
const SFirePoint WarehouseFires[] = {
    {60, 1.0f, 72, 1.0f, 50}, {50, 0.5f, 72, 0.5f, 30}, {40, 1.5f, 72, 1.5f, 30},
    {30, 1.5f, 72, 0.5f, 30}, {20, 0.5f, 72, 1.5f, 30},
};
const SFirePoint MonasteryFires[] = {
    {60, 1.0f, 106, 3.5f, 40}, {50, 2.0f, 72, 3.6f, 40}, {50, 2.8f, 72, 2.1f, 50},
    {45, 1.0f, 38, 1.8f, 40},  {44, 2.8f, 72, 4.0f, 30}, {40, 2.8f, 72, 2.1f, 30},
    {30, 2.2f, 72, 1.1f, 40},  {20, 3.4f, 43, 2.6f, 30}, {20, 2.6f, 8, 4.3f, 20},
};
const SFirePoint KeepFires[] = {
    {60, 0.6f, 91.6f, 0.5f, 30}, {50, 1.0f, 91.6f, 1.7f, 30}, {40, 1.0f, 47.4f, 3.0f, 30},
    {35, 1.9f, 91.6f, 0.5f, 20}, {30, 2.5f, 51.7f, 1.1f, 30}, {20, 1.2f, 5.4f, 2.2f, 30},
};
const SFirePoint DocksFires[] = {
    {60, 2.2f, 73, 2.0f, 40}, {50, 3.8f, 75, 4.0f, 40}, {50, 2.0f, 26, 5.0f, 30},   {45, 3.0f, 82.6f, 3.9f, 20},
    {40, 5.0f, 26, 5.0f, 30}, {40, 3.5f, 76, 2.0f, 30}, {35, 1.0f, 26, 3.0f, 40},   {35, 5.0f, 26, 3.0f, 20},
    {30, 1.0f, 26, 1.0f, 50}, {25, 4.4f, 26, 1.5f, 40}, {20, 2.3f, 36.8f, 4.1f, 50},
};
const SFirePoint DarkAltarFires[] = {
    {60, 2.8f, 59.7f, 2.6f, 30}, {50, 1.5f, 70.9f, 3.8f, 30}, {45, 2.6f, 70.2f, 3.3f, 30},
    {40, 1.7f, 41.4f, 2.0f, 30}, {30, 2.6f, 13.6f, 0.7f, 40}, {30, 2.0f, 0.1f, 3.1f, 30},
    {30, 2.0f, 58.3f, 4.3f, 20}, {30, 1.0f, 56.8f, 3.0f, 30}, {20, 1.9f, 70.1f, 2.1f, 30},
    {20, 3.0f, 58.8f, 3.0f, 20},
};

template <int32_t N>
constexpr int32_t CountOf(const SFirePoint (&)[N])
{
    return N;
}
}  // namespace

#define FIRES(list) list, CountOf(list)

// cast, name key, record, width, depth, clearance, points, select sample, icon,
// produces units, production panel, town building, listed, gives sight,
// convertible, storage, on minimap, draw class, model, cleared corners, fires,
// hit debris
const SBuildingCastRow CBuildingCastTable::s_Rows[CastCount] = {
    {CastCastle, "BD_CASTLE", 31, 7, 7, 3, 130, 186, 52, true, true, true, true, true, true, false, true, 2, 108,
     AllCorners, FIRES(CastleFires), {5, 0}},
    {CastBarracks, "BD_BARRACKS", 27, 5, 6, 3, 100, 187, 54, true, true, true, true, true, true, false, true, 2, 115,
     AllCorners, FIRES(BarracksFires), {3, 2}},
    {CastAlchemy, "BD_ALCHEMY", 37, 5, 5, 1, 80, 188, 55, false, true, true, true, true, true, false, true, 2, 122,
     AlchemyCorners, FIRES(AlchemyFires), {4, 1}},
    {CastBlacksmith, "BD_BLACKSMITH", 28, 4, 4, 1, 80, 189, 58, false, true, true, true, true, true, false, true, 2,
     150, BlacksmithCorners, FIRES(BlacksmithFires), {4, 1}},
    {CastHouse, "BD_HOUSE", 25, 3, 2, 1, 1, 190, 53, false, false, true, true, true, true, false, true, 2, 129,
     HouseCorners, FIRES(HouseFires), {4, 1}},
    {CastTower, "BD_TOWER", 29, 2, 2, 0, 10, 191, 56, false, false, true, true, true, true, false, true, 2, 136,
     AllCorners, FIRES(TowerFires), {5, 0}},
    {CastWarehouse, "BD_WAREHOUSE", 26, 2, 2, 1, 0, 192, 57, false, false, false, true, true, true, true, true, 2, 143,
     AllCorners, FIRES(WarehouseFires), {0, 5}},
    {CastMonastery, "BD_MONASTERY", 32, 4, 5, 1, 50, 193, 59, true, true, true, true, true, true, false, true, 2, 157,
     MonasteryCorners, FIRES(MonasteryFires), {4, 1}},
    {CastWall, "BD_WALL", 30, 1, 1, 0, 0, 255, 62, false, false, true, false, true, false, false, true, 1, 196,
     NoCorners, nullptr, 0, {5, 0}},
    {CastKeep, "BD_KEEP", 35, 4, 4, 4, 200, 255, 60, true, true, true, true, true, true, true, true, 2, 164,
     KeepCorners, FIRES(KeepFires), {0, 5}},
    {CastTrap, "BD_TRAP", 33, 1, 1, 0, 0, 255, 63, false, false, false, true, false, false, false, false, 0, 201,
     NoCorners, nullptr, 0, {5, 0}},
    {CastDocks, "BD_DOCKS", 34, 6, 6, 1, 50, 195, 64, true, true, false, true, true, true, false, true, 2, 203,
     NoCorners, FIRES(DocksFires), {0, 5}},
    {CastDarkAltar, "BD_DARKALTAR", 38, 4, 5, 3, 100, 196, 65, true, true, true, true, true, true, false, true, 2, 179,
     DarkAltarCorners, FIRES(DarkAltarFires), {5, 0}},
};

#undef FIRES

const SBuildingCastRow* CBuildingCastTable::Find(int32_t cast)
{
    for (const SBuildingCastRow& row : s_Rows)
        if (row.cast == cast)
            return &row;
    return nullptr;
}

bool CBuildingCastTable::IsCornerCleared(const SBuildingCastRow& row, int32_t i, int32_t j)
{
    if (i < 0 || j < 0 || i > row.width || j > row.depth)
        return false;
    if (row.clearedCorners[0] == nullptr)
        return true;
    const char* line = row.clearedCorners[0][0] == 0 ? "" : row.clearedCorners[j];
    return static_cast<size_t>(i) < std::strlen(line) && line[i] == '1';
}
