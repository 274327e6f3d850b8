#include "editor/C_DecorBuildList.h"

CDecorBuildList::CDecorBuildList() : buffer(new uint8_t[kBufferSize]()), count(0)
{
    Clear();
}

CDecorBuildList::~CDecorBuildList()
{
    Clear();
    delete[] buffer;
    buffer = nullptr;
}

void CDecorBuildList::Clear()
{
    count = 0;
}
