#include "platform/gl/GlTexture3D.h"

#include "platform/gl/GlDevice3D.h"
#include "platform/gl/GlTexels.h"

GlTexture3D::GlTexture3D(GlDevice3D* device, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                         Sys3DFormat format)
    : device_(device), format_(format), levels_(levels) {
  const std::uint32_t bytesPerTexel = Sys3DBytesPerPixel(format);
  for (std::uint32_t i = 0; i < levels; ++i) {
    Level& level = levels_[i];
    level.width = GlLevelExtent(width, i);
    level.height = GlLevelExtent(height, i);
    level.texels.assign(static_cast<std::size_t>(level.width) * level.height * bytesPerTexel, 0);
  }
  device_->Remember(this);
}

GlTexture3D::~GlTexture3D() { DetachFromDevice(); }

Sys3DResult GlTexture3D::CreateDriverTexture() {
  device_->MakeCurrent();
  while (glGetError() != GL_NO_ERROR) {
  }
  glGenTextures(1, &name_);
  device_->Gl().ActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, name_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_.size()) - 1);
  for (std::uint32_t i = 0; i < levels_.size(); ++i) {
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(levels_[i].width) * levels_[i].height * 4, 0);
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_RGBA8, static_cast<GLsizei>(levels_[i].width),
                 static_cast<GLsizei>(levels_[i].height), 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
  }
  device_->InvalidateDriverState();
  const GLenum error = glGetError();
  if (error == GL_NO_ERROR) return Sys3DError::Ok;
  return error == GL_OUT_OF_MEMORY ? Sys3DError::OutOfVideoMemory : Sys3DError::DriverInternalError;
}

Sys3DResult GlTexture3D::GetLevelSize(std::uint32_t level, std::int32_t& width, std::int32_t& height) const {
  if (level >= levels_.size()) return Sys3DError::InvalidCall;
  width = static_cast<std::int32_t>(levels_[level].width);
  height = static_cast<std::int32_t>(levels_[level].height);
  return Sys3DError::Ok;
}

Sys3DResult GlTexture3D::LockRect(std::uint32_t level, Sys3DLockedRect& locked) {
  if (device_ == nullptr || level >= levels_.size() || levels_[level].locked) return Sys3DError::InvalidCall;
  Level& target = levels_[level];
  target.locked = true;
  locked.pitch = static_cast<std::int32_t>(target.width * Sys3DBytesPerPixel(format_));
  locked.bits = target.texels.data();
  return Sys3DError::Ok;
}

Sys3DResult GlTexture3D::UnlockRect(std::uint32_t level) {
  if (device_ == nullptr || level >= levels_.size() || !levels_[level].locked) return Sys3DError::InvalidCall;
  levels_[level].locked = false;
  Upload(level);
  return Sys3DError::Ok;
}

void GlTexture3D::Upload(std::uint32_t level) {
  const Level& source = levels_[level];
  const std::size_t count = static_cast<std::size_t>(source.width) * source.height;
  std::vector<std::uint8_t> rgba(count * 4);
  GlExpandTexels(format_, source.texels.data(), count, rgba.data());
  device_->MakeCurrent();
  device_->Gl().ActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, name_);
  glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(source.width),
                  static_cast<GLsizei>(source.height), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  device_->InvalidateDriverState();
}

void GlTexture3D::ApplySampling(GLint magFilter, GLint minFilter, GLint wrapS, GLint wrapT) {
  const GLint wanted[4] = {magFilter, minFilter, wrapS, wrapT};
  const GLenum names[4] = {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
  for (int i = 0; i < 4; ++i) {
    if (sampling_[i] == wanted[i]) continue;
    glTexParameteri(GL_TEXTURE_2D, names[i], wanted[i]);
    sampling_[i] = wanted[i];
  }
}

void GlTexture3D::DetachFromDevice() {
  if (device_ == nullptr) return;
  if (name_ != 0) {
    device_->MakeCurrent();
    device_->UnbindTexture(this);
    glDeleteTextures(1, &name_);
    name_ = 0;
  }
  device_->Forget(this);
  device_ = nullptr;
}
