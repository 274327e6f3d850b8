#include "editor/F_SetTechTree.h"

FSetTechTree::FSetTechTree() : firstValue(0), value1(0) {}
