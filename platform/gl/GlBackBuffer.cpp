#include "platform/gl/GlBackBuffer.h"

#include <algorithm>

namespace {

GLenum InternalFormat(bool narrow565, bool narrow5551) {
  if (narrow565) return GL_RGB565;
  return narrow5551 ? GL_RGB5_A1 : GL_RGBA8;
}

// The top bits of each channel of a 16- or 15-bit pixel, low bits zero.
std::uint32_t From565(std::uint16_t p) {
  return ((p >> 8) & 0xF8u) << 16 | ((p >> 3) & 0xFCu) << 8 | ((p << 3) & 0xF8u);
}
std::uint32_t From1555(std::uint16_t p) {
  return ((p >> 7) & 0xF8u) << 16 | ((p >> 2) & 0xF8u) << 8 | ((p << 3) & 0xF8u);
}

constexpr int kRampSize = 256;

}  // namespace

Sys3DResult GlBackBuffer::Create(std::int32_t width, std::int32_t height, Sys3DFormat format,
                                 std::uint32_t samples) {
  Destroy();
  width_ = width;
  height_ = height;
  samples_ = samples;
  Storage wanted = Storage::Rgba8;
  if (format == Sys3DFormat::R5G6B5) wanted = Storage::Rgb565;
  if (format == Sys3DFormat::X1R5G5B5) wanted = Storage::Rgb5A1;
  // A driver that cannot draw into a narrow format still gets a picture,
  // then in 8 bits per channel.
  if (Build(wanted, samples) || (wanted != Storage::Rgba8 && Build(Storage::Rgba8, samples))) {
    return Sys3DError::Ok;
  }
  const GLenum error = glGetError();
  Destroy();
  return error == GL_OUT_OF_MEMORY ? Sys3DError::OutOfVideoMemory : Sys3DError::NotAvailable;
}

GLuint GlBackBuffer::MakeColourBuffer(Storage storage, std::uint32_t samples) {
  GLuint name = 0;
  gl_.GenRenderbuffers(1, &name);
  gl_.BindRenderbuffer(GL_RENDERBUFFER, name);
  gl_.RenderbufferStorageMultisample(GL_RENDERBUFFER, static_cast<GLsizei>(samples),
                                     InternalFormat(storage == Storage::Rgb565, storage == Storage::Rgb5A1),
                                     width_, height_);
  return name;
}

bool GlBackBuffer::Build(Storage storage, std::uint32_t samples) {
  Destroy();
  storage_ = storage;
  gl_.GenFramebuffers(1, &framebuffer_);
  gl_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  colour_ = MakeColourBuffer(storage, samples);
  gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  gl_.GenRenderbuffers(1, &depth_);
  gl_.BindRenderbuffer(GL_RENDERBUFFER, depth_);
  gl_.RenderbufferStorageMultisample(GL_RENDERBUFFER, static_cast<GLsizei>(samples), GL_DEPTH_COMPONENT16, width_,
                                     height_);
  gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  bool complete = gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete && samples > 0) {
    gl_.GenFramebuffers(1, &resolveFramebuffer_);
    gl_.BindFramebuffer(GL_FRAMEBUFFER, resolveFramebuffer_);
    resolveColour_ = MakeColourBuffer(storage, 0);
    gl_.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolveColour_);
    complete = gl_.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }
  gl_.BindRenderbuffer(GL_RENDERBUFFER, 0);
  if (!complete) {
    Destroy();
    return false;
  }
  BindForDrawing();
  return true;
}

void GlBackBuffer::Destroy() {
  if (framebuffer_ == 0 && colour_ == 0 && depth_ == 0 && resolveFramebuffer_ == 0 && resolveColour_ == 0) return;
  gl_.BindFramebuffer(GL_FRAMEBUFFER, 0);
  const GLuint framebuffers[2] = {framebuffer_, resolveFramebuffer_};
  const GLuint renderbuffers[3] = {colour_, depth_, resolveColour_};
  gl_.DeleteFramebuffers(2, framebuffers);
  gl_.DeleteRenderbuffers(3, renderbuffers);
  framebuffer_ = colour_ = depth_ = resolveFramebuffer_ = resolveColour_ = 0;
}

void GlBackBuffer::BindForDrawing() {
  gl_.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glViewport(0, 0, width_, height_);
}

GLuint GlBackBuffer::ReadableFramebuffer() {
  if (samples_ == 0) return framebuffer_;
  gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer_);
  gl_.BlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  return resolveFramebuffer_;
}

