// Where primitives land and what the render states and transforms do to
// their pixels.

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/gl/GlDevice3D.h"
#include "tests/platform/Device3D_Harness.h"

namespace {

using RS = Sys3DRenderState;
using SS = Sys3DStageState;
using Pixels = std::vector<std::pair<int, int>>;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;

class Device3DDrawing : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Open(16, 16)); }
  SysDevice3D& Device() { return h.Device(); }
  std::uint32_t Render(RS state) {
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(Device().GetRenderState(state, value), Sys3DError::Ok);
    return value;
  }
  std::uint32_t Stage(std::uint32_t stage, SS state) {
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(Device().GetTextureStageState(stage, state, value), Sys3DError::Ok);
    return value;
  }
  static bool Near(std::uint32_t actual, std::uint32_t expected) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int a = static_cast<int>((actual >> shift) & 0xFF);
      const int e = static_cast<int>((expected >> shift) & 0xFF);
      if (std::abs(a - e) > 1) return false;
    }
    return true;
  }
  Device3DHarness h;
};

TEST_F(Device3DDrawing, ValuesOutsideAStatesRangeAreRefusedAndChangeNothing) {
  const std::pair<RS, std::uint32_t> refused[] = {{RS::AlphaFunc, Sys3DCompare::Always + 1}, {RS::AlphaRef, 256},
                                                  {RS::Count, 0}};
  for (const auto& [state, value] : refused)
    EXPECT_EQ(Device().SetRenderState(state, value), Sys3DError::InvalidCall) << static_cast<int>(state);
  EXPECT_EQ(Render(RS::AlphaFunc), Sys3DCompare::Always);
  EXPECT_EQ(Render(RS::AlphaRef), 0u);
  EXPECT_EQ(Device().SetTextureStageState(0, SS::MinFilter, Sys3DFilter::None), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetTexture(8, nullptr), Sys3DError::InvalidCall);
  EXPECT_EQ(Stage(0, SS::MinFilter), Sys3DFilter::Point);
}

TEST_F(Device3DDrawing, ResetReturnsEveryStateToRest) {
  ASSERT_EQ(Device().SetRenderState(RS::AlphaBlendEnable, 1), Sys3DError::Ok);
  ASSERT_EQ(Device().SetTextureStageState(0, SS::AddressU, Sys3DAddress::Clamp), Sys3DError::Ok);
  Sys3DPresentParams params;
  params.backBufferWidth = 8;
  params.backBufferHeight = 8;
  params.backBufferFormat = Sys3DFormat::X8R8G8B8;
  ASSERT_EQ(Device().Reset(params), Sys3DError::Ok);
  EXPECT_EQ(Render(RS::AlphaBlendEnable), 0u);
  EXPECT_EQ(Stage(0, SS::AddressU), Sys3DAddress::Wrap);
  EXPECT_EQ(h.Read().size(), 64u);
}

TEST_F(Device3DDrawing, WithoutTextureColourAndAlphaAreTheVertexColours) {
  // Stage 0 rests on Modulate(Texture, Current) and SelectArg1(Texture):
  // with no texture the stage is off and the diffuse colour comes through,
  // alpha included, which the alpha test sees.
  Device().SetRenderState(RS::AlphaTestEnable, 1);
  Device().SetRenderState(RS::AlphaFunc, Sys3DCompare::Greater);
  Device().SetRenderState(RS::AlphaRef, 32);
  h.ScreenQuad(0, 0, 8, 8, 0x20123456);   // alpha 32: not greater
  h.ScreenQuad(8, 0, 16, 8, 0x21123456);  // alpha 33: drawn, colour as given
  EXPECT_EQ(h.PixelsOf(0x123456), Device3DHarness::Rect(8, 0, 16, 8));
}

