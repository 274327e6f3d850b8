#include "tests/core/Core_Support.h"

#include <cmath>
#include <cstring>
#include <filesystem>

#include "core/C_Ctrl.h"
#include "core/GlobalFunc.h"
#include "core/IFontMeasure.h"
#include "frontend/C_Campaign.h"

namespace
{
using GlobalFuncNumbers = ConfigTestBase;

TEST_F(GlobalFuncNumbers, RandomDistancesAnglesArcSinAndInverseLerpWithTheirReportsOutsideTheirRange)
{
    GlobalFunc::SeedRandom(1);
    EXPECT_TRUE(GlobalFunc::Random(0) == 0 && GlobalFunc::Random(-7) == 0);
    // The refused calls drew nothing from the generator; a range of 1 draws, gives 0 and is no refusal.
    for (const auto& [n, value] : {std::pair{32768, 41}, {1, 0}, {32768, 6334}, {32768, 26500}, {32768, 19169}})
        EXPECT_EQ(GlobalFunc::Random(n), value);
    GlobalFunc::SeedRandom(12345);
    for (int value : {84, 64, 95, 25, 28}) EXPECT_EQ(GlobalFunc::Random(100), value);
    EXPECT_EQ(LogLines().size(), 6u);   // a breakpoint report for each refusal
    m_Log.Clear();
    EXPECT_TRUE(GlobalFunc::Distance(0, 0, 3, 4) == 50 && GlobalFunc::Distance(0, 0, 1, 1) == 14 &&
                GlobalFunc::GetDistance(1, 1, 4, 5) == 50 && GlobalFunc::Distance(0, 0, 1, 0) == 10 &&
                GlobalFunc::Distance(3, 4, 0, 0) == 50 && GlobalFunc::Distance(5, 5, 5, 5) == 0);
    // sqrt(2 * 100000^2) * 10 = 1414213.56...: no overflow on the way.
    EXPECT_EQ(GlobalFunc::Distance(0, 0, 100000, 100000), 1414213);
    EXPECT_FLOAT_EQ(GlobalFunc::DistanceF(0.0f, 0.0f, 3.0f, 4.0f), 50.0f);

    // 4,4 to 4,4 is no vector at all.  Diagonals: atan(1) x 57.29747 = 45.00133, the factor a little above 180 / pi.
    const struct { float x, y, toX, toY, angle; } angles[] = {
        {0, -1, 0, 0, 0.0f}, {-1, 0, 0, 0, 90.0f},       {0, 1, 0, 0, 180.0f},       {1, 0, 0, 0, 270.0f},
        {4, 4, 4, 4, 90.0f}, {1, 1, 0, 0, 225.00133f}, {1, -1, 0, 0, 314.99867f}, {1e-8f, -1, 0, 0, 0.0f}};
    for (const auto& a : angles)
        EXPECT_NEAR(GlobalFunc::GetAngle(a.x, a.y, a.toX, a.toY), a.angle, 1e-4f) << a.x << "," << a.y;
    EXPECT_TRUE(GlobalFunc::AnglesClose(350.0f, 10.0f, 20.0f) && !GlobalFunc::AnglesClose(350.0f, 10.0f, 19.9f) &&
                GlobalFunc::AnglesClose(-10.0f, 370.0f, 20.0f));
    // Angles that no loop of 360-degree steps would bring home end at once.
    GlobalFunc::AnglesClose(1.0e30f, 0.0f, 1.0f);
    EXPECT_FALSE(GlobalFunc::AnglesClose(std::numeric_limits<float>::infinity(), 0.0f, 1.0f));
    EXPECT_NEAR(GlobalFunc::ArcSin(0.5f), 0.5235988f, 1e-6f);
    EXPECT_TRUE(GlobalFunc::ArcSin(1.0f) == 0.0f && GlobalFunc::InverseLerp(2.0f, 4.0f, 6.0f) == 2.0f);
    EXPECT_TRUE(LogLines().empty() && GlobalFunc::ArcSin(2.0f) == 0.0f);
    EXPECT_EQ(LogLines(), Lines{"#DEBUG: GlobalFunc::ArcSin()"});
    m_Log.Clear();
    EXPECT_FLOAT_EQ(GlobalFunc::InverseLerp(2.0f, 2.0f, 3.0f), 0.0f);
    EXPECT_EQ(LogLines(), Breakpoint(1063, "core/GlobalFunc_Levels.cpp", "#DEBUG: Invalid input parameters"));
}

TEST_F(GlobalFuncNumbers, ColoursVolumesAndPans)
{
    EXPECT_TRUE(GlobalFunc::ScaleColor(0x00FF8040, 128) == 0x00804020u &&
                GlobalFunc::ScaleColor(0x00FFFFFF, 300) == 0x00FFFFFFu && GlobalFunc::ScaleColor(0x00FFFFFF, -5) == 0u);
    // Hundredths of a decibel.
    const std::pair<int, int> volumes[] = {{-5, -10000}, {0, -10000}, {1, -3300}, {50, -1667}, {99, -34},
                                          {100, 0}, {150, 0}};
    for (const auto& [volume, attenuation] : volumes)
        EXPECT_EQ(GlobalFunc::VolumeToAttenuation(volume), attenuation) << volume;
    const std::pair<float, int> levels[] = {{-0.25f, -2500}, {3.0f, 0}, {-1.0e20f, -10000}};
    for (const auto& [level, attenuation] : levels) EXPECT_EQ(GlobalFunc::ToAttenuation(level), attenuation) << level;
    const std::pair<float, int> pans[] = {{0.5f, 5000}, {3.0f, 10000}, {-7.0f, -10000}, {std::nanf(""), 0}};
    for (const auto& [pan, value] : pans) EXPECT_EQ(GlobalFunc::ToPan(pan), value) << pan;
}

void ExpectFloats(const float* actual, std::initializer_list<float> expected, float tolerance = 1e-4f)
{
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected.begin()[i], tolerance) << "value " << i;
}

