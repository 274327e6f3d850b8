#include <gtest/gtest.h>

#include <bit>

#include "media/C_Texture.h"
#include "media/C_VXBuffer.h"
#include "tests/media/MediaDevice.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
// Keeps the configured resolution of a test and a batch of its own.
class ScopedScreen
{
public:
    ScopedScreen(int w, int h) : m_W(g_Config.screenWidth), m_H(g_Config.screenHeight)
    {
        g_Config.screenWidth = w;
        g_Config.screenHeight = h;
    }
    ~ScopedScreen()
    {
        g_Config.screenWidth = m_W;
        g_Config.screenHeight = m_H;
    }

private:
    int m_W, m_H;
};

constexpr uint32_t Red = 0xFFFF0000;
constexpr uint32_t Green = 0xFF00FF00;
} // namespace

TEST(VXBuffer, ScreenVerticesAreScaledFromTheVirtualScreen)
{
    ScopedScreen screen(800, 600);
    CVXBuffer batch;
    batch.Init(16);
    batch.Begin2d(CVXBuffer::TriangleList);
    batch.Add2dVertex(512, 384, 0x11223344, 0.25f, 0.75f);
    batch.Add2dVertexScreen(512, 384, 0, 0, 0);
    batch.Add2dVertexFwd(std::bit_cast<uint32_t>(1024.0f), std::bit_cast<uint32_t>(768.0f), 7,
                         std::bit_cast<uint32_t>(1.0f), std::bit_cast<uint32_t>(0.5f));
    ASSERT_EQ(batch.count2d, 3);
    const SVertex2D& v = batch.vertices2d[0];
    EXPECT_FLOAT_EQ(v.x, 400.0f);
    EXPECT_FLOAT_EQ(v.y, 300.0f);
    EXPECT_EQ(v.rhw, 1.0f);
    EXPECT_EQ(v.v, 0.75f);
    EXPECT_EQ(batch.vertices2d[1].x, 512.0f);
    EXPECT_FLOAT_EQ(batch.vertices2d[2].y, 600.0f);
    EXPECT_EQ(batch.vertices2d[2].v, 0.5f);
}

TEST(VXBuffer, WorldVerticesAreScaledAndBothArraysShareOneCount)
{
    CVXBuffer batch;
    batch.Init(16);
    batch.Begin3d(CVXBuffer::TriangleList);
    batch.Add3dVertex(100, -50, 25, 0xAABBCCDD, 0.5f, 1.0f);
    batch.AddScaledVertex(10, 20, 30, 1, 0.1f, 0.2f, 0.3f, 0.4f);
    batch.Add3dVertexRaw(std::bit_cast<uint32_t>(200.0f), 0, 0, 5, 0, std::bit_cast<uint32_t>(2.0f));
    batch.AddScaledVertexFwd(50, 0, 0, 2, 0, 0, 0, 9.0f);
    ASSERT_EQ(batch.count3d, 4);
    EXPECT_FLOAT_EQ(batch.vertices3d[0].x, 2.0f);
    EXPECT_FLOAT_EQ(batch.vertices3d[0].y, -1.0f);
    EXPECT_FLOAT_EQ(batch.vertices3d[0].z, 0.5f);
    EXPECT_FLOAT_EQ(batch.vertices3dDual[1].z, 0.6f);
    EXPECT_EQ(batch.vertices3dDual[1].t, 0.4f);
    EXPECT_FLOAT_EQ(batch.vertices3d[2].x, 4.0f);
    EXPECT_EQ(batch.vertices3d[2].v, 2.0f);
    EXPECT_FLOAT_EQ(batch.vertices3dDual[3].x, 1.0f);
    EXPECT_EQ(batch.vertices3dDual[3].t, 9.0f);
}

TEST(VXBuffer, AddsPastTheCapacityAreDroppedAndReportedOnce)
{
    CTestLog log;
    CVXBuffer batch;
    batch.Init(4);
    batch.Begin2d(CVXBuffer::TriangleFan);
    for (int i = 0; i < 6; ++i)
        batch.Add2dVertexScreen(float(i), 0, 0, 0, 0);
    EXPECT_EQ(batch.count2d, 4);
    EXPECT_EQ(batch.vertices2d[3].x, 3.0f);
    int reports = 0;
    for (const std::string& line : log.Lines())
        reports += line == "#DEBUG: Vertex buffer full, vertices dropped";
    EXPECT_EQ(reports, 1);

    CVXBuffer empty;
    empty.Add3dVertex(1, 2, 3, 0, 0, 0);
    empty.AddScaledVertex(1, 2, 3, 0, 0, 0, 0, 0);
    EXPECT_EQ(empty.count3d, 0);
}

