#pragma once
// A vertex buffer of the drawing device (SysDevice3D.h).  It keeps a CPU
// copy of its bytes; Unlock hands the locked range to the device.
// Main thread only.

#include <cstdint>

#include "platform/SysDevice3DTypes.h"

class SysDevice3DVertexBuffer {
 public:
  virtual ~SysDevice3DVertexBuffer() = default;

  virtual std::uint32_t GetSize() const = 0;          // bytes
  virtual std::uint32_t GetVertexFormat() const = 0;  // Sys3DFvf bits given at creation
  // Locks `size` bytes from `offset` (size 0: up to the end) and gives a
  // pointer to them in the CPU copy.  One lock at a time; the range must lie
  // inside the buffer.
  virtual Sys3DResult Lock(std::uint32_t offset, std::uint32_t size, void*& data) = 0;
  virtual Sys3DResult Unlock() = 0;
};
