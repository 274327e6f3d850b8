#pragma once
// A decoration object (building cast 18): owned by nobody, it occupies the
// blocks its footprint mask marks.  As itself it is the plain decoration,
// which may run its model's animation forward, backward or in a loop; the
// chest (kind 31) and the lever (kind 71) start theirs on a trigger.  The
// other decoration classes derive from it and answer their own name; the
// animation and its saved part belong to the plain decoration only.

#include <cstdint>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingDecorationKinds.h"

class CDecoration : public CBuilding
{
public:
    explicit CDecoration(int32_t kind);

    const char* GetName() const override;
    // A kind outside the class's own list has no footprint.
    int32_t GetWidth() const override;
    int32_t GetDepth() const override;
    int32_t GetBuildCast() const override;
    bool CanBeConverted() const override { return false; }
    int32_t GetDrawClass() const override;
    void GetHitDebris(int32_t* first, int32_t* second) const override;
    bool IsShownOnMinimap() const override { return false; }
    int32_t GetDecorationKind() const override { return decorationKind; }
    const char* GetFootprintMask() const override;
    int32_t CastsShadow() const override;
    // The town buildings' hit sounds with the short 4-and-9 row.
    void OnHit(TENUMDAMAGETYPE damageType) override { PlayHitSound(damageType, false, false); }
    // The chest opens on 1; the lever moves forward on 1 and back on 2.
    void Trigger(int32_t code) override;
    // Runs the animation at its speed; at an end it wraps with the loop and
    // stops without it.
    bool Animate(float elapsed) override;
    // The model at the corner block at the animation's frame.
    void Render(float collapse) override;
    // A plain decoration's kind (4 bytes), speed (4) and loop flag (1).
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    static constexpr int32_t ChestKind = 31;   // "ED_DECOR_BD_CHEST_1"
    static constexpr int32_t LeverKind = 71;   // "ED_DECOR_BD_LEVER"
    static constexpr int32_t OpenChestModel = 301;

    int32_t decorationKind;     // TENUMDECORBUILDCAST
    float animSpeed = 0.0f;     // frames per tick; below 0 backwards
    uint8_t loop = 0;

protected:
    CDecoration(int32_t kind, DecorationClass decorationClass);

    bool IsPlain() const { return m_Class == DecorationClass::Plain; }
    // The frame count of the current model, 1 for a missing one.
    int32_t GetModelFrameCount() const;

private:
    const SDecorationKindRow* OwnRow() const;
    void OpenChest();

    DecorationClass m_Class;
};
