#include "editor/F_PlayerProperties.h"

FPlayerProperties::FPlayerProperties()
    : firstValue(0),
      value1(0)
{
}
