#include "frontend/C_PlayerProfiles.h"

#include <cstring>
#include <memory>

#include "core/C_CRC32.h"
#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/C_MemoryBlock.h"
#include "platform/SysFile.h"

namespace
{
const char kMagic[] = "V2KRNplprofiles1";
constexpr int kCountSize = 4;
constexpr int kCrcSize = 4;
constexpr int kHeaderSize = CPlayerProfiles::kMagicLength + 2 * kCountSize;
constexpr int kSmallestFile = kHeaderSize + kCrcSize;
// Name length byte, terminating zero and result count of an unnamed profile.
constexpr int kSmallestProfile = 1 + 1 + kCountSize;
constexpr int kResultSize = 3 * 4;
constexpr int kMaxNameLength = 255;
// Far beyond any real profile file; larger files are not read into memory.
constexpr int64_t kLargestFile = 16 * 1024 * 1024;
constexpr int kResultGrowStep = 16;

// "<path>.damaged", or, when a copy kept earlier has that name,
// "<path>.damaged.1", "<path>.damaged.2" and so on: no copy replaces another.
CString FreeDamagedName(const char* path)
{
    const CString first = CString(path) + ".damaged";
    CString name = first;
    for (int number = 1; SysFile::EntryExists(name); ++number)
    {
        CString suffix;
        suffix.FromInt(number);
        name = first + "." + suffix;
    }
    return name;
}

void WriteInt32(CMemoryBlock& block, int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                              static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
    block.Write(bytes, 4);
}

int32_t ReadInt32(CMemoryBlock& block)
{
    uint8_t bytes[4] = {};
    block.Read(bytes, 4);
    return static_cast<int32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                (static_cast<uint32_t>(bytes[3]) << 24));
}

uint32_t DecodeUInt32(const uint8_t* bytes)
{
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

int RemainingBytes(const CMemoryBlock& block, int end)
{
    return end - block.GetPos();
}

// The whole disk file in a memory block; false when it cannot be read whole.
bool ReadWholeFile(const char* path, CMemoryBlock& block)
{
    CFile file;
    if (!file.OpenReadDisk(path))
        return false;
    const int64_t size = file.GetSize();
    bool complete = size >= 0 && size <= kLargestFile;
    if (size > kLargestFile)
        g_Log.Write(CString("Player profile file is longer than any profile file: ") + path);
    if (complete && size > 0)
    {
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
        complete = file.Read(bytes.get(), static_cast<int>(size)) == size;
        if (complete)
            block.Write(bytes.get(), static_cast<int>(size));
    }
    file.Close();
    return complete;
}
}

CPlayerProfiles::CPlayerProfiles() : profiles(nullptr), count(0), current(kNoProfile) {}

CPlayerProfiles::~CPlayerProfiles()
{
    Clear();
}

void CPlayerProfiles::FreeProfiles(SProfile** list, int32_t listCount)
{
    if (!list)
        return;
    for (int32_t i = 0; i < listCount; ++i)
        delete list[i];
    delete[] list;
}

void CPlayerProfiles::Clear()
{
    if (!profiles)
        return;
    FreeProfiles(profiles, count);
    profiles = nullptr;
    count = 0;
    current = kNoProfile;
}

const char* CPlayerProfiles::GetName(int32_t index) const
{
    if (index == kNoProfile)
        index = current;
    if (index < 0 || index >= count)
        return "Unknown player";
    return profiles[index]->name;
}

bool CPlayerProfiles::Load(const char* filePath)
{
    CMemoryBlock block;
    if (!ReadWholeFile(filePath, block))
        return false;
    return LoadFromMemory(block.GetData(), block.GetSize(), filePath);
}

bool CPlayerProfiles::LoadFromMemory(const uint8_t* bytes, int size, const char* filePath)
{
    if (!bytes || size < kSmallestFile)
        return false;
    if (std::memcmp(bytes, kMagic, kMagicLength) != 0)
        return false;
    const int bodySize = size - kCrcSize;
    const CCRC32 crc;
    if (crc.Calculate(bytes, bodySize) != DecodeUInt32(bytes + bodySize))
    {
        g_Log.Write("#DEBUG: Invalid player profile CRC");
        return false;
    }
    CMemoryBlock block(size);
    block.Write(bytes, size);
    block.SetPos(kMagicLength);
    SProfile** list = nullptr;
    int32_t listCount = 0;
    int32_t listCurrent = kNoProfile;
    if (!ReadProfiles(block, bodySize, list, listCount, listCurrent))
    {
        g_Log.Write(CString("Player profile file is damaged: ") + filePath);
        return false;
    }
    Clear();
    profiles = list;
    count = listCount;
    current = listCurrent;
    path = filePath;
    return true;
}

