#pragma once
// Stands in for the front-end subsystem: the main-menu controller, the first
// screen of the game.

#include <cstdint>

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "core/C_String.h"
#include "core/T_Array.h"

class CCtrlMainMenu : public CCtrl
{
public:
    static constexpr int32_t kTextRecordCount = 128;
    static constexpr int kListGrowStep = 64;
    static constexpr int32_t kPlayerCount = 8;
    static constexpr int32_t kRandomGameOptionCount = 9;

    struct STextRecord
    {
        CString text;
        int32_t value = 0;
    };

    struct SListRecord
    {
        int32_t values[7] = {};
        int32_t eighth = -1;
    };

    // The settings the random-game screen reads.
    struct SRandomGameSettings
    {
        int32_t options[kRandomGameOptionCount];
        uint8_t flag;
        int32_t playerSlots[kPlayerCount];
        int32_t playerChoices[kPlayerCount];
    };

    CCtrlMainMenu();
    ~CCtrlMainMenu() = default;

    void Init() override;
    CCtrl* Run1Frame() override;
    // Keeps the virtual mouse position before the forms see the move.
    void onMouseMove(int32_t x, int32_t y) override;

    // Puts the menu scene's camera back at its start.
    void ResetCamera();

    STextRecord textRecords[kTextRecordCount];
    int32_t value1;
    CConfig workingConfig;
    CStringArray list1;
    T_Array<SListRecord> records;
    CStringArray list2;
    int32_t value2;
    int32_t value3;
    CString text;
    SRandomGameSettings randomGame;
    float sceneTime;
    float cameraSpeed;
    float slideSpeed;
};

extern CCtrlMainMenu g_CtrlMainMenu;
