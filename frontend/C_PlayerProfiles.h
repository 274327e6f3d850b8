#pragma once
// The player profiles and their file "players.prf", which keeps each player's
// results in the campaign missions.
//
// File layout (little-endian): the 16-byte magic "V2KRNplprofiles1"; the
// 32-bit profile count; the 32-bit index of the current profile (-1 none);
// per profile its name as a short string (8-bit length, the text, a zero),
// the 32-bit count of its mission results and per result the 32-bit
// campaign id, mission id and result (1 won, 2 lost); last the CRC-32 of
// every byte before it.  An empty file is 28 bytes.

#include <cstdint>

#include "core/C_String.h"
#include "core/T_Array.h"

class CMemoryBlock;

class CPlayerProfiles
{
public:
    static constexpr int kMagicLength = 16;
    static constexpr int32_t kNoProfile = -1;

    struct SMissionResult
    {
        int32_t campaign = 0;
        int32_t mission = 0;
        int32_t result = 0;
    };

    struct SProfile
    {
        CString name;
        T_Array<SMissionResult> results;
    };

    CPlayerProfiles();
    ~CPlayerProfiles();

    CPlayerProfiles(const CPlayerProfiles&) = delete;
    CPlayerProfiles& operator=(const CPlayerProfiles&) = delete;

    // Reads the profile file from disk.  False when it is missing or not a
    // whole, valid profile file; the profiles held before stay untouched then.
    bool Load(const char* path);
    // The same over the whole content of a profile file in memory; `path`
    // names it in log lines and is remembered on success.
    bool LoadFromMemory(const uint8_t* bytes, int size, const char* path);
    // Writes every profile through a temporary file that replaces the old
    // one only once it is complete; false (old file whole) on failure.  A
    // linked file is written through its link; false, and nothing written,
    // when a pipe, a device or a folder stands in its place.
    bool Save(const char* path);
    // Deletes every profile; no current profile afterwards.
    void Clear();
    // The profile's name (-1: the current one); "Unknown player" when there
    // is no such profile.
    const char* GetName(int32_t index) const;

    // Keeps a profile file that failed to load as "<file>.damaged" (or, when
    // an earlier copy has that name, "<file>.damaged.1", ".2", ...) so that a
    // fresh one can take its place without losing it.  The file is the one at
    // `path`, or the one a link there leads to: the link stays, and Save
    // writes the fresh file through it.  False when there was no file to keep
    // (none, a link that leads nowhere yet, a pipe or a device, which is left
    // where it is) or it could not be moved.
    static bool KeepDamagedFile(const char* path);

    int32_t GetCount() const { return count; }
    int32_t GetCurrent() const { return current; }

    SProfile** profiles;
    int32_t count;
    int32_t current;
    CString path;

private:
    static void FreeProfiles(SProfile** list, int32_t listCount);
    static bool ReadProfiles(CMemoryBlock& block, int bodySize, SProfile**& list, int32_t& listCount,
                             int32_t& listCurrent);
    static SProfile* ReadProfile(CMemoryBlock& block, int bodySize);
    void WriteProfiles(CMemoryBlock& block) const;
};

extern CPlayerProfiles g_PlayerProfiles;
