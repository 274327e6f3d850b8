#pragma once
// The harness world with the worker's surroundings: workers, finished and
// unfinished buildings, resource sites, a frame loop that stops at a
// condition, and the build speed and local player put back after each test.

#include <functional>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Localizer.h"
#include "game/C_MissionObjectives.h"
#include "tests/units/UnitWorld.h"
#include "units/C_Unit_Worker.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"

class WorkerWorld : public ::testing::Test
{
protected:
    void TearDown() override
    {
        g_MissionObjectives.buildSpeed = CMissionObjectives::DefaultBuildSpeed;
        g_Localizer.Clear();
        g_LocalPlayer = 0;
    }

    CUnitWorker* Worker(int32_t x, int32_t y, int32_t player = 0)
    {
        return static_cast<CUnitWorker*>(world.Spawn(player, UNIT_WORKER, x, y));
    }
    CBuilding* Building(int32_t cast, int32_t x, int32_t y, bool finished)
    {
        CBuilding* building = world.Player(0).CreateBuilding(cast, x, y);
        if (building != nullptr && finished)
            building->Construct(0.0f, true);
        return building;
    }
    // TENUMRESOURCE 2 tree, 3 rock, 4 gold mine (with its amount).
    CBuilding* Site(int32_t kind, int32_t x, int32_t y, int32_t amount = 0)
    {
        return world.Player(0).CreateResource(kind, x, y, amount, 1);
    }
    // Frames of one tick until the condition holds: their number, or -1.
    int32_t FramesUntil(int32_t most, const std::function<bool()>& done)
    {
        for (int32_t frame = 1; frame <= most; ++frame)
        {
            world.Frame(1);
            if (done())
                return frame;
        }
        return -1;
    }
    void ExpectSound() const { ExpectWorldSound(world); }

    CSimHarness world;
};
