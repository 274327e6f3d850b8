#include "core/C_Config.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/C_ReplacingFile.h"
#include "core/GlobalFunc.h"
#include "platform/SysFile.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t HighestPort = 65535;
constexpr float LowestLevel = 0.1f;    // gamma and brightness
constexpr float HighestLevel = 2.0f;
constexpr int MultiplayerReportLine = 597;
// Far beyond any real configuration, a few dozen short lines: a longer file
// is damaged or planted, and reading it would take the machine's memory.
constexpr int LongestConfigFile = 1 << 20;

CString ExecutableFolder()
{
    return CString(SysFile::ExecutableFolder().c_str());
}

CString ConfigPath()
{
    return ExecutableFolder() + "v2krn.cfg";
}

// Upper case (a to z), without any byte of 32 or below (NUL included) or of
// 128 or above, cut at the first ';'.
CString NormaliseLine(const std::string& line)
{
    std::string normal;
    for (const char c : line)
    {
        if (c == ';')
            break;
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 32 || byte >= 128)
            continue;
        normal += CString::ToUpperChar(c);
    }
    return CString(normal.c_str());
}

bool StartsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The C library's text-to-integer reading: an optional sign, then the
// leading digits; the rest is ignored and no digits give 0.  Values beyond
// 32 bits are held at the nearest limit.
int32_t ParseInteger(const char* text)
{
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    int64_t magnitude = 0;
    constexpr int64_t Limit = static_cast<int64_t>(INT32_MAX) + 1;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > Limit)
            magnitude = Limit;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return INT32_MAX;
    return static_cast<int32_t>(value);
}

// The C library's text-to-number reading of a decimal fraction: an optional
// sign, then "INF", "INFINITY" or "NAN", or digits, an optional point with
// digits and an optional exponent; the rest is ignored.  The text is in
// upper case (a normalised line).
float ParseDecimal(const char* text)
{
    // Digits past the 18th change nothing a float can hold: they only move
    // the decimal point.
    constexpr int SignificantDigits = 18;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    if (StartsWith(text, "INF"))
        return negative ? -HUGE_VALF : HUGE_VALF;
    if (StartsWith(text, "NAN"))
        return std::nanf("");
    double mantissa = 0.0;
    int digits = 0;
    int scale = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        if (digits < SignificantDigits)
            mantissa = mantissa * 10.0 + (*text - '0');
        else
            ++scale;
        if (mantissa > 0.0)
            ++digits;
    }
    if (*text == '.')
    {
        for (++text; *text >= '0' && *text <= '9'; ++text)
        {
            if (digits >= SignificantDigits)
                continue;
            mantissa = mantissa * 10.0 + (*text - '0');
            --scale;
            if (mantissa > 0.0)
                ++digits;
        }
    }
    const bool exponentFollows =
        (*text == 'E' || *text == 'e') &&
        ((text[1] >= '0' && text[1] <= '9') ||
         ((text[1] == '+' || text[1] == '-') && text[2] >= '0' && text[2] <= '9'));
    if (exponentFollows)
    {
        // Far beyond any float: held so that the sum cannot overflow.
        constexpr int ExponentLimit = 400;
        const int32_t exponent = ParseInteger(text + 1);
        scale += exponent > ExponentLimit ? ExponentLimit
                 : exponent < -ExponentLimit ? -ExponentLimit
                                             : exponent;
    }
    const double value = mantissa == 0.0 ? 0.0 : mantissa * std::pow(10.0, scale);
    // Beyond the largest float the value is infinite, as the C library reads it.
    const float magnitude = value > FLT_MAX ? HUGE_VALF : static_cast<float>(value);
    return negative ? -magnitude : magnitude;
}

// ---- Reading values ---------------------------------------------------------

struct SWord
{
    const char* word;
    int32_t value;
};

template <int N>
void ReadWord(const char* value, const SWord (&words)[N], int32_t& field)
{
    for (const SWord& word : words)
    {
        if (std::strcmp(value, word.word) == 0)
        {
            field = word.value;
            return;
        }
    }
}

