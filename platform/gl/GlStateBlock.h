#pragma once
// The device's state as the caller set it: render states, texture-stage
// states, transforms, lights and material.  No OpenGL here; GlStateApplier
// turns it into driver state.

#include <array>
#include <cstdint>

#include "platform/SysDevice3DTypes.h"

class GlStateBlock {
 public:
  static constexpr std::uint32_t kMaxStages = 8;
  static constexpr std::uint32_t kMaxLights = 8;

  explicit GlStateBlock(std::uint32_t stageCount);

  // Direct3D's resting state (listed in SysDevice3D.h).
  void SetDefaults();

  Sys3DResult SetRenderState(Sys3DRenderState state, std::uint32_t value);
  Sys3DResult GetRenderState(Sys3DRenderState state, std::uint32_t& value) const;
  std::uint32_t Render(Sys3DRenderState state) const { return renderStates_[Index(state)]; }
  bool Enabled(Sys3DRenderState state) const { return Render(state) != 0; }

  Sys3DResult SetStageState(std::uint32_t stage, Sys3DStageState state, std::uint32_t value);
  Sys3DResult GetStageState(std::uint32_t stage, Sys3DStageState state, std::uint32_t& value) const;
  std::uint32_t Stage(std::uint32_t stage, Sys3DStageState state) const {
    return stageStates_[stage][Index(state)];
  }
  std::uint32_t StageCount() const { return stageCount_; }

  Sys3DResult SetTransform(Sys3DTransform which, const Sys3DMatrix& matrix);
  Sys3DResult GetTransform(Sys3DTransform which, Sys3DMatrix& matrix) const;
  const Sys3DMatrix& Transform(Sys3DTransform which) const { return transforms_[Index(which)]; }

  Sys3DResult SetLight(std::uint32_t index, const Sys3DLight& light);
  Sys3DResult LightEnable(std::uint32_t index, bool enable);
  const Sys3DLight& Light(std::uint32_t index) const { return lights_[index]; }
  bool LightEnabled(std::uint32_t index) const { return lightEnabled_[index]; }

  void SetMaterial(const Sys3DMaterial& material) { material_ = material; }
  const Sys3DMaterial& Material() const { return material_; }

 private:
  template <typename Enum>
  static std::uint32_t Index(Enum value) { return static_cast<std::uint32_t>(value); }
  static bool ValidRenderValue(Sys3DRenderState state, std::uint32_t value);
  static bool ValidStageValue(Sys3DStageState state, std::uint32_t value);

  static constexpr std::uint32_t kRenderStateCount = static_cast<std::uint32_t>(Sys3DRenderState::Count);
  static constexpr std::uint32_t kStageStateCount = static_cast<std::uint32_t>(Sys3DStageState::Count);
  static constexpr std::uint32_t kTransformCount = 3;

  std::uint32_t stageCount_;
  std::array<std::uint32_t, kRenderStateCount> renderStates_{};
  std::array<std::array<std::uint32_t, kStageStateCount>, kMaxStages> stageStates_{};
  std::array<Sys3DMatrix, kTransformCount> transforms_{};
  std::array<Sys3DLight, kMaxLights> lights_{};
  std::array<bool, kMaxLights> lightEnabled_{};
  Sys3DMaterial material_;
};
