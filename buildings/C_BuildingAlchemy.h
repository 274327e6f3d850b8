#pragma once
// The alchemy: researches eight military and building technologies and
// trains nothing.  Its apparatus on the roof turns with the animation time,
// read as degrees.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingAlchemy : public CBuildingOfCast
{
public:
    explicit CBuildingAlchemy(int32_t ownerIndex);

    // The apparatus turns 0.8 degrees per tick, finished or not.
    bool Animate(float elapsed) override;
    // The building, then the apparatus of a finished alchemy that is not
    // collapsing.
    void Render(float collapse) override;
    // The technologies while nothing is researched or queued; Escape
    // cancels a running research; no rally mode.
    void RenderPanelButtons() override;
};
