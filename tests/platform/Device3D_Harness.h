#pragma once
// A hidden window with a drawing device, vertex records, and pixels read back.

#include <SDL2/SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"

class GlDevice3D;

struct ScreenVertex {  // XyzRhw | Diffuse | Tex1
  float x, y, z, rhw;
  std::uint32_t colour;
  float u, v;
};
struct WorldVertex {  // Xyz | Diffuse | Tex1
  float x, y, z;
  std::uint32_t colour;
  float u, v;
};
struct DualVertex {  // Xyz | Diffuse | Tex2
  float x, y, z;
  std::uint32_t colour;
  float u, v, s, t;
};

constexpr std::uint32_t kScreenFvf = Sys3DFvf::XyzRhw | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;
constexpr std::uint32_t kWorldFvf = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;
constexpr std::uint32_t kDualFvf = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex2;

class Device3DHarness {
 public:
  ~Device3DHarness();
  // Window and back buffer of width x height, 32 bits, no multisampling;
  // the back buffer is cleared to black with depth 1.
  bool Open(int width, int height);
  // `params` gets back what the device made of it.
  bool Open(int windowWidth, int windowHeight, Sys3DPresentParams& params);
  void Close();

  SysDevice3D& Device() { return *device_; }
  GlDevice3D& Backend();

  std::vector<std::uint32_t> Read();
  std::uint32_t Pixel(int x, int y);
  // Pixels of the given colour, as (x, y) in reading order.
  std::vector<std::pair<int, int>> PixelsOf(std::uint32_t colour);
  // The pixels x0 <= x < x1, y0 <= y < y1 in reading order.
  static std::vector<std::pair<int, int>> Rect(int x0, int y0, int x1, int y1);

  // A quad drawn as a fan TL, TR, BR, BL in screen pixels, depth z.
  void ScreenQuad(float x0, float y0, float x1, float y1, std::uint32_t colour, float z = 0.0f);
  // A quad with texture coordinates (u0, v0) at the top left to (u1, v1).
  void TexturedQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1);
  // A world quad at depth z from corner (x0, y0) to (x1, y1).
  void WorldQuad(float x0, float y0, float x1, float y1, float z, std::uint32_t colour);
  // The game's perspective: near plane 1, no far plane, w = eye depth.
  void UseGameProjection();
  // A line strip through the points (screen pixels).
  void ScreenLine(const std::vector<std::pair<float, float>>& points, std::uint32_t colour);

 private:
  std::unique_ptr<SysDevice3DFactory> factory_;
  SDL_Window* window_ = nullptr;
  std::unique_ptr<SysDevice3D> device_;
  int width_ = 0;
};
