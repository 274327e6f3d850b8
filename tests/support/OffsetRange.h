#pragma once
// The least and the most of three offsets (x, y, height) over the particles a spawner scattered, so that
// a test can ask whether both ends of each spread were reached.

#include <algorithm>

struct SOffsetRange
{
    float low[3] = {1e9f, 1e9f, 1e9f};
    float high[3] = {-1e9f, -1e9f, -1e9f};

    void Add(float x, float y, float height)
    {
        const float offsets[3] = {x, y, height};
        for (int i = 0; i < 3; ++i) low[i] = std::min(low[i], offsets[i]), high[i] = std::max(high[i], offsets[i]);
    }
};
