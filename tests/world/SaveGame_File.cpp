// Save files laid out byte by byte from the format, not by the stream that writes them.

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <tuple>

#include "WorldTestSupport.h"
#include "core/C_CRC32.h"
#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/C_String.h"
#include "frontend/C_PlayerProfiles.h"
#include "platform/SysFile.h"
#include "tests/support/PlayerTestObjects.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_ReferencedObjects.h"
#include "world/C_SaveGame.h"

namespace
{
constexpr const char* Language = "English\\";
constexpr uint32_t CurrentVersion = 0x01010004;
constexpr size_t HeaderSize = 26 + 8;   // with the language above
// The payload "123456789" and its CRC-32, the check value of the polynomial.
const std::vector<uint8_t> CheckPayload = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
constexpr uint32_t CheckPayloadCrc = 0xCBF43926u;
// The demo data's texts of the stream's status keys.
constexpr const char* DemoTexts = V2KRN_SOURCE_DIR "/data/demo/Locale/English/savegames.txt";
constexpr const char* NotASave = "This file is not a saved game";
constexpr const char* OtherVersion = "The game was saved by another version";
constexpr const char* OtherLanguage = "The game was saved in another language";
constexpr const char* Damaged = "The saved game is damaged";
constexpr const char* ReadError = "The saved game could not be read";
constexpr const char* WriteError = "The game could not be saved";

std::vector<uint8_t> File(uint32_t version, const std::string& language, uint32_t crc,
                          const std::vector<uint8_t>& payload = {})
{
    CRecordBytes file;
    file.Text("V2KRNSAVEGAME   ").I32(int32_t(version)).U8(uint8_t(language.size())).Text(language).U8(0);
    file.I32(int32_t(crc)).Text(std::string(payload.begin(), payload.end()));
    return std::vector<uint8_t>(file.Bytes().begin(), file.Bytes().end());
}

// How far `run` raises the peak of the process's resident memory, in bytes.
int64_t PeakMemoryGrowth(const std::function<void()>& run)
{
    const auto peak = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0)
                return std::stoll(line.substr(6)) << 10;
        return 0LL;
    };
    std::ofstream("/proc/self/clear_refs") << "5";   // the peak starts again from what is resident now
    const int64_t before = peak();
    run();
    return peak() - before;
}

class SaveGameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Saved = std::make_unique<CConfig>(g_Config), g_Config.languageFolder = Language, g_Config.backupFiles = 0;
        const std::string texts = CScratchFolder::ReadFile(DemoTexts);
        g_Localizer.Clear();
        ASSERT_TRUE(g_Localizer.LoadLocaleText("savegames.txt", texts.c_str(), int(texts.size())));
        m_Log = std::make_unique<CTestLog>();
    }

    void TearDown() override
    {
        m_Log.reset(), g_Localizer.Clear(), g_Config = *m_Saved;
    }

    std::string Path(const std::string& name) const { return m_Folder / name; }
    std::vector<uint8_t> Bytes(const std::string& path) const
    {
        const std::string text = CScratchFolder::ReadFile(path);
        return std::vector<uint8_t>(text.begin(), text.end());
    }
    std::vector<uint8_t> Payload(const std::string& path) const { return CSaveGameRun::Payload(Bytes(path)); }
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        return m_Folder.Write(name, bytes);
    }
    const CTestLog& Log() const { return *m_Log; }
    // Begins a save at the path, lets `write` fill it and closes it; the status it ends with.
    static std::string SaveOf(const std::string& path, const std::function<void(CSaveGame&)>& write = {})
    {
        CSaveGame save;
        EXPECT_TRUE(save.BeginSave(path.c_str())) << path;
        if (write)
            write(save);
        save.Close();
        return save.GetStatus();
    }

private:
    std::unique_ptr<CConfig> m_Saved;
    std::unique_ptr<CTestLog> m_Log;
    CScratchFolder m_Folder;
};

// Writes past `bytes` fail as on a full disk (EFBIG, the signal ignored) while it lives.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes) : m_Signal(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_Old);
        const rlimit limit = {bytes, m_Old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_Old);
        std::signal(SIGXFSZ, m_Signal);
    }

private:
    void (*m_Signal)(int);
    rlimit m_Old = {};
};

const std::vector<uint8_t> GoodFile = File(CurrentVersion, Language, CheckPayloadCrc, CheckPayload);

// Each object's own state is one number; a negative one is refused.
class CRefUnit : public TestUnit
{
public:
    CRefUnit(int32_t owner, int32_t cast) : TestUnit(cast) { player = owner; }

    int32_t value = 0;
};

