#pragma once
// The reference table as the classes that save their links see it: before a
// game is saved every object is registered, and a link to a unit or building
// is written as that object's 32-bit id and turned back into a pointer when
// the game is loaded.  The game's reference table implements it.

#include <cstdint>

class CBuilding;
class CUnit;

class CObjectReferences
{
public:
    // The id that stands for no object.
    static constexpr int32_t NoObject = -1;

    virtual ~CObjectReferences() = default;

    virtual void RegisterBuilding(CBuilding* building) = 0;
    virtual int32_t GetUnitRef(const CUnit* unit) const = 0;
    virtual int32_t GetBuildingRef(const CBuilding* building) const = 0;
    // Null for NoObject and for an id the table does not know.
    virtual CUnit* GetUnit(int32_t id) const = 0;
    virtual CBuilding* GetBuilding(int32_t id) const = 0;
};
