#pragma once
// A fresh folder under the system's temporary folder for one test, removed with everything in it when the object goes.

#include <cstdint>
#include <string>
#include <vector>

class CScratchFolder
{
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    // The folder, ending in '/'.
    const std::string& Path() const { return m_Path; }
    // Path of a file inside it ("a/b.txt" creates nothing).
    std::string operator/(const std::string& relative) const { return m_Path + relative; }

    // Writes a file (creating its folders); returns its path.
    std::string Write(const std::string& relative, const std::string& bytes) const;
    std::string Write(const std::string& relative, const std::vector<uint8_t>& bytes) const
    {
        return Write(relative, std::string(bytes.begin(), bytes.end()));
    }
    void MakeFolder(const std::string& relative) const;

    static std::string ReadFile(const std::string& path);
    static bool Exists(const std::string& path);

private:
    std::string m_Path;
};
