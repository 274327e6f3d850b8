#include "buildings/C_BuildingDust.h"

#include <cstddef>

CBuildingDust g_BuildingDust;

void CBuildingDust::Add(const SDustPuff& puff)
{
    if (m_Puffs.size() >= kMostPuffs)
        m_Puffs.erase(m_Puffs.begin(), m_Puffs.begin() + static_cast<std::ptrdiff_t>(kMostPuffs / 2));
    m_Puffs.push_back(puff);
}
