#pragma once
// A texture of the drawing device (SysDevice3D.h), kept in the managed sense:
// every level has a CPU copy in the texture's own format, so the texels can
// be read back and survive a device reset.  Main thread only.

#include <cstdint>

#include "platform/SysDevice3DTypes.h"

class SysDevice3DTexture {
 public:
  virtual ~SysDevice3DTexture() = default;

  virtual Sys3DFormat GetFormat() const = 0;
  // Number of mip levels; level 0 is the full size, each next one half of
  // the previous one (rounded down, at least 1) down to 1 x 1.
  virtual std::uint32_t GetLevelCount() const = 0;
  // Size of a level in texels; InvalidCall for a level that does not exist.
  virtual Sys3DResult GetLevelSize(std::uint32_t level, std::int32_t& width, std::int32_t& height) const = 0;
  // Gives the level's CPU copy, readable and writable, rows packed
  // (pitch = width x bytes per pixel).  The pointer stays valid until
  // UnlockRect.  A level can be locked once at a time.
  virtual Sys3DResult LockRect(std::uint32_t level, Sys3DLockedRect& locked) = 0;
  // Ends the lock and hands the level's texels to the device.
  virtual Sys3DResult UnlockRect(std::uint32_t level) = 0;
};
