#include "game/C_MENUMessage.h"

namespace
{
constexpr int32_t kBarLeft = 208;
constexpr int32_t kBarTop = 671;
constexpr int32_t kBarWidth = 816;
constexpr int32_t kBarHeight = 97;
}

CMENUMessage::CMENUMessage()
    : value1(-1), historyCount(0), history(new CString[kHistorySize]), value2(-1)
{
    SetRect(kBarLeft, kBarTop, kBarWidth, kBarHeight);
}

CMENUMessage::~CMENUMessage()
{
    DeleteAll();
    delete[] history;
    history = nullptr;
    historyCount = 0;
    Close();
}

// The bar gets a background picture only once the game's 2-D images exist.
void CMENUMessage::Close() {}
