#include "units/C_Unit_Worker.h"

CUnitWorker::CUnitWorker() : CUnitOfType(UNIT_WORKER) {}
