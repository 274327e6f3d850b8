#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Files and folders on disk.  Engine code reaches the disk only through here.
//
// Paths are the game's own: separated by '\' or '/', in any case.  A path is
// mapped to the disk by turning '\' into '/' and then, component by
// component, taking the exact name when it exists and otherwise the one entry
// of that folder whose name equals it ignoring the case of a to z.  A name
// that matches nothing is used as given, so new files get the case the game
// asked for.  A path is absolute when it starts with '/', a drive ("X:\") or
// "\\"; a drive is dropped and "\\" read as the root, and any other path is
// relative to the working folder.
//
// Opening never waits: a named pipe without a writer, or a device, cannot
// hold the game up.  A file opened for reading must be a regular file;
// anything else (a folder, a pipe, a device) does not open.
//
// Handles are small non-negative numbers owned by whoever opened them and
// given back with Close.  Calls may come from any thread, but one handle is
// used by one thread at a time.  Sizes and positions are in bytes.
class SysFile
{
public:
    static constexpr int InvalidHandle = -1;

    enum class Mode
    {
        Read,    // existing file, read-only, others may read too
        Write,   // created or truncated, write-only
        Append   // existing file, read and write, positioned at its end
    };

    enum class From
    {
        Begin,
        Current,
        End
    };

    // A handle, or InvalidHandle (LastError tells why).
    static int Open(const char* path, Mode mode);
    // Bytes read (0 at the end), or -1.  Short only at the end of the file.
    static int Read(int handle, void* buffer, int count);
    // Bytes written (all of them unless the disk fails), or -1.
    static int Write(int handle, const void* buffer, int count);
    // The new position, or -1.  Positions past the end are allowed.
    static int64_t Seek(int handle, int64_t offset, From from);
    static int64_t Size(int handle);
    // Puts what was written on the storage device before returning.
    static bool Flush(int handle);
    static bool Close(int handle);

    // The system's error number of this thread's last failed call, for logs.
    static int LastError();

    // Renames, replacing an existing target (atomically when both lie on the
    // same file system).
    static bool Rename(const char* from, const char* to);
    static bool Remove(const char* path);
    // True when anything at all stands at the path: a file, a folder, a
    // pipe, a device, or a link (even one that leads nowhere).
    static bool EntryExists(const char* path);

    // The disk path that a file replaced whole (written beside it, then
    // renamed over it) is renamed onto: the path itself, or, for a symbolic
    // link, the file the link leads to (followed to its end, relative links
    // from the link's folder), so that the link stays a link.  A path that
    // leads to nothing yet is its own target.  False when the target is
    // anything but a regular file (a folder, a pipe, a device), or the
    // links do not end: such a file is never replaced.
    static bool FindReplacementTarget(const char* path, std::string& target);

    static bool IsAbsolutePath(const char* path);
    // The disk path a game path maps to (see above); "" for null.
    static std::string ToDiskPath(const char* path);

    // Folder of the running executable, ending in '/'.  Tests may set their
    // own folder (null goes back to the real one).
    static const std::string& ExecutableFolder();
    static void SetExecutableFolderForTests(const char* folder);

    // Attribute bits of a folder entry, valued as the game's finder expects.
    enum Attribute : uint32_t
    {
        AttrReadOnly = 1,
        AttrHidden = 2,    // the name starts with '.'
        AttrDirectory = 16
    };

    struct FolderEntry
    {
        std::string name;
        uint32_t attributes = 0;
        uint64_t size = 0;
        // Last write, local time.
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    };

    // Entries of a folder whose names match a wildcard pattern (the last
    // component of `pattern`: '*' any run, '?' any one character, "*.*"
    // everything, case ignored), sorted by name.  False when the folder
    // cannot be read.
    static bool ListFolder(const char* pattern, std::vector<FolderEntry>& entries);
    static bool MatchesWildcard(const char* name, const char* pattern);
};
