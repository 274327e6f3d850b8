#pragma once
// A trap: a one-block building hidden in the ground.  Once built, units
// walk over its block; a living unit of another player that steps on it
// springs it, after which it plays its sprung animation and then leaves the
// world.  A machine driving onto it destroys it instead.  While armed only
// its owner sees it, unless the game reveals every trap.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingTrap : public CBuildingOfCast
{
public:
    static constexpr int32_t ArmedModel = 201;
    static constexpr int32_t SprungModel = 202;
    // The sprung model's frames play at half a frame a tick.
    static constexpr float FramesPerTick = 0.5f;

    // The game option that shows every trap to every player.
    static inline bool revealTraps = false;

    explicit CBuildingTrap(int32_t ownerIndex);

    // The completion step, then the block becomes walkable.
    void OnFinished() override;
    // Owner is the local player, the option reveals traps, or it sprang.
    bool IsTrapVisible() const override;
    // No height while the local player cannot see the trap.
    float GetHeightAt(float worldX, float worldY) const override;
    // The sprung model from its first frame, the spring sound, and the block
    // blocked again.
    void Spring() override;
    // The smash sound and 30 pieces of debris around the block.
    void SmashEffect() override;
    // Plays the sprung animation; at its last frame the trap destroys
    // itself and answers false.
    bool Animate(float elapsed) override;
    void OnHit(TENUMDAMAGETYPE damageType) override;
    // The middle of the block at ground level: x, height, y.
    void GetTargetPosition(float* position) const override;
    // Standing only: the model at the block corner, then the pit over the
    // block in the local player's light, alpha-tested.
    void Render(float collapse) override;

    bool IsSprung() const { return model == SprungModel; }

private:
    void RenderGroundQuad(uint32_t colour) const;
};
