#pragma once
// The docks: stand on the coast, half over water, train the transport ship
// and the war galley and research the ship technologies.  They are drawn on
// the water plane and send rings over the water around them.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingDocks : public CBuildingOfCast
{
public:
    explicit CBuildingDocks(int32_t ownerIndex);

    // The coast rule, instead of the flat-land test: every footprint block
    // free, unblocked, not dry (water level 0), not reserved (when asked)
    // and explored (when asked, for the local player); more water blocks
    // (level above 7) than the width and more shore blocks (below 7) than
    // the depth.  No margin ring and no flatness test.  A footprint that
    // leaves the map fails before any block is read.
    bool CanPlaceAt(int32_t playerIndex, int32_t margin, int32_t checkReserved,
                    int32_t checkExploration) const override;
    // Every footprint block carries the island or ocean id.
    bool IsOnIsland(uint16_t islandId) const override;
    // Per tick: the frame by 0.3 and the ring phase by 0.03; each time the
    // phase passes 1, eight rings around the footprint.
    bool Animate(float elapsed) override;
    // As every town building, but on the water plane rather than the
    // terrain.
    void Render(float collapse) override;
    // The ships while nothing is researched, the technologies while also
    // nothing is queued, then the Escape rule and the rally mode button.
    void RenderPanelButtons() override;
    // The ring phase; loading refuses a phase outside 0 to 1.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    float ringPhase = 0.0f;
};
