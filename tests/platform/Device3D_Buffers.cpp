// Vertex buffers, back buffer, gamma ramp, device loss, and resources outliving their device.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/gl/GlDevice3D.h"
#include "tests/platform/Device3D_Harness.h"

namespace {

// Two triangles of a quad in clip space (identity transforms): x -1..1 is
// the width, y 1..-1 the height, corners clockwise on the screen.
void ClipQuad(WorldVertex* out, float x0, float y0, float x1, float y1, std::uint32_t colour) {
  const WorldVertex tl{x0, y0, 0.5f, colour, 0, 0};
  const WorldVertex tr{x1, y0, 0.5f, colour, 0, 0};
  const WorldVertex br{x1, y1, 0.5f, colour, 0, 0};
  const WorldVertex bl{x0, y1, 0.5f, colour, 0, 0};
  const WorldVertex triangles[6] = {tl, tr, br, tl, br, bl};
  std::memcpy(out, triangles, sizeof triangles);
}

class Device3DBuffers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(h.Open(16, 16));
    Device().SetRenderState(Sys3DRenderState::Lighting, 0);
  }
  SysDevice3D& Device() { return h.Device(); }
  std::unique_ptr<SysDevice3DVertexBuffer> TwoQuads() {
    std::unique_ptr<SysDevice3DVertexBuffer> buffer;
    EXPECT_EQ(Device().CreateVertexBuffer(12 * sizeof(WorldVertex), kWorldFvf, buffer), Sys3DError::Ok);
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, data), Sys3DError::Ok);
    auto* vertices = static_cast<WorldVertex*>(data);
    ClipQuad(vertices, -1, 1, 0, -1, 0xFFFF0000);     // left half red
    ClipQuad(vertices + 6, 0, 1, 1, -1, 0xFF00FF00);  // right half green
    EXPECT_EQ(buffer->Unlock(), Sys3DError::Ok);
    return buffer;
  }
  Device3DHarness h;
};

TEST_F(Device3DBuffers, UnlockedRangeIsWhatDrawPrimitiveDraws) {
  auto buffer = TwoQuads();
  // Recolour only the second quad through a ranged lock.
  void* data = nullptr;
  ASSERT_EQ(buffer->Lock(6 * sizeof(WorldVertex), 6 * sizeof(WorldVertex), data), Sys3DError::Ok);
  auto* vertices = static_cast<WorldVertex*>(data);
  for (int i = 0; i < 6; ++i) vertices[i].colour = 0xFF0000FF;
  ASSERT_EQ(buffer->Unlock(), Sys3DError::Ok);
  ASSERT_EQ(Device().SetVertexFormat(kWorldFvf), Sys3DError::Ok);
  ASSERT_EQ(Device().SetStreamSource(buffer.get(), sizeof(WorldVertex)), Sys3DError::Ok);
  ASSERT_EQ(Device().DrawPrimitive(Sys3DPrimitive::TriangleList, 6, 2), Sys3DError::Ok);
  EXPECT_EQ(h.PixelsOf(0x0000FF), Device3DHarness::Rect(8, 0, 16, 16));
  EXPECT_TRUE(h.PixelsOf(0xFF0000).empty());
  ASSERT_EQ(Device().DrawPrimitive(Sys3DPrimitive::TriangleList, 0, 2), Sys3DError::Ok);
  EXPECT_EQ(h.PixelsOf(0xFF0000), Device3DHarness::Rect(0, 0, 8, 16));
}

TEST_F(Device3DBuffers, LocksStayInsideTheBufferOneAtATime) {
  std::unique_ptr<SysDevice3DVertexBuffer> buffer;
  ASSERT_EQ(Device().CreateVertexBuffer(240, kWorldFvf, buffer), Sys3DError::Ok);
  void* data = nullptr;
  EXPECT_EQ(buffer->Lock(200, 48, data), Sys3DError::InvalidCall);
  ASSERT_EQ(buffer->Lock(216, 0, data), Sys3DError::Ok);  // size 0: to the end
  std::memset(data, 0xAB, 24);  // the last vertex, all of the rest
  EXPECT_EQ(buffer->Lock(0, 24, data), Sys3DError::InvalidCall);
  EXPECT_EQ(buffer->Unlock(), Sys3DError::Ok);
  ASSERT_EQ(buffer->Lock(0, 0, data), Sys3DError::Ok);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  EXPECT_EQ(bytes[215], 0);  // zero-filled at creation
  EXPECT_EQ(bytes[216], 0xAB);
  EXPECT_EQ(bytes[239], 0xAB);
  EXPECT_EQ(buffer->Unlock(), Sys3DError::Ok);
}

