// The vertex batch: vertices scaled from the virtual screen and the world,
// its capacity, and what each kind of draw puts on the device.

#include <bit>

#include "tests/media/GUIDevice.h"
#include "tests/support/TestLog.h"

namespace
{
constexpr uint32_t Red = 0xFFFF0000;
constexpr uint32_t Green = 0xFF00FF00;

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }
} // namespace

using VXBufferDraw = MediaDevice;

TEST_F(VXBufferDraw, VerticesAreScaledFromTheVirtualScreenOrTheWorldAndDroppedPastTheCapacity)
{
    g_Config.screenWidth = 800;
    g_Config.screenHeight = 600;
    CVXBuffer batch;
    batch.Init(4);
    batch.Begin2d(CVXBuffer::TriangleList);
    batch.Add2dVertex(512, 384, 0x11223344, 0.25f, 0.75f);
    batch.Add2dVertexScreen(512, 384, 0, 0, 0);
    batch.Add2dVertexFwd(Bits(1024.0f), Bits(768.0f), 7, Bits(1.0f), Bits(0.5f));
    const SVertex2D* v2 = batch.vertices2d;
    EXPECT_EQ((std::vector<float>{v2[0].x, v2[0].y, v2[0].rhw, v2[0].v, v2[1].x, v2[2].y, v2[2].v}),
              (std::vector<float>{400, 300, 1, 0.75f, 512, 600, 0.5f}));
    // World units times 0.02; the plain and dual arrays share one count.
    batch.Begin3d(CVXBuffer::TriangleList);
    batch.Add3dVertex(100, -50, 25, 0xAABBCCDD, 0.5f, 1.0f);
    batch.AddScaledVertex(10, 20, 30, 1, 0.1f, 0.2f, 0.3f, 0.4f);
    batch.Add3dVertexRaw(Bits(200.0f), 0, 0, 5, 0, Bits(2.0f));
    batch.AddScaledVertexFwd(50, 0, 0, 2, 0, 0, 0, 9.0f);
    ASSERT_EQ(batch.count3d, 4);
    const SVertex3D* v3 = batch.vertices3d;
    const auto* dual = batch.vertices3dDual;
    const std::vector<float> got = {v3[0].x, v3[0].y, v3[0].z, dual[1].z, dual[1].t, v3[2].x, v3[2].v, dual[3].x,
                                    dual[3].t};
    const std::vector<float> expected = {2, -1, 0.5f, 0.6f, 0.4f, 4, 2, 1, 9};
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_FLOAT_EQ(got[i], expected[i]) << i;

    CTestLog log;
    batch.Begin2d(CVXBuffer::TriangleFan);
    for (int i = 0; i < 6; ++i)
        batch.Add2dVertexScreen(float(i), 0, 0, 0, 0);
    EXPECT_TRUE(batch.count2d == 4 && batch.vertices2d[3].x == 3.0f &&
                log.Count("#DEBUG: Vertex buffer full, vertices dropped") == 1);
    CVXBuffer empty;
    empty.Add3dVertex(1, 2, 3, 0, 0, 0);
    empty.AddScaledVertex(1, 2, 3, 0, 0, 0, 0, 0);
    EXPECT_EQ(empty.count3d, 0);
}

TEST_F(VXBufferDraw, EachKindOfDrawCountsItsWholePrimitivesOnThePixelsNamed)
{
    // A screen fan of four is two triangles.
    g_VXBuffer.primitivesDrawn = 5;
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    for (const auto& [x, y] : {std::pair{4, 4}, {8, 4}, {8, 6}, {4, 6}})
        g_VXBuffer.Add2dVertex(float(x), float(y), Red, 0, 0);
    g_VXBuffer.Show2d();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 7);
    ReadBack();
    EXPECT_EQ((std::vector<uint32_t>{Pixel(4, 4), Pixel(7, 5), Pixel(8, 5), Pixel(5, 6)}),
              (std::vector<uint32_t>{0xFF0000, 0xFF0000, Background, Background}));

    // +-50 world units are the view's edge with identity transforms: two triangles cover the screen, the
    // seventh vertex is left; fans of seven vertices are five triangles in each array; strips add none.
    g_VXBuffer.primitivesDrawn = 0;
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (const auto& [x, y] : {std::pair{-50, 50}, {50, 50}, {50, -50}, {-50, 50}, {50, -50}, {-50, -50}, {0, 0}})
        g_VXBuffer.Add3dVertex(float(x), float(y), 25, Green, 0, 0);
    g_VXBuffer.Show3d();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 2);
    ReadBack();
    EXPECT_TRUE(Pixel(1, 1) == 0x00FF00u && Pixel(62, 62) == 0x00FF00u);
    g_VXBuffer.Show3dFan();
    g_VXBuffer.Show3dDualFan();
    g_VXBuffer.Show3dLineStrip();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 12);

    // Fewer vertices than one primitive draw nothing.
    Clear(Background);
    g_VXBuffer.primitivesDrawn = 0;
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    for (const float x : {4.0f, 8.0f})
        g_VXBuffer.Add2dVertex(x, 4, Red, 0, 0);
    g_VXBuffer.Show2d();
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (const float x : {4.0f, 8.0f})
        g_VXBuffer.Add3dVertex(x, 0, 0, Red, 0, 0);
    g_VXBuffer.Show3d();
    g_VXBuffer.Show3dDualFan();
    g_VXBuffer.Begin3d(CVXBuffer::LineStrip);
    g_VXBuffer.Show3dLines();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 0);
    ReadBack();
    EXPECT_EQ(Pixel(4, 4), Background);
}
