#pragma once
// Sends a GlStateBlock to the driver for one kind of draw: everything but
// the vertex arrays.

#include <cstdint>

#include "platform/gl/GlFunctions.h"
#include "platform/gl/GlStateBlock.h"

class GlTexture3D;

struct GlDrawTarget {
  std::int32_t width = 0;   // back buffer, pixels
  std::int32_t height = 0;
  bool remapDepth = false;  // no clip control: z goes to 2z - w
};

class GlStateApplier {
 public:
  explicit GlStateApplier(const GlFunctions& gl) : gl_(gl) {}

  // Returns the number of texture stages that take part (the cascade ends at
  // the first stage that is disabled or has no texture).
  std::uint32_t Apply(const GlStateBlock& state, const GlDrawTarget& target, bool screenVertices,
                      GlTexture3D* const* textures);

 private:
  void ApplyRasterStates(const GlStateBlock& state);
  void ApplyBlendAndAlpha(const GlStateBlock& state);
  void ApplyFog(const GlStateBlock& state, bool screenVertices);
  void ApplyTransformsAndLights(const GlStateBlock& state, const GlDrawTarget& target, bool screenVertices);
  void ApplyLights(const GlStateBlock& state);
  std::uint32_t ApplyStages(const GlStateBlock& state, GlTexture3D* const* textures);
  void ApplyStage(const GlStateBlock& state, std::uint32_t stage, GlTexture3D* texture);

  const GlFunctions& gl_;
};
