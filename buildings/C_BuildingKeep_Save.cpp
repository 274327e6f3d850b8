// The keep's part of a saved game: its hearth and the king it shelters.

#include "buildings/C_BuildingKeep.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_ObjectReferences.h"

namespace
{
constexpr const char* RefusalPrefix = "Keep refused: ";
}  // namespace

void CBuildingKeep::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    CSaveWriter out(stream);
    out.I32(hearthEmitter);
    out.I32(garrisonedUnit != nullptr ? references.GetUnitRef(garrisonedUnit) : CObjectReferences::NoObject);
}

bool CBuildingKeep::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, RefusalPrefix);
    const int32_t hearth = in.I32();
    const int32_t kingId = in.I32();
    if (!in.Finish())
        return false;
    if (hearth < -1)
        return in.Refuse("a bad hearth handle");
    CUnit* king = nullptr;
    if (kingId != CObjectReferences::NoObject)
    {
        king = references.GetUnit(kingId);
        if (king == nullptr || king->GetCastID() != UNIT_KING)
            return in.Refuse("the king id names no king");
    }
    hearthEmitter = hearth;
    garrisonedUnit = king;
    return true;
}
