#pragma once
// A pixel buffer read from or written to an uncompressed TGA file.
//
// Read: colour-mapped images of 8 bits per pixel with a 24-bit palette, and
// true-colour images of 24 or 32 bits per pixel.  Rows are taken in the
// order they stand in the file, the first as the top row, whatever origin
// the descriptor names; the identification field and a colour map the image
// does not use are skipped.  Pixels of 8- and 24-bit
// files get alpha 0.  Anything else (compressed, grey, other depths, sizes
// above MaxSide, damaged palettes, short files) is refused with a log line
// and leaves the image empty (0 x 0).
//
// Written: always 32 bits per pixel, top row first.

#include <cstddef>
#include <cstdint>

#include "media/C_Bitmap32.h"

class CTGA : public CBitmap32
{
public:
    // Reads the file through the data files.  With `own` the pixels go into a
    // buffer of this object; otherwise into the one shared load buffer, valid
    // only until the next load that does not own its pixels.
    bool Load(const char* fileName, bool own);
    // The same from the bytes of a file already in memory; `name` is used only
    // for log lines.
    bool LoadFromMemory(const uint8_t* data, size_t size, bool own, const char* name);
    // Writes the pixels as a 32-bit TGA file on disk, through a temporary file
    // that replaces the target only when it is complete.
    bool Save(const char* fileName) const;

    static constexpr int32_t MaxSide = 4096;
    static constexpr int HeaderSize = 18;
};
