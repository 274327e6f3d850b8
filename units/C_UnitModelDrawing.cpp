#include "units/C_UnitModelDrawing.h"

#include <cmath>

#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "media/C_ModelRecord.h"
#include "units/C_Unit.h"
#include "units/C_UnitAnimationTable.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t NoFade = -1;
// The wheels, in blocks from the centre in the machine's own frame (x
// across it, z along it, negative ahead), round the machine in order.
constexpr int32_t WheelCount = 4;
constexpr float WheelX[WheelCount] = {-0.625f, 0.584f, 0.584f, -0.625f};
constexpr float WheelZ[WheelCount] = {-0.687f, -0.678f, 0.716f, 0.716f};
constexpr float ModelUnitsPerBlock = 32.0f;
// A ship's hull lies this far below the height other units are drawn at.
constexpr float HullHeight = -10.0f;

float Mean(float a, float b)
{
    return (a + b) * 0.5f;
}

// The point turned by the facing about the vertical, then tilted with the
// turn that takes the straight up direction to `up` (a unit vector).
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

// Where the ground's slope under the four wheels points the machine's up.
void UpFromWheels(const float wheel[WheelCount][3], float up[3])
{
    // From one side's pair of wheels (0, 3) to the other's (1, 2), and from
    // the front pair (0, 1) to the rear pair (2, 3), the ground parts in
    // model units.
    float across[3];
    float along[3];
    for (int32_t axis = 0; axis < 3; axis += 2)
    {
        across[axis] =
            (Mean(wheel[1][axis], wheel[2][axis]) - Mean(wheel[0][axis], wheel[3][axis])) * ModelUnitsPerBlock;
        along[axis] =
            (Mean(wheel[2][axis], wheel[3][axis]) - Mean(wheel[0][axis], wheel[1][axis])) * ModelUnitsPerBlock;
    }
    across[1] = Mean(wheel[1][1], wheel[2][1]) - Mean(wheel[0][1], wheel[3][1]);
    along[1] = Mean(wheel[2][1], wheel[3][1]) - Mean(wheel[0][1], wheel[1][1]);
    GlobalFunc::CrossProduct(across, along, up);
    // However the pairs are named, the machine stands on its wheels.
    if (up[1] < 0.0f)
        for (int32_t i = 0; i < 3; ++i)
            up[i] = -up[i];
}

int32_t CurrentFrame(const CUnit& unit)
{
    return CUnitAnimationTable::FrameIndex(unit.animFrame, unit.model);
}

// One frame of the model at the camera-space point, through the path the
// USEHWTNL= setting chooses; `rect` gets what was drawn (left, top, right,
// bottom).
void Submit(C3DObject& object, int32_t frame, const float at[3], const float (&turn)[9], int32_t rect[4])
{
    int32_t topLeft[2];
    int32_t bottomRight[2];
    if (g_Config.hardwareTnL != 0)
    {
        object.SetHWTNLTransform(frame, at[0], at[1], at[2], turn, g_GameMap.viewMatrix);
        object.RenderVXBuffer(frame);
        object.GetScreenRect(at[0], at[1], at[2], topLeft, bottomRight);
    }
    else
    {
        object.Transform(frame, turn, g_GameMap.viewMatrix);
        object.Render(at[0], at[1], at[2]);
        object.GetScreenRectEx(at[0], at[1], at[2], topLeft, bottomRight);
    }
    rect[0] = topLeft[0];
    rect[1] = topLeft[1];
    rect[2] = bottomRight[0];
    rect[3] = bottomRight[1];
}

// A wreck `fade` of the way from gone to whole, shaded `shade` of 255.
SModelLooks FadingWreck(float fade, int32_t shade)
{
    SModelLooks looks;
    looks.shade = CUnitModelDrawing::ShadeOf(shade);
    looks.fade = CUnitModelDrawing::FadeOf(fade);
    return looks;
}
}  // namespace

