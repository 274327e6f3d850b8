#include "media/InterfaceTables.h"

#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/C_String.h"
#include "game/C_Hint.h"
#include "media/C_2DImage.h"
#include "media/C_GUIControl.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t kNoRecord = -1;
constexpr int32_t kShortHint = 10;
constexpr int32_t kLongHint = 15;
constexpr int32_t kNoImages = 0;
constexpr int32_t kSomeImages = 3;
constexpr int32_t kManyImages = 6;

constexpr SCommandHintRow Command(int32_t slot, const char* stem, const char* hotkey, int32_t images)
{
    return {slot, stem, hotkey, EHintKind::Command, kShortHint, images, kNoRecord};
}

constexpr SCommandHintRow Building(int32_t slot, const char* stem, const char* hotkey, int32_t record,
                                   int32_t lines = kShortHint)
{
    return {slot, stem, hotkey, EHintKind::SingleCost, lines, kSomeImages, record};
}

constexpr SCommandHintRow Training(int32_t slot, const char* stem, const char* hotkey, int32_t record)
{
    return {slot, stem, hotkey, EHintKind::Training, kLongHint, kManyImages, record};
}

// Technology id t has type record FirstTechnologyRecord + t.
constexpr SCommandHintRow Research(int32_t slot, const char* stem, const char* hotkey, int32_t technologyId)
{
    return {slot, stem, hotkey, EHintKind::SingleCost, kShortHint, kManyImages, FirstTechnologyRecord + technologyId};
}

struct SInterfacePicture
{
    int image;
    const char* file;
};

const SInterfacePicture kInterfacePictures[] = {
    {InterfaceImageCheckBox, "InGame\\Interface\\checkbox.tga"},
    {InterfaceImageCheckBoxChecked, "InGame\\Interface\\checkbox_x-2.tga"},
    {InterfaceImageCheckBoxThird, "InGame\\Interface\\checkbox_x-3.tga"},
    {InterfaceImageSliderThumb, "InGame\\Interface\\slider.tga"},
    {InterfaceImagePause, "InGame\\Menus\\pause.tga"},
};

constexpr uint32_t kPictureAlpha = 255;
constexpr uint32_t kPictureKey = 0xFF0000;

// Null for a missing text: the hint leaves that text out.
const char* HintText(const char* stem, const char* suffix)
{
    return g_Localizer.GetString(CString(stem) + suffix, false);
}

const CUnitStats* CostRecord(int32_t record)
{
    if (g_UnitStats == nullptr || record < 0 || record >= TypeRecordCount)
        return nullptr;
    return &g_UnitStats[record];
}

void BuildHint(CHint& hint, const SCommandHintRow& row)
{
    hint.Init(HintWidth, HintHeight, row.lines, row.images);
    const char* heading = HintText(row.stem, "_H");
    const char* description = HintText(row.stem, "_D");
    const CUnitStats* record = CostRecord(row.record);
    switch (row.kind)
    {
    case EHintKind::Command:
        hint.BuildItemHint(HintHeadingX, HintHeadingY, row.hotkey, heading, description);
        break;
    case EHintKind::SingleCost:
        hint.BuildItemHint(HintHeadingX, HintHeadingY, row.hotkey, heading, description);
        hint.AddCostLine(HintCostX, HintCostY, record);
        break;
    case EHintKind::Training:
        hint.BuildItemHint(HintHeadingX, HintHeadingY, row.hotkey, heading, nullptr);
        hint.AddCostLine(HintCostX, HintCostY, record);
        hint.AddCostLine2(HintCostX, HintCostY, record);
        hint.BuildItemHint(HintTrainingTextX, HintTrainingTextY, nullptr, nullptr, description);
        break;
    }
}
}  // namespace

