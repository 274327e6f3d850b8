// Texture formats, packed copies, mip levels, addressing and stage operations.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/gl/GlTexels.h"
#include "tests/platform/Device3D_Harness.h"

namespace {

using SS = Sys3DStageState;

std::uint32_t Rgba(const std::uint8_t rgba[4]) {
  return static_cast<std::uint32_t>(rgba[3]) << 24 | static_cast<std::uint32_t>(rgba[0]) << 16 |
         static_cast<std::uint32_t>(rgba[1]) << 8 | rgba[2];
}

std::uint32_t Expand16(Sys3DFormat format, std::uint16_t texel) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(texel & 0xFF), static_cast<std::uint8_t>(texel >> 8)};
  std::uint8_t rgba[4];
  GlExpandTexel(format, bytes, rgba);
  return Rgba(rgba);
}

TEST(Device3DTexels, NarrowChannelsWidenByBitReplicationAndChainsRunDownToOneByOne) {
  // A4R4G4B4: a 8 -> 0x88, r F -> 0xFF, g 3 -> 0x33, b C -> 0xCC.
  EXPECT_EQ(Expand16(Sys3DFormat::A4R4G4B4, 0x8F3C), 0x88FF33CCu);
  // A1R5G5B5: the alpha bit is all or nothing; 5 bits v -> (v << 3) | (v >> 2).
  EXPECT_EQ(Expand16(Sys3DFormat::A1R5G5B5, 0x801F), 0xFF0000FFu);
  EXPECT_EQ(Expand16(Sys3DFormat::A1R5G5B5, 0x7C00), 0x00FF0000u);
  EXPECT_EQ(Expand16(Sys3DFormat::A1R5G5B5, 0x0421), 0x00080808u);
  // R5G6B5: opaque; 6 bits v -> (v << 2) | (v >> 4).
  EXPECT_EQ(Expand16(Sys3DFormat::R5G6B5, 0x07E0), 0xFF00FF00u);
  EXPECT_EQ(Expand16(Sys3DFormat::R5G6B5, 0x0861), 0xFF080C08u);  // r 1, g 3, b 1
  const std::uint8_t argb[4] = {0x11, 0x22, 0x33, 0x44};  // B, G, R, A in memory
  std::uint8_t rgba[4];
  GlExpandTexel(Sys3DFormat::A8R8G8B8, argb, rgba);
  EXPECT_EQ(Rgba(rgba), 0x44332211u);
  GlExpandTexel(Sys3DFormat::X8R8G8B8, argb, rgba);
  EXPECT_EQ(Rgba(rgba), 0xFF332211u);
  EXPECT_EQ(GlFullMipChainLength(256, 64), 9u);
  EXPECT_EQ(GlFullMipChainLength(5, 3), 3u);  // 5x3, 2x1, 1x1
  EXPECT_EQ(GlLevelExtent(5, 1), 2u);
}

class Device3DTextures : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Open(16, 16)); }
  SysDevice3D& Device() { return h.Device(); }

  std::unique_ptr<SysDevice3DTexture> Make(std::uint32_t w, std::uint32_t hgt, std::uint32_t levels,
                                           Sys3DFormat format) {
    std::unique_ptr<SysDevice3DTexture> texture;
    EXPECT_EQ(Device().CreateTexture(w, hgt, levels, format, texture), Sys3DError::Ok);
    return texture;
  }
  // Fills a level with one 16- or 32-bit texel value.
  static void Fill(SysDevice3DTexture& texture, std::uint32_t level, std::uint32_t texel) {
    std::int32_t w = 0;
    std::int32_t hgt = 0;
    ASSERT_EQ(texture.GetLevelSize(level, w, hgt), Sys3DError::Ok);
    Sys3DLockedRect locked;
    ASSERT_EQ(texture.LockRect(level, locked), Sys3DError::Ok);
    const std::uint32_t bytes = Sys3DBytesPerPixel(texture.GetFormat());
    auto* bits = static_cast<std::uint8_t*>(locked.bits);
    for (std::int32_t i = 0; i < w * hgt; ++i) std::memcpy(bits + i * bytes, &texel, bytes);
    ASSERT_EQ(texture.UnlockRect(level), Sys3DError::Ok);
  }
  // Stage 0 shows the texture's colour and alpha as they are.
  void ShowTextureAlone() {
    Device().SetTextureStageState(0, SS::ColourOp, Sys3DTextureOp::SelectArg1);
    Device().SetTextureStageState(0, SS::AlphaOp, Sys3DTextureOp::SelectArg1);
  }
  Device3DHarness h;
};

