#pragma once
// What must hold of a running world, for the simulation harness and for the fuzz targets (which link no test
// framework): the map, the sight maps, the per-type counts and every held pointer are compared with what the units,
// buildings and players say; one text per violation.  The caller knows which units live: each one the factory makes,
// until it is handed to deferred deletion, which is told by pointer.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class CUnit;

namespace WorldInvariants
{
using LiveUnits = std::set<const CUnit*>;

std::vector<std::string> Check(const LiveUnits& live);
// What play keeps besides: no ship's cargo stands on the map; a dying unit plays its death; no living unit stands on
// a building's solid block or on ground of the wrong kind for its layer (a land unit in deep water, a ship on land);
// no two living units of a player, listed or stationed in a tower, share a unique id; a keep's king is off the map
// and of the keep's owner; a standing building holds every block of its footprint.
std::vector<std::string> CheckPlay();
// Forgets what the next flush of deferred deletion deletes, and answers how many units that are.
int32_t ForgetDeleted(LiveUnits& live);
// After a load: the units the loaded world holds are the live ones.
void KeepHeld(LiveUnits& live);
}  // namespace WorldInvariants
