// Row-vector transforms (world, view, projection), depth 0..1, 3-D pixel centres.

#include <gtest/gtest.h>

#include "platform/gl/GlDevice3D.h"
#include "platform/gl/GlMatrices.h"
#include "tests/platform/Device3D_Harness.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

TEST(Device3DMatrices, MultiplyAppliesTheLeftMatrixFirst) {
  Sys3DMatrix translate = Sys3DMatrix::Identity();
  translate.m[3][0] = 1.0f;
  Sys3DMatrix scale = Sys3DMatrix::Identity();
  scale.m[0][0] = 3.0f;
  // Point x = 1: translate then scale gives (1 + 1) x 3 = 6.
  const Sys3DMatrix both = GlMultiply(translate, scale);
  EXPECT_FLOAT_EQ(1.0f * both.m[0][0] + both.m[3][0], 6.0f);
  const Sys3DMatrix reversed = GlMultiply(scale, translate);
  EXPECT_FLOAT_EQ(1.0f * reversed.m[0][0] + reversed.m[3][0], 4.0f);
}

class Device3DTransforms : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(h.Open(kWidth, kHeight));
    Device().SetRenderState(Sys3DRenderState::Lighting, 0);
    h.UseGameProjection();
  }
  SysDevice3D& Device() { return h.Device(); }
  Device3DHarness h;
};

TEST_F(Device3DTransforms, WorldThenViewThenProjectionOnRowVectors) {
  // World moves x by 0.1, view doubles x and moves z by 2.  A row-vector
  // device computes ((x + 0.1) x 2, y, z + 2); the screen x of a point at
  // eye depth 2 is (1.4 x / 2 + 1) x 32, y (1 - 1.6 y / 2) x 24.  The
  // corners then land on the pixel centres (16, 12) and (48, 36).
  Sys3DMatrix world = Sys3DMatrix::Identity();
  world.m[3][0] = 0.1f;
  Sys3DMatrix view = Sys3DMatrix::Identity();
  view.m[0][0] = 2.0f;
  view.m[3][2] = 2.0f;
  ASSERT_EQ(Device().SetTransform(Sys3DTransform::World, world), Sys3DError::Ok);
  ASSERT_EQ(Device().SetTransform(Sys3DTransform::View, view), Sys3DError::Ok);
  const float halfWidth = 0.5f * 2.0f / 1.4f;  // eye-space x of the quad's side
  const float halfHeight = 0.5f * 2.0f / 1.6f;
  h.WorldQuad(-halfWidth / 2 - 0.1f, halfHeight, halfWidth / 2 - 0.1f, -halfHeight, 0.0f, 0xFFFF0000);
  EXPECT_EQ(h.PixelsOf(0xFF0000), Device3DHarness::Rect(16, 12, 48, 36));
}

TEST_F(Device3DTransforms, DepthIsZeroToOneOverTheFrustumAlsoWhenRemapped) {
  // z_clip = z - 1 and w = z: depth 1 - 1 / z, 0.5 at eye depth 2.
  for (const bool remap : {false, true}) {
    SCOPED_TRACE(remap ? "remapped" : "clip control");
    if (remap) {
      h.Backend().ForceDepthRemap();
      EXPECT_TRUE(h.Backend().RemapsDepth());
    }
    Device().Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f);
    h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFFFF0000);
    h.ScreenQuad(0, 0, 8, 8, 0xFF00FF00, 0.49f);
    h.ScreenQuad(8, 0, 16, 8, 0xFF0000FF, 0.51f);
    EXPECT_EQ(h.Pixel(4, 4), 0x00FF00u);
    EXPECT_EQ(h.Pixel(12, 4), 0xFF0000u);
    // The near plane clips at eye depth 1.
    h.WorldQuad(-0.5f, 0.5f, 0.5f, -0.5f, 0.9f, 0xFF00FF00);
    EXPECT_EQ(h.Pixel(32, 24), 0xFF0000u);
  }
}

TEST_F(Device3DTransforms, NearPlaneAtEyeDepthOneAndNoFarPlane) {
  h.WorldQuad(-0.5f, 0.5f, 0.5f, -0.5f, 1.1f, 0xFF00FF00);
  EXPECT_EQ(h.Pixel(32, 24), 0x00FF00u);
  Device().Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f);
  h.WorldQuad(-5000, 5000, 5000, -5000, 1000.0f, 0xFF0000FF);
  EXPECT_EQ(h.Pixel(32, 24), 0x0000FFu);
}

}  // namespace
