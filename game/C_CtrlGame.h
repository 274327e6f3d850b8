#pragma once
// Stands in for the in-game control subsystem: the in-game screen controller.

#include <cstdint>
#include <vector>

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "core/C_String.h"
#include "game/C_MENUMessage.h"

class CSaveGame;

class CCtrlGame : public CCtrl
{
public:
    static constexpr int32_t kPlayerCount = 8;

    CCtrlGame();
    ~CCtrlGame() = default;

    // F11 takes a screenshot; the device-lost code pauses the game.
    void onKeyDown(int32_t key) override;

    uint8_t flag1;
    int32_t value1;
    CMENUMessage messageBar;
    uint8_t flag2;
    CConfig workingConfig;
    uint8_t flag3;
    int32_t value2;
    int32_t value3;
    uint8_t flag4;
    CString playerTexts[kPlayerCount];
    CString text;
    // 1 while the game stands still.
    uint8_t paused;

    // ---- Simulation step (C_CtrlGame_Simulation.cpp) ----------------------
    // Advances the world by the simulation ticks elapsed since the last
    // frame: every tick each unit turns, follows and animates; once per
    // frame the units walk their routes and the players perform due
    // actions; then the buildings produce and animate.
    static void SimulationStep(int32_t ticks);

    // ---- Saved games (C_CtrlGame_Save.cpp) --------------------------------
    // Writes the whole game to the file, which is replaced only by a whole
    // new save.  False when nothing could be written or no game runs.
    bool SaveGame(const char* fileName);
    // Replaces the running game by the saved one.  A file that is no whole
    // save of this version and language is refused before anything
    // changes; a save that turns out bad while it is read gives the running
    // game back as it was.  False in both cases, with a log line.  Should
    // the running game itself not read back, no object of either game is
    // left and the log says that the game has ended.
    bool LoadGame(const char* fileName);
    // The same from a stream whose load has begun (from a file or from
    // memory); the stream is closed afterwards.
    bool LoadGame(CSaveGame& stream);
    // Every section of the running game, in the order a save file holds
    // them, into a stream whose save has begun.
    void WriteGame(CSaveGame& stream) const;

private:
    bool ReadGame(CSaveGame& stream, bool checkHolders);
    bool ReadSections(CSaveGame& stream);
    bool TakeSnapshot(std::vector<uint8_t>& file) const;
    // False, with the world left empty, when the snapshot did not read back.
    bool RestoreSnapshot(const std::vector<uint8_t>& file);
    void WriteControllerState(CSaveGame& stream) const;
    bool ReadControllerState(CSaveGame& stream);
};

extern CCtrlGame g_CtrlGame;
