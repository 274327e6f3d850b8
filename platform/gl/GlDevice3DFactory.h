#pragma once
// SysDevice3DFactory on SDL and OpenGL.

#include <vector>

#include "platform/SysDevice3DFactory.h"

class GlDevice3DFactory final : public SysDevice3DFactory {
 public:
  // Takes a share of SDL's video system for the factory's life.
  static std::unique_ptr<SysDevice3DFactory> Create();
  ~GlDevice3DFactory() override;
  GlDevice3DFactory(const GlDevice3DFactory&) = delete;
  GlDevice3DFactory& operator=(const GlDevice3DFactory&) = delete;

  std::uint32_t GetAdapterModeCount() override;
  Sys3DResult EnumAdapterModes(std::uint32_t index, Sys3DDisplayMode& mode) override;
  Sys3DResult GetDeviceCaps(Sys3DCaps& caps) override;
  Sys3DResult CreateDevice(void* nativeWindow, Sys3DPresentParams& params,
                           std::unique_ptr<SysDevice3D>& device) override;

 private:
  GlDevice3DFactory() = default;
  const std::vector<Sys3DDisplayMode>& Modes();

  bool modesKnown_ = false;
  std::vector<Sys3DDisplayMode> modes_;
  bool capsKnown_ = false;
  Sys3DCaps caps_;
};