void ReadOnOff(const char* value, uint8_t& field)
{
    if (std::strcmp(value, "ON") == 0)
        field = 1;
    else if (std::strcmp(value, "OFF") == 0)
        field = 0;
}

// Gamma and brightness: held between the lowest and the highest level; a
// value that is no number leaves the field as it was.
void ReadLevel(const char* value, float& field)
{
    const float level = ParseDecimal(value);
    if (std::isnan(level))
        return;
    field = std::clamp(level, LowestLevel, HighestLevel);
}

// The number before the next comma, which is removed with it; without a
// comma the number is 0 and the text stays for the next step.
int32_t TakeResolutionPart(CString& rest)
{
    const int comma = rest.Find(",");
    if (comma < 0)
        return 0;
    const int32_t number = ParseInteger(rest.Mid(0, comma));
    rest = rest.Mid(comma + 1, rest.GetLength());
    return number;
}

// A folder value through the path rule of the configuration: "." is the
// executable folder, absolute paths stay, anything else is appended to the
// executable folder and ends in a separator.
CString FolderValue(const char* value)
{
    return GlobalFunc::MakeFullPath(ExecutableFolder(), value);
}

// Additional data files are files: a relative one is appended to the
// executable folder without a closing separator.
CString IncludeValue(const char* value)
{
    if (std::strcmp(value, ".") == 0 || SysFile::IsAbsolutePath(value))
        return FolderValue(value);
    return ExecutableFolder() + value;
}

const SWord AntialiasingWords[] = {{"NONE", 0}, {"2X", 2}, {"3X", 3}, {"4X", 4}};
const SWord MouseCursorWords[] = {{"MONO", 0}, {"COLOR", 1}, {"D3D", 2}, {"D3D_HW", 3}};
const SWord BuildingShadowWords[] = {{"NONE", 0}, {"BLOCK", 1}, {"ALL", 2}};
const SWord ParticleDetailWords[] = {{"LOW", 0}, {"MEDIUM", 1}, {"HIGH", 2}};
const SWord CorpseFrayWords[] = {{"SLOW", 2}, {"NORMAL", 1}, {"FAST", 0}};
const SWord WaterDetailWords[] = {{"LOW", 0}, {"MEDIUM", 1}, {"HIGH", 2}, {"FULL", 3}};
const SWord UnitTextureWords[] = {{"POOR", 0}, {"LOW", 1}, {"MEDIUM", 2}, {"HIGH", 3}};
const SWord TextureDetailWords[] = {{"LOW", 0}, {"MEDIUM", 1}, {"HIGH", 2}};
const SWord WeatherDetailWords[] = {{"NONE", 0}, {"MEDIUM", 1}, {"FULL", 2}};
const SWord NetworkRoleWords[] = {{"HOST", 1}, {"CLIENT", 2}};

struct SLanguage
{
    const char* code;
    const char* folder;
};
const SLanguage Languages[] = {{"HUN", "Hungarian\\"},
                               {"RUS", "Russian\\"},
                               {"GER", "German\\"},
                               {"POL", "Polish\\"},
                               {"ENG", "English\\"}};

// One key of the file: applies the value (the normalised text after the
// '=') to the record; false when the value is refused, which is reported
// like an unknown line.
struct SReadKey
{
    const char* key;
    bool (*apply)(CConfig& config, const char* value);
};

