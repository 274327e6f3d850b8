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

#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"

class CBuilding;
class CUnit;

struct SSoakFigures
{
    int64_t frames = 0, checks = 0, roundTrips = 0;
    std::map<std::string, int64_t> orders;
    std::map<std::string, int64_t> held;   // what the holders held, summed over the checks
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
    struct SOrderKind;
    struct STarget;
    static const SOrderKind OrderKinds[];

    int32_t Roll(int32_t n) { return n > 0 ? int32_t(m_Random() % uint32_t(n)) : 0; }
    bool Chance(int32_t inN) { return Roll(inN) == 0; }
    // A random one of those that fit, or, given a unit, half the time the one nearest to it.
    template <typename Object>
    Object* PickOf(const std::vector<Object*>& found, const CUnit* near);
    CUnit* PickUnit(const std::function<bool(const CUnit&)>& fits, const CUnit* near = nullptr);
    CBuilding* PickBuilding(const std::function<bool(const CBuilding&)>& fits, const CUnit* near = nullptr);

    void MakeMap();
    void MakePlayer(int32_t p);
    CUnit* PlaceUnit(int32_t p, int32_t type);
    CBuilding* PlaceBuilding(int32_t p, int32_t cast, bool finished);
    void PlaceSite(int32_t kind, int32_t detail);
    void Dispose(CBuilding* probe);
    void Reinforce();

    std::string GiveOrder();
    std::string OrderUnit(const SOrderKind& kind);
    bool FindTarget(const SOrderKind& kind, const CUnit& unit, STarget& target);
    std::string ClickPanel();
    std::string Defeat();

    std::string Check();
    void CountHeld();
    std::string RoundTrip();
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
