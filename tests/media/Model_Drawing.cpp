// Models drawn on the real device through both paths and read back: the
// hardware path and the CPU path give the same image, lighting, fade and
// damage tint reach the pixels, and what must draw nothing draws nothing.
// The view is the game's: x 1.4 and y 1.6 over the depth, the camera at the
// origin looking along +z, the near plane at depth 50; a cube of half side
// 32 at depth 120 fills about half of the 64 x 64 back buffer, its side
// facing the camera on the centre.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/C_3DObject.h"
#include "tests/media/MediaDevice.h"
#include "tests/media/ModelBytes.h"
#include "tests/support/TestLog.h"

namespace
{
constexpr float Depth = 120.0f;
constexpr float Identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
constexpr int Centre = 32;  // the middle of the 64 x 64 back buffer

bool Near(uint32_t a, uint32_t b, int tolerance = 2)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

void Heading(float degrees, float (&r)[9])
{
    const float a = degrees * 3.14159265f / 180.0f;
    const float m[9] = {std::cos(a), 0, -std::sin(a), 0, 1, 0, std::sin(a), 0, std::cos(a)};
    std::copy(m, m + 9, r);
}
} // namespace

class ModelDrawing : public MediaDevice
{
protected:
    void SetUp() override
    {
        MediaDevice::SetUp();
        m_SavedHwTnL = g_Config.hardwareTnL;
        m_SavedDamage = g_Config.unitDamage;
        Sys3DMatrix projection;
        projection.m[0][0] = 1.4f;
        projection.m[1][1] = 1.6f;
        projection.m[2][2] = 1.0f;
        projection.m[2][3] = 1.0f;
        projection.m[3][2] = -1.0f;
        Device().SetTransform(Sys3DTransform::Projection, projection);
    }
    void TearDown() override
    {
        g_Config.hardwareTnL = m_SavedHwTnL;
        g_Config.unitDamage = m_SavedDamage;
        MediaDevice::TearDown();
    }

    // A cube model with a 2 x 2 texture of the given texels (top row first).
    void LoadCube(C3DObject& model, int frames, std::vector<uint32_t> texels)
    {
        g_Config.hardwareTnL = 1;
        const std::vector<uint8_t> bytes = BuildModel(CubeLayout(32.0f, frames));
        ASSERT_TRUE(model.LoadFromMemory(bytes.data(), bytes.size(), "cube.okm", 1));
        ASSERT_TRUE(model.SetTextureFromMem(0, 2, 2, texels.data()));
    }

    // One draw through the chosen path; the back buffer afterwards.
    std::vector<uint32_t> Draw(C3DObject& model, bool hardware, int frame, const float (&r)[9])
    {
        Clear(Background);
        g_Config.hardwareTnL = hardware ? 1 : 0;
        if (hardware)
        {
            model.SetHWTNLTransform(frame, 0, 0, Depth, r, Identity);
            model.RenderVXBuffer(frame);
        }
        else
        {
            model.Transform(frame, r, Identity);
            model.Render(0, 0, Depth);
        }
        std::vector<uint32_t> pixels;
        int32_t w = 0, h = 0;
        Device().ReadBackBuffer(pixels, w, h);
        return pixels;
    }

    uint8_t m_SavedHwTnL = 0;
    uint8_t m_SavedDamage = 0;
};

