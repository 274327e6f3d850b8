#include <gtest/gtest.h>

#include "platform/gl/GlDisplayModes.h"
#include "platform/gl/GlMatrices.h"
#include "tests/platform/Device3D_Harness.h"

static bool operator==(const Sys3DDisplayMode& a, const Sys3DDisplayMode& b) {
  return a.width == b.width && a.height == b.height && a.format == b.format;
}

namespace {

using RS = Sys3DRenderState;
using SS = Sys3DStageState;

// The rest state a new or reset device holds, as its contract gives it.
const std::pair<RS, std::uint32_t> kRestStates[] = {
    {RS::ZEnable, 1}, {RS::FillMode, Sys3DFill::Solid}, {RS::ShadeMode, Sys3DShade::Gouraud}, {RS::ZWriteEnable, 1},
    {RS::AlphaTestEnable, 0}, {RS::AlphaRef, 0}, {RS::AlphaFunc, Sys3DCompare::Always}, {RS::LastPixel, 1},
    {RS::CullMode, Sys3DCull::CounterClockwise}, {RS::ZFunc, Sys3DCompare::LessEqual}, {RS::DitherEnable, 0},
    {RS::FogEnable, 0}, {RS::FogColour, 0}, {RS::FogStart, Sys3DFloatBits(0.0f)}, {RS::FogEnd, Sys3DFloatBits(1.0f)},
    {RS::FogTableMode, Sys3DFogMode::None}, {RS::SpecularEnable, 0}, {RS::Clipping, 1}, {RS::Lighting, 1},
    {RS::Ambient, 0}, {RS::EdgeAntialias, 0}, {RS::MultisampleAntialias, 1}, {RS::SrcBlend, Sys3DBlend::One},
    {RS::DestBlend, Sys3DBlend::Zero}, {RS::AlphaBlendEnable, 0}};

class Device3DDrawing : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Open(16, 16, BackBuffer(16, 16))); }
  SysDevice3D& Device() { return h.Device(); }
  std::uint32_t Stage(std::uint32_t stage, SS state) {
    std::uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(Device().GetTextureStageState(stage, state, value), Sys3DError::Ok);
    return value;
  }
  // Every render state, every stage's states and the transforms at rest.
  void ExpectAtRest() {
    for (const auto& [state, rest] : kRestStates) {
      std::uint32_t value = 0xDEADBEEF;   // a read that writes nothing keeps a value no state rests at
      EXPECT_TRUE(Device().GetRenderState(state, value) == Sys3DError::Ok && value == rest) << int(state);
    }
    std::uint32_t stages = 0, value = 0;
    while (Device().GetTextureStageState(stages, SS::ColourOp, value) == Sys3DError::Ok) ++stages;
    EXPECT_GE(stages, 2u);
    for (std::uint32_t stage = 0; stage < stages; ++stage) {
      std::vector<std::uint32_t> states;
      for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(SS::Count); ++i) states.push_back(Stage(stage, SS(i)));
      const std::uint32_t colour = stage == 0 ? Sys3DTextureOp::Modulate : Sys3DTextureOp::Disable;
      const std::uint32_t alpha = stage == 0 ? Sys3DTextureOp::SelectArg1 : Sys3DTextureOp::Disable;
      EXPECT_EQ(states, (std::vector<std::uint32_t>{colour, Sys3DTextureArg::Texture, Sys3DTextureArg::Current, alpha,
                                                    Sys3DTextureArg::Texture, Sys3DTextureArg::Current,
                                                    Sys3DFilter::Point, Sys3DFilter::Point, Sys3DFilter::None,
                                                    Sys3DAddress::Wrap, Sys3DAddress::Wrap, stage})) << stage;
    }
    const Sys3DMatrix identity = Sys3DMatrix::Identity();
    Sys3DMatrix matrix;
    for (const Sys3DTransform which : {Sys3DTransform::World, Sys3DTransform::View, Sys3DTransform::Projection})
      EXPECT_TRUE(Device().GetTransform(which, matrix) == Sys3DError::Ok &&
                  std::memcmp(&matrix, &identity, sizeof matrix) == 0) << static_cast<int>(which);
  }
  Device3DHarness h;
};

