// Feeds arbitrary bytes to the configuration reader as "v2krn.cfg", then
// writes the file back with the values read, as one run of the game would.
// Neither step may crash, read out of bounds or leave "v2krn.cfgnew" behind.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/C_Config.h"
#include "platform/SysFile.h"

namespace
{
// A folder of its own for the run, removed when the fuzzer exits.
class CGameFolder
{
public:
    CGameFolder()
        : m_Path(std::filesystem::temp_directory_path() /
                 ("v2krn_fuzz_config_" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(m_Path);
    }
    ~CGameFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_Path, ignored);
    }
    std::string Path() const { return m_Path.string() + "/"; }

private:
    std::filesystem::path m_Path;
};

const std::string& GameFolder()
{
    static const CGameFolder folder;
    static const std::string path = folder.Path();
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& folder = GameFolder();
    SysFile::SetExecutableFolderForTests(folder.c_str());
    {
        std::ofstream out(folder + "v2krn.cfg", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    ReadConfig();
    // The reader must never leave a size the window would divide by.
    if (g_Config.screenWidth <= 0 || g_Config.screenHeight <= 0)
        std::abort();
    if (!WriteConfig() || std::filesystem::exists(folder + "v2krn.cfgnew"))
        std::abort();
    return 0;
}
