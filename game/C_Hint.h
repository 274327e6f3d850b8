#pragma once
// The tooltip record of one command-panel button: its size, its text lines
// and cost lines, and room for its pictures.
// Stand-in until the command panel exists: it composes the text lines with
// their inline font and colour escapes, keeps the cost lines' records, and
// draws nothing.

#include <cstdint>
#include <vector>

#include "core/C_String.h"

class CUnitStats;

class CHint
{
public:
    // How a line came in.
    enum class ELineKind
    {
        Item,       // BuildItemHint
        Cost,       // AddCostLine
        SecondCost  // AddCostLine2
    };

    struct SLine
    {
        ELineKind kind = ELineKind::Item;
        int32_t x = 0;
        int32_t y = 0;
        // Item lines: the composed text, escapes included.
        CString text;
        // Cost lines.
        const CUnitStats* record = nullptr;
    };

    // Forgets what the record held, keeps the size and makes room for
    // `maxLines` lines and `maxImages` pictures (none when 0).
    void Init(int32_t width, int32_t height, int32_t maxLines, int32_t maxImages);
    void Free();

    // One text line at (x, y), in the escapes the hint drawing reads ("\fNN"
    // picks font NN, "\cRRGGBB" the colour of what follows): the heading in
    // font 3, white, with its hotkey (a one-letter hotkey in yellow at its
    // first place in the heading, a longer name or a letter the heading
    // lacks in yellow brackets after it), then the description in font 4,
    // grey, on a line of its own below a heading.  A null text is left out.
    void BuildItemHint(int32_t x, int32_t y, const char* hotkey, const char* heading, const char* description);
    // The costs of a unit, building or technology record as a line at
    // (x, y), in the panel's first and second form.
    void AddCostLine(int32_t x, int32_t y, const CUnitStats* record);
    void AddCostLine2(int32_t x, int32_t y, const CUnitStats* record);

    int32_t LineCount() const { return int32_t(lines.size()); }

    int32_t width = 0;
    int32_t height = 0;
    int32_t lineCapacity = 0;
    int32_t imageCapacity = 0;
    int32_t imageCount = 0;
    std::vector<SLine> lines;

private:
    // False, with a check report, when the record is full.
    bool HasRoom();
    static CString ComposeItemText(const char* hotkey, const char* heading, const char* description);
    static CString HeadingWithHotkey(const char* heading, const char* hotkey);
    void AddCost(ELineKind kind, int32_t x, int32_t y, const CUnitStats* record);
};

// ---- The global hint table ----------------------------------------------------
// GlobalHintCount records allocated by start-up and freed by the release of
// the global tables.
constexpr int GlobalHintCount = 119;
void AllocGlobalHints();
void FreeGlobalHints();
// Record `index` of the table; null when it is not allocated or the index is
// out of range.
CHint* GetGlobalHint(int index);