const SReadKey ReadKeys[] = {
    {"DATADIR=", [](CConfig& c, const char* v) { c.dataFolder = FolderValue(v); return true; }},
    {"INCLUDE=", [](CConfig& c, const char* v) { c.includeFiles.Add(IncludeValue(v)); return true; }},
    {"MAPSDIR=", [](CConfig& c, const char* v) { c.mapFolder = FolderValue(v); return true; }},
    {"SCRIPTDIR=", [](CConfig& c, const char* v) { c.scriptFolder = FolderValue(v); return true; }},
    {"SCENARIODIR=", [](CConfig&, const char*) { return true; }},
    {"SAVEDIR=", [](CConfig& c, const char* v) { c.saveFolder = FolderValue(v); return true; }},
    {"RESOLUTION=",
     [](CConfig& c, const char* v) {
         CString rest(v);
         const int32_t width = TakeResolutionPart(rest);
         const int32_t height = TakeResolutionPart(rest);
         const int32_t depth = ParseInteger(rest);
         // Windowed mode takes the size as it is and divides by it: a size
         // that is not positive keeps the default.
         if (width <= 0 || height <= 0 || depth <= 0)
         {
             c.screenWidth = CConfig::DefaultScreenWidth;
             c.screenHeight = CConfig::DefaultScreenHeight;
             c.colourDepth = CConfig::DefaultColourDepth;
             return false;
         }
         c.screenWidth = width;
         c.screenHeight = height;
         c.colourDepth = depth;
         return true;
     }},
    {"ANTIALIASING=", [](CConfig& c, const char* v) { ReadWord(v, AntialiasingWords, c.antialiasing); return true; }},
    {"GAMMA=", [](CConfig& c, const char* v) { ReadLevel(v, c.gamma); return true; }},
    {"BRIGHTNESS=", [](CConfig& c, const char* v) { ReadLevel(v, c.brightness); return true; }},
    {"MOUSECURSOR=", [](CConfig& c, const char* v) { ReadWord(v, MouseCursorWords, c.mouseCursorMode); return true; }},
    {"BUILDINGSHADOW=", [](CConfig& c, const char* v) { ReadWord(v, BuildingShadowWords, c.buildingShadows); return true; }},
    {"UNITSHADOW=", [](CConfig& c, const char* v) { ReadOnOff(v, c.unitShadows); return true; }},
    {"PARTICLEDETAIL=", [](CConfig& c, const char* v) { ReadWord(v, ParticleDetailWords, c.particleDetail); return true; }},
    {"CORPSES=", [](CConfig& c, const char* v) { ReadOnOff(v, c.corpses); return true; }},
    {"BLOOD=", [](CConfig& c, const char* v) { ReadOnOff(v, c.blood); return true; }},
    {"BLOODMARKS=", [](CConfig& c, const char* v) { ReadOnOff(v, c.bloodMarks); return true; }},
    {"CORPSEFRAY=", [](CConfig& c, const char* v) { ReadWord(v, CorpseFrayWords, c.corpseDecaySpeed); return true; }},
    {"UNITDAMAGE=", [](CConfig& c, const char* v) { ReadOnOff(v, c.unitDamage); return true; }},
    {"WATERDETAIL=", [](CConfig& c, const char* v) { ReadWord(v, WaterDetailWords, c.waterDetail); return true; }},
    {"USEHWTNL=", [](CConfig& c, const char* v) { ReadOnOff(v, c.hardwareTnL); return true; }},
    {"UNITTEXTUREDETAIL=", [](CConfig& c, const char* v) { ReadWord(v, UnitTextureWords, c.unitTextureDetail); return true; }},
    {"BUILDINGTEXTUREDETAIL=", [](CConfig& c, const char* v) { ReadWord(v, TextureDetailWords, c.buildingTextureDetail); return true; }},
    {"TERRAINTEXTUREDETAIL=", [](CConfig& c, const char* v) { ReadWord(v, TextureDetailWords, c.terrainTextureDetail); return true; }},
    {"WEATHERDETAIL=", [](CConfig& c, const char* v) { ReadWord(v, WeatherDetailWords, c.weatherDetail); return true; }},
    {"AUDIOENABLED=", [](CConfig& c, const char* v) { ReadOnOff(v, c.audioEnabled); return true; }},
    {"ENVIRONMENTEFFECTS=", [](CConfig& c, const char* v) { ReadOnOff(v, c.environmentEffects); return true; }},
    {"MUSICVOLUME=", [](CConfig& c, const char* v) { c.musicVolume = ParseInteger(v); return true; }},
    {"SOUNDVOLUME=", [](CConfig& c, const char* v) { c.soundVolume = ParseInteger(v); return true; }},
    {"UNITSPEECHVOLUME=", [](CConfig& c, const char* v) { c.unitSpeechVolume = ParseInteger(v); return true; }},
    {"LOGGING=", [](CConfig& c, const char* v) { ReadOnOff(v, c.logging); return true; }},
    {"MOUSESCROLLING=", [](CConfig& c, const char* v) { ReadOnOff(v, c.mouseScrolling); return true; }},
    {"HOOVERHINT=", [](CConfig& c, const char* v) { ReadOnOff(v, c.hoverHints); return true; }},
    {"WINSOCKPORT=", [](CConfig& c, const char* v) { c.networkPort = ParseInteger(v); return true; }},
    {"BACKUPFILES=", [](CConfig& c, const char* v) { ReadOnOff(v, c.backupFiles); return true; }},
    {"SHOWUNITACTIONICONS=", [](CConfig& c, const char* v) { ReadOnOff(v, c.showUnitActionIcons); return true; }},
    {"AUTOSAVE=",
     [](CConfig& c, const char* v) {
         c.autosave = std::strcmp(v, "OFF") == 0 ? CConfig::AutosaveOff : ParseInteger(v);
         return true;
     }},
    {"UNITHEALTHMULTIPLY=", [](CConfig& c, const char* v) { ReadOnOff(v, c.unitHealthMultiply); return true; }},
    {"LANGUAGE=",
     [](CConfig& c, const char* v) {
         for (const SLanguage& language : Languages)
             if (std::strcmp(v, language.code) == 0)
                 c.languageFolder = language.folder;
         return true;
     }},
    {"TCPIP_PORT=",
     [](CConfig& c, const char* v) {
         const int32_t port = ParseInteger(v);
         c.networkPort = port < 0 ? 0 : port > HighestPort ? HighestPort : port;
         return true;
     }},
    {"WINDOWEDMODE=", [](CConfig& c, const char* v) { ReadOnOff(v, c.windowed); return true; }},
    {"#DEBUG_MULTIPLAYER=",
     [](CConfig& c, const char* v) {
         DEBUG_REPORT_AT(nullptr, MultiplayerReportLine);
         ReadWord(v, NetworkRoleWords, c.networkRole);
         return true;
     }},
    {"#DEBUG_PLAYER_ID=",
     [](CConfig&, const char* v) {
         // The index selects one of the eight players everywhere.
         const int32_t index = ParseInteger(v);
         if (index < 0 || index >= MaxPlayers)
             return false;
         g_LocalPlayer = index;
         return true;
     }},
};

