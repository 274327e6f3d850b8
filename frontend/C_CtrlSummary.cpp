#include "frontend/C_CtrlSummary.h"

CCtrlSummary::CCtrlSummary() : buffer(nullptr) {}

CCtrlSummary::~CCtrlSummary()
{
    delete[] buffer;
    buffer = nullptr;
}
