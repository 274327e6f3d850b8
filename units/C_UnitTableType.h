#pragma once
// A unit type whose looks and sounds come from its row of the animation
// table: the hurt sounds, its model drawn with the wound overlay by health,
// the fall that starts its death (or the burst of a body torn apart) and
// the corpse its two models show.  The melee and the ranged foot types
// build on it with their own fighting.

#include <cstdint>

#include "units/C_UnitAnimationTable.h"
#include "units/C_UnitOfType.h"

class CUnitTableType : public CUnitOfType
{
public:
    const SUnitAnimationRow& GetAnimationRow() const { return m_Animation; }

    void PlayHitSound(int32_t damageType) override;
    // The unit on the map, standing on the ground under its centre.
    void Render() override;
    // The corpse: the remains (`corpseWeight` of them, 1 drawn opaque) under
    // the fallen body (`dieWeight` of it), shaded `level` of 255; nothing of
    // a body torn apart.
    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override;

protected:
    explicit CUnitTableType(int32_t cast);

    // The wound overlay below 50, 25 and 5 percent health.
    int32_t WoundLevel() const;
    // The death animation's model and first frame; a body torn apart skips
    // the fall and throws its parts.
    void StartDeathAnimation();

    // One tick of each shared animation step.  A standing unit now and then
    // turns on the spot, its owner choosing the turn.
    void StepStandTurning();
    void TurnNowAndThen();
    // A tick of standing (turning now and then) or walking; false, and
    // nothing done, for the other animations.
    bool StepStandOrWalk();
    // True in the tick the wind-down ends and the unit stops.
    bool StepWindDown();
    // The fall of the death animation; false once the unit is a corpse.
    bool StepFall();
    // A tick of winding down, whose end lets the next attack's shot leave
    // again (the released flag goes back to 0), or of the fall; false once
    // the unit is a corpse.
    bool StepWindDownOrFall(uint8_t* released);
    // At the moment a shot leaves: the owner whose target is gone or out of
    // reach resumes the action instead (true); a remote copy shoots for the
    // show.
    bool ResumeIfTargetLost();
    // Without the ballistics research the aim strays a little on each axis.
    void StrayAim(float aim[3]) const;
    // The ground point of a hand the side and ahead offsets from the centre,
    // for the facing in degrees.
    void HandAt(float facingDegrees, float side, float ahead, float* handX, float* handY) const;
    // The model of standing or walking; false, and nothing done, for the
    // other animations.
    bool ChooseStandOrWalkModel();
    // The models of standing, walking and shooting, for a unit that is
    // ready to take orders only while it stands and starts every renewed
    // attack from its first frame; false for the other animations.
    bool ChooseShooterModel();
    // The current model at its frame, turned by the shown facing, with the
    // wound overlay of the unit's health.
    void DrawStanding();
    // The die model at its last frame, `dieWeight` of it, with that wound.
    void DrawFallen(float dieWeight, int32_t level, int32_t wound);
    // A remote copy reports (at the caller's source place) and a vanished
    // target stops the unit; true when the order may be carried out.
    bool MayPerformAction(int32_t sourceLine, const char* sourceFile);

    const SUnitAnimationRow& m_Animation;
};