TEST_F(Device3DDrawing, CullingFollowsTheWindingOnTheScreen) {
  // Corners top left, top right, bottom right, bottom left run clockwise on
  // the screen; the other order counter-clockwise.
  const auto quad = [this](float x0, float x1, bool clockwise, std::uint32_t colour) {
    ScreenVertex v[4] = {{x0, 0, 0, 1, colour, 0, 0}, {x1, 0, 0, 1, colour, 0, 0},
                         {x1, 4, 0, 1, colour, 0, 0}, {x0, 4, 0, 1, colour, 0, 0}};
    if (!clockwise) std::swap(v[1], v[3]);
    Device().SetVertexFormat(kScreenFvf);
    Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, v, sizeof(ScreenVertex));
  };
  quad(0, 4, true, 0xFF000001);   // rest: counter-clockwise culled
  quad(4, 8, false, 0xFF000002);
  Device().SetRenderState(RS::CullMode, Sys3DCull::Clockwise);
  quad(8, 12, true, 0xFF000003);
  quad(12, 16, false, 0xFF000004);
  EXPECT_EQ(h.PixelsOf(1).size(), 16u);
  EXPECT_TRUE(h.PixelsOf(2).empty());
  EXPECT_TRUE(h.PixelsOf(3).empty());
  EXPECT_EQ(h.PixelsOf(4).size(), 16u);
}

TEST_F(Device3DDrawing, DepthTestAndWritesFollowTheirStates) {
  // Screen vertices write their depth too.
  h.ScreenQuad(0, 0, 16, 16, kRed, 0.5f);
  Device().SetRenderState(RS::ZFunc, Sys3DCompare::Less);
  h.ScreenQuad(0, 0, 4, 4, 0xFF000001, 0.5f);  // not less: hidden
  Device().SetRenderState(RS::ZEnable, 0);
  h.ScreenQuad(4, 0, 8, 4, 0xFF000002, 0.9f);  // no test at all
  Device().SetRenderState(RS::ZEnable, 1);
  Device().SetRenderState(RS::ZWriteEnable, 0);
  h.ScreenQuad(8, 0, 12, 4, 0xFF000003, 0.2f);  // drawn, depth stays 0.5
  Device().SetRenderState(RS::ZWriteEnable, 1);
  h.ScreenQuad(8, 0, 12, 4, 0xFF000004, 0.4f);
  EXPECT_TRUE(h.PixelsOf(1).empty());
  EXPECT_EQ(h.PixelsOf(2).size(), 16u);
  EXPECT_TRUE(h.PixelsOf(3).empty());
  EXPECT_EQ(h.PixelsOf(4).size(), 16u);
}

TEST_F(Device3DDrawing, LinearFogRunsOnEyeDepthAndOneOverRhw) {
  // f = (end - depth) / (end - start); colour = f x black + (1 - f) x white.
  // Screen vertices have rhw 1, so depth 1.
  const struct {
    bool screen;
    float start, end, depth;
    std::uint32_t mode, colour;
  } cases[] = {
      {false, 2, 6, 4.0f, Sys3DFogMode::Linear, 0x808080}, {false, 2, 6, 5.0f, Sys3DFogMode::Linear, 0xBFBFBF},
      {false, 2, 6, 1.5f, Sys3DFogMode::Linear, 0},         {true, 1, 3, 0, Sys3DFogMode::Linear, 0},
      {true, 0, 2, 0, Sys3DFogMode::Linear, 0x808080},      {true, 0, 2, 0, Sys3DFogMode::None, 0},
  };
  Device().SetRenderState(RS::Lighting, 0);
  Device().SetRenderState(RS::FogEnable, 1);
  Device().SetRenderState(RS::FogColour, 0xFFFFFF);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << ".." << c.end << " at " << c.depth << (c.screen ? " screen" : ""));
    h.UseGameProjection();
    Device().Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f);
    Device().SetRenderState(RS::FogTableMode, c.mode);
    Device().SetRenderState(RS::FogStart, Sys3DFloatBits(c.start));
    Device().SetRenderState(RS::FogEnd, Sys3DFloatBits(c.end));
    if (c.screen)
      h.ScreenQuad(0, 0, 16, 16, 0xFF000000);
    else
      h.WorldQuad(-5, 5, 5, -5, c.depth, 0xFF000000);
    EXPECT_TRUE(Near(h.Pixel(8, 8), c.colour)) << std::hex << h.Pixel(8, 8);
  }
}

