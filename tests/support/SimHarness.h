#pragma once
// A small headless world for simulation tests: a land map, the range tables, the type records, eight players, a
// seeded random generator and a test clock (28 ms per simulation tick), with the world's invariant checker
// (WorldInvariants.h).  One harness at a time: it installs itself into the process globals and restores them.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/C_Config.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

class CSimHarness
{
public:
    static constexpr uint32_t TickMilliseconds = 28;
    static constexpr uint32_t ClockStart = 1000000;
    static constexpr int32_t DefaultMapSide = 48;

    // Player 0 is the local player; the others are computer players, each on a team of its own.
    explicit CSimHarness(int32_t mapSide = DefaultMapSide, uint32_t seed = 1);
    ~CSimHarness();
    CSimHarness(const CSimHarness&) = delete;
    CSimHarness& operator=(const CSimHarness&) = delete;

    CPlayer& Player(int32_t index) { return g_Players[index]; }
    // A unit of the type made by the player's create operation, shown at
    // (x, y) unless x is -1; null when the player refused it.
    CUnit* Spawn(int32_t player, int32_t unitType, int32_t x, int32_t y)
    {
        return g_Players[player].CreateUnit(unitType, x, y);
    }
    // Takes the unit out of its player's list, off the map and out of the
    // world, and deletes it through deferred deletion.
    void Delete(CUnit* unit);
    void Research(int32_t player, int32_t technology, float progress = 100.0f)
    {
        g_Players[player].technologies[technology].progress = progress;
    }
    void Tick(int32_t ticks);  // the test clock only
    // Seeds the game's generator so that its next draws give these values ({range, value} each, in order).
    static void SeedForDraws(std::initializer_list<std::pair<int, int>> draws);
    // One game frame of that many simulation ticks: the clock moves on, the simulation step runs,
    // corpses and ruins decay, and what waits for deferred deletion is deleted.
    void Frame(int32_t ticks);
    // Deletes what waits for deferred deletion, counting and forgetting those units.
    void FlushDeleted();
    // Loads a save through the in-game controller, which deletes the running game's units outside
    // deferred deletion: the harness forgets them, and the units the loaded world holds are the live ones.
    bool Load(const std::vector<uint8_t>& file);
    int32_t DeletedUnits() const { return m_DeletedUnits; }
    // Puts a unit made by a test (a test double of a unit type) into the player's list and shows it at
    // (x, y); the harness owns it from now on. Null when the player's list refused it.
    CUnit* Adopt(int32_t player, CUnit* unit, int32_t x, int32_t y);

    // What the players showed and played: message lines with their colours,
    // minimap markers (x, y, colour) and samples (sample, volume).
    struct SMessage { std::string text; uint32_t colour; };
    const std::vector<SMessage>& Messages() const { return m_Messages; }
    const std::vector<int32_t>& Markers() const { return m_Markers; }
    const std::vector<int32_t>& Samples() const { return m_Samples; }

    std::vector<std::string> CheckInvariants() const;
    bool IsLive(const CUnit* unit) const { return m_Live.count(unit) != 0; }

private:
    class CServices;

    std::unique_ptr<CServices> m_Services;
    std::unique_ptr<CPlayer[]> m_Players;
    std::unique_ptr<CUnitStats[]> m_Records;
    std::set<const CUnit*> m_Live;
    std::vector<SMessage> m_Messages;
    std::vector<int32_t> m_Markers, m_Samples;
    CConfig m_SavedConfig;
    bool m_OwnRangeTables = false;
    int32_t m_DeletedUnits = 0;
};
