#pragma once
// The decisions of the device start-up that depend only on what the drawing
// and sound devices report: the display-mode listing with its fall-back, the
// capability report, the hardware requirements, the present parameters and
// the colour correction table.  CD3D8Game::Init logs and acts on them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/C_String.h"
#include "platform/SysDevice3DTypes.h"
#include "platform/SysSound.h"

namespace DeviceStartup
{
// The five sizes the options page offers, smallest first, and the two depths
// recorded for each.
constexpr int kListedSizeCount = 5;
constexpr int32_t kListedSizes[kListedSizeCount][2] = {
    {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
constexpr int kSupports16Bit = 0;
constexpr int kSupports32Bit = 1;
using ModeSupportTable = uint8_t[kListedSizeCount][2];

// Colour depth a display mode stands for: 15, 16 or 32; 0 for other formats.
int32_t ModeDepth(const Sys3DDisplayMode& mode);
// The listing line of a mode ("800x600 16bit"); empty for other formats.
CString DescribeMode(const Sys3DDisplayMode& mode);
// Sets the table flag of a listed size in a 16- or 32-bit format.
void MarkModeSupport(const Sys3DDisplayMode& mode, ModeSupportTable table);
// True when the mode is the configured one; only 16 and 32 bits are ever
// compared, so a configured depth of 15 or 24 is never found.
bool IsConfiguredMode(const Sys3DDisplayMode& mode, int32_t width, int32_t height, int32_t depth);
// The first of 1024 x 768 x 32, 1024 x 768 x 16, 800 x 600 x 32,
// 800 x 600 x 16, 640 x 480 x 32, 640 x 480 x 16 among the modes; false
// (outputs untouched) when none is there.
bool ChooseFallbackMode(const std::vector<Sys3DDisplayMode>& modes, int32_t& width, int32_t& height,
                        int32_t& depth);

// "[x] Hardware cursor" ... "[ ] Directional lights", in report order.
std::vector<CString> CapabilityLines(const Sys3DCaps& caps);
// "GuardBandLeft = 0" ... "Max primitive count = 1048575".
std::vector<CString> LimitLines(const Sys3DCaps& caps);
// One line ending in '\n' per requirement the device misses; empty when it
// meets them all.
CString MissingGraphicsRequirements(const Sys3DCaps& caps);
// The same for the sound device's capability flags.
CString MissingSoundRequirements(const SysSound::Caps& caps);

// Back buffer of the configured screen: the depth picks the format (15, 16,
// 24 and 32 bits; anything else Unknown), antialiasing 2, 3 or 4 picks as
// many samples (anything else none).
Sys3DPresentParams MakePresentParams(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t antialiasing,
                                     bool windowed);

// The colour correction table: 256 little-endian 16-bit red entries, then
// green, then blue.
constexpr int kColourTableEntries = 256;
constexpr size_t kColourTableBytes = 3 * kColourTableEntries * 2;
using ColourTable = uint16_t[3][kColourTableEntries];
// Entry i of every channel is i x 257 (level i unchanged).
void MakeIdentityColourTable(ColourTable table);
// Reads the first kColourTableBytes bytes; false, with the table left as it
// was, when there are fewer.
bool ReadColourTable(const uint8_t* bytes, size_t size, ColourTable table);
} // namespace DeviceStartup
