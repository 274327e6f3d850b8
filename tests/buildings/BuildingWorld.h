#pragma once
// The building tests' world: the simulation harness with dust, particles and network
// record of sent packets cleared, and the buildings the test made taken down again at the end.

#include <gtest/gtest.h>

#include <algorithm>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "effects/C_Particles.h"
#include "media/C_ModelRecord.h"
#include "tests/support/SentPackets.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

using Faults = std::vector<std::string>;
using Ints = std::vector<int32_t>;
using Floats = std::vector<float>;

// `extra` loads into `object` and saves again unchanged; `bad` is refused, with `logged` in the log when one is given.
void ExpectSavedExtra(CBuilding& object, const std::string& extra, const std::string& bad,
                      const char* logged = nullptr);

// The game's list of models while it lives; made after the world, so that it goes first.
struct SGlobalModels
{
    SGlobalModels() { AllocGlobalModels(); }
    ~SGlobalModels() { FreeGlobalModels(); }
};

class CBuildingWorld : public CSimHarness
{
public:
    explicit CBuildingWorld(int32_t mapSide = 64) : CSimHarness(mapSide) { g_Particles.Reset(); }
    ~CBuildingWorld();

    CBuilding* Track(CBuilding* building) { m_Tracked.push_back(building); return building; }
    void Forget(const CBuilding* building) { std::erase(m_Tracked, building); }
    // Deletes the buildings handed to deferred deletion.
    void Flush();
    // A building of the cast placed at (x, y) for the player; the second one
    // finished at once; the third one made at (x, y) off the map.
    CBuilding* Place(int32_t player, int32_t cast, int32_t x, int32_t y);
    CBuilding* PlaceFinished(int32_t player, int32_t cast, int32_t x, int32_t y);
    CBuilding* Make(int32_t player, int32_t cast, int32_t x, int32_t y);

private:
    std::vector<CBuilding*> m_Tracked;
};
