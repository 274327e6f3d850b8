#pragma once
// OpenGL entry points beyond 1.1, fetched from the driver once a context is
// current.  The ones marked optional may be null.

#include <GL/gl.h>
#include <GL/glext.h>

struct GlFunctions {
  // The system's gl.h declares the 1.3 calls without pointer types.
  using TextureUnitCall = void(APIENTRY*)(GLenum unit);
  TextureUnitCall ActiveTexture = nullptr;
  TextureUnitCall ClientActiveTexture = nullptr;
  PFNGLFOGCOORDPOINTERPROC FogCoordPointer = nullptr;
  PFNGLWINDOWPOS2IPROC WindowPos2i = nullptr;
  PFNGLGENBUFFERSPROC GenBuffers = nullptr;
  PFNGLDELETEBUFFERSPROC DeleteBuffers = nullptr;
  PFNGLBINDBUFFERPROC BindBuffer = nullptr;
  PFNGLBUFFERDATAPROC BufferData = nullptr;
  PFNGLBUFFERSUBDATAPROC BufferSubData = nullptr;
  PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
  PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC RenderbufferStorageMultisample = nullptr;
  PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;
  PFNGLCLIPCONTROLPROC ClipControl = nullptr;          // optional
  PFNGLPROVOKINGVERTEXPROC ProvokingVertex = nullptr;  // optional
  bool bgraVertexColours = false;

  // Fetches everything for the current context; false when a required
  // entry point or feature is missing.
  bool Load();
};
