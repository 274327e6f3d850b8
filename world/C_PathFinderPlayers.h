#pragma once
// What the path searches ask of the players and of the objects' alliances:
// how well the owner sees a block, whether the owner was attacked near it,
// how many sight patterns of a player cover it, and who counts whom as a
// friend.  The default answers are those of the game's player table and of
// the units and buildings themselves; a test hands the path finder answers
// of its own.  Player indexes outside 0 .. 7 (and a missing player table)
// see nothing and count no sight.

#include <cstdint>

class CBuilding;
class CUnit;

class CPathFinderPlayers
{
public:
    virtual ~CPathFinderPlayers() = default;

    // 0 (unexplored) .. 255: CPlayer::GetVisibility.
    virtual int32_t GetVisibility(int32_t player, int32_t x, int32_t y) const;
    // The player's last attack alert near the block is at most a minute old:
    // CPlayer::WasAttackedNear.
    virtual bool WasAttackedNear(int32_t player, int32_t x, int32_t y) const;
    // The player's unit and building sight counts of the block.
    virtual int32_t GetUnitSightCount(int32_t player, int32_t x, int32_t y) const;
    virtual int32_t GetBuildingSightCount(int32_t player, int32_t x, int32_t y) const;
    // CUnit::IsAlliedWith.
    virtual bool IsUnitAlliedWith(const CUnit& unit, int32_t player) const;
    // CBuilding::IsFriendTo.
    virtual bool IsBuildingFriendTo(const CBuilding& building, int32_t player) const;

    // The game's answers, which the path finder uses unless given others.
    static const CPathFinderPlayers& Default();
};
