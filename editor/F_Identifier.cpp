#include "editor/F_Identifier.h"

FIdentifier::FIdentifier()
    : firstValue(0)
{
}
