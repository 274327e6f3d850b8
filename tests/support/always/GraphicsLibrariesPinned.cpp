// Mesa keeps a few allocations for the life of the process inside libraries
// that SDL unloads whenever its last OpenGL window closes.  Once unloaded,
// nothing points at those allocations any more and the leak checker blames the
// test that closed the window.  Keeping the libraries loaded for the whole test
// process leaves them reachable, so the checker reports only what the tests and
// the game lose themselves.

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
    for (const char* library : kGraphicsLibraries)
        dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    return true;
}();
}  // namespace
