#include "editor/F_ExportMap.h"

FExportMap::FExportMap()
    : value1(0)
{
}