TEST_F(Device3DBuffers, DrawPrimitiveRefusesWhatTheBufferCannotGive) {
  auto buffer = TwoQuads();
  Device().SetVertexFormat(kWorldFvf);
  EXPECT_EQ(Device().DrawPrimitive(Sys3DPrimitive::TriangleList, 0, 1), Sys3DError::InvalidCall);  // no stream
  Device().SetStreamSource(buffer.get(), sizeof(WorldVertex));
  EXPECT_EQ(Device().DrawPrimitive(Sys3DPrimitive::TriangleList, 7, 2), Sys3DError::InvalidCall);  // past the end
  void* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, data), Sys3DError::Ok);
  EXPECT_EQ(Device().DrawPrimitive(Sys3DPrimitive::TriangleList, 0, 1), Sys3DError::InvalidCall);  // locked
  ASSERT_EQ(buffer->Unlock(), Sys3DError::Ok);
  Device().SetStreamSource(buffer.get(), 8);
  EXPECT_EQ(Device().DrawPrimitive(Sys3DPrimitive::TriangleList, 0, 1), Sys3DError::InvalidCall);  // stride
  EXPECT_TRUE(h.PixelsOf(0xFF0000).empty());
}

TEST(Device3DLifetime, ResourcesOutlivingTheDeviceKeepOnlyTheirCopies) {
  Device3DHarness h;
  ASSERT_TRUE(h.Open(8, 8));
  std::unique_ptr<SysDevice3DTexture> texture;
  std::unique_ptr<SysDevice3DVertexBuffer> buffer;
  ASSERT_EQ(h.Device().CreateTexture(4, 4, 0, Sys3DFormat::A4R4G4B4, texture), Sys3DError::Ok);
  ASSERT_EQ(h.Device().CreateVertexBuffer(96, kWorldFvf, buffer), Sys3DError::Ok);
  h.Device().SetTexture(0, texture.get());
  h.Device().SetStreamSource(buffer.get(), sizeof(WorldVertex));
  h.Close();  // device first, as the game's shut-down does
  Sys3DLockedRect locked;
  EXPECT_EQ(texture->LockRect(0, locked), Sys3DError::InvalidCall);
  void* data = nullptr;
  EXPECT_EQ(buffer->Lock(0, 0, data), Sys3DError::InvalidCall);
  EXPECT_EQ(texture->GetLevelCount(), 3u);
}

TEST(Device3DLifetime, ReleasedTextureIsNoLongerBound) {
  Device3DHarness h;
  ASSERT_TRUE(h.Open(8, 8));
  std::unique_ptr<SysDevice3DTexture> texture;
  ASSERT_EQ(h.Device().CreateTexture(1, 1, 1, Sys3DFormat::R5G6B5, texture), Sys3DError::Ok);
  h.Device().SetTexture(0, texture.get());
  texture.reset();
  h.ScreenQuad(0, 0, 8, 8, 0xFF123456);  // drawn untextured: the diffuse colour
  EXPECT_EQ(h.Pixel(3, 3), 0x123456u);
}

