#pragma once
// The blacksmith: researches the attack, defence and range upgrades; its
// forge smokes from completion until the building goes.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingBlacksmith : public CBuildingOfCast
{
public:
    explicit CBuildingBlacksmith(int32_t ownerIndex);
    ~CBuildingBlacksmith() override;

    // One button per upgrade chain, its lowest level still to research,
    // while the blacksmith is idle; Escape cancels while it is busy.
    void RenderPanelButtons() override;
    // The completion, the owner's sight, then the forge smoke.
    void OnFinished() override;
    void OnDestroyed() override;
    // The smoke handle, 4 bytes.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t smokeEmitter = -1;   // forge smoke particle, -1 none

private:
    void PutOutSmoke();
};
