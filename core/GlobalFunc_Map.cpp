// The map area tests of the global functions.

#include "world/C_GameMap.h"
#include "core/GlobalFunc.h"
#include "world/RangeTables.h"

namespace GlobalFunc
{
bool IsMapAreaFree(int x, int y, int n, int kind)
{
    return g_GameMap.IsAreaFree(x, y, n, kind);
}

bool HasFreeAreaNear(int x, int y, int w, int h, int kind)
{
    return g_GameMap.HasFreeAreaNear(x, y, w, h, kind, g_FullMapDisc);
}
} // namespace GlobalFunc