void ReportInvalidSetting(const CString& normalLine)
{
    g_Log.Write(CString("#DEBUG: Invalid setting in the config file: ") + normalLine);
}

void ApplyLine(CConfig& config, const std::string& line)
{
    const CString normal = NormaliseLine(line);
    for (const SReadKey& key : ReadKeys)
    {
        if (StartsWith(normal, key.key))
        {
            if (!key.apply(config, normal.GetBuffer() + std::strlen(key.key)))
                ReportInvalidSetting(normal);
            return;
        }
    }
    ReportInvalidSetting(normal);
}

// ---- Writing values ---------------------------------------------------------

CString Decimal(int32_t value)
{
    CString text;
    text.FromInt(value);
    return text;
}

CString OnOff(uint8_t flag)
{
    return CString(flag ? "On" : "Off");
}

template <int N>
CString Word(int32_t value, const char* const (&words)[N])
{
    if (value < 0 || value >= N)
        return CString("*ERROR*");
    return CString(words[value]);
}

// Gamma and brightness with two decimals, rounded to the nearest hundredth
// so that a value survives being read and written again unchanged.
CString Hundredths(float level)
{
    constexpr double Limit = 1.0e9;
    double scaled = std::isfinite(level) ? static_cast<double>(level) * 100.0 : 0.0;
    if (scaled > Limit)
        scaled = Limit;
    if (scaled < -Limit)
        scaled = -Limit;
    const int64_t hundredths = std::llround(scaled);
    const int64_t magnitude = hundredths < 0 ? -hundredths : hundredths;
    CString whole;
    whole.FromInt(static_cast<int>(magnitude / 100));
    CString fraction;
    fraction.FromInt(static_cast<int>(magnitude % 100), 2, '0');
    return CString(hundredths < 0 ? "-" : "") + whole + "." + fraction;
}

