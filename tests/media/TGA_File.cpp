#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "media/C_TGA.h"
#include "tests/media/FileBytes.h"
#include "tests/support/TestLog.h"

namespace
{
using Pixels = std::vector<uint32_t>;
using Strings = std::vector<std::string>;

Pixels PixelsOf(const CBitmap32& image) { return Pixels(image.pixels, image.pixels + image.width * image.height); }

// Two rows of 24-bit pixels: B, G, R per pixel.
TgaLayout TrueColour24(uint8_t descriptor = 0x20)
{
    return {.width = 2, .height = 2, .depth = 24, .descriptor = descriptor,
            .pixels = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C}};
}

// Three palette entries (B, G, R): red, green, blue; 3 x 2 pixels.
TgaLayout Paletted(uint8_t descriptor = 0x20)
{
    return {.imageType = 1, .colourMapType = 1, .mapLength = 3, .mapEntryBits = 24, .width = 3, .height = 2, .depth = 8,
            .descriptor = descriptor, .colourMap = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00},
            .pixels = {2, 0, 1, 1, 1, 0}};
}

template <typename Change>
TgaLayout With(Change change, TgaLayout t = TrueColour24()) { return change(t), t; }

bool LoadBytes(CTGA& image, const std::vector<uint8_t>& bytes)
{
    return image.LoadFromMemory(bytes.data(), bytes.size(), true, "test.tga");
}

constexpr uint32_t Ink = 0xFF123456;

using PixelSet = std::set<std::pair<int, int>>;

PixelSet InkedPixels(const CBitmap32& bitmap)
{
    PixelSet found;
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x) if (bitmap.GetPixel(x, y) == Ink) found.insert({x, y});
    return found;
}

PixelSet Rect(int x0, int y0, int x1, int y1)
{
    PixelSet s;
    for (int y = y0; y <= y1; ++y) for (int x = x0; x <= x1; ++x) s.insert({x, y});
    return s;
}
} // namespace