class CRefBuilding : public TestBuilding
{
public:
    CRefBuilding(int32_t player = 0, int32_t cast = 2, int32_t resource = 0, int32_t tree = 0, int32_t decoration = 0)
        : TestBuilding(cast, resource, decoration), m_Tree(tree) { owner = player; }
    int32_t GetTreeCast() const override { return m_Tree; }

    int32_t value = 0;

private:
    int32_t m_Tree;
};

// Knows unit types 0 to 24 and building casts 0 to 18; keeps what it made.
class CRefObjects : public CReferencedObjects
{
public:
    CUnit* MakeUnit(int32_t player, int32_t type) const override
    {
        return type < 0 || type > 24 ? nullptr : units.emplace_back(std::make_unique<CRefUnit>(player, type)).get();
    }
    CBuilding* MakeBuilding(int32_t player, int32_t cast, int32_t resource, int32_t tree,
                            int32_t decoration) const override
    {
        if (cast < 0 || cast > 18)
            return nullptr;
        return buildings.emplace_back(std::make_unique<CRefBuilding>(player, cast, resource, tree, decoration)).get();
    }
    void DiscardUnit(CUnit* u) const override { std::erase_if(units, [u](auto& p) { return p.get() == u; }); }
    void DiscardBuilding(CBuilding* b) const override
    {
        std::erase_if(buildings, [b](auto& p) { return p.get() == b; });
    }
    void SaveUnit(CUnit& unit, CSaveStream& s) const override { Save(static_cast<CRefUnit&>(unit).value, s); }
    void LoadUnit(CUnit& unit, CSaveStream& s) const override { Load(static_cast<CRefUnit&>(unit).value, s); }
    void SaveBuilding(CBuilding& b, CSaveStream& s) const override { Save(static_cast<CRefBuilding&>(b).value, s); }
    void LoadBuilding(CBuilding& b, CSaveStream& s) const override { Load(static_cast<CRefBuilding&>(b).value, s); }
    size_t LiveObjects() const { return units.size() + buildings.size(); }

    mutable std::vector<std::unique_ptr<CRefUnit>> units;
    mutable std::vector<std::unique_ptr<CRefBuilding>> buildings;

private:
    static void Save(int32_t value, CSaveStream& stream) { stream.Write(&value, 4); }
    static void Load(int32_t& value, CSaveStream& stream)
    {
        stream.Read(&value, 4);
        if (value < 0)
            stream.SetError();
    }
};

class ReferenceBaseSaveTest : public SaveGameTest
{
protected:
    // The table's section as little-endian 32-bit numbers.
    std::vector<int32_t> Saved(CReferenceBase& table)
    {
        SaveOf(Path("table.save"), [&table](CSaveGame& save) { table.SaveGame(save); });
        const std::vector<uint8_t> bytes = Payload(Path("table.save"));
        std::vector<int32_t> numbers;
        for (size_t at = 0; at + 4 <= bytes.size(); at += 4) numbers.push_back(GetLe32(bytes, at));
        return numbers;
    }
    // Loads a section of these numbers into a table made with `objects`.
    bool Load(CReferenceBase& table, CRefObjects& objects, const std::vector<int32_t>& numbers)
    {
        const std::string path = Path("numbers.save");
        SaveOf(path, [&numbers](CSaveGame& save) {
            for (int32_t number : numbers) save.WriteI32(number);
        });
        table.SetObjects(&objects);
        CSaveGame load;
        load.BeginLoad(path.c_str());
        const bool loaded = table.LoadGame(load);
        EXPECT_EQ(loaded, !load.HasError());
        load.Close();
        return loaded;
    }
};
} // namespace