const char* const BuildingShadowTexts[] = {"None", "Block", "All"};
const char* const DetailTexts[] = {"Low", "Medium", "High"};
const char* const CorpseFrayTexts[] = {"Fast", "Normal", "Slow"};
const char* const WaterDetailTexts[] = {"Low", "Medium", "High", "Full"};
const char* const UnitTextureTexts[] = {"Poor", "Low", "Medium", "High"};
const char* const WeatherDetailTexts[] = {"None", "Medium", "Full"};

// The settings the game can change, written back into their lines.
struct SWriteKey
{
    const char* key;
    CString (*format)(const CConfig& config);
};

const SWriteKey WriteKeys[] = {
    {"RESOLUTION=",
     [](const CConfig& c) {
         return Decimal(c.screenWidth) + "," + Decimal(c.screenHeight) + "," + Decimal(c.colourDepth);
     }},
    {"GAMMA=", [](const CConfig& c) { return Hundredths(c.gamma); }},
    {"BRIGHTNESS=", [](const CConfig& c) { return Hundredths(c.brightness); }},
    {"BUILDINGSHADOW=", [](const CConfig& c) { return Word(c.buildingShadows, BuildingShadowTexts); }},
    {"UNITSHADOW=", [](const CConfig& c) { return OnOff(c.unitShadows); }},
    {"PARTICLEDETAIL=", [](const CConfig& c) { return Word(c.particleDetail, DetailTexts); }},
    {"CORPSES=", [](const CConfig& c) { return OnOff(c.corpses); }},
    {"BLOOD=", [](const CConfig& c) { return OnOff(c.blood); }},
    {"BLOODMARKS=", [](const CConfig& c) { return OnOff(c.bloodMarks); }},
    {"CORPSEFRAY=", [](const CConfig& c) { return Word(c.corpseDecaySpeed, CorpseFrayTexts); }},
    {"UNITDAMAGE=", [](const CConfig& c) { return OnOff(c.unitDamage); }},
    {"WATERDETAIL=", [](const CConfig& c) { return Word(c.waterDetail, WaterDetailTexts); }},
    {"UNITTEXTUREDETAIL=", [](const CConfig& c) { return Word(c.unitTextureDetail, UnitTextureTexts); }},
    {"BUILDINGTEXTUREDETAIL=", [](const CConfig& c) { return Word(c.buildingTextureDetail, DetailTexts); }},
    {"TERRAINTEXTUREDETAIL=", [](const CConfig& c) { return Word(c.terrainTextureDetail, DetailTexts); }},
    {"WEATHERDETAIL=", [](const CConfig& c) { return Word(c.weatherDetail, WeatherDetailTexts); }},
    {"ENVIRONMENTEFFECTS=", [](const CConfig& c) { return OnOff(c.environmentEffects); }},
    {"MUSICVOLUME=", [](const CConfig& c) { return Decimal(c.musicVolume); }},
    {"SOUNDVOLUME=", [](const CConfig& c) { return Decimal(c.soundVolume); }},
    {"UNITSPEECHVOLUME=", [](const CConfig& c) { return Decimal(c.unitSpeechVolume); }},
    {"MOUSESCROLLING=", [](const CConfig& c) { return OnOff(c.mouseScrolling); }},
    {"HOOVERHINT=", [](const CConfig& c) { return OnOff(c.hoverHints); }},
    {"BACKUPFILES=", [](const CConfig& c) { return OnOff(c.backupFiles); }},
    {"SHOWUNITACTIONICONS=", [](const CConfig& c) { return OnOff(c.showUnitActionIcons); }},
    {"AUTOSAVE=",
     [](const CConfig& c) {
         return c.autosave == CConfig::AutosaveOff ? CString("Off") : Decimal(c.autosave);
     }},
    {"UNITHEALTHMULTIPLY=", [](const CConfig& c) { return OnOff(c.unitHealthMultiply); }},
    {"TCPIP_PORT=", [](const CConfig& c) { return Decimal(c.networkPort); }},
};

