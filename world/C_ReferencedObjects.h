#pragma once
// What the reference table asks of the units and buildings it numbers: to
// make them again from their creation data, and to write and read their own
// state.  The game's set makes them through the players' factories and uses
// the objects' own save records; tests install their own set.

#include <cstdint>

class CBuilding;
class CSaveStream;
class CUnit;

class CReferencedObjects
{
public:
    virtual ~CReferencedObjects() = default;

    // A new object owned by that player (0 to 7), not on the map; null for a
    // type its factory does not know.
    virtual CUnit* MakeUnit(int32_t player, int32_t unitType) const = 0;
    virtual CBuilding* MakeBuilding(int32_t player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                                    int32_t decorationKind) const = 0;
    // Frees an object that Make* gave and nothing else has seen yet.
    virtual void DiscardUnit(CUnit* unit) const = 0;
    virtual void DiscardBuilding(CBuilding* building) const = 0;

    // The object's own state; a reader that refuses a value sets the
    // stream's error flag.
    virtual void SaveUnit(CUnit& unit, CSaveStream& stream) const = 0;
    virtual void LoadUnit(CUnit& unit, CSaveStream& stream) const = 0;
    virtual void SaveBuilding(CBuilding& building, CSaveStream& stream) const = 0;
    virtual void LoadBuilding(CBuilding& building, CSaveStream& stream) const = 0;
};
