#pragma once
// The links between the objects of a loaded world, checked against what
// holds each object.  A unit names other units as its targets, attacker and
// the unit it follows; a building holds its waiting unit and a tower its
// archers; a ship carries units; a research state names the building that
// researches it; the selection names units; a map block names what stands
// on it.  Each link must name an object that stays as long as the link
// does: a unit that is neither dying nor a corpse nor held by a building or
// a ship, or a building that stands (no ruin).  What a building or a ship
// holds must be held by nothing else, and a corpse holds no link at all,
// since nothing drops its links when their objects go.
//
// Main thread only, after every section of a saved game has been read.

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

class CBuilding;
class CUnit;

class CObjectLinks
{
public:
    // Gathers the holders of the running world: the players' lists, the
    // map's blocks, the particles' corpses and ruins, the towers' archers,
    // the keeps' kings, the buildings' waiting units and the ships' cargo.
    CObjectLinks();

    // Null when every link names an object it may name; otherwise which
    // link does not, e.g. "a unit's followed unit is no living unit".
    const char* FindFault() const;

private:
    void GatherUnits();
    void GatherBuildings();
    const char* GatherHeldUnits();

    // A unit that links may name: listed by a player or standing in a
    // standing tower, neither dying nor waiting in a building nor carried.
    bool IsLinkableUnit(const CUnit* unit) const;
    bool IsStandingBuilding(const CBuilding* building) const;

    const char* CheckUnitLinks(const CUnit& unit) const;
    const char* CheckCorpse(const CUnit& corpse) const;
    const char* CheckProduction(const CBuilding& building, const CUnit* waiting);
    const char* CheckCargo(const CUnit& ship);
    const char* CheckResearch() const;
    const char* CheckBlocks() const;
    const char* CheckSelection() const;
    static bool IsInside(int32_t x, int32_t y, int32_t left, int32_t top, int32_t width, int32_t depth);

    std::unordered_set<const CUnit*> m_Listed;
    std::unordered_set<const CUnit*> m_Corpses;
    std::unordered_map<const CUnit*, const CBuilding*> m_Manned;
    std::unordered_set<const CUnit*> m_Sheltered;
    std::unordered_set<const CBuilding*> m_Standing;
    std::unordered_set<const CBuilding*> m_Ruins;
    std::unordered_set<const CUnit*> m_Waiting;
    std::unordered_set<const CUnit*> m_Carried;
    const char* m_GatherFault = nullptr;
};
