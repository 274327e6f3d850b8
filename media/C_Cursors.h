#pragma once
// The one set of mouse cursors.  Each slot is built from two 32 x 32 TGA
// pictures (a monochrome one and a colour one, pure red 0xFF0000 marking the
// transparent pixels) into three forms: the monochrome and the colour system
// cursor, and a pair of textures (the cursor and its soft shadow) that the
// game draws itself at the end of every frame.  The configured cursor mode
// (MOUSECURSOR=) picks the form:
//   0 MONO    the monochrome picture as the system cursor,
//   1 COLOR   the colour picture as the system cursor,
//   2 D3D     drawn by the game, the system cursor hidden,
//   3 D3D_HW  only the slot is recorded.
// A window that cannot show system cursors (the offscreen video driver)
// turns modes 0 and 1 into mode 2, with a log line, until the next Init; the
// configured mode is left as it is.
//
// Main thread only.  Positions are pixels of the back buffer (the window's
// client area), not the virtual screen.

#include <cstdint>
#include <memory>

#include "media/C_Texture.h"

class SysWindow;

class CCursors
{
public:
    static constexpr int32_t Side = 32;
    static constexpr int32_t PixelCount = Side * Side;
    // Slots the device start-up fills.
    static constexpr int32_t StartupCount = 24;

    static constexpr int32_t ModeMono = 0;
    static constexpr int32_t ModeColour = 1;
    static constexpr int32_t ModeDrawn = 2;
    static constexpr int32_t ModeDriver = 3;

    static constexpr int32_t NoCursor = -1;
    // The colour of the transparent pixels of both pictures.
    static constexpr uint32_t TransparentRed = 0xFF0000;
    // The drawn shadow lies this far right of and below the cursor.
    static constexpr int32_t ShadowOffset = 4;

    struct SStartupCursor
    {
        const char* name;  // file name without ".tga"
        int32_t hotX;
        int32_t hotY;
    };
    // The start-up set, slot by slot.
    static const SStartupCursor StartupCursors[StartupCount];

    CCursors();
    ~CCursors();
    CCursors(const CCursors&) = delete;
    CCursors& operator=(const CCursors&) = delete;

    // Room for `capacity` empty slots, each with its two textures; no cursor
    // is current.  `window` shows the system cursors and tells the mouse
    // position (null: none, every mode draws nothing).
    void Init(int32_t capacity, SysWindow* window);
    // Builds the three forms of one slot from the two pictures.  A slot
    // outside the set is refused with a check report and false.  A picture
    // that is missing or not 32 x 32 is logged and makes that form
    // transparent.
    bool LoadCursor(int32_t slot, const char* monoFile, const char* colourFile, int32_t hotX, int32_t hotY);
    // The start-up set into slots 0 to 23, from "Cursors\Mono\" and
    // "Cursors\Color\" + name + ".tga".
    void LoadStartupCursors();
    // Frees every slot; the set is empty afterwards.
    void Free();

    // Shows a slot in the configured mode, or with NoCursor hides the
    // cursor.  Nothing happens when the slot is already current.
    void SetCursor(int32_t slot);
    // Shows the current slot again (after a mode change or a device reset).
    void Refresh();
    // Draws the current slot in mode 2 at the mouse position minus its hot
    // spot: the shadow, then the cursor.  Called last in every frame.
    void Render();
    // Keeps the mouse inside the screen unless the game runs in a window.
    void ClipToScreen();

    int32_t GetCurrent() const { return current; }
    int32_t GetCapacity() const { return capacity; }
    // The mode in use: the configured one, or 2 for modes 0 and 1 once the
    // window has refused a system cursor.
    int32_t EffectiveMode() const;

    // The forms of one picture (PixelCount pixels each, 0xAARRGGBB in,
    // 0xAARRGGBB out).
    // Monochrome system cursor: red transparent, white white, any other
    // colour black.
    static void BuildMonoCursor(const uint32_t* picture, uint32_t* out);
    // Colour system cursor: red transparent, every other pixel opaque.
    static void BuildColourCursor(const uint32_t* picture, uint32_t* out);
    // Shadow: a pixel whose 7 x 7 square (off-picture places counting as
    // transparent) holds `count` transparent places becomes black with
    // alpha (56 - count) x 2; one whose whole square is transparent stays
    // transparent red.
    static void BuildShadow(const uint32_t* picture, uint32_t* out);

private:
    // The pictures of a slot's two system cursors.
    struct SBitmaps
    {
        uint32_t mono[PixelCount];
        uint32_t colour[PixelCount];
    };
    struct SHotspot
    {
        int32_t x = 0;
        int32_t y = 0;
    };

    void ShowSystemCursor(int32_t slot, int32_t mode);
    void DrawQuad(CTexture& texture, float left, float top);
    bool IsSlot(int32_t slot) const { return slot >= 0 && slot < capacity; }

    // One entry per slot each.
    std::unique_ptr<SBitmaps[]> bitmaps;
    std::unique_ptr<CTexture[]> textures;  // the drawn cursor
    std::unique_ptr<CTexture[]> shadows;   // its soft shadow
    std::unique_ptr<SHotspot[]> hotspots;
    int32_t capacity;
    int32_t current;
    SysWindow* window;
    bool systemCursorsRefused;
};
