// mkrange FILE: writes the whole-map disc (every block offset nearer than 128
// blocks, nearest first, level 255) in the stored range-table form the game
// reads as "InGame\Ranges\fullmap.rng".  The file is written beside the
// target and renamed over it, so an old file stays whole on failure.

#include <cstdio>
#include <vector>

#include "core/C_File.h"
#include "core/C_String.h"
#include "world/C_RangeTable.h"
#include "world/RangeTables.h"

namespace
{
bool WriteWhole(const char* path, const std::vector<uint8_t>& bytes)
{
    const CString temporary = CString(path) + ".tmp";
    CFile file;
    if (!file.OpenWrite(temporary))
        return false;
    const bool written = file.Write(bytes.data(), int(bytes.size())) == int(bytes.size());
    file.Close();
    return written && MoveFileReplace(temporary, path);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: mkrange FILE\n");
        return 1;
    }
    CRangeTable disc;
    disc.InitRing(0, FullMapDiscRadius, 0);
    std::vector<uint8_t> bytes(size_t(disc.GetStoredSize()));
    disc.WriteStored(bytes.data());
    if (!WriteWhole(argv[1], bytes))
    {
        std::fprintf(stderr, "mkrange: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
