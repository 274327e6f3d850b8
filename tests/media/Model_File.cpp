// Model files read into C3DObject without a drawing device: frames, groups
// and their boxes (as the model record hands them out), reloads, missing and
// damaged files.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "media/C_3DObject.h"
#include "media/C_ModelRecord.h"
#include "tests/media/ModelBytes.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
class ModelFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_SavedHwTnL = g_Config.hardwareTnL;
        g_Config.hardwareTnL = 0;
    }
    void TearDown() override { g_Config.hardwareTnL = m_SavedHwTnL; }

    std::string Write(const ModelLayout& layout, const std::string& name = "model.okm")
    {
        const std::vector<uint8_t> bytes = BuildModel(layout);
        return m_Folder.Write(name, bytes);
    }

    CScratchFolder m_Folder;
    uint8_t m_SavedHwTnL = 0;
};

void ExpectVector(const C3DObject::SVector& v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}
} // namespace

TEST_F(ModelFile, FrameCountZeroIsOneFrameAndReadsNoFramesBlock)
{
    ModelLayout layout = CubeLayout(2.0f);
    // Bytes after the groups that a frames block would take are not read.
    layout.frames.push_back(CubePose(9.0f, {0, 0, 0}));
    C3DObject model;
    ASSERT_TRUE(model.Load(Write(layout).c_str(), 1));
    EXPECT_EQ(model.frameCount, 1);
    EXPECT_EQ(model.vertexCount, 32);
    EXPECT_EQ(model.faceCount, 12);
    ExpectVector(model.frames[0].positions[7], 2, 2, 2);
    ExpectVector(model.frames[0].normals[8], 1, 0, 0);
    EXPECT_EQ(model.faces[1].c, 11);
    EXPECT_FLOAT_EQ(model.faces[1].uv[2][1], 1.0f);
}

TEST_F(ModelFile, FramesBlockReplacesFrameZeroButBoxesAndExtentsKeepTheBasePose)
{
    ModelLayout layout = CubeLayout(2.0f, 3);  // frame f moved by 8 f on x
    layout.frames[0] = CubePose(2.0f, {-30, 0, 0});
    C3DObject model;
    ASSERT_TRUE(model.Load(Write(layout).c_str(), 0));
    ASSERT_EQ(model.frameCount, 3);
    ExpectVector(model.frames[0].positions[0], -32, -2, -2);
    ExpectVector(model.frames[2].positions[7], 18, 2, 2);
    ExpectVector(model.transformed[0], -2, -2, -2);
    ExpectVector({model.extents[0], model.extents[1], model.extents[2]}, 2, 2, 2);
    ExpectVector({model.groups[0].boxMin[0], model.groups[0].boxMin[1], model.groups[0].boxMin[2]}, -2, -2, -2);
    // The scaled extents come from frame 0 as it is now.
    model.Scale(2.0f);
    ExpectVector({model.extents[0], model.extents[1], model.extents[2]}, 64, 4, 4);
    ExpectVector(model.frames[1].positions[7], 20, 4, 4);
    ExpectVector({model.groups[0].boxMax[0], model.groups[0].boxMax[1], model.groups[0].boxMax[2]}, 4, 4, 4);
    ExpectVector(model.transformed[0], -2, -2, -2);
}

TEST_F(ModelFile, PartBoxesAreTrueBoundsOnTheNegativeSide)
{
    ModelLayout layout = CubeLayout(1.0f);
    for (ModelVertex& v : layout.base)
    {
        v[0] -= 10.0f;  // x from -11 to -9
        v[1] += 5.0f;   // y from 4 to 6
    }
    layout.groups.push_back(layout.groups[0]);
    C3DObject model;
    ASSERT_TRUE(model.Load(Write(layout).c_str(), 0));
    float extents[3];
    EXPECT_FLOAT_EQ(model.GetExtents(0, extents), std::sqrt(11.0f * 11.0f + 6.0f * 6.0f + 1.0f));
    CModelRecord record;
    ASSERT_TRUE(record.object.Load(Write(layout).c_str(), 0));
    EXPECT_EQ(record.GetPartCount(), 2);
    float low[3], high[3];
    ASSERT_TRUE(record.GetPartBox(1, low, high));
    ExpectVector({low[0], low[1], low[2]}, -11, 4, -1);
    ExpectVector({high[0], high[1], high[2]}, -9, 6, 1);
    EXPECT_FALSE(record.GetPartBox(2, low, high));
}

