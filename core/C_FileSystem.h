#pragma once
// The one state of the file layer (global g_FileSystem): the data files in
// use with their merged directory, the disk prefix, the line buffer of
// CFile::ReadLine, the seek tracker of the seek emulation and the pool of
// buffered readers for disk reads.  Main thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/C_DataFileDirectory.h"
#include "core/C_String.h"

class CFile;

// A 32 KB read buffer bound to one open disk file.
struct SFileReader
{
    static constexpr int BufferSize = 32768;

    CFile* owner = nullptr;   // null while free
    std::unique_ptr<uint8_t[]> buffer;
    int filled = 0;           // bytes in the buffer
    int readPos = 0;          // next byte to hand out
};

class CFileSystem
{
public:
    static constexpr int LineBufferSize = 65536;
    static constexpr int ReaderCount = 4;
    // What a jump inside a data file costs while the seek emulation is on.
    static constexpr int SeekDelayMilliseconds = 900;

    using SleepFunction = void (*)(int milliseconds);

    CFileSystem();
    ~CFileSystem();
    CFileSystem(const CFileSystem&) = delete;
    CFileSystem& operator=(const CFileSystem&) = delete;

    // ---- Data files ----------------------------------------------------
    bool IsDataFileInUse() const { return m_DataFileInUse; }
    void SetDataFileInUse(bool inUse) { m_DataFileInUse = inUse; }
    // The path given to InitDataFile: the disk prefix with no data file.
    const CString& GetPath() const { return m_Path; }
    void SetPath(const char* path) { m_Path = path; }
    CStringArray& GetDataFiles() { return m_DataFiles; }
    std::vector<SDataFileRecord>& GetDirectory() { return m_Directory; }
    // Index of the last record named exactly `name`, or -1.
    int FindRecord(const char* name) const;
    // Forgets the data files, the directory, the path and the line buffer.
    void Shutdown();
    // Strings made since start-up that the file layer keeps until Shutdown
    // (the data-file list and the directory names).
    int CountHeldStrings() const;

    // ---- Seek emulation --------------------------------------------------
    // A read or seek inside a data file is about to continue at `target`: a
    // jump away from where the last one ended costs the seek delay.
    void SeekNotify(uint64_t target);
    void AdvanceSeekTracker(uint64_t count) { m_SeekTracker += count; }
    uint64_t GetSeekTracker() const { return m_SeekTracker; }
    // Tests replace the sleep; null restores the real one.
    void SetSleepFunction(SleepFunction sleep);

    // ---- Buffers -----------------------------------------------------------
    char* GetLineBuffer();
    // Reader slot `index`, 0 to ReaderCount - 1.
    const SFileReader& GetReader(int index) const { return m_Readers[index]; }
    // Binds reader slot `index` to `owner`, its buffer empty.
    SFileReader* BindReader(int index, CFile* owner);
    void ReleaseReader(SFileReader* reader);
    int CountFreeReaders() const;

private:
    bool m_DataFileInUse = false;
    CString m_Path;
    CStringArray m_DataFiles;
    std::vector<SDataFileRecord> m_Directory;
    uint64_t m_SeekTracker = 0;
    SleepFunction m_Sleep;
    std::unique_ptr<char[]> m_LineBuffer;
    SFileReader m_Readers[ReaderCount];
};

extern CFileSystem g_FileSystem;
