#include <algorithm>
#include <numeric>
#include <regex>
#include <sstream>
#include <tuple>

#include "core/C_File.h"
#include "media/C_EnvironmentFX.h"
#include "media/C_Music.h"
#include "media/C_SoundStream.h"
#include "media/C_VoiceBank.h"
#include "platform/SoundDevice.h"
#include "platform/SysClock.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/PlayerTestObjects.h"
#include "tests/support/TestLog.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
using Samples = std::vector<int16_t>;

constexpr uint32_t HalfFrames = 44100 / 4;

// A stereo track whose every sample tells where it came from.
Samples Track(uint32_t frames, int16_t base)
{
    Samples samples;
    for (uint32_t i = 0; i < frames; ++i)
        samples.insert(samples.end(), {int16_t(base + int32_t(i % 10000)), int16_t(-base - int32_t(i % 7000))});
    return samples;
}

// `samples` samples of the parts played one after the other, round and round.
Samples Join(std::initializer_list<const Samples*> parts, size_t samples)
{
    Samples joined;
    while (joined.size() < samples)
        for (const Samples* part : parts) joined.insert(joined.end(), part->begin(), part->end());
    joined.resize(samples);
    return joined;
}

class SoundPlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Config.audioEnabled = 1, g_Config.soundVolume = g_Config.musicVolume = 100, m_Device = new SoundDevice();
        InitDataFile(m_Folder.Path().c_str(), 0), SysClock::UseTestClock(1000000);
        m_Music.Init(m_Device), m_Stream.Init(m_Device);
    }

    void TearDown() override
    {
        m_Stream.Release(), m_Music.Release(), m_Bank.Free();
        SysClock::UseSystemClock(), InitDataFile("", 0), m_Device->Release();
        g_Config = m_Saved;
    }

    // Interleaved stereo frames of the mix; the cursors move on.
    Samples Render(uint32_t frames)
    {
        Samples out(frames * 2);
        m_Device->Render(out.data(), frames);
        return out;
    }

    void WriteSamples(const std::string& relative, const Samples& samples, size_t extraBytes = 0)
    {
        std::string bytes(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
        m_Folder.Write(relative, bytes.append(extraBytes, '\x7F'));
    }

    // Slot 0 of the bank holding `samples` (2205 of them are 100 ms).
    void Load(const Samples& samples, int32_t voices, float factor = 1.0f)
    {
        WriteSamples("s.snd", samples), m_Bank.Init(4, m_Device), m_Bank.LoadSample(factor, 0, 1, "s.snd", voices);
    }

    void Play(int32_t percent, float pan = 0.0f, int32_t loop = 0)
    {
        m_Bank.Play(0, 1, loop, percent, pan), m_Bank.UpdateSoundEvents(0, 0);
    }

    // `frames` frames in game frames of 735 (30 a second), one update after each, or until the speech has ended.
    Samples Listen(uint32_t frames, bool untilSpeechEnds = false)
    {
        Samples heard;
        while (heard.size() < frames * 2 && (!untilSpeechEnds || m_Stream.IsPlaying()))
        {
            const Samples chunk = Render(std::min(735u, frames - uint32_t(heard.size() / 2)));
            heard.insert(heard.end(), chunk.begin(), chunk.end()), m_Music.UpdateMusic(), m_Stream.Update();
        }
        return heard;
    }

    CConfig m_Saved = g_Config;
    SoundDevice* m_Device = nullptr;
    CScratchFolder m_Folder;
    CVoiceBank m_Bank;
    CMusic m_Music;
    CSoundStream m_Stream;
};

class RecordingSampleBank : public IAmbientSampleBank
{
public:
    struct Call
    {
        std::string what;  // "play", "loop", "stop", "stopbank", "volume"
        int32_t slot, count, volume;
        bool operator==(const Call&) const = default;
    };

