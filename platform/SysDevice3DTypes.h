#pragma once
// Values, records and result codes of the drawing device (SysDevice3D.h).
// The numbers are this layer's own; callers use the names.

#include <cstdint>
#include <cstring>

// Every device call returns one of these; 0 is success.  The codes are
// stable, so a fatal report may print them as numbers.
using Sys3DResult = std::int32_t;
namespace Sys3DError {
enum : Sys3DResult {
  Ok = 0,
  InvalidCall = 1,          // bad argument or call out of order
  NotAvailable = 2,         // format, size or feature the device cannot do
  OutOfVideoMemory = 3,
  DeviceLost = 4,           // window minimised or unfocused in full screen
  DeviceNotReset = 5,       // window back; Reset the device before presenting
  DriverInternalError = 6,  // the graphics driver failed (no context, GL error)
};
}
// Text for a result code (never null; unknown codes get a generic text).
const char* Sys3DResultText(Sys3DResult result);

// Pixel formats of textures, back buffers and display modes.
enum class Sys3DFormat : std::uint32_t {
  Unknown = 0,
  R5G6B5,    // 16 bits
  X1R5G5B5,  // 15 bits (display modes and back buffers only)
  A1R5G5B5,
  A4R4G4B4,
  A8R8G8B8,
  X8R8G8B8,
};
// Bytes per pixel of a format, 0 for Unknown.
std::uint32_t Sys3DBytesPerPixel(Sys3DFormat format);

struct Sys3DDisplayMode {
  std::int32_t width = 0;
  std::int32_t height = 0;
  Sys3DFormat format = Sys3DFormat::Unknown;  // X1R5G5B5, R5G6B5 or X8R8G8B8
};

// What the device can do.  The booleans answer the capability questions of
// the start-up report; the numbers are limits.
struct Sys3DCaps {
  bool hardwareCursor = false;
  bool immediatePresentInterval = false;
  bool hardwareRasterization = false;
  bool hardwareTransformAndLight = false;
  bool pureDevice = false;
  bool cullCCW = false;
  bool cullNone = false;
  bool anisotropicFiltering = false;
  bool edgeAntialiasing = false;
  bool dither = false;
  bool rangeFog = false;
  bool tableFog = false;
  bool vertexFog = false;
  bool mipmapLodBias = false;
  bool zFog = false;
  bool sourceBlendSrcAlpha = false;
  bool destBlendInvSrcAlpha = false;
  bool alphaGouraudBlend = false;
  bool colourGouraudShade = false;
  bool fogGouraud = false;
  bool textureAlpha = false;
  bool textureMipmap = false;
  bool texturePerspective = false;
  bool filterMagPoint = false;
  bool filterMinLinear = false;
  bool filterMinPoint = false;
  bool filterMipLinear = false;
  bool filterMipPoint = false;
  bool addressClamp = false;
  bool addressWrap = false;
  bool addressIndependentUV = false;
  bool textureOpAdd = false;
  bool textureOpModulate = false;
  bool directionalLights = false;
  float guardBandLeft = 0.0f;  // pixels; 0 everywhere: drawing is clipped
  float guardBandTop = 0.0f;
  float guardBandRight = 0.0f;
  float guardBandBottom = 0.0f;
  std::uint32_t maxTextureWidth = 0;
  std::uint32_t maxTextureHeight = 0;
  std::uint32_t maxSimultaneousTextures = 0;  // texture stages
  std::uint32_t maxPrimitiveCount = 0;        // per draw call
  std::uint32_t maxMultiSamples = 0;          // multisample types up to this work
};

// Back buffer of a device.  The depth buffer is always 16 bits.
struct Sys3DPresentParams {
  std::int32_t backBufferWidth = 0;   // pixels
  std::int32_t backBufferHeight = 0;
  // R5G6B5, X1R5G5B5 or X8R8G8B8; Unknown takes X8R8G8B8 in a window and is
  // refused in full screen.
  Sys3DFormat backBufferFormat = Sys3DFormat::Unknown;
  // 0 none, or 2, 3, 4 samples.  A count the device cannot do falls back to
  // 0; CreateDevice and Reset write back the count really used.
  std::uint32_t multiSampleType = 0;
  bool windowed = true;
};

// Render states, set with SysDevice3D::SetRenderState.
enum class Sys3DRenderState : std::uint32_t {
  ZEnable,                // bool
  FillMode,               // Sys3DFill
  ShadeMode,              // Sys3DShade
  ZWriteEnable,           // bool
  AlphaTestEnable,        // bool
  AlphaRef,               // 0..255
  AlphaFunc,              // Sys3DCompare
  LastPixel,              // bool: a line strip draws its last pixel
  CullMode,               // Sys3DCull
  ZFunc,                  // Sys3DCompare
  DitherEnable,           // bool
  FogEnable,              // bool
  FogColour,              // 0x00RRGGBB
  FogStart,               // float bits (Sys3DFloatBits), eye depth
  FogEnd,                 // float bits, eye depth
  FogTableMode,           // Sys3DFogMode
  SpecularEnable,         // bool (kept; no vertex format has specular)
  Clipping,               // bool (kept; drawing is always clipped)
  Lighting,               // bool
  Ambient,                // 0xAARRGGBB
  EdgeAntialias,          // bool
  MultisampleAntialias,   // bool
  SrcBlend,               // Sys3DBlend
  DestBlend,              // Sys3DBlend
  AlphaBlendEnable,       // bool
  Count
};

