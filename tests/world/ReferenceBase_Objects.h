#pragma once
// Units and buildings for the reference-table tests, and the services that
// make them again on loading.  Each object's own state is one number and
// one link, written as a reference id and resolved again through the table.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "buildings/C_Building.h"
#include "media/C_SaveStream.h"
#include "units/C_Unit.h"
#include "world/C_ReferenceBase.h"
#include "world/C_ReferencedObjects.h"

namespace ReferenceTest
{
class CRefUnit : public CUnit
{
public:
    CRefUnit(int32_t owner, int32_t cast) : m_Cast(cast) { player = owner; }
    int32_t GetCastID() const override { return m_Cast; }

    int32_t value = 0;
    CUnit* target = nullptr;

private:
    int32_t m_Cast;
};

class CRefBuilding : public CBuilding
{
public:
    CRefBuilding(int32_t player, int32_t cast, int32_t resourceKind, int32_t treeCast, int32_t decorationKind)
        : m_Cast(cast), m_ResourceKind(resourceKind), m_TreeCast(treeCast), m_DecorationKind(decorationKind)
    {
        owner = player;
    }
    int32_t GetMaxHitPoints() const override { return 100; }
    int32_t GetWidth() const override { return 2; }
    int32_t GetDepth() const override { return 2; }
    int32_t GetBuildCast() const override { return m_Cast; }
    int32_t GetResourceKind() const override { return m_ResourceKind; }
    int32_t GetTreeCast() const override { return m_TreeCast; }
    int32_t GetDecorationKind() const override { return m_DecorationKind; }

    int32_t value = 0;
    CUnit* target = nullptr;

private:
    int32_t m_Cast;
    int32_t m_ResourceKind;
    int32_t m_TreeCast;
    int32_t m_DecorationKind;
};

inline void PutI32(CSaveStream& stream, int32_t value)
{
    const uint32_t v = uint32_t(value);
    const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    stream.Write(bytes, 4);
}

inline int32_t GetI32(CSaveStream& stream)
{
    uint8_t b[4] = {};
    stream.Read(b, 4);
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

// Knows unit types 0 to 24 and building casts 0 to 18; keeps what it made.
class CRefObjects : public CReferencedObjects
{
public:
    static constexpr int32_t LastUnitType = 24;
    static constexpr int32_t LastCast = 18;

    explicit CRefObjects(const CReferenceBase& table) : m_Table(table) {}

    CUnit* MakeUnit(int32_t player, int32_t unitType) const override
    {
        if (unitType < 0 || unitType > LastUnitType)
            return nullptr;
        units.push_back(std::make_unique<CRefUnit>(player, unitType));
        return units.back().get();
    }
    CBuilding* MakeBuilding(int32_t player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                            int32_t decorationKind) const override
    {
        if (cast < 0 || cast > LastCast)
            return nullptr;
        buildings.push_back(std::make_unique<CRefBuilding>(player, cast, resourceKind, treeCast, decorationKind));
        return buildings.back().get();
    }
    void DiscardUnit(CUnit* unit) const override
    {
        std::erase_if(units, [unit](const auto& held) { return held.get() == unit; });
    }
    void DiscardBuilding(CBuilding* building) const override
    {
        std::erase_if(buildings, [building](const auto& held) { return held.get() == building; });
    }

    void SaveUnit(CUnit& unit, CSaveStream& stream) const override
    {
        const auto& own = static_cast<CRefUnit&>(unit);
        PutI32(stream, own.value);
        PutI32(stream, own.target ? m_Table.GetUnitRef(own.target) : CReferenceBase::NoObject);
    }
    void LoadUnit(CUnit& unit, CSaveStream& stream) const override
    {
        auto& own = static_cast<CRefUnit&>(unit);
        own.value = GetI32(stream);
        own.target = Resolve(GetI32(stream), stream);
    }
    void SaveBuilding(CBuilding& building, CSaveStream& stream) const override
    {
        const auto& own = static_cast<CRefBuilding&>(building);
        PutI32(stream, own.value);
        PutI32(stream, own.target ? m_Table.GetUnitRef(own.target) : CReferenceBase::NoObject);
    }
    void LoadBuilding(CBuilding& building, CSaveStream& stream) const override
    {
        auto& own = static_cast<CRefBuilding&>(building);
        own.value = GetI32(stream);
        own.target = Resolve(GetI32(stream), stream);
    }

    size_t LiveObjects() const { return units.size() + buildings.size(); }

    mutable std::vector<std::unique_ptr<CRefUnit>> units;
    mutable std::vector<std::unique_ptr<CRefBuilding>> buildings;

private:
    // A link to an object the table does not hold fails the load.
    CUnit* Resolve(int32_t id, CSaveStream& stream) const
    {
        if (id == CReferenceBase::NoObject)
            return nullptr;
        CUnit* unit = m_Table.GetUnit(id);
        if (!unit)
            stream.SetError();
        return unit;
    }

    const CReferenceBase& m_Table;
};
}  // namespace ReferenceTest
