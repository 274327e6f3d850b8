#pragma once
// A gold mine (resource kinds 1 and 4): 4 x 5 blocks of gold.

#include <cstdint>

#include "buildings/C_BuildingResource.h"

class CBuildingGoldMine : public CResource
{
public:
    static constexpr int32_t Model = 230;
    static constexpr int32_t StartAmount = 100;

    CBuildingGoldMine();

    const char* GetName() const override { return "Default"; }
    int32_t GetWidth() const override { return 4; }
    int32_t GetDepth() const override { return 5; }
    int32_t GetFootprintBorder() const override { return 1; }
    int32_t GetDrawClass() const override { return 2; }
    void GetHitDebris(int32_t* first, int32_t* second) const override;

    float extra;
};
