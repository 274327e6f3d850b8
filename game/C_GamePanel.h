#pragma once
// Stands in for the command panel: only the wall preview that the map's drag
// rectangle steers while a wall is being placed.

#include <cstdint>

class CGamePanel
{
public:
    // Grows or shrinks the ghost wall to the dragged rectangle (blocks).
    void UpdateWallPreview(int32_t startX, int32_t startY, int32_t endX, int32_t endY);

    // The rectangle the ghost wall follows: start x, start y, end x, end y.
    int32_t wallPreview[4] = {0, 0, 0, 0};
    int32_t wallPreviewUpdates = 0;
};

extern CGamePanel g_GamePanel;
