#include "units/C_Unit_TransportShip.h"

CUnitTransportShip::CUnitTransportShip() : CUnitOfType(UNIT_TRANSPORTSHIP) {}
