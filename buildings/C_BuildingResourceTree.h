#pragma once
// A tree (resource kind 2) of one of the eight TENUMTREECAST variants.  It
// stands while it holds 96 units or more and sways; the stroke that takes
// it below 96 fells it, and the lying trunk no longer blocks its block.

#include <cstdint>

#include "buildings/C_BuildingResource.h"

class CResourceTree : public CResource
{
public:
    static constexpr int32_t FirstModel = 210;
    static constexpr int32_t VariantCount = 8;
    static constexpr int32_t StartAmount = 100;
    static constexpr int32_t StandingAmount = 96;
    // Every machine of a network game draws the trees alike.
    static constexpr float NetworkFacing = 149.0f;

    // A variant outside 1 .. 8 still makes a tree, with model 0.
    explicit CResourceTree(int32_t variant);

    int32_t GetTreeCast() const override { return treeCast; }
    int32_t GetMaxHitPoints() const override { return 50; }
    float GetDamageFactor3() const override { return 1.0f; }
    // Standing and leafy: the map shades the corners beside it.
    bool CastsShade() const;
    bool CanBeMined() const override { return CastsShade(); }
    void GetHitDebris(int32_t* first, int32_t* second) const override;
    // One unit; the fall below 96, the removal at 0.
    int32_t TakeOne() override;
    // A standing tree set below 96 falls; an emptied tree goes by the host
    // rule.
    void SetAmount(int32_t value) override;
    void OnHit(TENUMDAMAGETYPE damageType) override;
    // The sway of a standing tree, the fall of a felled one.
    bool Animate(float elapsed) override;
    // Coloured by its look number, at its sway or fall frame.
    void Render(float collapse) override;
    // By variant; "Ujuj, bajvan" for a variant outside 1 .. 8.
    const char* GetPanelName() const override;
    bool PanelNameMayRise() const override { return true; }
    // Amount, facing, look and variant.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    bool IsStanding() const { return amount >= StandingAmount; }
    int32_t GetStandingModel() const;
    int32_t GetFelledModel() const;

    int32_t treeCast;
    int32_t look;    // colour index of the model, 0 .. 3

private:
    int32_t TakeTreeUnit(bool wasStanding, bool mayRemove);
    void Fall();
};
