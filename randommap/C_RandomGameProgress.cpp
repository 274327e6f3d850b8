#include "randommap/C_RandomGameProgress.h"

CRandomGameProgress::CRandomGameProgress() : value1(1), value2(1), value3(100), values{} {}

// Nothing is shown until the generator screen draws its progress.
void CRandomGameProgress::Step() {}
