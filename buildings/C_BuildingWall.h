#pragma once
// One wall segment (one block).  Each segment takes its shape from the wall
// segments on its four neighbouring blocks: a straight run along x or y
// where both neighbours on one axis are walls and none on the other, a post
// everywhere else (ends, corners, crossings).  A straight piece leans with
// the terrain along its run.  The segment blocks its block only from the
// first builder's stroke on, and a builder cannot work on it while a unit
// stands there.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingWall : public CBuildingOfCast
{
public:
    static constexpr int32_t ShapePost = 0;
    static constexpr int32_t ShapeAlongX = 1;
    static constexpr int32_t ShapeAlongY = 2;

    explicit CBuildingWall(int32_t ownerIndex);

    // The shape from the neighbours, and its model for the build progress.
    void UpdateJoint() override;
    // The walls on the four neighbouring blocks, then this one, take their
    // shapes again.
    void JoinNeighbours() override;
    // A segment just placed does not block its block yet.
    void OnPlaced() override;
    // A real stroke (or the completion at once) blocks the block, unless a
    // unit stands there: then nothing changes and the answer is false.
    bool Construct(float amount, bool instant) override;
    // Blocked for good, the area around redrawn, the completion step, the
    // shape again, sight.
    void OnFinished() override;
    // A finished segment below half health shows its damaged model.
    void OnHealthChanged() override;
    // The shape's model, leaning with the terrain for a straight piece, and
    // its snow in winter.
    void Render(float collapse) override;
    // The shape and the two slopes, 4 bytes each.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t joinState = ShapePost;
    float slopeX = 0.0f;   // height change along x per model unit
    float slopeY = 0.0f;   // height change along y per model unit

protected:
    int32_t GetStageModel(float progressNow) const override;
    int32_t GetFinishedModel() const override;

private:
    bool IsWallAt(int32_t blockX, int32_t blockY) const;
    void BroadcastModelChange(int32_t oldModel) const;
};
