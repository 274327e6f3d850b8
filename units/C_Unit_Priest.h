#pragma once
// The healer of the monastery.  It heals the wounded units of its own
// player (never allies, never itself), by order or by itself when idle;
// without TC_PRIEST_ATT_1 it runs from whoever hurts it, with it it answers
// like a shooter, and with TC_PYRO its attack throws fireballs.

#include <cstdint>

#include "units/C_UnitTableType.h"

class CUnitPriest : public CUnitTableType
{
public:
    CUnitPriest();

    // Per elapsed tick; false once the unit has become a corpse.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    void onIdle() override;
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onPerformAction() override;
    void onMoveEnd() override;
    // The cast-released flag (1 byte), the heal progress and the sparkle
    // timer (4-byte floats).
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    uint8_t castReleased = 0;     // the fireball of this attack cycle has left
    float healProgress = 0.0f;    // one heal step is due at 1.0
    float sparkleTimer = 0.0f;    // one healing sparkle is due at 1.0

private:
    // The order a hit gives: a flight from the attacker without the
    // technology, else the ranged answer.
    void RunFrom(CUnit* attackerUnit, CBuilding* attackerBuilding);
    void AnswerAttack(CUnit* attackerUnit, CBuilding* attackerBuilding);
    void PerformRunaway();
    void PerformArrived();

    void StepSpell();
    void AddSparkle();
    void HealStep();
    // False to stop stepping this call.
    bool StepCast();
    void ThrowFireBall();
};
