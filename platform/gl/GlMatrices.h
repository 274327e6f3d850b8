#pragma once
// Matrix arithmetic for the device (row vectors: p' = p x M) and the
// matrices that carry Direct3D's clip space and pixel centres into OpenGL.
//
// OpenGL puts pixel centres at half-integer window coordinates; the device
// promises them at integers.  Everything drawn is therefore moved right and
// down by (nearly) half a pixel after the projection.  When the driver cannot clip
// depth to 0..w itself (no clip control), z is remapped to 2z - w, which
// clips and stores the same depths.

#include "platform/SysDevice3DTypes.h"

// a then b: p x (a x b) = (p x a) x b.
Sys3DMatrix GlMultiply(const Sys3DMatrix& a, const Sys3DMatrix& b);
// Applied after the caller's projection on a width x height back buffer.
Sys3DMatrix GlClipAdjust(int width, int height, bool remapDepth);
// Projection for screen vertices (x, y in pixels, z depth, already divided by
// rhw and given w = 1 / rhw), including the adjustment above.
Sys3DMatrix GlScreenProjection(int width, int height, bool remapDepth);