// The line as it goes back into the file: a written key gets the record's
// value, every other line stays as it was, byte for byte.  The value is
// replaced only in the text before the first NUL, CR or LF byte of the line
// (a value never holds one); the bytes from there on stay as they were.
std::string RewriteLine(const CConfig& config, const std::string& line)
{
    const CString normal = NormaliseLine(line);
    for (const SWriteKey& key : WriteKeys)
    {
        if (StartsWith(normal, key.key))
        {
            const size_t headLength = std::min(line.find_first_of(std::string("\0\r\n", 3)), line.size());
            const std::string head = line.substr(0, headLength);
            const CString keyName = CString(key.key).Mid(0, static_cast<int>(std::strlen(key.key)) - 1);
            const CString replaced = GlobalFunc::ReplaceConfigValue(head.c_str(), keyName, key.format(config));
            return std::string(replaced.GetBuffer()) + line.substr(headLength);
        }
    }
    return line;
}

// Hands each line of the file in turn to the handler, whole (the pieces of a
// line longer than the line buffer joined again) and byte for byte; false
// when reading stopped before the end.
template <typename Handler>
bool ForEachLine(CFile& file, Handler handler)
{
    std::string line;
    while (!file.IsEOF())
    {
        const int before = file.GetPos();
        int length = 0;
        bool ended = false;
        const char* piece = file.ReadLine(length, ended);
        if (file.GetPos() == before)
            return false;
        line.append(piece, static_cast<size_t>(length));
        if (!ended && !file.IsEOF())
            continue;
        handler(line);
        line.clear();
    }
    return true;
}

void ReportWriteFailure(const char* what)
{
    g_Log.Write(CString("#DEBUG: The config file was not written: ") + what);
}

void SetDefaults(CConfig& config)
{
    config.dataFolder = FolderValue(".\\");
    config.mapFolder = FolderValue(".\\maps\\");
    config.saveFolder = FolderValue(".\\");
    config.scriptFolder = FolderValue(".\\");

    CString language = GlobalFunc::GetMediaInfoField("#LANGUAGE#");
    if (language.IsEmpty())
        language = "English\\";
    if (language[language.GetLength() - 1] != '\\')
        language += '\\';
    config.languageFolder = language;

    config.includeFiles.Clear();
    config.screenWidth = CConfig::DefaultScreenWidth;
    config.screenHeight = CConfig::DefaultScreenHeight;
    config.colourDepth = CConfig::DefaultColourDepth;
    config.windowed = 0;
    config.gamma = 1.0f;
    config.brightness = 1.0f;
    config.mouseCursorMode = 2;
    config.buildingShadows = 2;
    config.antialiasing = 0;
    config.unitShadows = 1;
    config.particleDetail = 2;
    config.corpses = 1;
    config.unitDamage = 1;
    config.bloodMarks = 1;
    config.blood = 1;
    config.corpseDecaySpeed = 1;
    config.waterDetail = 3;
    config.hardwareTnL = 1;
    config.unitTextureDetail = 3;
    config.buildingTextureDetail = 2;
    config.terrainTextureDetail = 2;
    config.weatherDetail = 2;
    config.audioEnabled = 1;
    config.environmentEffects = 1;
    config.musicVolume = 100;
    config.soundVolume = 100;
    config.showGrid = 0;
    config.showBlocked = 0;
    config.showWeatherMap = 0;
    config.showAlarmBlocks = 0;
    config.logging = 0;
    config.mouseScrolling = 1;
    config.editorMode = 0;
    config.fogPlayerShown = -1;
    config.hoverHints = 1;
    config.showTimer = 0;
    config.showFrameRate = 0;
    config.viewOptions[0] = config.viewOptions[1] = config.viewOptions[2] = 0;
    config.backupFiles = 1;
    config.showUnitActionIcons = 0;
    config.fogOfWar = 1;
    config.autosave = 3;
    config.visibilityMode = 2;
    config.unitHealthMultiply = 1;
    config.showPlayerPoints = 0;
    config.networkPort = 5555;
    config.multiplayerMapFile = "";
    config.networkRole = 0;
    config.gatheringFactor = 1;
    config.productionFactor = 1;
    config.debugInformation = 0;
    config.dataFileReadDelay = 0;
}
} // namespace

