#include "buildings/C_BuildingDecorationDraw.h"

#include "buildings/C_BuildingDraw.h"
#include "media/C_ModelRecord.h"

void CBuildingDecorationDraw::DrawTransformed(int32_t modelNumber, int32_t frame, float x, float y, float height,
                                              const float modelMatrix[9])
{
    CModelRecord* record = GetGlobalModel(modelNumber);
    if (record == nullptr || !CBuildingDraw::IsDrawable(*record))
        return;
    const int32_t frames = record->GetFrameCount();
    const int32_t shown = ((frame % frames) + frames) % frames;
    CBuildingDraw::SubmitTurned(*record, shown, x, y, height, modelMatrix);
}