TEST_F(Device3DDrawing, RefusedValuesChangeNothingAndResetReturnsEveryStateToRest) {
  const std::pair<RS, std::uint32_t> refused[] = {{RS::AlphaFunc, Sys3DCompare::Always + 1}, {RS::AlphaRef, 256},
                                                  {RS::Count, 0}};
  for (const auto& [state, value] : refused)
    EXPECT_EQ(Device().SetRenderState(state, value), Sys3DError::InvalidCall) << static_cast<int>(state);
  std::uint32_t value = 0;
  Sys3DLight light;
  light.type = static_cast<decltype(light.type)>(99);
  EXPECT_EQ((std::vector<Sys3DResult>{Device().SetTextureStageState(0, SS::MinFilter, Sys3DFilter::None),
                                      Device().SetTextureStageState(0, SS::AddressU, 7),
                                      Device().SetTextureStageState(0, SS::TexCoordIndex, 8),
                                      Device().GetTextureStageState(9, SS::MinFilter, value),
                                      Device().GetTextureStageState(0, SS::Count, value),
                                      Device().SetTexture(8, nullptr), Device().SetLight(0, light),
                                      Device().LightEnable(8, true)}),
            std::vector<Sys3DResult>(8, Sys3DError::InvalidCall));
  ExpectAtRest();   // a new device, and nothing refused changed it

  ASSERT_TRUE(Device().SetRenderState(RS::AlphaBlendEnable, 1) == Sys3DError::Ok &&
              Device().SetRenderState(RS::ZEnable, 0) == Sys3DError::Ok &&
              Device().SetTextureStageState(1, SS::ColourOp, Sys3DTextureOp::Add) == Sys3DError::Ok &&
              Device().SetTextureStageState(0, SS::AddressU, Sys3DAddress::Clamp) == Sys3DError::Ok);
  h.UseGameProjection();
  Sys3DPresentParams params = BackBuffer(8, 8);
  GLint buffers[2] = {0, 0};   // the old back buffer's frame and colour buffers are given back
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &buffers[0]);
  using Attachment = void (*)(GLenum, GLenum, GLenum, GLint*);
  reinterpret_cast<Attachment>(SDL_GL_GetProcAddress("glGetFramebufferAttachmentParameteriv"))(
      GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &buffers[1]);
  ASSERT_EQ(Device().Reset(params), Sys3DError::Ok);
  ExpectAtRest();
  const auto is = [](const char* name) { return reinterpret_cast<GLboolean (*)(GLuint)>(SDL_GL_GetProcAddress(name)); };
  EXPECT_TRUE(buffers[0] * buffers[1] != 0 && !is("glIsFramebuffer")(GLuint(buffers[0])) &&
              !is("glIsRenderbuffer")(GLuint(buffers[1])));
}

TEST_F(Device3DDrawing, LightingWithoutNormalsGivesAmbientAndEmissiveOnlyAndLinearFogRunsOnEyeDepth) {
  h.UseGameProjection();
  // Resting state: lighting on, ambient 0, zero material: black.
  h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFFFFFFFF);
  EXPECT_EQ(h.Pixel(8, 8), 0u);
  Sys3DMaterial material;
  material.ambient = {1.0f, 1.0f, 1.0f, 1.0f}, material.emissive = {0.0f, 0.0f, 0.25f, 0.0f};
  ASSERT_EQ(Device().SetMaterial(material), Sys3DError::Ok);
  Device().SetRenderState(RS::Ambient, 0x00404040);
  // A directional light adds its ambient colour, never attenuated; its diffuse colour needs a normal, which no
  // vertex format has.
  Sys3DLight light;
  light.ambient = {0.25f, 0.0f, 0.0f, 0.0f}, light.diffuse = {1.0f, 1.0f, 1.0f, 1.0f}, light.attenuation0 = 2.0f;
  ASSERT_EQ(Device().SetLight(0, light), Sys3DError::Ok);
  for (const auto& [on, colour] : {std::pair{false, 0x404080u}, std::pair{true, 0x804080u}}) {
    ASSERT_EQ(Device().LightEnable(0, on), Sys3DError::Ok);
    Device().Clear(Sys3DClear::ZBuffer, 0, 1.0f);
    h.WorldQuad(-5, 5, 5, -5, 2.0f, 0xFFFFFFFF);
    EXPECT_TRUE(Near(h.Pixel(8, 8), colour)) << std::hex << h.Pixel(8, 8);
  }
  Device().SetRenderState(RS::Lighting, 0), Device().Clear(Sys3DClear::ZBuffer, 0, 1.0f);
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
  Device().SetRenderState(RS::FogEnable, 1), Device().SetRenderState(RS::FogColour, 0xFFFFFF);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << ".." << c.end << " at " << c.depth << (c.screen ? " s" : ""));
    Device().Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f);
    Device().SetRenderState(RS::FogTableMode, c.mode);
    Device().SetRenderState(RS::FogStart, Sys3DFloatBits(c.start));
    Device().SetRenderState(RS::FogEnd, Sys3DFloatBits(c.end));
    if (c.screen) h.ScreenQuad(0, 0, 16, 16, 0xFF000000);
    else h.WorldQuad(-5, 5, 5, -5, c.depth, 0xFF000000);
    EXPECT_TRUE(Near(h.Pixel(8, 8), c.colour)) << std::hex << h.Pixel(8, 8);
  }
  // Depth remapped as for a driver without clip control clips and stores alike: nearest wins, before the eye is cut.
  Device().SetRenderState(RS::FogEnable, 0), Device().Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f);
  h.ScreenQuad(0, 0, 16, 16, 0xFF00FF00, 0.5f), h.Backend().ForceDepthRemap();
  for (const auto& [colour, z] : {std::pair{0xFF0000FFu, 0.25f}, {0xFFFF0000u, 0.75f}, {0xFFFFFFFFu, -0.5f}})
    h.ScreenQuad(0, 0, 16, 16, colour, z);
  EXPECT_EQ(h.Pixel(8, 8), 0x0000FFu);
}

