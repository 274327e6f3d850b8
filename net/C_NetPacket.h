#pragma once
// The fixed packet of the local-network protocol: 18 signed 32-bit fields,
// 72 bytes, little-endian on the wire.
//
// A game command fills field 0 with its number and field 1 with the slot of
// the machine that made it (stamped when it is sent), so that a packet the
// host relays still tells whose it is; the command's own values follow from
// field 2 on, units and buildings as their network references.

#include <bit>
#include <cstddef>
#include <cstdint>

struct CNetPacket
{
    static constexpr int kFieldCount = 18;
    static constexpr size_t kByteSize = 72;
    static constexpr int CommandField = 0;
    static constexpr int SenderField = 1;
    static constexpr int FirstValueField = 2;
    static constexpr int kMaxValues = kFieldCount - FirstValueField;

    int32_t fields[kFieldCount];

    // A packet of the command with these values in order; the rest are 0.
    template <typename... Values>
    static CNetPacket Make(int32_t command, Values... values)
    {
        static_assert(sizeof...(Values) <= kMaxValues, "a packet holds 16 values");
        CNetPacket packet{};
        packet.fields[CommandField] = command;
        int field = FirstValueField;
        ((packet.fields[field++] = static_cast<int32_t>(values)), ...);
        return packet;
    }

    int32_t Command() const { return fields[CommandField]; }
    int32_t Sender() const { return fields[SenderField]; }
    // The command's value i (0 is the first after the header).
    int32_t Value(int i) const { return fields[FirstValueField + i]; }

    // Percentages travel as the bit pattern of their 32-bit float.
    static int32_t FromFloat(float value) { return std::bit_cast<int32_t>(value); }
    static float ToFloat(int32_t field) { return std::bit_cast<float>(field); }

    void ToBytes(uint8_t out[kByteSize]) const
    {
        for (int i = 0; i < kFieldCount; ++i)
            for (int b = 0; b < 4; ++b)
                out[i * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(fields[i]) >> (8 * b));
    }
    // False, with `out` untouched, unless exactly one packet's bytes are given.
    static bool FromBytes(const uint8_t* bytes, size_t size, CNetPacket& out)
    {
        if (bytes == nullptr || size != kByteSize)
            return false;
        for (int i = 0; i < kFieldCount; ++i)
        {
            uint32_t value = 0;
            for (int b = 0; b < 4; ++b)
                value |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
            out.fields[i] = static_cast<int32_t>(value);
        }
        return true;
    }
};

static_assert(sizeof(CNetPacket) == CNetPacket::kByteSize, "packets are 72 bytes on the wire");
