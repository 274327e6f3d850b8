// TGA files read byte by byte and written back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/C_TGA.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"
#include "tests/media/TgaBytes.h"

namespace
{
std::vector<uint32_t> PixelsOf(const CBitmap32& image)
{
    return std::vector<uint32_t>(image.pixels, image.pixels + image.width * image.height);
}

// Two rows of 24-bit pixels: B, G, R per pixel.
TgaLayout TrueColour24(uint8_t descriptor)
{
    TgaLayout t;
    t.width = 2;
    t.height = 2;
    t.depth = 24;
    t.descriptor = descriptor;
    t.pixels = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C};
    return t;
}

// Three palette entries (B, G, R): red, green, blue.
TgaLayout Paletted(uint8_t descriptor)
{
    TgaLayout t;
    t.imageType = 1;
    t.colourMapType = 1;
    t.mapLength = 3;
    t.mapEntryBits = 24;
    t.colourMap = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00};
    t.width = 3;
    t.height = 2;
    t.depth = 8;
    t.descriptor = descriptor;
    t.pixels = {2, 0, 1, 1, 1, 0};
    return t;
}

bool LoadBytes(CTGA& image, const std::vector<uint8_t>& bytes)
{
    return image.LoadFromMemory(bytes.data(), bytes.size(), true, "test.tga");
}
} // namespace

TEST(TGARead, TrueColour24HasAlphaZeroAndRowsComeInFileOrderWhateverTheOrigin)
{
    for (const uint8_t descriptor : {0x20, 0x00})
    {
        CTGA image;
        ASSERT_TRUE(LoadBytes(image, BuildTga(TrueColour24(descriptor))));
        EXPECT_EQ(image.width, 2);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(PixelsOf(image), (std::vector<uint32_t>{0x030201, 0x060504, 0x090807, 0x0C0B0A}))
            << int(descriptor);
    }

    TgaLayout t;
    t.width = 2;
    t.height = 1;
    t.pixels = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
    CTGA alpha;
    ASSERT_TRUE(LoadBytes(alpha, BuildTga(t)));
    EXPECT_EQ(PixelsOf(alpha), (std::vector<uint32_t>{0x40302010, 0x80706050}));
}

TEST(TGARead, PalettedPixelsTakeTheirEntryTopRowFirst)
{
    for (const uint8_t descriptor : {0x20, 0x00})
    {
        CTGA image;
        ASSERT_TRUE(LoadBytes(image, BuildTga(Paletted(descriptor))));
        EXPECT_EQ(PixelsOf(image),
                  (std::vector<uint32_t>{0x0000FF, 0xFF0000, 0x00FF00, 0x00FF00, 0x00FF00, 0xFF0000}))
            << int(descriptor);
    }
}

TEST(TGARead, IdentificationFieldAndUnusedColourMapAreSkipped)
{
    TgaLayout t = TrueColour24(0x20);
    t.id = "made by a paint program";
    t.colourMapType = 1;
    t.mapLength = 2;
    t.mapEntryBits = 32;
    t.colourMap = std::vector<uint8_t>(8, 0xEE);
    CTGA image;
    ASSERT_TRUE(LoadBytes(image, BuildTga(t)));
    EXPECT_EQ(PixelsOf(image), (std::vector<uint32_t>{0x030201, 0x060504, 0x090807, 0x0C0B0A}));

    TgaLayout p = Paletted(0x20);
    p.id = "ABCDE";
    CTGA paletted;
    ASSERT_TRUE(LoadBytes(paletted, BuildTga(p)));
    EXPECT_EQ(paletted.GetPixel(0, 0), 0x0000FFu);
}

TEST(TGARead, PaletteFirstIndexShiftsEntriesAndUnsetIndexesAreBlack)
{
    TgaLayout t = Paletted(0x20);
    t.mapFirst = 1;
    t.mapLength = 2;
    t.colourMap = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00};  // entries 1 red, 2 green
    t.width = 4;
    t.height = 1;
    t.pixels = {0, 1, 2, 200};
    CTGA image;
    ASSERT_TRUE(LoadBytes(image, BuildTga(t)));
    EXPECT_EQ(PixelsOf(image), (std::vector<uint32_t>{0, 0xFF0000, 0x00FF00, 0}));
}

