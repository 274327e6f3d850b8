#pragma once
// Switches logging on into a log file of its own for the life of the object
// and hands the lines back; logging is off again afterwards.

#include "tests/support/ScratchFolder.h"

class CTestLog
{
public:
    CTestLog();
    ~CTestLog();

    const std::string& Path() const { return m_Path; }
    // The log's lines without their CR LF.
    std::vector<std::string> Lines() const { return SplitLines(Contents()); }
    // The whole file as bytes.
    std::string Contents() const { return CScratchFolder::ReadFile(m_Path); }
    // True when some line equals `line`.
    bool Contains(const std::string& line) const { return Count(line) > 0; }
    // How many lines equal `line`.
    int Count(const std::string& line) const;
    void Clear() const;

    // Lines of a text with CR LF line ends, without them.
    static std::vector<std::string> SplitLines(const std::string& text);

private:
    CScratchFolder m_Folder;
    std::string m_Path;
    unsigned char m_PreviousLogging;
};
