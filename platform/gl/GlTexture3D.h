#pragma once
// A texture of GlDevice3D: CPU copies of every level in the texture's own
// format, and a driver texture holding them widened to 8 bits per channel.

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "platform/SysDevice3DTexture.h"
#include "platform/gl/GlDeviceResource.h"

class GlDevice3D;

class GlTexture3D final : public SysDevice3DTexture, public GlDeviceResource {
 public:
  GlTexture3D(GlDevice3D* device, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
              Sys3DFormat format);
  ~GlTexture3D() override;
  GlTexture3D(const GlTexture3D&) = delete;
  GlTexture3D& operator=(const GlTexture3D&) = delete;

  // Makes the driver texture with every level zeroed.
  Sys3DResult CreateDriverTexture();

  Sys3DFormat GetFormat() const override { return format_; }
  std::uint32_t GetLevelCount() const override { return static_cast<std::uint32_t>(levels_.size()); }
  Sys3DResult GetLevelSize(std::uint32_t level, std::int32_t& width, std::int32_t& height) const override;
  Sys3DResult LockRect(std::uint32_t level, Sys3DLockedRect& locked) override;
  Sys3DResult UnlockRect(std::uint32_t level) override;

  void DetachFromDevice() override;
  const GlDevice3D* Device() const { return device_; }
  GLuint DriverName() const { return name_; }
  // Sets filtering and addressing on the driver texture, which must be bound
  // to the active unit; repeats are skipped.
  void ApplySampling(GLint magFilter, GLint minFilter, GLint wrapS, GLint wrapT);

 private:
  struct Level {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> texels;
    bool locked = false;
  };
  void Upload(std::uint32_t level);

  GlDevice3D* device_;
  Sys3DFormat format_;
  std::vector<Level> levels_;
  GLuint name_ = 0;
  GLint sampling_[4] = {-1, -1, -1, -1};
};
