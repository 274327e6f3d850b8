#pragma once
// Files of the game.  A name opened for reading is looked up in the directories
// of the packed data files (upper-cased, "..\" resolved; later data files
// override earlier ones); everything the game writes, and reads by full path,
// is a plain file on disk.  Names keep Windows separators ('\') inside the
// game; the platform layer maps them to the disk.

#include <cstdint>

#include "core/C_String.h"

struct SFileReader;

class CFile
{
public:
    CFile();
    virtual ~CFile();   // closes a file still open
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool OpenRead(const char* name);        // through the data files
    bool OpenReadDisk(const char* path);    // existing disk file, read-only
    bool OpenWrite(const char* path);       // create or truncate on disk
    bool OpenAppend(const char* path);      // existing disk file, at its end
    void Close();
    bool IsOpen() const { return m_Handle != -1; }
    // Puts what was written on the storage device (files that replace others).
    bool Flush();

    static bool Exists(const char* name);
    // The first free slot of the reader pool, -1 when all are taken; a disk
    // file opened by name reads through it.
    static int FindFreeReader();

    int Read(void* buffer, int count);       // bytes read, -1 on failure
    int Write(const void* buffer, int count);// bytes written, -1 on failure
    bool WriteString(const char* text);
    bool WriteLine(const char* text);        // text + CR LF
    // One line without its end, valid until the next call.  A line ends in
    // CR LF or LF CR; a lone CR or LF is part of the line.  A line longer
    // than the line buffer comes in pieces.
    const char* ReadLine();
    // The same, with the number of bytes of the text (NUL bytes included)
    // and whether a line end closed it: false for the last line of a file
    // without one and for every piece of a long line but its last.
    const char* ReadLine(int& length, bool& ended);

    bool Seek(int position);   // inside the file or entry; false for < 0
    bool Skip(int count);
    int GetSize() const;
    int GetPos() const;
    bool IsEOF() const;

    const CString& GetName() const { return m_Name; }

    // Upper-cases nothing: resolves "..\" and ".\" in an upper-case name.
    static void NormalizePath(CString& name);

protected:
    enum class EDiskMode
    {
        Read,
        Write,
        Append
    };

    bool OpenOnDisk(const char* path, EDiskMode mode);
    int ReadEntry(void* buffer, int count);
    int ReadBuffered(void* buffer, int count);
    bool FillReader();
    int64_t GetDiskPos() const;
    void SeekDisk(int64_t position);

    CString m_Name;
    int m_Handle;            // -1 when closed
    SFileReader* m_Reader;   // buffered reader slot, or null
    int m_EntryIndex;        // directory index of the open entry, -1 on disk
    uint32_t m_EntryOffset;  // body of the open entry in its data file
    uint32_t m_EntrySize;
};

// Folder listing on disk with attributes and last-write time.
class CFileFinder
{
public:
    enum Attribute : uint32_t
    {
        AttrReadOnly = 1,
        AttrHidden = 2,
        AttrSystem = 4,
        AttrVolume = 8,
        AttrDirectory = 16,
        AttrArchive = 32,
    };

    CFileFinder();
    ~CFileFinder();

    // 0 when an entry was found and filled in, otherwise an error code
    // (ErrorNoMoreFiles when the listing is exhausted).
    int FindFirst(const char* pattern, uint32_t wantedAttributes);
    int FindNext();
    void Close();

    static constexpr int ErrorFileNotFound = 2;
    static constexpr int ErrorNoMoreFiles = 18;

    uint32_t size;
    uint32_t attributes;
    CString name;
    int year, month, day, hour, minute;

private:
    int FindMatch();

    uint32_t m_ExcludeMask;
    struct SSearch* m_Search;
};

// ---- Packed data files ----------------------------------------------------
// Loads the directory of the main data file (inUse 1) or only records the
// disk prefix (inUse 0).  A missing or corrupt data file ends the process
// with exit code 1 after its message.
void InitDataFile(const char* path, int inUse);
// Adds a further data file whose records override the earlier ones; only
// while a data file is in use.
void InitAdditionalDataFile(const char* path);

enum class EDataFileResult
{
    Loaded,
    NotFound,
    Corrupt
};
// What InitDataFile (additional false) and InitAdditionalDataFile do, without
// the message and the exit: on failure `reason` says why and the directory
// is left as it was.
EDataFileResult LoadDataFile(const char* path, bool additional, CString& reason);

bool IsDataFileInUse();
const char* GetDataFilePath();
void ListFolderFiles(const char* folder, class CStringArray& out);
void ShutdownFileSystem();
bool MoveFileReplace(const char* from, const char* to);
