// The window tests of this executable open and close OpenGL windows.  Mesa
// keeps a few allocations for the whole process in libraries that SDL unloads
// when its last OpenGL window closes; the leak checker then finds them
// unreferenced and blames the test.  Loading those libraries once more, never
// to be unloaded, keeps the allocations reachable, so that only what the game
// itself loses is reported.

#include <dlfcn.h>

namespace
{
const char* const kPinnedLibraries[] = {
    "libEGL.so.1",
    "libEGL_mesa.so.0",
    "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
    "/usr/lib64/dri/swrast_dri.so",
    "/usr/lib/dri/swrast_dri.so",
};

// Before the first test; a library that is not installed is passed over.
const bool librariesPinned = [] {
    for (const char* library : kPinnedLibraries)
        dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    return true;
}();
}  // namespace
