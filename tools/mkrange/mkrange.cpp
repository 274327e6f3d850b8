// mkrange FILE: writes the whole-map disc (every block offset nearer than 128
// blocks, nearest first, level 255) in the stored range-table form the game
// reads as "InGame\Ranges\fullmap.rng".  The file is written beside the
// target and renamed over it, so an old file stays whole on failure.

#include <cstdio>
#include <vector>

#include "core/C_MemoryBlock.h"
#include "world/C_RangeTable.h"
#include "world/RangeTables.h"

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
    CMemoryBlock stored;
    stored.Write(bytes.data(), int(bytes.size()));
    if (stored.HasError() || !stored.SaveToFile(argv[1]))
    {
        std::fprintf(stderr, "mkrange: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
