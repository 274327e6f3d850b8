#include "world/C_BusyCursor.h"

#include "core/C_D3D8Game.h"

namespace
{
void Show(int32_t slot)
{
    CCursors& cursors = g_D3D8Game.cursors;
    if (cursors.GetCapacity() > CBusyCursor::BusySlot)
        cursors.SetCursor(slot);
}
} // namespace

CBusyCursor::CBusyCursor()
{
    Show(BusySlot);
}

CBusyCursor::~CBusyCursor()
{
    Show(NormalSlot);
}