SModelPose CUnitModelDrawing::Upright(const CUnit& unit, float height)
{
    SModelPose pose;
    pose.height = height;
    GlobalFunc::BuildMatrix(0.0f, static_cast<float>(unit.shownFacing), 0.0f, pose.turn);
    return pose;
}

SModelPose CUnitModelDrawing::OnGround(const CUnit& unit)
{
    return Upright(unit, g_GameMap.GetHeightRaw(unit.centreX, unit.centreY));
}

SModelPose CUnitModelDrawing::OnWheels(const CUnit& unit)
{
    const auto facing = static_cast<float>(unit.shownFacing);
    // Where each wheel touches the ground, in blocks (the model's z runs
    // against the map's y) and world units of height.
    float wheel[WheelCount][3];
    SModelPose pose;
    for (int32_t i = 0; i < WheelCount; ++i)
    {
        float turned[3];
        GlobalFunc::RotateVector3(WheelX[i], 0.0f, WheelZ[i], 0.0f, facing, 0.0f, turned);
        wheel[i][0] = turned[0];
        wheel[i][2] = turned[2];
        wheel[i][1] = g_GameMap.GetHeight(unit.centreX + turned[0], unit.centreY - turned[2]);
        pose.height += wheel[i][1] / static_cast<float>(WheelCount);
    }
    float up[3];
    UpFromWheels(wheel, up);
    for (int32_t axis = 0; axis < 3; ++axis)
    {
        float unitAxis[3] = {0.0f, 0.0f, 0.0f};
        unitAxis[axis] = 1.0f;
        TurnAndTilt(unitAxis, facing, up, pose.turn + 3 * axis);
    }
    return pose;
}

void CUnitModelDrawing::TurnPoint(const SModelPose& pose, const float point[3], float out[3])
{
    GlobalFunc::TransformVector(point[0], point[1], point[2], pose.turn, out);
}

void CUnitModelDrawing::Draw(CUnit& unit, int32_t model, int32_t frame, const SModelPose& pose,
                             const SModelLooks& looks, bool keepsPlace)
{
    float at[3];
    g_GameMap.ProjectToScreenAtHeight(unit.centreX, unit.centreY, pose.height, at);
    if (keepsPlace)
        for (int32_t i = 0; i < 3; ++i)
            unit.renderPosition[i] = at[i];
    CModelRecord* record = GetGlobalModel(model);
    if (record == nullptr || record->object.IsEmpty() || record->GetFrameCount() <= 0)
        return;
    C3DObject& object = record->object;
    const int32_t frames = record->GetFrameCount();
    const int32_t shown = ((frame % frames) + frames) % frames;
    record->SetColourSlot(unit.GetPlayerColour());
    record->SetWoundLevel(looks.wound);
    record->SetShade(looks.shade);
    record->SetFade(looks.fade);
    int32_t rect[4];
    Submit(object, shown, at, pose.turn, rect);
    record->SetFade(NoFade);
    if (keepsPlace)
        for (int32_t i = 0; i < 4; ++i)
            unit.screenRect[i] = rect[i];
}

void CUnitModelDrawing::DrawOnWheels(CUnit& machine)
{
    Draw(machine, machine.model, CurrentFrame(machine), OnWheels(machine), SModelLooks{}, true);
}

void CUnitModelDrawing::DrawWreckOnWheels(CUnit& machine, float fade, int32_t shade)
{
    if (fade != 0.0f)
        Draw(machine, machine.model, CurrentFrame(machine), OnWheels(machine), FadingWreck(fade, shade), false);
}

void CUnitModelDrawing::DrawHull(CUnit& ship)
{
    Draw(ship, ship.model, CurrentFrame(ship), Upright(ship, HullHeight), SModelLooks{}, true);
}

void CUnitModelDrawing::DrawSinkingWreck(CUnit& ship, float fade, int32_t shade, float sinkDepth)
{
    if (fade != 0.0f)
        Draw(ship, ship.model, CurrentFrame(ship), Upright(ship, HullHeight - (1.0f - fade) * sinkDepth),
             FadingWreck(fade, shade), false);
}
