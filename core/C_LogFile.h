#pragma once
// The game's plain-text log.  One call writes one line ending in CR LF; the
// file is opened and closed for every line so that each line is on disk when
// the call returns.  Nothing is written while logging is off in the
// configuration.

#include "core/C_String.h"

class CLogFile
{
public:
    CLogFile();

    // Creates (truncates) the log when logging is on and remembers its path.
    void Create(const char* path);
    // Appends one line when logging is on; failures are ignored.
    void Write(const char* text);

    const CString& GetPath() const { return m_Path; }

private:
    CString m_Path;
};

extern CLogFile g_Log;

// Internal check report: an optional "#DEBUG: " message line, then
// "#DEBUG: breakpoint reached" and "<line> in <source file>".  Execution goes
// on afterwards; the caller recovers as its own code says.
void DebugReport(const char* message, int line, const char* sourceFile);

// Report at the place of the check, with that place's source line.
#define DEBUG_REPORT(message) DebugReport((message), __LINE__, __FILE__)
// Report with a fixed line number that tests and logs rely on.
#define DEBUG_REPORT_AT(message, line) DebugReport((message), (line), __FILE__)
