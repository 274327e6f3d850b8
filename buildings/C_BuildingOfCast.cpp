#include "buildings/C_BuildingOfCast.h"

CBuildingOfCast::CBuildingOfCast(int32_t cast, int32_t ownerIndex)
    : CBuilding(-1, -1, ownerIndex), m_Row(*CBuildingCastTable::Find(cast))
{
    model = m_Row.model;
    // Each list is allocated with exactly its type's number of points.
    if (m_Row.firePointCount > 0)
    {
        InitFirePositions(m_Row.firePointCount);
        for (int32_t i = 0; i < m_Row.firePointCount; ++i)
        {
            const SFirePoint& point = m_Row.firePoints[i];
            AddFirePosition(point.threshold, point.offsetX, point.height, point.offsetY, point.size);
        }
    }
}

void CBuildingOfCast::GetSelectSound(int32_t* sample, int32_t* variants) const
{
    *sample = m_Row.selectSample;
    *variants = 1;
}

void CBuildingOfCast::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = m_Row.hitDebris[0];
    *second = m_Row.hitDebris[1];
}
