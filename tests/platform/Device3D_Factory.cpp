#include <gtest/gtest.h>

#include "platform/gl/GlDisplayModes.h"
#include "tests/platform/Device3D_Harness.h"

static bool operator==(const Sys3DDisplayMode& a, const Sys3DDisplayMode& b) {
  return a.width == b.width && a.height == b.height && a.format == b.format;
}

namespace {

TEST(Device3DModes, EachSizeAndFormatIsListedOnceInFirstSeenOrder) {
  const std::vector<GlRawDisplayMode> raw = {
      {1024, 768, 32}, {1024, 768, 32},  // two refresh rates
      {1024, 768, 16}, {800, 600, 24},  {640, 480, 15}, {0, 0, 0},
      {1152, 864, 8},  {800, 600, 32},  // 24 and 32 bits are the same format
  };
  const std::vector<Sys3DDisplayMode> expected = {{1024, 768, Sys3DFormat::X8R8G8B8},
                                                  {1024, 768, Sys3DFormat::R5G6B5},
                                                  {800, 600, Sys3DFormat::X8R8G8B8},
                                                  {640, 480, Sys3DFormat::X1R5G5B5}};
  EXPECT_EQ(GlBuildModeList(raw), expected);
}

TEST(Device3DBackBuffer, ReadGivesTopRowFirstAndTheWindowGetsItScaledThroughTheGammaRamp) {
  Device3DHarness h;
  Sys3DPresentParams params = BackBuffer(20, 10, Sys3DFormat::X8R8G8B8);
  ASSERT_TRUE(h.Open(40, 30, params));
  h.ScreenQuad(0, 0, 20, 1, 0xFFFF0000);
  h.ScreenQuad(19, 9, 20, 10, 0xFF00FF00);
  std::vector<std::uint32_t> pixels;
  std::int32_t width = 0;
  std::int32_t height = 0;
  ASSERT_EQ(h.Device().ReadBackBuffer(pixels, width, height), Sys3DError::Ok);
  EXPECT_TRUE(width == 20 && height == 10);
  ASSERT_EQ(pixels.size(), 200u);
  EXPECT_TRUE(pixels[0] == 0xFF0000u && pixels[19] == 0xFF0000u && pixels[20] == 0u && pixels[199] == 0x00FF00u);
  h.Backend().ComposeWindowPicture();
  std::vector<std::uint32_t> window;
  h.Backend().ReadWindowPicture(window, width, height);
  EXPECT_TRUE(width == 40 && height == 30 && window[0] == 0xFF0000u && window[15 * 40 + 20] == 0u);

  Sys3DGammaRamp ramp;
  for (int i = 0; i < 256; ++i) {
    ramp.red[i] = static_cast<std::uint16_t>(i * 257 / 2);       // half
    ramp.green[i] = static_cast<std::uint16_t>(i * 257);         // as is
    ramp.blue[i] = static_cast<std::uint16_t>(65535 - i * 257);  // inverted
  }
  ASSERT_EQ(h.Device().SetGammaRamp(ramp), Sys3DError::Ok);
  h.Device().Clear(Sys3DClear::Target, 0xFF80C010, 1.0f);
  h.Backend().ComposeWindowPicture();
  h.Backend().ReadWindowPicture(window, width, height);
  // red 128 -> 128 x 257 / 2 = 16448 -> 64; green 192 as is; blue 16 -> 239.
  EXPECT_TRUE(window[2 * 40 + 2] == 0x40C0EFu && h.Pixel(2, 2) == 0x80C010u);   // the read is not shaped
  EXPECT_EQ(h.Device().Present(), Sys3DError::Ok);
}

TEST(Device3DCreation, SixteenBitBackBufferReadsTopBitsOfEachChannelAndSizesFollowTheFormat) {
  Device3DHarness h;
  Sys3DPresentParams params = BackBuffer(4, 4, Sys3DFormat::R5G6B5);
  ASSERT_TRUE(h.Open(4, 4, params));
  h.Device().Clear(Sys3DClear::Target, 0xFFFFFFFF, 1.0f);
  EXPECT_EQ(h.Pixel(0, 0), 0xF8FCF8u);
  // 0x12 -> 5 bits 2 -> 0x10; 0x34 -> 6 bits 13 -> 0x34; 0x56 -> 5 bits 10 -> 0x50.
  h.Device().Clear(Sys3DClear::Target, 0xFF123456, 1.0f);
  EXPECT_EQ(h.Pixel(3, 3), 0x103450u);
  EXPECT_TRUE(Sys3DVertexSize(kWorldFvf) == 24u && Sys3DVertexSize(kScreenFvf) == 28u &&
              Sys3DVertexSize(Sys3DFvf::Xyz | Sys3DFvf::Diffuse) == 0u);
  EXPECT_TRUE(Sys3DBytesPerPixel(Sys3DFormat::A4R4G4B4) == 2u && Sys3DBytesPerPixel(Sys3DFormat::Unknown) == 0u);
}

}  // namespace