TEST_F(SaveGameTest, HeaderBytesAreMagicVersionLanguageAndCrcTheBackupKeepsTheOldSaveAndTypedFieldsAreLittleEndian)
{
    const std::string path = WriteFile("game.save", {'o', 'l', 'd'});
    EXPECT_EQ(SaveOf(path, [](CSaveGame& save) { save.Write(CheckPayload.data(), int(CheckPayload.size())); }),
              "Successful");
    const std::vector<uint8_t> expected = {
        'V', '2', 'K', 'R', 'N', 'S', 'A', 'V', 'E', 'G', 'A', 'M', 'E', ' ', ' ', ' ',   // magic, no zero
        0x04, 0x00, 0x01, 0x01,                                                       // version
        8, 'E', 'n', 'g', 'l', 'i', 's', 'h', '\\', 0,                                // language
        0x26, 0x39, 0xF4, 0xCB,                                                       // CRC-32
        '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_TRUE(Bytes(path) == expected && !CScratchFolder::Exists(path + ".tmp") &&
                !CScratchFolder::Exists(path + ".backup"));
    // With the option on the old save goes aside, over an older backup.
    g_Config.backupFiles = 1;
    WriteFile("game.save.backup", {'o', 'l', 'd', 'e', 'r'});
    SaveOf(path);
    EXPECT_TRUE(Bytes(path + ".backup") == expected && Bytes(path) == File(CurrentVersion, Language, 0));

    // Typed fields are little-endian and read back.
    const std::string longest(255, 'z');
    const std::string typed = Path("typed.save");
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(typed.c_str()));
    save.WriteU8(0xAB), save.WriteU16(0xFFFF), save.WriteI16(-32768), save.WriteU32(0xDEADBEEF), save.WriteI32(-2);
    save.WriteF32(-0.25f);
    for (const std::string& text : {std::string("Hi"), std::string(), longest})
        EXPECT_TRUE(save.WriteShortString(text.c_str()));
    EXPECT_EQ(save.ReadI32(), 0);   // reading while saving: reported, moves nothing
    EXPECT_EQ(save.GetPosition(), 1 + 2 + 2 + 4 + 4 + 4 + 4 + 2 + 257);
    save.Close();
    ASSERT_FALSE(save.HasError());
    EXPECT_TRUE(Log().Contains("#DEBUG: Read data during save"));
    std::vector<uint8_t> fields = {0xAB, 0xFF, 0xFF, 0x00, 0x80, 0xEF, 0xBE, 0xAD, 0xDE, 0xFE, 0xFF, 0xFF,
                                   0xFF, 0x00, 0x00, 0x80, 0xBE, 2,    'H',  'i',  0,    0,    0,    255};
    fields.insert(fields.end(), longest.c_str(), longest.c_str() + longest.size() + 1);   // with its zero
    EXPECT_EQ(Payload(typed), fields);

    CSaveGame load;
    load.BeginLoad(typed.c_str());
    EXPECT_EQ((std::vector<int64_t>{load.ReadU8(), load.ReadU16(), load.ReadI16(), load.ReadU32(), load.ReadI32()}),
              (std::vector<int64_t>{0xAB, 65535, -32768, 0xDEADBEEF, -2}));
    EXPECT_EQ(load.ReadF32(), -0.25f);
    CString text;
    for (const std::string& wanted : {std::string("Hi"), std::string(), longest})
        EXPECT_TRUE(load.ReadShortString(text) && std::string(text.GetBuffer()) == wanted);
    load.Close();
    EXPECT_TRUE(!load.HasError() && !Log().Contains("#DEBUG: LoadGame not readed til the end of the file"));
}

// Into a missing folder, refused by a section, over a folder, onto a full disk (a file size limit here),
// or with a language name beyond its length byte.  What the disk refused is logged with its cause.
TEST_F(SaveGameTest, AFailedSaveKeepsTheOldFileWholeAndALanguageNameOf255BytesIsWrittenAndReadBack)
{
    WriteFile("taken.save/inside", {1});
    const std::string kept = WriteFile("keep.save", {'o', 'l', 'd'});
    // The path, the length of the language name, whether the save is begun, whether the file exists before
    // and after, and the cause on the line naming what the disk refused.
    const std::tuple<std::string, size_t, bool, bool, const char*> cases[] = {
        {Path("no/such/folder/game.save"), 8, false, false, "No such file or directory"},
        {kept, 8, true, true, nullptr}, {Path("taken.save"), 8, true, true, "Is a directory"},
        {Path("full.save"), 8, true, false, "File too large"},
        {Path("long.save"), 256, false, false, nullptr}};
    for (const auto& [path, languageLength, begun, exists, cause] : cases)
    {
        SCOPED_TRACE(path);
        Log().Clear();
        const std::string language(languageLength, 'L');
        g_Config.languageFolder = language.c_str();
        CSaveGame save;
        EXPECT_EQ(save.BeginSave(path.c_str()), begun);
        EXPECT_EQ(Bytes(kept), std::vector<uint8_t>({'o', 'l', 'd'}));
        const std::vector<uint8_t> payload(65536, 7);
        save.Write(payload.data(), int(payload.size()));
        if (path == kept)
            save.SetError();   // a section refused what it was to write
        {
            const CFileSizeLimit limit(path == Path("full.save") ? 4096 : RLIM_INFINITY);
            save.Close();
        }
        EXPECT_STREQ(save.GetStatus(), WriteError);
        EXPECT_TRUE(!CScratchFolder::Exists(path + ".tmp") && CScratchFolder::Exists(path) == exists);
        const std::vector<std::string> lines = Log().Lines();
        const std::string named = "Save game could not be written to " + path + ": ";
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(named); }),
                  cause != nullptr ? 1 : 0);
        EXPECT_TRUE(cause == nullptr || Log().Contains(named + cause));
    }
    EXPECT_TRUE(CScratchFolder::Exists(Path("taken.save/inside")));
    EXPECT_TRUE(Log().Contains("Save game refused: the language name is longer than 255 bytes"));
    const std::string language(255, 'L');
    g_Config.languageFolder = language.c_str();
    const std::string longest = Path("longest.save");
    SaveOf(longest);
    EXPECT_EQ(Bytes(longest), File(CurrentVersion, language, 0));
    CSaveGame load;
    load.BeginLoad(longest.c_str());
    EXPECT_TRUE(!load.HasError() && load.GetVersion() == CurrentVersion);
}

