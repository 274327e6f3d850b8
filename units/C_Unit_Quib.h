#pragma once
// The hero who fires a laser.  Now and then, while he stands on the map, a
// speech bubble shows over his head for 200 ticks.

#include <cstdint>

#include "units/C_UnitHeroType.h"

class CUnitQuib : public CUnitHeroType
{
public:
    static constexpr int32_t BubbleTicks = 200;
    static constexpr int32_t BubbleCount = 7;

    CUnitQuib();

    bool Animate(int32_t ticks) override;
    void Render() override;
    void onPerformAction() override;
    // The shot flag, then the bubble's ticks and number.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t bubbleTicks = 0;   // ticks the bubble has shown; 0 none
    int32_t bubble = 0;        // which bubble, 0 to 6

private:
    void StepBubble();
};
