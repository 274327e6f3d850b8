#include "net/C_MultiplayerGame.h"

CMultiplayerGame::CMultiplayerGame()
    : value1(0), hostCount(0), transfer(kTransferBlockSize)
{
    dumpOutgoing.Allocate(kDumpPacketGrowStep);
    dumpIncoming.Allocate(kDumpPacketGrowStep);
    dumpNames.Allocate(kDumpNameGrowStep);
    ClearDumpMessages();
}

// The game commands and their names come with the network game itself; until
// then there is nothing to register.
void CMultiplayerGame::InitDumpMessages() {}

void CMultiplayerGame::ClearDumpMessages()
{
    dumpNames.Clear();
}

// Nothing is received while no network game runs, so the cache stays empty.
bool CMultiplayerGame::PopPacket(CNetPacket&)
{
    return false;
}

void CMultiplayerGame::SendPlayerDefeated() {}