TEST(GlobalFuncGeometry, LinesPlanesRotationsMatricesVectorsAndInterpolationInATriangle)
{
    int32_t first = 1, second = 2;
    EXPECT_TRUE((GlobalFunc::Swap(first, second), first == 2) && second == 1 && GlobalFunc::Select(-3, 5, 6) == 5 &&
                GlobalFunc::Select(0, 5, 6) == 6 && GlobalFunc::Sign(-1) == -1 && GlobalFunc::Sign(0) == 0 &&
                GlobalFunc::Sign(1) == 1 &&
                GlobalFunc::SignF(-0.5f) == -1 && GlobalFunc::SignF(0.0f) == 0 && GlobalFunc::SignF(0.5f) == 1);
    // Points on the line count as left, on both sides of its first point; far-apart points do not overflow.
    EXPECT_TRUE(GlobalFunc::IsLeftOfLine(0, 0, 10, 0, 5, 0) && !GlobalFunc::IsLeftOfLine(0, 0, 10, 0, 5, -5) &&
                GlobalFunc::IsLeftOfLineF(1, 2, 4, 8, 7, 14) && GlobalFunc::IsLeftOfLineF(1, 2, 4, 8, 0, 0) &&
                !GlobalFunc::IsLeftOfLineF(1, 2, 4, 8, 3, 5) &&
                !GlobalFunc::IsLeftOfLine(-2000000000, 0, 2000000000, 0, 0, -2000000000));
    EXPECT_TRUE(GlobalFunc::PointLineDistance(0, 0, 3, 4, 4, -3) == 5.0f &&
                GlobalFunc::PointLineDistance(2, 2, 2, 2, 9, 9) == 0.0f);
    float out[3] = {}, m[9];
    ExpectFloats((GlobalFunc::RotatePoint2D(1.0f, 2.0f, 90.0f, out), out), {-2.0f, 1.0f});
    ExpectFloats((GlobalFunc::RotatePoint2D(3.0f, -2.0f, 0.0f, out), out), {3.0f, -2.0f}, 0.0f);
    // The same triangle twice, once with its first edge level and moved off the origin.
    const float w0[3] = {1, 1, 1}, w1[3] = {3, 1, 1}, w2[3] = {1, 5, 1};
    const float r0[2] = {0, 0}, r1[2] = {0, 2}, r2[2] = {2, 0}, centre[2] = {1, 1};
    const float s0[2] = {5, 7}, s1[2] = {5, 9}, s2[2] = {7, 7}, moved[2] = {6, 8};
    ExpectFloats((GlobalFunc::InterpolateInTriangle(w0, w1, w2, r0, r1, r2, centre, out), out), {2.0f, 3.0f, 1.0f});
    ExpectFloats((GlobalFunc::InterpolateInTriangle(w0, w2, w1, s0, s2, s1, moved, out), out), {2.0f, 3.0f, 1.0f});
    ExpectFloats((GlobalFunc::RotateVector3(0, 1, 0, 90, 0, 0, out), out), {0, 0, 1});
    // Turned about Y first to (0, 0, 1), then about X to (0, -1, 0).
    ExpectFloats((GlobalFunc::RotateVector3(1, 0, 0, 90, 90, 0, out), out), {0, -1, 0});
    ExpectFloats((GlobalFunc::RotateVector3(1, 2, 3, 0, 0, 90, out), out), {-2, 1, 3});
    ExpectFloats((GlobalFunc::BuildMatrix(0, 90, 0, m), m), {0, 0, 1, 0, 1, 0, -1, 0, 0});
    const float counting[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    ExpectFloats((GlobalFunc::TransformVector(1, 2, 3, counting, out), out), {30, 36, 42});
    ExpectFloats((GlobalFunc::SetMatrix3(1, 2, 3, 4, 5, 6, 7, 8, 9, m), m), {1, 4, 7, 2, 5, 8, 3, 6, 9}, 0.0f);
    ExpectFloats((GlobalFunc::AxisAngleMatrix(0, 0, 1, 90, m), m), {0, -1, 0, 1, 0, 0, 0, 0, 1});
    // (3, 12, 4) is 13 long and 5 long on the ground: rows 0 and 2 by hand, row 1 their cross product.
    GlobalFunc::BuildBasisFromDirection(3, 12, 4, m);
    ExpectFloats(m, {0.8f, 0, -0.6f, -36 / 65.0f, 5 / 13.0f, -48 / 65.0f, 3 / 13.0f, 12 / 13.0f, 4 / 13.0f});

    const float x[3] = {2, 0, 0}, y[3] = {0, 3, 0}, parallel[3] = {4, 0, 0}, counted[3] = {5, 7, 9};
    ExpectFloats(GlobalFunc::VectorSub(out, counted, counting), {4, 5, 6}, 0.0f);
    ExpectFloats((GlobalFunc::CrossProduct(x, y, out), out), {0, 0, 1});
    ExpectFloats((GlobalFunc::CrossProduct(x, parallel, out), out), {0, 0, 0});   // zero vectors stay zero
    float v[3] = {3, 0, 4}, zero[3] = {0, 0, 0};
    ExpectFloats((GlobalFunc::NormalizeVector(v), v), {0.6f, 0, 0.8f});
    ExpectFloats((GlobalFunc::NormalizeVector(zero), zero), {0, 0, 0});

    // A ballistic path rises towards the target height: from 2 to 8 over 8 blocks, 5 of them flown, height factor 2.
    const float start[3] = {0, 0, 0}, level[3] = {10, 0, 0}, from[3] = {1, 2, 3}, higher[3] = {1, 8, 11};
    GlobalFunc::BallisticPosition(start, level, 10, 1, 0, 90, 1, out);
    ExpectFloats(out, {10.0f, -4.905f, 0.0f}, 1e-3f);
    ExpectFloats((GlobalFunc::BallisticPosition(from, higher, 10, 0.5f, 0, 0, 2, out), out), {1, 3.2975f, 8});
}

TEST(GlobalFuncGeometry, MinimapPositionsTurnWithTheViewInQuartersAndScreenTestsKeepBothBounds)
{
    const struct { float bx, by, rotation, mapW, mapH, x, y; } cases[] = {
        {0, 0, 0, 256, 256, 129, 60},    {256, 0, 0, 256, 256, 258, 135},
        {0, 0, 44.9f, 256, 256, 129, 60}, {0, 0, 45, 256, 256, 0, 135},
        {0, 0, 134.9f, 256, 256, 0, 135}, {0, 0, 135, 256, 256, 129, 210},
        {0, 0, 224.9f, 256, 256, 129, 210}, {0, 0, 225, 256, 256, 258, 135},
        {0, 0, 314.9f, 256, 256, 258, 135}, {0, 0, 315, 256, 256, 129, 60},
        {0, 0, 180, 256, 256, 129, 210}, {128, 64, 0, 128, 64, 129, 210},
        // Each quarter's ends of the x and of the y axis.
        {0, 256, 0, 256, 256, 0, 135}, {256, 0, 90, 256, 256, 129, 60}, {0, 256, 90, 256, 256, 129, 210},
        {256, 0, 180, 256, 256, 0, 135}, {0, 256, 180, 256, 256, 258, 135}, {256, 0, 270, 256, 256, 129, 210},
        {0, 256, 270, 256, 256, 129, 60},
    };
    float out[2];
    for (const auto& c : cases)
        ExpectFloats((GlobalFunc::MapToMinimap(c.bx, c.by, c.rotation, c.mapW, c.mapH, out), out), {c.x, c.y});
    // The rectangle [10, 30) x [20, 25) of the virtual screen.
    const struct { int x, y; bool inside; } mouse[] = {
        {10, 20, true}, {29, 24, true}, {9, 20, false}, {30, 20, false}, {10, 19, false}, {10, 25, false}};
    for (const auto& m : mouse)
        EXPECT_EQ((VirtualMouseX = m.x, VirtualMouseY = m.y, GlobalFunc::IsMouseInRect(10, 20, 20, 5)), m.inside)
            << m.x << "," << m.y;
    VirtualMouseX = VirtualMouseY = 0;
    int32_t screen[2] = {-1, -1};
    GlobalFunc::ProjectToScreen(0.0f, 0.0f, 1.0f, screen);
    EXPECT_TRUE(screen[0] == 512 && screen[1] == 384);
    GlobalFunc::ProjectToScreen(1.0f, 1.0f, 0.0f, screen);   // at the eye: nothing to show
    GlobalFunc::ProjectToScreen(1.0f, 1.0f, -1.0f, screen);
    EXPECT_TRUE(screen[0] == 512 && screen[1] == 384);
}

// An 8 x 8 grid inside a buffer whose guard margins must stay untouched.
struct GuardedGrid
{
    static constexpr uint32_t Guard = 0xDEADBEEF;
    std::vector<uint32_t> buffer = std::vector<uint32_t>(64 + 2 * 64, Guard);
    GuardedGrid() { std::fill_n(Cells(), 64, 0u); }
    uint32_t* Cells() { return buffer.data() + 64; }
    int Count(uint32_t value) { return int(std::count(Cells(), Cells() + 64, value)); }
    bool MarginsIntact() { return Count(Guard) == 0 && std::count(buffer.begin(), buffer.end(), Guard) == 128; }
};

TEST(GlobalFuncGeometry, FillTriangleRowsFromTopToBottomExcludedNeverOutsideTheGrid)
{
    GuardedGrid grid;
    GlobalFunc::FillTriangle(grid.Cells(), 8, 8, 0, 0, 0, 4, 4, 0, 5);
    const int lastColumn[4] = {4, 3, 2, 1};
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(grid.Cells()[row * 8 + x], row < 4 && x <= lastColumn[row] ? 5u : 0u) << x << "," << row;
    GuardedGrid otherWinding;
    GlobalFunc::FillTriangle(otherWinding.Cells(), 8, 8, 0, 0, 4, 0, 0, 4, 5);
    EXPECT_EQ(otherWinding.Count(0), 64);

    GuardedGrid huge;
    GlobalFunc::FillTriangle(huge.Cells(), 8, 8, -1000, -1000, -1000, 3000, 3000, -1000, 9);
    EXPECT_TRUE(huge.Count(9) == 64 && huge.MarginsIntact());
    GuardedGrid far;
    GlobalFunc::FillTriangle(far.Cells(), 8, 8, INT_MIN + 1, INT_MIN + 1, INT_MIN + 1, INT_MAX, INT_MAX,
                             INT_MIN + 1, 9);
    EXPECT_TRUE(far.MarginsIntact());
    GuardedGrid row;
    GlobalFunc::FillRow(row.Cells(), 8, 8, 3, -20, 20, 4);
    GlobalFunc::FillRow(row.Cells(), 8, 8, 8, 0, 7, 4);
    GlobalFunc::FillRow(row.Cells(), 8, 8, -1, 0, 7, 4);
    EXPECT_TRUE(row.Count(4) == 8 && row.MarginsIntact());
}

// Every character is ten pixels wide.
class CFixedWidthFont : public IFontMeasure
{
public:
    int GetTextWidth(const char* text) const override { return 10 * static_cast<int>(std::strlen(text)); }
};

Lines Wrap(int width, const char* text)
{
    CFixedWidthFont font;
    CStringArray lines;
    GlobalFunc::WrapText(font, width, text, lines);
    return Texts(lines);
}

TEST(GlobalFuncText, WrapTextSplitMakeFullAndMakeSafePaths)
{
    // "aaa" + "bb" measures 50 and fits 50, although the line drawn with its blank is 60 wide.
    EXPECT_TRUE(Wrap(50, "aaa bb cc") == (Lines{"aaa bb", "cc"}) && Wrap(1000, "") == (Lines{}));
    // Only a blank and a backslash before n or N break: any other character, the GUI text's breaks too, is a letter.
    EXPECT_TRUE(Wrap(1000, "ab\\ncd\\Nef") == (Lines{"ab", "cd", "ef"}) &&
                Wrap(20, "a\\b-c/d;e\tf") == (Lines{"", "a\\b-c/d;e\tf"}));
    // An over-wide first word gets an empty line before it.
    EXPECT_EQ(Wrap(20, "abcdef gh"), (Lines{"", "abcdef", "gh"}));
    const struct { const char* path; const char* folder; const char* name; const char* extension; } cases[] = {
        {"Maps\\test.world", "Maps\\", "test", ".world"}, {"a\\b.c.d", "a\\", "b.c", ".d"},
        {"Maps.v2\\test", "Maps.v2\\", "test", ""},
    };
    for (const auto& c : cases)
    {
        CString folder, name, extension;
        GlobalFunc::SplitPath(c.path, &folder, &name, &extension);
        EXPECT_EQ(std::string(folder) + "|" + name.GetBuffer() + "|" + extension.GetBuffer(),
                  std::string(c.folder) + "|" + c.name + "|" + c.extension) << c.path;
    }

    for (const auto& [folder, path, full] : {std::tuple{"/game/", ".", "/game/"}, {"C:\\G\\", "maps", "C:\\G\\maps\\"},
                                             {"/game/", "D:\\x", "D:\\x"}, {"/game/", "/abs/dir", "/abs/dir"}})
        EXPECT_EQ(std::string(GlobalFunc::MakeFullPath(folder, path)), full) << path;

    // Versions: the bytes from the highest, the lowest left out when 0; the media block's values, padding cut.
    EXPECT_TRUE(GlobalFunc::VersionToText(0x01020300) == "1.2.3" && GlobalFunc::VersionToText(0xFF000001) == "255.0.0.1" &&
                GlobalFunc::GetGameVersionText() == "1.1.0.4");
    const std::pair<const char*, const char*> fields[] = {
        {"#MEDIAINFO#", "Ironmarch"}, {"#version#", "0x01010004"}, {"#LANGUAGE#", "English"},
        {"#MULTILANGUAGE#", "1"}, {"#LANGUAGE_4#", "Polish"}, {"#LANGUAGE_5#", ""}, {"#NONE#", ""}};
    for (const auto& [key, value] : fields) EXPECT_EQ(std::string(GlobalFunc::GetMediaInfoField(key)), value) << key;

    CString text("My:Save*01?.sav"), bytes("a\xE9/b");
    GlobalFunc::MakeSafeFileName(text), GlobalFunc::MakeSafeFileName(bytes);
    EXPECT_TRUE(std::string(text) == "My_Save_01_.sav" && std::string(bytes) == "a__b") << text << " " << bytes;
}

TEST(GlobalFuncText, ReplacementsKeepKeyBlanksAndComment)
{
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString("Hello NAME, NAME", "NAME", "Bob")), "Hello Bob, NAME");
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString("text", "", "Bob")), "text");
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString2("Wave %d of %d", "%d", -12)), "Wave -12 of %d");
    const struct { const char* line; const char* key; const char* value; const char* result; } cases[] = {
        {"GAMMA = 1.0 ; c", "GAMMA", "1.05", "GAMMA =1.05 ; c"}, {"GAMMA= ;c", "GAMMA", "1.05", "GAMMA=1.05 ;c"},
        {"  gamma=1.0", "GAMMA", "2.00", "  gamma=2.00"},         {"A=1  ", "A", "2", "A=2"},
        {"GAMMA 1.0", "GAMMA", "x", "GAMMA 1.0"},                 {"OTHER=1", "GAMMA", "x", "OTHER=1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(GlobalFunc::ReplaceConfigValue(c.line, c.key, c.value)), c.result) << c.line;
}
using GlobalFuncCampaigns = ConfigTestBase;

TEST_F(GlobalFuncCampaigns, OneRecordPerCampaignFile)
{
    Write("Campaigns/first.cmp", "x");
    Write("Campaigns/second.cmp", "y");
    GlobalFunc::LoadCampaigns();
    EXPECT_TRUE(g_CampaignCount == 2 && g_Campaigns != nullptr);
    std::filesystem::remove_all(m_Folder / "Campaigns");
    GlobalFunc::LoadCampaigns();
    EXPECT_EQ(g_CampaignCount, 0);
    FreeCampaigns();
}
} // namespace


