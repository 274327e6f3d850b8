#pragma once
// A unit of one of the 22 unit types: answers the type's traits from its row
// of the unit type table and its stats from the type records with the
// owner's research.  The unit type classes derive from it and add their
// behaviour.

#include <cstdint>

#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"

struct SUnitBehaviourRow;

class CUnitOfType : public CUnit
{
public:
    const SUnitTypeRow& GetTypeRow() const { return m_Row; }

    const char* GetCastName() const override;
    int32_t GetObjectTypeId() const override { return m_Row.objectTypeId; }
    float GetMaxHitPoints() const override;
    // Plays the Die animation of a dying unit to its end, and the rest of
    // a swing whose target was lost.
    bool Animate(int32_t ticks) override;
    bool CanAttackUnits() const override { return m_Row.canAttack; }
    bool IsRanged() const override { return m_Row.ranged; }
    bool IsShip() const override { return m_Row.ship; }
    int32_t GetCastID() const override { return m_Row.cast; }
    int32_t GetMoveLayer() const override { return m_Row.moveLayer; }
    int32_t GetSize() const override { return m_Row.size; }
    bool IsMachine() const override { return m_Row.machine; }
    bool IsHealable() const override { return m_Row.healable; }
    bool CanBeCaptured() const override { return true; }
    int32_t GetHitEffectKind() const override { return m_Row.hitEffect; }
    bool CanStarve() const override { return m_Row.canStarve; }
    int32_t GetPointValue() const override { return m_Row.points; }
    SSoundPair GetSoundPair1() const override { return m_Row.soundPair; }
    SSoundPair GetSoundPair2() const override { return m_Row.soundPair; }
    SSoundPair GetSoundPair3() const override { return m_Row.soundPair; }
    int32_t GetAttack(int32_t* base, int32_t* bonus) const override;
    int32_t GetAttackRange(int32_t* base, int32_t* bonus) const override;
    int32_t GetSightRadius() const override;
    int32_t GetMinAttackRange() const override { return m_Row.minAttackRange; }
    float GetDamageFactorA() const override;
    float GetDamageFactorB() const override;
    float GetDamageFactorC() const override;
    float GetAttackAnimSpeed() const override;
    void GetRepairCost(float* wood, float* stone, float* gold) const override;
    // Fills the action buffer with an order as the type takes it: which
    // targets it keeps and from how far it acts.
    void onCommand(CUnit* targetUnit, CBuilding* targetBuilding, CBuilding* targetObject, int32_t x, int32_t y,
                   int32_t command) override;

    // The shared fighting bodies, for the types the behaviour table lists
    // as their users; the others keep the base class's answers.
    void onIdle() override;
    void onEnemySighted(CUnit* enemy) override;
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onTargetLost(CUnit* unit, CBuilding* building) override;
    void SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged) override;
    void onPerformAction() override;
    void onMoveEnd() override;

protected:
    // The row of a type the table has; the factory never asks for another.
    explicit CUnitOfType(int32_t cast);

private:
    const SUnitTypeRow& m_Row;
    const SUnitBehaviourRow* m_Behaviour;   // null: no shared fighting body
};
