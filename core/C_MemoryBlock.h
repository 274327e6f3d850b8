#pragma once
// A growable file in memory with one read and write position.  Map files,
// player statistics and map transfers are built in one and then written, or
// read into one and then parsed.
//
// Writes grow the buffer by whole grow steps; a write at a position beyond
// the written size zero-fills the gap.  Reads never go past the written
// size: the missing bytes come back as zeros, the short read is logged once
// and the error flag stays set until the block is started anew, so a parser
// can check once at its end whether everything it read was there.

#include <cstdint>

#include "core/C_String.h"

class CFile;

class CMemoryBlock
{
public:
    static constexpr int DefaultGrowStep = 16384;

    // What a whole-file load found.
    enum class ELoad
    {
        Loaded,
        Missing,      // no such file in the data files or on disk
        Unreadable,   // something is there that cannot be opened or read
        TooLong       // longer than the caller's bound: not read at all
    };

    // Starts with Init(initialSize).
    explicit CMemoryBlock(int initialSize = DefaultGrowStep);
    ~CMemoryBlock();
    CMemoryBlock(const CMemoryBlock&) = delete;
    CMemoryBlock& operator=(const CMemoryBlock&) = delete;

    // A fresh buffer of growStep bytes: size 0, position 0, no error.
    void Init(int growStep);
    // Frees the buffer; size, capacity and position keep their values.
    void Free();

    // Writes count bytes at the position; the new position.
    int Write(const void* source, int count);
    // Copies count bytes from the position and advances it by count; bytes
    // beyond the size read as zeros and set the error flag.  The number of
    // real bytes copied.
    int Read(void* destination, int count);
    // Moves the position; a negative result is refused (false).
    bool Skip(int count);
    bool SetPos(int position);

    // Writes the first size bytes to "<path>.tmp" and renames that over
    // `path`; on failure the old file stays whole and the result is false.
    bool SaveToFile(const char* path) const;
    // Replaces the contents by a whole file, found through the data files
    // or else on disk; false (and the block unchanged) when it cannot be had.
    bool LoadFromFile(const char* name);
    // The same for a file of at most longestFile bytes; a longer one is
    // refused before anything is read or allocated.  On anything but Loaded
    // the block is unchanged, and for Unreadable `cause` holds the system's
    // text of the failure.
    ELoad LoadFromFile(const char* name, int64_t longestFile, CString& cause);
    // Opens a file as LoadFromFile finds it and weighs it against the same
    // bound, reading nothing: Loaded means `file` is open and no longer
    // than longestFile, for callers that read a few bytes of it.
    static ELoad OpenBounded(CFile& file, const char* name, int64_t longestFile, CString& cause);

    uint8_t* GetData() { return m_Data; }
    const uint8_t* GetData() const { return m_Data; }
    int GetSize() const { return m_Size; }
    int GetCapacity() const { return m_Capacity; }
    int GetGrowStep() const { return m_GrowStep; }
    int GetPos() const { return m_Pos; }
    bool HasError() const { return m_Error; }
    void ClearError() { m_Error = false; }

private:
    bool Reserve(int64_t needed);
    int EffectiveGrowStep() const { return m_GrowStep > 0 ? m_GrowStep : DefaultGrowStep; }

    uint8_t* m_Data;
    int m_Size;
    int m_Capacity;
    int m_GrowStep;
    int m_Pos;
    bool m_Error;
};

extern CMemoryBlock g_MemoryBlock;
