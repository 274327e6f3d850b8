#include "platform/gl/GlDevice3DFactory.h"

#include <SDL2/SDL.h>

#include "platform/gl/GlCapsProbe.h"
#include "platform/gl/GlDevice3D.h"
#include "platform/gl/GlDisplayModes.h"

std::unique_ptr<SysDevice3DFactory> SysCreateDevice3DFactory() { return GlDevice3DFactory::Create(); }

std::unique_ptr<SysDevice3DFactory> GlDevice3DFactory::Create() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  return std::unique_ptr<SysDevice3DFactory>(new GlDevice3DFactory());
}

GlDevice3DFactory::~GlDevice3DFactory() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

const std::vector<Sys3DDisplayMode>& GlDevice3DFactory::Modes() {
  if (!modesKnown_) {
    modes_ = GlQueryDisplayModes();
    modesKnown_ = true;
  }
  return modes_;
}

std::uint32_t GlDevice3DFactory::GetAdapterModeCount() { return static_cast<std::uint32_t>(Modes().size()); }

Sys3DResult GlDevice3DFactory::EnumAdapterModes(std::uint32_t index, Sys3DDisplayMode& mode) {
  if (index >= Modes().size()) return Sys3DError::InvalidCall;
  mode = Modes()[index];
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3DFactory::GetDeviceCaps(Sys3DCaps& caps) {
  if (!capsKnown_) {
    const Sys3DResult result = GlProbeCaps(caps_);
    if (result != Sys3DError::Ok) return result;
    capsKnown_ = true;
  }
  caps = caps_;
  return Sys3DError::Ok;
}

Sys3DResult GlDevice3DFactory::CreateDevice(void* nativeWindow, Sys3DPresentParams& params,
                                            std::unique_ptr<SysDevice3D>& device) {
  return GlDevice3D::Create(static_cast<SDL_Window*>(nativeWindow), params, device);
}
