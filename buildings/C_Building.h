#pragma once
// Base class of every building, resource site and decoration object.  It is
// owned by its player and deleted only through deferred deletion
// (CPtrGarbage), through this virtual destructor, once its ruin lets go.
//
// This is the part of the record that the map, the players and the path
// finder read; the building subsystem grows it into the whole record.

#include <cstdint>

class CUnit;

class CBuilding
{
public:
    static constexpr float FinishedProgress = 100.0f;

    CBuilding() = default;
    virtual ~CBuilding() = default;

    CBuilding(const CBuilding&) = delete;
    CBuilding& operator=(const CBuilding&) = delete;

    // ---- Type traits: each building type answers for itself --------------
    virtual int32_t GetMaxHitPoints() const = 0;
    // Footprint size in blocks.
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetDepth() const = 0;
    // TENUMBUILDCAST (6 tower, 9 wall, 10 resource site, 11 keep, 13 docks,
    // 18 decoration).
    virtual int32_t GetBuildCast() const = 0;
    // Extra blocks around the footprint on every side.
    virtual int32_t GetFootprintBorder() const { return 0; }
    // A decoration's footprint mask; every block of other kinds.
    virtual bool IsFootprintCell(int32_t dx, int32_t dy) const
    {
        (void)dx;
        (void)dy;
        return true;
    }
    // TENUMRESOURCE of a resource site (2 tree, 3 rock, 4 gold mine), else 0.
    virtual int32_t GetResourceKind() const { return 0; }
    // TENUMTREECAST of a tree, else 0.
    virtual int32_t GetTreeCast() const { return 0; }
    virtual int32_t GetResourceAmount() const { return 0; }
    virtual void SetResourceAmount(int32_t amount) { (void)amount; }
    virtual int32_t GetDecorationKind() const { return 0; }
    // Accepts delivered goods.
    virtual bool IsStorage() const { return false; }
    // Belongs in its player's building list.
    virtual bool IsListed() const { return true; }
    virtual int32_t GetMargin() const { return 0; }
    virtual bool IsScriptCounted() const { return false; }
    virtual int32_t GetPointValue() const { return 0; }
    // 1 when a decoration shades the ground beside it.
    virtual int32_t CastsShadow() const { return 0; }
    // A tree or mine that can still be harvested.
    virtual bool CanBeMined() const { return false; }
    // With x and y set beforehand: may the building stand there for the
    // player?  Only the truth value is relied on.
    virtual bool CanPlaceAt(int32_t playerIndex, int32_t placement, int32_t flag1, int32_t flag2) const
    {
        (void)playerIndex;
        (void)placement;
        (void)flag1;
        (void)flag2;
        return false;
    }
    virtual void onEnemySighted(CUnit* enemy) { (void)enemy; }

    // Living when the integer part of maximum x health x 0.01 is above 0.
    bool IsAlive() const { return static_cast<int32_t>(GetMaxHitPoints() * health * 0.01f) > 0; }
    bool IsFinished() const { return buildProgress == FinishedProgress; }

    // ---- Fields read and written by the world ----------------------------
    int32_t x = 0;                // anchor block
    int32_t y = 0;
    float health = 100.0f;        // percent
    float buildProgress = 0.0f;   // percent, exactly 100.0 when finished
    int32_t owner = -1;           // player index, -1 neutral
    int32_t controlGroup = 0;
    int32_t scriptTag = 0;
    int32_t specialId = 0;
    CUnit* garrisonedUnit = nullptr;  // a keep's garrison, null when empty
    int32_t fireAmount = 0;       // health the fire emitters keep, 0 when not burning
};