    int32_t Play(int32_t first, int32_t count, int32_t loop, int32_t volume, float) override
    {
        calls.push_back({loop != 0 ? "loop" : "play", first, count, volume});
        return first;
    }
    void Stop(int32_t slot) override { calls.push_back({"stop", slot, 1, 0}); }
    void StopBank(int32_t first, int32_t count) override { calls.push_back({"stopbank", first, count, 0}); }
    void SetBankVolume(int32_t first, int32_t count, int32_t percent) override
    {
        calls.push_back({"volume", first, count, percent});
    }

    std::vector<Call> calls;
};

class EnvironmentFX : public MediaDevice
{
protected:
    void SetUp() override
    {
        MediaDevice::SetUp();
        g_Config.audioEnabled = g_Config.environmentEffects = 1, g_Config.soundVolume = 100, g_Config.fogOfWar = 0;
        g_Players = m_Players.get(), g_LocalPlayer = 0;
        std::memset(m_Players[0].exploredMap, 255, sizeof(m_Players[0].exploredMap));
        SysClock::UseTestClock(7000000);
        g_GameMap.width = g_GameMap.height = 64, g_GameMap.theme = CEnvironmentFX::ThemeContinental;
        g_GameMap.cameraTargetX = g_GameMap.cameraTargetY = 32.0f;
        g_EnvironmentFX.SetSampleBank(&bank), g_EnvironmentFX.InitEnvironment(false);
    }

    void TearDown() override
    {
        g_EnvironmentFX.InitEnvironment(false), g_EnvironmentFX.SetSampleBank(nullptr);
        Stand(nullptr, 0, 0, 64, 64), Weather(WEATHER_NONE, 0);
        g_GameMap.width = g_GameMap.height = 0, g_GameMap.theme = NoTheme, g_Players = nullptr;
        SysClock::UseSystemClock(), g_Config = *m_Saved, MediaDevice::TearDown();
    }

    // The object (or water level) on the blocks [x0, x1) x [y0, y1).
    static void Stand(CBuilding* building, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t level = 0)
    {
        for (int32_t x = x0; x < x1; ++x)
            for (int32_t y = y0; y < y1; ++y)
                g_GameMap.Block(x, y).building = building, g_GameMap.Block(x, y).waterLevel = level;
    }
    static void Weather(int32_t type, uint8_t value)
    {
        g_GameMap.weatherType = type, std::memset(g_GameMap.weatherMap, value, sizeof(g_GameMap.weatherMap));
    }

    RecordingSampleBank bank;
    std::unique_ptr<CConfig> m_Saved = std::make_unique<CConfig>(g_Config);
    std::unique_ptr<CPlayer[]> m_Players = std::make_unique<CPlayer[]>(MaxPlayers);
};

using Call = RecordingSampleBank::Call;

int32_t Share(int32_t count, int32_t factor)
{
    return std::min(count * 100 / g_EnvironmentFX.sampleCount * factor, 100);
}
} // namespace