TEST(TGARead, FileOnDiskLoadsOwnedOrIntoTheSharedBuffer)
{
    CScratchFolder folder;
    const std::string path = folder.Write("picture.tga", BuildTga(TrueColour24(0x20)));

    CTGA owned;
    ASSERT_TRUE(owned.Load(path.c_str(), true));
    EXPECT_EQ(owned.owned, 1);
    EXPECT_EQ(owned.GetPixel(1, 0), 0x060504u);

    CTGA first;
    ASSERT_TRUE(first.Load(path.c_str(), false));
    EXPECT_EQ(first.owned, 0);
    CTGA second;
    ASSERT_TRUE(second.Load(path.c_str(), false));
    EXPECT_EQ(second.pixels, first.pixels);
    EXPECT_EQ(second.GetPixel(0, 1), 0x090807u);
}

TEST(TGARead, MissingFileLogsAndGivesAnEmptyImage)
{
    CScratchFolder folder;
    CTestLog log;
    const std::string path = folder / "absent.tga";
    CTGA image;
    EXPECT_FALSE(image.Load(path.c_str(), true));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_TRUE(log.Contains("File not found:" + path));
}

TEST(TGARead, CompressedAndUnknownTypesAreRefusedAsUnsupported)
{
    CTestLog log;
    const struct Case { uint8_t imageType, depth; } cases[] = {{10, 24}, {3, 8}, {0, 24}, {2, 16}, {1, 24}};
    for (const Case& c : cases)
    {
        TgaLayout t = TrueColour24(0x20);
        t.imageType = c.imageType;
        t.depth = c.depth;
        t.pixels.resize(64, 0);
        CTGA image;
        EXPECT_FALSE(LoadBytes(image, BuildTga(t))) << int(c.imageType) << "/" << int(c.depth);
        EXPECT_TRUE(image.IsEmpty());
    }
    EXPECT_TRUE(log.Contains("#DEBUG: Unsupported TGA format"));
    EXPECT_TRUE(log.Contains("Unsupported TGA file: test.tga"));
}

TEST(TGARead, DamagedFilesAreRefusedWithTheirReason)
{
    CTestLog log;
    using Change = void (*)(TgaLayout&);
    const auto trueColour = [](Change change) { TgaLayout t = TrueColour24(0x20); change(t); return t; };
    const auto paletted = [](Change change) { TgaLayout t = Paletted(0x20); change(t); return t; };
    // `cut`: bytes taken off the end.
    struct Case { const char* name; TgaLayout layout; size_t cut; const char* reason; };
    const Case cases[] = {
        {"short pixels", TrueColour24(0x20), 1, "truncated pixel data"},
        {"short id", trueColour([](TgaLayout& t) { t.id = std::string(200, 'x'); }), 200, "truncated identification field"},
        {"short palette", Paletted(0x20), 8, "truncated colour map"},
        {"wide", trueColour([](TgaLayout& t) { t.width = 5000; }), 0, "image size out of range"},
        {"huge", trueColour([](TgaLayout& t) { t.width = t.height = 65535; t.depth = 32; }), 0, "image size out of range"},
        {"no rows", trueColour([](TgaLayout& t) { t.height = 0; }), 0, "image size out of range"},
        {"palette 300", paletted([](TgaLayout& t) { t.mapLength = 300; t.colourMap.resize(900, 0); }), 0,
         "colour map larger than 256 entries"},
        {"palette past 256", paletted([](TgaLayout& t) { t.mapFirst = 200; t.mapLength = 100; t.colourMap.resize(300, 0); }),
         0, "colour map larger than 256 entries"},
        {"palette entry 32", paletted([](TgaLayout& t) { t.mapEntryBits = 32; }), 0, "colour map entry size not 24 bits"},
        {"no palette", paletted([](TgaLayout& t) { t.colourMapType = 0; }), 0, "colour map missing"},
        {"map type 2", trueColour([](TgaLayout& t) { t.colourMapType = 2; }), 0, "unknown colour map type"},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> bytes = BuildTga(c.layout);
        bytes.resize(bytes.size() - c.cut);
        CTGA image;
        EXPECT_FALSE(LoadBytes(image, bytes)) << c.name;
        EXPECT_TRUE(image.IsEmpty()) << c.name;
        EXPECT_TRUE(log.Contains(std::string("Damaged TGA file: test.tga (") + c.reason + ")")) << c.name;
    }
}