void GlBackBuffer::Read(std::vector<std::uint32_t>& pixels) {
  const std::size_t count = static_cast<std::size_t>(width_) * height_;
  pixels.assign(count, 0);
  gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, ReadableFramebuffer());
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // Rows come bottom row first; the caller gets the top row first.
  auto store = [&](std::int32_t glRow, std::int32_t x, std::uint32_t pixel) {
    pixels[static_cast<std::size_t>(height_ - 1 - glRow) * width_ + x] = pixel;
  };
  if (storage_ == Storage::Rgba8) {
    std::vector<std::uint8_t> bytes(count * 4);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    for (std::int32_t row = 0; row < height_; ++row) {
      for (std::int32_t x = 0; x < width_; ++x) {
        const std::uint8_t* p = &bytes[(static_cast<std::size_t>(row) * width_ + x) * 4];
        store(row, x, static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2]);
      }
    }
  } else {
    std::vector<std::uint16_t> words(count);
    const bool is565 = storage_ == Storage::Rgb565;
    glReadPixels(0, 0, width_, height_, is565 ? GL_RGB : GL_BGRA,
                 is565 ? GL_UNSIGNED_SHORT_5_6_5 : GL_UNSIGNED_SHORT_1_5_5_5_REV, words.data());
    for (std::int32_t row = 0; row < height_; ++row) {
      for (std::int32_t x = 0; x < width_; ++x) {
        const std::uint16_t p = words[static_cast<std::size_t>(row) * width_ + x];
        store(row, x, is565 ? From565(p) : From1555(p));
      }
    }
  }
  BindForDrawing();
}

void GlBackBuffer::ComposeToWindow(std::int32_t windowWidth, std::int32_t windowHeight, const Sys3DGammaRamp& ramp,
                                   bool identityRamp, std::uint32_t textureUnits) {
  const GLuint source = ReadableFramebuffer();
  gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, source);
  gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDrawBuffer(GL_BACK);
  if (identityRamp) {
    const bool sameSize = windowWidth == width_ && windowHeight == height_;
    gl_.BlitFramebuffer(0, 0, width_, height_, 0, 0, windowWidth, windowHeight, GL_COLOR_BUFFER_BIT,
                        sameSize ? GL_NEAREST : GL_LINEAR);
    return;
  }
  CopyThroughRamp(windowWidth, windowHeight, ramp, textureUnits);
}

void GlBackBuffer::CopyThroughRamp(std::int32_t windowWidth, std::int32_t windowHeight, const Sys3DGammaRamp& ramp,
                                   std::uint32_t textureUnits) {
  // The ramp is applied on the CPU: fixed-function colour maps on a pixel
  // copy would do it in the driver, but not every driver maps all three
  // channels.  Only a ramp other than the identity takes this path.
  const std::size_t count = static_cast<std::size_t>(width_) * height_;
  std::vector<std::uint8_t> rgba(count * 4);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  std::uint8_t table[3][kRampSize];
  for (int i = 0; i < kRampSize; ++i) {
    table[0][i] = static_cast<std::uint8_t>(ramp.red[i] >> 8);
    table[1][i] = static_cast<std::uint8_t>(ramp.green[i] >> 8);
    table[2][i] = static_cast<std::uint8_t>(ramp.blue[i] >> 8);
  }
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* p = &rgba[i * 4];
    for (int channel = 0; channel < 3; ++channel) p[channel] = table[channel][p[channel]];
  }
  // Fragments of a pixel rectangle pass the whole pipeline, so everything
  // that could touch them is switched off; the device sends its own state
  // again before the next draw.
  for (std::uint32_t unit = 0; unit < textureUnits; ++unit) {
    gl_.ActiveTexture(GL_TEXTURE0 + unit);
    glDisable(GL_TEXTURE_2D);
  }
  gl_.ActiveTexture(GL_TEXTURE0);
  const GLenum off[] = {GL_DEPTH_TEST, GL_ALPHA_TEST, GL_BLEND, GL_FOG, GL_DITHER, GL_SCISSOR_TEST, GL_STENCIL_TEST};
  for (GLenum capability : off) glDisable(capability);
  glPixelZoom(static_cast<float>(windowWidth) / static_cast<float>(width_),
              static_cast<float>(windowHeight) / static_cast<float>(height_));
  gl_.WindowPos2i(0, 0);
  glDrawPixels(width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glPixelZoom(1.0f, 1.0f);
}