TEST(SampleTable, EveryRowGivesItsSlotsVoicesFactorAndFilesAndSlots31And251And252StayEmpty)
{
    // first[-last] folder\name, then the voices when not 2, xF for a factor other than 1, =stems for other files.
    const std::string rows = R"(0-3 Worker\chop-tree 1; 4-5 Worker\pick-stone 1;
        6-7 Worker\build-repair x0.9 =build-repair-1,build-repair-1; 8-11 Archer\attack; 12-14 Catapult\attack 1 x0.5;
        15-17 Catapult\reload 1 x0.5; 18-20 Ship\wreck; 21-23 Ship\stand; 24 Ship\cannon; 25-27 Trap\die;
        28-29 Trap\attack; 30 Priest\attack x0.5; 32-35 Knight\hit-sword; 36-39 Knight\hit-arrow; 40-42 Knight\hit-club;
        43-46 Knight\die-sword; 47 Knight\fall; 48-50 DemolishMan\explode; 51 Quib\attack; 52 Warhound\attack;
        53-54 Giant\hit-arrow; 55-56 Giant\Die; 57 Demon\attack x0.8; 58 Demon\hit-arrow 4; 59 Demon\Die 4;
        60-61 Undead\hit-sword x0.9; 62-63 Undead\die x0.9; 64-65 Human\hit-sword; 66-68 Human\hit-arrow;
        69-70 Human\hit-siege; 71-72 Human\hit-club; 73 Human\hit-fireball x0.5; 74-85 Human\die-sword;
        86-97 Human\die-arrow; 98-99 Human\die-siege; 100-107 Human\die-club; 108-111 Human\die-fireball x0.7;
        112-117 Human\die-trap; 118-120 Machine\hit-sword x0.8; 121-123 Machine\hit-arrow x0.8;
        124-126 Machine\hit-siege x0.5; 127-128 Machine\hit-club x0.8; 129 Machine\hit-fireball; 130-132 Machine\break;
        133-134 Arrow\hit-ground x0.8; 135-136 Arrow\hit-water x0.8; 137-139 CatapultStone\hit-ground x0.5;
        140-142 CatapultStone\hit-water x0.5; 143 Fireball\hit-ground x0.5; 144-145 Fireball\hit-water x0.8;
        146-147 Tree\fall; 148 Tree\hit-siege; 149 Tree\die-siege x0.6; 150-158 Horse\stand; 159-161 Horse\die;
        162 Horse\fall; 163 Building\place 1; 164 Building\noplace 1; 165-168 Building\hit-sword;
        169-172 Building\hit-arrow; 173-176 Building\hit-siege 1 x0.5; 177-178 Building\hit-club x0.5;
        179 Building\hit-fireball x0.5; 180-183 Building\die 1 x0.8; 184 Building\rockfall x0.8;
        185 SelectBuilding\unfinished 1; 186 SelectBuilding\castle 1; 187 SelectBuilding\barracks 1;
        188 SelectBuilding\alchemy 1; 189 SelectBuilding\blacksmith 1; 190 SelectBuilding\house 1;
        191 SelectBuilding\tower 1; 192 SelectBuilding\storage 1; 193 SelectBuilding\monastery 1;
        194 SelectBuilding\keep 1; 195 SelectBuilding\docks 1 x0.8; 196 SelectBuilding\darkaltar 1 x0.8;
        197-203 Nature\birds; 204-206 Nature\water =water-1,water-2,water-5; 207-208 Nature\water =water-3,water-4;
        209-211 Nature\sea x0.5; 212-213 Nature\sea x0.5 =sea-4,sea-5; 214-216 Nature\wind; 217 Nature\fire 1 x0.8;
        218 Nature\rain 1; 219-221 Nature\storm 1; 222-225 Nature\village; 226-233 Nature\swamp x0.5;
        234-238 Nature\cave; 239-240 Nature\swamp =swamp-8,village-4;
        241-243 Nature\village =village-2,village-3,village-1; 244-247 Nature\water =water-1,water-2,water-5,sea-2;
        248-249 Nature\swamp =swamp-7,swamp-1; 250 Magic\firerain; 253 DecorBuilding\gate-open 1 x0.5;
        254 DecorBuilding\chest-open 1; 255 Interface\click 1; 256 Interface\attack 1)";
    const std::vector<SSampleRow>& table = GetSampleTable();
    const std::regex entry(R"((\d+)(-\d+)? (\w+)\\([\w-]+)( \d)?( x[\d.]+)?( =[\w,-]+)?)");
    std::vector<std::string> names;  // every file once, in table order
    size_t i = 0;
    for (std::sregex_iterator m(rows.begin(), rows.end(), entry), end; m != end && i < table.size(); ++m, ++i)
    {
        const std::smatch& f = *m;
        const int first = std::stoi(f[1]), count = f[2].matched ? -std::stoi(f[2]) - first + 1 : 1;
        std::istringstream stems(f[7].matched ? f[7].str().substr(2) : "");
        std::string files, stem;
        for (int k = 1; k <= count; ++k)
        {
            if (!std::getline(stems, stem, ',')) stem = f[4].str() + "-" + std::to_string(k);
            const std::string file = "Sounds\\" + f[3].str() + "\\" + stem + ".snd";
            files += (k > 1 ? ";" : "") + file;
            if (std::find(names.begin(), names.end(), file) == names.end()) names.push_back(file);
        }
        const SSampleRow& row = table[i];
        EXPECT_EQ(std::tuple(first, count, f[5].matched ? std::stoi(f[5]) : 2,
                             f[6].matched ? std::stof(f[6].str().substr(2)) : 1.0f, f[3].str(), f[4].str(), files),
                  std::tuple(row.firstSlot, row.count, row.voices, row.volumeFactor, std::string(row.folder),
                             std::string(row.name), std::string(GetSampleFileList(row).GetBuffer()))) << f[0];
    }
    EXPECT_TRUE(98u == i && table.size() == i);
    std::vector<std::string> listed;
    for (const CString& name : GetSampleFileNames()) listed.push_back(name.GetBuffer());
    EXPECT_EQ(names, listed);
}

