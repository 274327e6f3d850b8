#pragma once
// The life of the process: the entry function with its version check,
// single-instance guard and window placement, the start-up of every global
// service, and their release at the end.

#include <cstdint>

// The whole run.  `commandLine` is the command line without the program name
// (the arguments joined by single blanks).  0 after a normal end; 1 when the
// build version is wrong, another instance runs, or the game window could not
// be opened.
int WinMain(const char* commandLine);

// Log, data files, data-file version check, locale texts, global tables,
// player profiles, shared memory file, network dump names and campaigns.  A
// fatal error (missing or corrupt data file, locale syntax error) ends the
// process with exit code 1 after its message.
void Startup();

// Releases what Startup built, then writes the player profiles; a failed
// write is also told on standard error.
void FreeGlobals();

// ---- Fatal errors ------------------------------------------------------------

// Tells the player why the game cannot go on: whatever the logging switch, the
// line "caption: text" on standard error, its line breaks turned into blanks
// so that it stays one line, and then, where a display exists, a message box
// with the text and the caption.  A start from a terminal or a script so
// always learns why it failed, even when nobody closes the box.
void ReportFatalError(const char* text, const char* caption);

// ReportFatalError, then the end of the process with exit code 1.
[[noreturn]] void EndProcessOnFatalError(const char* text, const char* caption);

// For the fatal errors that show no box: the line "Ironmarch: text" on
// standard error, then the end of the process with exit code 1.
[[noreturn]] void EndProcessOnFatalError(const char* text);

// ---- The steps of the entry function, each on its own ------------------------

enum class EBuildVersionCheck
{
    Valid,
    Malformed,   // "The version string is not valid"
    Mismatch     // "The version string doesn't match"
};

// Checks a build version text of the form "V2KRNVERSION:" + 8 hexadecimal
// digits + anything, against the game's own version.
EBuildVersionCheck CheckBuildVersion(const char* buildText);

// True when the whole command line is "-client1", "-client2" or "-client3" in
// any case; the window origin is then moved right of, below, or diagonally
// from a screen of the given size.  Otherwise false and (0, 0).
bool GetClientPlacement(const char* commandLine, int32_t screenWidth, int32_t screenHeight, int32_t& x,
                        int32_t& y);

// True when the text of "datafile.version" names a data version this game
// accepts (exactly, with case).
bool IsAcceptedDataVersion(const char* text);
