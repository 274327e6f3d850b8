#pragma once
// A resource site (building cast 10): owned by nobody, never converted.  As
// itself it is the rock; the tree and the gold mine derive from it.

#include <cstdint>

#include "buildings/C_Building.h"

class CResource : public CBuilding
{
public:
    static constexpr int32_t RockModel = 226;
    static constexpr int32_t RockAmount = 800;

    // A rock with a random facing, a multiple of 45 degrees.
    CResource();

    int32_t GetBuildCast() const override;
    bool CanBeConverted() const override { return false; }
    int32_t GetDrawClass() const override { return 1; }
    int32_t GetResourceAmount() const override { return amount; }
    int32_t GetResourceKind() const override { return resourceKind; }
    // A negative amount would leave a site that never runs out.
    void SetResourceAmount(int32_t value) override { amount = value > 0 ? value : 0; }
    void GetHitDebris(int32_t* first, int32_t* second) const override;

    int32_t resourceKind;   // TENUMRESOURCE
    int32_t amount;
    float facing;           // degrees

protected:
    CResource(int32_t kind, int32_t modelNumber, int32_t startAmount);
};