// A line strip ends one pixel short of its last vertex unless LastPixel is on (its rest state).
TEST_F(Device3DDrawing, ALineStripsLastPixelIsDrawnOnlyWithLastPixelOn) {
  const ScreenVertex line[3] = {{2, 8, 0, 1, 0xFFFFFFFF, 0, 0}, {7, 8, 0, 1, 0xFFFFFFFF, 0, 0},
                                {12, 8, 0, 1, 0xFFFFFFFF, 0, 0}};
  Device().SetVertexFormat(kScreenFvf), Device().SetRenderState(RS::Lighting, 0);
  for (const std::uint32_t lastPixel : {1u, 0u}) {
    Device().SetRenderState(RS::LastPixel, lastPixel), Device().Clear(Sys3DClear::Target, 0, 1.0f);
    ASSERT_EQ(Device().DrawPrimitiveUP(Sys3DPrimitive::LineStrip, 2, line, sizeof(ScreenVertex)), Sys3DError::Ok);
    std::vector<int> lit;
    for (int x = 0; x < 16; ++x) if (h.Pixel(x, 8) != 0) lit.push_back(x);
    EXPECT_EQ(lit.size(), 10u + lastPixel) << lastPixel;
    EXPECT_EQ(lit.back(), 11 + int(lastPixel)) << lastPixel;
  }
}

TEST(Device3DModes, EachSizeAndFormatIsListedOnceInFirstSeenOrder) {
  const std::vector<GlRawDisplayMode> raw = {
      {1024, 768, 32}, {1024, 768, 32},  // two refresh rates
      {1024, 768, 16}, {800, 600, 24},  {640, 480, 15}, {0, 0, 0},
      {1152, 864, 8},  {800, 600, 32},  // 24 and 32 bits are the same format
  };
  const std::vector<Sys3DDisplayMode> expected = {{1024, 768, Sys3DFormat::X8R8G8B8},
                                                  {1024, 768, Sys3DFormat::R5G6B5}, {800, 600, Sys3DFormat::X8R8G8B8},
                                                  {640, 480, Sys3DFormat::X1R5G5B5}};
  EXPECT_EQ(GlBuildModeList(raw), expected);
  // Without the driver's clip control depth goes to 2z - w (row vectors: z' = z m22 + w m32); with it, as it is.
  const Sys3DMatrix remapped = GlClipAdjust(640, 480, true), kept = GlClipAdjust(640, 480, false);
  EXPECT_TRUE(remapped.m[2][2] == 2.0f && remapped.m[3][2] == -1.0f && kept.m[2][2] == 1.0f && kept.m[3][2] == 0.0f);
}

