#pragma once
// Stands in for the in-game control subsystem: the message bar with its chat
// input line and history.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class CMENUMessage : public CGUIInterface
{
public:
    static constexpr int32_t kHistorySize = 32;

    CMENUMessage();
    ~CMENUMessage() override;

    // Frees the bar's background picture; nothing when there is none.
    void Close();

    CString inputLine;
    int32_t value1;
    int32_t historyCount;
    CString* history;
    int32_t value2;
};
