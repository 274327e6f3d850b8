#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "core/GlobalFunc.h"
#include "media/C_3DObject.h"
#include "media/C_ModelRecord.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/TestLog.h"

namespace
{
using Vec = std::array<float, 3>;

constexpr float Identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

class ModelFile : public ::testing::Test
{
protected:
    void SetUp() override { g_Config.hardwareTnL = 0; }
    void TearDown() override { g_Config = m_Saved; }

    std::string Write(const ModelLayout& layout, const std::string& name = "model.okm")
    {
        return m_Folder.Write(name, BuildModel(layout));
    }

    CScratchFolder m_Folder;
    const CConfig m_Saved = g_Config;
};

Vec V(const C3DObject::SVector& v) { return {v.x, v.y, v.z}; }
Vec V(const float* v) { return {v[0], v[1], v[2]}; }

// The sizes of every array and count a model holds; all 0 once released.
using Held = std::array<size_t, 9>;
Held HeldBy(const C3DObject& m)
{
    return {m.frames.size(), m.transformed.size(), m.colours.size(), m.groups.size(), m.faces.size(),
            size_t(m.vertexCount), size_t(m.faceCount), size_t(m.frameCount), size_t(m.groupCount)};
}
} // namespace

TEST_F(ModelFile, FramesBlockReplacesFrameZeroButBoxesAndExtentsKeepTheBasePose)
{
    // Frame count 0 is one frame: bytes after the groups are not read.  A face's texture number past the model's
    // textures is kept.
    ModelLayout single = CubeLayout(2.0f);
    single.frames.push_back(CubePose(9.0f, {0, 0, 0}));
    single.faces[1].texture = 200;
    C3DObject one;
    ASSERT_TRUE(one.Load(Write(single).c_str(), 1));
    EXPECT_EQ((std::array<int, 5>{one.frameCount, one.vertexCount, one.faceCount, one.faces[1].c,
                                  one.faces[1].textureNumber}), (std::array{1, 32, 12, 11, 200}));
    EXPECT_TRUE(V(one.frames[0].positions[7]) == (Vec{2, 2, 2}) && V(one.frames[0].normals[8]) == (Vec{1, 0, 0}) &&
                one.faces[1].uv[2][1] == 1.0f);

    ModelLayout layout = CubeLayout(2.0f, 3);  // frame f moved by 8 f on x
    layout.frames[0] = CubePose(2.0f, {-30, 0, 0});
    C3DObject model;
    ASSERT_TRUE(model.Load(Write(layout).c_str(), 0) && model.frameCount == 3);
    EXPECT_EQ((std::array{V(model.frames[0].positions[0]), V(model.frames[2].positions[7]), V(model.transformed[0]),
                          V(model.extents)}),
              (std::array{Vec{-32, -2, -2}, Vec{18, 2, 2}, Vec{-2, -2, -2}, Vec{2, 2, 2}}));
    model.Scale(2.0f);  // the scaled extents come from frame 0 as it is now
    EXPECT_EQ((std::array{V(model.extents), V(model.frames[1].positions[7]), V(model.groups[0].boxMax)}),
              (std::array{Vec{64, 4, 4}, Vec{20, 4, 4}, Vec{4, 4, 4}}));

    // The record's group boxes are true bounds on the negative side too.
    layout = CubeLayout(1.0f);
    for (ModelVertex& v : layout.base)
    {
        v[0] -= 10.0f;  // x from -11 to -9
        v[1] += 5.0f;   // y from 4 to 6
    }
    layout.groups.push_back(layout.groups[0]), layout.base[1][0] = -8.0f;  // corner 1 alone reaches x -8
    CModelRecord record;
    ASSERT_TRUE(record.object.Load(Write(layout).c_str(), 0));
    float extents[3], low[3], high[3];
    EXPECT_FLOAT_EQ(record.object.GetExtents(0, extents), std::sqrt(11.0f * 11.0f + 6.0f * 6.0f + 1.0f));
    ASSERT_TRUE(record.GetPartCount() == 2 && record.GetPartBox(1, low, high));
    EXPECT_EQ(std::pair(V(low), V(high)), std::pair(Vec{-11, 4, -1}, Vec{-8, 6, 1}));
    EXPECT_FALSE(record.GetPartBox(2, low, high));
}

