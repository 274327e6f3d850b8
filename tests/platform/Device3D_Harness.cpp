#include "tests/platform/Device3D_Harness.h"

#include "platform/gl/GlDevice3D.h"

Device3DHarness::~Device3DHarness() { Close(); }

bool Device3DHarness::Open(int width, int height) {
  Sys3DPresentParams params;
  params.backBufferWidth = width;
  params.backBufferHeight = height;
  params.backBufferFormat = Sys3DFormat::X8R8G8B8;
  params.windowed = true;
  return Open(width, height, params);
}

bool Device3DHarness::Open(int windowWidth, int windowHeight, Sys3DPresentParams& params) {
  factory_ = SysCreateDevice3DFactory();
  if (!factory_) return false;
  window_ = SDL_CreateWindow("device test", 0, 0, windowWidth, windowHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) return false;
  if (factory_->CreateDevice(window_, params, device_) != Sys3DError::Ok) return false;
  width_ = params.backBufferWidth;
  return device_->Clear(Sys3DClear::Target | Sys3DClear::ZBuffer, 0, 1.0f) == Sys3DError::Ok;
}

void Device3DHarness::Close() {
  device_.reset();
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  window_ = nullptr;
  factory_.reset();
}

GlDevice3D& Device3DHarness::Backend() { return static_cast<GlDevice3D&>(*device_); }

std::vector<std::uint32_t> Device3DHarness::Read() {
  std::vector<std::uint32_t> pixels;
  std::int32_t width = 0;
  std::int32_t height = 0;
  device_->ReadBackBuffer(pixels, width, height);
  return pixels;
}

std::uint32_t Device3DHarness::Pixel(int x, int y) { return Read()[static_cast<std::size_t>(y) * width_ + x]; }

std::vector<std::pair<int, int>> Device3DHarness::PixelsOf(std::uint32_t colour) {
  const std::vector<std::uint32_t> pixels = Read();
  std::vector<std::pair<int, int>> found;
  for (std::size_t i = 0; i < pixels.size(); ++i)
    if (pixels[i] == colour) found.emplace_back(static_cast<int>(i % width_), static_cast<int>(i / width_));
  return found;
}

void Device3DHarness::ScreenQuad(float x0, float y0, float x1, float y1, std::uint32_t colour, float z) {
  const ScreenVertex quad[4] = {{x0, y0, z, 1.0f, colour, 0.0f, 0.0f},
                                {x1, y0, z, 1.0f, colour, 1.0f, 0.0f},
                                {x1, y1, z, 1.0f, colour, 1.0f, 1.0f},
                                {x0, y1, z, 1.0f, colour, 0.0f, 1.0f}};
  device_->SetVertexFormat(kScreenFvf);
  device_->DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(ScreenVertex));
}

void Device3DHarness::TexturedQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
  const ScreenVertex quad[4] = {{x0, y0, 0.0f, 1.0f, 0xFFFFFFFF, u0, v0},
                                {x1, y0, 0.0f, 1.0f, 0xFFFFFFFF, u1, v0},
                                {x1, y1, 0.0f, 1.0f, 0xFFFFFFFF, u1, v1},
                                {x0, y1, 0.0f, 1.0f, 0xFFFFFFFF, u0, v1}};
  device_->SetVertexFormat(kScreenFvf);
  device_->DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(ScreenVertex));
}

void Device3DHarness::WorldQuad(float x0, float y0, float x1, float y1, float z, std::uint32_t colour) {
  const WorldVertex quad[4] = {
      {x0, y0, z, colour, 0, 0}, {x1, y0, z, colour, 0, 0}, {x1, y1, z, colour, 0, 0}, {x0, y1, z, colour, 0, 0}};
  device_->SetVertexFormat(kWorldFvf);
  device_->DrawPrimitiveUP(Sys3DPrimitive::TriangleFan, 2, quad, sizeof(WorldVertex));
}

void Device3DHarness::UseGameProjection() {
  Sys3DMatrix projection;
  projection.m[0][0] = 1.4f;
  projection.m[1][1] = 1.6f;
  projection.m[2][2] = 1.0f;
  projection.m[2][3] = 1.0f;
  projection.m[3][2] = -1.0f;
  device_->SetTransform(Sys3DTransform::Projection, projection);
}

std::vector<std::pair<int, int>> Device3DHarness::Rect(int x0, int y0, int x1, int y1) {
  std::vector<std::pair<int, int>> pixels;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) pixels.emplace_back(x, y);
  return pixels;
}

void Device3DHarness::ScreenLine(const std::vector<std::pair<float, float>>& points, std::uint32_t colour) {
  std::vector<ScreenVertex> strip;
  for (const auto& [x, y] : points) strip.push_back({x, y, 0.0f, 1.0f, colour, 0.0f, 0.0f});
  device_->SetVertexFormat(kScreenFvf);
  device_->DrawPrimitiveUP(Sys3DPrimitive::LineStrip, static_cast<std::uint32_t>(strip.size() - 1), strip.data(),
                           sizeof(ScreenVertex));
}
