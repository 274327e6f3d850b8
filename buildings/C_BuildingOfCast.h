#pragma once
// A building of one of the thirteen building casts: answers the cast's
// traits from its row of the cast table.  The building classes derive from
// it and add their own state and behaviour.

#include <cstdint>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"

class CBuildingOfCast : public CBuilding
{
public:
    const SBuildingCastRow& GetCastRow() const { return m_Row; }

    const char* GetName() const override { return m_Row.nameKey; }
    int32_t GetIconIndex() const override { return m_Row.iconIndex; }
    int32_t GetWidth() const override { return m_Row.width; }
    int32_t GetDepth() const override { return m_Row.depth; }
    bool IsSolidCell(int32_t i, int32_t j) const override { return CBuildingCastTable::IsCornerCleared(m_Row, i, j); }
    int32_t GetBuildCast() const override { return m_Row.cast; }
    bool IsListed() const override { return m_Row.listed; }
    bool CanBeConverted() const override { return m_Row.convertible; }
    int32_t GetFootprintBorder() const override { return m_Row.clearance; }
    bool IsTownBuilding() const override { return m_Row.townBuilding; }
    bool IsScriptCounted() const override { return m_Row.productionPanel; }
    int32_t GetDrawClass() const override { return m_Row.drawClass; }
    bool GivesSight() const override { return m_Row.givesSight; }
    // The building types finish through the base completion step.
    void OnFinished() override { BuildingFinished(); }
    int32_t GetPointValue() const override { return m_Row.points; }
    void GetSelectSound(int32_t* sample, int32_t* variants) const override;
    void GetHitDebris(int32_t* first, int32_t* second) const override;
    bool IsStorage() const override { return m_Row.storage && IsFinished(); }
    bool IsShownOnMinimap() const override { return m_Row.shownOnMinimap; }

protected:
    // At block (-1, -1) for the owner, with the row's model and fire positions.
    CBuildingOfCast(int32_t cast, int32_t ownerIndex);

private:
    const SBuildingCastRow& m_Row;
};
