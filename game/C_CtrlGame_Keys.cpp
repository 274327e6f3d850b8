#include "core/C_D3D8Game.h"
#include "game/C_CtrlGame.h"
#include "platform/SysVirtualKey.h"

namespace
{
constexpr int32_t kScreenShotKey = SysVirtualKey::F1 + 10;  // F11
} // namespace

// The game's own keys come with the in-game control; the screenshot key and
// the lost device are handled here.  A lost device pauses a running game and
// never un-pauses it (the network's pause message comes with the network
// game).
void CCtrlGame::onKeyDown(int32_t key)
{
    if (key == kScreenShotKey)
    {
        g_D3D8Game.MakeScreenShot();
        return;
    }
    if (key == CD3D8Game::kDeviceLostKey)
    {
        paused = 1;
        return;
    }
    CCtrl::onKeyDown(key);
}