TEST_F(SaveGameTest, HeaderCheckAndLoadAcceptOnlyWholeFilesOfOurVersionsAndLanguageAndPayloadsGrowInSteps)
{
    const auto withByte = [](size_t at, int value) {
        std::vector<uint8_t> bytes = GoodFile;
        bytes[at] = uint8_t(value);
        return bytes;
    };
    const auto cut = [](long size) { return std::vector<uint8_t>(GoodFile.begin(), GoodFile.begin() + size); };
    const auto version = [](uint32_t v) { return File(v, Language, CheckPayloadCrc, CheckPayload); };
    const auto language = [](const char* l) { return File(CurrentVersion, l, CheckPayloadCrc, CheckPayload); };
    // Cuts inside the magic, at its end, at the length byte, inside the name;
    // then inside the CRC-32; flips of the CRC-32 and of the payload.
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {GoodFile, "loaded"}, {version(0x01010003), "loaded"}, {version(0x01010002), OtherVersion},
        {version(0x01010005), OtherVersion}, {version(0x04000101), OtherVersion},
        {language("German\\"), OtherLanguage}, {language("English"), OtherLanguage},
        {withByte(21 + 8, 'X'), OtherLanguage}, {withByte(0, 'v'), NotASave}, {withByte(15, 0), NotASave},
        {{}, NotASave}, {cut(10), NotASave}, {cut(16), NotASave}, {cut(20), NotASave}, {cut(21), NotASave},
        {cut(29), NotASave}, {cut(30), ReadError}, {cut(33), ReadError}, {cut(long(GoodFile.size()) - 1), Damaged},
        {withByte(30, GoodFile[30] ^ 1), Damaged}, {withByte(34, GoodFile[34] ^ 0x10), Damaged},
        {withByte(42, GoodFile[42] ^ 0x10), Damaged}};
    for (const auto& [bytes, status] : cases)
    {
        SCOPED_TRACE(testing::Message() << status << ", " << bytes.size() << " bytes");
        const std::string path = WriteFile("checked.save", bytes);
        CSaveGame check;
        const bool headerOk = check.CheckHeader(path.c_str());
        const bool headerTells = status == "loaded" || status == OtherVersion || status == OtherLanguage;
        EXPECT_TRUE(!headerTells || (headerOk ? "loaded" : std::string(check.GetStatus())) == status);
        CSaveGame load;
        load.BeginLoad(path.c_str());
        const bool failed = load.HasError();
        EXPECT_EQ(load.HasPayload(), !failed);
        EXPECT_EQ(load.ReadI32(), failed ? 0 : 0x34333231);   // a refused load hands out zeros
        load.Close();
        EXPECT_EQ(failed ? std::string(load.GetStatus()) : "loaded", status);
    }
    CSaveGame absent;
    EXPECT_FALSE(absent.CheckHeader(Path("absent.save").c_str()));
    EXPECT_STREQ(absent.GetStatus(), NotASave);

    // The payload starts with room for 7,000,000 bytes and grows by whole steps of 256,000 until a write
    // fits; the file still carries exactly the bytes written.
    CSaveGame save;
    ASSERT_TRUE(save.BeginSaveToMemory());
    std::vector<uint8_t> payload;
    // Bytes written, then the room held: an exact fit, one byte over, exact again, one whole step, three.
    for (const auto& [count, room] : {std::pair{7000000, 7000000}, {1, 7256000}, {255999, 7256000},
                                      {256000, 7512000}, {600000, 8280000}})
    {
        const std::vector<uint8_t> bytes(size_t(count), uint8_t(payload.size() % 251));
        payload.insert(payload.end(), bytes.begin(), bytes.end());
        EXPECT_TRUE(save.Write(bytes.data(), count) == count && save.GetCapacity() == room) << payload.size();
    }
    std::vector<uint8_t> file;
    ASSERT_TRUE(save.CloseToMemory(file));
    ASSERT_EQ(file.size(), HeaderSize + 8112000);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), file.begin() + long(HeaderSize)));
    CSaveGame load, damaged;
    load.BeginLoadFromMemory(file.data(), int(file.size()));
    file.back() ^= 1, damaged.BeginLoadFromMemory(file.data(), int(file.size()));   // one bit off
    EXPECT_TRUE(!load.HasError() && load.GetPayloadSize() == 8112000 && damaged.GetStatus() == std::string(Damaged));
}


