#pragma once
// Model files (".okm") laid out byte by byte, independently of the reader
// under test: a header of six 32-bit numbers (V, 0, F, 0, G, N), the base
// pose (V x position and normal), F faces of 41 bytes, G groups of 128
// bytes, and N further poses when N > 1.

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

using ModelVertex = std::array<float, 6>;  // position x, y, z, normal x, y, z
using ModelPose = std::vector<ModelVertex>;

struct ModelFace
{
    int32_t a, b, c;
    float uv[6];
    uint8_t texture = 0;
};

struct ModelGroup
{
    int32_t quads[6][4];
    int32_t corners[8];
};

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

inline void PushModelInt(std::vector<uint8_t>& out, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(uint32_t(value) >> (8 * i)));
}

inline void PushModelFloat(std::vector<uint8_t>& out, float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, 4);
    PushModelInt(out, bits);
}

inline void PushModelPose(std::vector<uint8_t>& out, const ModelPose& pose)
{
    for (const ModelVertex& v : pose)
        for (float value : v)
            PushModelFloat(out, value);
}

inline std::vector<uint8_t> BuildModel(const ModelLayout& m)
{
    std::vector<uint8_t> out;
    const auto pick = [](int32_t field, size_t real) { return field != -1 ? field : int32_t(real); };
    for (int32_t value : {pick(m.vertexField, m.base.size()), 0, pick(m.faceField, m.faces.size()), 0,
                          pick(m.groupField, m.groups.size()), m.frameField})
        PushModelInt(out, value);
    PushModelPose(out, m.base);
    for (const ModelFace& f : m.faces)
    {
        for (int32_t index : {f.a, f.b, f.c})
            PushModelInt(out, index);
        for (float uv : f.uv)
            PushModelFloat(out, uv);
        PushModelInt(out, 0);
        out.push_back(f.texture);
    }
    for (const ModelGroup& g : m.groups)
    {
        for (const auto& quad : g.quads)
            for (int32_t index : quad)
                PushModelInt(out, index);
        for (int32_t corner : g.corners)
            PushModelInt(out, corner);
    }
    for (const ModelPose& pose : m.frames)
        PushModelPose(out, pose);
    return out;
}

// The sides of a box whose corner k has x from bit 0, y from bit 1, z from
// bit 2, each turning so that (q1 - q0) x (q2 - q0) points out.
inline constexpr int CubeSides[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};

// A cube of side 2 x half around `centre`: vertices 0-7 are its corners
// (corner k takes +half on x for bit 0, y for bit 1, z for bit 2) and form
// group 0; then four vertices per side with the side's normal, two faces per
// side with (b - a) x (c - a) pointing out, the side's texture square from
// (0, 0) to (1, 1).
inline ModelPose CubePose(float half, std::array<float, 3> centre)
{
    static const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    const auto corner = [&](int k) {
        return std::array<float, 3>{centre[0] + ((k & 1) ? half : -half), centre[1] + ((k & 2) ? half : -half),
                                    centre[2] + ((k & 4) ? half : -half)};
    };
    ModelPose pose;
    for (int k = 0; k < 8; ++k)
    {
        const auto p = corner(k);
        pose.push_back({p[0], p[1], p[2], 0, 0, 1});
    }
    for (int s = 0; s < 6; ++s)
        for (int i = 0; i < 4; ++i)
        {
            const auto p = corner(CubeSides[s][i]);
            pose.push_back({p[0], p[1], p[2], normals[s][0], normals[s][1], normals[s][2]});
        }
    return pose;
}

inline ModelLayout CubeLayout(float half, int frameCount = 1)
{
    ModelLayout m;
    m.base = CubePose(half, {0, 0, 0});
    for (int s = 0; s < 6; ++s)
    {
        const int32_t q = 8 + 4 * s;
        m.faces.push_back({q, q + 1, q + 2, {0, 0, 1, 0, 1, 1}});
        m.faces.push_back({q, q + 2, q + 3, {0, 0, 1, 1, 0, 1}});
    }
    ModelGroup group;
    for (int s = 0; s < 6; ++s)
        for (int i = 0; i < 4; ++i)
            group.quads[s][i] = CubeSides[s][i];
    for (int k = 0; k < 8; ++k)
        group.corners[k] = k;
    m.groups.push_back(group);
    if (frameCount > 1)
    {
        m.frameField = frameCount;
        for (int f = 0; f < frameCount; ++f)
            m.frames.push_back(CubePose(half, {8.0f * float(f), 0, 0}));
    }
    return m;
}