TEST_F(SoundPlayback, VolumeFollowsTheDistanceAndTheLouderRequestABusyVoiceKeepsItAndBadSamplesLeaveTheirSlotEmpty)
{
    // Listener at (100, 100); configured sound volume 80.
    const struct { int32_t dx, dy, percent, expected; } cases[] = {
        {0, 0, 100, 80},  {12, 0, 100, 80},  {0, -12, 100, 80},
        {13, 0, 100, 78},                     // factor 100 - (int)(1 * 100 / 38.0) = 98
        {20, 0, 100, 63},  {31, 0, 100, 40},  // factors 79 and 50
        {31, 0, 50, 20},  {21, 21, 100, 44},  // 296 tenths: 29 blocks, factor 56
        {49, 0, 100, 2},                      // factor 3
        {50, 0, 100, -1}, {51, 0, 100, -1}, {-36, -36, 100, -1}};  // 509 tenths: 50 blocks
    g_Config.soundVolume = 80;
    for (const auto& c : cases)
    {
        m_Bank.Init(1, nullptr), m_Bank.UpdateSoundEvents(100, 100);
        EXPECT_EQ(m_Bank.PlayAt(100 + c.dx, 100 + c.dy, 0, 1, 0, c.percent, 0.0f), c.expected < 0 ? -1 : 0);
        EXPECT_EQ(m_Bank.GetSlot(0)->requestVolume, std::max(c.expected, 0)) << c.dx << ", " << c.dy;
    }
    // Two requests of one update start one voice at the louder volume with the later pan: 40 % is -2000 hundredths
    // of a decibel, a tenth.
    g_Config.soundVolume = 100, Load(Samples(2205, 10000), 2), m_Bank.Play(0, 1, 0, 40, -1.0f);
    Play(20, 1.0f);
    EXPECT_EQ(m_Bank.GetSlot(0)->requestVolume, 0);
    EXPECT_EQ(Render(1), (Samples{0, 1000}));  // pan right
    uint32_t status = 0;
    m_Bank.GetSlot(0)->voices[1]->GetStatus(&status);
    EXPECT_EQ(status, 0u);

    // A busy voice drops the request but keeps its volume as the floor across the clock wrap.
    for (const uint32_t start : {1000000u, 0xFFFFFFC0u})
    {
        SysClock::UseTestClock(start);
        Load(Samples(2205, 1000), 1);
        Play(100);
        SysClock::AdvanceTestClock(0x50);  // past the wrap, inside the 100 ms
        Play(60);                          // dropped: the one voice still plays
        EXPECT_EQ(std::pair(m_Bank.GetSlot(0)->requestVolume, m_Bank.GetSlot(0)->startTicks[0]), std::pair(60, start));
        SysClock::AdvanceTestClock(0x14), Play(10);  // at exactly its length it still plays
        EXPECT_EQ(m_Bank.GetSlot(0)->startTicks[0], start);
        SysClock::AdvanceTestClock(1), Play(10);  // finished: started again at the floor
        EXPECT_EQ(m_Bank.GetSlot(0)->startTicks[0], SysClock::TickCount()) << start;
    }
    // A start at tick 0 is kept as the tick before, as 0 marks a free voice: the next request is dropped.
    SysClock::UseTestClock(0), Load(Samples(2205, 1000), 1), Play(100), Play(60);
    EXPECT_EQ(std::pair(m_Bank.GetSlot(0)->requestVolume, m_Bank.GetSlot(0)->startTicks[0]), std::pair(60, ~0u));
    // Every start plays the whole sample, even after a stop half-way or a volume change that freed a playing voice.
    Samples ramp(4000);
    std::iota(ramp.begin(), ramp.end(), int16_t(1));
    Load(ramp, 1);
    Play(100, 0.0f, 1), Render(1000), m_Bank.StopBank(0, 1);
    EXPECT_EQ(Render(1)[0], 0);  // the loop falls silent at once
    SysClock::AdvanceTestClock(1000), Play(100);
    EXPECT_EQ(Render(1)[0], 1);
    m_Bank.SetBankVolume(0, 1, 100), Play(100);
    EXPECT_EQ(Render(1)[0], 1);
    Render(500), m_Bank.Stop(4), m_Bank.Stop(0), Play(100);  // a stopped slot's voices are free at once
    EXPECT_EQ(Render(1)[0], 1);
    // A single play falls silent at the sample's end, a looping one starts over until the bank is cleared.
    const Samples once = Render(4000);
    m_Bank.StopBank(0, 1), SysClock::AdvanceTestClock(1000), Play(100, 0.0f, 1);
    const Samples looped = Render(4001);
    m_Bank.Clear();
    EXPECT_EQ(std::tuple(once[2 * 3998], once[2 * 3999], looped[2 * 3999], looped[2 * 4000], Render(1)[0]),
              std::tuple(int16_t(4000), int16_t(0), int16_t(4000), int16_t(1), int16_t(0)));
    // The volume factor truncates every sample toward zero.
    const struct { float factor; int16_t in, out; } truncated[] = {
        {0.5f, -3, -1}, {0.5f, 3, 1}, {0.9f, 32767, 29490}, {0.9f, -32768, -29491}, {1.0f, -32768, -32768}};
    for (const auto& c : truncated)
    {
        Load({c.in, c.in}, 1, c.factor), Play(100);
        EXPECT_EQ(Render(1)[0], c.out) << c.factor << " x " << c.in;
    }

    // A missing, empty or odd-sized sample leaves its slot empty, and lengths take no overflow.
    CTestLog log;
    m_Folder.Write("odd.snd", std::string(5, '\1')), m_Folder.Write("empty.snd", std::string());
    m_Folder.Write("long.snd", std::string(3000000, '\0'));  // 3,000,000,000 / 44,100 ms
    m_Bank.Init(4, m_Device);
    m_Bank.LoadSample(1.0f, 0, 4, "missing.snd;odd.snd;empty.snd;long.snd", 2);
    for (const char* line : {"Loading sound buffer:", "- Sample:missing.snd", "File not found:missing.snd",
                             "Sample file is empty or not whole 16-bit samples, not loaded:odd.snd",
                             "Sample file is empty or not whole 16-bit samples, not loaded:empty.snd"})
        EXPECT_TRUE(log.Contains(line)) << line;
    EXPECT_EQ((std::vector<int32_t>{m_Bank.GetSlot(0)->voiceCount, m_Bank.GetSlot(2)->voiceCount,
                                    m_Bank.GetSlot(3)->voiceCount, m_Bank.GetSlot(3)->length}),
              (std::vector<int32_t>{0, 0, 2, 68027}));
    EXPECT_EQ(m_Bank.Play(1, 1, 0, 100, 0.0f), 1);
    m_Bank.UpdateSoundEvents(0, 0);  // nothing to start: dropped quietly
    EXPECT_EQ(m_Bank.GetSlot(1)->request, CVoiceBank::RequestNone);
    // Past the last slot, or no variant to draw from: nothing is asked for.
    EXPECT_TRUE(m_Bank.Play(3, 2, 0, 100, 0.0f) == -1 && m_Bank.Play(3, 0, 0, 100, 0.0f) == -1 &&
                m_Bank.GetSlot(3)->request == CVoiceBank::RequestNone);
    // With the sound switched off requests change nothing.
    g_Config.audioEnabled = 0;
    EXPECT_TRUE(m_Bank.Play(3, 1, 0, 100, 0.0f) == -1 && m_Bank.PlayAt(0, 0, 3, 1, 0, 100, 0.0f) == -1);
    m_Bank.SetAllVolumes(50);
    EXPECT_EQ(m_Bank.GetSlot(3)->request, CVoiceBank::RequestNone);
}

