// medpack pack: the bodies first, then the directory, written to a temporary
// file that replaces the output only when everything was written.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/C_File.h"
#include "MedCommands.h"
#include "platform/SysFile.h"

namespace
{
namespace fs = std::filesystem;

constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1;
constexpr size_t LongestName = 254;   // the length byte counts the zero too
constexpr uint64_t LargestBody = 0x7FFFFFFF;
constexpr uint64_t LargestDataFile = 0xFFFFFFFF;
constexpr int CopyChunk = 65536;

struct SInput
{
    std::string name;   // as stored: '\' separated, a to z upper-cased
    std::string path;   // on disk
    uint32_t offset = 0;
    uint32_t size = 0;
};

std::string StoredName(const fs::path& relative)
{
    std::string name = relative.generic_string();
    for (char& c : name)
    {
        if (c == '/')
            c = '\\';
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

bool Fail(const std::string& message)
{
    std::fprintf(stderr, "medpack: %s\n", message.c_str());
    return false;
}

bool CollectInputs(const char* folder, const fs::path& output, std::vector<SInput>& inputs)
{
    std::error_code error;
    const fs::path root = fs::canonical(folder, error);
    if (error || !fs::is_directory(root))
        return Fail(std::string(folder) + ": not a folder");
    const fs::path outputPath = fs::weakly_canonical(output, error);
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
    {
        if (!it->is_regular_file(error))
            continue;
        const fs::path path = it->path();
        if (path == outputPath || path.string() == outputPath.string() + ".tmp")
            continue;
        const std::string relative = fs::relative(path, root, error).generic_string();
        if (relative.find('\\') != std::string::npos)
            return Fail(path.string() + ": a '\\' in a name cannot be stored");
        SInput input;
        input.name = StoredName(relative);
        input.path = path.string();
        if (input.name.size() > LongestName)
            return Fail(path.string() + ": the name is longer than 254 characters");
        inputs.push_back(input);
    }
    if (error)
        return Fail(std::string(folder) + ": " + error.message());
    std::sort(inputs.begin(), inputs.end(), [](const SInput& a, const SInput& b) { return a.name < b.name; });
    for (size_t i = 1; i < inputs.size(); ++i)
    {
        if (inputs[i].name == inputs[i - 1].name)
            return Fail(inputs[i - 1].path + " and " + inputs[i].path + " both become " + inputs[i].name);
    }
    return true;
}

void PutLE32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool WriteAll(CFile& file, const void* data, size_t size)
{
    return file.Write(data, static_cast<int>(size)) == static_cast<int>(size);
}

// Copies one file behind the bodies written so far.
bool CopyBody(CFile& out, SInput& input, uint64_t& position)
{
    CFile in;
    if (!in.OpenReadDisk(input.path.c_str()))
        return Fail(input.path + ": cannot open");
    std::vector<char> chunk(CopyChunk);
    uint64_t size = 0;
    bool copied = true;
    for (int got; copied && (got = in.Read(chunk.data(), CopyChunk)) != 0;)
    {
        copied = got > 0 && WriteAll(out, chunk.data(), static_cast<size_t>(got));
        size += got > 0 ? static_cast<uint64_t>(got) : 0;
    }
    in.Close();
    if (!copied)
        return Fail(input.path + ": cannot copy");
    if (size > LargestBody || position + size > LargestDataFile)
        return Fail(input.path + ": too large for a data file");
    input.offset = static_cast<uint32_t>(position);
    input.size = static_cast<uint32_t>(size);
    position += size;
    return true;
}

std::vector<uint8_t> BuildDirectory(const std::vector<SInput>& inputs)
{
    std::vector<uint8_t> directory;
    PutLE32(directory, static_cast<uint32_t>(inputs.size()));
    for (const SInput& input : inputs)
    {
        directory.push_back(static_cast<uint8_t>(input.name.size() + 1));
        directory.insert(directory.end(), input.name.begin(), input.name.end());
        directory.push_back(0);
        PutLE32(directory, input.offset);
        PutLE32(directory, input.size);
    }
    return directory;
}

bool WriteDataFile(const std::string& path, std::vector<SInput>& inputs)
{
    CFile out;
    if (!out.OpenWrite(path.c_str()))
        return Fail(path + ": cannot create");
    std::vector<uint8_t> header;
    PutLE32(header, 0);   // the directory offset, known at the end
    bool written = WriteAll(out, header.data(), header.size());
    uint64_t position = header.size();
    for (size_t i = 0; written && i < inputs.size(); ++i)
        written = CopyBody(out, inputs[i], position);
    if (written)
    {
        const std::vector<uint8_t> directory = BuildDirectory(inputs);
        written = position + directory.size() <= LargestDataFile || Fail(path + ": too large for a data file");
        written = written && WriteAll(out, directory.data(), directory.size());
        header.clear();
        PutLE32(header, static_cast<uint32_t>(position));
        written = written && out.Seek(0) && WriteAll(out, header.data(), header.size());
        written = written && out.Flush();
        if (!written)
            Fail(path + ": cannot write");
    }
    out.Close();
    return written;
}
} // namespace

int PackFolder(const char* output, const char* folder)
{
    std::vector<SInput> inputs;
    if (!CollectInputs(folder, output, inputs))
        return ExitFailure;
    const std::string temporary = std::string(output) + ".tmp";
    if (!WriteDataFile(temporary, inputs))
    {
        SysFile::Remove(temporary.c_str());
        return ExitFailure;
    }
    if (!MoveFileReplace(temporary.c_str(), output))
    {
        SysFile::Remove(temporary.c_str());
        std::fprintf(stderr, "medpack: %s: cannot replace\n", output);
        return ExitFailure;
    }
    return ExitSuccess;
}
