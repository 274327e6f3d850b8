#pragma once
// The two object factories of a player: every unit, building, resource site
// and decoration of the game is made here from its type number.  They only
// construct and initialise the object; counting, numbering and placing it
// is left to the CPlayer operation that called them.  CPlayer::UnitFactory
// and CPlayer::BuildingFactory are these two.

#include <cstdint>

class CBuilding;
class CPlayer;
class CUnit;

class CPlayerFactory
{
public:
    // A new unit of that TENUMUNITCAST type for the player, off the map; null
    // for a type no unit class has (with a check report once the player's
    // factory is ready).
    static CUnit* UnitFactory(CPlayer& player, int32_t unitType);
    // A new building of the cast for the player, a resource site of the
    // kind (cast 10, with the tree variant) or a decoration of the kind
    // (cast 18), at block (-1, -1); null, reported likewise, for a number
    // the tables do not list.
    static CBuilding* BuildingFactory(CPlayer& player, int32_t cast, int32_t resourceKind, int32_t treeCast,
                                      int32_t decorationKind);

private:
    static CBuilding* MakeResource(const CPlayer& player, int32_t resourceKind, int32_t treeCast);
    static CBuilding* MakeDecoration(const CPlayer& player, int32_t decorationKind);
    static CBuilding* MakeBuilding(const CPlayer& player, int32_t cast);
};
