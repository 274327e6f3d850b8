#pragma once
// A tree (resource kind 2) of one of the eight TENUMTREECAST variants.

#include <cstdint>

#include "buildings/C_BuildingResource.h"

class CResourceTree : public CResource
{
public:
    static constexpr int32_t FirstModel = 210;
    static constexpr int32_t VariantCount = 8;
    static constexpr int32_t StartAmount = 100;
    // Every machine of a network game draws the trees alike.
    static constexpr float NetworkFacing = 149.0f;

    // A variant outside 1 .. 8 still makes a tree, with model 0.
    explicit CResourceTree(int32_t variant);

    int32_t GetTreeCast() const override { return treeCast; }
    // Standing and still holding most of its wood.
    bool CanBeMined() const override;
    void GetHitDebris(int32_t* first, int32_t* second) const override;

    int32_t treeCast;
    int32_t look;    // 0 .. 3
    int32_t state;   // 4, 5 and 6: felled or gone
};
