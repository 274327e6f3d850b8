#include "buildings/C_BuildingBarracks.h"

CBuildingBarracks::CBuildingBarracks(int32_t ownerIndex) : CBuildingOfCast(CastBarracks, ownerIndex)
{}
