#include "buildings/C_BuildingDraw.h"

#include <algorithm>
#include <cmath>

#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "media/C_ModelRecord.h"
#include "world/C_GameMap.h"

std::vector<SModelDraw> CBuildingDraw::s_Draws;

namespace
{
constexpr float DegreesToRadians = 3.14159265f / 180.0f;

// The model's turn about the vertical axis.
void VerticalTurn(float facing, float out[9])
{
    const float c = std::cos(facing * DegreesToRadians);
    const float s = std::sin(facing * DegreesToRadians);
    const float turn[9] = {c, 0.0f, -s, 0.0f, 1.0f, 0.0f, s, 0.0f, c};
    for (int32_t i = 0; i < 9; ++i)
        out[i] = turn[i];
}
}  // namespace

CModelRecord* CBuildingDraw::RecordDraw(int32_t modelNumber, int32_t frame, float x, float y, float height,
                                        float facing, int32_t* shown)
{
    CModelRecord* record = GetGlobalModel(modelNumber);
    if (record == nullptr)
        return nullptr;
    const int32_t frames = record->GetFrameCount();
    *shown = frames > 0 ? ((frame % frames) + frames) % frames : 0;
    if (s_Draws.size() >= kMostDraws)
        s_Draws.erase(s_Draws.begin(), s_Draws.begin() + static_cast<std::ptrdiff_t>(kMostDraws / 2));
    s_Draws.push_back({modelNumber, *shown, x, y, height, facing});
    // A missing or damaged model file leaves an empty model: nothing to draw.
    return IsDrawable(*record) ? record : nullptr;
}

bool CBuildingDraw::IsDrawable(const CModelRecord& record)
{
    return !record.object.IsEmpty() && record.GetFrameCount() > 0;
}

void CBuildingDraw::SubmitTurned(CModelRecord& record, int32_t shown, float x, float y, float height,
                                 const float turn[9], float* viewPoint)
{
    // The turn first, then the camera's.
    const float* view = g_GameMap.viewMatrix;
    float m[9];
    for (int32_t row = 0; row < 3; ++row)
        for (int32_t column = 0; column < 3; ++column)
            m[row * 3 + column] = turn[row * 3] * view[column] + turn[row * 3 + 1] * view[3 + column] +
                                  turn[row * 3 + 2] * view[6 + column];
    float at[3];
    g_GameMap.ProjectToScreenAtHeight(x, y, height, at);
    if (viewPoint != nullptr)
        std::copy(at, at + 3, viewPoint);
    if (g_Config.hardwareTnL)
    {
        record.object.SetHWTNLSimpleTransform(shown, at[0], at[1], at[2], m);
        record.object.RenderVXBuffer(shown);
        return;
    }
    record.object.SimpleTransform(shown, m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]);
    record.object.Render(at[0], at[1], at[2]);
}

bool CBuildingDraw::DrawModel(int32_t modelNumber, int32_t frame, float x, float y, float height, float facing,
                              float* viewPoint)
{
    int32_t shown = 0;
    CModelRecord* record = RecordDraw(modelNumber, frame, x, y, height, facing, &shown);
    if (record == nullptr)
        return false;
    float turn[9];
    VerticalTurn(facing, turn);
    SubmitTurned(*record, shown, x, y, height, turn, viewPoint);
    return true;
}

void CBuildingDraw::DrawModelAboutAxis(int32_t modelNumber, int32_t frame, float x, float y, float height,
                                       const float axis[3], float angle)
{
    int32_t shown = 0;
    CModelRecord* record = RecordDraw(modelNumber, frame, x, y, height, angle, &shown);
    if (record == nullptr)
        return;
    float turn[9];
    GlobalFunc::AxisAngleMatrix(axis[0], axis[1], axis[2], angle, turn);
    SubmitTurned(*record, shown, x, y, height, turn);
}
