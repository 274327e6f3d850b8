#pragma once
// What the construction step, the hit sound, the aim point and the drawing
// of each building cast put into their shared bodies: one row per cast (the
// keep has a second row for the stronghold), read by CBuildingOfCast.

#include <cstdint>

struct SBuildingStageRow
{
    static constexpr int32_t StageCount = 4;

    int32_t cast;
    int32_t dustPuffs;                 // raised by each builder's step
    int32_t stageModels[StageCount];   // to 25, to 50, to 75, above 75; 0 keeps the model
    int32_t finishedModel;             // 0 keeps the model
    const char* message;               // completion message key, null for none
    float sinkDepth;                   // how far a collapsing building sinks
    int32_t snowModel;                 // drawn over a finished building in winter, 0 none
    float aimOffset[2];                // x and y from the corner block
    float aimHeight;                   // once finished
    float aimHeightUnfinished;
    bool longHitRow;                   // damage types 4 and 9 add the 184 sound
    bool collapseInstead;              // the collapse sound replaces the hit sound
    int32_t firewallBonus;             // hit points added by "TC_FF_WALL"
    bool hasWorkCost;
    float workCost[3];                 // wood, stone, gold of one work step
    bool animates;                     // the animation frame runs on
    int32_t hitDebris[2];              // overrides the cast row's pair when not -1
};

class CBuildingStageTable
{
public:
    // The row of a building cast, or null.
    static const SBuildingStageRow* Find(int32_t cast);
    // The stronghold's row (the keep after "TC_TRONGHOLD").
    static const SBuildingStageRow& Stronghold();
    // The construction model of a progress: the first stage up to 25, the
    // second above 25, the third above 50, the fourth above 75.
    static int32_t StageIndex(float progress);
};