TEST_F(SoundPlayback, TracksComeOutAsTheirExactConcatenationWithoutGapsOrShiftedChannelsAndSpeechIsHeardWhole)
{
    // Short, empty and ragged files (three bytes of a frame too many, never heard) join without a gap; a repeated
    // entry follows itself.
    const Samples first = Track(33075, 1000), second = Track(20000, -20000), tiny = Track(100, -3000),
                  ragged = Track(2000, 12000);
    WriteSamples("Music/first.raw", first), WriteSamples("second.raw", second), WriteSamples("empty.raw", {});
    WriteSamples("tiny.raw", tiny), WriteSamples("ragged.raw", ragged, 3);
    for (const char* name : {"Music\\first.raw", "second.raw", "empty.raw", "tiny.raw", "ragged.raw"})
        m_Music.AddToPlaylist(name);
    m_Music.Play(0, 0);
    const uint32_t frames = 2 * (33075 + 20000 + 100 + 2000) + 5000;
    EXPECT_EQ(Listen(frames), Join({&first, &second, &tiny, &ragged}, frames * 2));
    EXPECT_EQ(m_Music.GetCurrentEntry(), 0);
    m_Music.Play(1, 1);
    EXPECT_EQ(Listen(50000), Join({&second}, 100000));
    // Stopped: silence, then a new start from the first sample; a changed volume is heard from the next update.
    m_Music.Stop();
    EXPECT_EQ(Listen(100), Samples(200, 0));
    m_Music.Play(0, 0);
    EXPECT_EQ(Listen(HalfFrames + 1234), Join({&first}, 2 * (HalfFrames + 1234)));
    g_Config.musicVolume = 40;  // -2000 hundredths of a decibel: a tenth
    EXPECT_EQ(Render(1)[0], first[2 * (HalfFrames + 1234)]);
    m_Music.UpdateMusic();
    EXPECT_EQ(Render(1)[0], first[2 * (HalfFrames + 1235)] / 10);
    g_Config.musicVolume = 100, m_Music.Play(0, 0);   // a new start takes the volume set at once
    EXPECT_EQ(Render(1)[0], first[0]);

    // Speech, the music stopped, is heard whole and ends right after its last sample: a ragged end, and lengths
    // ending in the first half, the second half, at the end of the buffer and after rounds.
    m_Music.Stop();
    for (const uint32_t frames : {1000u, 5000u, 15000u, 2 * HalfFrames, 50001u})
    {
        const Samples speech = Track(frames, 300);
        WriteSamples("Speech/line.raw", speech, frames == 1000 ? 3 : 0);
        m_Stream.Play("Speech\\line.raw");
        const Samples heard = Listen(10 * frames, true);
        EXPECT_FALSE(m_Stream.IsPlaying());
        // Ended within the game frame that heard the last sample.
        ASSERT_GE(heard.size(), speech.size());
        EXPECT_LT(heard.size() - speech.size(), 2 * 735u);
        Samples expected = speech;
        expected.resize(heard.size(), 0);
        EXPECT_EQ(heard, expected) << frames;
    }
    // Stopped, or replaced while it plays, the next stream starts at its first sample; a missing file ends at once.
    const Samples next = Track(3000, -9000);
    WriteSamples("next.raw", next);
    m_Stream.Play("Speech\\line.raw"), Listen(HalfFrames + 3000, true), m_Stream.Stop();
    EXPECT_EQ(Render(50), Samples(100, 0));
    m_Stream.Play("Speech\\line.raw"), Listen(7000, true), m_Stream.Play("next.raw");
    const Samples heard = Listen(20000, true);
    EXPECT_TRUE(std::equal(next.begin(), next.end(), heard.begin()));
    CTestLog log;
    m_Stream.Play("missing.raw"), m_Stream.Update();
    EXPECT_FALSE(m_Stream.IsPlaying());
    // A cleared playlist takes 64 names again, not a 65th, and plays no entry past its last.
    m_Music.ClearPlaylist();
    for (int i = 0; i <= 64; ++i) m_Music.AddToPlaylist("tiny.raw");
    m_Music.Play(64, 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"File not found:missing.raw",
                                                     "Music playlist is full, file not added:tiny.raw",
                                                     "Music playlist has no entry 64, not played"}));
}

