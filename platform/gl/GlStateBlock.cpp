#include "platform/gl/GlStateBlock.h"

#include <algorithm>

namespace {

bool InRange(std::uint32_t value, std::uint32_t low, std::uint32_t high) { return value >= low && value <= high; }

}  // namespace

GlStateBlock::GlStateBlock(std::uint32_t stageCount) : stageCount_(std::min(stageCount, kMaxStages)) {
  SetDefaults();
}

void GlStateBlock::SetDefaults() {
  using RS = Sys3DRenderState;
  auto set = [this](RS state, std::uint32_t value) { renderStates_[Index(state)] = value; };
  set(RS::ZEnable, 1);
  set(RS::FillMode, Sys3DFill::Solid);
  set(RS::ShadeMode, Sys3DShade::Gouraud);
  set(RS::ZWriteEnable, 1);
  set(RS::AlphaTestEnable, 0);
  set(RS::AlphaRef, 0);
  set(RS::AlphaFunc, Sys3DCompare::Always);
  set(RS::LastPixel, 1);
  set(RS::CullMode, Sys3DCull::CounterClockwise);
  set(RS::ZFunc, Sys3DCompare::LessEqual);
  set(RS::DitherEnable, 0);
  set(RS::FogEnable, 0);
  set(RS::FogColour, 0);
  set(RS::FogStart, Sys3DFloatBits(0.0f));
  set(RS::FogEnd, Sys3DFloatBits(1.0f));
  set(RS::FogTableMode, Sys3DFogMode::None);
  set(RS::SpecularEnable, 0);
  set(RS::Clipping, 1);
  set(RS::Lighting, 1);
  set(RS::Ambient, 0);
  set(RS::EdgeAntialias, 0);
  set(RS::MultisampleAntialias, 1);
  set(RS::SrcBlend, Sys3DBlend::One);
  set(RS::DestBlend, Sys3DBlend::Zero);
  set(RS::AlphaBlendEnable, 0);

  using SS = Sys3DStageState;
  for (std::uint32_t stage = 0; stage < kMaxStages; ++stage) {
    auto& states = stageStates_[stage];
    const std::uint32_t restingOp = stage == 0 ? Sys3DTextureOp::Modulate : Sys3DTextureOp::Disable;
    const std::uint32_t restingAlphaOp = stage == 0 ? Sys3DTextureOp::SelectArg1 : Sys3DTextureOp::Disable;
    states[Index(SS::ColourOp)] = restingOp;
    states[Index(SS::ColourArg1)] = Sys3DTextureArg::Texture;
    states[Index(SS::ColourArg2)] = Sys3DTextureArg::Current;
    states[Index(SS::AlphaOp)] = restingAlphaOp;
    states[Index(SS::AlphaArg1)] = Sys3DTextureArg::Texture;
    states[Index(SS::AlphaArg2)] = Sys3DTextureArg::Current;
    states[Index(SS::MagFilter)] = Sys3DFilter::Point;
    states[Index(SS::MinFilter)] = Sys3DFilter::Point;
    states[Index(SS::MipFilter)] = Sys3DFilter::None;
    states[Index(SS::AddressU)] = Sys3DAddress::Wrap;
    states[Index(SS::AddressV)] = Sys3DAddress::Wrap;
    states[Index(SS::TexCoordIndex)] = stage;
  }

  transforms_.fill(Sys3DMatrix::Identity());
  lights_.fill(Sys3DLight{});
  lightEnabled_.fill(false);
  material_ = Sys3DMaterial{};
}

bool GlStateBlock::ValidRenderValue(Sys3DRenderState state, std::uint32_t value) {
  using RS = Sys3DRenderState;
  switch (state) {
    case RS::FillMode:
      return InRange(value, Sys3DFill::Point, Sys3DFill::Solid);
    case RS::ShadeMode:
      return InRange(value, Sys3DShade::Flat, Sys3DShade::Gouraud);
    case RS::CullMode:
      return InRange(value, Sys3DCull::None, Sys3DCull::CounterClockwise);
    case RS::AlphaFunc:
    case RS::ZFunc:
      return InRange(value, Sys3DCompare::Never, Sys3DCompare::Always);
    case RS::SrcBlend:
    case RS::DestBlend:
      return InRange(value, Sys3DBlend::Zero, Sys3DBlend::InvDestColour);
    case RS::FogTableMode:
      return value == Sys3DFogMode::None || value == Sys3DFogMode::Linear;
    case RS::AlphaRef:
      return value <= 255;
    default:
      return true;  // flags, colours and float bits take any value
  }
}

