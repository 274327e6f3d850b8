#pragma once
// Stands in for the world editor subsystem: the list of decorations to place.

#include <cstdint>

class CDecorBuildList
{
public:
    static constexpr int32_t kBufferSize = 1024;

    CDecorBuildList();
    ~CDecorBuildList();

    CDecorBuildList(const CDecorBuildList&) = delete;
    CDecorBuildList& operator=(const CDecorBuildList&) = delete;

    // Empties the list; the buffer stays.
    void Clear();

    uint8_t* buffer;
    int32_t count;
};
