#pragma once
// The drawing device: one window's back buffer, its render states and the
// calls that draw into it.  Created by SysDevice3DFactory.
//
// Contract:
// - Main thread only.  Every call returns a Sys3DResult (0 = success).
// - Screen coordinates are pixels of the back buffer, origin top left, y
//   down; a pixel's centre lies at integer coordinates.
// - Matrices transform row vectors (p' = p x M); after the projection the
//   visible depth runs from 0 (near) to w (far), and the depth buffer holds
//   0..1 (16 bits).
// - Triangles are culled by their winding on the screen (Sys3DCull).
// - A stage whose texture is null (or whose colour op is Disable) ends the
//   texture cascade: with stage 0 ended, colour and alpha are the vertex
//   colour's.
// - A new device, and a device after Reset, holds the default state:
//   ZEnable on, FillMode Solid, ShadeMode Gouraud, ZWriteEnable on,
//   AlphaTestEnable off, AlphaRef 0, AlphaFunc Always, LastPixel on,
//   CullMode CounterClockwise, ZFunc LessEqual, DitherEnable off, FogEnable
//   off, FogColour 0, FogStart 0.0, FogEnd 1.0, FogTableMode None,
//   SpecularEnable off, Clipping on, Lighting on, Ambient 0,
//   EdgeAntialias off, MultisampleAntialias on, SrcBlend One, DestBlend
//   Zero, AlphaBlendEnable off; stage 0 ColourOp Modulate (Texture,
//   Current), AlphaOp SelectArg1 (Texture, Current); stages 1.. ColourOp and
//   AlphaOp Disable (Texture, Current); every stage Mag/MinFilter Point,
//   MipFilter None, AddressU/V Wrap, TexCoordIndex = the stage number; all
//   transforms identity; no textures, no lights, a zero material.
// - Textures and vertex buffers are owned by the caller.  Destroying the
//   device frees their graphics memory first; afterwards they only keep
//   their CPU copies and refuse Lock.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/SysDevice3DTexture.h"
#include "platform/SysDevice3DTypes.h"
#include "platform/SysDevice3DVertexBuffer.h"

class SysDevice3D {
 public:
  virtual ~SysDevice3D() = default;

  // --- Back buffer and frame ---------------------------------------------
  // Clears the whole back buffer (Sys3DClear::Target, colour 0xAARRGGBB)
  // and/or the depth buffer (Sys3DClear::ZBuffer, z 0..1).  Not limited by
  // ZWriteEnable.
  virtual Sys3DResult Clear(std::uint32_t flags, std::uint32_t colour, float z) = 0;
  virtual Sys3DResult BeginScene() = 0;
  virtual Sys3DResult EndScene() = 0;
  // Shows the back buffer in the window, scaled to the window's size and
  // passed through the gamma ramp (each channel level i becomes the high
  // byte of the ramp's entry i).  The back buffer's content is undefined
  // afterwards.  DeviceLost or DeviceNotReset while the device is lost.
  virtual Sys3DResult Present() = 0;
  // Ok, DeviceLost (the window is away) or DeviceNotReset (it is back).
  virtual Sys3DResult TestCooperativeLevel() = 0;
  // Rebuilds the back buffer with new parameters and returns every state to
  // its default.  Textures and vertex buffers stay.  DeviceLost while the
  // window is still away.
  virtual Sys3DResult Reset(Sys3DPresentParams& params) = 0;
  // The window layer reports a full-screen window minimised or unfocused
  // (lost) and back again (restored); the device itself never loses content.
  virtual void NotifyWindowLost() = 0;
  virtual void NotifyWindowRestored() = 0;
  // The back buffer as drawn so far, without the gamma ramp (which is
  // applied only on the way to the screen): width x height pixels
  // 0x00RRGGBB, top row first.  A 16-bit (or 15-bit) back buffer gives each
  // channel's bits in the top of its byte, low bits zero (0xFFFF reads as
  // 0xF8FCF8).  Call it before Present.
  virtual Sys3DResult ReadBackBuffer(std::vector<std::uint32_t>& pixels, std::int32_t& width,
                                     std::int32_t& height) = 0;
  virtual Sys3DResult SetGammaRamp(const Sys3DGammaRamp& ramp) = 0;
  virtual Sys3DResult GetGammaRamp(Sys3DGammaRamp& ramp) const = 0;

  // --- States ---------------------------------------------------------------
  virtual Sys3DResult SetRenderState(Sys3DRenderState state, std::uint32_t value) = 0;
  virtual Sys3DResult GetRenderState(Sys3DRenderState state, std::uint32_t& value) const = 0;
  virtual Sys3DResult SetTextureStageState(std::uint32_t stage, Sys3DStageState state, std::uint32_t value) = 0;
  virtual Sys3DResult GetTextureStageState(std::uint32_t stage, Sys3DStageState state,
                                           std::uint32_t& value) const = 0;
  virtual Sys3DResult SetTransform(Sys3DTransform which, const Sys3DMatrix& matrix) = 0;
  virtual Sys3DResult GetTransform(Sys3DTransform which, Sys3DMatrix& matrix) const = 0;
  // Lights 0..7.
  virtual Sys3DResult SetLight(std::uint32_t index, const Sys3DLight& light) = 0;
  virtual Sys3DResult LightEnable(std::uint32_t index, bool enable) = 0;
  virtual Sys3DResult SetMaterial(const Sys3DMaterial& material) = 0;
  // A texture of this device, or null.
  virtual Sys3DResult SetTexture(std::uint32_t stage, SysDevice3DTexture* texture) = 0;

  // --- Drawing --------------------------------------------------------------
  // Sys3DFvf bits of one of the three drawable formats.
  virtual Sys3DResult SetVertexFormat(std::uint32_t fvf) = 0;
  // Vertex buffer read by DrawPrimitive (null: none) and its vertex stride.
  virtual Sys3DResult SetStreamSource(SysDevice3DVertexBuffer* buffer, std::uint32_t stride) = 0;
  // Draws `primitiveCount` primitives (segments or triangles) from caller
  // memory in the current vertex format.
  virtual Sys3DResult DrawPrimitiveUP(Sys3DPrimitive type, std::uint32_t primitiveCount, const void* vertices,
                                      std::uint32_t stride) = 0;
  // The same from the stream source, starting at vertex `startVertex`.
  virtual Sys3DResult DrawPrimitive(Sys3DPrimitive type, std::uint32_t startVertex, std::uint32_t primitiveCount) = 0;

  // --- Resources ------------------------------------------------------------
  // `levels` 0 makes the whole chain down to 1 x 1.  Formats A4R4G4B4,
  // A1R5G5B5, R5G6B5, A8R8G8B8, X8R8G8B8.  Texels start at 0.
  virtual Sys3DResult CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                    Sys3DFormat format, std::unique_ptr<SysDevice3DTexture>& texture) = 0;
  // `bytes` long, zero-filled, holding vertices of format `fvf`.
  virtual Sys3DResult CreateVertexBuffer(std::uint32_t bytes, std::uint32_t fvf,
                                         std::unique_ptr<SysDevice3DVertexBuffer>& buffer) = 0;
};