bool GlStateBlock::ValidStageValue(Sys3DStageState state, std::uint32_t value) {
  using SS = Sys3DStageState;
  switch (state) {
    case SS::ColourOp:
    case SS::AlphaOp:
      return InRange(value, Sys3DTextureOp::Disable, Sys3DTextureOp::Add);
    case SS::ColourArg1:
    case SS::ColourArg2:
    case SS::AlphaArg1:
    case SS::AlphaArg2:
      return InRange(value, Sys3DTextureArg::Diffuse, Sys3DTextureArg::Texture);
    case SS::MagFilter:
    case SS::MinFilter:
      return InRange(value, Sys3DFilter::Point, Sys3DFilter::Linear);
    case SS::MipFilter:
      return InRange(value, Sys3DFilter::None, Sys3DFilter::Linear);
    case SS::AddressU:
    case SS::AddressV:
      return value == Sys3DAddress::Wrap || value == Sys3DAddress::Clamp;
    case SS::TexCoordIndex:
      return value < kMaxStages;
    case SS::Count:
      break;
  }
  return false;
}

Sys3DResult GlStateBlock::SetRenderState(Sys3DRenderState state, std::uint32_t value) {
  if (Index(state) >= kRenderStateCount || !ValidRenderValue(state, value)) return Sys3DError::InvalidCall;
  renderStates_[Index(state)] = value;
  return Sys3DError::Ok;
}

Sys3DResult GlStateBlock::GetRenderState(Sys3DRenderState state, std::uint32_t& value) const {
  if (Index(state) >= kRenderStateCount) return Sys3DError::InvalidCall;
  value = renderStates_[Index(state)];
  return Sys3DError::Ok;
}

Sys3DResult GlStateBlock::SetStageState(std::uint32_t stage, Sys3DStageState state, std::uint32_t value) {
  if (stage >= stageCount_ || Index(state) >= kStageStateCount || !ValidStageValue(state, value)) {
    return Sys3DError::InvalidCall;
  }
  stageStates_[stage][Index(state)] = value;
  return Sys3DError::Ok;
}

Sys3DResult GlStateBlock::GetStageState(std::uint32_t stage, Sys3DStageState state, std::uint32_t& value) const {
  if (stage >= stageCount_ || Index(state) >= kStageStateCount) return Sys3DError::InvalidCall;
  value = stageStates_[stage][Index(state)];
  return Sys3DError::Ok;
}

Sys3DResult GlStateBlock::SetTransform(Sys3DTransform which, const Sys3DMatrix& matrix) {
  if (Index(which) >= kTransformCount) return Sys3DError::InvalidCall;
  transforms_[Index(which)] = matrix;
  return Sys3DError::Ok;
}

Sys3DResult GlStateBlock::GetTransform(Sys3DTransform which, Sys3DMatrix& matrix) const {
  if (Index(which) >= kTransformCount) return Sys3DError::InvalidCall;
  matrix = transforms_[Index(which)];
  return Sys3DError::Ok;
}

Sys3DResult GlStateBlock::SetLight(std::uint32_t index, const Sys3DLight& light) {
  const bool knownType = light.type == Sys3DLightType::Directional || light.type == Sys3DLightType::Point;
  if (index >= kMaxLights || !knownType) return Sys3DError::InvalidCall;
  lights_[index] = light;
  return Sys3DError::Ok;
}

Sys3DResult GlStateBlock::LightEnable(std::uint32_t index, bool enable) {
  if (index >= kMaxLights) return Sys3DError::InvalidCall;
  lightEnabled_[index] = enable;
  return Sys3DError::Ok;
}
