#pragma once
// Stands in for the command panel's building buttons: draws nothing, keeps
// the buttons a building asked for this frame, the building hotkeys (a
// table of 32, the first key registered wins a collision) and the hover
// state the tooltip and the building's panel command read.  Panel
// coordinates are on the virtual 1024 x 768 screen.  Main thread only.

#include <cstdint>
#include <string>
#include <vector>

class CUnit;
class CUnitStats;

struct SPanelButton
{
    int32_t x;
    int32_t y;
    int32_t icon;
    const CUnitStats* record;   // RenderButtonEx's record, null for a plain button
    bool hovered;
    int32_t state;              // RenderButton's state, 0 for a command button
};

struct SPanelText
{
    int32_t x;
    int32_t y;
    std::string text;
    uint32_t colour;
    bool small;   // the panel's second, smaller font
};

// A picture drawn on the panel (a building's ability image).
struct SPanelPicture
{
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    int32_t alpha;   // 0 to 255
    // The texture addressing of stage 0 it is drawn with (Sys3DAddress of
    // both axes, 0 when they differ or without a device).
    uint32_t addressing;
};

struct SBuildingHotkey
{
    int32_t lowerKey;
    int32_t upperKey;
    const CUnitStats* record;   // unit to queue, or null
    int32_t technology;         // technology to research, -1 none
    // Panel command: -2 cancels construction; with no unit, technology or
    // mode, 0 or -1 cancels the current production or research.
    int32_t command;
    int32_t mode;               // panel mode it arms, 0 none
};

class CBuildingPanel
{
public:
    static constexpr int32_t HotkeyCapacity = 32;
    static constexpr int32_t ButtonSize = 40;
    static constexpr int32_t EscapeKey = 27;
    static constexpr int32_t NoTechnology = -1;
    static constexpr int32_t NoCommand = -1;
    // The cancel button's and the mode button's places in the grid.
    static constexpr int32_t CancelPosition = 11;
    static constexpr int32_t ModePosition = 10;
    static constexpr int32_t ModeRally = 14;

    // A new frame: no buttons, hotkeys or hover state.
    void BeginFrame();
    // One 40 x 40 icon button at (x, y); true while the mouse is over it.
    bool RenderButton(int32_t x, int32_t y, int32_t icon, int32_t state);
    // A command button at a grid position with its record's costs; true
    // while the mouse is over it.
    bool RenderButtonEx(int32_t position, int32_t icon, const CUnitStats* record);
    // Registers a key; false when the table is full or a key is taken, in
    // which case the earlier registration stands.
    bool AddbuildingHotkey(int32_t lowerKey, int32_t upperKey, const CUnitStats* record, int32_t technology,
                           int32_t command, int32_t mode);
    // The registration of a key, or null.
    const SBuildingHotkey* FindHotkey(int32_t key) const;
    // The hint of the hovered object, asked for at (x, y).
    void RenderHint(int32_t x, int32_t y);
    // The panel's ability image as a width x height picture at (x, y).
    void RenderAbilityImage(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alpha);
    // A line of text on the panel in the first or the smaller font.
    void PrintText(int32_t x, int32_t y, const char* text, uint32_t colour, bool small);
    // Width of a text in the first or the smaller font; 0 without fonts.
    static int32_t TextWidth(const char* text, bool small);
    // The top-left corner of a grid position.
    static void PositionToScreen(int32_t position, int32_t* x, int32_t* y);

    const std::vector<SPanelButton>& GetButtons() const { return m_Buttons; }
    const std::vector<SBuildingHotkey>& GetHotkeys() const { return m_Hotkeys; }
    const std::vector<SPanelText>& GetTexts() const { return m_Texts; }
    const std::vector<SPanelPicture>& GetPictures() const { return m_Pictures; }

    int32_t mouseX = -1;
    int32_t mouseY = -1;
    int32_t panelMode = 0;
    // What the button under the mouse stands for.
    const CUnitStats* hoverRecord = nullptr;
    int32_t hoverTechnology = NoTechnology;
    int32_t hoverMode = 0;
    int32_t hintId = 0;          // tooltip of the icon under the mouse
    float pulse = 1.0f;          // the controller's blinking pulse, 0 to 1
    // The object under the mouse that is no button (17: a carried unit,
    // which a click puts ashore), 0 and null for none.
    int32_t hoverObjectKind = 0;
    CUnit* hoverUnit = nullptr;
    int32_t hintX = -1;   // where the hovered object's hint was asked for, -1 none
    int32_t hintY = -1;
    int32_t progressBarWidth = -1;   // pixels of the progress bar, -1 none

private:
    bool IsMouseOver(int32_t x, int32_t y) const;

    std::vector<SPanelButton> m_Buttons;
    std::vector<SBuildingHotkey> m_Hotkeys;
    std::vector<SPanelText> m_Texts;
    std::vector<SPanelPicture> m_Pictures;
};

extern CBuildingPanel g_BuildingPanel;
