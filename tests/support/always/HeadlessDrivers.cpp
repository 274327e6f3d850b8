// Every test process runs headless: SDL's offscreen video driver gives a real
// OpenGL context without a display, and the dummy audio driver consumes
// sound at the real rate without a sound card.  A value already set in the
// environment wins, so a developer can still watch a test under a desktop.
// Child processes (the game binary started by the end-to-end tests) inherit
// the same drivers.

#include <cstdlib>

namespace
{
const bool headlessDriversChosen = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();
} // namespace
