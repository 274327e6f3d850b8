// The game's sample table and the start-up load of the bank.

#include <algorithm>
#include <cstring>
#include <string>

#include "core/C_File.h"
#include "media/C_LoadingScreen.h"
#include "media/C_VoiceBank.h"

namespace
{
constexpr float Full = 1.0f;
// The loading screen of start-up: the picture the language names.
constexpr int32_t StartupLoadingScreen = 0;

// first slot, count, voices, volume factor, folder, name, explicit files.
// Slots 31, 251 and 252 stay empty.
const std::vector<SSampleRow> SampleTable = {
    {0, 4, 1, Full, "Worker", "chop-tree", nullptr},
    {4, 2, 1, Full, "Worker", "pick-stone", nullptr},
    {6, 2, 2, 0.9f, "Worker", "build-repair", "Worker\\build-repair-1;Worker\\build-repair-1"},
    {8, 4, 2, Full, "Archer", "attack", nullptr},
    {12, 3, 1, 0.5f, "Catapult", "attack", nullptr},
    {15, 3, 1, 0.5f, "Catapult", "reload", nullptr},
    {18, 3, 2, Full, "Ship", "wreck", nullptr},
    {21, 3, 2, Full, "Ship", "stand", nullptr},
    {24, 1, 2, Full, "Ship", "cannon", nullptr},
    {25, 3, 2, Full, "Trap", "die", nullptr},
    {28, 2, 2, Full, "Trap", "attack", nullptr},
    {30, 1, 2, 0.5f, "Priest", "attack", nullptr},
    {32, 4, 2, Full, "Knight", "hit-sword", nullptr},
    {36, 4, 2, Full, "Knight", "hit-arrow", nullptr},
    {40, 3, 2, Full, "Knight", "hit-club", nullptr},
    {43, 4, 2, Full, "Knight", "die-sword", nullptr},
    {47, 1, 2, Full, "Knight", "fall", nullptr},
    {48, 3, 2, Full, "DemolishMan", "explode", nullptr},
    {51, 1, 2, Full, "Quib", "attack", nullptr},
    {52, 1, 2, Full, "Warhound", "attack", nullptr},
    {53, 2, 2, Full, "Giant", "hit-arrow", nullptr},
    {55, 2, 2, Full, "Giant", "Die", nullptr},
    {57, 1, 2, 0.8f, "Demon", "attack", nullptr},
    {58, 1, 4, Full, "Demon", "hit-arrow", nullptr},
    {59, 1, 4, Full, "Demon", "Die", nullptr},
    {60, 2, 2, 0.9f, "Undead", "hit-sword", nullptr},
    {62, 2, 2, 0.9f, "Undead", "die", nullptr},
    {64, 2, 2, Full, "Human", "hit-sword", nullptr},
    {66, 3, 2, Full, "Human", "hit-arrow", nullptr},
    {69, 2, 2, Full, "Human", "hit-siege", nullptr},
    {71, 2, 2, Full, "Human", "hit-club", nullptr},
    {73, 1, 2, 0.5f, "Human", "hit-fireball", nullptr},
    {74, 12, 2, Full, "Human", "die-sword", nullptr},
    {86, 12, 2, Full, "Human", "die-arrow", nullptr},
    {98, 2, 2, Full, "Human", "die-siege", nullptr},
    {100, 8, 2, Full, "Human", "die-club", nullptr},
    {108, 4, 2, 0.7f, "Human", "die-fireball", nullptr},
    {112, 6, 2, Full, "Human", "die-trap", nullptr},
    {118, 3, 2, 0.8f, "Machine", "hit-sword", nullptr},
    {121, 3, 2, 0.8f, "Machine", "hit-arrow", nullptr},
    {124, 3, 2, 0.5f, "Machine", "hit-siege", nullptr},
    {127, 2, 2, 0.8f, "Machine", "hit-club", nullptr},
    {129, 1, 2, Full, "Machine", "hit-fireball", nullptr},
    {130, 3, 2, Full, "Machine", "break", nullptr},
    {133, 2, 2, 0.8f, "Arrow", "hit-ground", nullptr},
    {135, 2, 2, 0.8f, "Arrow", "hit-water", nullptr},
    {137, 3, 2, 0.5f, "CatapultStone", "hit-ground", nullptr},
    {140, 3, 2, 0.5f, "CatapultStone", "hit-water", nullptr},
    {143, 1, 2, 0.5f, "Fireball", "hit-ground", nullptr},
    {144, 2, 2, 0.8f, "Fireball", "hit-water", nullptr},
    {146, 2, 2, Full, "Tree", "fall", nullptr},
    {148, 1, 2, Full, "Tree", "hit-siege", nullptr},
    {149, 1, 2, 0.6f, "Tree", "die-siege", nullptr},
    {150, 9, 2, Full, "Horse", "stand", nullptr},
    {159, 3, 2, Full, "Horse", "die", nullptr},
    {162, 1, 2, Full, "Horse", "fall", nullptr},
    {163, 1, 1, Full, "Building", "place", nullptr},
    {164, 1, 1, Full, "Building", "noplace", nullptr},
    {165, 4, 2, Full, "Building", "hit-sword", nullptr},
    {169, 4, 2, Full, "Building", "hit-arrow", nullptr},
    {173, 4, 1, 0.5f, "Building", "hit-siege", nullptr},
    {177, 2, 2, 0.5f, "Building", "hit-club", nullptr},
    {179, 1, 2, 0.5f, "Building", "hit-fireball", nullptr},
    {180, 4, 1, 0.8f, "Building", "die", nullptr},
    {184, 1, 2, 0.8f, "Building", "rockfall", nullptr},
    {185, 1, 1, Full, "SelectBuilding", "unfinished", nullptr},
    {186, 1, 1, Full, "SelectBuilding", "castle", nullptr},
    {187, 1, 1, Full, "SelectBuilding", "barracks", nullptr},
    {188, 1, 1, Full, "SelectBuilding", "alchemy", nullptr},
    {189, 1, 1, Full, "SelectBuilding", "blacksmith", nullptr},
    {190, 1, 1, Full, "SelectBuilding", "house", nullptr},
    {191, 1, 1, Full, "SelectBuilding", "tower", nullptr},
    {192, 1, 1, Full, "SelectBuilding", "storage", nullptr},
    {193, 1, 1, Full, "SelectBuilding", "monastery", nullptr},
    {194, 1, 1, Full, "SelectBuilding", "keep", nullptr},
    {195, 1, 1, 0.8f, "SelectBuilding", "docks", nullptr},
    {196, 1, 1, 0.8f, "SelectBuilding", "darkaltar", nullptr},
    {197, 7, 2, Full, "Nature", "birds", nullptr},
    {204, 3, 2, Full, "Nature", "water", "Nature\\water-1;Nature\\water-2;Nature\\water-5"},
    {207, 2, 2, Full, "Nature", "water", "Nature\\water-3;Nature\\water-4"},
    {209, 3, 2, 0.5f, "Nature", "sea", nullptr},
    {212, 2, 2, 0.5f, "Nature", "sea", "Nature\\sea-4;Nature\\sea-5"},
    {214, 3, 2, Full, "Nature", "wind", nullptr},
    {217, 1, 1, 0.8f, "Nature", "fire", nullptr},
    {218, 1, 1, Full, "Nature", "rain", nullptr},
    {219, 3, 1, Full, "Nature", "storm", nullptr},
    {222, 4, 2, Full, "Nature", "village", nullptr},
    {226, 8, 2, 0.5f, "Nature", "swamp", nullptr},
    {234, 5, 2, Full, "Nature", "cave", nullptr},
    {239, 2, 2, Full, "Nature", "swamp", "Nature\\swamp-8;Nature\\village-4"},
    {241, 3, 2, Full, "Nature", "village", "Nature\\village-2;Nature\\village-3;Nature\\village-1"},
    {244, 4, 2, Full, "Nature", "water", "Nature\\water-1;Nature\\water-2;Nature\\water-5;Nature\\sea-2"},
    {248, 2, 2, Full, "Nature", "swamp", "Nature\\swamp-7;Nature\\swamp-1"},
    {250, 1, 2, Full, "Magic", "firerain", nullptr},
    {253, 1, 1, 0.5f, "DecorBuilding", "gate-open", nullptr},
    {254, 1, 1, Full, "DecorBuilding", "chest-open", nullptr},
    {255, 1, 1, Full, "Interface", "click", nullptr},
    {256, 1, 1, Full, "Interface", "attack", nullptr},
};

const char* const SoundFolder = "Sounds\\";
const char* const SampleExtension = ".snd";

// Reads every file the list names once, so that the data file's reader
// has met them before the samples are decoded.
void PreloadListedFiles(const char* listName)
{
    CFile list;
    if (!list.OpenRead(listName))
        return;
    std::vector<CString> names;
    for (;;)
    {
        int length = 0;
        bool ended = false;
        const char* line = list.ReadLine(length, ended);
        if (length == 0 && !ended)
            break;
        if (line[0] != '\0')
            names.emplace_back(line);
    }
    list.Close();
    for (const CString& name : names)
    {
        CFile file;
        if (file.OpenRead(name.GetBuffer()))
            file.Close();
    }
}
} // namespace

