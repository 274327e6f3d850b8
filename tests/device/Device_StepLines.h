#pragma once
// The step headings the devices write to the log while the game starts and
// while it shuts down, in the order they come.

#include <string>
#include <vector>

namespace device_test
{
inline const std::vector<std::string>& StartUpStepLines()
{
    static const std::vector<std::string> lines = {
        "--- Initializing Direct3D8 ---",
        "--- Getting available display modes ---",
        "--- Getting device capabilities ---",
        "--- Creating Direct3DDevice8 ---",
        "--- Creating color correction table ---",
        "--- Setting up Direct3D8 Render states ---",
        "--- Setting up Direct3D8 texture stage states ---",
        "--- Setting up transformation matrices ---",
        "--- Creating Gamma ramp ---",
        "--- Initializing VertexBuffer ---",
        "--- Initializing Mouse cursors ---",
        "--- Creating Gamma ramp ---",
        "--- Initializing Audio ---",
        "--- Loading game fonts ---",
        "--- Loading game sounds ---",
        "--- Initializing game music ---",
        "--- Initializing volume control ---",
        "--- Initializing game timer ---",
        "--- Building technology tree ---",
        "--- Setting up game hints ---",
        "--- Initializing particle system ---",
        "--- Initializing game messages ---",
        "--- Initializing decoration objects ---",
        "--- Preloading finished ---",
    };
    return lines;
}

inline const std::vector<std::string>& ShutDownStepLines()
{
    static const std::vector<std::string> lines = {
        "--- Releasing technology resources ---",
        "--- Releasing game fonts ---",
        "--- Releasing mouse cursors ---",
        "--- Shutting down Direct3D8 ---",
        "--- Releasing audio resources ---",
        "--- Shutting down Audio ---",
        "--- Releasing game timer ---",
        "--- Shutting down particle system ---",
        "--- Shutting down game messages ---",
        "--- All game resources have been released succesfuly ---",
    };
    return lines;
}
} // namespace device_test