// The slots follow the command panel: the commands first (0-8, then the
// worker commands at 23-26), the buildings between them (9-22); the type
// records are named, not derived from the key stems, which differ from the
// records' own keys in places.
const SCommandHintRow CommandHintRows[CommandHintRowCount] = {
    Command(0, "HH_CANCEL", "Escape", kNoImages),
    Command(1, "HH_STOP", "T", kNoImages),
    Command(2, "HH_CANCEL_RESEARCH", "Escape", kNoImages),
    Command(3, "HH_RALLYPOINT", "R", kNoImages),
    Command(4, "HH_BUILD_SETTLER", "S", kManyImages),
    Command(5, "HH_CAST_MAGIC", "M", kManyImages),
    Command(6, "HH_KING_UNGARRISON", "U", kManyImages),
    Command(7, "HH_KING_GARRISON", "G", kManyImages),
    Command(8, "HH_WORKER_BUILD", "B", kNoImages),
    Command(23, "HH_WORKER_BUILDADVANCED", "A", kNoImages),
    Command(24, "HH_WORKER_REPAIR", "R", kNoImages),
    Command(25, "HH_WORKER_RUMBLE", "U", kNoImages),
    Command(26, "HH_WORKER_HARVEST", "H", kNoImages),
    Building(9, "HH_W_BUILD_HOUSE", "H", 25),
    Building(10, "HH_W_BUILD_WAREHOUSE", "A", 26),
    Building(11, "HH_W_BUILD_BLACKSMITH", "S", 28),
    Building(12, "HH_W_BUILD_ALCHEMY", "L", 37),
    Building(13, "HH_W_BUILD_BARRACKS", "B", 27),
    Building(14, "HH_W_BUILD_TOWER", "T", 29, kLongHint),
    Building(15, "HH_W_BUILD_WALL", "W", 30),
    Building(16, "HH_W_BUILD_CASTLE", "C", 31),
    Building(17, "HH_W_BUILD_MONASTERY", "M", 32),
    Building(18, "HH_W_BUILD_TRAP", "T", 33),
    Building(19, "HH_W_BUILD_DOCKS", "D", 34),
    Building(20, "HH_W_BUILD_KEEP", "K", 35),
    Building(21, "HH_W_BUILD_STRONGHOLD", "S", 36),
    Building(22, "HH_W_BUILD_DARKALTAR", "R", 38),
    Command(27, "HH_PRIEST_HEAL", "H", kSomeImages),
    Command(28, "HH_MILITARY_ATTACK", "A", kSomeImages),
    Command(29, "HH_MILITARY_ATTACKGROUND", "G", kSomeImages),
    Command(30, "HH_MILITARY_PATROL", "P", kSomeImages),
    Command(31, "HH_MILITARY_DEFEND", "F", kSomeImages),
    Command(32, "HH_MILITARY_S_AGRESSIVE", "R", kSomeImages),
    Command(33, "HH_MILITARY_S_DEFENSIVE", "D", kSomeImages),
    Command(34, "HH_MILITARY_S_STANDGROUND", "S", kSomeImages),
    Command(35, "HH_SHIP_UNGARRISONALL", "U", kSomeImages),
    Command(36, "HH_SHIP_UNGARRISON1", nullptr, kSomeImages),
    Training(37, "HH_TRAIN_WORKER", "L", 0),
    Training(38, "HH_TRAIN_WARRIOR", "W", 1),
    Training(39, "HH_TRAIN_ARCHER", "A", 2),
    // The tower archer is built like a building row.
    {40, "HH_TRAIN_TOWERARCHER", "A", EHintKind::SingleCost, kLongHint, kManyImages, 3},
    Training(41, "HH_TRAIN_CATAPULT", "C", 4),
    Training(42, "HH_TRAIN_DEMOLISHMAN", "M", 11),
    Training(43, "HH_TRAIN_LIGHTCAVALRY", "L", 5),
    Training(44, "HH_TRAIN_TRANSPORTSHIP", "T", 6),
    Training(45, "HH_TRAIN_PRIEST", "P", 7),
    Training(46, "HH_TRAIN_CROSSBOWMAN", "O", 8),
    Training(47, "HH_TRAIN_KNIGHT", "K", 9),
    Training(48, "HH_TRAIN_WARGALLEY", "W", 10),
    Training(49, "HH_TRAIN_HEAVYCAVALRY", "E", 12),
    Training(50, "HH_TRAIN_GIANT", "G", 22),
    Training(51, "HH_TRAIN_DEMON", "D", 23),
    Training(52, "HH_TRAIN_UNDEAD", "U", 24),
    Research(53, "HH_TC_HARVEST_WOOD_1", "H", 0),
    Research(54, "HH_TC_HARVEST_WOOD_2", "H", 1),
    Research(55, "HH_TC_HARVEST_WOOD_3", "T", 2),
    Research(56, "HH_TC_HARVEST_1", "M", 3),
    Research(57, "HH_TC_HARVEST_2", "M", 4),
    Research(58, "HH_TC_CARRY_1", "B", 5),
    Research(59, "HH_TC_CARRY_2", "B", 6),
    Research(60, "HH_TC_CARRY_3", "D", 7),
    Research(61, "HH_TC_STRONGHOLD", "S", 8),
    Research(62, "HH_TC_BUILDSPD_1", "I", 9),
    Research(63, "HH_TC_BUILDSPD_2", "F", 10),
    Research(64, "HH_TC_ATTACK_C_1", "I", 11),
    Research(65, "HH_TC_ATTACK_C_2", "H", 12),
    Research(66, "HH_TC_ATTACK_C_3", "W", 13),
    Research(67, "HH_TC_DEFENSE_C_1", "W", 14),
    Research(68, "HH_TC_DEFENSE_C_2", "O", 15),
    Research(69, "HH_TC_DEFENSE_C_3", "S", 16),
    Research(70, "HH_TC_DEFENSE_R_1", "L", 17),
    Research(71, "HH_TC_DEFENSE_R_2", "C", 18),
    Research(72, "HH_TC_DEFENSE_R_3", "T", 19),
    Research(73, "HH_TC_ATTACK_R_1", "G", 20),
    Research(74, "HH_TC_ATTACK_R_2", "P", 21),
    Research(75, "HH_TC_ATTACK_R_3", "D", 22),
    Research(76, "HH_TC_RANGE_1", "B", 23),
    Research(77, "HH_TC_RANGE_2", "U", 24),
    Research(78, "HH_TC_RANGE_3", "E", 25),
    Research(79, "HH_TC_ATTACK_M_1", "N", 26),
    Research(80, "HH_TC_ATTACK_M_2", "M", 27),
    Research(81, "HH_TC_ATTACK_M_3", "A", 28),
    Research(82, "HH_TC_IRONWORK", "V", 29),
    Research(83, "HH_TC_HORSERIDE", "H", 30),
    Research(84, "HH_TC_CROSSBOW", "C", 31),
    Research(85, "HH_TC_MACHINE_D_1", "I", 39),
    Research(86, "HH_TC_MACHINE_D_2", "B", 40),
    Research(87, "HH_TC_MACHINE_D_3", "A", 41),
    Research(88, "HH_TC_CAT_ATT_1", "H", 42),
    Research(89, "HH_TC_CAT_ATT_2", "E", 43),
    Research(90, "HH_TC_CAT_RNG_1", "S", 45),
    Research(91, "HH_TC_MERCENARY", "M", 44),
    Research(92, "HH_TC_BUILD_D_1", "O", 46),
    Research(93, "HH_TC_BUILD_D_2", "N", 47),
    Research(94, "HH_TC_FF_WALL", "F", 48),
    Research(95, "HH_TC_ADVANCED_BD", "E", 53),
    Research(96, "HH_TC_BALLISTIC", "B", 56),
    Research(97, "HH_TC_CURVEDSHOT", "C", 57),
    Research(98, "HH_TC_PYROTECHNIC", "P", 54),
    Research(99, "HH_TC_EXPLOSIVE", "X", 55),
    Research(100, "HH_TC_FLAMEARROW", "F", 58),
    Research(101, "HH_TC_HIDEOUT", "H", 59),
    Research(102, "HH_TC_BLOODBATH", "L", 60),
    Research(103, "HH_TC_PRIEST_DEF", "H", 49),
    Research(104, "HH_TC_PRIEST_ATT", "F", 50),
    Research(105, "HH_TC_WARGALLEY", "C", 32),
    Research(106, "HH_TC_SHIP_SPEED_1", "A", 33),
    Research(107, "HH_TC_SHIP_SPEED_2", "O", 34),
    Research(108, "HH_TC_SHIP_RANGE_1", "N", 37),
    Research(109, "HH_TC_SHIP_RANGE_2", "B", 38),
    Research(110, "HH_TC_SHIP_ATT_1", "I", 35),
    Research(111, "HH_TC_SHIP_ATT_2", "D", 36),
    Research(112, "HH_TC_AO_GOD", "A", 51),
    Research(113, "HH_TC_RAIN_HELL", "A", 52),
    Command(114, "HH_IF_MINIMAP_DARK", nullptr, kManyImages),
    Command(115, "HH_IF_ONLYUNITS", nullptr, kManyImages),
    Command(116, "HH_IF_UNITACGIONS", nullptr, kManyImages),
    Command(117, "HH_IF_FOW_FILTER", nullptr, kManyImages),
    Command(118, "HH_IF_INGAME_MENU", "F10", kManyImages),
};

void LoadCommandHints()
{
    if (GetGlobalHint(0) == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Command hints are not allocated");
        return;
    }
    for (const SCommandHintRow& row : CommandHintRows)
    {
        CHint* hint = GetGlobalHint(row.slot);
        if (hint != nullptr)
            BuildHint(*hint, row);
    }
}

void LoadInterfaceTextures()
{
    for (const SInterfacePicture& picture : kInterfacePictures)
    {
        C2DImage* image = GetGlobalImage(picture.image);
        if (image == nullptr)
        {
            DEBUG_REPORT("#DEBUG: Interface pictures are not allocated");
            return;
        }
        image->alpha = kPictureAlpha;
        image->colourKey = kPictureKey;
        image->Load(picture.file);
    }
    SetGUIPicture(EGUIPicture::CheckBox, GetGlobalImage(InterfaceImageCheckBox));
    SetGUIPicture(EGUIPicture::CheckBoxChecked, GetGlobalImage(InterfaceImageCheckBoxChecked));
    SetGUIPicture(EGUIPicture::SliderThumb, GetGlobalImage(InterfaceImageSliderThumb));
}
