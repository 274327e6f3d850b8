#pragma once
// Draws a model at a map point with a model matrix of its own (a turn about
// any axis, a lean along the ground) before the camera's turn: the mill's
// sails and the leaning wall pieces.  The hardware or software path of
// C3DObject as the USEHWTNL= setting says; nothing for a missing model or
// one without frames.  Main thread only.

#include <cstdint>

class CBuildingDecorationDraw
{
public:
    // `modelMatrix` is row-major, rows the model's x, up and z axes.
    static void DrawTransformed(int32_t modelNumber, int32_t frame, float x, float y, float height,
                                const float modelMatrix[9]);
};
