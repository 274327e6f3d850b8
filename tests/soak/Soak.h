#pragma once
// Seeded random play on a map of land, water and obstacles: every unit type and building cast, orders of every kind
// through the objects' own operations, the world's checks every few frames and a save, load and save through the
// in-game controller every few hundred.  The soak draws its choices from a generator of its own, so that a seed
// plays the same game again; the game's generator is seeded with it too.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"

class CBuilding;
class CUnit;

struct SSoakFigures
{
    int64_t frames = 0;
    int64_t checks = 0;
    int64_t roundTrips = 0;
    std::map<std::string, int64_t> orders;
    // What the holders held, summed over the checks.
    std::map<std::string, int64_t> held;
};

class CSoak
{
public:
    static constexpr int32_t CheckEvery = 3;
    static constexpr int32_t SaveEvery = 250;

    explicit CSoak(uint32_t seed);
    ~CSoak();
    // Plays until `frames` frames are played or `seconds` have passed (0: no limit); the first broken check with
    // the seed, the frame and the last orders, or empty.
    std::string Play(int64_t frames, double seconds = 0.0);
    const SSoakFigures& Figures() const { return m_Figures; }

private:
    struct SOrderKind
    {
        const char* name;
        int32_t weight;
        std::string (CSoak::*give)();
    };
    static const SOrderKind OrderKinds[];

    int32_t Roll(int32_t n) { return n > 0 ? int32_t(m_Random() % uint32_t(n)) : 0; }
    bool Chance(int32_t inN) { return Roll(inN) == 0; }
    // A random one of those that fit, or, given a unit half the time, the one nearest to it.
    template <typename Object>
    Object* PickOf(const std::vector<Object*>& found, const CUnit* near);
    CUnit* PickUnit(const std::function<bool(const CUnit&)>& fits, const CUnit* near = nullptr);
    CBuilding* PickBuilding(const std::function<bool(const CBuilding&)>& fits, const CUnit* near = nullptr);

    void MakeMap();
    void MakePlayer(int32_t p);
    CUnit* PlaceUnit(int32_t p, int32_t type);
    CBuilding* PlaceBuilding(int32_t p, int32_t cast, bool finished);
    CBuilding* PlaceSite(int32_t kind, int32_t detail);
    void Dispose(CBuilding* probe);

    std::string GiveOrder();
    std::string Move();
    std::string AttackUnit();
    std::string AttackBuilding();
    std::string AttackGround();
    std::string Patrol();
    std::string Guard();
    std::string Stop();
    std::string Board();
    std::string Unload();
    std::string SinkLoadedShip();
    std::string Harvest();
    std::string Build();
    std::string Repair();
    std::string Dismantle();
    std::string Demolish();
    std::string Heal();
    std::string Cast();
    std::string EnterKeep();
    std::string FoundSettlement();
    std::string ClickPanel();
    std::string CancelProduction();
    std::string Kill();
    std::string DestroyBuilding();
    std::string ConvertUnit();
    std::string ConvertBuilding();
    std::string Capture();
    std::string Defeat();
    std::string Select();
    void Reinforce();

    std::string Check();
    std::string RoundTrip();
    void CountHeld();
    void Remember(const std::string& order);
    std::string Report(const std::string& fault) const;

    uint32_t m_Seed;
    std::mt19937 m_Random;
    int32_t m_Side = 0;
    int32_t m_Players = 0;
    int64_t m_Frame = 0;
    std::deque<std::string> m_LastOrders;
    SSoakFigures m_Figures;
    CTestLog m_Log;
    std::unique_ptr<CSimHarness> m_World;
};
