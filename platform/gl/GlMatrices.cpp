#include "platform/gl/GlMatrices.h"

Sys3DMatrix GlMultiply(const Sys3DMatrix& a, const Sys3DMatrix& b) {
  Sys3DMatrix r;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][col];
      r.m[row][col] = sum;
    }
  }
  return r;
}

namespace {

// Slightly less than half a pixel: edges and line ends that fall exactly on
// pixel centres then lie a little left of and above them, so the pixel
// right of or below an edge is covered and the one left of or above it is
// not, whatever a driver does with exact ties.  That is Direct3D's top-left
// rule; the nudge is well above the drivers' sub-pixel precision and far
// below anything visible.
constexpr float kPixelCentreShift = 0.5f - 1.0f / 32.0f;

}  // namespace

Sys3DMatrix GlClipAdjust(int width, int height, bool remapDepth) {
  // A shift of s pixels is 2s / width of normalised x and -2s / height of
  // normalised y (window y grows upwards), scaled by w to survive the division.
  Sys3DMatrix r = Sys3DMatrix::Identity();
  r.m[3][0] = 2.0f * kPixelCentreShift / static_cast<float>(width);
  r.m[3][1] = -2.0f * kPixelCentreShift / static_cast<float>(height);
  if (remapDepth) {
    r.m[2][2] = 2.0f;
    r.m[3][2] = -1.0f;
  }
  return r;
}

Sys3DMatrix GlScreenProjection(int width, int height, bool remapDepth) {
  // Pixels to normalised coordinates: x 0..width to -1..1, y 0..height to 1..-1.
  Sys3DMatrix toClip = Sys3DMatrix::Identity();
  toClip.m[0][0] = 2.0f / static_cast<float>(width);
  toClip.m[1][1] = -2.0f / static_cast<float>(height);
  toClip.m[3][0] = -1.0f;
  toClip.m[3][1] = 1.0f;
  return GlMultiply(toClip, GlClipAdjust(width, height, remapDepth));
}