// Too long texts, negative counts and saves not begun fail the save.
TEST_F(SaveGameTest, BadWritesFailTheSaveAndBadReadsGiveZerosAndFailTheLoadAndMisuseIsReported)
{
    const std::string path = WriteFile("text.save", {'o', 'l', 'd'});
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(path.c_str()));
    save.WriteI32(1);
    EXPECT_TRUE(!save.WriteShortString(std::string(256, 'n').c_str()) && save.GetPosition() == 4 &&
                save.Write("abc", -1) == 0);
    save.Close();
    EXPECT_STREQ(save.GetStatus(), WriteError);
    EXPECT_EQ(Bytes(path), std::vector<uint8_t>({'o', 'l', 'd'}));
    EXPECT_TRUE(Log().Contains("Save game refused: a text is longer than 255 bytes"));
    CSaveGame idle;
    EXPECT_TRUE(idle.Write("x", 1) == 0 && idle.HasError());
    uint8_t byte = 7;
    EXPECT_TRUE(idle.Read(&byte, 1) == 0 && byte == 0);

    // Three bytes read as six, a length of 5 with three letters behind it, a text without its zero.
    const std::vector<uint8_t> payloads[] = {{0x11, 0x22, 0x33}, {5, 'a', 'b', 'c'}, {2, 'a', 'b', 'c', 0}};
    for (size_t i = 0; i < std::size(payloads); ++i)
    {
        SaveOf(Path("bad.save"), [&](CSaveGame& save) { save.Write(payloads[i].data(), int(payloads[i].size())); });
        CSaveGame load;
        load.BeginLoad(Path("bad.save").c_str());
        ASSERT_FALSE(load.HasError());
        uint8_t bytes[6] = {9, 9, 9, 9, 9, 9};
        CString text = "kept?";
        if (i == 0)
        {
            EXPECT_EQ(load.Read(bytes, 6), 3);
            EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 6), std::vector<uint8_t>({0x11, 0x22, 0x33, 0, 0, 0}));
            EXPECT_EQ(load.ReadI32(), 0);
        }
        else
            EXPECT_FALSE(load.ReadShortString(text));
        EXPECT_STREQ(load.GetStatus(), ReadError);
        EXPECT_STREQ(text, i == 0 ? "kept?" : "");
        load.Close();
        EXPECT_TRUE(load.HasError());
    }
    EXPECT_TRUE(Log().Contains("#DEBUG: Read beyond the end of save buffer"));

    CSaveGame unread;
    unread.BeginLoad(Path("bad.save").c_str()), unread.ReadI32(), unread.Close();
    EXPECT_TRUE(!unread.HasError() && Log().Contains("#DEBUG: LoadGame not readed til the end of the file") &&
                Log().Contains("#DEBUG: breakpoint reached"));
    // A load refused half-way stops where it was refused: no report of unread bytes then.
    Log().Clear();
    CSaveGame refused;
    refused.BeginLoad(Path("bad.save").c_str()), byte = 7;
    EXPECT_EQ(refused.Read(&byte, -5), 0);   // a negative count fails the load
    refused.WriteI32(5);
    EXPECT_TRUE(Log().Contains("#DEBUG: Write data during load"));
    refused.Close();
    EXPECT_STREQ(refused.GetStatus(), ReadError);
    EXPECT_FALSE(Log().Contains("#DEBUG: LoadGame not readed til the end of the file"));
}

