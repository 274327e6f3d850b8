#pragma once
// Stands in for the particle system's dust puffs (CParticles::AddDust, kind 0)
// that construction raises: records each puff as it was asked for.

#include <cstddef>
#include <cstdint>
#include <vector>

struct SDustPuff
{
    float x;        // blocks
    float height;   // world units
    float y;        // blocks
    float size;
    float spread;
    bool hidden;    // the local player cannot see the building
};

class CBuildingDust
{
public:
    // The record keeps only the most recent puffs: at the limit the older
    // half goes.
    static constexpr size_t kMostPuffs = 4096;

    void Add(const SDustPuff& puff);
    const std::vector<SDustPuff>& GetPuffs() const { return m_Puffs; }
    void Clear() { m_Puffs.clear(); }

private:
    std::vector<SDustPuff> m_Puffs;
};

extern CBuildingDust g_BuildingDust;
