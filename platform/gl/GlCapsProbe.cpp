#include "platform/gl/GlCapsProbe.h"

#include <SDL2/SDL.h>

#include <algorithm>

#include "platform/gl/GlDevice3D.h"
#include "platform/gl/GlFunctions.h"
#include "platform/gl/GlStateBlock.h"

namespace {

std::uint32_t GetLimit(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value > 0 ? static_cast<std::uint32_t>(value) : 0;
}

// What every working context gives this device: the features it builds on
// fixed-function OpenGL.  Anisotropic filtering, a mip-map bias, range,
// vertex and z fog are not offered by the device, so they stay false, as
// does a cursor of the device's own.
void FillFeatures(bool working, Sys3DCaps& caps) {
  caps.hardwareRasterization = working;
  caps.hardwareTransformAndLight = working;
  caps.cullCCW = caps.cullNone = working;
  caps.edgeAntialiasing = caps.dither = caps.tableFog = working;
  caps.sourceBlendSrcAlpha = caps.destBlendInvSrcAlpha = working;
  caps.alphaGouraudBlend = caps.colourGouraudShade = caps.fogGouraud = working;
  caps.textureAlpha = caps.textureMipmap = caps.texturePerspective = working;
  caps.filterMagPoint = caps.filterMinLinear = caps.filterMinPoint = working;
  caps.filterMipLinear = caps.filterMipPoint = working;
  caps.addressClamp = caps.addressWrap = caps.addressIndependentUV = working;
  caps.textureOpAdd = caps.textureOpModulate = working;
  caps.directionalLights = working;
}

void FillLimits(bool working, Sys3DCaps& caps) {
  caps.maxTextureWidth = caps.maxTextureHeight = GetLimit(GL_MAX_TEXTURE_SIZE);
  caps.maxSimultaneousTextures = std::min(GetLimit(GL_MAX_TEXTURE_UNITS), GlStateBlock::kMaxStages);
  caps.maxPrimitiveCount = GlDevice3D::kMaxPrimitiveCount;
  caps.maxMultiSamples = working ? GetLimit(GL_MAX_SAMPLES) : 0;
}

constexpr int kProbeSize = 1;

}  // namespace

Sys3DResult GlProbeCaps(Sys3DCaps& caps) {
  caps = Sys3DCaps{};
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
  SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kProbeSize,
                                        kProbeSize, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr) return Sys3DError::DriverInternalError;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    SDL_DestroyWindow(window);
    return Sys3DError::DriverInternalError;
  }
  SDL_GL_MakeCurrent(window, context);
  GlFunctions gl;
  const bool working = gl.Load();
  FillFeatures(working, caps);
  FillLimits(working, caps);
  caps.immediatePresentInterval = SDL_GL_SetSwapInterval(0) == 0;
  SDL_GL_MakeCurrent(window, nullptr);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  if (previousContext != nullptr) SDL_GL_MakeCurrent(previousWindow, previousContext);
  return Sys3DError::Ok;
}
