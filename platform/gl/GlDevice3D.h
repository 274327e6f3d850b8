#pragma once
// The drawing device on OpenGL (fixed function) through an SDL window.

#include <SDL2/SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/SysDevice3D.h"
#include "platform/gl/GlBackBuffer.h"
#include "platform/gl/GlDeviceResource.h"
#include "platform/gl/GlFunctions.h"
#include "platform/gl/GlStateApplier.h"
#include "platform/gl/GlStateBlock.h"

class GlTexture3D;
class GlVertexBuffer3D;

// Driver facts the device needs; gathered once its context exists.
struct GlDeviceLimits {
  std::uint32_t stageCount = 0;
  std::uint32_t maxTextureSize = 0;
  std::uint32_t maxRenderSize = 0;
  std::uint32_t maxSamples = 0;
};

class GlDevice3D final : public SysDevice3D {
 public:
  // Largest primitive count of one draw call.
  static constexpr std::uint32_t kMaxPrimitiveCount = 0xFFFFF;

  static Sys3DResult Create(SDL_Window* window, Sys3DPresentParams& params, std::unique_ptr<SysDevice3D>& device);
  ~GlDevice3D() override;
  GlDevice3D(const GlDevice3D&) = delete;
  GlDevice3D& operator=(const GlDevice3D&) = delete;

  Sys3DResult Clear(std::uint32_t flags, std::uint32_t colour, float z) override;
  Sys3DResult BeginScene() override;
  Sys3DResult EndScene() override;
  Sys3DResult Present() override;
  Sys3DResult TestCooperativeLevel() override;
  Sys3DResult Reset(Sys3DPresentParams& params) override;
  void NotifyWindowLost() override;
  void NotifyWindowRestored() override;
  Sys3DResult ReadBackBuffer(std::vector<std::uint32_t>& pixels, std::int32_t& width,
                             std::int32_t& height) override;
  Sys3DResult SetGammaRamp(const Sys3DGammaRamp& ramp) override;
  Sys3DResult GetGammaRamp(Sys3DGammaRamp& ramp) const override;

  Sys3DResult SetRenderState(Sys3DRenderState state, std::uint32_t value) override;
  Sys3DResult GetRenderState(Sys3DRenderState state, std::uint32_t& value) const override;
  Sys3DResult SetTextureStageState(std::uint32_t stage, Sys3DStageState state, std::uint32_t value) override;
  Sys3DResult GetTextureStageState(std::uint32_t stage, Sys3DStageState state, std::uint32_t& value) const override;
  Sys3DResult SetTransform(Sys3DTransform which, const Sys3DMatrix& matrix) override;
  Sys3DResult GetTransform(Sys3DTransform which, Sys3DMatrix& matrix) const override;
  Sys3DResult SetLight(std::uint32_t index, const Sys3DLight& light) override;
  Sys3DResult LightEnable(std::uint32_t index, bool enable) override;
  Sys3DResult SetMaterial(const Sys3DMaterial& material) override;
  Sys3DResult SetTexture(std::uint32_t stage, SysDevice3DTexture* texture) override;

  Sys3DResult SetVertexFormat(std::uint32_t fvf) override;
  Sys3DResult SetStreamSource(SysDevice3DVertexBuffer* buffer, std::uint32_t stride) override;
  Sys3DResult DrawPrimitiveUP(Sys3DPrimitive type, std::uint32_t primitiveCount, const void* vertices,
                              std::uint32_t stride) override;
  Sys3DResult DrawPrimitive(Sys3DPrimitive type, std::uint32_t startVertex, std::uint32_t primitiveCount) override;

  Sys3DResult CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels, Sys3DFormat format,
                            std::unique_ptr<SysDevice3DTexture>& texture) override;
  Sys3DResult CreateVertexBuffer(std::uint32_t bytes, std::uint32_t fvf,
                                 std::unique_ptr<SysDevice3DVertexBuffer>& buffer) override;

  // --- For the resources ------------------------------------------------
  const GlFunctions& Gl() const { return gl_; }
  void MakeCurrent();
  void InvalidateDriverState() { driverStateStale_ = true; }
  void Remember(GlDeviceResource* resource);
  void Forget(GlDeviceResource* resource);
  void UnbindTexture(const GlTexture3D* texture);
  void UnbindVertexBuffer(const GlVertexBuffer3D* buffer);

  // --- Present in two steps, so that tests can look at the window's
  // picture before it is swapped.
  // Copies the back buffer through the gamma ramp into the window.
  void ComposeWindowPicture();
  // The window's back buffer, 0x00RRGGBB top row first.
  void ReadWindowPicture(std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height);
  bool RemapsDepth() const { return remapDepth_; }
  // Makes the device remap depth itself even where the driver can clip 0..w.
  void ForceDepthRemap();

 private:
  enum class Cooperation { Ok, Lost, NotReset };

  GlDevice3D(SDL_Window* window, SDL_GLContext context);
  Sys3DResult Initialise(Sys3DPresentParams& params);
  Sys3DResult BuildBackBuffer(Sys3DPresentParams& params);
  void ReturnToDefaults();
  Sys3DResult CheckDraw(Sys3DPrimitive type, std::uint32_t primitiveCount, std::uint32_t stride,
                        std::uint32_t& vertexCount) const;
  void Draw(Sys3DPrimitive type, std::uintptr_t vertices, GLuint driverBuffer, std::uint32_t stride,
            std::uint32_t vertexCount);
  void PrepareDriverState(bool screenVertices);
  void BindVertexArrays(std::uintptr_t vertices, std::uint32_t stride, std::uint32_t vertexCount);
  void BindScreenPositions(const std::uint8_t* vertices, std::uint32_t stride, std::uint32_t vertexCount);
  void BindTextureCoordinates(std::uintptr_t firstPair, std::uint32_t stride, std::uint32_t pairs);
  bool OwnsTexture(const SysDevice3DTexture* texture) const;

  SDL_Window* window_;
  SDL_GLContext context_;
  GlFunctions gl_;
  GlDeviceLimits limits_;
  std::unique_ptr<GlBackBuffer> backBuffer_;
  std::unique_ptr<GlStateBlock> state_;
  std::unique_ptr<GlStateApplier> applier_;
  bool remapDepth_ = false;
  bool driverStateStale_ = true;
  bool lastDrawOnScreen_ = false;
  std::uint32_t activeStages_ = 0;
  std::uint32_t fvf_ = 0;
  GlTexture3D* textures_[GlStateBlock::kMaxStages] = {};
  GlVertexBuffer3D* stream_ = nullptr;
  std::uint32_t streamStride_ = 0;
  bool inScene_ = false;
  Cooperation cooperation_ = Cooperation::Ok;
  Sys3DGammaRamp gammaRamp_;
  bool gammaIdentity_ = true;
  std::vector<GlDeviceResource*> resources_;
  std::vector<float> screenPositions_;
};