TEST_F(ModelFile, ReloadReplacesEverythingAndAMissingFileLeavesAnEmptyModelWithItsTextures)
{
    const int liveBefore = GlobalFunc::Get3DObjectRefs();
    CTestLog log;
    C3DObject model;
    ASSERT_TRUE(model.Load(Write(CubeLayout(1.0f, 3), "a.okm").c_str(), 4));
    ModelLayout smaller = CubeLayout(1.0f);
    smaller.groups.clear();
    const std::string second = Write(smaller, "b.okm");
    ASSERT_TRUE(model.Load(second.c_str(), 2));
    for (const int32_t frame : {0, 1, -1})  // only the first frame out of range is reported
        model.Transform(frame, Identity, Identity);
    EXPECT_TRUE(log.Count("#DEBUG: C3DObject ReLoaded") == 1 && log.Contains("Loading 3DObject:" + second) &&
                log.Lines().back() == "Model frame out of range, not drawn: 1");
    EXPECT_EQ((std::array<int, 3>{model.frameCount, model.groupCount, model.textureCount}), (std::array{1, 0, 2}));
    int32_t topLeft[2], bottomRight[2];
    EXPECT_FALSE(model.GetGroupScreenRect(0, 0, 100, 0, topLeft, bottomRight));
    model.Release(), model.Release();  // twice is safe
    EXPECT_EQ(HeldBy(model), Held{});
    EXPECT_TRUE(GlobalFunc::Get3DObjectRefs() == liveBefore + 1 && !model.textures && model.textureCount == 0);

    EXPECT_TRUE(!model.Load((m_Folder / "none.okm").c_str(), 3) && log.Contains("Object file not found") &&
                model.IsEmpty());
    EXPECT_TRUE(!model.LoadTexture(3, "x.tga") && log.Contains("Model texture number out of range: 3"));
}

TEST_F(ModelFile, DamagedFilesAreRefusedWhole)
{
    using M = ModelLayout;
    const struct { const char* name; void (*damage)(M&); const char* reason; } cases[] = {
        {"negative vertices", [](M& m) { m.vertexField = -1000; }, "negative count"},
        {"negative faces", [](M& m) { m.faceField = -5; }, "negative count"},
        {"negative frames", [](M& m) { m.frameField = -2; }, "negative count"},
        {"face count beyond the file", [](M& m) { m.faceField = 13; }, "file shorter than its counts"},
        {"huge vertex count", [](M& m) { m.vertexField = 0x7FFFFFFF; }, "file shorter than its counts"},
        {"frames block missing", [](M& m) { m.frameField = 2; }, "file shorter than its counts"},
        {"too many frames", [](M& m) { m = M{{}, {}, {}, {}, 100000}; }, "too many frames"},
        {"face index = V", [](M& m) { m.faces[3].b = 32; }, "face vertex out of range"},
        {"face index negative", [](M& m) { m.faces[0].a = -1; }, "face vertex out of range"},
        {"corners apart", [](M& m) { m.groups[0].corners[5] = 6; }, "group corners not consecutive"},
        {"corners past V", [](M& m) { std::iota(m.groups[0].corners, m.groups[0].corners + 8, 30); },
         "group corner out of range"},
        {"box face elsewhere", [](M& m) { m.groups[0].quads[2][1] = 9; },
         "group face names a vertex that is not its corner"},
        {"position not a number", [](M& m) { m.base[4][1] = std::numeric_limits<float>::quiet_NaN(); },
         "vertex not a finite number"}};
    const std::string good = Write(CubeLayout(1.0f), "good.okm");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ModelLayout layout = CubeLayout(1.0f);
        c.damage(layout);
        const std::string path = Write(layout);
        CTestLog log;
        C3DObject model;
        ASSERT_TRUE(model.Load(good.c_str(), 2));
        EXPECT_TRUE(!model.Load(path.c_str(), 2) &&
                    log.Contains("Damaged model file: " + path + " (" + c.reason + ")") && model.IsEmpty());
        EXPECT_TRUE(HeldBy(model) == Held{} && model.textureCount == 2);
    }
    // A file cut anywhere is refused.
    const std::vector<uint8_t> whole = BuildModel(CubeLayout(1.0f, 2));
    C3DObject model;
    for (size_t size : {size_t(0), size_t(23), size_t(24 + 32 * 24), whole.size() - 1})
        EXPECT_FALSE(model.LoadFromMemory(whole.data(), size, "cut.okm", 1)) << size;
}