TEST_F(Device3DTextures, FourBitAlphaDecidesTheAlphaTestAtReference32) {
  // Alpha nibble 1 widens to 17 (not drawn at GREATER 32), 2 to 34 (drawn).
  ShowTextureAlone();
  Device().SetRenderState(Sys3DRenderState::AlphaTestEnable, 1);
  Device().SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater);
  Device().SetRenderState(Sys3DRenderState::AlphaRef, 32);
  auto faint = Make(1, 1, 1, Sys3DFormat::A4R4G4B4);
  Fill(*faint, 0, 0x1F00);
  auto visible = Make(1, 1, 1, Sys3DFormat::A4R4G4B4);
  Fill(*visible, 0, 0x2F00);
  Device().SetTexture(0, faint.get());
  h.TexturedQuad(0, 0, 8, 8, 0, 0, 1, 1);
  Device().SetTexture(0, visible.get());
  h.TexturedQuad(8, 0, 16, 8, 0, 0, 1, 1);
  EXPECT_EQ(h.PixelsOf(0xFF0000), Device3DHarness::Rect(8, 0, 16, 8));
}

TEST_F(Device3DTextures, LevelsZeroMakesTheWholeChainAndBadRequestsAreRefused) {
  auto texture = Make(256, 64, 0, Sys3DFormat::A4R4G4B4);
  ASSERT_EQ(texture->GetLevelCount(), 9u);
  std::int32_t w = 0;
  std::int32_t hgt = 0;
  ASSERT_EQ(texture->GetLevelSize(8, w, hgt), Sys3DError::Ok);
  EXPECT_EQ(w, 1);
  EXPECT_EQ(hgt, 1);
  EXPECT_EQ(texture->GetLevelSize(9, w, hgt), Sys3DError::InvalidCall);
  Sys3DLockedRect locked;
  EXPECT_EQ(texture->LockRect(9, locked), Sys3DError::InvalidCall);
  std::unique_ptr<SysDevice3DTexture> refused;
  EXPECT_EQ(Device().CreateTexture(4, 4, 4, Sys3DFormat::R5G6B5, refused), Sys3DError::InvalidCall);  // chain is 3
  EXPECT_EQ(Device().CreateTexture(1u << 20, 4, 1, Sys3DFormat::R5G6B5, refused), Sys3DError::NotAvailable);
  EXPECT_EQ(refused, nullptr);
  Device3DHarness other;  // a texture of another device
  ASSERT_TRUE(other.Open(4, 4));
  ASSERT_EQ(other.Device().CreateTexture(1, 1, 1, Sys3DFormat::R5G6B5, refused), Sys3DError::Ok);
  EXPECT_EQ(Device().SetTexture(0, refused.get()), Sys3DError::InvalidCall);
}

