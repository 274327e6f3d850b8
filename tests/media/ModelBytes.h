#pragma once
// Model files laid out byte by byte, with the other file layouts.

#include "tests/media/FileBytes.h"
