// Feeds arbitrary bytes to the player profile reader as the content of
// "players.prf": once as they are, and once with a CRC that matches, so that
// the reader gets past its check and parses the profiles.  Whatever it
// accepts is read back.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/C_CRC32.h"
#include "frontend/C_PlayerProfiles.h"

namespace
{
constexpr size_t kCrcSize = 4;
constexpr size_t kLargestInput = 1u << 20;

void LoadAndRead(const uint8_t* data, size_t size)
{
    CPlayerProfiles profiles;
    if (!profiles.LoadFromMemory(data, static_cast<int>(size), "players.prf"))
        return;
    size_t total = 0;
    for (int32_t i = -1; i <= profiles.GetCount(); ++i)
        total += static_cast<unsigned char>(profiles.GetName(i)[0]);
    for (int32_t i = 0; i < profiles.GetCount(); ++i)
        total += static_cast<size_t>(profiles.profiles[i]->results.GetCount());
    volatile size_t sink = total;
    (void)sink;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kLargestInput)
        return 0;
    LoadAndRead(data, size);
    if (size < kCrcSize)
        return 0;
    std::vector<uint8_t> fixed(data, data + size);
    const size_t body = size - kCrcSize;
    const uint32_t crc = CCRC32().Calculate(fixed.data(), static_cast<int>(body));
    for (size_t i = 0; i < kCrcSize; ++i)
        fixed[body + i] = static_cast<uint8_t>(crc >> (8 * i));
    LoadAndRead(fixed.data(), fixed.size());
    return 0;
}