TEST(Device3DBackBuffer, ReadGivesTopRowFirstAndTheWindowGetsItScaledThroughTheGammaRamp) {
  Device3DHarness h;
  ASSERT_TRUE(h.Open(40, 30, BackBuffer(20, 10)));
  h.ScreenQuad(0, 0, 20, 1, 0xFFFF0000), h.ScreenQuad(19, 9, 20, 10, 0xFF00FF00);
  std::vector<std::uint32_t> pixels, window;
  std::int32_t width = 0, height = 0;
  ASSERT_TRUE(h.Device().ReadBackBuffer(pixels, width, height) == Sys3DError::Ok && width == 20 && height == 10);
  ASSERT_TRUE(pixels.size() == 200u && pixels[0] == 0xFF0000u && pixels[19] == 0xFF0000u && pixels[20] == 0u &&
              pixels[199] == 0x00FF00u);
  h.Backend().ComposeWindowPicture();
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
  EXPECT_EQ(h.Device().Present(), Sys3DError::Ok);   // composed for the window: the offscreen one keeps it
  h.Backend().ReadWindowPicture(window, width, height);
  // red 128 -> 128 x 257 / 2 = 16448 -> 64; green 192 as is; blue 16 -> 239.
  EXPECT_TRUE(window[2 * 40 + 2] == 0x40C0EFu && h.Pixel(2, 2) == 0x80C010u);   // the read is not shaped
  // A ramp that shapes the red channel alone is no identity: red 128 -> 127.
  for (int i = 0; i < 256; ++i)
    ramp.blue[i] = ramp.green[i], ramp.red[i] = static_cast<std::uint16_t>(65535 - i * 257);
  ASSERT_TRUE(h.Device().SetGammaRamp(ramp) == Sys3DError::Ok && h.Device().Present() == Sys3DError::Ok);
  h.Backend().ReadWindowPicture(window, width, height);
  EXPECT_EQ(window[2 * 40 + 2], 0x7FC010u);
  // A lost window presents nothing: it is told so.
  h.Device().NotifyWindowLost();
  EXPECT_EQ(h.Device().Present(), Sys3DError::DeviceLost);

  // Stretched one way only the picture is still filtered: the window's row 1 blends the red row with black.
  Device3DHarness tall;
  ASSERT_TRUE(tall.Open(20, 20, BackBuffer(20, 10)));
  tall.ScreenQuad(0, 0, 20, 1, 0xFFFF0000), tall.Backend().ComposeWindowPicture();
  tall.Backend().ReadWindowPicture(window, width, height);
  EXPECT_TRUE(window[5] == 0xFF0000u && window[25] > 0x800000u && window[25] < 0xF00000u) << std::hex << window[25];
}

TEST(Device3DCreation, SixteenBitBackBufferReadsTopBitsOfEachChannelAndSizesFollowTheFormat) {
  // 0x12 -> 5 bits 2 -> 0x10; 0x34 -> 6 bits 13 -> 0x34 or 5 bits 6 -> 0x30; 0x56 -> 5 bits 10 -> 0x50.
  for (const auto& [format, white, mixed] : {std::tuple{Sys3DFormat::R5G6B5, 0xF8FCF8u, 0x103450u},
                                             {Sys3DFormat::X1R5G5B5, 0xF8F8F8u, 0x103050u}}) {
    Device3DHarness h;
    ASSERT_TRUE(h.Open(4, 4, BackBuffer(4, 4, format)));
    h.Device().Clear(Sys3DClear::Target, 0xFFFFFFFF, 1.0f);
    const std::uint32_t whiteRead = h.Pixel(0, 0);
    h.Device().Clear(Sys3DClear::Target, 0xFF123456, 1.0f);
    EXPECT_TRUE(whiteRead == white && h.Pixel(3, 3) == mixed) << std::hex << whiteRead << " " << h.Pixel(3, 3);
  }
  // The driver's largest render size is taken either way, one more is refused.
  Device3DHarness h;
  ASSERT_TRUE(h.Open(4, 4, BackBuffer(4, 4)));
  GLint most = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &most);
  for (const auto& [side, across] : {std::pair{most, 1}, {1, most}}) {
    Sys3DPresentParams fits = BackBuffer(side, across), beyond = BackBuffer(side + (side > 1), across + (across > 1));
    EXPECT_TRUE(h.Device().Reset(fits) == Sys3DError::Ok && h.Device().Reset(beyond) == Sys3DError::InvalidCall);
  }
  EXPECT_TRUE(Sys3DVertexSize(kWorldFvf) == 24u && Sys3DVertexSize(kScreenFvf) == 28u &&
              Sys3DVertexSize(Sys3DFvf::Xyz | Sys3DFvf::Diffuse) == 0u &&
              Sys3DBytesPerPixel(Sys3DFormat::A4R4G4B4) == 2u && Sys3DBytesPerPixel(Sys3DFormat::Unknown) == 0u);
}
}  // namespace
