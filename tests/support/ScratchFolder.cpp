#include "tests/support/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

CScratchFolder::CScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "v2krn-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    m_Path = pattern + "/";
}

CScratchFolder::~CScratchFolder()
{
    std::error_code error;
    // Read-only folders made by a test must not keep their contents.
    for (const auto& entry : fs::recursive_directory_iterator(m_Path, error))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_Path, error);
}

std::string CScratchFolder::Write(const std::string& relative, const std::string& bytes) const
{
    const std::string path = m_Path + relative;
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void CScratchFolder::MakeFolder(const std::string& relative) const { fs::create_directories(m_Path + relative); }

std::string CScratchFolder::ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool CScratchFolder::Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(path, error);
}
