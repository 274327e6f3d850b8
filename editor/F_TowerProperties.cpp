#include "editor/F_TowerProperties.h"

FTowerProperties::FTowerProperties()
    : firstValue(0)
{
}
