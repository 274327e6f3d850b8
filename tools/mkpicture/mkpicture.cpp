// mkpicture cursors DIR: writes the 24 mouse cursors of the start-up set as
// 32 x 32 TGA pictures into DIR/Cursors/Mono and DIR/Cursors/Color (pure red
// is transparent): a cross-hair through each cursor's hot spot, white on
// black in the monochrome set and yellow on black in the colour set.
// mkpicture interface DIR: writes the five interface pictures into
// DIR/InGame/Interface (check box, checked, third state, slider thumb) and
// DIR/InGame/Menus (pause picture).
// mkpicture loading DIR: writes the loading screen's picture and its bar
// into DIR/Loading (startup.tga, csik1.tga).
// Each file is written beside its target and renamed over it.

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "media/C_Cursors.h"
#include "media/C_TGA.h"

namespace
{
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kYellow = 0xFFFFFF00;
constexpr uint32_t kFrameGrey = 0xFF808080;
constexpr uint32_t kFieldGrey = 0xFF303030;
constexpr uint32_t kBannerBlue = 0xFF203060;
constexpr int32_t kCrossArm = 9;

bool MakeFolders(const std::string& path)
{
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        mkdir(path.substr(0, at).c_str(), 0755);
    mkdir(path.c_str(), 0755);
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Save(const CTGA& picture, const std::string& path)
{
    if (picture.Save(path.c_str()))
        return true;
    std::fprintf(stderr, "mkpicture: cannot write %s\n", path.c_str());
    return false;
}

// A cross-hair of the given colour with a black edge, centred on the hot
// spot and cut at the picture's border.
void DrawCursor(CTGA& picture, int32_t hotX, int32_t hotY, uint32_t colour)
{
    picture.Create(CCursors::Side, CCursors::Side);
    picture.FillRect(0, 0, CCursors::Side - 1, CCursors::Side - 1, kRed);
    picture.FillRect(hotX - kCrossArm, hotY - 1, hotX + kCrossArm, hotY + 1, kBlack);
    picture.FillRect(hotX - 1, hotY - kCrossArm, hotX + 1, hotY + kCrossArm, kBlack);
    picture.DrawLine(hotX - kCrossArm + 1, hotY, hotX + kCrossArm - 1, hotY, colour);
    picture.DrawLine(hotX, hotY - kCrossArm + 1, hotX, hotY + kCrossArm - 1, colour);
}

int WriteCursors(const std::string& folder)
{
    const std::string mono = folder + "/Cursors/Mono";
    const std::string colour = folder + "/Cursors/Color";
    if (!MakeFolders(mono) || !MakeFolders(colour))
    {
        std::fprintf(stderr, "mkpicture: cannot make the folders under %s\n", folder.c_str());
        return 1;
    }
    for (const CCursors::SStartupCursor& row : CCursors::StartupCursors)
    {
        const std::string name = std::string("/") + row.name + ".tga";
        CTGA picture;
        DrawCursor(picture, row.hotX, row.hotY, kWhite);
        if (!Save(picture, mono + name))
            return 1;
        DrawCursor(picture, row.hotX, row.hotY, kYellow);
        if (!Save(picture, colour + name))
            return 1;
    }
    return 0;
}

// A framed square; `mark` 0 none, 1 a cross, 2 a dot.
void DrawCheckBox(CTGA& picture, int mark)
{
    constexpr int32_t side = 16;
    picture.Create(side, side);
    picture.FillRect(0, 0, side - 1, side - 1, kFrameGrey);
    picture.FillRect(2, 2, side - 3, side - 3, kFieldGrey);
    if (mark == 1)
    {
        picture.DrawThickLine(4, 4, side - 5, side - 5, 2, kWhite);
        picture.DrawThickLine(side - 5, 4, 4, side - 5, 2, kWhite);
    }
    else if (mark == 2)
    {
        picture.FillSquare(side / 2, side / 2, 4, kWhite);
    }
}

void DrawSliderThumb(CTGA& picture)
{
    picture.Create(12, 23);
    picture.FillRect(0, 0, 11, 22, kRed);
    picture.FillRect(1, 0, 10, 22, kFrameGrey);
    picture.FillRect(3, 2, 8, 20, kWhite);
}

void DrawPause(CTGA& picture)
{
    picture.Create(256, 64);
    picture.FillRect(0, 0, 255, 63, kRed);
    picture.FillRect(0, 8, 255, 55, kBannerBlue);
    // Two bars, the sign of a paused game.
    picture.FillRect(112, 16, 123, 47, kWhite);
    picture.FillRect(132, 16, 143, 47, kWhite);
}

int WriteInterface(const std::string& folder)
{
    const std::string interface = folder + "/InGame/Interface";
    const std::string menus = folder + "/InGame/Menus";
    if (!MakeFolders(interface) || !MakeFolders(menus))
    {
        std::fprintf(stderr, "mkpicture: cannot make the folders under %s\n", folder.c_str());
        return 1;
    }
    const char* boxes[] = {"/checkbox.tga", "/checkbox_x-2.tga", "/checkbox_x-3.tga"};
    CTGA picture;
    for (int mark = 0; mark < 3; ++mark)
    {
        DrawCheckBox(picture, mark);
        if (!Save(picture, interface + boxes[mark]))
            return 1;
    }
    DrawSliderThumb(picture);
    if (!Save(picture, interface + "/slider.tga"))
        return 1;
    DrawPause(picture);
    return Save(picture, menus + "/pause.tga") ? 0 : 1;
}
// A dark screen with a frame around the place of the progress bar.
void DrawLoadingBackground(CTGA& picture)
{
    picture.Create(1024, 768);
    picture.FillRect(0, 0, 1023, 767, kFieldGrey);
    picture.FillRect(50, 670, 969, 719, kFrameGrey);
    picture.FillRect(54, 674, 965, 715, kBlack);
}

void DrawLoadingBar(CTGA& picture)
{
    picture.Create(16, 16);
    picture.FillRect(0, 0, 15, 15, kYellow);
}

int WriteLoading(const std::string& folder)
{
    const std::string loading = folder + "/Loading";
    if (!MakeFolders(loading))
    {
        std::fprintf(stderr, "mkpicture: cannot make the folder %s\n", loading.c_str());
        return 1;
    }
    CTGA picture;
    DrawLoadingBackground(picture);
    if (!Save(picture, loading + "/startup.tga"))
        return 1;
    DrawLoadingBar(picture);
    return Save(picture, loading + "/csik1.tga") ? 0 : 1;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "cursors") == 0)
        return WriteCursors(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "interface") == 0)
        return WriteInterface(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "loading") == 0)
        return WriteLoading(argv[2]);
    std::fprintf(stderr, "usage: mkpicture cursors DIR | mkpicture interface DIR | mkpicture loading DIR\n");
    return 1;
}
