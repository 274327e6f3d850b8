#include "game/F_Confirm.h"

FConfirm::FConfirm()
    : firstValue(0),
      value1(0),
      value2(0)
{
}
