#pragma once
// The monastery: trains priests and researches the three priest
// technologies.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingMonastery : public CBuildingOfCast
{
public:
    explicit CBuildingMonastery(int32_t ownerIndex);

    // The priest while nothing is researched, the technologies while also
    // nothing is queued, then the Escape rule and the rally mode button.
    void RenderPanelButtons() override;
};
