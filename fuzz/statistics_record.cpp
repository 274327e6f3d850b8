// Statistics records from another machine: any bytes are refused, leaving
// the record as it was, or read into a record that writes back to exactly
// the bytes it was read from.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/C_MemoryBlock.h"
#include "world/C_PlayerStatistics.h"

namespace
{
constexpr size_t kLargestInput = 1u << 20;

bool SameBytes(const CMemoryBlock& a, const uint8_t* data, int size)
{
    return a.GetSize() == size && std::memcmp(a.GetData(), data, size_t(size)) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kLargestInput)
        return 0;
    CMemoryBlock input;
    input.Write(data, int(size));

    CPlayerStatistics record;
    record.name = "Previous";
    record.playerType = 3;
    CMemoryBlock before;
    record.Write(before);

    CMemoryBlock again;
    if (!record.Read(input))
    {
        record.Write(again);
        if (!SameBytes(again, before.GetData(), before.GetSize()))
            __builtin_trap();
        return 0;
    }
    record.Write(again);
    // A record read soundly is a prefix of what was sent.
    if (again.GetSize() > int(size) || std::memcmp(again.GetData(), data, size_t(again.GetSize())) != 0)
        __builtin_trap();
    return 0;
}
