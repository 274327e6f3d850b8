// Where primitives land: pixel centres at integer coordinates, the top-left fill rule,
// and line strips covering each segment's start but not its end.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/platform/Device3D_Harness.h"

namespace {

using Pixels = std::vector<std::pair<int, int>>;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;

class Device3DPrimitives : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Open(16, 12)); }
  SysDevice3D& Device() { return h.Device(); }
  Device3DHarness h;
};

TEST_F(Device3DPrimitives, AdjacentQuadsCoverTopLeftEdgesWithoutGapOrOverlap) {
  Device().SetRenderState(Sys3DRenderState::ZFunc, Sys3DCompare::Always);
  h.ScreenQuad(1, 1, 5, 4, kRed);
  h.ScreenQuad(5, 1, 9, 4, kGreen);
  h.ScreenQuad(1, 4, 9, 7, kBlue);
  EXPECT_EQ(h.PixelsOf(0xFF0000), Device3DHarness::Rect(1, 1, 5, 4));
  EXPECT_EQ(h.PixelsOf(0x00FF00), Device3DHarness::Rect(5, 1, 9, 4));
  EXPECT_EQ(h.PixelsOf(0x0000FF), Device3DHarness::Rect(1, 4, 9, 7));
}

TEST_F(Device3DPrimitives, LineStripWithoutLastPixelCoversStartsNotEnd) {
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

TEST_F(Device3DPrimitives, CountsArePrimitivesNotVertices) {
  // Seven vertices, two triangles asked: the seventh is never used.
  const ScreenVertex list[7] = {
      {1, 1, 0, 1, kRed, 0, 0},  {5, 1, 0, 1, kRed, 0, 0},   {1, 5, 0, 1, kRed, 0, 0},
      {8, 1, 0, 1, kRed, 0, 0},  {12, 1, 0, 1, kRed, 0, 0},  {8, 5, 0, 1, kRed, 0, 0},
      {13, 9, 0, 1, kRed, 0, 0}};
  ASSERT_EQ(Device().SetVertexFormat(kScreenFvf), Sys3DError::Ok);
  ASSERT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleList, 2, list, sizeof(ScreenVertex)), Sys3DError::Ok);
  const Pixels red = h.PixelsOf(0xFF0000);
  EXPECT_EQ(red.size(), 2u * (4 + 3 + 2 + 1));  // two right triangles with legs of 4
  // A fan of 5 vertices is 3 triangles covering the 6 x 4 rectangle.
  const ScreenVertex fan[5] = {{2, 7, 0, 1, kBlue, 0, 0}, {5, 7, 0, 1, kBlue, 0, 0}, {8, 7, 0, 1, kBlue, 0, 0},
                               {8, 11, 0, 1, kBlue, 0, 0}, {2, 11, 0, 1, kBlue, 0, 0}};
  ASSERT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 3, fan, sizeof(ScreenVertex)), Sys3DError::Ok);
  EXPECT_EQ(h.PixelsOf(0x0000FF), Device3DHarness::Rect(2, 7, 8, 11));
}

TEST_F(Device3DPrimitives, ScreenVerticesWriteTheirDepth) {
  // z 0.5 is written; something at 0.6 behind it is hidden, at 0.4 it shows.
  h.ScreenQuad(2, 2, 10, 10, kRed, 0.5f);
  h.ScreenQuad(2, 2, 6, 6, kGreen, 0.6f);
  h.ScreenQuad(6, 6, 10, 10, kBlue, 0.4f);
  h.ScreenQuad(6, 2, 10, 6, kBlue, 0.5f);  // equal depth passes LessEqual
  EXPECT_TRUE(h.PixelsOf(0x00FF00).empty());
  EXPECT_EQ(h.PixelsOf(0x0000FF).size(), 32u);
}

TEST_F(Device3DPrimitives, ClearFillsTargetAndDepthEvenWithDepthWritesOff) {
  ASSERT_EQ(Device().Clear(Sys3DClear::Target, 0xFF123456, 1.0f), Sys3DError::Ok);
  EXPECT_EQ(h.PixelsOf(0x123456).size(), 16u * 12u);
  EXPECT_EQ(Device().Clear(0, 0, 1.0f), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().Clear(4, 0, 1.0f), Sys3DError::InvalidCall);
  h.ScreenQuad(0, 0, 16, 12, kRed, 0.0f);
  Device().SetRenderState(Sys3DRenderState::ZWriteEnable, 0);
  ASSERT_EQ(Device().Clear(Sys3DClear::ZBuffer, 0, 1.0f), Sys3DError::Ok);
  h.ScreenQuad(0, 0, 16, 12, kGreen, 0.9f);
  EXPECT_EQ(h.PixelsOf(0x00FF00).size(), 16u * 12u);
  // Depth writes off: the green quad left the depth at 1.0.
  h.ScreenQuad(0, 0, 16, 12, kBlue, 0.95f);
  EXPECT_EQ(h.PixelsOf(0x0000FF).size(), 16u * 12u);
}

TEST_F(Device3DPrimitives, BadDrawCallsAndScenesAreRefusedAndDrawNothing) {
  const ScreenVertex tri[3] = {{1, 1, 0, 1, kRed, 0, 0}, {9, 1, 0, 1, kRed, 0, 0}, {1, 9, 0, 1, kRed, 0, 0}};
  const std::uint32_t stride = sizeof(ScreenVertex);
  // No vertex format yet.
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleList, 1, tri, stride), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetVertexFormat(Sys3DFvf::Xyz), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().SetVertexFormat(Sys3DFvf::XyzRhw | Sys3DFvf::Diffuse | Sys3DFvf::Tex2), Sys3DError::InvalidCall);
  ASSERT_EQ(Device().SetVertexFormat(kScreenFvf), Sys3DError::Ok);
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleList, 1, nullptr, stride), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleList, 1, tri, stride - 4), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().DrawPrimitiveUP(static_cast<Sys3DPrimitive>(5), 1, tri, stride), Sys3DError::InvalidCall);
  // A count of -1 from a caller with too few vertices.
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, static_cast<std::uint32_t>(-1), tri, stride),
            Sys3DError::InvalidCall);
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleList, 0, tri, stride), Sys3DError::Ok);
  EXPECT_TRUE(h.PixelsOf(0xFF0000).empty());
  EXPECT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleList, 1, tri, stride), Sys3DError::Ok);
  EXPECT_FALSE(h.PixelsOf(0xFF0000).empty());
  // Scenes neither nest nor end unbegun.
  EXPECT_EQ(Device().EndScene(), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().BeginScene(), Sys3DError::Ok);
  EXPECT_EQ(Device().BeginScene(), Sys3DError::InvalidCall);
  EXPECT_EQ(Device().EndScene(), Sys3DError::Ok);
  EXPECT_EQ(Device().EndScene(), Sys3DError::InvalidCall);
}

}  // namespace
