#pragma once
// A hero who fights from a distance with a weapon of his own: the shot
// falls at one moment of the attack animation, a gun strikes at once with
// a muzzle flash and a laser sends its particle.  The heroes take orders,
// look for enemies and answer hits as the units that shoot do, and die at
// once without a body to draw.  The Quib, the Warhound and the Gunslinger
// are such types.

#include <cstdint>

#include "units/C_UnitRangedType.h"

struct SHeroWeapon
{
    SRangedShot ranged;        // the two-targets report of the shot
    float shotFrame;           // the frame the shot falls at (see wholeFrameShot)
    bool wholeFrameShot;       // the shot falls while the whole frame equals shotFrame, else from it on
    bool restartsCycle;        // the next cycle starts at frame 0, else at the frames beyond the count
    bool windsDown;            // finishes the swing when its target is lost
    bool laser;                // a laser particle, else an instant gun hit
    SSoundPair shotSound;
};

class CUnitHeroType : public CUnitRangedType
{
public:
    // Per elapsed tick; false once the hero has become a corpse.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    // A dead hero's corpse shows nothing.
    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override;
    void onMoveEnd() override;

protected:
    CUnitHeroType(int32_t cast, const SHeroWeapon& weapon);

    // One tick of each animation; false to stop stepping this call.
    bool StepOneTick();

private:
    bool StepAttack();
    bool IsShotMoment() const;
    void Shoot();
    void AimAtTarget(float aim[3]);
    void FireGun(const float aim[3]);
    void FireLaser(const float aim[3]);
    // The weapon's muzzle: the hand-held offset turned with the hero.
    void MuzzleAt(float side, float ahead, float muzzle[3]) const;

    const SHeroWeapon& m_Weapon;
};
