#include "media/C_ModelRecord.h"

#include <cstring>

namespace
{
CModelRecord* g_GlobalModels = nullptr;
} // namespace

bool CModelRecord::GetPartBox(int32_t part, float boxMin[3], float boxMax[3]) const
{
    if (part < 0 || part >= object.groupCount || size_t(part) >= object.groups.size())
        return false;
    const C3DObject::SGroup& group = object.groups[size_t(part)];
    std::memcpy(boxMin, group.boxMin, sizeof group.boxMin);
    std::memcpy(boxMax, group.boxMax, sizeof group.boxMax);
    return true;
}

void CModelRecord::Release()
{
    object.Release();
    shadowTexture.Release();
}

void AllocGlobalModels()
{
    FreeGlobalModels();
    g_GlobalModels = new CModelRecord[GlobalModelCount];
}

void FreeGlobalModels()
{
    delete[] g_GlobalModels;
    g_GlobalModels = nullptr;
}

CModelRecord* GetGlobalModel(int index)
{
    if (g_GlobalModels == nullptr || index < 0 || index >= GlobalModelCount)
        return nullptr;
    return &g_GlobalModels[index];
}
