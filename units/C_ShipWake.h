#pragma once
// What a ship leaves on the water, the same for every hull: the waves of
// its wake, spawned every so many ticks lying or sailing from the rows of
// the hull's own wake table, and the splashes of its sinking; and the
// lying and sailing steps that leave the wake, with the creak of a lying
// hull.  Each ship keeps its own wave count and passes its own table and
// speeds.

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

    // A hull's wake table, the rows of it used lying and sailing, and the
    // speeds their waves drift at.
    struct STable
    {
        std::span<const SRow> rows;
        int32_t lyingRows;
        int32_t sailingRows;
        float lyingSpeed;
        float sailingSpeed;
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
    // One tick of a lying ship (its frame, now and then a creak on the map,
    // its wake when due) or of a sailing one (its frame, its wake when
    // due); false, with nothing done, for any other animation.
    static bool StepLyingOrSailing(CUnit& ship, int32_t& waveTicks, const STable& table);
    // The wake of a lying (or firing) ship when due.
    static void LeaveLyingWake(const CUnit& ship, int32_t& waveTicks, const STable& table);
    // The 20 splashes of a sinking ship around its centre.
    static void ThrowSplashes(const CUnit& ship);
};
