#pragma once
// Every unit and building of the running game, gathered from the places
// that hold them: the players' unit and building lists and tower archers,
// the map's blocks, the particle pool's corpses and ruins, the buildings'
// waiting and garrisoned units and the towers' archers, and whatever a load
// that failed half-way left in the reference table.  A saved game is loaded
// into an empty world, so the running one is taken apart first; a load that
// fails is taken apart the same way before the game it replaced comes back.
//
// Main thread only, between frames.

#include <cstdint>
#include <unordered_set>
#include <vector>

class CBuilding;
class CReferenceBase;
class CUnit;

class CGameObjects
{
public:
    // Empties every holder and deletes each object once.  Objects waiting
    // for deferred deletion go first, as at the end of a frame.
    static void FreeWorld(CReferenceBase& table);

    // Null when the loaded world holds together: every listed unit and
    // building names the player that lists it and is listed once; a tower's
    // archers belong to that tower alone; corpses and ruins hold objects
    // nothing else holds; the selection and the map's units are listed
    // objects; every object the table made is held somewhere, so that each
    // is deleted exactly once; and every link between objects names one that
    // lives as long as the link (CObjectLinks).  Otherwise what is wrong.
    static const char* FindLoadFault(const CReferenceBase& table);

private:
    struct SHeld
    {
        std::unordered_set<CUnit*> units;
        std::unordered_set<CBuilding*> buildings;
    };

    static void CollectWorld(SHeld& held);
    static void CollectTable(const CReferenceBase& table, SHeld& held);
    static void CollectMap(SHeld& onMap);
    // The units a building deletes with itself: its waiting unit, a keep's
    // garrison, a tower's archers.
    static std::vector<CUnit*> OwnedUnits(CBuilding& building);
    static void ForgetOwnedUnits(CBuilding& building);
    static void DetachAll();
    static const char* CollectListed(SHeld& listed, std::unordered_set<CUnit*>& archerIndex);
    static const char* CollectTowerArchers(const SHeld& buildings, const SHeld& listed,
                                           std::unordered_set<CUnit*>& manned);
    static const char* CheckParticles(const SHeld& listed, const SHeld& onMap);
    static const char* CheckSelection(const SHeld& listed, const SHeld& onMap);
};