using VXBufferDraw = MediaDevice;

TEST_F(VXBufferDraw, ScreenFanOfFourIsTwoTrianglesOnThePixelsNamed)
{
    g_VXBuffer.primitivesDrawn = 5;
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    g_VXBuffer.Add2dVertex(4, 4, Red, 0, 0);
    g_VXBuffer.Add2dVertex(8, 4, Red, 0, 0);
    g_VXBuffer.Add2dVertex(8, 6, Red, 0, 0);
    g_VXBuffer.Add2dVertex(4, 6, Red, 0, 0);
    g_VXBuffer.Show2d();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 7);
    EXPECT_EQ(g_VXBuffer.count2d, 4);
    EXPECT_EQ(Pixel(4, 4), 0xFF0000u);
    EXPECT_EQ(Pixel(7, 5), 0xFF0000u);
    EXPECT_EQ(Pixel(8, 5), Background);
    EXPECT_EQ(Pixel(5, 6), Background);
}

TEST_F(VXBufferDraw, WorldTriangleListDrawsWholeTrianglesOnly)
{
    // World units times 0.02: +-50 is the edge of the view with identity
    // transforms.  Two triangles cover the screen; the seventh vertex is left.
    const float corners[7][2] = {{-50, 50}, {50, 50}, {50, -50}, {-50, 50}, {50, -50}, {-50, -50}, {0, 0}};
    g_VXBuffer.primitivesDrawn = 0;
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (const auto& c : corners)
        g_VXBuffer.Add3dVertex(c[0], c[1], 25, Green, 0, 0);
    g_VXBuffer.Show3d();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 2);
    EXPECT_EQ(Pixel(1, 1), 0x00FF00u);
    EXPECT_EQ(Pixel(62, 62), 0x00FF00u);

    // Fans of seven vertices are five triangles, in either array.
    g_VXBuffer.Show3dFan();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 7);
    g_VXBuffer.Show3dDualFan();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 12);
    g_VXBuffer.Show3dLineStrip();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 12);
}

TEST_F(VXBufferDraw, LinesClearTheTextureAndAddNoTriangles)
{
    CTexture texture;
    texture.format = CTexture::FormatX8R8G8B8;
    texture.singleLevel = 1;
    uint32_t blue = 0x0000FF;
    ASSERT_TRUE(texture.Create(1, 1));
    texture.SetImageFromMem(1, 1, &blue);
    texture.SetAsCurrent(0);

    g_VXBuffer.primitivesDrawn = 0;
    g_VXBuffer.Begin2d(CVXBuffer::LineStrip);
    g_VXBuffer.Add2dVertex(2, 10, Green, 0, 0);
    g_VXBuffer.Add2dVertex(12, 10, Green, 0, 0);
    g_VXBuffer.Show2dLines();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 0);
    EXPECT_EQ(Pixel(2, 10), 0x00FF00u);
    EXPECT_EQ(Pixel(11, 10), 0x00FF00u);

    // The stage stays empty: a quad now shows its vertex colour, not blue.
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    g_VXBuffer.Add2dVertex(20, 20, Red, 0, 0);
    g_VXBuffer.Add2dVertex(24, 20, Red, 1, 0);
    g_VXBuffer.Add2dVertex(24, 24, Red, 1, 1);
    g_VXBuffer.Add2dVertex(20, 24, Red, 0, 1);
    g_VXBuffer.Show2d();
    EXPECT_EQ(Pixel(21, 21), 0xFF0000u);
}

TEST_F(VXBufferDraw, FewerVerticesThanOnePrimitiveDrawNothing)
{
    g_VXBuffer.primitivesDrawn = 0;
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    g_VXBuffer.Add2dVertex(4, 4, Red, 0, 0);
    g_VXBuffer.Add2dVertex(8, 4, Red, 0, 0);
    g_VXBuffer.Show2d();
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    g_VXBuffer.Add3dVertex(0, 0, 0, Red, 0, 0);
    g_VXBuffer.Add3dVertex(0, 0, 0, Red, 0, 0);
    g_VXBuffer.Show3d();
    g_VXBuffer.Show3dDualFan();
    g_VXBuffer.Begin3d(CVXBuffer::LineStrip);
    g_VXBuffer.Show3dLines();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 0);
    EXPECT_EQ(Pixel(4, 4), Background);
}
