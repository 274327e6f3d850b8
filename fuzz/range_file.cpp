// Stored range tables ("InGame\Ranges\fullmap.rng"): any bytes are refused or
// give a table that writes back to exactly the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "world/C_RangeTable.h"

namespace
{
void Check(const uint8_t* data, size_t size, int32_t outer)
{
    CRangeTable table;
    const char* reason = nullptr;
    if (!table.LoadStored(data, int64_t(size), outer, &reason))
    {
        if (reason == nullptr || table.count != 0)
            __builtin_trap();
        return;
    }
    std::vector<uint8_t> again(size_t(table.GetStoredSize()));
    table.WriteStored(again.data());
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Check(data, size, 128);
    Check(data, size, 3);
    return 0;
}
