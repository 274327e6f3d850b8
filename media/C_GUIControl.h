#pragma once
// Base of every GUI control and of the control container every form derives
// from.  Positions are on the virtual 1024 x 768 screen, relative to the
// parent container; a control without parent stands alone.  Main thread only.

#include <cstdint>

class C2DFont;
class C2DImage;
class CGUIInterface;
class CStringArray;
class CTexture;

// The interface pictures the widgets draw.  The interface tables load them at
// start-up; until then, and whenever one is missing, the widgets draw without
// it (no box on the check box, no thumb on the slider and the list box).
enum class EGUIPicture
{
    CheckBox,
    CheckBoxChecked,
    SliderThumb,
    Count
};
void SetGUIPicture(EGUIPicture which, C2DImage* picture);
// Null when the picture is not loaded or holds nothing.
C2DImage* GetGUIPicture(EGUIPicture which);

// The interface click: voice-bank slot 255 played once at volume 100.
void PlayInterfaceClick();

class CGUIControl
{
public:
    // Shared look of the widgets (0x00RRGGBB).
    static constexpr uint32_t ColourNormal = 0xFFFF00;
    static constexpr uint32_t ColourHover = 0xFFFFFF;
    static constexpr uint32_t ColourPressed = 0xFF0000;
    static constexpr uint32_t ColourDisabled = 0xAAAAAA;
    static constexpr uint32_t ColourBlack = 0x000000;
    static constexpr uint32_t ColourHighlight = 0xFFFF0000;
    static constexpr int32_t HighlightAlpha = 64;
    // DrawBox alpha values that mean "opaque, no blending".
    static constexpr int32_t NoAlpha = -1;
    static constexpr int32_t OpaqueAlpha = 255;
    // Text alignments of the shadowed print.
    static constexpr int32_t AlignLeft = 0;
    static constexpr int32_t AlignRight = 1;
    static constexpr int32_t AlignCentre = 2;

    CGUIControl(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h);
    virtual ~CGUIControl();

    CGUIControl(const CGUIControl&) = delete;
    CGUIControl& operator=(const CGUIControl&) = delete;

    // Only a text entry takes the keyboard focus.
    virtual bool CanFocus();
    // Value queries a control does not answer are reported and give false,
    // 0 or no text (null).
    virtual bool GetBool();
    virtual int32_t GetInt();
    virtual const char* GetString();
    virtual int32_t GetValue();
    virtual void SetValue(int32_t value);
    virtual void SetText(const char* text);
    virtual void SetImage(CTexture* image);

    virtual void OnMouseDown(int32_t x, int32_t y);
    virtual void OnMouseUp(int32_t x, int32_t y);
    virtual void OnClick();
    virtual void OnMouseMove(int32_t x, int32_t y);
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnWheelUp();
    virtual void OnWheelDown();
    // Characters as their codes, other keys as 1024 + the virtual-key code.
    virtual void OnKey(int32_t key);
    virtual void Render();
    virtual void OnFocus();
    virtual void OnBlur();

    int32_t GetAbsX() const;
    int32_t GetAbsY() const;
    // A disabled control is never hit; the right and bottom edges count.
    bool HitTest(int32_t px, int32_t py) const;

    // Outline (x0, y0) - (x1, y1) on the virtual screen.
    static void DrawFrame(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
    static void DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
    // Filled box without texture.  An alpha other than -1 and 255 is added to
    // the colour's top byte (wrapping) and the box is blended.
    static void DrawBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour, int32_t alpha);

    uint8_t enabled;
    uint8_t visible;
    CGUIInterface* parent;
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;

protected:
    // Font `index` of the global table; null when there is none.
    static C2DFont* Font(int32_t index);
    // Line height of the font, 0 without one.
    static int32_t LineHeight(int32_t font);
    // Width of the text in the font, 0 without one or without text.
    static int32_t TextWidth(int32_t font, const char* text);
    // The shadowed print of the font; nothing without font or text.
    static void Print(int32_t font, int32_t px, int32_t py, const char* text, uint32_t colour, int32_t align);
    // The look shared by framed widgets: a black box of the given alpha over
    // the rectangle, a black frame shifted by one pixel, the frame itself.
    void DrawFramedLook(int32_t boxAlpha, uint32_t frameColour) const;
    // A ";"-separated item text as its items; a trailing ";" adds no empty
    // item, and an empty or missing text gives none.
    static void SplitItems(const char* items, CStringArray& out);
    // This control's index in its parent's array, -1 when it is not there.
    int32_t IndexInParent() const;
};
