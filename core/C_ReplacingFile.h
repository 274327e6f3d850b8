#pragma once
// A disk file replaced whole or not at all.  The new contents go to a
// temporary file beside the target; Commit flushes it and renames it over
// the target.  When any write failed, or Commit is never reached, the
// temporary file is removed and the target keeps its old contents.

#include "core/C_String.h"

class CReplacingFile
{
public:
    // Creates (truncates) the temporary file.
    explicit CReplacingFile(const char* temporaryPath);
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    bool IsOpen() const;

    // Failures are remembered and make Commit fail.
    void Write(const void* data, int size);
    void WriteLine(const char* text);   // text + CR LF

    // True when every write succeeded and the target now holds them.
    bool Commit(const char* targetPath);
    // The system's error number of the first failure, 0 while none; for
    // the log line that says why.
    int GetError() const { return m_Error; }

private:
    void Fail();

    CString m_Path;
    int m_Handle;
    bool m_Failed;
    int m_Error;
};
