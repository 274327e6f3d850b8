// The catapult standing on its four wheels: the tilt the ground under them
// gives it, the release point of its stone, its drawing and the wreck its
// corpse draws, and its own part of the saved unit record.

#include <cmath>

#include "core/GlobalFunc.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "units/C_MachineDrawing.h"
#include "units/C_Unit_Catapult.h"
#include "world/C_GameMap.h"

namespace
{
// The wheels, in blocks from the centre in the machine's own frame (x
// across it, z along it, negative ahead), round the machine in order.
constexpr int32_t WheelCount = 4;
constexpr float WheelX[WheelCount] = {-0.625f, 0.584f, 0.584f, -0.625f};
constexpr float WheelZ[WheelCount] = {-0.687f, -0.678f, 0.716f, 0.716f};
// The arm's cup at the moment of release, in model units.
constexpr float CupX = 0.0f;
constexpr float CupHeight = 41.0f;
constexpr float CupZ = -6.4f;
constexpr float ModelUnitsPerBlock = 32.0f;
constexpr const char* RefusalPrefix = "Unit record refused: ";

float Mean(float a, float b)
{
    return (a + b) * 0.5f;
}

// The point turned by the facing about the vertical, then tilted with the
// turn that takes the straight up direction to `up`.
void TurnAndTilt(const float point[3], float facing, const float up[3], float out[3])
{
    float turned[3];
    GlobalFunc::RotateVector3(point[0], point[1], point[2], 0.0f, facing, 0.0f, turned);
    // The tilt turns about the horizontal axis across the slope.
    float axis[3] = {up[2], 0.0f, -up[0]};
    const float sine = std::sqrt(axis[0] * axis[0] + axis[2] * axis[2]);
    if (sine <= 0.0f)
    {
        out[0] = turned[0];
        out[1] = turned[1];
        out[2] = turned[2];
        return;
    }
    axis[0] /= sine;
    axis[2] /= sine;
    const float cosine = up[1];
    float cross[3];
    cross[0] = axis[1] * turned[2] - axis[2] * turned[1];
    cross[1] = axis[2] * turned[0] - axis[0] * turned[2];
    cross[2] = axis[0] * turned[1] - axis[1] * turned[0];
    const float along = (axis[0] * turned[0] + axis[2] * turned[2]) * (1.0f - cosine);
    for (int32_t i = 0; i < 3; ++i)
        out[i] = turned[i] * cosine + cross[i] * sine + axis[i] * along;
}
}  // namespace

CUnitCatapult::SPose CUnitCatapult::WorkOutPose() const
{
    // Where each wheel touches the ground, in blocks (the model's z runs
    // against the map's y) and model units of height.
    float wheel[WheelCount][3];
    for (int32_t i = 0; i < WheelCount; ++i)
    {
        float turned[3];
        GlobalFunc::RotateVector3(WheelX[i], 0.0f, WheelZ[i], 0.0f, static_cast<float>(shownFacing), 0.0f, turned);
        wheel[i][0] = turned[0];
        wheel[i][2] = turned[2];
        wheel[i][1] = g_GameMap.GetHeight(centreX + turned[0], centreY - turned[2]);
    }
    SPose pose{};
    pose.height = (wheel[0][1] + wheel[1][1] + wheel[2][1] + wheel[3][1]) / static_cast<float>(WheelCount);
    // From one side's pair of wheels (0, 3) to the other's (1, 2), and from
    // the front pair (0, 1) to the rear pair (2, 3), the ground parts in
    // model units.
    float across[3];
    float along[3];
    for (int32_t axis = 0; axis < 3; axis += 2)
    {
        across[axis] = (Mean(wheel[1][axis], wheel[2][axis]) - Mean(wheel[0][axis], wheel[3][axis])) *
                       ModelUnitsPerBlock;
        along[axis] = (Mean(wheel[2][axis], wheel[3][axis]) - Mean(wheel[0][axis], wheel[1][axis])) *
                      ModelUnitsPerBlock;
    }
    across[1] = Mean(wheel[1][1], wheel[2][1]) - Mean(wheel[0][1], wheel[3][1]);
    along[1] = Mean(wheel[2][1], wheel[3][1]) - Mean(wheel[0][1], wheel[1][1]);
    GlobalFunc::CrossProduct(across, along, pose.up);
    // However the pairs are named, the machine stands on its wheels.
    if (pose.up[1] < 0.0f)
        for (float& part : pose.up)
            part = -part;
    return pose;
}

void CUnitCatapult::WorkOutReleasePoint()
{
    const SPose pose = WorkOutPose();
    const float cup[3] = {CupX, CupHeight, CupZ};
    float released[3];
    TurnAndTilt(cup, static_cast<float>(shownFacing), pose.up, released);
    releaseX = released[0] / ModelUnitsPerBlock;
    releaseHeight = released[1];
    releaseY = released[2] / ModelUnitsPerBlock;
}

// ---- Drawing ------------------------------------------------------------------------

// The drawing turns the model about the vertical only: the machine is drawn
// at the mean height of its wheels, its tilt kept for the throw.
void CUnitCatapult::Render()
{
    if (onMap)
        CMachineDrawing::Draw(*this, WorkOutPose().height);
}

void CUnitCatapult::RenderAt(float dieWeight, float fade, int32_t shade)
{
    (void)dieWeight;
    if (fade != 0.0f)
        CMachineDrawing::DrawFading(*this, fade, shade, WorkOutPose().height, true);
}

// ---- Saved state --------------------------------------------------------------------

void CUnitCatapult::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    (void)references;
    CSaveWriter out(stream);
    out.Flag(thrown != 0);
    out.F32(releaseX);
    out.F32(releaseHeight);
    out.F32(releaseY);
}

bool CUnitCatapult::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    (void)references;
    CSaveReader in(stream, RefusalPrefix);
    uint8_t loadedThrown = 0;
    in.Flag(loadedThrown);
    const float loadedX = in.F32();
    const float loadedHeight = in.F32();
    const float loadedY = in.F32();
    if (!in.Finish())
        return false;
    if (!CSaveReader::IsFinite(loadedX) || !CSaveReader::IsFinite(loadedHeight) || !CSaveReader::IsFinite(loadedY))
        return in.Refuse("the release point is no finite number");
    thrown = loadedThrown;
    releaseX = loadedX;
    releaseHeight = loadedHeight;
    releaseY = loadedY;
    return true;
}