const std::vector<SSampleRow>& GetSampleTable()
{
    return SampleTable;
}

CString GetSampleFileList(const SSampleRow& row)
{
    CString list;
    if (row.files != nullptr)
    {
        const CString stems(row.files);
        int start = 0;
        while (start <= stems.GetLength())
        {
            int end = stems.Find(";", start);
            if (end < 0)
                end = stems.GetLength();
            if (!list.IsEmpty())
                list += ";";
            list += CString(SoundFolder) + stems.Mid(start, end - start) + SampleExtension;
            start = end + 1;
        }
        return list;
    }
    for (int32_t i = 1; i <= row.count; ++i)
    {
        if (i > 1)
            list += ";";
        list += CString(SoundFolder) + row.folder + "\\" + row.name + "-" + std::to_string(i).c_str() + SampleExtension;
    }
    return list;
}

std::vector<CString> GetSampleFileNames()
{
    std::vector<CString> names;
    for (const SSampleRow& row : SampleTable)
    {
        const CString list = GetSampleFileList(row);
        int start = 0;
        while (start <= list.GetLength())
        {
            int end = list.Find(";", start);
            if (end < 0)
                end = list.GetLength();
            const CString name = list.Mid(start, end - start);
            if (std::none_of(names.begin(), names.end(), [&](const CString& n) { return n == name; }))
                names.push_back(name);
            start = end + 1;
        }
    }
    return names;
}

namespace
{
// The loading screen's bar takes one step per group of rows: the rows of
// one sample folder in a run.
int32_t CountSampleGroups()
{
    int32_t groups = 0;
    const char* previous = nullptr;
    for (const SSampleRow& row : SampleTable)
    {
        if (previous == nullptr || std::strcmp(previous, row.folder) != 0)
            ++groups;
        previous = row.folder;
    }
    return groups;
}
} // namespace

void LoadSoundBank(SysSound::Device* device)
{
    g_VoiceBank.Init(SoundBankSlots, device);
    if (device == nullptr)
        return;
    CLoadingScreen screen;
    screen.Init(StartupLoadingScreen, CountSampleGroups());
    PreloadListedFiles("sounds.fls");
    const char* previous = nullptr;
    for (const SSampleRow& row : SampleTable)
    {
        if (previous != nullptr && std::strcmp(previous, row.folder) != 0)
            screen.Step();
        previous = row.folder;
        const CString files = GetSampleFileList(row);
        g_VoiceBank.LoadSample(row.volumeFactor, row.firstSlot, row.count, files.GetBuffer(), row.voices);
    }
    screen.Step();
    screen.Free();
}
