// CFile::ReadLine reads configuration and other hand-edited texts: any bytes,
// any line ends and lines of any length must come back byte for byte in
// pieces that fit the line buffer, from a disk file and from an entry of a
// data file alike, and every call must move on until the end.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

bool IsLineEnd(const std::string& text, size_t at)
{
    return at + 2 <= text.size() &&
           ((text[at] == '\r' && text[at + 1] == '\n') || (text[at] == '\n' && text[at + 1] == '\r'));
}

// Every piece is the text's own bytes from where the last one stopped, and
// a piece closed by a line end stops right before a CR LF or LF CR pair.
void ReadAllLines(CFile& file, const std::string& text)
{
    const size_t size = text.size();
    for (size_t call = 0; !file.IsEOF(); ++call)
    {
        const int before = file.GetPos();
        int length = -1;
        bool ended = false;
        const char* line = file.ReadLine(length, ended);
        if (length < 0 || length >= CFileSystem::LineBufferSize || line[length] != 0)
            std::abort();
        if (text.compare(static_cast<size_t>(before), static_cast<size_t>(length), line, length) != 0)
            std::abort();
        const size_t end = static_cast<size_t>(before) + static_cast<size_t>(length);
        if (ended && !IsLineEnd(text, end))
            std::abort();
        if (static_cast<size_t>(file.GetPos()) != end + (ended ? 2 : 0))
            std::abort();
        if (file.GetPos() <= before || call > size)
            std::abort();
    }
    if (static_cast<size_t>(file.GetPos()) != size && size != 0)
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
    ReadAllLines(disk, text);
    disk.Close();

    const std::string imagePath = TempPath("text.med");
    WriteFile(imagePath, DataFileAround(text));
    CString reason;
    if (LoadDataFile(imagePath.c_str(), false, reason) != EDataFileResult::Loaded)
        std::abort();
    CFile entry;
    if (!entry.OpenRead("text.txt"))
        std::abort();
    ReadAllLines(entry, text);
    entry.Close();
    ShutdownFileSystem();
    return 0;
}
