#pragma once
// One texture of the drawing device, filled from 32-bit pixels 0xAARRGGBB
// through one of five pixel formats, with an optional mip chain, colour-key
// bleeding, player-colour recolouring, grey conversion and detail reduction.
//
// The owner sets the fields it wants, then calls LoadFromFile, LoadFromMem,
// or Create and fills the texture itself.  A file or pixel set that cannot be
// used leaves the texture empty (no device texture) with a log line; drawing
// an empty texture draws nothing.  Every texture counts itself in the
// live-texture counter reported at exit.  Main thread only.

#include <cstdint>

#include "platform/SysDevice3DTypes.h"

class CSaveStream;
class SysDevice3DTexture;

class CTexture
{
public:
    // Format codes.
    static constexpr uint32_t FormatA4R4G4B4 = 12;
    static constexpr uint32_t FormatA1R5G5B5 = 15;
    static constexpr uint32_t FormatR5G6B5 = 16;
    static constexpr uint32_t FormatA8R8G8B8 = 24;
    static constexpr uint32_t FormatX8R8G8B8 = 32;

    // `alpha` value meaning: every pixel keeps its own alpha byte.
    static constexpr uint32_t PixelAlpha = 1977;
    // `colourKey` and `playerColour` value meaning: none.
    static constexpr uint32_t None = 0xFFFFFFFF;
    // Largest side accepted from files, memory and saved games.
    static constexpr int32_t MaxSide = 4096;

    CTexture();
    ~CTexture();
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;

    // Creates an empty device texture of w x h (level 0 only when
    // singleLevel, else the whole chain), replacing and freeing the one held.
    bool Create(int32_t w, int32_t h);
    // Gives the device texture back (unless another texture owns it).
    void Release();
    // Sets the texture (null when empty) on that stage of the device.
    void SetAsCurrent(uint32_t stage);

    bool LoadFromFile(const char* fileName);
    bool LoadFromMem(int32_t w, int32_t h, const uint32_t* pixels);
    // Fills level 0 and, unless singleLevel, every smaller level from w x h
    // pixels, which must be the size of level 0.  The pixels are changed in
    // place (player colour, mip reduction).
    void SetImageFromMem(int32_t w, int32_t h, uint32_t* pixels);
    // One pixel in this texture's format; a negative a asks for the grey
    // level divided by -a as alpha.
    uint32_t ConvertPixel(int32_t r, int32_t g, int32_t b, int32_t a) const;

    // Level 0 open for writing single pixels in the texture's format.
    bool Lock();
    void PutPixel(int32_t x, int32_t y, uint32_t value);
    void Unlock();

    // The texture as a screen quad on the virtual 1024 x 768 screen; w or h
    // -1 take the texture's own size.
    void Render2DImage(int32_t x, int32_t y, int32_t w, int32_t h);

    // False (nothing written, error flag set) when the pixels cannot be read.
    bool SaveGame(CSaveStream& stream);
    // Refuses (error flag set, texture untouched) a record it cannot accept.
    bool LoadGame(CSaveStream& stream);

    bool IsEmpty() const { return texture == nullptr; }

    int32_t width;
    int32_t height;
    SysDevice3DTexture* texture;  // owned unless `shared`
    uint32_t format;
    uint32_t alpha;
    uint32_t colourKey;
    uint32_t alphaBits;
    uint8_t singleLevel;
    uint32_t playerColour;
    uint8_t grey;
    uint32_t tint;
    uint8_t shared;
    int32_t reduce;
    void* lockedBits;

private:
    bool LoadFromPixels(int32_t w, int32_t h, uint32_t* pixels);
    void ApplyPlayerColour(uint32_t* pixels, int32_t count) const;
    void ReduceDetail(uint32_t* pixels, int32_t& w, int32_t& h) const;
    void FillLevel(uint32_t level, int32_t w, int32_t h, const uint32_t* pixels);
    uint32_t KeyBleed(const uint32_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y) const;
    uint32_t LevelPixel(uint32_t pixel, uint32_t colour) const;
    bool HasKey() const { return colourKey != None; }
};

// ---- The global texture table ----------------------------------------------
// GlobalTextureCount textures allocated by start-up and freed by the release
// of the global tables.
constexpr int GlobalTextureCount = 6;
void AllocGlobalTextures();
void FreeGlobalTextures();
// Texture `index` of the table; null when it is not allocated or the index
// is out of range.
CTexture* GetGlobalTexture(int index);
