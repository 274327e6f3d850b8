#include "editor/F_UnitProperties.h"

FUnitProperties::FUnitProperties()
    : firstValue(0),
      text3("Not specified")
{
}
