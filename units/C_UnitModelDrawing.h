#pragma once
// How a unit puts a model of the global table on the screen: turned by its
// shown facing (and tilted where it stands on wheels), placed at the map's
// projection of its centre at a height, in its owner's colour with the
// wound overlay, shade and fade its type gives, through the hardware or the
// CPU path as the USEHWTNL= setting says.  The fade goes back to none after
// every draw, so that the next drawer of the record starts opaque.
//
// A model's ahead is its -z axis: at facing 0 it looks along the map's +y,
// at 90 along +x (the facings of the directions of movement).  Heights are
// world units, 32 to a block.  Main thread only.

#include <cstdint>

class CUnit;

// Where and how a model stands: its height, and the rows of its turn (where
// its x, up and z axes point in the world, before the camera's turn).
struct SModelPose
{
    float height = 0.0f;
    float turn[9] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
};

// The per-draw values of the model record.
struct SModelLooks
{
    int32_t wound = 0;     // wound overlay level, 0 none
    float shade = 1.0f;    // light multiplier, 0.0 to 1.0
    int32_t fade = -1;     // opacity 0 to 255, -1 drawn opaque without blending
};

class CUnitModelDrawing
{
public:
    static constexpr float LevelScale = 255.0f;

    // Upright at `height`, turned by the shown facing.
    static SModelPose Upright(const CUnit& unit, float height);
    // Upright on the ground under the centre.
    static SModelPose OnGround(const CUnit& unit);
    // On four wheels that follow the ground: at the mean height under them,
    // tilted so that its up is square to the slope they span.
    static SModelPose OnWheels(const CUnit& unit);
    // A point in model units carried through the pose's turn.
    static void TurnPoint(const SModelPose& pose, const float point[3], float out[3]);
    // The opacity of a weight 0 to 1: its whole part of 255.
    static int32_t FadeOf(float weight) { return static_cast<int32_t>(weight * LevelScale); }
    // The shade of a light level 0 to 255.
    static float ShadeOf(int32_t level) { return static_cast<float>(level) / LevelScale; }

    // Draws `model` at `frame` (taken modulo its frame count) in the pose;
    // `keepsPlace` keeps the projected centre as the unit's render position
    // (picking reads it) and what was drawn in its screen rectangle.
    // Nothing for a model the table lacks or without a vertex buffer.
    static void Draw(CUnit& unit, int32_t model, int32_t frame, const SModelPose& pose, const SModelLooks& looks,
                     bool keepsPlace);

    // ---- Machines ----------------------------------------------------------
    // The machine on its wheels, at its current frame.
    static void DrawOnWheels(CUnit& machine);
    // The wreck on its wheels while its corpse fades (`fade` 1 to 0), shaded
    // `shade` of 255; nothing at fade 0.
    static void DrawWreckOnWheels(CUnit& machine, float fade, int32_t shade);
    // A ship's hull, below the height other units stand at.
    static void DrawHull(CUnit& ship);
    // The wreck sinking as its corpse fades (`fade` 1 to 0), `sinkDepth`
    // below the hull at the end; gone at 0.
    static void DrawSinkingWreck(CUnit& ship, float fade, int32_t shade, float sinkDepth);
};