TEST(Device3DBackBuffer, ReadGivesTopRowFirstAtTheBackBuffersOwnSize) {
  Device3DHarness h;
  Sys3DPresentParams params;
  params.backBufferWidth = 20;
  params.backBufferHeight = 10;
  params.backBufferFormat = Sys3DFormat::X8R8G8B8;
  ASSERT_TRUE(h.Open(40, 30, params));
  h.ScreenQuad(0, 0, 20, 1, 0xFFFF0000);
  h.ScreenQuad(19, 9, 20, 10, 0xFF00FF00);
  std::vector<std::uint32_t> pixels;
  std::int32_t width = 0;
  std::int32_t height = 0;
  ASSERT_EQ(h.Device().ReadBackBuffer(pixels, width, height), Sys3DError::Ok);
  EXPECT_EQ(width, 20);
  EXPECT_EQ(height, 10);
  ASSERT_EQ(pixels.size(), 200u);
  EXPECT_EQ(pixels[0], 0xFF0000u);
  EXPECT_EQ(pixels[19], 0xFF0000u);
  EXPECT_EQ(pixels[20], 0u);
  EXPECT_EQ(pixels[199], 0x00FF00u);
  // The window gets the picture scaled to its own size.
  h.Backend().ComposeWindowPicture();
  std::vector<std::uint32_t> window;
  h.Backend().ReadWindowPicture(window, width, height);
  EXPECT_EQ(width, 40);
  EXPECT_EQ(height, 30);
  EXPECT_EQ(window[0], 0xFF0000u);
  EXPECT_EQ(window[15 * 40 + 20], 0u);
  EXPECT_EQ(h.Device().Present(), Sys3DError::Ok);
}

TEST(Device3DBackBuffer, GammaRampShapesTheWindowPictureButNotTheRead) {
  Device3DHarness h;
  ASSERT_TRUE(h.Open(8, 8));
  Sys3DGammaRamp ramp;
  for (int i = 0; i < 256; ++i) {
    ramp.red[i] = static_cast<std::uint16_t>(i * 257 / 2);    // half
    ramp.green[i] = static_cast<std::uint16_t>(i * 257);      // as is
    ramp.blue[i] = static_cast<std::uint16_t>(65535 - i * 257);  // inverted
  }
  ASSERT_EQ(h.Device().SetGammaRamp(ramp), Sys3DError::Ok);
  Sys3DGammaRamp kept;
  ASSERT_EQ(h.Device().GetGammaRamp(kept), Sys3DError::Ok);
  h.Device().Clear(Sys3DClear::Target, 0xFF80C010, 1.0f);
  EXPECT_EQ(h.Pixel(2, 2), 0x80C010u);
  h.Backend().ComposeWindowPicture();
  std::vector<std::uint32_t> window;
  std::int32_t width = 0;
  std::int32_t height = 0;
  h.Backend().ReadWindowPicture(window, width, height);
  // red 128 -> 128 x 257 / 2 = 16448 -> 64; green 192 as is; blue 16 -> 239.
  EXPECT_EQ(window[2 * 8 + 2], 0x40C0EFu);
  EXPECT_EQ(h.Pixel(2, 2), 0x80C010u);
}

TEST(Device3DBackBuffer, LostDeviceRefusesPresentUntilReset) {
  Device3DHarness h;
  ASSERT_TRUE(h.Open(8, 8));
  SysDevice3D& device = h.Device();
  EXPECT_EQ(device.TestCooperativeLevel(), Sys3DError::Ok);
  device.NotifyWindowLost();
  EXPECT_EQ(device.TestCooperativeLevel(), Sys3DError::DeviceLost);
  EXPECT_EQ(device.Present(), Sys3DError::DeviceLost);
  Sys3DPresentParams params;
  params.backBufferWidth = 8;
  params.backBufferHeight = 8;
  params.backBufferFormat = Sys3DFormat::X8R8G8B8;
  EXPECT_EQ(device.Reset(params), Sys3DError::DeviceLost);
  // Drawing goes on while lost.
  EXPECT_EQ(device.Clear(Sys3DClear::Target, 0xFF0000FF, 1.0f), Sys3DError::Ok);
  device.NotifyWindowRestored();
  EXPECT_EQ(device.TestCooperativeLevel(), Sys3DError::DeviceNotReset);
  EXPECT_EQ(device.Present(), Sys3DError::DeviceNotReset);
  EXPECT_EQ(device.Reset(params), Sys3DError::Ok);
  EXPECT_EQ(device.TestCooperativeLevel(), Sys3DError::Ok);
  EXPECT_EQ(device.Present(), Sys3DError::Ok);
}

}  // namespace
