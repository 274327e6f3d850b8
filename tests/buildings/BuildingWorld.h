#pragma once
// A small world for the building tests: the simulation harness with the
// game's own factories and placing behind the players, and a checker
// that compares the map blocks, the AI tilt map and the players' building
// counters with what the test itself knows about each building.

#include <cstdint>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "tests/support/SimHarness.h"
#include "world/C_PlayerServices.h"

// The game's own operations behind the players; only the samples played
// are recorded.
class BuildingServices : public CPlayerServices
{
public:
    void PlaySample(int32_t sample, int32_t volumePercent) const override
    {
        playedSamples.push_back({sample, volumePercent});
    }

    struct SPlayed
    {
        int32_t sample;
        int32_t volume;
    };
    mutable std::vector<SPlayed> playedSamples;
};

// What the test knows about one building it made.
struct STrackedBuilding
{
    CBuilding* building;
    bool onMap;        // its blocks should hold it
    bool counted;      // its owner counts it (placed once, not taken down)
    bool finished;
};

class BuildingWorld
{
public:
    explicit BuildingWorld(int32_t mapSide = 64);
    ~BuildingWorld();

    CPlayer& Player(int32_t index) { return m_Harness.Player(index); }
    CSimHarness& Harness() { return m_Harness; }
    const BuildingServices& Services() const { return m_Services; }

    // Takes ownership of the tracking; the building is freed by the world
    // unless the test takes it down.
    STrackedBuilding& Track(CBuilding* building, bool onMap, bool counted);
    STrackedBuilding* Find(const CBuilding* building);
    void Forget(const CBuilding* building);
    // Deletes the buildings handed to deferred deletion.
    void Flush();

    std::vector<std::string> CheckInvariants() const;

private:
    void CheckBlocks(std::vector<std::string>& faults) const;
    void CheckFootprints(std::vector<std::string>& faults) const;
    void CheckTiltMap(std::vector<std::string>& faults) const;
    void CheckCounters(std::vector<std::string>& faults) const;
    const STrackedBuilding* FindConst(const CBuilding* building) const;

    BuildingServices m_Services;
    CSimHarness m_Harness;
    std::vector<STrackedBuilding> m_Tracked;
};

#define EXPECT_BUILDINGS_SOUND(world)                                        \
    do                                                                       \
    {                                                                        \
        const std::vector<std::string> faults_ = (world).CheckInvariants(); \
        EXPECT_TRUE(faults_.empty()) << faults_.front();                     \
    } while (false)