TEST(Bitmap32, ShapesLandOnThePixelsNamedAndAreClipped)
{
    CBitmap32 block;
    block.Create(10, 10), block.FillRect(0, 0, 8, 8, Ink);  // its last column and row blank
    const struct { const char* name; int side; std::function<void(CBitmap32&)> draw; PixelSet expected; } cases[] = {
        // Slope 0.5 from the smaller end: y runs 0.5, 1.0, 1.5, 2.0, 2.5, truncated.
        {"shallow line", 8, [](auto& b) { b.DrawLine(4, 2, 0, 0, Ink); }, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        // Steep: x runs 1.5, 1.83, 2.17, 2.5.
        {"steep line", 8, [](auto& b) { b.DrawLine(1, 0, 2, 3, Ink); }, {{1, 0}, {1, 1}, {2, 2}, {2, 3}}},
        {"lines partly outside", 4, [](auto& b) { b.DrawLine(-2, 1, 2, 1, Ink), b.DrawLine(3, 9, 2, -10, Ink); },
         {{0, 1}, {1, 1}, {2, 1}, {3, 0}, {3, 1}, {3, 2}, {3, 3}}},
        {"thick lines, below 2 thin", 8,
         [](auto& b) { b.DrawThickLine(0, 2, 4, 2, 2, Ink), b.DrawThickLine(0, 3, 4, 3, 0, Ink); }, Rect(0, 1, 4, 3)},
        {"rectangle inclusive and clipped", 4, [](auto& b) { b.FillRect(-3, -3, 1, 1, Ink); }, Rect(0, 0, 1, 1)},
        {"everything outside", 4, [](auto& b) {
             b.PutPixelClipped(-1, 0, Ink), b.PutPixelClipped(0, 4, Ink), b.FillRect(4, 0, 6, 2, Ink);
             b.FillRect(0, 4, 2, 6, Ink), b.FillRect(-5, 0, -1, 2, Ink);
         }, {}},
        {"rectangle over all", 4, [](auto& b) { b.FillRect(0, 0, 10, 10, Ink); }, Rect(0, 0, 3, 3)},
        {"square on integer halves", 5, [](auto& b) { b.FillSquare(2, 2, 2, Ink); }, Rect(1, 1, 2, 2)},
        // A blit reaching the edge leaves the last column and row.
        {"blit to the edge", 10, [&block](CBitmap32& b) { b.Blit(0, 0, block, false); }, Rect(0, 0, 8, 8)},
        {"blit cut at the top left", 10, [&block](CBitmap32& b) { b.Blit(-3, -2, block, false); }, Rect(0, 0, 5, 6)}};
    for (const auto& c : cases)
    {
        CBitmap32 bitmap;
        bitmap.Create(c.side, c.side), c.draw(bitmap);
        EXPECT_TRUE(InkedPixels(bitmap) == c.expected && bitmap.GetPixel(c.side + 1, 0) == 0u) << c.name;
    }
    uint32_t memory[4] = {1, 2, 3, 4};   // attached memory is cleared and drawn on; none leaves the buffer empty
    block.Attach(2, 2, memory), block.PutPixel(1, 1, Ink);
    EXPECT_TRUE(memory[0] == 0u && memory[3] == Ink && (block.Attach(2, 2, nullptr), block.width == 0));
    // A copy reaching past the edges takes the nearest edge pixel there, or the fill.
    CBitmap32 four;
    four.Create(2, 2), four.PutPixel(0, 0, 1), four.PutPixel(1, 0, 2), four.PutPixel(0, 1, 3), four.PutPixel(1, 1, 4);
    EXPECT_EQ(PixelsOf(four.CreateCopy(-1, -1, 4, 4, CBitmap32::NoFill)),
              (Pixels{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
    EXPECT_EQ(PixelsOf(four.CreateCopy(-1, -1, 4, 4, 9)), (Pixels{9, 9, 9, 9, 9, 1, 2, 9, 9, 3, 4, 9, 9, 9, 9, 9}));
}

TEST(TGARead, PixelsComeInFileOrderWhateverTheOrigin)
{
    const Pixels colours24 = {0x030201, 0x060504, 0x090807, 0x0C0B0A};
    const Pixels paletted = {0x0000FF, 0xFF0000, 0x00FF00, 0x00FF00, 0x00FF00, 0xFF0000};
    // A palette reaching entry 255, the last there is, from index `first`; entry i is grey i.
    const auto toTheLastEntry = [](uint16_t first) {
        TgaLayout t{.imageType = 1, .colourMapType = 1, .mapFirst = first, .mapLength = uint16_t(256 - first),
                    .mapEntryBits = 24, .width = 3, .height = 1, .depth = 8, .pixels = {1, 128, 255}};
        for (int i = first; i < 256; ++i) t.colourMap.insert(t.colourMap.end(), 3, uint8_t(i));
        return t;
    };
    // A true-colour file may carry a map of two entries nobody uses: 15 and 16 bits take two bytes an entry.
    const auto unusedMap = [](uint8_t bits) {
        return TgaLayout{.colourMapType = 1, .mapLength = 2, .mapEntryBits = bits, .width = 2, .height = 2,
                         .depth = 24, .id = "made by a paint program",
                         .colourMap = std::vector<uint8_t>(2 * ((bits + 7) / 8), 0xEE),
                         .pixels = TrueColour24().pixels};
    };
    const struct Case { const char* name; TgaLayout layout; Pixels expected; } cases[] = {
        {"24 bits, top-left origin", TrueColour24(0x20), colours24},
        {"24 bits, bottom-left origin", TrueColour24(0x00), colours24},
        {"32 bits keep their alpha",
         {.width = 2, .height = 1, .pixels = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}},
         {0x40302010, 0x80706050}},
        {"paletted, top-left origin", Paletted(0x20), paletted},
        {"paletted, bottom-left origin", Paletted(0x00), paletted},
        {"identification field and unused map of 32 bits skipped", unusedMap(32), colours24},
        {"unused map of 24 bits", unusedMap(24), colours24}, {"unused map of 16 bits", unusedMap(16), colours24},
        {"unused map of 15 bits", unusedMap(15), colours24},
        {"identification field before the palette", With([](auto& t) { t.id = "ABCDE"; }, Paletted()), paletted},
        // Entries 1 red and 2 green; indexes without an entry are black.
        {"palette from index 1",
         {.imageType = 1, .colourMapType = 1, .mapFirst = 1, .mapLength = 2, .mapEntryBits = 24, .width = 4,
          .height = 1, .depth = 8, .colourMap = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00}, .pixels = {0, 1, 2, 200}},
         {0, 0xFF0000, 0x00FF00, 0}},
        {"all 256 entries", toTheLastEntry(0), {0x010101, 0x808080, 0xFFFFFF}},
        {"255 entries from index 1", toTheLastEntry(1), {0x010101, 0x808080, 0xFFFFFF}}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTGA image;
        ASSERT_TRUE(LoadBytes(image, BuildTga(c.layout)));
        EXPECT_EQ(std::pair(image.width, image.height), std::pair(int(c.layout.width), int(c.layout.height)));
        EXPECT_EQ(PixelsOf(image), c.expected);
    }
    // A row or a column of 4096 pixels, the most either side may have, is read whole.
    for (const auto& [w, h] : {std::pair{4096, 1}, std::pair{1, 4096}})
    {
        TgaLayout line{.width = uint16_t(w), .height = uint16_t(h), .depth = 24};
        line.pixels.assign(size_t(w * h) * 3, 0x11);
        line.pixels.back() = 0x33;
        CTGA image;
        ASSERT_TRUE(LoadBytes(image, BuildTga(line))) << w << " x " << h;
        EXPECT_TRUE(image.width == w && image.height == h && image.pixels[w * h - 1] == 0x331111);
    }
}

TEST(TGARead, UnsupportedAndDamagedFilesAreRefusedWithTheirReason)
{
    const auto type = [](uint8_t imageType, uint8_t depth) {
        return With([=](auto& t) { t.imageType = imageType, t.depth = depth, t.pixels.resize(64, 0); });
    };
    // `cut`: bytes taken off the end; no reason: unsupported.
    const struct Case { const char* name; TgaLayout layout; size_t cut; const char* reason; } cases[] = {
        {"compressed", type(10, 24), 0, nullptr}, {"grey", type(3, 8), 0, nullptr},
        {"16 bits", type(2, 16), 0, nullptr}, {"no image", type(0, 24), 0, nullptr},
        {"paletted 24 bits", type(1, 24), 0, nullptr}, {"header only", TrueColour24(), 12 + 1, "truncated header"},
        {"short pixels", TrueColour24(), 1, "truncated pixel data"},
        {"short id", With([](auto& t) { t.id = std::string(200, 'x'); }), 200, "truncated identification field"},
        {"short palette", Paletted(), 8, "truncated colour map"},
        {"wide", With([](auto& t) { t.width = 4097; }), 0, "image size out of range"},
        {"high", With([](auto& t) { t.height = 4097; }), 0, "image size out of range"},
        {"huge", With([](auto& t) { t.width = t.height = 65535; }), 0, "image size out of range"},
        {"no rows", With([](auto& t) { t.height = 0; }), 0, "image size out of range"},
        {"no columns", With([](auto& t) { t.width = 0; }), 0, "image size out of range"},
        {"palette 300", With([](auto& t) { t.mapLength = 300; t.colourMap.resize(900); }, Paletted()), 0,
         "colour map larger than 256 entries"},
        {"256 entries from index 1, one past the last",
         {.imageType = 1, .colourMapType = 1, .mapFirst = 1, .mapLength = 256, .mapEntryBits = 24, .width = 3,
          .height = 2, .depth = 8, .colourMap = std::vector<uint8_t>(768), .pixels = Paletted().pixels},
         0, "colour map larger than 256 entries"},
        {"palette entry 32", With([](auto& t) { t.mapEntryBits = 32; }, Paletted()), 0,
         "colour map entry size not 24 bits"},
        {"no palette", With([](auto& t) { t.colourMapType = 0; }, Paletted()), 0, "colour map missing"},
        {"map type 2", With([](auto& t) { t.colourMapType = 2; }), 0, "unknown colour map type"},
        {"map entry 8", With([](auto& t) { t.colourMapType = 1; t.mapEntryBits = 8; }), 0, "bad colour map entry size"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = BuildTga(c.layout);
        bytes.resize(bytes.size() - c.cut);
        CTestLog log;
        CTGA image;
        ASSERT_TRUE(LoadBytes(image, BuildTga(TrueColour24())));
        EXPECT_TRUE(!LoadBytes(image, bytes) && image.IsEmpty() && image.width == 0);
        EXPECT_TRUE(c.reason ? log.Lines() == Strings{std::string("Damaged TGA file: test.tga (") + c.reason + ")"}
                             : log.Contains("Unsupported TGA file: test.tga") &&
                                   log.Contains("#DEBUG: Unsupported TGA format")) << log.Contents();
    }
    // A file that cannot be opened: nothing read, so no format either.
    CScratchFolder folder;
    CTestLog log;
    CTGA image;
    const std::string missing = folder / "missing.tga";
    EXPECT_TRUE(!image.Load(missing.c_str(), true) && image.IsEmpty());
    const Strings lines = log.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Strings(lines.begin(), lines.begin() + 3),
              (Strings{"File not found:" + missing, "#DEBUG: Unsupported TGA format", "#DEBUG: breakpoint reached"}));
    EXPECT_TRUE(lines[3].find(" in ") != std::string::npos && lines[3].ends_with("media/C_TGA.cpp")) << lines[3];
}

TEST(TGAWrite, BytesAreLaidOutExactlyAndAFailedSaveIsLogged)
{
    CScratchFolder folder;
    CTestLog log;
    CTGA image;
    image.Create(2, 1), image.pixels[0] = 0x11223344, image.pixels[1] = 0xAABBCCDD;
    // Replaces an old, longer file and leaves no temporary behind.
    const std::string path = folder.Write("shot.tga", std::vector<uint8_t>(1000, 0x55));
    ASSERT_TRUE(image.Save(path.c_str()));
    const std::vector<uint8_t> expected = {
        0, 0, 2,           // no id, no colour map, uncompressed true colour
        0, 0, 0x00, 0x01,  // map first index 0, map length 256
        32,                // map entry size
        0, 0, 0, 0,        // origin
        2, 0, 1, 0,        // width 2, height 1
        32, 0x20,          // 32 bits, top-left origin
        0x44, 0x33, 0x22, 0x11, 0xDD, 0xCC, 0xBB, 0xAA};
    EXPECT_EQ(CScratchFolder::ReadFile(path), std::string(expected.begin(), expected.end()));
    EXPECT_FALSE(CScratchFolder::Exists(path + ".tmp"));
    CTGA back;
    EXPECT_TRUE(back.Load(path.c_str(), true) && PixelsOf(back) == PixelsOf(image));

    const std::string lost = folder / "missing-folder/shot.tga";
    EXPECT_TRUE(!image.Save(lost.c_str()) && log.Contains("Cannot write file: " + lost));
    EXPECT_FALSE(CTGA().Save((folder / "empty.tga").c_str()) || CScratchFolder::Exists(folder / "empty.tga"));
    EXPECT_TRUE(log.Contains("Cannot write an empty image: " + folder / "empty.tga"));
}
