#include <gtest/gtest.h>

#include "tests/platform/Device3D_Harness.h"

namespace {

using RS = Sys3DRenderState;
using SS = Sys3DStageState;

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
  Device3DHarness h;
};

TEST_F(Device3DDrawing, RefusedValuesChangeNothingAndResetReturnsEveryStateToRest) {
  const std::pair<RS, std::uint32_t> refused[] = {{RS::AlphaFunc, Sys3DCompare::Always + 1}, {RS::AlphaRef, 256},
                                                  {RS::Count, 0}};
  for (const auto& [state, value] : refused)
    EXPECT_EQ(Device().SetRenderState(state, value), Sys3DError::InvalidCall) << static_cast<int>(state);
  EXPECT_TRUE(Render(RS::AlphaFunc) == Sys3DCompare::Always && Render(RS::AlphaRef) == 0u &&
              Device().SetTextureStageState(0, SS::MinFilter, Sys3DFilter::None) == Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetTextureStageState(0, SS::AddressU, 7), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetTextureStageState(0, SS::TexCoordIndex, 8), Sys3DError::InvalidCall);
  std::uint32_t value = 0;
  EXPECT_EQ(Device().GetTextureStageState(9, SS::MinFilter, value), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetTexture(8, nullptr), Sys3DError::InvalidCall);
  EXPECT_EQ(Stage(0, SS::MinFilter), Sys3DFilter::Point);
  Sys3DLight light;
  light.type = static_cast<decltype(light.type)>(99);
  EXPECT_EQ(Device().SetLight(0, light), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().LightEnable(8, true), Sys3DError::InvalidCall);

  ASSERT_EQ(Device().SetRenderState(RS::AlphaBlendEnable, 1), Sys3DError::Ok);
  ASSERT_EQ(Device().SetTextureStageState(0, SS::AddressU, Sys3DAddress::Clamp), Sys3DError::Ok);
  Sys3DPresentParams params = BackBuffer(8, 8);
  ASSERT_EQ(Device().Reset(params), Sys3DError::Ok);
  EXPECT_TRUE(Render(RS::AlphaBlendEnable) == 0u && Stage(0, SS::AddressU) == Sys3DAddress::Wrap);
}

TEST_F(Device3DDrawing, LightingWithoutNormalsGivesAmbientAndEmissiveOnlyAndLinearFogRunsOnEyeDepth) {
  h.UseGameProjection();
  // Resting state: lighting on, ambient 0, zero material: black.
  h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFFFFFFFF);
  EXPECT_EQ(h.Pixel(8, 8), 0u);
  Sys3DMaterial material;
  material.ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  material.emissive = {0.0f, 0.0f, 0.25f, 0.0f};
  ASSERT_EQ(Device().SetMaterial(material), Sys3DError::Ok);
  Device().SetRenderState(RS::Ambient, 0x00404040);
  // A directional light adds its ambient colour; its diffuse colour needs a normal, which no vertex format has.
  Sys3DLight light;
  light.type = Sys3DLightType::Directional;
  light.direction = {0.0f, 0.0f, 1.0f};
  light.ambient = {0.25f, 0.0f, 0.0f, 0.0f};
  light.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  ASSERT_EQ(Device().SetLight(0, light), Sys3DError::Ok);
  for (const auto& [on, colour] : {std::pair{false, 0x404080u}, std::pair{true, 0x804080u}}) {
    ASSERT_EQ(Device().LightEnable(0, on), Sys3DError::Ok);
    Device().Clear(Sys3DClear::ZBuffer, 0, 1.0f);
    h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFFFFFFFF);
    EXPECT_TRUE(Near(h.Pixel(8, 8), colour)) << std::hex << h.Pixel(8, 8);
  }
  Device().SetRenderState(RS::Lighting, 0);
  Device().Clear(Sys3DClear::ZBuffer, 0, 1.0f);
  h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFF123456);
  EXPECT_EQ(h.Pixel(8, 8), 0x123456u);

  // f = (end - depth) / (end - start); colour = f x black + (1 - f) x white. Screen vertices have rhw 1, so depth 1.
  const struct {
    bool screen;
    float start, end, depth;
    std::uint32_t mode, colour;
  } cases[] = {
      {false, 2, 6, 4.0f, Sys3DFogMode::Linear, 0x808080}, {false, 2, 6, 5.0f, Sys3DFogMode::Linear, 0xBFBFBF},
      {false, 2, 6, 1.5f, Sys3DFogMode::Linear, 0},         {true, 1, 3, 0, Sys3DFogMode::Linear, 0},
      {true, 0, 2, 0, Sys3DFogMode::Linear, 0x808080},      {true, 0, 2, 0, Sys3DFogMode::None, 0},
  };
  Device().SetRenderState(RS::FogEnable, 1);
  Device().SetRenderState(RS::FogColour, 0xFFFFFF);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << ".." << c.end << " at " << c.depth << (c.screen ? " s" : ""));
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

}  // namespace
