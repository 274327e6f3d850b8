#include "platform/gl/GlFunctions.h"

#include <SDL2/SDL.h>

namespace {

template <typename Pointer>
bool Fetch(Pointer& target, const char* name) {
  target = reinterpret_cast<Pointer>(SDL_GL_GetProcAddress(name));
  return target != nullptr;
}

// The context's version as major x 10 + minor ("4.5 (Compatibility ...)" gives 45).
int ContextVersion() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (version == nullptr) return 0;
  const int major = SDL_atoi(version);
  const char* dot = SDL_strchr(version, '.');
  return major * 10 + (dot != nullptr ? SDL_atoi(dot + 1) % 10 : 0);
}

}  // namespace

bool GlFunctions::Load() {
  bool ok = Fetch(ActiveTexture, "glActiveTexture") && Fetch(ClientActiveTexture, "glClientActiveTexture") &&
            Fetch(FogCoordPointer, "glFogCoordPointer") && Fetch(WindowPos2i, "glWindowPos2i") &&
            Fetch(GenBuffers, "glGenBuffers") && Fetch(DeleteBuffers, "glDeleteBuffers") &&
            Fetch(BindBuffer, "glBindBuffer") && Fetch(BufferData, "glBufferData") &&
            Fetch(BufferSubData, "glBufferSubData");
  const bool framebuffers = ContextVersion() >= 30 || SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object");
  ok = ok && framebuffers && Fetch(GenFramebuffers, "glGenFramebuffers") &&
       Fetch(DeleteFramebuffers, "glDeleteFramebuffers") && Fetch(BindFramebuffer, "glBindFramebuffer") &&
       Fetch(CheckFramebufferStatus, "glCheckFramebufferStatus") &&
       Fetch(FramebufferRenderbuffer, "glFramebufferRenderbuffer") &&
       Fetch(GenRenderbuffers, "glGenRenderbuffers") && Fetch(DeleteRenderbuffers, "glDeleteRenderbuffers") &&
       Fetch(BindRenderbuffer, "glBindRenderbuffer") &&
       Fetch(RenderbufferStorageMultisample, "glRenderbufferStorageMultisample") &&
       Fetch(BlitFramebuffer, "glBlitFramebuffer");
  // Vertex colours are stored B, G, R, A and handed to the driver as they are.
  bgraVertexColours = ContextVersion() >= 32 || SDL_GL_ExtensionSupported("GL_ARB_vertex_array_bgra") ||
                      SDL_GL_ExtensionSupported("GL_EXT_vertex_array_bgra");
  if (ContextVersion() >= 45 || SDL_GL_ExtensionSupported("GL_ARB_clip_control")) {
    Fetch(ClipControl, "glClipControl");
  }
  if (ContextVersion() >= 32 || SDL_GL_ExtensionSupported("GL_ARB_provoking_vertex")) {
    Fetch(ProvokingVertex, "glProvokingVertex");
  }
  return ok && bgraVertexColours;
}