// The cube of half side 16 at depth 100 shows its near side (depth 84): x from
// (1 - 1.4 x 16 / 84) x 512 = 375.47 to 648.53, y from 266.97 to 501.03; its corners left by a CPU
// transform of every vertex, of the corners only, or the hardware transform.
TEST_F(ModelFile, GroupRectangleAndHitTestFollowTheProjectedBoxOnEveryTransformPath)
{
    const std::vector<uint8_t> bytes = BuildModel(CubeLayout(16.0f));
    C3DObject cube;
    ASSERT_TRUE(cube.LoadFromMemory(bytes.data(), bytes.size(), "cube.okm", 0));
    const float turned[9] = {0.70710678f, 0, -0.70710678f, 0, 1, 0, 0.70710678f, 0, 0.70710678f};
    // Way 0 moves every vertex, the others the corners; ways 2 to 5 are the hardware transforms.
    const auto place = [&cube](int way, const float (&r)[9]) {
        g_Config.hardwareTnL = way == 0 ? 0 : 1;
        const auto [a, b, c, d, e, f, g, h, i] = std::to_array(r);
        switch (way)
        {
        case 2: cube.SetHWTNLTransform(0, 0, 0, 0, r, Identity); break;
        case 3: cube.SetHWTNLTransformNoShade(0, 0, 0, 0, r, Identity); break;
        case 4: cube.SetHWTNLTransformNoShadeUVScroll(0, 0, 0, 0, r, Identity, 0.5f, 0.5f); break;
        case 5: cube.SetHWTNLSimpleTransform(0, 0, 0, 0, r); break;
        case 6: cube.TransformNoShade(0, r, Identity); break;
        case 7: cube.SimpleTransform(0, a, b, c, d, e, f, g, h, i); break;
        case 8: cube.SimpleTransformSheared(0, a, b, c, d, e, f, g, h, i, 0, 0); break;
        case 9: cube.SimpleTransformNoShade(0, a, b, c, d, e, f, g, h, i); break;
        default: cube.Transform(0, r, Identity);
        }
    };
    const struct { int32_t x, y; bool hit; } hits[] = {{512, 384, true}, {380, 300, true}, {647, 500, true},
        {370, 384, false}, {512, 510, false}, {650, 384, false}, {512, 260, false}};
    int32_t topLeft[2], bottomRight[2];
    const auto rect = [&] { return std::array{topLeft[0], topLeft[1], bottomRight[0], bottomRight[1]}; };
    const std::array<int32_t, 4> nearSide = {375, 266, 648, 501};
    for (int way = 0; way < 10; ++way)
    {
        SCOPED_TRACE(way);
        place(way, Identity);
        for (auto screenRect : {&C3DObject::GetScreenRect, &C3DObject::GetScreenRectEx})
        {
            ASSERT_TRUE((cube.*screenRect)(0, 0, 100, topLeft, bottomRight));
            EXPECT_EQ(rect(), nearSide);
        }
        ASSERT_TRUE(cube.GetGroupScreenRect(0, 0, 100, 0, topLeft, bottomRight));
        EXPECT_EQ(rect(), nearSide);
        for (const auto& h : hits) EXPECT_EQ(cube.HitTestGroup(0, 0, 100, 0, h.x, h.y), h.hit) << h.x << "," << h.y;
        place(way, turned);
        EXPECT_TRUE(cube.HitTestGroup(0, 0, 100, 0, 512, 384) && !cube.HitTestGroup(0, 0, 100, 0, 300, 384));
    }
    // Corners at or behind the camera give no rectangle and no hit: at depth 10 the near corners lie at
    // -6, at 16 exactly on the plane.  Just in front of it they project far off the screen.
    place(0, Identity);
    ASSERT_TRUE(cube.GetScreenRect(0, 20, 100, topLeft, bottomRight));   // raised by 20: as wide, higher up
    EXPECT_TRUE(topLeft[0] == 375 && bottomRight[0] == 648 && topLeft[1] < 150 && bottomRight[1] < 400) << topLeft[1];
    for (float depth : {10.0f, 16.0f, -100.0f})
        EXPECT_TRUE(!cube.GetGroupScreenRect(0, 0, depth, 0, topLeft, bottomRight) && topLeft[0] > bottomRight[0] &&
                    topLeft[1] > bottomRight[1] && !cube.HitTestGroup(0, 0, depth, 0, 512, 384)) << depth;
    // Turned round, corners in front come before corners behind: still no rectangle.
    const float round[9] = {-1, 0, 0, 0, 1, 0, 0, 0, -1};
    place(0, round);
    EXPECT_TRUE(!cube.GetScreenRect(0, 0, 10, topLeft, bottomRight) &&
                !cube.GetScreenRectEx(0, 0, 10, topLeft, bottomRight) &&
                !cube.GetGroupScreenRect(0, 0, 10, 0, topLeft, bottomRight));
    place(0, Identity);
    ASSERT_TRUE(cube.GetGroupScreenRect(0, 0, 16.0001f, 0, topLeft, bottomRight));
    EXPECT_LT(topLeft[0], -1000000);
    EXPECT_TRUE(cube.HitTestGroup(0, 0, 16.0001f, 0, 512, 384) && !cube.HitTestGroup(0, 0, 100, 1, 512, 384) &&
                !cube.GetGroupScreenRect(0, 0, 100, -1, topLeft, bottomRight));
    // Without groups the model has no rectangle of its own; the software path's is that of every vertex it
    // moved, and with hardware transform only the (absent) corners were moved.
    ModelLayout bare = CubeLayout(16.0f);
    bare.groups.clear();
    const std::vector<uint8_t> bareBytes = BuildModel(bare);
    ASSERT_TRUE(cube.LoadFromMemory(bareBytes.data(), bareBytes.size(), "bare.okm", 0));
    place(0, Identity);
    EXPECT_FALSE(cube.GetScreenRect(0, 0, 100, topLeft, bottomRight));
    ASSERT_TRUE(cube.GetScreenRectEx(0, 0, 100, topLeft, bottomRight));
    EXPECT_EQ(rect(), nearSide);
    g_Config.hardwareTnL = 1;
    EXPECT_FALSE(cube.GetScreenRectEx(0, 0, 100, topLeft, bottomRight));
}

