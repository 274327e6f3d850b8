#pragma once
// Stands in for the particle system of the projectiles, particles and world
// rendering subsystem: the pool and the minimap markers, without particles.
//
// Main thread only.  Map points are in blocks; colours 0x00RRGGBB.

#include <cstdint>
#include <vector>

struct SMinimapMarker
{
    int32_t x;
    int32_t y;
    uint32_t colour;
};

class CParticles
{
public:
    // The pool the device start-up asks for.
    static constexpr int32_t kDevicePoolSize = 65536;

    // Makes room for `capacity` particles (none below 1), empty.
    void Init(int32_t capacity);
    // Frees the pool; safe without Init and when called twice.
    void Shutdown();
    // Drops every particle and marker, keeping the pool.
    void Reset();
    void AddMinimapMarker(int32_t x, int32_t y, uint32_t colour);
    // Corpses and ruins hold units and buildings for the save game; the
    // stand-in keeps none, so there is nothing to register.
    void RegisterReferences();

    int32_t GetCapacity() const { return m_Capacity; }
    const std::vector<SMinimapMarker>& GetMinimapMarkers() const { return m_Markers; }

private:
    int32_t m_Capacity = 0;
    std::vector<SMinimapMarker> m_Markers;
};

extern CParticles g_Particles;
