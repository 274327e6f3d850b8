#pragma once
// A single-line text entry with a blinking caret.  It takes the keyboard
// focus; it accepts the printable characters of the current code page, up to
// a limit of characters or, with a measuring font, of pixels, and never wider
// than the entry itself.

#include "core/C_String.h"
#include "media/C_GUIControl.h"

class CGUIMenuEdit : public CGUIControl
{
public:
    static constexpr int32_t NoFont = -1;
    static constexpr int32_t BeforeFirst = -1;
    // Keys of the entry (1024 + the virtual-key code).
    static constexpr int32_t KeyEnd = 1024 + 35;
    static constexpr int32_t KeyHome = 1024 + 36;
    static constexpr int32_t KeyLeft = 1024 + 37;
    static constexpr int32_t KeyRight = 1024 + 39;
    static constexpr int32_t KeyBackspace = 8;
    // The caret shows for this long, then hides for as long.
    static constexpr uint32_t CaretBlinkMs = 500;

    CGUIMenuEdit(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, const char* text, int32_t font,
                 int32_t measuringFont, int32_t limit);

    bool CanFocus() override;
    // The text read as a decimal number (0 when it is not one).
    int32_t GetInt() override;
    const char* GetString() override;
    // Replaces the text; the caret goes to the end.
    void SetText(const char* text) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnKey(int32_t key) override;
    void Render() override;
    void OnFocus() override;
    void OnBlur() override;

    // Characters the entry takes: the printable ones of the code page.
    static bool IsPrintable(int32_t code);

    CString text;
    int32_t reserved;
    // Index of the character before the caret; BeforeFirst at the start.
    int32_t cursor;
    uint8_t focused;
    int32_t measuringFont;
    int32_t limit;
    int32_t font;

private:
    void Backspace();
    void Insert(char c);
    bool WithinLimits() const;
    void RenderCaret(uint32_t colour) const;
};
