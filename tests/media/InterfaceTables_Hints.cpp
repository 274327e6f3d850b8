// The command hints built against the recording hint records, and the five
// interface pictures put into the global image table.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/C_File.h"
#include "core/C_Localizer.h"
#include "game/C_Hint.h"
#include "media/C_2DImage.h"
#include "media/C_GUIControl.h"
#include "media/C_TGA.h"
#include "media/InterfaceTables.h"
#include "tests/media/MediaDevice.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"
#include "world/C_UnitStats.h"

namespace
{
// The type record key a row's costs come from.  Research stems that name
// their technology differently from its record.
std::string RecordKey(const std::string& stem)
{
    static const std::map<std::string, std::string> renamed = {
        {"HARVEST_1", "MINE_1"},         {"HARVEST_2", "MINE_2"},       {"STRONGHOLD", "TRONGHOLD"},
        {"MACHINE_D_1", "MACINE_D_1"},   {"MACHINE_D_2", "MACINE_D_2"}, {"MACHINE_D_3", "MACINE_D_3"},
        {"CAT_RNG_1", "CAT_RANGE"},      {"MERCENARY", "MERC_FORCE"},   {"ADVANCED_BD", "ADV_BUILD"},
        {"CURVEDSHOT", "CURVESHOT"},     {"PYROTECHNIC", "PYRO"},       {"EXPLOSIVE", "EXPLSIVE"},
        {"PRIEST_ATT", "PRIEST_ATT_1"},  {"SHIP_SPEED_1", "SHIPSPD_1"}, {"SHIP_SPEED_2", "SHIPSPD_2"},
        {"SHIP_RANGE_1", "SHIP_RNG_1"},  {"SHIP_RANGE_2", "SHIP_RNG_2"},
    };
    const std::pair<std::string, std::string> prefixes[] = {
        {"HH_TC_", "TC_"}, {"HH_W_BUILD_", "BD_"}, {"HH_TRAIN_", "UN_"}};
    for (const auto& [hint, record] : prefixes)
        if (stem.rfind(hint, 0) == 0)
        {
            const std::string rest = stem.substr(hint.size());
            const auto found = renamed.find(rest);
            return record + (record == "TC_" && found != renamed.end() ? found->second : rest);
        }
    return "";
}

void AddLocale(const std::string& text)
{
    ASSERT_TRUE(g_Localizer.LoadLocaleText("test", text.c_str(), int(text.size())));
}

class CommandHints : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Localizer.Init(-1);
        // Every type record key names itself; every hint text is its key.
        std::string text;
        for (const SCommandHintRow& row : CommandHintRows)
        {
            const std::string stem = row.stem;
            text += stem + "_H, \"" + stem + "_H\"\r\n" + stem + "_D, \"" + stem + "_D\"\r\n";
            const std::string key = RecordKey(stem);
            if (!key.empty())
                text += key + ", \"" + key + "\"\r\n";
        }
        AddLocale(text);
        g_UnitStats = new CUnitStats[TypeRecordCount];
        InitTypeRecords();
        AllocGlobalHints();
        LoadCommandHints();
    }

    void TearDown() override
    {
        FreeGlobalHints();
        delete[] g_UnitStats;
        g_UnitStats = nullptr;
        g_Localizer.Clear();
    }

    const CHint& Hint(int slot) { return *GetGlobalHint(slot); }
};
}  // namespace

TEST_F(CommandHints, EverySlotIsFilledOnce)
{
    std::set<int32_t> slots;
    for (const SCommandHintRow& row : CommandHintRows)
        EXPECT_TRUE(slots.insert(row.slot).second && row.slot >= 0 && row.slot < GlobalHintCount) << row.stem;
    EXPECT_EQ(size_t(GlobalHintCount), slots.size());
}

TEST_F(CommandHints, SizesFollowTheKindOfEachRow)
{
    struct SCase
    {
        int slot;
        const char* stem;
        int lines, images, lineCount;
    } const cases[] = {
        {0, "HH_CANCEL", 10, 0, 1},         {4, "HH_BUILD_SETTLER", 10, 6, 1},   {26, "HH_WORKER_HARVEST", 10, 0, 1},
        {36, "HH_SHIP_UNGARRISON1", 10, 3, 1}, {14, "HH_W_BUILD_TOWER", 15, 3, 2}, {37, "HH_TRAIN_WORKER", 15, 6, 4},
        {40, "HH_TRAIN_TOWERARCHER", 15, 6, 2}, {53, "HH_TC_HARVEST_WOOD_1", 10, 6, 2},
    };
    for (const SCase& c : cases)
    {
        const CHint& hint = Hint(c.slot);
        EXPECT_EQ(c.lines, hint.lineCapacity) << c.stem;
        EXPECT_EQ(c.images, hint.imageCapacity) << c.stem;
        EXPECT_EQ(650, hint.width) << c.stem;
        EXPECT_EQ(150, hint.height) << c.stem;
        ASSERT_EQ(c.lineCount, hint.LineCount()) << c.stem;
        EXPECT_STREQ((std::string(c.stem) + "_H").c_str(), hint.lines[0].heading) << c.stem;
    }
}