// A tree is not also a building, docks are water, a decoration nothing.
TEST_F(EnvironmentFX, EachCellCountsAsOneKindOnlyAFireLoopsFromOneRequestAndEachThemeAndWeatherSetsItsFog)
{
    Stand(nullptr, 20, 20, 30, 24, 3);
    Stand(nullptr, 40, 40, 45, 44, 8);
    TestBuilding docks(13, 0, 0), statue(18, 0, 1), rock(10, 3, 0), tree(10, 2, 0), house(1, 0, 0);
    tree.fireAmount = 5, house.fireAmount = 1;
    for (const auto& [object, x0, y0, x1, y1] : {std::tuple{&docks, 30, 30, 32, 32}, {&statue, 33, 30, 35, 32},
                                                 {&rock, 36, 30, 38, 32}, {&tree, 30, 34, 32, 36},
                                                 {&house, 34, 34, 37, 37}}) Stand(object, x0, y0, x1, y1);
    Weather(WEATHER_RAIN, 30), g_EnvironmentFX.Update(), g_EnvironmentFX.Update();
    const CEnvironmentFX& fx = g_EnvironmentFX;
    ASSERT_EQ(fx.sampleCount, fx.viewList.count);
    EXPECT_EQ((std::vector{fx.trees.count, fx.shallowWater.count, fx.sea.count, fx.buildings.count, fx.fires.count}),
              (std::vector{4, 40 + 4, 20, 4 + 9, 4 * 5 + 9}));
    EXPECT_TRUE(fx.openLand.count == (fx.sampleCount - 40 - 20 - 4 * 4 - 9) && fx.shallowWater.volume == Share(44, 3));
    EXPECT_EQ(fx.openLand.volume, std::min(int32_t(double(fx.openLand.count * 100 / fx.sampleCount) * 1.3), 100));
    const int32_t fire = Share(29, 10);
    std::vector<Call> loops = bank.calls;
    std::erase_if(loops, [](const Call& call) { return call.slot != 217 && call.slot != 218; });
    EXPECT_EQ(loops, (std::vector<Call>{{"loop", 218, 1, 30}, {"volume", 218, 1, 30}, {"loop", 217, 1, fire},
                                        {"volume", 217, 1, fire}}));
    // A fire put out stops its loop; lit again, it loops again.
    tree.fireAmount = house.fireAmount = 0, g_EnvironmentFX.Update(), tree.fireAmount = 5, bank.calls.clear();
    g_EnvironmentFX.Update(), std::erase_if(bank.calls, [](const Call& call) { return call.slot != 217; });
    EXPECT_EQ(bank.calls, (std::vector<Call>{{"loop", 217, 1, Share(20, 10)}, {"volume", 217, 1, Share(20, 10)}}));
    // A new map stops the fire loop with the rain: forgotten, it would sound on over the next map.
    bank.calls.clear(), g_EnvironmentFX.InitEnvironment(true);
    EXPECT_EQ(bank.calls, (std::vector<Call>{{"stop", 218, 1, 0}, {"stop", 217, 1, 0}}));
    // The debug text then shows nothing counted, no loop and no storm (its first number is the rain's level).
    EXPECT_STREQ(fx.DebugDump().GetBuffer(),
                 "---===( Environment )===---\n# blocks: 0\n# tree: 0, vol: 0%\n# free: 0, vol: 0%\n"
                 "# water: 0, vol: 0%\n# ocean: 0, vol: 0%\n# building: 0, vol: 0%\n# fires: 0, vol: 0%  id=-1\n"
                 "# rain: 0, vol: 0%  id=-1\n# storm: 0, vol: 0%  nexttime=0\n# corpse: 0, vol: 0%\n");

    // Each theme and weather sets its fog.
    using T = CEnvironmentFX;
    const struct { int32_t theme, weather; uint8_t value; uint32_t enabled, colour; float start, end; } cases[] = {
        {T::ThemeContinental, WEATHER_RAIN, 80, 1, 0x95CDDF, 3.0f, 60.0f},
        {T::ThemeContinental, WEATHER_RAIN, 30, 1, 0x95CDDF, 8.0f, 85.0f},
        {T::ThemeContinental, WEATHER_NONE, 0, 0, 0, 0, 0}, {T::ThemeWinter, WEATHER_NONE, 0, 1, 0xFFFFFF, 5.0f, 43.0f},
        {T::ThemeWinter, WEATHER_SNOW, 0, 1, 0xFFFFFF, 3.0f, 35.0f},
        {T::ThemeWinter, WEATHER_SNOW, 100, 1, 0xFFFFFF, 1.0f, 25.0f},
        {T::ThemeSwamp, WEATHER_RAIN, 90, 1, 0x30DF40, 1.0f, 60.0f},
        {T::ThemeCave, WEATHER_NONE, 0, 1, 0x000000, 1.0f, 40.0f}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.theme << "/" << int(c.value));
        g_GameMap.theme = c.theme;
        Weather(c.weather, c.value), g_EnvironmentFX.Update();
        ASSERT_EQ(RenderState(Sys3DRenderState::FogEnable), c.enabled);
        if (c.enabled == 0) continue;
        EXPECT_EQ(std::tuple(RenderState(Sys3DRenderState::FogColour), RenderState(Sys3DRenderState::FogTableMode),
                             Sys3DBitsToFloat(RenderState(Sys3DRenderState::FogStart)),
                             Sys3DBitsToFloat(RenderState(Sys3DRenderState::FogEnd))),
                  std::tuple(c.colour, uint32_t(Sys3DFogMode::Linear), c.start, c.end));
    }
    // A view with nothing seen keeps the theme's fog; a new map clears it.
    std::memset(m_Players[0].exploredMap, 0, sizeof(m_Players[0].exploredMap)), g_EnvironmentFX.Update();
    EXPECT_EQ(RenderState(Sys3DRenderState::FogEnable), 1u);
    // Without a view list nothing is divided by its empty count.
    g_EnvironmentFX.viewList.Free(), g_EnvironmentFX.Update();
    EXPECT_EQ(g_EnvironmentFX.openLand.volume, 0);
    g_EnvironmentFX.InitEnvironment(true);
    EXPECT_EQ(RenderState(Sys3DRenderState::FogEnable), 0u);
}

