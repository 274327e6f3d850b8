#pragma once
// The device's back buffer: a framebuffer object of the present parameters'
// size and depth with a 16-bit depth buffer, multisampled when asked (then
// resolved into a plain one before it is read or shown).  Keeping it apart
// from the window gives the device its own size and format, and reads that
// do not depend on the window system.

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "platform/SysDevice3DTypes.h"
#include "platform/gl/GlFunctions.h"

class GlBackBuffer {
 public:
  explicit GlBackBuffer(const GlFunctions& gl) : gl_(gl) {}
  GlBackBuffer(const GlBackBuffer&) = delete;
  GlBackBuffer& operator=(const GlBackBuffer&) = delete;

  // `format` R5G6B5, X1R5G5B5 or X8R8G8B8; `samples` 0 or 2..maximum.
  Sys3DResult Create(std::int32_t width, std::int32_t height, Sys3DFormat format, std::uint32_t samples);
  // Frees the driver objects; the context must be current.
  void Destroy();
  bool Valid() const { return framebuffer_ != 0; }

  void BindForDrawing();
  // Pixels 0x00RRGGBB, top row first (see SysDevice3D::ReadBackBuffer).
  void Read(std::vector<std::uint32_t>& pixels);
  // Copies the picture into the window's back buffer, scaled to the window
  // and through the ramp.  Leaves the window's framebuffer bound.
  void ComposeToWindow(std::int32_t windowWidth, std::int32_t windowHeight, const Sys3DGammaRamp& ramp,
                       bool identityRamp, std::uint32_t textureUnits);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

 private:
  enum class Storage { Rgb565, Rgb5A1, Rgba8 };
  bool Build(Storage storage, std::uint32_t samples);
  GLuint MakeColourBuffer(Storage storage, std::uint32_t samples);
  GLuint ReadableFramebuffer();
  void CopyThroughRamp(std::int32_t windowWidth, std::int32_t windowHeight, const Sys3DGammaRamp& ramp,
                       std::uint32_t textureUnits);

  const GlFunctions& gl_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  Storage storage_ = Storage::Rgba8;
  std::uint32_t samples_ = 0;
  GLuint framebuffer_ = 0;
  GLuint colour_ = 0;
  GLuint depth_ = 0;
  GLuint resolveFramebuffer_ = 0;
  GLuint resolveColour_ = 0;
};
