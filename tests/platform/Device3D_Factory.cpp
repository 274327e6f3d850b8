// Display modes, capabilities of the real context, device creation and result texts.

#include <gtest/gtest.h>

#include <vector>

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

TEST(Device3DCaps, WorkingContextMeetsTheGamesRequirements) {
  auto factory = SysCreateDevice3DFactory();
  ASSERT_NE(factory, nullptr);
  Sys3DCaps caps;
  ASSERT_EQ(factory->GetDeviceCaps(caps), Sys3DError::Ok);
  EXPECT_TRUE(caps.hardwareRasterization && caps.textureMipmap && caps.textureOpModulate);
  EXPECT_GE(caps.maxSimultaneousTextures, 2u);
  EXPECT_GE(caps.maxTextureWidth, 1024u);
  // Nothing the device does not offer is claimed.
  EXPECT_FALSE(caps.hardwareCursor || caps.pureDevice || caps.anisotropicFiltering);
}

TEST(Device3DCreation, RefusesWindowsAndBackBuffersItCannotDrawInto) {
  auto factory = SysCreateDevice3DFactory();
  ASSERT_NE(factory, nullptr);
  const auto attempt = [&](SDL_Window* window, int width, Sys3DFormat format, bool windowed, std::uint32_t samples) {
    Sys3DPresentParams params;
    params.backBufferWidth = width;
    params.backBufferHeight = 8;
    params.backBufferFormat = format;
    params.windowed = windowed;
    params.multiSampleType = samples;
    std::unique_ptr<SysDevice3D> device;
    const Sys3DResult result = factory->CreateDevice(window, params, device);
    EXPECT_EQ(device == nullptr, result != Sys3DError::Ok);
    return result;
  };
  SDL_Window* plain = SDL_CreateWindow("plain", 0, 0, 8, 8, SDL_WINDOW_HIDDEN);
  SDL_Window* window = SDL_CreateWindow("gl", 0, 0, 8, 8, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  ASSERT_TRUE(plain != nullptr && window != nullptr);
  EXPECT_EQ(attempt(nullptr, 8, Sys3DFormat::X8R8G8B8, true, 0), Sys3DError::InvalidCall);
  EXPECT_EQ(attempt(plain, 8, Sys3DFormat::X8R8G8B8, true, 0), Sys3DError::InvalidCall);
  EXPECT_EQ(attempt(window, 0, Sys3DFormat::X8R8G8B8, true, 0), Sys3DError::InvalidCall);
  EXPECT_EQ(attempt(window, 8, Sys3DFormat::X8R8G8B8, true, 1), Sys3DError::InvalidCall);
  EXPECT_EQ(attempt(window, 8, Sys3DFormat::Unknown, true, 0), Sys3DError::Ok);  // a window takes 32 bits
  SDL_DestroyWindow(window);
  SDL_DestroyWindow(plain);
}

TEST(Device3DCreation, MultisampleFallsBackToNoneBeyondTheDriverAndReadsTheResolvedPicture) {
  auto factory = SysCreateDevice3DFactory();
  ASSERT_NE(factory, nullptr);
  Sys3DCaps caps;
  ASSERT_EQ(factory->GetDeviceCaps(caps), Sys3DError::Ok);
  const std::uint32_t asked = caps.maxMultiSamples >= 4 ? 4 : 16;
  if (asked == 16 && caps.maxMultiSamples >= 16) GTEST_SKIP() << "the driver does 16 samples";
  Device3DHarness h;
  Sys3DPresentParams params;
  params.backBufferWidth = 16;
  params.backBufferHeight = 16;
  params.backBufferFormat = Sys3DFormat::X8R8G8B8;
  params.multiSampleType = asked;
  ASSERT_TRUE(h.Open(16, 16, params));
  if (asked == 16) {
    EXPECT_EQ(params.multiSampleType, 0u);
    return;
  }
  EXPECT_EQ(params.multiSampleType, 4u);
  // Multisample antialiasing rests on: the pixels the edges cut through
  // (columns and rows 2 and 10) are partly covered.
  h.ScreenQuad(2, 2, 10, 10, 0xFFFF0000);
  EXPECT_EQ(h.PixelsOf(0xFF0000), Device3DHarness::Rect(3, 3, 10, 10));
  const std::uint32_t edge = h.Pixel(2, 5);
  EXPECT_GT(edge, 0u);
  EXPECT_LT(edge, 0xFF0000u);
  // Switched off, the picture is the single-sample one.
  h.Device().Clear(Sys3DClear::Target, 0, 1.0f);
  h.Device().SetRenderState(Sys3DRenderState::MultisampleAntialias, 0);
  h.ScreenQuad(2, 2, 10, 10, 0xFFFF0000);
  EXPECT_EQ(h.PixelsOf(0xFF0000), Device3DHarness::Rect(2, 2, 10, 10));
  EXPECT_EQ(h.Device().Present(), Sys3DError::Ok);
}

TEST(Device3DCreation, SixteenBitBackBufferReadsTopBitsOfEachChannel) {
  Device3DHarness h;
  Sys3DPresentParams params;
  params.backBufferWidth = 4;
  params.backBufferHeight = 4;
  params.backBufferFormat = Sys3DFormat::R5G6B5;
  ASSERT_TRUE(h.Open(4, 4, params));
  h.Device().Clear(Sys3DClear::Target, 0xFFFFFFFF, 1.0f);
  EXPECT_EQ(h.Pixel(0, 0), 0xF8FCF8u);
  // 0x12 -> 5 bits 2 -> 0x10; 0x34 -> 6 bits 13 -> 0x34; 0x56 -> 5 bits 10 -> 0x50.
  h.Device().Clear(Sys3DClear::Target, 0xFF123456, 1.0f);
  EXPECT_EQ(h.Pixel(3, 3), 0x103450u);
}

TEST(Device3DResults, TextsVertexAndPixelSizes) {
  EXPECT_STREQ(Sys3DResultText(-77), "Unknown error");
  EXPECT_STREQ(Sys3DResultText(Sys3DError::DeviceLost), "Device lost: the window is minimised or has lost the focus");
  EXPECT_EQ(Sys3DVertexSize(kWorldFvf), 24u);
  EXPECT_EQ(Sys3DVertexSize(kDualFvf), 32u);
  EXPECT_EQ(Sys3DVertexSize(kScreenFvf), 28u);
  EXPECT_EQ(Sys3DVertexSize(Sys3DFvf::Xyz | Sys3DFvf::Diffuse), 0u);
  EXPECT_EQ(Sys3DBytesPerPixel(Sys3DFormat::A4R4G4B4), 2u);
  EXPECT_EQ(Sys3DBytesPerPixel(Sys3DFormat::Unknown), 0u);
}

}  // namespace
