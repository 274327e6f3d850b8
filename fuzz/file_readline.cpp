// CFile::ReadLine reads configuration and other hand-edited texts: any bytes,
// any line ends and lines of any length must come back in pieces that fit the
// line buffer, from a disk file and from an entry of a data file alike, and
// every call must move on until the end.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/C_File.h"
#include "core/C_FileSystem.h"

namespace
{
// Scratch files on disk for the input, removed when the process ends.
struct SScratchFiles
{
    std::string Path(const char* name) const
    {
        return (std::filesystem::temp_directory_path() /
                ("v2krn-fuzz-readline-" + std::to_string(::getpid()) + "-" + name))
            .string();
    }
    ~SScratchFiles()
    {
        std::error_code ignored;
        std::filesystem::remove(Path("text.txt"), ignored);
        std::filesystem::remove(Path("text.med"), ignored);
    }
};

std::string TempPath(const char* name)
{
    static const SScratchFiles files;
    return files.Path(name);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Put32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(value >> (8 * i));
}

// The text as the body "TEXT.TXT" between two other bodies.
std::string DataFileAround(const std::string& text)
{
    std::string image;
    Put32(image, static_cast<uint32_t>(4 + 3 + text.size() + 3));
    image += "<<<" + text + ">>>";
    Put32(image, 1);
    image += static_cast<char>(9);
    image += std::string("TEXT.TXT", 9);
    Put32(image, 7);
    Put32(image, static_cast<uint32_t>(text.size()));
    return image;
}

void ReadAllLines(CFile& file, size_t size)
{
    size_t consumed = 0;
    for (size_t call = 0; !file.IsEOF(); ++call)
    {
        const int before = file.GetPos();
        const char* line = file.ReadLine();
        if (std::strlen(line) >= static_cast<size_t>(CFileSystem::LineBufferSize))
            std::abort();
        if (file.GetPos() <= before || call > size)
            std::abort();
        consumed = static_cast<size_t>(file.GetPos());
    }
    if (consumed != size && size != 0)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string diskPath = TempPath("text.txt");
    WriteFile(diskPath, text);
    InitDataFile("", 0);
    CFile disk;
    if (!disk.OpenRead(diskPath.c_str()))
        std::abort();
    ReadAllLines(disk, size);
    disk.Close();

    const std::string imagePath = TempPath("text.med");
    WriteFile(imagePath, DataFileAround(text));
    CString reason;
    if (LoadDataFile(imagePath.c_str(), false, reason) != EDataFileResult::Loaded)
        std::abort();
    CFile entry;
    if (!entry.OpenRead("text.txt"))
        std::abort();
    ReadAllLines(entry, size);
    entry.Close();
    ShutdownFileSystem();
    return 0;
}