TEST_F(ModelDrawing, HardwareAndCpuPathsDrawTheSamePixels)
{
    C3DObject model;
    LoadCube(model, 3, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
    for (float heading : {0.0f, 30.0f, 135.0f, 250.0f})
    {
        for (int frame = 0; frame < 3; ++frame)
        {
            SCOPED_TRACE(testing::Message() << "heading " << heading << " frame " << frame);
            float r[9];
            Heading(heading, r);
            const std::vector<uint32_t> hardware = Draw(model, true, frame, r);
            const std::vector<uint32_t> cpu = Draw(model, false, frame, r);
            int differing = 0, drawn = 0;
            for (size_t i = 0; i < hardware.size(); ++i)
            {
                differing += Near(hardware[i], cpu[i]) ? 0 : 1;
                drawn += hardware[i] != Background ? 1 : 0;
            }
            EXPECT_EQ(differing, 0);
            EXPECT_GT(drawn, 400);
        }
    }
}

TEST_F(ModelDrawing, LightBrightnessAndDamageTintReachThePixels)
{
    // The light travels along lightDir; the face toward the camera has the
    // normal (0, 0, -1): lit fully (entry 256, white) by a light travelling
    // along +z, entry 96 by one travelling toward the camera, 48 at half
    // brightness; the index stays inside the table at any brightness.  The
    // damage tint (stride 1: every vertex) clears the top bits of green and
    // blue, only with the setting on.
    const struct Case
    {
        float lightZ, brightness;
        int stride;
        uint8_t damageSetting;
        uint32_t expected;
    } cases[] = {{1, 1.0f, 0, 1, 0xFFFFFF},  {-1, 1.0f, 0, 1, 0x606060}, {-1, 0.5f, 0, 1, 0x303030},
                 {1, 3.0f, 0, 1, 0xFFFFFF},  {1, -1.0f, 0, 1, 0x000000}, {1, 0.4f, 0, 1, 0x666666},
                 {1, 1.0f, 1, 1, 0xFF1F1F},  {1, 1.0f, 1, 0, 0xFFFFFF}};
    C3DObject model;
    LoadCube(model, 1, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    for (bool hardware : {true, false})
    {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(testing::Message() << (hardware ? "hardware " : "cpu ") << c.lightZ << " " << c.brightness
                                            << " stride " << c.stride << " setting " << int(c.damageSetting));
            model.lightDir[2] = c.lightZ;
            model.brightness = c.brightness;
            model.damageStride = c.stride;
            g_Config.unitDamage = c.damageSetting;
            const std::vector<uint32_t> pixels = Draw(model, hardware, 0, Identity);
            EXPECT_TRUE(Near(pixels[Centre * Side + Centre], c.expected)) << std::hex << pixels[Centre * Side + Centre];
            EXPECT_EQ(model.brightness, 1.0f);
        }
    }
    // Stride 3 tints vertices 0, 3, 6, ... of the untinted light.
    model.damageStride = 0;
    model.Transform(0, Identity, Identity);
    const std::vector<uint32_t> untinted = model.colours;
    model.damageStride = 3;
    g_Config.unitDamage = 1;
    model.Transform(0, Identity, Identity);
    for (size_t i = 0; i < untinted.size(); ++i)
        EXPECT_EQ(model.colours[i], i % 3 == 0 ? untinted[i] & 0xFFFF1F1Fu : untinted[i]) << i;
}

TEST_F(ModelDrawing, FadeBlendsWithWhatIsBehindAndRestoresTheStates)
{
    C3DObject model;
    LoadCube(model, 1, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    model.objectAlpha = 128;
    for (bool hardware : {true, false})
    {
        // 255 x 128/255 + 0x40 x 127/255 = 159.9
        const std::vector<uint32_t> pixels = Draw(model, hardware, 0, Identity);
        EXPECT_TRUE(Near(pixels[Centre * Side + Centre], 0xA0A0A0)) << std::hex << pixels[Centre * Side + Centre];
        EXPECT_EQ(RenderState(Sys3DRenderState::AlphaBlendEnable), 0u);
        EXPECT_EQ(RenderState(Sys3DRenderState::AlphaRef), 32u);
        EXPECT_EQ(StageState(Sys3DStageState::AlphaOp), uint32_t(Sys3DTextureOp::SelectArg1));
        EXPECT_EQ(StageState(Sys3DStageState::AlphaArg2), uint32_t(Sys3DTextureArg::Diffuse));
        Sys3DMatrix world;
        Device().GetTransform(Sys3DTransform::World, world);
        const Sys3DMatrix identity = Sys3DMatrix::Identity();
        EXPECT_EQ(std::memcmp(&world, &identity, sizeof world), 0);
    }
    // The lit hardware transform carries the fade in every vertex's alpha.
    void* locked = nullptr;
    ASSERT_EQ(model.vertexBuffer->Lock(0, 0, locked), Sys3DError::Ok);
    const SVertex3D* vertices = static_cast<const SVertex3D*>(locked);
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(vertices[i].colour >> 24, 0x80u) << i;
    model.vertexBuffer->Unlock();
}

TEST_F(ModelDrawing, VertexBufferHoldsEveryFrameAndFollowsScale)
{
    C3DObject model;
    LoadCube(model, 3, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    ASSERT_EQ(model.vertexBuffer->GetSize(), 3u * 12u * 3u * 24u);
    model.Scale(2.0f);
    void* locked = nullptr;
    ASSERT_EQ(model.vertexBuffer->Lock(0, 0, locked), Sys3DError::Ok);
    const SVertex3D* vertices = static_cast<const SVertex3D*>(locked);
    // Frame 2 starts at vertex 3 x 12 x 2 = 72; face 0 there is (8, 9, 10),
    // the +x side; corner a is corner 1 of the cube (32, -32, -32) moved by
    // 16 on x, doubled, x 0.02.
    const SVertex3D& v = vertices[72];
    EXPECT_FLOAT_EQ(v.x, 96 * 0.02f);
    EXPECT_FLOAT_EQ(v.y, -64 * 0.02f);
    EXPECT_FLOAT_EQ(v.z, -64 * 0.02f);
    EXPECT_EQ(v.colour, 0xFFFFFFu);
    EXPECT_EQ(vertices[74].u, 1.0f);
    EXPECT_EQ(vertices[74].v, 1.0f);
    model.vertexBuffer->Unlock();
}

TEST_F(ModelDrawing, MissingModelsAndFramesBeyondTheModelDrawNothing)
{
    CTestLog log;
    g_Config.hardwareTnL = 1;
    C3DObject missing;
    EXPECT_FALSE(missing.Load("/nowhere/none.okm", 1));
    EXPECT_EQ(missing.vertexBuffer, nullptr);
    C3DObject cube;
    LoadCube(cube, 3, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    for (bool hardware : {true, false})
    {
        for (const std::vector<uint32_t>& pixels :
             {Draw(missing, hardware, 0, Identity), Draw(cube, hardware, 3, Identity), Draw(cube, hardware, -1, Identity)})
        {
            for (uint32_t pixel : pixels)
                ASSERT_EQ(pixel, Background);
        }
    }
    int frameLines = 0;
    for (const std::string& line : log.Lines())
        frameLines += line.rfind("Model frame out of range, not drawn: ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(frameLines, 1);
}

TEST_F(ModelDrawing, CpuPathDrawsModelsOfMoreThan4096FacesInChunks)
{
    // 4096 copies of a small triangle on the left, then a quad on the right
    // that only a second batch can carry.  Corners turn so that the faces
    // look at the camera.
    ModelLayout layout;
    for (const auto& p : {std::array<float, 2>{-12, 0}, {-12, 2}, {-10, 2}, {5, -10}, {5, 10}, {20, 10}, {20, -10}})
        layout.base.push_back({p[0], p[1], 0, 0, 0, -1});
    for (int i = 0; i < 4096; ++i)
        layout.faces.push_back({0, 1, 2, {0, 0, 0, 0, 0, 0}});
    layout.faces.push_back({3, 4, 5, {0, 0, 0, 0, 0, 0}});
    layout.faces.push_back({3, 5, 6, {0, 0, 0, 0, 0, 0}});
    g_Config.hardwareTnL = 0;
    C3DObject model;
    const std::vector<uint8_t> bytes = BuildModel(layout);
    ASSERT_TRUE(model.LoadFromMemory(bytes.data(), bytes.size(), "many.okm", 0));
    const int32_t before = g_VXBuffer.primitivesDrawn;
    model.Transform(0, Identity, Identity);
    model.Render(0, 0, 60.0f);  // the quad then covers pixels 36 to 47
    EXPECT_EQ(g_VXBuffer.primitivesDrawn - before, 4098);
    EXPECT_EQ(Pixel(42, Centre), 0xFFFFFFu);
    EXPECT_EQ(Pixel(20, Centre), Background);
}