// The game's view: x 1.4 and y 1.6 over the depth, looking along +z; a cube of half side 32 at depth 120 fills about
// half of the 64 x 64 back buffer.

class ModelDrawing : public MediaDevice
{
protected:
    void SetUp() override
    {
        MediaDevice::SetUp();
        Sys3DMatrix projection;
        projection.m[0][0] = 1.4f, projection.m[1][1] = 1.6f;
        projection.m[2][2] = projection.m[2][3] = 1.0f, projection.m[3][2] = -1.0f;
        Device().SetTransform(Sys3DTransform::Projection, projection);
    }
    void TearDown() override { g_Config = m_Saved; MediaDevice::TearDown(); }

    // The middle pixel of the model drawn at depth 120 through the hardware or the CPU transform.
    uint32_t DrawnCentre(C3DObject& model, bool hardware)
    {
        Clear(Background);
        g_Config.hardwareTnL = hardware ? 1 : 0;
        if (hardware) model.SetHWTNLTransform(0, 0, 0, 120.0f, Identity, Identity), model.RenderVXBuffer(0);
        else model.Transform(0, Identity, Identity), model.Render(0, 0, 120.0f);
        return ReadBack()[32 * Side + 32];
    }

    const CConfig m_Saved = g_Config;
};

TEST_F(ModelDrawing, LightBrightnessFadeAndDamageTintReachThePixels)
{
    // The near face (normal -z) is lit fully (white) by a light along +z, entry 96 of the table by one
    // toward the camera, 48 at half brightness; any brightness stays inside the table.  The damage tint
    // clears the top bits of green and blue; a fade of 128 over the grey 0x40 gives 159.9.
    constexpr int32_t No = C3DObject::NoObjectAlpha;
    const struct { float lightZ, brightness; int stride; uint8_t damage; int32_t alpha; uint32_t expected; } cases[] = {
        {1, 1.0f, 0, 1, No, 0xFFFFFF},  {-1, 1.0f, 0, 1, No, 0x606060}, {-1, 0.5f, 0, 1, No, 0x303030},
        {1, 3.0f, 0, 1, No, 0xFFFFFF},  {1, -1.0f, 0, 1, No, 0x000000}, {1, 0.4f, 0, 1, No, 0x666666},
        {1, 1.0f, 1, 1, No, 0xFF1F1F},  {1, 1.0f, 1, 0, No, 0xFFFFFF},  {1, 1.0f, 0, 0, 128, 0xA0A0A0}};
    C3DObject model;
    const std::vector<uint8_t> bytes = BuildModel(CubeLayout(32.0f));
    const std::vector<uint32_t> white(4, 0xFFFFFF);
    g_Config.hardwareTnL = 1;
    ASSERT_TRUE(model.LoadFromMemory(bytes.data(), bytes.size(), "cube.okm", 1) &&
                model.SetTextureFromMem(0, 2, 2, white.data()));
    model.colourKey = 0x00FF00;
    for (bool hardware : {true, false})
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE(testing::Message() << (hardware ? "hardware" : "software") << ", row " << &c - cases);
            model.lightDir[2] = c.lightZ, model.brightness = c.brightness, model.damageStride = c.stride;
            model.objectAlpha = c.alpha, g_Config.unitDamage = c.damage;
            const uint32_t centre = DrawnCentre(model, hardware);
            EXPECT_TRUE(Close(centre, c.expected, c.alpha == No ? 0 : 2)) << std::hex << centre;
            EXPECT_EQ(model.brightness, 1.0f);
        }
        // What the fade and the colour key change is given back.
        EXPECT_EQ((std::array{RenderState(Sys3DRenderState::AlphaBlendEnable), StageState(Sys3DStageState::AlphaOp),
                              StageState(Sys3DStageState::AlphaArg2), RenderState(Sys3DRenderState::AlphaFunc)}),
                  (std::array{0u, uint32_t(Sys3DTextureOp::SelectArg1), uint32_t(Sys3DTextureArg::Diffuse),
                              uint32_t(Sys3DCompare::Always)}));
    }
}

