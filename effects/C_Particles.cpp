#include "effects/C_Particles.h"

CParticles g_Particles;

void CParticles::Init(int32_t capacity)
{
    m_Capacity = capacity > 0 ? capacity : 0;
    m_Markers.clear();
}

void CParticles::Shutdown()
{
    m_Capacity = 0;
    m_Markers.clear();
    m_Markers.shrink_to_fit();
}

void CParticles::Reset()
{
    m_Markers.clear();
}

void CParticles::AddMinimapMarker(int32_t x, int32_t y, uint32_t colour)
{
    m_Markers.push_back({x, y, colour});
}

void CParticles::RegisterReferences() {}
