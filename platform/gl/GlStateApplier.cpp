#include "platform/gl/GlStateApplier.h"

#include <algorithm>

#include "platform/gl/GlMatrices.h"
#include "platform/gl/GlTexture3D.h"

namespace {

using RS = Sys3DRenderState;
using SS = Sys3DStageState;

void Enable(GLenum capability, bool on) {
  if (on) {
    glEnable(capability);
  } else {
    glDisable(capability);
  }
}

GLenum CompareFunction(std::uint32_t compare) {
  static const GLenum kFunctions[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL,
                                      GL_ALWAYS};
  return kFunctions[compare - Sys3DCompare::Never];
}

GLenum BlendFactor(std::uint32_t blend) {
  static const GLenum kFactors[] = {GL_ZERO,      GL_ONE,
                                    GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                    GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                    GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                                    GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
  return kFactors[blend - Sys3DBlend::Zero];
}

// 0xAARRGGBB to four floats 0..1.
void ColourToFloats(std::uint32_t colour, float out[4]) {
  out[0] = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
  out[1] = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
  out[2] = static_cast<float>(colour & 0xFF) / 255.0f;
  out[3] = static_cast<float>(colour >> 24) / 255.0f;
}

void ValueToFloats(const Sys3DColourValue& value, float out[4]) {
  out[0] = value.r;
  out[1] = value.g;
  out[2] = value.b;
  out[3] = value.a;
}

void LoadMatrix(GLenum mode, const Sys3DMatrix& matrix) {
  // A row-vector matrix stored row by row is, read column by column, the
  // column-vector matrix OpenGL wants.
  glMatrixMode(mode);
  glLoadMatrixf(&matrix.m[0][0]);
}

GLenum CombineSource(std::uint32_t argument) {
  switch (argument) {
    case Sys3DTextureArg::Texture:
      return GL_TEXTURE;
    case Sys3DTextureArg::Diffuse:
      return GL_PRIMARY_COLOR;
    default:
      return GL_PREVIOUS;
  }
}

// One half (colour or alpha) of a texture stage as a combiner.
struct CombinerNames {
  GLenum combine, source0, source1, operand0, operand1, operandValue;
};
const CombinerNames kColourCombiner{GL_COMBINE_RGB, GL_SRC0_RGB, GL_SRC1_RGB,
                                    GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_SRC_COLOR};
const CombinerNames kAlphaCombiner{GL_COMBINE_ALPHA, GL_SRC0_ALPHA, GL_SRC1_ALPHA,
                                   GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_SRC_ALPHA};

void SetCombiner(const CombinerNames& names, std::uint32_t op, std::uint32_t arg1, std::uint32_t arg2) {
  GLenum function = GL_REPLACE;
  GLenum first = CombineSource(arg1);
  switch (op) {
    case Sys3DTextureOp::SelectArg2:
      first = CombineSource(arg2);
      break;
    case Sys3DTextureOp::Modulate:
      function = GL_MODULATE;
      break;
    case Sys3DTextureOp::Add:
      function = GL_ADD;
      break;
    case Sys3DTextureOp::Disable:
      first = GL_PREVIOUS;
      break;
    default:
      break;
  }
  glTexEnvi(GL_TEXTURE_ENV, names.combine, static_cast<GLint>(function));
  glTexEnvi(GL_TEXTURE_ENV, names.source0, static_cast<GLint>(first));
  glTexEnvi(GL_TEXTURE_ENV, names.source1, static_cast<GLint>(CombineSource(arg2)));
  glTexEnvi(GL_TEXTURE_ENV, names.operand0, static_cast<GLint>(names.operandValue));
  glTexEnvi(GL_TEXTURE_ENV, names.operand1, static_cast<GLint>(names.operandValue));
}

GLint MinFilter(std::uint32_t minFilter, std::uint32_t mipFilter) {
  const bool linear = minFilter == Sys3DFilter::Linear;
  switch (mipFilter) {
    case Sys3DFilter::Point:
      return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case Sys3DFilter::Linear:
      return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default:
      return linear ? GL_LINEAR : GL_NEAREST;
  }
}

GLint Wrap(std::uint32_t address) { return address == Sys3DAddress::Clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT; }

}  // namespace

std::uint32_t GlStateApplier::Apply(const GlStateBlock& state, const GlDrawTarget& target, bool screenVertices,
                                    GlTexture3D* const* textures) {
  ApplyRasterStates(state);
  ApplyBlendAndAlpha(state);
  ApplyFog(state, screenVertices);
  ApplyTransformsAndLights(state, target, screenVertices);
  return ApplyStages(state, textures);
}

void GlStateApplier::ApplyRasterStates(const GlStateBlock& state) {
  Enable(GL_DEPTH_TEST, state.Enabled(RS::ZEnable));
  glDepthMask(state.Enabled(RS::ZWriteEnable) ? GL_TRUE : GL_FALSE);
  glDepthFunc(CompareFunction(state.Render(RS::ZFunc)));
  static const GLenum kFillModes[] = {GL_POINT, GL_LINE, GL_FILL};
  glPolygonMode(GL_FRONT_AND_BACK, kFillModes[state.Render(RS::FillMode) - Sys3DFill::Point]);
  glShadeModel(state.Render(RS::ShadeMode) == Sys3DShade::Flat ? GL_FLAT : GL_SMOOTH);
  // Windings are what the eye sees on the screen in both systems; with
  // OpenGL's front faces counter-clockwise, culling counter-clockwise
  // triangles culls the front.
  const std::uint32_t cull = state.Render(RS::CullMode);
  Enable(GL_CULL_FACE, cull != Sys3DCull::None);
  glFrontFace(GL_CCW);
  glCullFace(cull == Sys3DCull::CounterClockwise ? GL_FRONT : GL_BACK);
  Enable(GL_DITHER, state.Enabled(RS::DitherEnable));
  Enable(GL_LINE_SMOOTH, state.Enabled(RS::EdgeAntialias));
  Enable(GL_MULTISAMPLE, state.Enabled(RS::MultisampleAntialias));
}

void GlStateApplier::ApplyBlendAndAlpha(const GlStateBlock& state) {
  Enable(GL_ALPHA_TEST, state.Enabled(RS::AlphaTestEnable));
  glAlphaFunc(CompareFunction(state.Render(RS::AlphaFunc)), static_cast<float>(state.Render(RS::AlphaRef)) / 255.0f);
  Enable(GL_BLEND, state.Enabled(RS::AlphaBlendEnable));
  glBlendFunc(BlendFactor(state.Render(RS::SrcBlend)), BlendFactor(state.Render(RS::DestBlend)));
}

void GlStateApplier::ApplyFog(const GlStateBlock& state, bool screenVertices) {
  const bool on = state.Enabled(RS::FogEnable) && state.Render(RS::FogTableMode) == Sys3DFogMode::Linear;
  Enable(GL_FOG, on);
  if (!on) return;
  float colour[4];
  ColourToFloats(state.Render(RS::FogColour) & 0x00FFFFFFu, colour);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, Sys3DBitsToFloat(state.Render(RS::FogStart)));
  glFogf(GL_FOG_END, Sys3DBitsToFloat(state.Render(RS::FogEnd)));
  glFogfv(GL_FOG_COLOR, colour);
  glHint(GL_FOG_HINT, GL_NICEST);
  // Fog runs on the eye depth: the eye-space z of 3-D vertices, 1 / rhw of
  // screen vertices (handed over as the fog coordinate).
  glFogi(GL_FOG_COORD_SRC, screenVertices ? GL_FOG_COORD : GL_FRAGMENT_DEPTH);
}

