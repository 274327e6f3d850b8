#include "units/C_Unit_King.h"

CUnitKing::CUnitKing() : CUnitOfType(UNIT_KING) {}