namespace Sys3DFill { enum : std::uint32_t { Point = 1, Wireframe = 2, Solid = 3 }; }
namespace Sys3DShade { enum : std::uint32_t { Flat = 1, Gouraud = 2 }; }
// Culling by the winding on the screen (y down): Clockwise culls triangles
// whose corners run clockwise there.
namespace Sys3DCull { enum : std::uint32_t { None = 1, Clockwise = 2, CounterClockwise = 3 }; }
namespace Sys3DCompare {
enum : std::uint32_t { Never = 1, Less, Equal, LessEqual, Greater, NotEqual, GreaterEqual, Always };
}
namespace Sys3DBlend {
enum : std::uint32_t {
  Zero = 1, One, SrcColour, InvSrcColour, SrcAlpha, InvSrcAlpha,
  DestAlpha, InvDestAlpha, DestColour, InvDestColour
};
}
namespace Sys3DFogMode { enum : std::uint32_t { None = 0, Linear = 3 }; }

// Texture-stage states, set with SysDevice3D::SetTextureStageState.
enum class Sys3DStageState : std::uint32_t {
  ColourOp,        // Sys3DTextureOp
  ColourArg1,      // Sys3DTextureArg
  ColourArg2,
  AlphaOp,
  AlphaArg1,
  AlphaArg2,
  MagFilter,       // Sys3DFilter
  MinFilter,
  MipFilter,
  AddressU,        // Sys3DAddress
  AddressV,
  TexCoordIndex,   // which coordinate pair of the vertex the stage reads
  Count
};
namespace Sys3DTextureOp {
enum : std::uint32_t { Disable = 1, SelectArg1, SelectArg2, Modulate, Add };
}
namespace Sys3DTextureArg { enum : std::uint32_t { Diffuse = 0, Current = 1, Texture = 2 }; }
namespace Sys3DFilter { enum : std::uint32_t { None = 0, Point = 1, Linear = 2 }; }
namespace Sys3DAddress { enum : std::uint32_t { Wrap = 1, Clamp = 3 }; }

// Vertex formats are combinations of these parts; the device draws
//   Xyz | Diffuse | Tex1     24 bytes: x, y, z, colour, u, v
//   Xyz | Diffuse | Tex2     32 bytes: x, y, z, colour, u, v, s, t
//   XyzRhw | Diffuse | Tex1  28 bytes: x, y (pixels), z (depth 0..1), rhw, colour, u, v
// Floats are 32-bit; the colour is 0xAARRGGBB, in memory B, G, R, A.
namespace Sys3DFvf {
enum : std::uint32_t { Xyz = 0x002, XyzRhw = 0x004, Diffuse = 0x040, Tex1 = 0x100, Tex2 = 0x200 };
}
// Size in bytes of one vertex of a drawable format; 0 for any other format.
std::uint32_t Sys3DVertexSize(std::uint32_t fvf);

enum class Sys3DPrimitive : std::uint32_t { LineStrip = 3, TriangleList = 4, TriangleFan = 6 };

enum class Sys3DTransform : std::uint32_t { World, View, Projection };

// A 4 x 4 matrix that transforms row vectors: p' = p x M.  m[row][column];
// the translation is the last row.
struct Sys3DMatrix {
  float m[4][4] = {};
  static Sys3DMatrix Identity() {
    Sys3DMatrix r;
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
  }
};

struct Sys3DColourValue {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

struct Sys3DVector {
  float x = 0.0f, y = 0.0f, z = 0.0f;
};

enum class Sys3DLightType : std::uint32_t { Point = 1, Directional = 3 };

// A light in world space.  Directional lights shine along `direction`.
struct Sys3DLight {
  Sys3DLightType type = Sys3DLightType::Directional;
  Sys3DColourValue diffuse;
  Sys3DColourValue specular;
  Sys3DColourValue ambient;
  Sys3DVector position;
  Sys3DVector direction{0.0f, 0.0f, 1.0f};
  float attenuation0 = 1.0f;  // point lights: 1 / (a0 + a1 d + a2 d^2)
  float attenuation1 = 0.0f;
  float attenuation2 = 0.0f;
};

// The diffuse reflectance comes from the vertex colour; the rest from here.
struct Sys3DMaterial {
  Sys3DColourValue diffuse;
  Sys3DColourValue ambient;
  Sys3DColourValue specular;
  Sys3DColourValue emissive;
  float power = 0.0f;
};

// Red, green and blue tables of the gamma ramp: entry i is the output
// (0..65535) for the input level i.
struct Sys3DGammaRamp {
  std::uint16_t red[256] = {};
  std::uint16_t green[256] = {};
  std::uint16_t blue[256] = {};
};

namespace Sys3DClear { enum : std::uint32_t { Target = 1, ZBuffer = 2 }; }

// A locked texture level: rows are packed, pitch = width x bytes per pixel.
struct Sys3DLockedRect {
  std::int32_t pitch = 0;
  void* bits = nullptr;
};

// Fog start and end travel as the bits of a 32-bit float.
inline std::uint32_t Sys3DFloatBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
inline float Sys3DBitsToFloat(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
