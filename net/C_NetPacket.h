#pragma once
// The fixed packet of the local-network protocol: 18 signed 32-bit fields,
// 72 bytes.

#include <cstdint>

struct CNetPacket
{
    static constexpr int kFieldCount = 18;

    int32_t fields[kFieldCount];
};

static_assert(sizeof(CNetPacket) == 72, "packets are 72 bytes on the wire");
