#pragma once
// Stands in for the multiplayer networking subsystem: the screen that waits
// for every machine at the end of a network game.

#include <cstdint>

#include "core/C_Ctrl.h"
#include "core/C_MemoryBlock.h"

class CCtrlMultiplayerWait : public CCtrl
{
public:
    static constexpr int32_t kPlayerCount = 8;
    static constexpr int kBlockSize = 16384;

    // What one player's machine sent at the end of the game.
    struct SPlayerRecord
    {
        SPlayerRecord() : data(kBlockSize) {}

        CMemoryBlock data;
    };

    CCtrlMultiplayerWait() = default;
    ~CCtrlMultiplayerWait() = default;

    SPlayerRecord players[kPlayerCount];
};

extern CCtrlMultiplayerWait g_CtrlMultiplayerWait;