// ---- CConfig ------------------------------------------------------------------

CConfig::CConfig() = default;

CConfig::~CConfig() = default;

CConfig::CConfig(const CConfig& other)
{
    *this = other;
}

CConfig& CConfig::operator=(const CConfig& other)
{
    if (this == &other)
        return *this;
    dataFolder = other.dataFolder;
    mapFolder = other.mapFolder;
    scriptFolder = other.scriptFolder;
    saveFolder = other.saveFolder;
    includeFiles = other.includeFiles;
    languageFolder = other.languageFolder;
    screenWidth = other.screenWidth;
    screenHeight = other.screenHeight;
    colourDepth = other.colourDepth;
    windowed = other.windowed;
    gamma = other.gamma;
    brightness = other.brightness;
    hardwareCursor = other.hardwareCursor;
    mouseCursorMode = other.mouseCursorMode;
    buildingShadows = other.buildingShadows;
    antialiasing = other.antialiasing;
    unitShadows = other.unitShadows;
    particleDetail = other.particleDetail;
    corpses = other.corpses;
    unitDamage = other.unitDamage;
    bloodMarks = other.bloodMarks;
    blood = other.blood;
    corpseDecaySpeed = other.corpseDecaySpeed;
    waterDetail = other.waterDetail;
    hardwareTnL = other.hardwareTnL;
    unitTextureDetail = other.unitTextureDetail;
    buildingTextureDetail = other.buildingTextureDetail;
    terrainTextureDetail = other.terrainTextureDetail;
    weatherDetail = other.weatherDetail;
    audioEnabled = other.audioEnabled;
    environmentEffects = other.environmentEffects;
    musicVolume = other.musicVolume;
    soundVolume = other.soundVolume;
    unitSpeechVolume = other.unitSpeechVolume;
    showGrid = other.showGrid;
    showBlocked = other.showBlocked;
    showWeatherMap = other.showWeatherMap;
    showAlarmBlocks = other.showAlarmBlocks;
    logging = other.logging;
    mouseScrolling = other.mouseScrolling;
    editorMode = other.editorMode;
    fogPlayerShown = other.fogPlayerShown;
    hoverHints = other.hoverHints;
    showTimer = other.showTimer;
    showFrameRate = other.showFrameRate;
    for (int i = 0; i < 3; ++i)
        viewOptions[i] = other.viewOptions[i];
    backupFiles = other.backupFiles;
    showUnitActionIcons = other.showUnitActionIcons;
    fogOfWar = other.fogOfWar;
    autosave = other.autosave;
    visibilityMode = other.visibilityMode;
    unitHealthMultiply = other.unitHealthMultiply;
    showPlayerPoints = other.showPlayerPoints;
    networkPort = other.networkPort;
    multiplayerMapFile = other.multiplayerMapFile;
    networkRole = other.networkRole;
    gatheringFactor = other.gatheringFactor;
    productionFactor = other.productionFactor;
    debugInformation = other.debugInformation;
    dataFileReadDelay = other.dataFileReadDelay;
    return *this;
}

// ---- Reading and writing the file ---------------------------------------------

