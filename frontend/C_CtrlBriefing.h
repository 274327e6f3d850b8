#pragma once
// Stands in for the front-end subsystem: the campaign briefing controller.

#include <cstdint>

#include "core/C_Ctrl.h"
#include "core/C_String.h"
#include "core/T_Array.h"
#include "media/C_GUIInterface.h"

class CCtrlBriefing : public CCtrl
{
public:
    static constexpr int32_t kTextRecordCount = 128;
    static constexpr int kMissionGrowStep = 8;

    struct STextRecord
    {
        CString text;
        int32_t value = 0;
    };

    struct SMissionRecord
    {
        int32_t value = 0;
    };

    CCtrlBriefing();
    ~CCtrlBriefing();

    CGUIInterface container;
    STextRecord textRecords[kTextRecordCount];
    CString mapImage;
    T_Array<SMissionRecord> missions;
};

extern CCtrlBriefing g_CtrlBriefing;
