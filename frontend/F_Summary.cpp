#include "frontend/F_Summary.h"

FSummary::FSummary() = default;
