#pragma once
// The settler's cart: unarmed, it founds a keep of its player where it
// stands (command 16) and is gone; workers then build the keep.  It walks,
// boards ships, runs from attackers like the king and breaks up when it
// dies.  It saves nothing beyond the common unit record.

#include <cstdint>

#include "units/C_UnitTableType.h"
#include "units/T_UnitIgnoringEnemies.h"

class CUnitSettler : public T_UnitIgnoringEnemies<CUnitTableType>
{
public:
    CUnitSettler();

    // Per elapsed tick; false once the cart has become a corpse.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    // The cart follows the slope under its four wheels.
    void Render() override;
    // The cart at the end of its death, tilted like the living one; nothing
    // for a cart that founded a keep (torn-apart flag).
    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override;
    void onPerformAction() override;
    void onMoveEnd() override;
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onIdle() override;

    // A keep under construction, 4 x 4 with its corner one block up and
    // left of the cart (moved inside the map at its edges), and the cart
    // leaves the game; with no room the cart stays and the player is told.
    void FoundKeep();

private:
    void ActOnArrival();
    // Puffs of dust around the centre; on the ground or, at the start of a
    // death, at their own height only.
    void RaiseDust(bool onGround) const;
    void ShowNotice(const char* key, uint32_t colour) const;
};
