// medpack list and cat: both read the directory with the game's own checked
// reader, and cat finds the entry exactly as the game's CFile::OpenRead does.

#include <cstdio>
#include <vector>

#include "core/C_DataFileDirectory.h"
#include "core/C_File.h"
#include "MedCommands.h"

namespace
{
constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1;
constexpr int CopyChunk = 65536;

int ReportUnreadable(const char* dataFile, bool opened, const CString& reason)
{
    if (!opened)
        std::fprintf(stderr, "medpack: %s: cannot open the file\n", dataFile);
    else
        std::fprintf(stderr, "medpack: %s: not a valid packed data file: %s\n", dataFile, reason.GetBuffer());
    return ExitFailure;
}

bool CopyToStandardOutput(CFile& file)
{
    std::vector<char> chunk(CopyChunk);
    for (;;)
    {
        const int got = file.Read(chunk.data(), CopyChunk);
        if (got < 0)
            return false;
        if (got == 0)
            return std::fflush(stdout) == 0;
        if (std::fwrite(chunk.data(), 1, static_cast<size_t>(got), stdout) != static_cast<size_t>(got))
            return false;
    }
}
} // namespace

int ListDataFile(const char* dataFile)
{
    std::vector<SDataFileRecord> records;
    bool opened = false;
    CString reason;
    if (!CDataFileDirectory::ReadFromDisk(dataFile, 0, records, opened, reason))
        return ReportUnreadable(dataFile, opened, reason);
    for (const SDataFileRecord& record : records)
        std::printf("%u %u %s\n", record.offset, record.size, record.name.GetBuffer());
    return std::fflush(stdout) == 0 ? ExitSuccess : ExitFailure;
}

int CatEntry(const char* dataFile, const char* name)
{
    CString reason;
    const EDataFileResult result = LoadDataFile(dataFile, false, reason);
    if (result != EDataFileResult::Loaded)
        return ReportUnreadable(dataFile, result == EDataFileResult::Corrupt, reason);
    CFile file;
    if (!file.OpenRead(name))
    {
        std::fprintf(stderr, "medpack: %s: no entry %s\n", dataFile, name);
        return ExitFailure;
    }
    const bool copied = CopyToStandardOutput(file);
    file.Close();
    if (!copied)
    {
        std::fprintf(stderr, "medpack: %s: cannot copy the entry %s\n", dataFile, name);
        return ExitFailure;
    }
    return ExitSuccess;
}
