#pragma once

#include <cstdlib>

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "tests/support/TestLog.h"

// Game files are read from the folder on disk while the object lives.
class DiskDataFiles
{
public:
    explicit DiskDataFiles(const CScratchFolder& folder) { InitDataFile(folder.Path().c_str(), 0); }
    ~DiskDataFiles() { InitDataFile("", 0); }
};

// Runs one of the project's tools on a path, e.g. "mktheme winter".
inline void RunTool(const std::string& tool, const std::string& path)
{
    ASSERT_EQ(std::system((std::string(V2KRN_TOOLS_DIR) + "/" + tool + " '" + path + "'").c_str()), 0) << tool;
}

inline int32_t GetLe32(const std::vector<uint8_t>& bytes, size_t at)
{
    return int32_t(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24);
}

inline void SetLe32(std::vector<uint8_t>& bytes, size_t at, int32_t value)
{
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = uint8_t(uint32_t(value) >> (8 * i));
}

// Little-endian bytes of a theme file, laid out as the game reads it.
class ThemeBytes
{
public:
    ThemeBytes& I32(int32_t value)
    {
        bytes.resize(bytes.size() + 4);
        SetLe32(bytes, bytes.size() - 4, value);
        return *this;
    }
    ThemeBytes& Pixels(int64_t count, uint32_t pixel)
    {
        for (int64_t i = 0; i < count; ++i) I32(int32_t(pixel));
        return *this;
    }
    ThemeBytes& Name(const std::string& name)
    {
        bytes.push_back(uint8_t(name.size()));
        bytes.insert(bytes.end(), name.c_str(), name.c_str() + name.size() + 1);   // with its zero
        return *this;
    }
    ThemeBytes& Fill(size_t count, uint8_t value) { bytes.insert(bytes.end(), count, value); return *this; }
    // A whole 256 x 256 image of one pixel, the 64 drawing bytes all `data`, and `transitions` masks.
    ThemeBytes& Texture(const std::string& name, uint32_t pixel, uint8_t data, int32_t transitions)
    {
        Name(name).Pixels(256 * 256, pixel).Fill(64, data).I32(transitions);
        for (int32_t t = 0; t < transitions; ++t) Fill(4, uint8_t(t + 1)).Pixels(64 * 64, 0x80FFFFFFu);
        return *this;
    }
    ThemeBytes& Water(int32_t side, uint32_t pixel) { return I32(side).Pixels(int64_t(side) * side, pixel); }

    std::vector<uint8_t> bytes;
};
