#pragma once
// Start-up tables the interface reads: the hints of the command-panel
// buttons, built in the current language, and the five interface pictures
// (check boxes, slider thumb, pause picture) in the global image table.
// The decoration types of the editor live with the decoration objects
// (world/C_DecorType.h).  Main thread only.

#include <cstdint>

// How a command hint is composed.
enum class EHintKind
{
    Command,     // heading and description, no costs
    SingleCost,  // heading and description, one cost line (buildings, research)
    Training     // heading, two cost lines, the description beside them
};

// One button hint: its slot in the hint table, its key stem (heading
// stem + "_H", description stem + "_D"), the hotkey name shown (null: none),
// the record's size and the type record its costs come from (-1: none).
struct SCommandHintRow
{
    int32_t slot;
    const char* stem;
    const char* hotkey;
    EHintKind kind;
    int32_t lines;
    int32_t images;
    int32_t record;
};

constexpr int32_t CommandHintRowCount = 119;
// The rows in the order they are built.
extern const SCommandHintRow CommandHintRows[CommandHintRowCount];

// Every hint size is the same; the text places within a hint.
constexpr int32_t HintWidth = 650;
constexpr int32_t HintHeight = 150;
constexpr int32_t HintHeadingX = 0;
constexpr int32_t HintHeadingY = 0;
constexpr int32_t HintCostX = 0;
constexpr int32_t HintCostY = 35;
constexpr int32_t HintTrainingTextX = 90;
constexpr int32_t HintTrainingTextY = 30;

// Fills the global hint table from the rows, texts in the current
// language; a missing text is left out of its hint.
void LoadCommandHints();

// Where the interface pictures stand in the global image table.
enum EInterfaceImage : int
{
    InterfaceImageCheckBox = 174,
    InterfaceImageCheckBoxChecked = 175,
    InterfaceImageCheckBoxThird = 176,
    InterfaceImageSliderThumb = 177,
    InterfaceImagePause = 178
};

// Loads the five pictures (alpha 255, colour key red) and hands the check
// box and slider pictures to the widgets.  A missing picture is logged and
// left empty; the widgets then draw without it.
void LoadInterfaceTextures();
