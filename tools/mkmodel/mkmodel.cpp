// mkmodel cube FILE [FRAMES]: writes a cube model of side 32 world units
//   centred on the origin, with flat normals, one texture square per side
//   and one group whose box is the cube; frame f is the cube raised by 4 x f.
// mkmodel flag FILE [FRAMES]: writes a flag on a pole (the pole stands on
//   the origin, 40 units high) whose cloth waves through FRAMES frames
//   (default 8), with one group around the whole flag.
// Files are written beside their target and renamed over it.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/C_MemoryBlock.h"

namespace
{
constexpr int BoxCorners = 8;
constexpr int MaxFrames = 4096;
constexpr float CubeHalfSide = 16.0f;
constexpr float CubeRisePerFrame = 4.0f;
constexpr int DefaultFlagFrames = 8;
constexpr float PoleHeight = 40.0f;
constexpr float PoleHalfWidth = 1.0f;
constexpr float ClothLength = 24.0f;
constexpr float ClothHeight = 16.0f;
constexpr int ClothColumns = 5;
constexpr int ClothRows = 3;
constexpr float WaveDepth = 3.0f;
constexpr float Pi = 3.14159265f;

struct SVec
{
    float x, y, z;
};

struct SVertex
{
    SVec position, normal;
};

struct SFace
{
    int a, b, c;
    float uv[3][2];
};

struct SGroup
{
    int quads[6][4];
    int firstCorner;
};

struct SModel
{
    std::vector<std::vector<SVertex>> frames;  // frame 0 is also the base pose
    std::vector<SFace> faces;
    std::vector<SGroup> groups;
};

// The sides of a box whose corner k has x from bit 0, y from bit 1 and z from
// bit 2; each side's corners turn so that (q1 - q0) x (q2 - q0) points out.
const int BoxSides[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
const SVec BoxSideNormals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
const float QuadUV[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

SVec BoxCorner(const SVec& low, const SVec& high, int k)
{
    return {(k & 1) ? high.x : low.x, (k & 2) ? high.y : low.y, (k & 4) ? high.z : low.z};
}

SVec Normalized(const SVec& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? SVec{v.x / length, v.y / length, v.z / length} : SVec{0, 0, 1};
}

// Two triangles (q0, q1, q2) and (q0, q2, q3) of a quad of vertex numbers.
void AddQuad(SModel& model, const int (&q)[4])
{
    model.faces.push_back({q[0], q[1], q[2], {{QuadUV[0][0], QuadUV[0][1]}, {QuadUV[1][0], QuadUV[1][1]},
                                              {QuadUV[2][0], QuadUV[2][1]}}});
    model.faces.push_back({q[0], q[2], q[3], {{QuadUV[0][0], QuadUV[0][1]}, {QuadUV[2][0], QuadUV[2][1]},
                                              {QuadUV[3][0], QuadUV[3][1]}}});
}

// Eight corner vertices of a picking box and the group naming them.
void AddGroupBox(SModel& model, std::vector<SVertex>& pose, const SVec& low, const SVec& high)
{
    SGroup group;
    group.firstCorner = int(pose.size());
    for (int k = 0; k < BoxCorners; ++k)
    {
        const SVec corner = BoxCorner(low, high, k);
        const SVec centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
        pose.push_back({corner, Normalized({corner.x - centre.x, corner.y - centre.y, corner.z - centre.z})});
    }
    for (int side = 0; side < 6; ++side)
        for (int i = 0; i < 4; ++i)
            group.quads[side][i] = group.firstCorner + BoxSides[side][i];
    model.groups.push_back(group);
}

// Four vertices per side with the side's normal, two triangles per side.
void AddSolidBox(SModel& model, std::vector<SVertex>& pose, const SVec& low, const SVec& high)
{
    for (int side = 0; side < 6; ++side)
    {
        const int first = int(pose.size());
        for (int i = 0; i < 4; ++i)
            pose.push_back({BoxCorner(low, high, BoxSides[side][i]), BoxSideNormals[side]});
        AddQuad(model, {first, first + 1, first + 2, first + 3});
    }
}

std::vector<SVertex> Raised(const std::vector<SVertex>& pose, float dy)
{
    std::vector<SVertex> out = pose;
    for (SVertex& v : out)
        v.position.y += dy;
    return out;
}

SModel MakeCube(int frameCount)
{
    SModel model;
    std::vector<SVertex> pose;
    const SVec low = {-CubeHalfSide, -CubeHalfSide, -CubeHalfSide};
    const SVec high = {CubeHalfSide, CubeHalfSide, CubeHalfSide};
    AddGroupBox(model, pose, low, high);
    AddSolidBox(model, pose, low, high);
    for (int f = 0; f < frameCount; ++f)
        model.frames.push_back(Raised(pose, CubeRisePerFrame * float(f)));
    return model;
}

// The cloth's vertex at (column, row) of one side, waving with the phase.
SVertex ClothVertex(int column, int row, float phase, float side)
{
    const float along = float(column) / float(ClothColumns - 1);
    const float wave = std::sin(phase + along * 2.0f * Pi) * WaveDepth * along;
    const float slope = std::cos(phase + along * 2.0f * Pi) * WaveDepth * 2.0f * Pi / ClothLength;
    const SVec position = {PoleHalfWidth + along * ClothLength,
                           PoleHeight - ClothHeight * float(row) / float(ClothRows - 1), wave};
    return {position, Normalized({-slope * side, 0.0f, side})};
}

SModel MakeFlag(int frameCount)
{
    SModel model;
    std::vector<SVertex> base;
    AddGroupBox(model, base, {-PoleHalfWidth, 0.0f, -WaveDepth}, {PoleHalfWidth + ClothLength, PoleHeight, WaveDepth});
    AddSolidBox(model, base, {-PoleHalfWidth, 0.0f, -PoleHalfWidth}, {PoleHalfWidth, PoleHeight, PoleHalfWidth});
    const int clothStart = int(base.size());
    const int perSide = ClothColumns * ClothRows;
    // The front side faces +z, the back side -z; each cell is a quad.
    for (int side = 0; side < 2; ++side)
    {
        for (int column = 0; column + 1 < ClothColumns; ++column)
        {
            for (int row = 0; row + 1 < ClothRows; ++row)
            {
                const int at = clothStart + side * perSide + column * ClothRows + row;
                const int front[4] = {at + 1, at + ClothRows + 1, at + ClothRows, at};
                const int back[4] = {at + 1, at, at + ClothRows, at + ClothRows + 1};
                AddQuad(model, side == 0 ? front : back);
            }
        }
    }
    for (int f = 0; f < frameCount; ++f)
    {
        std::vector<SVertex> pose(base.begin(), base.begin() + clothStart);
        const float phase = 2.0f * Pi * float(f) / float(frameCount);
        for (int side = 0; side < 2; ++side)
            for (int column = 0; column < ClothColumns; ++column)
                for (int row = 0; row < ClothRows; ++row)
                    pose.push_back(ClothVertex(column, row, phase, side == 0 ? 1.0f : -1.0f));
        model.frames.push_back(pose);
    }
    return model;
}

void PutInt(CMemoryBlock& out, int32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    out.Write(bytes, 4);
}

void PutFloat(CMemoryBlock& out, float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt(out, bits);
}

void PutPose(CMemoryBlock& out, const std::vector<SVertex>& pose)
{
    for (const SVertex& v : pose)
        for (float value : {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z})
            PutFloat(out, value);
}

void WriteModel(CMemoryBlock& out, const SModel& model)
{
    const int32_t frames = int32_t(model.frames.size());
    for (int32_t value : {int32_t(model.frames[0].size()), 0, int32_t(model.faces.size()), 0,
                          int32_t(model.groups.size()), frames > 1 ? frames : 0})
        PutInt(out, value);
    PutPose(out, model.frames[0]);
    for (const SFace& face : model.faces)
    {
        for (int32_t index : {face.a, face.b, face.c})
            PutInt(out, index);
        for (const auto& uv : face.uv)
        {
            PutFloat(out, uv[0]);
            PutFloat(out, uv[1]);
        }
        PutInt(out, 0);
        const uint8_t textureNumber = 0;
        out.Write(&textureNumber, 1);
    }
    for (const SGroup& group : model.groups)
    {
        for (const auto& quad : group.quads)
            for (int index : quad)
                PutInt(out, index);
        for (int k = 0; k < BoxCorners; ++k)
            PutInt(out, group.firstCorner + k);
    }
    if (frames > 1)
        for (const auto& pose : model.frames)
            PutPose(out, pose);
}

int Usage()
{
    std::fprintf(stderr, "usage: mkmodel cube|flag FILE [FRAMES]\n");
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4)
        return Usage();
    const bool cube = std::strcmp(argv[1], "cube") == 0;
    if (!cube && std::strcmp(argv[1], "flag") != 0)
        return Usage();
    const int frames = argc == 4 ? std::atoi(argv[3]) : (cube ? 1 : DefaultFlagFrames);
    if (frames < 1 || frames > MaxFrames)
    {
        std::fprintf(stderr, "mkmodel: FRAMES must be 1 to %d\n", MaxFrames);
        return 1;
    }
    CMemoryBlock out;
    WriteModel(out, cube ? MakeCube(frames) : MakeFlag(frames));
    if (out.HasError() || !out.SaveToFile(argv[2]))
    {
        std::fprintf(stderr, "mkmodel: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
