#pragma once
// A vertex buffer of GlDevice3D: a CPU copy and a driver buffer that gets
// each unlocked range.

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "platform/SysDevice3DVertexBuffer.h"
#include "platform/gl/GlDeviceResource.h"

class GlDevice3D;

class GlVertexBuffer3D final : public SysDevice3DVertexBuffer, public GlDeviceResource {
 public:
  GlVertexBuffer3D(GlDevice3D* device, std::uint32_t bytes, std::uint32_t fvf);
  ~GlVertexBuffer3D() override;
  GlVertexBuffer3D(const GlVertexBuffer3D&) = delete;
  GlVertexBuffer3D& operator=(const GlVertexBuffer3D&) = delete;

  Sys3DResult CreateDriverBuffer();

  std::uint32_t GetSize() const override { return static_cast<std::uint32_t>(bytes_.size()); }
  std::uint32_t GetVertexFormat() const override { return fvf_; }
  Sys3DResult Lock(std::uint32_t offset, std::uint32_t size, void*& data) override;
  Sys3DResult Unlock() override;

  void DetachFromDevice() override;
  const GlDevice3D* Device() const { return device_; }
  GLuint DriverName() const { return name_; }
  bool Locked() const { return locked_; }
  const std::uint8_t* Bytes() const { return bytes_.data(); }

 private:
  GlDevice3D* device_;
  std::uint32_t fvf_;
  std::vector<std::uint8_t> bytes_;
  GLuint name_ = 0;
  bool locked_ = false;
  std::uint32_t lockOffset_ = 0;
  std::uint32_t lockSize_ = 0;
};
