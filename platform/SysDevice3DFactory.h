#pragma once
// Entry to the drawing device: the display modes, the device capabilities
// and device creation.  Main thread only; the factory may be destroyed
// before or after the devices it made.

#include <cstdint>
#include <memory>

#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DTypes.h"

class SysDevice3DFactory {
 public:
  virtual ~SysDevice3DFactory() = default;

  // Full-screen modes of the main display, each size and format once.
  virtual std::uint32_t GetAdapterModeCount() = 0;
  virtual Sys3DResult EnumAdapterModes(std::uint32_t index, Sys3DDisplayMode& mode) = 0;
  virtual Sys3DResult GetDeviceCaps(Sys3DCaps& caps) = 0;
  // Creates a device that draws into `nativeWindow` (the window layer's
  // native handle; the window stays the caller's and must outlive the
  // device).  `params.multiSampleType` is rewritten to what was obtained.
  virtual Sys3DResult CreateDevice(void* nativeWindow, Sys3DPresentParams& params,
                                   std::unique_ptr<SysDevice3D>& device) = 0;
};

// The factory of this platform, or null when there is no video system.
std::unique_ptr<SysDevice3DFactory> SysCreateDevice3DFactory();
