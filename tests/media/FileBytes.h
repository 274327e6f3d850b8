#pragma once
// Picture, font and model files laid out byte by byte, independently of the readers under test.

#include <array>
#include <bit>
#include <cstring>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ReferenceBytes.h"

// ---- TGA: an 18-byte header, the identification field, the colour map and the pixels in file order.
struct TgaLayout
{
    uint8_t imageType = 2, colourMapType = 0;
    uint16_t mapFirst = 0, mapLength = 0;
    uint8_t mapEntryBits = 0;
    uint16_t width = 0, height = 0;
    uint8_t depth = 32, descriptor = 0x20;
    std::string id{};
    std::vector<uint8_t> colourMap{}, pixels{};
};

inline std::vector<uint8_t> BuildTga(const TgaLayout& t)
{
    std::vector<uint8_t> out = {uint8_t(t.id.size()), t.colourMapType, t.imageType};
    // Each header field after those three and its size in bytes; the origin is (0, 0).
    for (const auto& [value, bytes] : {std::pair<uint32_t, int>{t.mapFirst, 2}, {t.mapLength, 2}, {t.mapEntryBits, 1},
                                       {0, 4}, {t.width, 2}, {t.height, 2}, {t.depth, 1}, {t.descriptor, 1}})
        PushLE(out, value, bytes);
    out.insert(out.end(), t.id.begin(), t.id.end());
    out.insert(out.end(), t.colourMap.begin(), t.colourMap.end());
    out.insert(out.end(), t.pixels.begin(), t.pixels.end());
    return out;
}

// A 24-bit TGA of 0xRRGGBB pixels, top row first.
inline std::vector<uint8_t> Tga24(const std::vector<uint32_t>& pixels, int w, int h)
{
    TgaLayout t{.width = uint16_t(w), .height = uint16_t(h), .depth = 24};
    for (uint32_t p : pixels) t.pixels.insert(t.pixels.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16)});
    return BuildTga(t);
}

// ---- Fonts: a 16-byte header, the 16-bit cell width and height at 16 and 18, 782 bytes the reader
// skips, then for each code 1 to 255 a 16-bit advance, 4 bytes and W x H coverage bytes row by row.
struct FontLayout
{
    uint16_t width = 4, height = 4;
    std::function<uint16_t(int code)> advance = [](int) { return uint16_t(4); };
    std::function<uint8_t(int code, int i, int j)> coverage = [](int, int, int) { return uint8_t(255); };
};

inline std::vector<uint8_t> BuildFont(const FontLayout& f)
{
    std::vector<uint8_t> out(16, 0xAB);
    PushLE(out, f.width | uint32_t(f.height) << 16, 4);
    out.resize(802, 0xAB);
    for (int code = 1; code <= 255; ++code)
    {
        PushLE(out, f.advance(code), 2);
        PushLE(out, 0xCDCDCDCD, 4);
        for (int j = 0; j < f.height; ++j)
            for (int i = 0; i < f.width; ++i) out.push_back(f.coverage(code, i, j));
    }
    return out;
}

// ---- Models (".okm"): a header of six 32-bit numbers (V, 0, F, 0, G, N), the base pose (V x position
// and normal), F faces of 41 bytes, G groups of 128 bytes, and N further poses when N > 1.
using ModelVertex = std::array<float, 6>;  // position x, y, z, normal x, y, z
using ModelPose = std::vector<ModelVertex>;

struct ModelFace
{
    int32_t a, b, c;
    float uv[6];
    uint8_t texture = 0;
};

struct ModelGroup { int32_t quads[6][4], corners[8]; };

struct ModelLayout
{
    ModelPose base;
    std::vector<ModelFace> faces;
    std::vector<ModelGroup> groups;
    std::vector<ModelPose> frames;  // written after the groups
    int32_t frameField = 0;         // N of the header
    // Header counts written instead of the real ones when not -1.
    int32_t vertexField = -1, faceField = -1, groupField = -1;
};

// 32-bit numbers, floats by their bits.
template <typename Number>
inline void PushWords(std::vector<uint8_t>& out, const Number* values, size_t count)
{
    for (size_t i = 0; i < count; ++i) PushLE(out, std::bit_cast<uint32_t>(values[i]), 4);
}

inline std::vector<uint8_t> BuildModel(const ModelLayout& m)
{
    std::vector<uint8_t> out;
    const auto pick = [](int32_t field, size_t real) { return field != -1 ? field : int32_t(real); };
    for (int32_t value : {pick(m.vertexField, m.base.size()), 0, pick(m.faceField, m.faces.size()), 0,
                          pick(m.groupField, m.groups.size()), m.frameField})
        PushLE(out, uint32_t(value), 4);
    for (const ModelVertex& v : m.base) PushWords(out, v.data(), 6);
    for (const ModelFace& f : m.faces)
    {
        for (int32_t index : {f.a, f.b, f.c}) PushLE(out, uint32_t(index), 4);
        PushWords(out, f.uv, 6);
        PushLE(out, 0, 4);
        out.push_back(f.texture);
    }
    for (const ModelGroup& g : m.groups)
    {
        for (const auto& quad : g.quads) PushWords(out, quad, 4);
        PushWords(out, g.corners, 8);
    }
    for (const ModelPose& pose : m.frames)
        for (const ModelVertex& v : pose) PushWords(out, v.data(), 6);
    return out;
}

// The sides of a box whose corner k has x from bit 0, y from bit 1, z from
// bit 2, each turning so that (q1 - q0) x (q2 - q0) points out.
inline constexpr int CubeSides[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3},
                                        {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};

// A cube of side 2 x half around `centre`: vertices 0-7 are its corners (corner k takes +half on x for
// bit 0, y for bit 1, z for bit 2); then four vertices per side with the side's normal.
inline ModelPose CubePose(float half, std::array<float, 3> centre)
{
    static const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    ModelPose pose;
    const auto add = [&](int k, const float* n) {
        pose.push_back({centre[0] + ((k & 1) ? half : -half), centre[1] + ((k & 2) ? half : -half),
                        centre[2] + ((k & 4) ? half : -half), n[0], n[1], n[2]});
    };
    const float up[3] = {0, 0, 1};
    for (int k = 0; k < 8; ++k) add(k, up);
    for (int s = 0; s < 6; ++s)
        for (int i = 0; i < 4; ++i) add(CubeSides[s][i], normals[s]);
    return pose;
}

// The cube as group 0 of its corners, two faces per side with (b - a) x (c - a) pointing out and the
// side's texture square from (0, 0) to (1, 1); frame f moved by 8 f on x when there are several.
inline ModelLayout CubeLayout(float half, int frameCount = 1)
{
    ModelLayout m;
    m.base = CubePose(half, {0, 0, 0});
    ModelGroup group;
    for (int s = 0; s < 6; ++s)
    {
        const int32_t q = 8 + 4 * s;
        m.faces.push_back({q, q + 1, q + 2, {0, 0, 1, 0, 1, 1}});
        m.faces.push_back({q, q + 2, q + 3, {0, 0, 1, 1, 0, 1}});
        for (int i = 0; i < 4; ++i) group.quads[s][i] = CubeSides[s][i];
    }
    for (int k = 0; k < 8; ++k) group.corners[k] = k;
    m.groups.push_back(group);
    m.frameField = frameCount > 1 ? frameCount : 0;  // a single frame is the base pose
    for (int f = 0; f < m.frameField; ++f) m.frames.push_back(CubePose(half, {8.0f * float(f), 0, 0}));
    return m;
}
