// Render and texture-stage states: resting values, refusals, and their effect on pixels.

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "tests/platform/Device3D_Harness.h"

namespace {

using RS = Sys3DRenderState;
using SS = Sys3DStageState;
constexpr std::uint32_t kRed = 0xFFFF0000;

class Device3DStates : public ::testing::Test {
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

TEST_F(Device3DStates, NewDeviceHoldsTheRestingState) {
  const std::vector<std::pair<RS, std::uint32_t>> resting = {
      {RS::ZEnable, 1}, {RS::FillMode, Sys3DFill::Solid}, {RS::ShadeMode, Sys3DShade::Gouraud}, {RS::ZWriteEnable, 1},
      {RS::AlphaTestEnable, 0}, {RS::AlphaRef, 0}, {RS::AlphaFunc, Sys3DCompare::Always}, {RS::LastPixel, 1},
      {RS::CullMode, Sys3DCull::CounterClockwise}, {RS::ZFunc, Sys3DCompare::LessEqual}, {RS::DitherEnable, 0},
      {RS::FogEnable, 0}, {RS::FogColour, 0}, {RS::FogStart, Sys3DFloatBits(0.0f)},
      {RS::FogEnd, Sys3DFloatBits(1.0f)}, {RS::FogTableMode, Sys3DFogMode::None}, {RS::SpecularEnable, 0},
      {RS::Clipping, 1}, {RS::Lighting, 1}, {RS::Ambient, 0}, {RS::EdgeAntialias, 0}, {RS::MultisampleAntialias, 1},
      {RS::SrcBlend, Sys3DBlend::One}, {RS::DestBlend, Sys3DBlend::Zero}, {RS::AlphaBlendEnable, 0},
  };
  for (const auto& [state, value] : resting) {
    EXPECT_EQ(Render(state), value) << "render state " << static_cast<int>(state);
  }
  EXPECT_EQ(Stage(0, SS::ColourOp), Sys3DTextureOp::Modulate);
  EXPECT_EQ(Stage(0, SS::AlphaOp), Sys3DTextureOp::SelectArg1);
  EXPECT_EQ(Stage(1, SS::ColourOp), Sys3DTextureOp::Disable);
  EXPECT_EQ(Stage(1, SS::AlphaOp), Sys3DTextureOp::Disable);
  for (std::uint32_t stage = 0; stage < 2; ++stage) {
    EXPECT_EQ(Stage(stage, SS::ColourArg1), Sys3DTextureArg::Texture);
    EXPECT_EQ(Stage(stage, SS::ColourArg2), Sys3DTextureArg::Current);
    EXPECT_EQ(Stage(stage, SS::AlphaArg1), Sys3DTextureArg::Texture);
    EXPECT_EQ(Stage(stage, SS::AlphaArg2), Sys3DTextureArg::Current);
    EXPECT_EQ(Stage(stage, SS::MagFilter), Sys3DFilter::Point);
    EXPECT_EQ(Stage(stage, SS::MinFilter), Sys3DFilter::Point);
    EXPECT_EQ(Stage(stage, SS::MipFilter), Sys3DFilter::None);
    EXPECT_EQ(Stage(stage, SS::AddressU), Sys3DAddress::Wrap);
    EXPECT_EQ(Stage(stage, SS::AddressV), Sys3DAddress::Wrap);
    EXPECT_EQ(Stage(stage, SS::TexCoordIndex), stage);
  }
  Sys3DMatrix world;
  ASSERT_EQ(Device().GetTransform(Sys3DTransform::World, world), Sys3DError::Ok);
  EXPECT_EQ(world.m[0][0], 1.0f);
  EXPECT_EQ(world.m[3][0], 0.0f);
}

TEST_F(Device3DStates, ValuesOutsideAStatesRangeAreRefusedAndChangeNothing) {
  const std::pair<RS, std::uint32_t> refused[] = {{RS::AlphaFunc, 0}, {RS::AlphaFunc, Sys3DCompare::Always + 1},
                                                  {RS::CullMode, 4}, {RS::FogTableMode, 1},
                                                  {RS::AlphaRef, 256}, {RS::Count, 0}};
  for (const auto& [state, value] : refused)
    EXPECT_EQ(Device().SetRenderState(state, value), Sys3DError::InvalidCall) << static_cast<int>(state);
  EXPECT_EQ(Render(RS::AlphaFunc), Sys3DCompare::Always);
  EXPECT_EQ(Render(RS::AlphaRef), 0u);
  EXPECT_EQ(Device().SetTextureStageState(0, SS::MinFilter, Sys3DFilter::None), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetTextureStageState(0, SS::TexCoordIndex, 8), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetTextureStageState(0, SS::ColourOp, 0), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetTextureStageState(8, SS::ColourOp, Sys3DTextureOp::Modulate), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetTexture(8, nullptr), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().LightEnable(8, true), Sys3DError::InvalidCall);
  EXPECT_EQ(Stage(0, SS::MinFilter), Sys3DFilter::Point);
}

TEST_F(Device3DStates, ResetReturnsEveryStateToRest) {
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

TEST_F(Device3DStates, WithoutTextureColourAndAlphaAreTheVertexColours) {
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

TEST_F(Device3DStates, BlendingSrcAlphaInvSrcAlphaMixesWithTheBackground) {
  Device().Clear(Sys3DClear::Target, 0xFF00FF00, 1.0f);
  Device().SetRenderState(RS::AlphaBlendEnable, 1);
  Device().SetRenderState(RS::SrcBlend, Sys3DBlend::SrcAlpha);
  Device().SetRenderState(RS::DestBlend, Sys3DBlend::InvSrcAlpha);
  h.ScreenQuad(0, 0, 4, 4, 0x40FF0000);
  // red 255 x 64/255 = 64; green 255 x 191/255 = 191
  EXPECT_EQ(h.Pixel(1, 1), 0x40BF00u);
  Device().SetRenderState(RS::AlphaBlendEnable, 0);
  h.ScreenQuad(4, 0, 8, 4, 0x40FF0000);
  EXPECT_EQ(h.Pixel(5, 1), 0xFF0000u);
}

TEST_F(Device3DStates, CullingFollowsTheWindingOnTheScreen) {
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
  Device().SetRenderState(RS::CullMode, Sys3DCull::None);
  quad(4, 8, false, 0xFF000002);
  EXPECT_EQ(h.PixelsOf(2).size(), 16u);
}

TEST_F(Device3DStates, DepthTestAndWritesFollowTheirStates) {
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

TEST_F(Device3DStates, LinearFogRunsOnEyeDepth) {
  h.UseGameProjection();
  Device().SetRenderState(RS::Lighting, 0);
  Device().SetRenderState(RS::FogEnable, 1);
  Device().SetRenderState(RS::FogTableMode, Sys3DFogMode::Linear);
  Device().SetRenderState(RS::FogColour, 0xFFFFFF);
  Device().SetRenderState(RS::FogStart, Sys3DFloatBits(2.0f));
  Device().SetRenderState(RS::FogEnd, Sys3DFloatBits(6.0f));
  // f = (end - depth) / (end - start); colour = f x black + (1 - f) x white.
  h.WorldQuad(-5, 5, 5, -5, 4.0f, 0xFF000000);  // f = 0.5
  EXPECT_TRUE(Near(h.Pixel(8, 8), 0x808080)) << std::hex << h.Pixel(8, 8);
  Device().Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f);
  h.WorldQuad(-5, 5, 5, -5, 5.0f, 0xFF000000);  // f = 0.25
  EXPECT_TRUE(Near(h.Pixel(8, 8), 0xBFBFBF)) << std::hex << h.Pixel(8, 8);
  Device().Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f);
  h.WorldQuad(-5, 5, 5, -5, 1.5f, 0xFF000000);  // before the start: no fog
  EXPECT_EQ(h.Pixel(8, 8), 0u);
}

TEST_F(Device3DStates, ScreenVerticesAreFoggedAtDepthOneOverRhw) {
  Device().SetRenderState(RS::FogEnable, 1);
  Device().SetRenderState(RS::FogTableMode, Sys3DFogMode::Linear);
  Device().SetRenderState(RS::FogColour, 0xFFFFFF);
  Device().SetRenderState(RS::FogStart, Sys3DFloatBits(1.0f));
  Device().SetRenderState(RS::FogEnd, Sys3DFloatBits(3.0f));
  h.ScreenQuad(0, 0, 8, 8, 0xFF000000);  // rhw 1: depth 1 = start, no fog
  EXPECT_EQ(h.Pixel(2, 2), 0u);
  Device().SetRenderState(RS::FogStart, Sys3DFloatBits(0.0f));
  Device().SetRenderState(RS::FogEnd, Sys3DFloatBits(2.0f));
  h.ScreenQuad(8, 0, 16, 8, 0xFF000000);  // f = (2 - 1) / 2
  EXPECT_TRUE(Near(h.Pixel(10, 2), 0x808080)) << std::hex << h.Pixel(10, 2);
  Device().SetRenderState(RS::FogTableMode, Sys3DFogMode::None);
  h.ScreenQuad(0, 8, 8, 16, 0xFF000000);  // fog on without a table mode: none
  EXPECT_EQ(h.Pixel(2, 10), 0u);
}

TEST_F(Device3DStates, LightingOnWithoutNormalsGivesAmbientAndEmissiveOnly) {
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

}  // namespace
