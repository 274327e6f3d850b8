#pragma once
// The looks and timing of the unit types as data: the model of each
// animation, the frames each animation moves on per tick, when the blows of
// a swing fall, the wound and corpse drawing, the body parts a torn-apart
// unit throws and the hurt and death sounds.  The type classes read their
// row; types that bring their own rules keep them in their own files.

#include <cstdint>

#include "units/C_Unit.h"

// One body part of a torn-apart unit: direction offset from the burst's
// base angle, and the particle kind (50 to 61).
struct SBodyPart
{
    int32_t offset;
    int32_t kind;
};

// Which hurt and death sounds a type plays.
enum class EHitSounds : int8_t
{
    None,
    Human,        // worker, warrior, light cavalry, archer, crossbowman, priest, king, heroes
    Knight,
    KnightHorse,  // the knight's, and the horse's death after the rider's
    Machine,      // catapult, settler: the hit always, the breaking when dead
    Ship,         // transport ship, war galley: the hit always, the sinking when dead
    Giant,
    Undead,
    Demon,
};

// What a standing unit does now and then.
enum class EIdleHabit : int8_t
{
    None,
    Turn,     // turns 45 degrees (1 in 500 per tick, owning machine only)
    Snort,    // plays the horse sound (1 in 1000 per tick, when shown)
};

struct SUnitAnimationRow
{
    int32_t cast;               // TENUMUNITCAST
    int32_t standModel;
    int32_t walkModel;
    int32_t attackModel;
    int32_t dieModel;
    int32_t corpseModel;
    float standAdvance;         // frames per tick
    float walkAdvance;
    float dieAdvance;
    float attackStartFrame;     // the frame a new swing starts at
    // Blows of one swing: none listed means one whole blow at the frame
    // count; listed frames each strike half the attack.
    int32_t halfBlowCount;
    float halfBlowFrames[2];
    TENUMDAMAGETYPE damageType;
    float facingExtra;          // degrees turned past the target
    // Wound overlay below 50, 25 and 5 percent health (0 none).
    int32_t woundLevels[3];
    int32_t corpseWound;        // wound overlay of the fallen body a corpse shows
    const SBodyPart* extraParts;
    int32_t extraPartCount;
    EHitSounds hitSounds;
    EIdleHabit idleHabit;
    SSoundPair deathSound;      // played once on the way down; sample 0 none
    float deathSoundFrame;
};

class CUnitAnimationTable
{
public:
    static constexpr int32_t CommonPartCount = 9;
    static const SBodyPart CommonParts[CommonPartCount];
    // Frames of a model when no model table is loaded (headless runs).
    static constexpr int32_t UnloadedFrameCount = 30;

    // The row of a type, or null for a type without one.
    static const SUnitAnimationRow* Find(int32_t cast);
    // Frames of the model; a loaded model without frames counts as one,
    // with a log line once per model, so that no modulo divides by zero.
    static int32_t FrameCount(int32_t model);
    // The frame to draw: the whole frame modulo the frame count.
    static int32_t FrameIndex(float frame, int32_t model);
    // Forgets which models were logged (a new model table).
    static void ResetLoggedModels();
};
