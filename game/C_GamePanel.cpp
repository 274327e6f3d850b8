#include "game/C_GamePanel.h"

CGamePanel g_GamePanel;

void CGamePanel::UpdateWallPreview(int32_t startX, int32_t startY, int32_t endX, int32_t endY)
{
    wallPreview[0] = startX;
    wallPreview[1] = startY;
    wallPreview[2] = endX;
    wallPreview[3] = endY;
    ++wallPreviewUpdates;
}
