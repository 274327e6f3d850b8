#pragma once
// The keep, which becomes the stronghold: a player's start building.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingKeep : public CBuildingOfCast
{
public:
    explicit CBuildingKeep(int32_t ownerIndex);

    // The sheltered king steps out at the first free cell beside the keep;
    // false, with the king still inside, when there is none.  True when no
    // king is inside.
    bool UngarrisonKing() override;
    // After "TC_TRONGHOLD" the keep is a stronghold: its record gives the
    // hit points, damage factors, repair rate and price, its row the
    // models, message and look.
    bool IsStronghold() const;
    int32_t GetTypeRecordIndex() const override;
    const char* GetNameKey() const override;
    const SBuildingStageRow& GetStageRow() const override;

    int32_t hearthEmitter = -1;  // hearth flame particle, -1 none
};
