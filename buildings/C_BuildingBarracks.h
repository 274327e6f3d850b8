#pragma once
// The barracks: trains the foot and mounted soldiers and researches the two
// technologies that unlock cavalry and crossbowmen.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingBarracks : public CBuildingOfCast
{
public:
    explicit CBuildingBarracks(int32_t ownerIndex);

    // The soldiers the owner may train while nothing is researched, the two
    // technologies while nothing is queued either, then the Escape rule and
    // the rally mode with its keys.
    void RenderPanelButtons() override;

    // The keys "r" and "R" that arm the rally mode, unless the panel is in
    // it already (Escape leaves it then).  The barracks, the castle and the
    // dark altar end their panels with them.
    static void RegisterRallyKeys();
};