// Sparse files with a sound head, at each reader's bound, one byte over it and at 3 GiB (beyond what a
// 32-bit size holds).  The longest map: a 256 x 256 map with 8 start points, setups named with 239
// characters, and at each block a building record and a unit record named with 239 characters.  The longest
// save: 65,536 loaded transport ships with full names, routes and waypoints, every list and text at its most.
// A file at the bound is taken (the map read whole into no more than its size and one grow step, the save's
// header checked, the profiles' CRC-32, the setting); one over it is refused, and nothing is allocated for it.
TEST_F(SaveGameTest, FilesLongerThanTheirFormatCanHoldAreRefusedUnread)
{
    constexpr uintmax_t LongestMap = 8 + 256 * 256 * 2 + 4 + 8 * 8 + 8 * (2 * 241 + 24 + 1 + 4 + 4 + 61 * 8 + 4 +
                                     36 * 5 + 4 + 19 * 5 + 8) + 4 + 257 * 257 * 9 + 4 + 256 * 256 * 7 + 4 +
                                     256 * 256 * 40 + 4 + 256 * 256 * (24 + 1 + 4 + 240) + 4 + 256 * 256;
    static_assert(LongestMap == 21510873);
    constexpr uintmax_t LongestPlayer = 260 + 16 + 4 + 545 + 8 + 8 * (1 << 20) + 52 + 8 + 257 * 257 + 2 * 256 * 256 +
                                        8 + 4 + 4 * 256 + 4 + 4 * 1024 + 61 * 9 + 36 + 19;
    constexpr uintmax_t LongestSave = 16 + 4 + 1 + 256 + 4 + 4 + 65536 * (12 + 249 + 256 + 512 + 64 * 8 + 76) + 145 +
        4 + 24 + 4096 * (5 + 2 * (4 + 65536)) + 2 * (4 + 65536) + 4 + 4096 * 4 + 3 + 257 + 4 + 25 * 4 + 4 +
        9 * (4 + 2048 * 4) + 2 + 8 * LongestPlayer + 28 + 65536 * 101 + 108 + 257 * 257 * 9 + 256 * 256 * 24 + 4 +
        8 * 575;
    static_assert(LongestSave == 720648009);
    const std::string profileHead = "V2KRNplprofiles1", configHead = "GAMMA=1.5\r\n";
    const auto map = [](const std::string& path) {
        CMemoryBlock block;
        const CMemoryBlock::ELoad read = CGameMap::ReadMapFile(path.c_str(), block);
        const int64_t size = int64_t(std::filesystem::file_size(path));
        if (read == CMemoryBlock::ELoad::Loaded && block.GetSize() == size && block.GetCapacity() <= size + 16384)
            return "taken";
        return read == CMemoryBlock::ELoad::TooLong && block.GetCapacity() == 16384 ? "refused" : "other";
    };
    const auto save = [](const std::string& path) {
        CSaveGame load;
        load.BeginLoad(path.c_str());
        const std::string status = load.GetStatus();
        return load.HasPayload() || load.GetCapacity() != 0 ? "other"
               : status == OtherLanguage                    ? "taken"
               : status == NotASave                         ? "refused"
                                                            : "other";
    };
    const auto profiles = [this](const std::string& path) {
        CPlayerProfiles read;
        return read.Load(path.c_str()) ? "other" : Log().Contains("#DEBUG: Invalid player profile CRC") ? "taken"
                                                                                                         : "refused";
    };
    // Kept as it was at exit: a refused one, and a taken one that "1.50" would take past the bound.
    const auto config = [this](const std::string& path) {
        SysFile::SetExecutableFolderForTests(Path("").c_str());
        const uintmax_t size = std::filesystem::file_size(path);
        const bool read = ReadConfig() && g_Config.gamma == 1.5f;
        const bool kept = (read || g_Config.gamma == 1.0f) && WriteConfig() != read &&
                          std::filesystem::file_size(path) == size;
        SysFile::SetExecutableFolderForTests(nullptr);
        return !kept ? "other" : read ? "taken" : "refused";
    };
    // The file, its head, the bound, the reader and the line refusing a longer file.
    using Reader = std::function<const char*(const std::string&)>;
    const std::tuple<const char*, std::vector<uint8_t>, uintmax_t, Reader, std::string> readers[] = {
        {"huge.world", {32, 0, 0, 0, 32, 0, 0, 0}, LongestMap, map,
         "Map file refused: the file is longer than any map"},
        {"huge.save", File(CurrentVersion, "German\\", 0), LongestSave, save,
         "Save game refused: the file is longer than any saved game"},
        {"players.prf", {profileHead.begin(), profileHead.end()}, uintmax_t(16) << 20, profiles,
         "Player profile file is longer than any profile file: " + Path("players.prf")},
        // Read before the log exists: start-up says it on standard error.
        {"v2krn.cfg", {configHead.begin(), configHead.end()}, uintmax_t(1) << 20, config, ""},
    };
    for (const auto& [name, head, bound, read, refusal] : readers)
    {
        const std::string path = WriteFile(name, head);
        for (const uintmax_t size : {bound, bound + 1, uintmax_t(3) << 30})
        {
            SCOPED_TRACE(testing::Message() << name << ", " << size << " bytes");
            std::filesystem::resize_file(path, size);
            Log().Clear();
            const bool over = size > bound;
            EXPECT_STREQ(read(path), over ? "refused" : "taken");
            EXPECT_TRUE(refusal.empty() || Log().Contains(refusal) == over);
        }
    }
    // Under the bound, a save's payload is taken into memory only once its CRC-32 matches: a damaged one of
    // 32 MiB raises the peak memory by less than 4 MiB, a sound one by its payload.
    const std::vector<uint8_t> zeros(32 << 20, 0);
    for (const uint32_t crc : {1u, CCRC32().Calculate(zeros.data(), int(zeros.size()))})
    {
        const std::string path = WriteFile("zeros.save", File(CurrentVersion, Language, crc));
        std::filesystem::resize_file(path, HeaderSize + zeros.size());
        CSaveGame load;
        const int64_t growth = PeakMemoryGrowth([&load, &path] { load.BeginLoad(path.c_str()); });
        EXPECT_TRUE(crc == 1 ? growth < (4 << 20) && load.GetStatus() == std::string(Damaged)
                             : growth > (28 << 20) && !load.HasError()) << growth;
    }
}

