#pragma once
// The mill decoration; always kind 1.  Its sails turn half a degree a tick
// about their leaning axle; the turn is the animation time, read as
// degrees.  It saves nothing of its own.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationMill : public CDecoration
{
public:
    static constexpr int32_t BodyModel = 267;
    static constexpr int32_t SailsModel = 268;

    explicit CDecorationMill(int32_t kind);
    int32_t GetDecorationKind() const override { return 1; }

    bool Animate(float elapsed) override;
    // The body at the corner block, the sails at their hub.
    void Render(float collapse) override;
};
