#include "platform/gl/GlVertexBuffer3D.h"

#include "platform/gl/GlDevice3D.h"

GlVertexBuffer3D::GlVertexBuffer3D(GlDevice3D* device, std::uint32_t bytes, std::uint32_t fvf)
    : device_(device), fvf_(fvf), bytes_(bytes, 0) {
  device_->Remember(this);
}

GlVertexBuffer3D::~GlVertexBuffer3D() { DetachFromDevice(); }

Sys3DResult GlVertexBuffer3D::CreateDriverBuffer() {
  device_->MakeCurrent();
  while (glGetError() != GL_NO_ERROR) {
  }
  const GlFunctions& gl = device_->Gl();
  gl.GenBuffers(1, &name_);
  gl.BindBuffer(GL_ARRAY_BUFFER, name_);
  gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes_.size()), bytes_.data(), GL_STATIC_DRAW);
  gl.BindBuffer(GL_ARRAY_BUFFER, 0);
  const GLenum error = glGetError();
  if (error == GL_NO_ERROR) return Sys3DError::Ok;
  return error == GL_OUT_OF_MEMORY ? Sys3DError::OutOfVideoMemory : Sys3DError::DriverInternalError;
}

Sys3DResult GlVertexBuffer3D::Lock(std::uint32_t offset, std::uint32_t size, void*& data) {
  const std::uint64_t total = bytes_.size();
  if (device_ == nullptr || locked_ || offset >= total) return Sys3DError::InvalidCall;
  if (size == 0) size = static_cast<std::uint32_t>(total - offset);
  if (static_cast<std::uint64_t>(offset) + size > total) return Sys3DError::InvalidCall;
  locked_ = true;
  lockOffset_ = offset;
  lockSize_ = size;
  data = bytes_.data() + offset;
  return Sys3DError::Ok;
}

Sys3DResult GlVertexBuffer3D::Unlock() {
  if (device_ == nullptr || !locked_) return Sys3DError::InvalidCall;
  locked_ = false;
  device_->MakeCurrent();
  const GlFunctions& gl = device_->Gl();
  gl.BindBuffer(GL_ARRAY_BUFFER, name_);
  gl.BufferSubData(GL_ARRAY_BUFFER, lockOffset_, lockSize_, bytes_.data() + lockOffset_);
  gl.BindBuffer(GL_ARRAY_BUFFER, 0);
  return Sys3DError::Ok;
}

void GlVertexBuffer3D::DetachFromDevice() {
  if (device_ == nullptr) return;
  if (name_ != 0) {
    device_->MakeCurrent();
    device_->UnbindVertexBuffer(this);
    device_->Gl().DeleteBuffers(1, &name_);
    name_ = 0;
  }
  device_->Forget(this);
  device_ = nullptr;
}
