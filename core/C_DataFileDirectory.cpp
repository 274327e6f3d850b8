#include "core/C_DataFileDirectory.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/SysFile.h"

namespace
{
// Random access to the bytes of one data file.
class IByteSource
{
public:
    virtual ~IByteSource() = default;
    virtual uint64_t Size() const = 0;
    // True when all `count` bytes at `offset` were delivered.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t count) = 0;
};

class CMemorySource : public IByteSource
{
public:
    CMemorySource(const uint8_t* image, size_t size) : m_Image(image), m_Size(size) {}
    uint64_t Size() const override { return m_Size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t count) override
    {
        if (offset > m_Size || count > m_Size - offset)
            return false;
        if (count > 0)
            std::memcpy(buffer, m_Image + offset, count);
        return true;
    }

private:
    const uint8_t* m_Image;
    size_t m_Size;
};

class CDiskSource : public IByteSource
{
public:
    explicit CDiskSource(int handle) : m_Handle(handle)
    {
        const int64_t size = SysFile::Size(handle);
        m_Size = size > 0 ? static_cast<uint64_t>(size) : 0;
    }
    uint64_t Size() const override { return m_Size; }
    bool ReadAt(uint64_t offset, void* buffer, size_t count) override
    {
        if (offset > m_Size || count > m_Size - offset)
            return false;
        if (SysFile::Seek(m_Handle, static_cast<int64_t>(offset), SysFile::From::Begin) < 0)
            return false;
        char* out = static_cast<char*>(buffer);
        while (count > 0)
        {
            const int chunk = count > (1u << 30) ? (1 << 30) : static_cast<int>(count);
            if (SysFile::Read(m_Handle, out, chunk) != chunk)
                return false;
            out += chunk;
            count -= static_cast<size_t>(chunk);
        }
        return true;
    }

private:
    int m_Handle;
    uint64_t m_Size = 0;
};

uint32_t ReadLE32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

CString Describe(const char* format, unsigned long long a, unsigned long long b = 0, unsigned long long c = 0,
                 unsigned long long d = 0)
{
    char text[256];
    std::snprintf(text, sizeof(text), format, a, b, c, d);
    return CString(text);
}

// Parses `count` entries from the directory bytes behind the count.
bool ParseEntries(const std::vector<uint8_t>& bytes, uint32_t count, uint64_t fileSize, int32_t dataFile,
                  std::vector<SDataFileRecord>& parsed, CString& reason)
{
    size_t cursor = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        if (cursor >= bytes.size())
        {
            reason = Describe("entry %llu runs past the end of the file", i);
            return false;
        }
        const size_t length = bytes[cursor];
        if (length == 0)
        {
            reason = Describe("entry %llu has the bad name length 0", i);
            return false;
        }
        if (bytes.size() - cursor - 1 < length + 8)
        {
            reason = Describe("entry %llu runs past the end of the file", i);
            return false;
        }
        const char* name = reinterpret_cast<const char*>(&bytes[cursor + 1]);
        if (name[length - 1] != 0)
        {
            reason = Describe("entry %llu has the bad name length %llu (the name is not terminated there)", i,
                              length);
            return false;
        }
        SDataFileRecord record;
        record.dataFile = dataFile;
        record.name = name;
        record.offset = ReadLE32(&bytes[cursor + 1 + length]);
        record.size = ReadLE32(&bytes[cursor + 1 + length + 4]);
        const uint64_t end = static_cast<uint64_t>(record.offset) + record.size;
        if (end > fileSize || record.size > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        {
            reason = Describe("entry %llu has its body at %llu with size %llu past the end of the file of %llu bytes",
                              i, record.offset, record.size, fileSize);
            return false;
        }
        parsed.push_back(record);
        cursor += 1 + length + 8;
    }
    return true;
}

bool ReadDirectory(IByteSource& source, int32_t dataFile, std::vector<SDataFileRecord>& records, CString& reason)
{
    const uint64_t fileSize = source.Size();
    uint8_t word[4];
    if (fileSize < 4 || !source.ReadAt(0, word, 4))
    {
        reason = Describe("the file of %llu bytes is too short for the directory offset", fileSize);
        return false;
    }
    const uint64_t directory = ReadLE32(word);
    if (directory > fileSize - 4 || !source.ReadAt(directory, word, 4))
    {
        reason = Describe("the directory offset %llu lies outside the file of %llu bytes", directory, fileSize);
        return false;
    }
    const uint32_t count = ReadLE32(word);
    const uint64_t available = fileSize - directory - 4;
    if (count > available / CDataFileDirectory::MinimumEntrySize)
    {
        reason = Describe("the entry count %llu does not fit in the %llu bytes of the directory", count, available);
        return false;
    }
    const uint64_t largest = static_cast<uint64_t>(count) * CDataFileDirectory::MaximumEntrySize;
    std::vector<uint8_t> bytes(static_cast<size_t>(available < largest ? available : largest));
    if (!source.ReadAt(directory + 4, bytes.data(), bytes.size()))
    {
        reason = "the directory could not be read";
        return false;
    }
    std::vector<SDataFileRecord> parsed;
    parsed.reserve(count);
    if (!ParseEntries(bytes, count, fileSize, dataFile, parsed, reason))
        return false;
    records.insert(records.end(), parsed.begin(), parsed.end());
    return true;
}
} // namespace

bool CDataFileDirectory::ReadFromDisk(const char* path, int32_t dataFile, std::vector<SDataFileRecord>& records,
                                      bool& opened, CString& reason)
{
    const int handle = SysFile::Open(path, SysFile::Mode::Read);
    opened = handle != SysFile::InvalidHandle;
    if (!opened)
    {
        reason = "the file cannot be opened";
        return false;
    }
    CDiskSource source(handle);
    const bool loaded = ReadDirectory(source, dataFile, records, reason);
    SysFile::Close(handle);
    return loaded;
}

bool CDataFileDirectory::ReadFromMemory(const uint8_t* image, size_t size, int32_t dataFile,
                                        std::vector<SDataFileRecord>& records, CString& reason)
{
    CMemorySource source(image, size);
    return ReadDirectory(source, dataFile, records, reason);
}
