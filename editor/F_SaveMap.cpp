#include "editor/F_SaveMap.h"

FSaveMap::FSaveMap()
    : value1(0),
      value2(0)
{
}