TEST_F(Device3DDrawing, LightingOnWithoutNormalsGivesAmbientAndEmissiveOnly) {
  h.UseGameProjection();
  // Resting state: lighting on, ambient 0, zero material: black.
  h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFFFFFFFF);
  EXPECT_EQ(h.Pixel(8, 8), 0u);
  Sys3DMaterial material;
  material.ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  material.emissive = {0.0f, 0.0f, 0.25f, 0.0f};
  ASSERT_EQ(Device().SetMaterial(material), Sys3DError::Ok);
  Device().SetRenderState(RS::Ambient, 0x00404040);
  Device().Clear(Sys3DClear::ZBuffer, 0, 1.0f);
  h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFFFFFFFF);
  EXPECT_TRUE(Near(h.Pixel(8, 8), 0x404080)) << std::hex << h.Pixel(8, 8);
  // A directional light adds its ambient part; its diffuse part needs a
  // normal, which no vertex format has.
  Sys3DLight light;
  light.type = Sys3DLightType::Directional;
  light.direction = {0.0f, 0.0f, 1.0f};
  light.ambient = {0.25f, 0.0f, 0.0f, 0.0f};
  light.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  ASSERT_EQ(Device().SetLight(0, light), Sys3DError::Ok);
  ASSERT_EQ(Device().LightEnable(0, true), Sys3DError::Ok);
  Device().Clear(Sys3DClear::ZBuffer, 0, 1.0f);
  h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFFFFFFFF);
  EXPECT_TRUE(Near(h.Pixel(8, 8), 0x804080)) << std::hex << h.Pixel(8, 8);
  // Lighting off: the vertex colour.
  Device().SetRenderState(RS::Lighting, 0);
  Device().Clear(Sys3DClear::ZBuffer, 0, 1.0f);
  h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFF123456);
  EXPECT_EQ(h.Pixel(8, 8), 0x123456u);
}

TEST_F(Device3DDrawing, LineStripWithoutLastPixelCoversStartsNotEnd) {
  Device().SetRenderState(Sys3DRenderState::LastPixel, 0);
  h.ScreenLine({{1, 1}, {5, 1}}, kRed);     // right
  h.ScreenLine({{7, 1}, {7, 5}}, kGreen);   // down
  h.ScreenLine({{9, 5}, {9, 1}}, kBlue);    // up
  h.ScreenLine({{14, 6}, {11, 9}}, kRed);   // down-left diagonal
  EXPECT_EQ(h.PixelsOf(0x00FF00), (Pixels{{7, 1}, {7, 2}, {7, 3}, {7, 4}}));
  EXPECT_EQ(h.PixelsOf(0x0000FF), (Pixels{{9, 2}, {9, 3}, {9, 4}, {9, 5}}));
  EXPECT_EQ(h.PixelsOf(0xFF0000), (Pixels{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {14, 6}, {13, 7}, {12, 8}}));

  // A closed frame still covers every corner.
  Device().Clear(Sys3DClear::Target, 0, 1.0f);
  h.ScreenLine({{2, 2}, {6, 2}, {6, 5}, {2, 5}, {2, 2}}, kGreen);
  Pixels frame;
  for (const auto& [x, y] : Device3DHarness::Rect(2, 2, 7, 6))
    if (x == 2 || x == 6 || y == 2 || y == 5) frame.emplace_back(x, y);
  EXPECT_EQ(h.PixelsOf(0x00FF00), frame);

  // LastPixel on adds the strip's end point.
  Device().SetRenderState(Sys3DRenderState::LastPixel, 1);
  h.ScreenLine({{1, 8}, {4, 8}, {4, 10}}, kRed);
  EXPECT_EQ(h.PixelsOf(0xFF0000), (Pixels{{1, 8}, {2, 8}, {3, 8}, {4, 8}, {4, 9}, {4, 10}}));
}

TEST_F(Device3DDrawing, BadDrawCallsAndScenesAreRefusedAndDrawNothing) {
  const ScreenVertex tri[3] = {{1, 1, 0, 1, kRed, 0, 0}, {9, 1, 0, 1, kRed, 0, 0}, {1, 9, 0, 1, kRed, 0, 0}};
  const std::uint32_t stride = sizeof(ScreenVertex);
  // No vertex format yet.
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleList, 1, tri, stride), Sys3DError::InvalidCall);
  ASSERT_EQ(Device().SetVertexFormat(kScreenFvf), Sys3DError::Ok);
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleList, 1, tri, stride - 4), Sys3DError::InvalidCall);
  // A count of -1 from a caller with too few vertices.
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, static_cast<std::uint32_t>(-1), tri, stride),
            Sys3DError::InvalidCall);
  EXPECT_TRUE(h.PixelsOf(0xFF0000).empty());
  // Scenes do not nest.
  EXPECT_EQ(Device().BeginScene(), Sys3DError::Ok);
  EXPECT_EQ(Device().BeginScene(), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().EndScene(), Sys3DError::Ok);
}

constexpr int kWidth = 64;
constexpr int kHeight = 48;

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

}  // namespace
