// Mesa keeps a few allocations for the life of the process inside libraries that SDL unloads whenever
// its last OpenGL window closes.  Once unloaded, nothing points at those allocations; the leak checker
// would blame the test that closed the window.  Kept loaded for the whole test process, they stay
// reachable, so the checker reports only what the tests and the game lose themselves.

#include <dlfcn.h>

namespace
{
constexpr const char* kGraphicsLibraries[] = {
    "libEGL.so.1",
    "libEGL_mesa.so.0",
    "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
    "/usr/lib64/dri/swrast_dri.so",
    "/usr/lib/dri/swrast_dri.so",
};

// Runs before any test; a library that is not installed is simply skipped.
const bool graphicsLibrariesPinned = [] {
    for (const char* library : kGraphicsLibraries) dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    return true;
}();
}  // namespace
