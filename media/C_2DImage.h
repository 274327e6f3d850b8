#pragma once
// A picture of the user interface that may be larger than one texture or be
// drawn at any size: it is cut into square tiles of at most 256 x 256 pixels
// (at most 4 across and 4 down, so 1024 x 1024 pixels) and drawn as one
// screen quad per tile on the virtual 1024 x 768 screen, at its natural
// size, scaled with an overall opacity, stretched to a rectangle, or in part.
// A prepared image can be written into a saved game and read back.
//
// A picture larger than 1024 pixels either way, a missing file and a damaged
// saved section are refused with a log line; the image is then empty, and an
// empty image draws nothing.  Main thread only.

#include <cstdint>

#include "media/C_Texture.h"

class CBitmap32;
class CSaveStream;

class C2DImage
{
public:
    static constexpr int32_t TileSide = 256;
    static constexpr int32_t MaxTiles = 4;  // across and down
    static constexpr int32_t MaxSide = TileSide * MaxTiles;
    static constexpr int32_t SlotCount = MaxTiles * MaxTiles;
    // `alpha`: opaque; `colourKey`: none.
    static constexpr uint32_t Opaque = 255;
    static constexpr uint32_t NoKey = CTexture::None;
    static constexpr uint32_t White = 0xFFFFFF;

    struct STileSize
    {
        int32_t width;
        int32_t height;
    };

    C2DImage();
    ~C2DImage() = default;
    C2DImage(const C2DImage&) = delete;
    C2DImage& operator=(const C2DImage&) = delete;

    // Reads a TGA file and cuts it into tiles; false (image empty, log line)
    // when the file cannot be used.
    bool Load(const char* fileName);
    // Cuts the bitmap into tiles; false (image empty, log line) when it is
    // empty or larger than MaxSide either way.
    bool CreateFromBitmap(const CBitmap32& bitmap);
    // Gives the tiles' device textures back; the image is empty afterwards.
    void Release();

    // At the natural size with the top-left corner at (x, y).
    void Render(int32_t x, int32_t y);
    // Scaled to w x h (-1 keeps the image's own size) with an overall
    // opacity 0-255 (255: drawn as the tiles are, without blending).
    void Render(float x, float y, float w, float h, int32_t opacity);
    // Scaled to w x h (-1 keeps the image's own size); `smooth` filters
    // bilinearly when the drawing is scaled.
    void RenderStretch(int32_t x, int32_t y, int32_t w, int32_t h, bool smooth);
    // The w x h rectangle at (sourceX, sourceY) of the image, at its natural
    // size with its top-left corner at (x, y), the texture modulated with
    // `colour` (0x00RRGGBB) instead of the image's own.  The rectangle is
    // clipped to the image.
    void RenderPart(int32_t x, int32_t y, int32_t sourceX, int32_t sourceY, int32_t w, int32_t h,
                    uint32_t colour);
    // The top-left w x h part of the image.
    void RenderPart(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour)
    {
        RenderPart(x, y, 0, 0, w, h, colour);
    }

    void Save(CSaveStream& stream);
    // Refuses a damaged section (error flag set, log line, image empty).
    bool LoadSaved(CSaveStream& stream);

    bool IsEmpty() const { return tilesX == 0 || tilesY == 0; }
    // Slot of tile (tx, ty).
    static int32_t Slot(int32_t tx, int32_t ty) { return tx * MaxTiles + ty; }
    // Side of the square texture that holds a tile of vw x vh visible pixels.
    static int32_t TextureSide(int32_t vw, int32_t vh);

    int32_t width;
    int32_t height;
    // Alpha handed to every tile texture: 255 opaque, 1977 each pixel's own,
    // anything else a constant alpha.  Set before Load.
    uint32_t alpha;
    // Colour that becomes transparent in every tile; NoKey for none.  Set
    // before Load.
    uint32_t colourKey;
    // Vertex colour of every quad (0x00RRGGBB); not saved.
    uint32_t colour;
    CTexture tiles[SlotCount];
    STileSize tileSize[SlotCount];
    int32_t tilesX;
    int32_t tilesY;

private:
    // Released and of size 0 x 0: what a refused picture leaves.
    void MakeEmpty();
    uint32_t TileFormat() const;
    void DrawTile(int32_t slot, float left, float top, float right, float bottom, uint32_t vertexColour);
    void DrawScaled(float x, float y, float sx, float sy, uint32_t vertexColour);
    bool ReadSection(CSaveStream& stream);
};

// ---- The global image table -------------------------------------------------
// GlobalImageCount images allocated by start-up and freed by the release of
// the global tables.
constexpr int GlobalImageCount = 179;
void AllocGlobalImages();
void FreeGlobalImages();
// Image `index` of the table; null when it is not allocated or the index is
// out of range.
C2DImage* GetGlobalImage(int index);
