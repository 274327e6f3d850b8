// The packed data files in use: loading their directories, folder listings
// over them, and the file-system shut-down.

#include "core/C_File.h"
#include "core/C_FileSystem.h"
#include "core/C_LogFile.h"
#include "core/MAIN.h"
#include "platform/SysFile.h"

namespace
{
[[noreturn]] void ExitWithMessage(const char* text)
{
    EndProcessOnFatalError(text, "Ironmarch(tm)");
}

void LogNotFound(const char* path, int errorCode)
{
    g_Log.Write("Datafile not found");
    g_Log.Write(path);
    CString code;
    code.FromInt(errorCode);
    g_Log.Write(code);
}

void LogCorrupt(const char* path, const CString& reason)
{
    g_Log.Write("Error loading data file. The file might be corrupt");
    g_Log.Write(path);
    g_Log.Write(reason);
}

[[noreturn]] void FailFatally(EDataFileResult result, const char* path, const CString& reason, bool additional)
{
    if (result == EDataFileResult::NotFound)
    {
        LogNotFound(path, SysFile::LastError());
        ExitWithMessage(additional ? "Additional datafile not found, check your configuration"
                                   : "Datafile not found, check your configuration");
    }
    LogCorrupt(path, reason);
    ExitWithMessage("Error loading data file. The file might be corrupt");
}
} // namespace

EDataFileResult LoadDataFile(const char* path, bool additional, CString& reason)
{
    if (!path)
        path = "";
    if (!additional)
    {
        g_FileSystem.SetPath(path);
        g_FileSystem.SetDataFileInUse(true);
        g_FileSystem.GetDataFiles().Clear();
        g_FileSystem.GetDirectory().clear();
    }
    else if (!g_FileSystem.IsDataFileInUse())
    {
        reason = "no main data file in use";
        return EDataFileResult::NotFound;
    }
    CStringArray& dataFiles = g_FileSystem.GetDataFiles();
    dataFiles.Add(path);
    bool opened = false;
    if (CDataFileDirectory::ReadFromDisk(path, dataFiles.GetCount() - 1, g_FileSystem.GetDirectory(), opened,
                                         reason))
        return EDataFileResult::Loaded;
    return opened ? EDataFileResult::Corrupt : EDataFileResult::NotFound;
}

void InitDataFile(const char* path, int inUse)
{
    if (!inUse)
    {
        g_FileSystem.SetPath(path ? path : "");
        g_FileSystem.SetDataFileInUse(false);
        return;
    }
    CString reason;
    const EDataFileResult result = LoadDataFile(path, false, reason);
    if (result != EDataFileResult::Loaded)
        FailFatally(result, path, reason, false);
}

void InitAdditionalDataFile(const char* path)
{
    if (!g_FileSystem.IsDataFileInUse())
        return;
    CString reason;
    const EDataFileResult result = LoadDataFile(path, true, reason);
    if (result != EDataFileResult::Loaded)
        FailFatally(result, path ? path : "", reason, true);
}

bool IsDataFileInUse()
{
    return g_FileSystem.IsDataFileInUse();
}

const char* GetDataFilePath()
{
    return g_FileSystem.GetPath();
}

namespace
{
void ListDataFileFolder(const char* folder, CStringArray& out)
{
    CString prefix = CString(folder).ToUpper();
    if (prefix.IsEmpty() || prefix[prefix.GetLength() - 1] != '\\')
        prefix += '\\';
    const int prefixLength = prefix.GetLength();
    const std::vector<SDataFileRecord>& directory = g_FileSystem.GetDirectory();
    for (int i = static_cast<int>(directory.size()) - 1; i >= 0; --i)
    {
        const CString& name = directory[i].name;
        if (name.GetLength() <= prefixLength || name.Find(prefix) != 0)
            continue;
        if (name.Find("\\", prefixLength) >= 0)
            continue;   // in a folder below
        out.Add(name.GetBuffer() + prefixLength);
    }
}

void ListDiskFolder(const char* folder, CStringArray& out)
{
    CString pattern = g_FileSystem.GetPath() + folder;
    if (pattern.IsEmpty() || pattern[pattern.GetLength() - 1] != '\\')
        pattern += '\\';
    pattern += "*.*";
    CFileFinder finder;
    for (int found = finder.FindFirst(pattern, 0); found == 0; found = finder.FindNext())
        out.Add(finder.name);
    finder.Close();
}
} // namespace

void ListFolderFiles(const char* folder, CStringArray& out)
{
    if (!folder)
        folder = "";
    if (g_FileSystem.IsDataFileInUse())
        ListDataFileFolder(folder, out);
    else
        ListDiskFolder(folder, out);
}

void ShutdownFileSystem()
{
    g_FileSystem.Shutdown();
}

bool MoveFileReplace(const char* from, const char* to)
{
    return SysFile::Rename(from, to);
}
