#include "buildings/C_BuildingDecorationDraw.h"

#include "core/C_Config.h"
#include "media/C_ModelRecord.h"
#include "world/C_GameMap.h"

void CBuildingDecorationDraw::DrawTransformed(int32_t modelNumber, int32_t frame, float x, float y, float height,
                                              const float modelMatrix[9])
{
    CModelRecord* record = GetGlobalModel(modelNumber);
    if (record == nullptr || record->object.vertexBuffer == nullptr)
        return;
    const int32_t frames = record->GetFrameCount();
    if (frames <= 0)
        return;
    const int32_t shown = ((frame % frames) + frames) % frames;
    float m[9];
    const float* view = g_GameMap.viewMatrix;
    for (int32_t row = 0; row < 3; ++row)
        for (int32_t column = 0; column < 3; ++column)
            m[row * 3 + column] = modelMatrix[row * 3] * view[column] + modelMatrix[row * 3 + 1] * view[3 + column] +
                                  modelMatrix[row * 3 + 2] * view[6 + column];
    float at[3];
    g_GameMap.ProjectToScreenAtHeight(x, y, height, at);
    if (g_Config.hardwareTnL)
    {
        record->object.SetHWTNLSimpleTransform(shown, at[0], at[1], at[2], m);
        record->object.RenderVXBuffer(shown);
        return;
    }
    record->object.SimpleTransform(shown, m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]);
    record->object.Render(at[0], at[1], at[2]);
}
