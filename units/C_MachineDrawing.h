#pragma once
// How the machines (the ships and the catapult) draw their one model:
// coloured for the owner, turned about the vertical by the shown facing
// only, at a height of their own rather than the ground's; the wreck or
// corpse fades out in the owner's shade.

#include <cstdint>

class CUnit;

class CMachineDrawing
{
public:
    // The living machine at `height`, where its screen position is taken.
    static void Draw(CUnit& machine, float height);
    // The wreck or corpse `fade` of the way from gone (nothing drawn) to
    // whole, shaded `shade` of 255, at `height`; `takeScreenPosition` also
    // takes the screen position there.
    static void DrawFading(CUnit& machine, float fade, int32_t shade, float height, bool takeScreenPosition);

private:
    static void DrawModelAt(const CUnit& machine, float height);
};
