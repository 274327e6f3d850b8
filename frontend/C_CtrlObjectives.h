#pragma once
// Stands in for the front-end subsystem: the objectives screen controller.

#include <cstdint>

#include "core/C_Ctrl.h"
#include "core/C_String.h"

class CCtrlObjectives : public CCtrl
{
public:
    static constexpr int32_t kTextRecordCount = 128;

    struct STextRecord
    {
        CString text;
        int32_t value = 0;
    };

    CCtrlObjectives() = default;
    ~CCtrlObjectives() = default;

    STextRecord textRecords[kTextRecordCount];
};

extern CCtrlObjectives g_CtrlObjectives;
