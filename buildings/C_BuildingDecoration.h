#pragma once
// A decoration object (building cast 18): owned by nobody, it occupies the
// blocks its footprint mask marks.  As itself it is the plain decoration;
// the other decoration classes derive from it and answer their own name.

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
    void OnHit(int32_t damageType) override { PlayHitSound(damageType, false, false); }

    int32_t decorationKind;   // TENUMDECORBUILDCAST
    int32_t stateWord;
    uint8_t flag;

protected:
    CDecoration(int32_t kind, DecorationClass decorationClass);

private:
    const SDecorationKindRow* OwnRow() const;

    DecorationClass m_Class;
};