TEST(TGARead, ShortOrFailedLoadEmptiesAnImageThatHeldPixels)
{
    CTGA image;
    const std::vector<uint8_t> header = BuildTga(TrueColour24(0x20));
    EXPECT_FALSE(image.LoadFromMemory(header.data(), 17, true, "short"));
    ASSERT_TRUE(LoadBytes(image, BuildTga(TrueColour24(0x20))));
    std::vector<uint8_t> bytes = BuildTga(TrueColour24(0x20));
    bytes[2] = 10;
    EXPECT_FALSE(LoadBytes(image, bytes));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.width, 0);
}

TEST(TGAWrite, HeaderAndPixelBytesAreLaidOutExactly)
{
    CScratchFolder folder;
    CTGA image;
    image.Create(2, 1);
    image.pixels[0] = 0x11223344;
    image.pixels[1] = 0xAABBCCDD;
    const std::string path = folder / "shot.tga";
    ASSERT_TRUE(image.Save(path.c_str()));

    const std::vector<uint8_t> expected = {
        0, 0, 2,             // no id, no colour map, uncompressed true colour
        0, 0, 0x00, 0x01,    // map first index 0, map length 256
        32,                  // map entry size
        0, 0, 0, 0,          // origin
        2, 0, 1, 0,          // width 2, height 1
        32, 0x20,            // 32 bits, top-left origin
        0x44, 0x33, 0x22, 0x11, 0xDD, 0xCC, 0xBB, 0xAA};
    EXPECT_EQ(CScratchFolder::ReadFile(path), std::string(expected.begin(), expected.end()));
}

TEST(TGAWrite, WrittenFileReadsBackToTheSamePixels)
{
    CScratchFolder folder;
    CTGA image;
    image.Create(5, 3);
    for (int i = 0; i < 15; ++i)
        image.pixels[i] = 0x01000000u * uint32_t(i * 17) + 0x00010203u * uint32_t(i);
    // Replaces an old, longer file and leaves no temporary behind.
    const std::string path = folder.Write("round.tga", std::vector<uint8_t>(1000, 0x55));
    ASSERT_TRUE(image.Save(path.c_str()));
    EXPECT_EQ(CScratchFolder::ReadFile(path).size(), 18u + 15u * 4u);
    EXPECT_FALSE(CScratchFolder::Exists(path + ".tmp"));

    CTGA back;
    ASSERT_TRUE(back.Load(path.c_str(), true));
    ASSERT_EQ(back.width, 5);
    ASSERT_EQ(back.height, 3);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(back.pixels[i], image.pixels[i]) << i;
}

TEST(TGAWrite, FailedSaveReportsFailureAndKeepsNothingBehind)
{
    CScratchFolder folder;
    CTestLog log;
    CTGA image;
    image.Create(1, 1);
    const std::string path = folder / "missing-folder/shot.tga";
    EXPECT_FALSE(image.Save(path.c_str()));
    EXPECT_TRUE(log.Contains("Cannot write file: " + path));

    CTGA empty;
    const std::string emptyPath = folder / "empty.tga";
    EXPECT_FALSE(empty.Save(emptyPath.c_str()));
    EXPECT_FALSE(CScratchFolder::Exists(emptyPath));
}
