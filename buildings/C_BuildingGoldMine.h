#pragma once
// A gold mine (resource kinds 4 and 1): 4 x 5 blocks of gold.  The last unit
// taken closes it for good; a closed mine stays on the map as kind 1.

#include <cstdint>

#include "buildings/C_BuildingResource.h"

class CBuildingGoldMine : public CResource
{
public:
    static constexpr int32_t Model = 230;
    static constexpr int32_t ClosedModel = 231;
    static constexpr int32_t StartAmount = 100;

    // An open mine with the factory's amount.
    CBuildingGoldMine();

    const char* GetName() const override { return "Default"; }
    int32_t GetWidth() const override { return 4; }
    int32_t GetDepth() const override { return 5; }
    int32_t GetClearance() const override { return 1; }
    int32_t GetDrawClass() const override { return 2; }
    void GetHitDebris(int32_t* first, int32_t* second) const override;
    int32_t GetResourceKind() const override;
    bool IsClosed() const { return amount <= 0; }
    // One unit of gold; the last one closes the mine, with a marker and a
    // message when the local player sees it.  0 from a closed mine.
    int32_t TakeOne() override;
    // The amount becomes the value; 0 closes the mine.  A closed mine stays
    // closed.
    void SetAmount(int32_t value) override;
    void OnHit(TENUMDAMAGETYPE damageType) override;
    bool Animate(float elapsed) override;
    // At its corner block, with the snow cover in winter.
    void Render(float collapse) override;
    const char* GetPanelName() const override;
    bool PanelNameMayRise() const override { return true; }
    // The buildings' common picking over every part box.
    float GetHeightAt(float worldX, float worldY) const override;
    // The amount.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

private:
    void Close();
};
