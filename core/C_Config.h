#pragma once
// The one configuration record.  Fields are in the order the option forms
// copy them; every subsystem reads them directly.  ReadConfig fills it from
// "v2krn.cfg" in the executable folder at start, WriteConfig writes the
// changeable settings back at exit.

#include <cstdint>

#include "core/C_String.h"

class CConfig
{
public:
    CConfig();
    ~CConfig();
    CConfig(const CConfig& other);
    CConfig& operator=(const CConfig& other);

    static constexpr int32_t DefaultScreenWidth = 1024;
    static constexpr int32_t DefaultScreenHeight = 768;
    static constexpr int32_t DefaultColourDepth = 32;
    static constexpr int32_t AutosaveOff = -1;

    CString dataFolder;
    CString mapFolder;
    CString scriptFolder;
    CString saveFolder;
    CStringArray includeFiles;
    CString languageFolder;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t colourDepth = 0;
    uint8_t windowed = 0;
    float gamma = 0.0f;
    float brightness = 0.0f;
    uint8_t hardwareCursor = 0;
    int32_t mouseCursorMode = 0;
    int32_t buildingShadows = 0;
    int32_t antialiasing = 0;
    uint8_t unitShadows = 0;
    int32_t particleDetail = 0;
    uint8_t corpses = 0;
    uint8_t unitDamage = 0;
    uint8_t bloodMarks = 0;
    uint8_t blood = 0;
    int32_t corpseDecaySpeed = 0;
    int32_t waterDetail = 0;
    uint8_t hardwareTnL = 0;
    int32_t unitTextureDetail = 0;
    int32_t buildingTextureDetail = 0;
    int32_t terrainTextureDetail = 0;
    int32_t weatherDetail = 0;
    uint8_t audioEnabled = 0;
    uint8_t environmentEffects = 0;
    int32_t musicVolume = 0;
    int32_t soundVolume = 0;
    int32_t unitSpeechVolume = 0;
    uint8_t showGrid = 0;
    uint8_t showBlocked = 0;
    uint8_t showWeatherMap = 0;
    uint8_t showAlarmBlocks = 0;
    uint8_t logging = 0;
    uint8_t mouseScrolling = 0;
    uint8_t editorMode = 0;
    int32_t fogPlayerShown = 0;
    uint8_t hoverHints = 0;
    uint8_t showTimer = 0;
    uint8_t showFrameRate = 0;
    uint8_t viewOptions[3] = {0, 0, 0};
    uint8_t backupFiles = 0;
    uint8_t showUnitActionIcons = 0;
    uint8_t fogOfWar = 0;
    int32_t autosave = 0;
    int32_t visibilityMode = 0;
    uint8_t unitHealthMultiply = 0;
    uint8_t showPlayerPoints = 0;
    int32_t networkPort = 0;
    CString multiplayerMapFile;
    int32_t networkRole = 0;
    int32_t gatheringFactor = 0;
    int32_t productionFactor = 0;
    uint8_t debugInformation = 0;
    uint8_t dataFileReadDelay = 0;
};

extern CConfig g_Config;

// Gives g_Config its defaults, then reads "v2krn.cfg" of the executable
// folder when there is one (nothing is created when there is none).
// "#DEBUG_PLAYER_ID=" sets the index of the local player, g_LocalPlayer.
// False, with the defaults standing, when the file is longer than any
// configuration (1 MiB): it is not read.
bool ReadConfig();
// Rewrites "v2krn.cfg" (made from "Config\default.cfg" of the data files
// when missing) with the current values of the settings the game changes.
// The file is replaced whole or not at all; false leaves it as it was,
// as it does when the new file would be longer than any configuration.  A
// file longer than any configuration is left as it is (true): start-up
// read none of it.
bool WriteConfig();
// Copies "Config\default.cfg" of the data files to "v2krn.cfg"; false when
// the default is missing or longer than any configuration, or the copy
// failed (the old file then stays).
bool CopyDefaultConfig();
