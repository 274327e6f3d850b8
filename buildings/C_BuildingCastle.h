#pragma once
// The castle: trains the catapults and demolition men and researches the
// siege, building-defence and mercenary technologies.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingCastle : public CBuildingOfCast
{
public:
    explicit CBuildingCastle(int32_t ownerIndex);

    // The two machines while nothing is researched, the technologies while
    // nothing is queued either, then the Escape rule and the rally mode.
    void RenderPanelButtons() override;
};
