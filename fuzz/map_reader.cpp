// Map files from the data files, the disk, a map transfer or the random
// generator: any bytes are refused with a log line or read into a map of
// 32 to 256 blocks each way.  Without theme files every checked image is
// refused at its theme, so this target works the validating reader; the
// object records on a themed map are exercised by the world tests.

#include <cstddef>
#include <cstdint>

#include "core/C_Config.h"
#include "core/C_MemoryBlock.h"
#include "world/C_GameMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    g_Config.logging = 0;
    CMemoryBlock block;
    if (size > 0)
        block.Write(data, int(size));
    block.SetPos(0);
    if (g_GameMap.LoadMapData(block, 1))
    {
        if (g_GameMap.width < MinMapSide || g_GameMap.width > MaxMapSide || g_GameMap.height < MinMapSide ||
            g_GameMap.height > MaxMapSide)
            __builtin_trap();
        g_GameMap.Free();
    }
    return 0;
}
