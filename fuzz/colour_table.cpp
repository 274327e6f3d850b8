// The colour correction table ("InGame\GammaRamps\default.ramp"): any bytes
// are refused, leaving the table alone, or read as 768 little-endian values.

#include <cstddef>
#include <cstdint>

#include "core/DeviceStartup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr uint16_t kUntouched = 0xA5A5;
    uint16_t table[3][256];
    for (auto& channel : table)
        for (uint16_t& entry : channel)
            entry = kUntouched;
    if (!DeviceStartup::ReadColourTable(data, size, table))
    {
        if (size >= DeviceStartup::kColourTableBytes)
            __builtin_trap();
        for (const auto& channel : table)
            for (uint16_t entry : channel)
                if (entry != kUntouched)
                    __builtin_trap();
        return 0;
    }
    if (size < DeviceStartup::kColourTableBytes)
        __builtin_trap();
    for (size_t i = 0; i < 768; ++i)
        if (table[i / 256][i % 256] != uint16_t(data[2 * i] | data[2 * i + 1] << 8))
            __builtin_trap();
    return 0;
}
