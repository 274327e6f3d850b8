#pragma once
// A unit that never looks for a fight: it takes no notice of a target it
// lost, an enemy coming into sight or the computer player's idle call to
// go and fight.  The king, the settler's cart and the transport ship are
// such units.

#include <cstdint>

class CBuilding;
class CUnit;

template <class Base>
class T_UnitIgnoringEnemies : public Base
{
public:
    void onTargetLost(CUnit* unit, CBuilding* building) override
    {
        (void)unit;
        (void)building;
    }
    void onEnemySighted(CUnit* enemy) override { (void)enemy; }
    void onAIIdle(int32_t unused, bool wide) override
    {
        (void)unused;
        (void)wide;
    }

protected:
    using Base::Base;
};
