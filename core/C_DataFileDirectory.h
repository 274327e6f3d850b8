#pragma once
// The directory of a packed data file, read and checked before anything is
// used.
//
// Layout (little-endian, offsets from the start of the file): at 0 the 32-bit
// directory offset D; at D the 32-bit entry count N; then N entries of a
// length byte L, L bytes of upper-case name including its terminating zero,
// the 32-bit body offset and the 32-bit body size.  A directory is refused
// when the file is too short for it, D lies outside the file, N cannot fit
// in the bytes behind D, a name length is 0 or its last byte is no zero, the
// entries run past the end of the file, or a body reaches past the end of
// the file or beyond 2 GB.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/C_String.h"

struct SDataFileRecord
{
    int32_t dataFile = 0;   // index in the data-file list
    CString name;
    uint32_t offset = 0;    // of the body, from the start of the data file
    uint32_t size = 0;
};

class CDataFileDirectory
{
public:
    static constexpr int MinimumEntrySize = 1 + 1 + 4 + 4;
    static constexpr int MaximumEntrySize = 1 + 255 + 4 + 4;

    // The directory of the data file at `path` on disk.  On success its
    // records, tagged with `dataFile`, are appended to `records`; otherwise
    // `records` is untouched and `reason` says what is wrong.  `opened` tells
    // whether the file could be opened at all.
    static bool ReadFromDisk(const char* path, int32_t dataFile, std::vector<SDataFileRecord>& records,
                             bool& opened, CString& reason);

    // The same over the whole image of a data file in memory.
    static bool ReadFromMemory(const uint8_t* image, size_t size, int32_t dataFile,
                               std::vector<SDataFileRecord>& records, CString& reason);
};