bool CPlayerProfiles::ReadProfiles(CMemoryBlock& block, int bodySize, SProfile**& list, int32_t& listCount,
                                   int32_t& listCurrent)
{
    const int32_t storedCount = ReadInt32(block);
    const int32_t storedCurrent = ReadInt32(block);
    if (storedCount < 0 || storedCount > RemainingBytes(block, bodySize) / kSmallestProfile)
        return false;
    if (storedCurrent < kNoProfile || storedCurrent >= storedCount)
        return false;
    SProfile** read = storedCount > 0 ? new SProfile*[storedCount]() : nullptr;
    int32_t readCount = 0;
    while (readCount < storedCount)
    {
        SProfile* profile = ReadProfile(block, bodySize);
        if (!profile)
            break;
        read[readCount++] = profile;
    }
    // Every byte up to the CRC must belong to a profile.
    if (readCount < storedCount || block.GetPos() != bodySize || block.HasError())
    {
        FreeProfiles(read, readCount);
        return false;
    }
    list = read;
    listCount = storedCount;
    listCurrent = storedCurrent;
    return true;
}

CPlayerProfiles::SProfile* CPlayerProfiles::ReadProfile(CMemoryBlock& block, int bodySize)
{
    if (RemainingBytes(block, bodySize) < kSmallestProfile)
        return nullptr;
    uint8_t nameLength = 0;
    block.Read(&nameLength, 1);
    if (RemainingBytes(block, bodySize) < nameLength + 1 + kCountSize)
        return nullptr;
    char name[kMaxNameLength + 2] = {};
    block.Read(name, nameLength + 1);
    if (name[nameLength] != 0 || std::strlen(name) != nameLength)
        return nullptr;
    const int32_t resultCount = ReadInt32(block);
    if (resultCount < 0 || resultCount > RemainingBytes(block, bodySize) / kResultSize)
        return nullptr;
    std::unique_ptr<SProfile> profile(new SProfile);
    profile->name = name;
    profile->results.Allocate(resultCount > 0 ? resultCount : kResultGrowStep);
    for (int32_t i = 0; i < resultCount; ++i)
    {
        SMissionResult* entry = profile->results.AddNew();
        entry->campaign = ReadInt32(block);
        entry->mission = ReadInt32(block);
        entry->result = ReadInt32(block);
    }
    return profile.release();
}

void CPlayerProfiles::WriteProfiles(CMemoryBlock& block) const
{
    block.Write(kMagic, kMagicLength);
    WriteInt32(block, count);
    WriteInt32(block, current);
    for (int32_t i = 0; i < count; ++i)
    {
        const SProfile& profile = *profiles[i];
        int nameLength = profile.name.GetLength();
        // Names are kept to what the 8-bit length can say.
        if (nameLength > kMaxNameLength)
            nameLength = kMaxNameLength;
        const uint8_t lengthByte = static_cast<uint8_t>(nameLength);
        const uint8_t terminator = 0;
        block.Write(&lengthByte, 1);
        block.Write(profile.name.GetBuffer(), nameLength);
        block.Write(&terminator, 1);
        WriteInt32(block, profile.results.GetCount());
        for (int32_t r = 0; r < profile.results.GetCount(); ++r)
        {
            WriteInt32(block, profile.results[r].campaign);
            WriteInt32(block, profile.results[r].mission);
            WriteInt32(block, profile.results[r].result);
        }
    }
}

bool CPlayerProfiles::Save(const char* filePath)
{
    CMemoryBlock block;
    WriteProfiles(block);
    const CCRC32 crc;
    const uint32_t sum = crc.Calculate(block.GetData(), block.GetSize());
    WriteInt32(block, static_cast<int32_t>(sum));
    path = filePath;
    // A linked file is written through its link; a pipe or a device in its
    // place is never replaced.
    std::string target;
    if (SysFile::FindReplacementTarget(filePath, target) && block.SaveToFile(target.c_str()))
        return true;
    g_Log.Write(CString("Unable to write the player profiles: ") + filePath);
    return false;
}

bool CPlayerProfiles::KeepDamagedFile(const char* filePath)
{
    // Only a file can be damaged: a pipe or a device there is left alone.
    // A linked file is kept aside where it lies, so that the link stays and
    // the new file is written through it.
    std::string target;
    if (!SysFile::FindReplacementTarget(filePath, target))
        return false;
    const CString damaged = FreeDamagedName(target.c_str());
    if (!SysFile::Rename(target.c_str(), damaged))
        return false;
    g_Log.Write(CString("Damaged player profiles kept as ") + damaged);
    return true;
}