void GlStateApplier::ApplyTransformsAndLights(const GlStateBlock& state, const GlDrawTarget& target,
                                              bool screenVertices) {
  if (screenVertices) {
    LoadMatrix(GL_PROJECTION, GlScreenProjection(target.width, target.height, target.remapDepth));
    LoadMatrix(GL_MODELVIEW, Sys3DMatrix::Identity());
    glDisable(GL_LIGHTING);
    return;
  }
  const Sys3DMatrix adjust = GlClipAdjust(target.width, target.height, target.remapDepth);
  LoadMatrix(GL_PROJECTION, GlMultiply(state.Transform(Sys3DTransform::Projection), adjust));
  // Lights are given in world space; OpenGL takes them through the
  // model-view matrix current when they are set, so that is the view.
  LoadMatrix(GL_MODELVIEW, state.Transform(Sys3DTransform::View));
  ApplyLights(state);
  LoadMatrix(GL_MODELVIEW,
             GlMultiply(state.Transform(Sys3DTransform::World), state.Transform(Sys3DTransform::View)));
}

void GlStateApplier::ApplyLights(const GlStateBlock& state) {
  const bool lighting = state.Enabled(RS::Lighting);
  Enable(GL_LIGHTING, lighting);
  if (!lighting) return;
  // The vertex colour is the diffuse reflectance; the vertex formats carry
  // no normal, which counts as a zero normal.
  glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glNormal3f(0.0f, 0.0f, 0.0f);
  float value[4];
  ColourToFloats(state.Render(RS::Ambient), value);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, value);
  const Sys3DMaterial& material = state.Material();
  ValueToFloats(material.ambient, value);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, value);
  ValueToFloats(material.specular, value);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, value);
  ValueToFloats(material.emissive, value);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, value);
  constexpr float kMaxShininess = 128.0f;
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material.power, 0.0f, kMaxShininess));
  for (std::uint32_t i = 0; i < GlStateBlock::kMaxLights; ++i) {
    const GLenum name = GL_LIGHT0 + i;
    Enable(name, state.LightEnabled(i));
    if (!state.LightEnabled(i)) continue;
    const Sys3DLight& light = state.Light(i);
    ValueToFloats(light.ambient, value);
    glLightfv(name, GL_AMBIENT, value);
    ValueToFloats(light.diffuse, value);
    glLightfv(name, GL_DIFFUSE, value);
    ValueToFloats(light.specular, value);
    glLightfv(name, GL_SPECULAR, value);
    const bool directional = light.type == Sys3DLightType::Directional;
    // OpenGL wants the direction towards a directional light.
    const float position[4] = {directional ? -light.direction.x : light.position.x,
                               directional ? -light.direction.y : light.position.y,
                               directional ? -light.direction.z : light.position.z, directional ? 0.0f : 1.0f};
    glLightfv(name, GL_POSITION, position);
    glLightf(name, GL_SPOT_CUTOFF, 180.0f);
    glLightf(name, GL_CONSTANT_ATTENUATION, directional ? 1.0f : light.attenuation0);
    glLightf(name, GL_LINEAR_ATTENUATION, directional ? 0.0f : light.attenuation1);
    glLightf(name, GL_QUADRATIC_ATTENUATION, directional ? 0.0f : light.attenuation2);
  }
}

