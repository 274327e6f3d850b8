#include "editor/F_LoadMap.h"

FLoadMap::FLoadMap()
    : value1(0),
      value2(0)
{
}
