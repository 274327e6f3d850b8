#include "game/C_Hint.h"

#include <cstddef>

#include "core/C_LogFile.h"

namespace
{
CHint* g_Hints = nullptr;
// Fonts break lines at a carriage return only.
constexpr char kNewLine = '\r';
}  // namespace

void CHint::Init(int32_t hintWidth, int32_t hintHeight, int32_t maxLines, int32_t maxImages)
{
    Free();
    width = hintWidth;
    height = hintHeight;
    lineCapacity = maxLines > 0 ? maxLines : 0;
    imageCapacity = maxImages > 0 ? maxImages : 0;
    lines.reserve(std::size_t(lineCapacity));
}

void CHint::Free()
{
    lines.clear();
    lines.shrink_to_fit();
    lineCapacity = 0;
    imageCapacity = 0;
    imageCount = 0;
}

bool CHint::HasRoom()
{
    if (LineCount() < lineCapacity)
        return true;
    DEBUG_REPORT("#DEBUG: Too many lines in a hint");
    return false;
}

void CHint::BuildItemHint(int32_t x, int32_t y, const char* hotkey, const char* heading, const char* description)
{
    if (!HasRoom())
        return;
    SLine line;
    line.x = x;
    line.y = y;
    line.text = ComposeItemText(hotkey, heading, description);
    lines.push_back(line);
}

CString CHint::ComposeItemText(const char* hotkey, const char* heading, const char* description)
{
    CString text;
    if (heading != nullptr)
        text += CString("\\f03\\cffffff") + HeadingWithHotkey(heading, hotkey);
    if (description != nullptr)
    {
        if (heading != nullptr)
            text += kNewLine;
        text += CString("\\f04\\caaaaaa") + description;
    }
    return text;
}

// A one-letter hotkey turns its first place in the heading, in either case,
// yellow; a longer name, or a letter the heading lacks (so that the key is
// never lost from the hint), follows the heading in yellow brackets.
CString CHint::HeadingWithHotkey(const char* heading, const char* hotkey)
{
    const CString text(heading);
    if (hotkey == nullptr || hotkey[0] == 0)
        return text;
    const int at = hotkey[1] == 0 ? text.FindNoCase(hotkey) : -1;
    if (at < 0)
        return text + " (\\cffff00" + hotkey + "\\cffffff)";
    return text.Mid(0, at) + "\\cffff00" + text.Mid(at, 1) + "\\cffffff" + text.Mid(at + 1, text.GetLength());
}

void CHint::AddCostLine(int32_t x, int32_t y, const CUnitStats* record)
{
    AddCost(ELineKind::Cost, x, y, record);
}

void CHint::AddCostLine2(int32_t x, int32_t y, const CUnitStats* record)
{
    AddCost(ELineKind::SecondCost, x, y, record);
}

void CHint::AddCost(ELineKind kind, int32_t x, int32_t y, const CUnitStats* record)
{
    if (!HasRoom())
        return;
    SLine line;
    line.kind = kind;
    line.x = x;
    line.y = y;
    line.record = record;
    lines.push_back(line);
}

void AllocGlobalHints()
{
    FreeGlobalHints();
    g_Hints = new CHint[GlobalHintCount];
}

void FreeGlobalHints()
{
    if (g_Hints == nullptr)
        return;
    for (int i = 0; i < GlobalHintCount; ++i)
        g_Hints[i].Free();
    delete[] g_Hints;
    g_Hints = nullptr;
}

CHint* GetGlobalHint(int index)
{
    if (g_Hints == nullptr || index < 0 || index >= GlobalHintCount)
        return nullptr;
    return &g_Hints[index];
}