std::uint32_t GlStateApplier::ApplyStages(const GlStateBlock& state, GlTexture3D* const* textures) {
  std::uint32_t active = 0;
  while (active < state.StageCount() && textures[active] != nullptr &&
         state.Stage(active, SS::ColourOp) != Sys3DTextureOp::Disable) {
    ++active;
  }
  for (std::uint32_t stage = 0; stage < state.StageCount(); ++stage) {
    gl_.ActiveTexture(GL_TEXTURE0 + stage);
    if (stage < active) {
      ApplyStage(state, stage, textures[stage]);
    } else {
      glDisable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, 0);
    }
  }
  gl_.ActiveTexture(GL_TEXTURE0);
  return active;
}

void GlStateApplier::ApplyStage(const GlStateBlock& state, std::uint32_t stage, GlTexture3D* texture) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture->DriverName());
  texture->ApplySampling(state.Stage(stage, SS::MagFilter) == Sys3DFilter::Linear ? GL_LINEAR : GL_NEAREST,
                         MinFilter(state.Stage(stage, SS::MinFilter), state.Stage(stage, SS::MipFilter)),
                         Wrap(state.Stage(stage, SS::AddressU)), Wrap(state.Stage(stage, SS::AddressV)));
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  SetCombiner(kColourCombiner, state.Stage(stage, SS::ColourOp), state.Stage(stage, SS::ColourArg1),
              state.Stage(stage, SS::ColourArg2));
  SetCombiner(kAlphaCombiner, state.Stage(stage, SS::AlphaOp), state.Stage(stage, SS::AlphaArg1),
              state.Stage(stage, SS::AlphaArg2));
}