TEST_F(Device3DTextures, MinificationPicksTheMipLevel) {
  auto texture = Make(4, 4, 0, Sys3DFormat::R5G6B5);
  Fill(*texture, 0, 0xF800);  // red
  Fill(*texture, 1, 0x07E0);  // green
  Fill(*texture, 2, 0x001F);  // blue
  ShowTextureAlone();
  Device().SetTexture(0, texture.get());
  h.TexturedQuad(0, 0, 4, 4, 0, 0, 1, 1);  // one texel a pixel: level 0
  Device().SetTextureStageState(0, SS::MipFilter, Sys3DFilter::Point);
  h.TexturedQuad(4, 0, 6, 2, 0, 0, 1, 1);  // two texels a pixel: level 1
  h.TexturedQuad(6, 0, 7, 1, 0, 0, 1, 1);  // four: level 2
  Device().SetTextureStageState(0, SS::MipFilter, Sys3DFilter::None);
  h.TexturedQuad(8, 0, 9, 1, 0, 0, 1, 1);  // no mip filter: level 0 always
  EXPECT_EQ(h.Pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(h.Pixel(4, 0), 0x00FF00u);
  EXPECT_EQ(h.Pixel(6, 0), 0x0000FFu);
  EXPECT_EQ(h.Pixel(8, 0), 0xFF0000u);
}

TEST_F(Device3DTextures, WrapRepeatsAndClampHoldsTheEdgeTexel) {
  auto texture = Make(2, 1, 1, Sys3DFormat::R5G6B5);
  Sys3DLockedRect locked;
  ASSERT_EQ(texture->LockRect(0, locked), Sys3DError::Ok);
  const std::uint16_t redBlue[2] = {0xF800, 0x001F};
  std::memcpy(locked.bits, redBlue, sizeof redBlue);
  ASSERT_EQ(texture->UnlockRect(0), Sys3DError::Ok);
  ShowTextureAlone();
  Device().SetTexture(0, texture.get());
  // u runs 0..2 over 8 pixels: each texel covers 2 pixels.
  h.TexturedQuad(0, 0, 8, 1, 0, 0, 2, 1);
  Device().SetTextureStageState(0, SS::AddressU, Sys3DAddress::Clamp);
  h.TexturedQuad(0, 1, 8, 2, 0, 0, 2, 1);
  const std::vector<std::uint32_t> pixels = h.Read();
  const std::uint32_t R = 0xFF0000;
  const std::uint32_t B = 0x0000FF;
  EXPECT_EQ(std::vector<std::uint32_t>(pixels.begin(), pixels.begin() + 8),
            (std::vector<std::uint32_t>{R, R, B, B, R, R, B, B}));
  EXPECT_EQ(std::vector<std::uint32_t>(pixels.begin() + 16, pixels.begin() + 24),
            (std::vector<std::uint32_t>{R, R, B, B, B, B, B, B}));
}

TEST_F(Device3DTextures, SecondStageReadsItsOwnCoordinatePair) {
  Sys3DMatrix identity = Sys3DMatrix::Identity();
  Device().SetTransform(Sys3DTransform::Projection, identity);
  Device().SetRenderState(Sys3DRenderState::Lighting, 0);
  auto base = Make(1, 1, 1, Sys3DFormat::X8R8G8B8);
  Fill(*base, 0, 0x00FFFF00);  // yellow
  auto mask = Make(2, 1, 1, Sys3DFormat::X8R8G8B8);
  Sys3DLockedRect locked;
  ASSERT_EQ(mask->LockRect(0, locked), Sys3DError::Ok);
  static_cast<std::uint32_t*>(locked.bits)[0] = 0x00FF0000;  // red
  static_cast<std::uint32_t*>(locked.bits)[1] = 0x0000FF00;  // green
  ASSERT_EQ(mask->UnlockRect(0), Sys3DError::Ok);
  ShowTextureAlone();
  Device().SetTexture(0, base.get());
  Device().SetTexture(1, mask.get());
  Device().SetTextureStageState(1, SS::ColourOp, Sys3DTextureOp::Modulate);
  Device().SetTextureStageState(1, SS::AlphaOp, Sys3DTextureOp::SelectArg2);
  // A full-screen square in clip space; stage 1 takes (s, t), which points
  // at the mask's second (green) texel, while (u, v) would take the first.
  const DualVertex quad[4] = {{-1, 1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f, 0.75f, 0.5f},
                              {1, 1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f, 0.75f, 0.5f},
                              {1, -1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f, 0.75f, 0.5f},
                              {-1, -1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f, 0.75f, 0.5f}};
  ASSERT_EQ(Device().SetVertexFormat(kDualFvf), Sys3DError::Ok);
  ASSERT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(DualVertex)), Sys3DError::Ok);
  EXPECT_EQ(h.Pixel(8, 8), 0x00FF00u);
  Device().SetTextureStageState(1, SS::TexCoordIndex, 0);
  Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(DualVertex));
  EXPECT_EQ(h.Pixel(8, 8), 0xFF0000u);
  // Without a texture stage 1 ends the cascade: stage 0's yellow.
  Device().SetTexture(1, nullptr);
  Device().DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(DualVertex));
  EXPECT_EQ(h.Pixel(8, 8), 0xFFFF00u);
}

}  // namespace