bool ReadConfig()
{
    SetDefaults(g_Config);

    CFile file;
    if (!file.OpenReadDisk(ConfigPath()))
        return true;
    if (file.GetSize() > LongestConfigFile)
    {
        file.Close();
        return false;
    }
    ForEachLine(file, [](const std::string& line) { ApplyLine(g_Config, line); });
    file.Close();
    return true;
}

namespace
{
// The file that a write-back replaces: "v2krn.cfg" itself, or the file its
// link leads to, so that a linked configuration stays linked.  A folder, a
// pipe or a device there is never replaced.
bool FindConfigTarget(CString& target)
{
    std::string disk;
    if (!SysFile::FindReplacementTarget(ConfigPath(), disk))
    {
        ReportWriteFailure("\"v2krn.cfg\" is no regular file");
        return false;
    }
    target = disk.c_str();
    return true;
}

// The new file is made beside the one it replaces: "v2krn.cfgnew".
CString NewConfigPath(const CString& target)
{
    return target + "new";
}

// CopyDefaultConfig once the file it replaces is known.
bool CopyDefaultConfigTo(const CString& target)
{
    CFile source;
    if (!source.OpenRead("Config\\default.cfg"))
    {
        ReportWriteFailure("\"Config\\default.cfg\" not found");
        return false;
    }
    const int size = source.GetSize();
    if (size > LongestConfigFile)
    {
        // A copy the next start would refuse to read.
        source.Close();
        ReportWriteFailure("\"Config\\default.cfg\" is longer than any configuration");
        return false;
    }
    char* buffer = new char[size > 0 ? size : 1];
    const int read = size > 0 ? source.Read(buffer, size) : 0;
    source.Close();

    bool copied = false;
    if (read == size)
    {
        CReplacingFile writer(NewConfigPath(target));
        writer.Write(buffer, size);
        copied = writer.Commit(target);
    }
    delete[] buffer;
    if (!copied)
        ReportWriteFailure("copy of \"Config\\default.cfg\" failed");
    return copied;
}
} // namespace

bool CopyDefaultConfig()
{
    CString target;
    return FindConfigTarget(target) && CopyDefaultConfigTo(target);
}

bool WriteConfig()
{
    CString target;
    if (!FindConfigTarget(target))
        return false;
    CFile current;
    const bool opened = current.OpenReadDisk(target);
    if (opened && current.GetSize() > LongestConfigFile)
    {
        // Start-up said that it took the defaults instead; the file stays
        // as the player left it.
        current.Close();
        ReportWriteFailure("\"v2krn.cfg\" is longer than any configuration and stays as it is");
        return true;
    }
    if (!opened)
    {
        if (!CopyDefaultConfigTo(target))
            return false;
        if (!current.OpenReadDisk(target))
        {
            ReportWriteFailure("\"v2krn.cfg\" cannot be read");
            return false;
        }
    }

    CReplacingFile writer(NewConfigPath(target));
    if (!writer.IsOpen())
    {
        current.Close();
        ReportWriteFailure("\"v2krn.cfgnew\" cannot be created");
        return false;
    }
    // Every written line ends in CR LF; one write per line, so that a line
    // is never torn from its end.  A value written longer than it was read
    // can take a file near the bound past it, and the next start would read
    // none of it: such a file is not written.
    int64_t writtenBytes = 0;
    const bool readWhole = ForEachLine(current, [&writer, &writtenBytes](const std::string& line) {
        const std::string written = RewriteLine(g_Config, line) + "\r\n";
        writtenBytes += static_cast<int64_t>(written.size());
        if (writtenBytes <= LongestConfigFile)
            writer.Write(written.data(), static_cast<int>(written.size()));
    });
    current.Close();

    if (writtenBytes > LongestConfigFile)
    {
        ReportWriteFailure("\"v2krn.cfg\" would grow longer than any configuration and stays as it is");
        return false;
    }
    if (!readWhole || !writer.Commit(target))
    {
        ReportWriteFailure("writing \"v2krn.cfgnew\" failed");
        return false;
    }
    return true;
}
