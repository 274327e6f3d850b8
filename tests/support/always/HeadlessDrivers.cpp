// Every test process runs headless: SDL's offscreen video driver gives a real OpenGL context without a
// display, the dummy audio driver plays sound at the real rate without a sound card.  A value set in the
// environment wins (a developer can watch a test on a desktop); child processes inherit the drivers.

#include <cstdlib>

namespace
{
const bool headlessDriversChosen = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 0), setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();
} // namespace
