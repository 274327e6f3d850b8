#pragma once
// The dark altar: summons the giant, the demon and the undead, researches
// the rain of hell and burns two flames while it stands.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingDarkAltar : public CBuildingOfCast
{
public:
    explicit CBuildingDarkAltar(int32_t ownerIndex);
    ~CBuildingDarkAltar() override;

    // The three dark units while nothing is researched; the rain of hell
    // while nothing is queued either and the owner holds no spell ready;
    // then the Escape rule and the rally mode.
    void RenderPanelButtons() override;
    // The standard details, and the ability image pulsing on the local
    // owner's finished altar once the rain of hell is ready.
    void RenderDetailsOnPanel() override;
    // The completion, the owner's sight, then the two flames.
    void OnFinished() override;
    void OnDestroyed() override;
    // The two flame handles, 4 bytes each.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    static constexpr int32_t FlameCount = 2;
    int32_t flameEmitters[FlameCount] = {-1, -1};   // altar flames, -1 none

private:
    void PutOutFlames();
};