TEST_F(CommandHints, TrainingRowPutsTwoCostLinesUnderTheHeadingAndTheDescriptionBeside)
{
    const std::vector<CHint::SLine>& lines = Hint(42).lines;  // HH_TRAIN_DEMOLISHMAN, hotkey M
    using K = CHint::ELineKind;
    const std::vector<std::tuple<K, int, int>> expected = {
        {K::Item, 0, 0}, {K::Cost, 0, 35}, {K::SecondCost, 0, 35}, {K::Item, 90, 30}};
    ASSERT_EQ(expected.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(expected[i], std::make_tuple(lines[i].kind, lines[i].x, lines[i].y)) << i;
    EXPECT_STREQ("M", lines[0].hotkey);
    EXPECT_FALSE(lines[0].hasDescription);
    EXPECT_STREQ("UN_DEMOLISHMAN", lines[2].record->name);
    EXPECT_FALSE(lines[3].hasHotkey || lines[3].hasHeading);
    EXPECT_STREQ("HH_TRAIN_DEMOLISHMAN_D", lines[3].description);
}

TEST_F(CommandHints, CostLinesComeFromTheNamedTypeRecordEvenWhereTheStemsDiffer)
{
    for (const SCommandHintRow& row : CommandHintRows)
    {
        const std::string key = RecordKey(row.stem);
        const CHint& hint = Hint(row.slot);
        const CHint::SLine* cost = nullptr;
        for (const CHint::SLine& line : hint.lines)
            if (line.kind == CHint::ELineKind::Cost)
                cost = &line;
        if (key.empty())
        {
            EXPECT_EQ(nullptr, cost) << row.stem;
            continue;
        }
        ASSERT_NE(nullptr, cost) << row.stem;
        ASSERT_NE(nullptr, cost->record) << row.stem;
        EXPECT_STREQ(key.c_str(), cost->record->name) << row.stem;
    }
}

TEST_F(CommandHints, HotkeyNamesArePlainTextsAndStayWhenTheLanguageChanges)
{
    g_Localizer.Init(-1);
    AddLocale("HH_STOP_H, \"Halt\"\r\nHH_STOP_D, \"Steht still\"\r\n");
    LoadCommandHints();
    const CHint::SLine& stop = Hint(1).lines[0];
    EXPECT_STREQ("Halt", stop.heading);
    EXPECT_STREQ("Steht still", stop.description);
    EXPECT_STREQ("T", stop.hotkey);
    EXPECT_STREQ("F10", Hint(118).lines[0].hotkey);
    EXPECT_FALSE(Hint(117).lines[0].hasHotkey);
    // A text the language lacks is left out.
    EXPECT_FALSE(Hint(0).lines[0].hasHeading);
    EXPECT_STREQ("Escape", Hint(0).lines[0].hotkey);
}

// ---- Interface pictures ------------------------------------------------------

namespace
{
const char* const kPictureFiles[] = {"InGame/Interface/checkbox.tga", "InGame/Interface/checkbox_x-2.tga",
                                     "InGame/Interface/checkbox_x-3.tga", "InGame/Interface/slider.tga",
                                     "InGame/Menus/pause.tga"};

// The pictures on disk, all but the unchecked check box.
class InterfacePictures : public MediaDevice
{
protected:
    void SetUp() override
    {
        MediaDevice::SetUp();
        CTGA picture;
        picture.Create(8, 8);
        folder.MakeFolder("InGame/Interface");
        folder.MakeFolder("InGame/Menus");
        for (const char* file : kPictureFiles)
        {
            if (file == kPictureFiles[0])
                continue;
            ASSERT_TRUE(picture.Save((folder / file).c_str()));
        }
        InitDataFile(folder.Path().c_str(), 0);
        AllocGlobalImages();
    }

    void TearDown() override
    {
        for (EGUIPicture which : {EGUIPicture::CheckBox, EGUIPicture::CheckBoxChecked, EGUIPicture::SliderThumb})
            SetGUIPicture(which, nullptr);
        FreeGlobalImages();
        InitDataFile("", 0);
        MediaDevice::TearDown();
    }

    CScratchFolder folder;
    CTestLog log;
};
}  // namespace

TEST_F(InterfacePictures, PicturesAreLoadedOpaqueWithTheRedKeyAndAMissingOneIsLeftOut)
{
    LoadInterfaceTextures();
    for (int image = InterfaceImageCheckBox; image <= InterfaceImagePause; ++image)
    {
        const C2DImage* picture = GetGlobalImage(image);
        EXPECT_EQ(image == InterfaceImageCheckBox, picture->IsEmpty()) << image;
        EXPECT_EQ(255u, picture->alpha) << image;
        EXPECT_EQ(0xFF0000u, picture->colourKey) << image;
    }
    EXPECT_TRUE(log.Contains("Loading 2D Image:InGame\\Menus\\pause.tga"));
    // The widgets go without the missing check box.
    EXPECT_EQ(nullptr, GetGUIPicture(EGUIPicture::CheckBox));
    EXPECT_EQ(GetGlobalImage(InterfaceImageCheckBoxChecked), GetGUIPicture(EGUIPicture::CheckBoxChecked));
    EXPECT_EQ(GetGlobalImage(InterfaceImageSliderThumb), GetGUIPicture(EGUIPicture::SliderThumb));
}