// Turned and off to the side, the CPU transform draws the faces the hardware draws, of the first frame and a later
// one: as many pixels either way.
TEST_F(ModelDrawing, TheSoftwarePathCullsTheFacesTheHardwareCulls)
{
    C3DObject model;
    const std::vector<uint8_t> bytes = BuildModel(CubeLayout(16.0f, 3));   // frame f moved by 8 f on x
    const std::vector<uint32_t> white(4, 0xFFFFFF);
    g_Config.hardwareTnL = 1;   // the hardware path draws from a vertex buffer made at the load
    ASSERT_TRUE(model.LoadFromMemory(bytes.data(), bytes.size(), "cube.okm", 1) &&
                model.SetTextureFromMem(0, 2, 2, white.data()));
    const float c = 0.8f, s = 0.6f, turn[9] = {c, 0, s, s * s, c, -s * c, -s * c, s, c * c};
    for (const int32_t frame : {0, 2})
    {
        int32_t covered[2] = {};
        for (const bool hardware : {true, false})
        {
            Clear(Background), g_Config.hardwareTnL = hardware ? 1 : 0;
            if (hardware) model.SetHWTNLTransform(frame, -45, -45, 90, turn, Identity), model.RenderVXBuffer(frame);
            else model.Transform(frame, turn, Identity), model.Render(-45, -45, 90);
            const std::vector<uint32_t> pixels = ReadBack();
            covered[hardware] = int32_t(std::ranges::count_if(pixels, [](uint32_t p) { return p != Background; }));
        }
        EXPECT_TRUE(covered[1] > 100 && std::abs(covered[0] - covered[1]) <= covered[1] / 50)
            << frame << ": " << covered[0] << " " << covered[1];
    }
}

