#include "core/DeviceStartup.h"

#include <string>

namespace DeviceStartup
{
namespace
{
CString Decimal(int32_t value)
{
    CString text;
    text.FromInt(value);
    return text;
}

// The capability report: its text and the device's answer, in log order.
struct SCapabilityRow
{
    const char* text;
    bool Sys3DCaps::*present;
};

const SCapabilityRow kCapabilityRows[] = {
    {" Hardware cursor", &Sys3DCaps::hardwareCursor},
    {" Immediate present interval", &Sys3DCaps::immediatePresentInterval},
    {" Hardware rasterization", &Sys3DCaps::hardwareRasterization},
    {" Hardware transform and light", &Sys3DCaps::hardwareTransformAndLight},
    {" Pure device", &Sys3DCaps::pureDevice},
    {" Cull CCW", &Sys3DCaps::cullCCW},
    {" Cull None", &Sys3DCaps::cullNone},
    {" Anisotropic filtering", &Sys3DCaps::anisotropicFiltering},
    {" Edge antialiasing", &Sys3DCaps::edgeAntialiasing},
    {" Dither", &Sys3DCaps::dither},
    {" Range-based fog", &Sys3DCaps::rangeFog},
    {" Fog table", &Sys3DCaps::tableFog},
    {" Vertex fog", &Sys3DCaps::vertexFog},
    {" Mipmap LOD bias adjustment", &Sys3DCaps::mipmapLodBias},
    {" Z-Fog", &Sys3DCaps::zFog},
    {" Source blend SRCALPHA", &Sys3DCaps::sourceBlendSrcAlpha},
    {" Destination blend INVSRCALPHA", &Sys3DCaps::destBlendInvSrcAlpha},
    {" Alpha gouraud interpollation", &Sys3DCaps::alphaGouraudBlend},
    {" Gouraud shade", &Sys3DCaps::colourGouraudShade},
    {" Gouraud fog interpollation", &Sys3DCaps::fogGouraud},
    {" Texture aplha chanel", &Sys3DCaps::textureAlpha},
    {" Texture mipmapping", &Sys3DCaps::textureMipmap},
    {" Perspective texture mapping", &Sys3DCaps::texturePerspective},
    {" Texture filter [D3DPTFILTERCAPS_MAGFPOINT]", &Sys3DCaps::filterMagPoint},
    {" Texture filter [D3DPTFILTERCAPS_MINFLINEAR]", &Sys3DCaps::filterMinLinear},
    {" Texture filter [D3DPTFILTERCAPS_MINFPOINT]", &Sys3DCaps::filterMinPoint},
    {" Texture filter [D3DPTFILTERCAPS_MIPFLINEAR]", &Sys3DCaps::filterMipLinear},
    {" Texture filter [D3DPTFILTERCAPS_MIPFPOINT]", &Sys3DCaps::filterMipPoint},
    {" Clamp texture addressing", &Sys3DCaps::addressClamp},
    {" Wrap texture addressing", &Sys3DCaps::addressWrap},
    {" IndependentUV texture addressing", &Sys3DCaps::addressIndependentUV},
    {" Texture operation [D3DTEXOPCAPS_ADD]", &Sys3DCaps::textureOpAdd},
    {" Texture operation [D3DTEXOPCAPS_MODULATE]", &Sys3DCaps::textureOpModulate},
    {" Directional lights", &Sys3DCaps::directionalLights},
};

// What the game cannot run without, with the line that says it is missing.
const SCapabilityRow kGraphicsRequirements[] = {
    {"Hardware rasterization not supported\n", &Sys3DCaps::hardwareRasterization},
    {"Primitive Cull CCW not supported\n", &Sys3DCaps::cullCCW},
    {"Primitive Cull None not supported\n", &Sys3DCaps::cullNone},
    {"Dithering not supported\n", &Sys3DCaps::dither},
    {"Source blend SRCALPHA not supported\n", &Sys3DCaps::sourceBlendSrcAlpha},
    {"Destination blend INVSRCALPHA not supported\n", &Sys3DCaps::destBlendInvSrcAlpha},
    {"Alpha gouraud interpollation not supported\n", &Sys3DCaps::alphaGouraudBlend},
    {"Gouraud shading not supported\n", &Sys3DCaps::colourGouraudShade},
    {"Gouraud fog interpollation not supported\n", &Sys3DCaps::fogGouraud},
    {"Texture aplha chanel not supporetd\n", &Sys3DCaps::textureAlpha},
    {"Texture mipmapping not supporetd\n", &Sys3DCaps::textureMipmap},
    {"Perspective texture mapping not supported\n", &Sys3DCaps::texturePerspective},
    {"Texture filter [D3DPTFILTERCAPS_MAGFPOINT] not supported\n", &Sys3DCaps::filterMagPoint},
    {"Texture filter [D3DPTFILTERCAPS_MINFLINEAR] not supported\n", &Sys3DCaps::filterMinLinear},
    {"Texture filter [D3DPTFILTERCAPS_MINFPOINT] not supported\n", &Sys3DCaps::filterMinPoint},
    {"Clamp texture addressing not supported\n", &Sys3DCaps::addressClamp},
    {"Wrap texture addressing not supported\n", &Sys3DCaps::addressWrap},
    {"Texture operation [D3DTEXOPCAPS_ADD] not supported\n", &Sys3DCaps::textureOpAdd},
    {"Texture operation [D3DTEXOPCAPS_MODULATE] not supported\n", &Sys3DCaps::textureOpModulate},
};

// Two stages: the ground's mix passes draw two textures at once.
constexpr uint32_t kRequiredTextureStages = 2;

struct SSoundRequirement
{
    const char* text;
    uint32_t flag;
};

const SSoundRequirement kSoundRequirements[] = {
    {"16-bit primary sound buffer is not supported\n", SysSound::CapsPrimary16Bit},
    {"Stereo output is not supported\n", SysSound::CapsPrimaryStereo},
    {"16-bit secondary sound buffer is not supported\n", SysSound::CapsSecondary16Bit},
    {"Mono sound buffer is not supported\n", SysSound::CapsSecondaryMono},
};

struct SFallbackMode
{
    int32_t width;
    int32_t height;
    int32_t depth;
};

const SFallbackMode kFallbackModes[] = {{1024, 768, 32}, {1024, 768, 16}, {800, 600, 32},
                                        {800, 600, 16},  {640, 480, 32},  {640, 480, 16}};

constexpr uint16_t kIdentityStep = 257;
} // namespace

int32_t ModeDepth(const Sys3DDisplayMode& mode)
{
    switch (mode.format)
    {
    case Sys3DFormat::X1R5G5B5:
        return 15;
    case Sys3DFormat::R5G6B5:
        return 16;
    case Sys3DFormat::X8R8G8B8:
        return 32;
    default:
        return 0;
    }
}

CString DescribeMode(const Sys3DDisplayMode& mode)
{
    const int32_t depth = ModeDepth(mode);
    if (depth == 0)
        return CString();
    return Decimal(mode.width) + "x" + Decimal(mode.height) + " " + Decimal(depth) + "bit";
}

void MarkModeSupport(const Sys3DDisplayMode& mode, ModeSupportTable table)
{
    const int32_t depth = ModeDepth(mode);
    if (depth != 16 && depth != 32)
        return;
    for (int i = 0; i < kListedSizeCount; ++i)
    {
        if (mode.width == kListedSizes[i][0] && mode.height == kListedSizes[i][1])
            table[i][depth == 16 ? kSupports16Bit : kSupports32Bit] = 1;
    }
}

bool IsConfiguredMode(const Sys3DDisplayMode& mode, int32_t width, int32_t height, int32_t depth)
{
    const int32_t modeDepth = ModeDepth(mode);
    if (modeDepth != 16 && modeDepth != 32)
        return false;
    return mode.width == width && mode.height == height && modeDepth == depth;
}

bool ChooseFallbackMode(const std::vector<Sys3DDisplayMode>& modes, int32_t& width, int32_t& height,
                        int32_t& depth)
{
    for (const SFallbackMode& candidate : kFallbackModes)
    {
        for (const Sys3DDisplayMode& mode : modes)
        {
            if (IsConfiguredMode(mode, candidate.width, candidate.height, candidate.depth))
            {
                width = candidate.width;
                height = candidate.height;
                depth = candidate.depth;
                return true;
            }
        }
    }
    return false;
}

std::vector<CString> CapabilityLines(const Sys3DCaps& caps)
{
    std::vector<CString> lines;
    for (const SCapabilityRow& row : kCapabilityRows)
        lines.push_back(CString(caps.*row.present ? "[x]" : "[ ]") + row.text);
    return lines;
}

std::vector<CString> LimitLines(const Sys3DCaps& caps)
{
    const auto truncated = [](float value) { return Decimal(static_cast<int32_t>(value)); };
    const auto count = [](uint32_t value) { return CString(std::to_string(value).c_str()); };
    return {CString("GuardBandLeft = ") + truncated(caps.guardBandLeft),
            CString("GuardBandTop = ") + truncated(caps.guardBandTop),
            CString("GuardBandRight = ") + truncated(caps.guardBandRight),
            CString("GuardBandBottom = ") + truncated(caps.guardBandBottom),
            CString("MaxTextureWidth = ") + count(caps.maxTextureWidth),
            CString("MaxTextureHeight = ") + count(caps.maxTextureHeight),
            CString("MaxSimultaneousTextures = ") + count(caps.maxSimultaneousTextures),
            CString("Max primitive count = ") + count(caps.maxPrimitiveCount)};
}

CString MissingGraphicsRequirements(const Sys3DCaps& caps)
{
    CString details;
    for (const SCapabilityRow& row : kGraphicsRequirements)
    {
        if (!(caps.*row.present))
            details += row.text;
    }
    if (caps.maxSimultaneousTextures < kRequiredTextureStages)
        details += "Multitexturing not supported\n";
    return details;
}

CString MissingSoundRequirements(const SysSound::Caps& caps)
{
    CString details;
    for (const SSoundRequirement& requirement : kSoundRequirements)
    {
        if ((caps.flags & requirement.flag) == 0)
            details += requirement.text;
    }
    return details;
}

Sys3DPresentParams MakePresentParams(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t antialiasing,
                                     bool windowed)
{
    Sys3DPresentParams params;
    params.backBufferWidth = width;
    params.backBufferHeight = height;
    switch (bitsPerPixel)
    {
    case 15:
        params.backBufferFormat = Sys3DFormat::X1R5G5B5;
        break;
    case 16:
        params.backBufferFormat = Sys3DFormat::R5G6B5;
        break;
    case 24:
    case 32:
        params.backBufferFormat = Sys3DFormat::X8R8G8B8;
        break;
    default:
        params.backBufferFormat = Sys3DFormat::Unknown;
        break;
    }
    params.multiSampleType = antialiasing >= 2 && antialiasing <= 4 ? static_cast<uint32_t>(antialiasing) : 0;
    params.windowed = windowed;
    return params;
}

void MakeIdentityColourTable(ColourTable table)
{
    for (int channel = 0; channel < 3; ++channel)
    {
        for (int i = 0; i < kColourTableEntries; ++i)
            table[channel][i] = static_cast<uint16_t>(i * kIdentityStep);
    }
}

bool ReadColourTable(const uint8_t* bytes, size_t size, ColourTable table)
{
    if (bytes == nullptr || size < kColourTableBytes)
        return false;
    for (int channel = 0; channel < 3; ++channel)
    {
        for (int i = 0; i < kColourTableEntries; ++i)
        {
            const size_t at = (static_cast<size_t>(channel) * kColourTableEntries + i) * 2;
            table[channel][i] = static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
        }
    }
    return true;
}
} // namespace DeviceStartup
