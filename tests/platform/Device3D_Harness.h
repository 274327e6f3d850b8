#pragma once
// A hidden window with a drawing device, vertex records, and pixels read back.

#include <SDL2/SDL.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"
#include "platform/gl/GlDevice3D.h"

struct ScreenVertex { float x, y, z, rhw; std::uint32_t colour; float u, v; };  // XyzRhw | Diffuse | Tex1
struct WorldVertex { float x, y, z; std::uint32_t colour; float u, v; };          // Xyz | Diffuse | Tex1

constexpr std::uint32_t kScreenFvf = Sys3DFvf::XyzRhw | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;
constexpr std::uint32_t kWorldFvf = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;

// Back-buffer parameters of width x height in the format, no multisampling.
inline Sys3DPresentParams BackBuffer(int width, int height, Sys3DFormat format = Sys3DFormat::X8R8G8B8) {
  return {.backBufferWidth = width, .backBufferHeight = height, .backBufferFormat = format};
}

// Colours within one level of each other in every channel.
inline bool Near(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 1) return false;
  return true;
}

class Device3DHarness {
 public:
  ~Device3DHarness() {
    device_.reset();
    if (window_ != nullptr) SDL_DestroyWindow(window_);
  }
  // The back buffer is cleared to black with depth 1.
  bool Open(int windowWidth, int windowHeight, Sys3DPresentParams params) {
    factory_ = SysCreateDevice3DFactory();
    window_ = SDL_CreateWindow("device test", 0, 0, windowWidth, windowHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!factory_ || window_ == nullptr) return false;
    if (factory_->CreateDevice(window_, params, device_) != Sys3DError::Ok) return false;
    width_ = params.backBufferWidth;
    return device_->Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f) == Sys3DError::Ok;
  }

  SysDevice3D& Device() { return *device_; }
  GlDevice3D& Backend() { return static_cast<GlDevice3D&>(*device_); }
  std::uint32_t Pixel(int x, int y) {
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    device_->ReadBackBuffer(pixels, width, height);
    return pixels[static_cast<std::size_t>(y) * width_ + x];
  }

  // A quad drawn as a fan TL, TR, BR, BL in screen pixels at depth z.
  void ScreenQuad(float x0, float y0, float x1, float y1, std::uint32_t colour, float z = 0.0f) {
    const ScreenVertex quad[4] = {{x0, y0, z, 1.0f, colour, 0, 0}, {x1, y0, z, 1.0f, colour, 1, 0},
                                  {x1, y1, z, 1.0f, colour, 1, 1}, {x0, y1, z, 1.0f, colour, 0, 1}};
    device_->SetVertexFormat(kScreenFvf);
    device_->DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(ScreenVertex));
  }
  void WorldQuad(float x0, float y0, float x1, float y1, float z, std::uint32_t colour) {
    const WorldVertex quad[4] = {
        {x0, y0, z, colour, 0, 0}, {x1, y0, z, colour, 0, 0}, {x1, y1, z, colour, 0, 0}, {x0, y1, z, colour, 0, 0}};
    device_->SetVertexFormat(kWorldFvf);
    device_->DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(WorldVertex));
  }
  // The game's perspective: near plane 1, no far plane, w = eye depth.
  void UseGameProjection() {
    Sys3DMatrix projection;
    projection.m[0][0] = 1.4f, projection.m[1][1] = 1.6f, projection.m[2][2] = 1.0f, projection.m[2][3] = 1.0f;
    projection.m[3][2] = -1.0f;
    device_->SetTransform(Sys3DTransform::Projection, projection);
  }

 private:
  std::unique_ptr<SysDevice3DFactory> factory_;
  SDL_Window* window_ = nullptr;
  std::unique_ptr<SysDevice3D> device_;
  int width_ = 0;
};
