#pragma once
// The traits of the thirteen building casts, one row each: the building
// classes answer their trait queries from their row, and the building
// factory reads the model number and the fire positions from the same rows.

#include <cstdint>

// TENUMBUILDCAST
enum TENUMBUILDCAST : int32_t
{
    CastCastle = 1,
    CastBarracks = 2,
    CastAlchemy = 3,
    CastBlacksmith = 4,
    CastHouse = 5,
    CastTower = 6,
    CastWarehouse = 7,
    CastMonastery = 8,
    CastWall = 9,
    CastResource = 10,
    CastKeep = 11,
    CastTrap = 12,
    CastDocks = 13,
    CastDarkAltar = 15,
    CastDecoration = 18,
};

// TENUMRESOURCE
enum TENUMRESOURCE : int32_t
{
    ResourceKindGold = 1,
    ResourceKindTree = 2,
    ResourceKindRock = 3,
    ResourceKindGoldMine = 4,
};

struct SFirePoint
{
    float threshold;
    float offsetX;
    float height;
    float offsetY;
    float size;
};

struct SBuildingCastRow
{
    int32_t cast;
    const char* nameKey;
    int32_t record;               // type record with hit points and costs
    int32_t width;
    int32_t depth;
    int32_t clearance;            // blocks around the footprint counted as near it
    int32_t points;
    int32_t selectSample;
    int32_t iconIndex;
    bool producesUnits;
    bool productionPanel;         // the production trait CPlayer::Init records
    bool townBuilding;
    bool listed;
    bool givesSight;
    bool convertible;
    bool storage;                 // once finished
    bool shownOnMinimap;
    int32_t drawClass;
    int32_t model;
    // Cleared corners, one text per corner row (y), one digit per corner
    // (x); null rows mean every corner, an empty first row none.
    const char* const* clearedCorners;
    const SFirePoint* firePoints;
    int32_t firePointCount;
    int32_t hitDebris[2];
};

class CBuildingCastTable
{
public:
    static constexpr int32_t CastCount = 13;

    // The row of a building cast, or null for a cast no building class has
    // (the resource sites, decorations and unused numbers).
    static const SBuildingCastRow* Find(int32_t cast);
    static const SBuildingCastRow& Row(int32_t index) { return s_Rows[index]; }
    static bool IsCornerCleared(const SBuildingCastRow& row, int32_t i, int32_t j);

private:
    static const SBuildingCastRow s_Rows[CastCount];
};
