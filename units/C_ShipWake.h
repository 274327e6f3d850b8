#pragma once
// What a ship leaves on the water, the same for every hull: the waves of
// its wake, spawned every so many ticks lying or sailing from the rows of
// the hull's own wake table, and the splashes of its sinking.  Each ship
// keeps its own wave count and passes its own table and speeds.

#include <cstdint>
#include <span>

class CUnit;

class CShipWake
{
public:
    // One wake wave: where it starts in the hull's own frame (1/32 block,
    // the bow along +y) and the angle it runs at from the heading.
    struct SRow
    {
        float x;
        float y;
        float angle;
    };

    // Ticks between two wakes, lying and sailing.  The wave count stops at
    // the longer wait.
    static constexpr int32_t StandWaveTicks = 128;
    static constexpr int32_t SailWaveTicks = 16;

    // One tick of a ship's wave count; true when a wake is due after
    // `interval` ticks.  Off the map no wake is made and the count would run
    // on for ever: it stops at the longest wait, where it makes a wake in
    // whatever way the ship next lies or sails on the map.
    static bool CountWaveTick(int32_t& waveTicks, int32_t interval, bool onMap);
    // A wave for each of the first `rows` rows of the table, at the ship's
    // centre plus the row's start turned by minus its facing, drifting at
    // `speed` blocks per tick along facing + row angle (and along the
    // facing at the same speed while sailing); hidden when the local
    // player cannot see the ship.
    static void Spawn(const CUnit& ship, std::span<const SRow> table, int32_t rows, float speed, bool sailing);
    // The 20 splashes of a sinking ship around its centre.
    static void ThrowSplashes(const CUnit& ship);
};
