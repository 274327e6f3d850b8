#pragma once
// The textures of a map theme: the terrain textures a map paints its corners
// with (each with its transition masks and the bytes the map's drawing keeps
// for it), the two water textures with the water colours taken from the
// first, and the four shore textures.
//
// A theme file is outside input.  It is checked whole before a single
// texture is made: a bad file is refused with a log line and leaves the theme
// as it was.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/C_String.h"
#include "media/C_Texture.h"

// Theme numbers (TENUMMAPTHEME); -1 is no map.
constexpr int32_t NoTheme = -1;
constexpr int32_t ThemeCount = 4;

constexpr int32_t ThemeTextureDataSize = 64;
constexpr int32_t ThemeTransitionInfoSize = 4;
constexpr int32_t WaterColourCount = 4;
constexpr int32_t WaterTextureCount = 2;
constexpr int32_t ShoreTextureCount = 4;

// One blend from a terrain texture to a neighbour: 4 bytes for the drawing
// and a 64 x 64 mask.
struct SThemeTransition
{
    uint8_t info[ThemeTransitionInfoSize];
    std::unique_ptr<CTexture> mask;
};

struct SThemeTexture
{
    std::unique_ptr<CTexture> texture;
    CString name;   // upper case
    uint8_t data[ThemeTextureDataSize];
    std::vector<SThemeTransition> transitions;
};

class CTheme
{
public:
    CTheme();
    ~CTheme();
    CTheme(const CTheme&) = delete;
    CTheme& operator=(const CTheme&) = delete;

    // The theme file of a theme number ("Terrain\Themes\continental.theme"
    // for 0 ...); null for a number that names none.
    static const char* GetFileName(int32_t theme);

    // Reads a theme file through the data files and then the shore
    // textures.  False, with a log line and the theme unchanged, when the
    // file is missing or malformed.
    bool Load(const char* path);
    // The same from the bytes of a theme file; `name` is for the log.
    bool LoadFromMemory(const uint8_t* bytes, int64_t size, const char* name);
    void Free();
    void Swap(CTheme& other);

    bool IsLoaded() const { return !textures.empty(); }
    int32_t GetTextureCount() const { return int32_t(textures.size()); }
    // Index of the texture of that name, compared without case; -1 when none.
    int32_t FindTexture(const char* name) const;

    int32_t defaultGroundTexture;
    std::vector<SThemeTexture> textures;
    uint32_t waterColours[WaterColourCount];
    std::unique_ptr<CTexture> waterTextures[WaterTextureCount];
    std::unique_ptr<CTexture> shoreTextures[ShoreTextureCount];

private:
    void LoadShoreTextures();
};