TEST_F(ModelFile, ReloadLogsAndReplacesEverythingEvenByAModelWithoutGroups)
{
    const int liveBefore = GlobalFunc::Get3DObjectRefs();
    CTestLog log;
    C3DObject model;
    ASSERT_TRUE(model.Load(Write(CubeLayout(1.0f, 3), "a.okm").c_str(), 4));
    ModelLayout smaller = CubeLayout(1.0f);
    smaller.groups.clear();
    const std::string second = Write(smaller, "b.okm");
    ASSERT_TRUE(model.Load(second.c_str(), 2));
    EXPECT_EQ(log.Count("#DEBUG: C3DObject ReLoaded"), 1);
    EXPECT_TRUE(log.Contains("Loading 3DObject:" + second));
    EXPECT_EQ(model.frameCount, 1);
    EXPECT_EQ(model.groupCount, 0);
    EXPECT_TRUE(model.groups.empty());
    EXPECT_EQ(model.textureCount, 2);
    int32_t topLeft[2], bottomRight[2];
    EXPECT_FALSE(model.GetGroupScreenRect(0, 0, 100, 0, topLeft, bottomRight));
    model.Release();
    model.Release();
    EXPECT_EQ(model.vertexCount, 0);
    EXPECT_EQ(GlobalFunc::Get3DObjectRefs(), liveBefore + 1);
}

TEST_F(ModelFile, MissingFileIsLoggedAndLeavesAnEmptyModelWithItsTextures)
{
    CTestLog log;
    C3DObject model;
    EXPECT_FALSE(model.Load((m_Folder / "none.okm").c_str(), 3));
    EXPECT_TRUE(log.Contains("Object file not found"));
    EXPECT_TRUE(model.IsEmpty());
    EXPECT_EQ(model.textureCount, 3);
    EXPECT_FALSE(model.LoadTexture(3, "x.tga"));
    EXPECT_TRUE(log.Contains("Model texture number out of range: 3"));
}

TEST_F(ModelFile, DamagedFilesAreRefusedWhole)
{
    const struct Case
    {
        const char* name;
        void (*damage)(ModelLayout&);
        const char* reason;
    } cases[] = {
        {"negative vertices", [](ModelLayout& m) { m.vertexField = -1000; }, "negative count"},
        {"negative faces", [](ModelLayout& m) { m.faceField = -5; }, "negative count"},
        {"negative frames", [](ModelLayout& m) { m.frameField = -2; }, "negative count"},
        {"face count beyond the file", [](ModelLayout& m) { m.faceField = 13; }, "file shorter than its counts"},
        {"huge vertex count", [](ModelLayout& m) { m.vertexField = 0x7FFFFFFF; }, "file shorter than its counts"},
        {"frames block missing", [](ModelLayout& m) { m.frameField = 2; }, "file shorter than its counts"},
        {"too many frames", [](ModelLayout& m) { m.vertexField = 0; m.faceField = 0; m.groupField = 0;
                                                  m.frameField = 100000; }, "too many frames"},
        {"face index = V", [](ModelLayout& m) { m.faces[3].b = 32; }, "face vertex out of range"},
        {"face index negative", [](ModelLayout& m) { m.faces[0].a = -1; }, "face vertex out of range"},
        {"texture number", [](ModelLayout& m) { m.faces[5].texture = 2; }, "texture number out of range"},
        {"corners apart", [](ModelLayout& m) { m.groups[0].corners[5] = 6; }, "group corners not consecutive"},
        {"corners past V", [](ModelLayout& m) { for (int k = 0; k < 8; ++k) m.groups[0].corners[k] = 30 + k; },
         "group corner out of range"},
        {"box face elsewhere", [](ModelLayout& m) { m.groups[0].quads[2][1] = 9; },
         "group face names a vertex that is not its corner"},
        {"position not a number", [](ModelLayout& m) { m.base[4][1] = std::numeric_limits<float>::quiet_NaN(); },
         "vertex not a finite number"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ModelLayout layout = CubeLayout(1.0f);
        c.damage(layout);
        const std::string path = Write(layout);
        CTestLog log;
        C3DObject model;
        ASSERT_TRUE(model.Load(Write(CubeLayout(1.0f), "good.okm").c_str(), 2));
        EXPECT_FALSE(model.Load(path.c_str(), 2));
        EXPECT_TRUE(log.Contains("Damaged model file: " + path + " (" + c.reason + ")"));
        EXPECT_TRUE(model.IsEmpty());
        EXPECT_EQ(model.frameCount, 0);
        EXPECT_TRUE(model.groups.empty());
        EXPECT_EQ(model.textureCount, 2);
    }
    // A file cut anywhere is refused.
    const std::vector<uint8_t> whole = BuildModel(CubeLayout(1.0f, 2));
    for (size_t size : {size_t(0), size_t(23), size_t(24 + 32 * 24), whole.size() - 1})
    {
        C3DObject model;
        EXPECT_FALSE(model.LoadFromMemory(whole.data(), size, "cut.okm", 1)) << size;
    }
}