// Ids follow insertion order and misuse is reported once.
TEST_F(ReferenceBaseSaveTest, IdsFollowInsertionOrderAndTheSectionHoldsCreationDataThenEveryObjectsStateAndLoadsBack)
{
    auto ids = std::make_unique<CReferenceBase>();
    CRefUnit units[3] = {{0, 1}, {0, 1}, {0, 1}};   // ascending addresses
    CRefBuilding keep(0, 11, 0, 0, 0), stranger(0, 2, 0, 0, 0);
    EXPECT_EQ((std::vector<int32_t>{ids->AddUnit(&units[1]), ids->AddUnit(&units[0]), ids->AddBuilding(&keep)}),
              (std::vector<int32_t>{0, 1, 2}));
    EXPECT_TRUE(ids->GetUnit(1) == &units[0] && ids->GetUnit(-1) == nullptr && Log().Lines().empty());
    // Twice, null, unknown; the building's address asked as a unit's is found all the same.
    EXPECT_EQ((std::vector<int32_t>{ids->AddUnit(&units[0]), ids->AddBuilding(&keep), ids->AddUnit(nullptr),
                                    ids->GetUnitRef(&units[2]), ids->GetBuildingRef(&stranger),
                                    ids->GetUnitRef(reinterpret_cast<const CUnit*>(&keep))}),
              (std::vector<int32_t>{1, 2, -1, -1, -1, 2}));
    EXPECT_TRUE(ids->GetUnit(2) == nullptr && ids->GetBuilding(0) == nullptr);
    for (const char* report : {"Add unit reference twice", "Add building reference twice", "Add NULL unit reference",
                               "Invalid unit reference index", "Invalid building reference index",
                               "Unreferenced unit pointer request",
                               "Unreferenced building pointer request", "Invalid unit reference"})
        EXPECT_EQ(Log().Count(std::string("#DEBUG: ") + report), 1) << report;
    EXPECT_EQ(ids->GetCount(), 3);

    CReferenceBase table;
    CRefObjects objects;
    table.SetObjects(&objects);
    CRefUnit archer(1, 4), worker(0, 7), knight(5, 12);
    CRefBuilding barracks(2, 3, 0, 0, 0), tree(-1, 10, 2, 5, 0), statue(1, 18, 0, 0, 7);
    archer.value = 100, statue.value = 202;
    EXPECT_EQ((std::vector<int32_t>{table.AddUnit(&archer), table.AddBuilding(&barracks), table.AddUnit(&worker),
                                    table.AddBuilding(&tree), table.AddBuilding(&statue), table.AddUnit(&knight)}),
              (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    const std::vector<int32_t> expected = {
        6,                   // count
        0, 1, 4,             // archer: unit, player, type
        1, 2, 3, 0, 0,       // barracks: building, owner, cast, resource, tree
        0, 0, 7,             // worker
        1, -1, 10, 2, 5,     // neutral tree
        1, 1, 18, 0, 0, 7,   // decoration with its kind
        0, 5, 12,            // knight
        100, 0, 0, 0, 202, 0};   // the objects' states in id order
    ASSERT_EQ(Saved(table), expected);

    // The neutral tree is made by the local player's factory.
    const int32_t localPlayer = g_LocalPlayer;
    g_LocalPlayer = 3;
    CReferenceBase loaded;
    CRefObjects made;
    const bool ok = Load(loaded, made, expected);
    g_LocalPlayer = localPlayer;
    ASSERT_TRUE(ok && made.LiveObjects() == 6u);
    EXPECT_TRUE(loaded.GetUnit(0)->GetCastID() == 4 && loaded.GetBuilding(3)->owner == 3);
    std::vector<int32_t> again = expected;
    again[13] = 3;
    EXPECT_EQ(Saved(loaded), again);
}

TEST_F(ReferenceBaseSaveTest, BadSectionsFailTheLoadAndLeaveNothingAndAGameWithMoreObjectsThanTheTableHoldsIsNotSaved)
{
    const std::string badKind = "#DEBUG: CReferenceBase::LoadGame() invalid reference cast - 1";
    const std::string player = "Save game refused: a unit's player index is out of range";
    const std::string owner = "Save game refused: a building's owner is out of range";
    const std::string count = "Save game refused: the reference count is out of range";
    // After two good objects a bad kind discards both; the stray 7 behind the
    // barracks is taken for the next entry's kind.
    const std::pair<std::vector<int32_t>, std::string> cases[] = {
        {{1, 2, 0, 0}, badKind}, {{1, 0, 8, 4}, player}, {{1, 0, -1, 4}, player},
        {{1, 1, 8, 3, 0, 0}, owner}, {{1, 1, -2, 3, 0, 0}, owner},
        {{1, 0, 0, 25}, "Save game refused: a unit of an unknown type"},
        {{1, 1, 0, 19, 0, 0}, "Save game refused: a building of an unknown kind"},
        {{65537, 0, 0, 1}, count}, {{-1, 0, 0, 1}, count}, {{3, 0, 1, 4, 1, 2, 3, 0, 0, 5}, badKind},
        {{2, 0, 1, 4, 0, 1}, "#DEBUG: Read beyond the end of save buffer"},
        {{2, 1, 1, 3, 0, 0, 7, 0, 1, 4}, badKind}};
    for (const auto& [numbers, line] : cases)
    {
        SCOPED_TRACE(line);
        Log().Clear();
        CReferenceBase table;
        CRefObjects objects;
        EXPECT_TRUE(!Load(table, objects, numbers) && table.GetCount() == 0 && objects.LiveObjects() == 0u);
        EXPECT_TRUE(Log().Contains(line));
    }
    // The most a section may hold: 65,536 units, of the last player.
    std::vector<int32_t> most = {65536};
    for (int32_t i = 0; i < 65536; ++i) most.insert(most.end(), {0, 7, 1});
    most.resize(most.size() + 65536, 0);
    CReferenceBase full;
    CRefObjects made;
    EXPECT_TRUE(Load(full, made, most) && full.GetCount() == 65536 && full.GetUnit(65535)->player == 7);
    // A state its object refuses fails the load; the objects stay for the caller.
    CReferenceBase table;
    CRefObjects objects;
    EXPECT_TRUE(!Load(table, objects, {1, 0, 1, 4, -7}) && table.GetCount() == 1);
    CReferenceBase empty;
    EXPECT_EQ(Saved(empty), std::vector<int32_t>{0});   // one number
    EXPECT_TRUE(Load(empty, objects, {0}));

    // One object more than the table holds: the registration is refused, and the save of that game fails
    // with its line (its links could not all be written) and leaves no file; emptied, the table saves again.
    auto crowded = std::make_unique<CReferenceBase>();
    crowded->SetObjects(&objects);
    const auto buildings = std::make_unique<CRefBuilding[]>(CReferenceBase::Capacity + 1);
    for (int32_t i = 0; i < CReferenceBase::Capacity; ++i) crowded->AddBuilding(&buildings[size_t(i)]);
    EXPECT_EQ(crowded->GetCount(), CReferenceBase::Capacity);
    EXPECT_EQ(crowded->AddBuilding(&buildings[CReferenceBase::Capacity]), -1);
    CSaveGame save;
    ASSERT_TRUE(save.BeginSave(Path("full.save").c_str()));
    crowded->SaveGame(save), save.Close();
    EXPECT_TRUE(save.HasError() && !CScratchFolder::Exists(Path("full.save")) &&
                Log().Contains("Save game failed: the game holds more objects than the reference table's 65536"));
    crowded->Reset(), crowded->AddBuilding(&buildings[0]);
    EXPECT_EQ(Saved(*crowded), std::vector<int32_t>({1, 1, 0, 2, 0, 0, 0}));
}
