// The directory of a packed data file is outside input (any INCLUDE= file):
// whatever its bytes, reading it must refuse or accept without touching
// memory it does not own, and every accepted entry must lie inside the file
// and read back through the game's file layer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/C_DataFileDirectory.h"
#include "core/C_File.h"

namespace
{
// The scratch copy of the input on disk, removed when the process ends.
struct SScratchImage
{
    std::string path = (std::filesystem::temp_directory_path() /
                        ("v2krn-fuzz-directory-" + std::to_string(::getpid()) + ".med"))
                           .string();
    ~SScratchImage()
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

const std::string& ImagePath()
{
    static const SScratchImage image;
    return image.path;
}

// Opens every accepted entry by its name and reads it whole.
void ReadEveryEntry(const uint8_t* data, size_t size, const std::vector<SDataFileRecord>& records)
{
    {
        std::ofstream out(ImagePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CString reason;
    if (LoadDataFile(ImagePath().c_str(), false, reason) != EDataFileResult::Loaded)
        std::abort();   // the same bytes must give the same verdict on disk
    std::vector<char> body;
    for (const SDataFileRecord& record : records)
    {
        CFile file;
        if (!file.OpenRead(record.name))
            continue;   // a name that is not upper-case or holds "..\" is never found
        body.resize(static_cast<size_t>(file.GetSize()) + 1);
        const int got = file.Read(body.data(), static_cast<int>(body.size()));
        if (got < 0 || got > file.GetSize())
            std::abort();
        file.Close();
    }
    ShutdownFileSystem();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<SDataFileRecord> records;
    CString reason;
    if (!CDataFileDirectory::ReadFromMemory(data, size, 0, records, reason))
    {
        if (!records.empty() || reason.IsEmpty())
            std::abort();
        return 0;
    }
    for (const SDataFileRecord& record : records)
    {
        if (static_cast<uint64_t>(record.offset) + record.size > size)
            std::abort();
    }
    ReadEveryEntry(data, size, records);
    return 0;
}
