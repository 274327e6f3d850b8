#pragma once

#include <string>
#include <vector>

#include "core/C_String.h"

// The texts of a string list, in order.
inline std::vector<std::string> Texts(const CStringArray& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.GetCount(); ++i) texts.push_back(list[i].GetBuffer());
    return texts;
}
