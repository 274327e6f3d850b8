// The sample bank: requests, the distance table, voices taken and freed by
// the clock, and samples loaded from files, heard through a mixer without an
// output.

#include "core/GlobalFunc.h"
#include "media/C_VoiceBank.h"
#include "tests/media/Sound_Rig.h"

namespace
{
class SoundVoiceBank : public SoundRig
{
protected:
    void TearDown() override
    {
        m_Bank.Free();
        SoundRig::TearDown();
    }

    // Slot 0 from "s.snd" holding `samples`, with `voices` voices.
    void LoadOne(const std::vector<int16_t>& samples, int32_t voices, float factor = 1.0f)
    {
        WriteSamples("s.snd", samples);
        m_Bank.Init(4, m_Device);
        m_Bank.LoadSample(factor, 0, 1, "s.snd", voices);
    }

    static uint32_t StatusOf(const CVoiceBank::SSlot* slot, int32_t voice)
    {
        uint32_t status = 0;
        slot->voices[size_t(voice)]->GetStatus(&status);
        return status;
    }

    CVoiceBank m_Bank;
};

// 100 ms of one value: 4,410 bytes, a length of 100 ms.
std::vector<int16_t> Level(int16_t value)
{
    return std::vector<int16_t>(2205, value);
}
} // namespace

TEST_F(SoundVoiceBank, PositionalVolumeFollowsTheDistanceTable)
{
    // Listener at (100, 100); configured sound volume 80.
    struct Case { int32_t dx, dy, percent, expected; };
    const Case cases[] = {
        {0, 0, 100, 80},      {12, 0, 100, 80},    {0, -12, 100, 80},
        {13, 0, 100, 78},     // factor 100 - (int)(1 * 100 / 38.0) = 98
        {20, 0, 100, 63},     // factor 79
        {31, 0, 100, 40},     // factor 50
        {31, 0, 50, 20},      {21, 21, 100, 44},   // 296 tenths: 29 blocks, factor 56
        {49, 0, 100, 2},      // factor 3
        {50, 0, 100, -1},     // factor 0
        {51, 0, 100, -1},     {-36, -36, 100, -1}, // 509 tenths: 50 blocks
    };
    g_Config.soundVolume = 80;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.dx << ", " << c.dy);
        m_Bank.Init(1, nullptr);
        m_Bank.UpdateSoundEvents(100, 100);
        const int32_t slot = m_Bank.PlayAt(100 + c.dx, 100 + c.dy, 0, 1, 0, c.percent, 0.0f);
        if (c.expected < 0)
        {
            EXPECT_EQ(slot, -1);
            EXPECT_EQ(m_Bank.GetSlot(0)->request, CVoiceBank::RequestNone);
            continue;
        }
        EXPECT_EQ(slot, 0);
        EXPECT_EQ(m_Bank.GetSlot(0)->requestVolume, c.expected);
    }
    // Heard so: 40 % is -2000 hundredths of a decibel, a tenth.
    LoadOne(Level(10000), 1);
    m_Bank.UpdateSoundEvents(0, 0);
    m_Bank.PlayAt(0, 31, 0, 1, 0, 100, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);
    EXPECT_EQ(Render(1)[0], 1000);
}

TEST_F(SoundVoiceBank, RequestsOfOneUpdateStartOneVoiceAtTheLouderVolumeWithTheLaterPan)
{
    LoadOne(Level(10000), 2);
    m_Bank.Play(0, 1, 0, 40, -1.0f);
    m_Bank.Play(0, 1, 0, 20, 1.0f);
    m_Bank.UpdateSoundEvents(0, 0);
    const CVoiceBank::SSlot* slot = m_Bank.GetSlot(0);
    EXPECT_EQ(StatusOf(slot, 0), uint32_t(SysSound::StatusPlaying));
    EXPECT_EQ(StatusOf(slot, 1), 0u);
    EXPECT_EQ(slot->requestVolume, 0);
    EXPECT_EQ(slot->request, CVoiceBank::RequestNone);
    const std::vector<int16_t> heard = Render(1);
    EXPECT_EQ(heard[0], 0);      // pan right: the left side silent
    EXPECT_EQ(heard[1], 1000);   // 40 %
}

TEST_F(SoundVoiceBank, ABusyVoiceDropsTheRequestButKeepsItsVolumeAsTheFloor)
{
    LoadOne(Level(1000), 1);
    EXPECT_EQ(m_Bank.GetSlot(0)->length, 100);
    m_Bank.Play(0, 1, 0, 100, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);
    SysClock::AdvanceTestClock(50);
    m_Bank.Play(0, 1, 0, 60, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);   // dropped: the one voice still plays
    EXPECT_EQ(m_Bank.GetSlot(0)->request, CVoiceBank::RequestNone);
    EXPECT_EQ(m_Bank.GetSlot(0)->requestVolume, 60);
    EXPECT_EQ(m_Bank.GetSlot(0)->startTicks[0], ClockStart);
    SysClock::AdvanceTestClock(51);
    m_Bank.Play(0, 1, 0, 10, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);   // finished: started again at the floor
    EXPECT_EQ(m_Bank.GetSlot(0)->startTicks[0], ClockStart + 101);
    EXPECT_EQ(m_Bank.GetSlot(0)->requestVolume, 0);

    // With two voices the second takes a request the first cannot.
    LoadOne(Level(1000), 2);
    m_Bank.Play(0, 1, 0, 100, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);
    m_Bank.Play(0, 1, 0, 100, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);
    EXPECT_EQ(StatusOf(m_Bank.GetSlot(0), 1), uint32_t(SysSound::StatusPlaying));
}

TEST_F(SoundVoiceBank, VoiceTimingSurvivesTheClockWrap)
{
    for (const uint32_t start : {0xFFFFFFC0u, 0u})
    {
        SCOPED_TRACE(start);
        SysClock::UseTestClock(start);
        LoadOne(Level(1000), 1);
        m_Bank.Play(0, 1, 0, 100, 0.0f);
        m_Bank.UpdateSoundEvents(0, 0);
        SysClock::AdvanceTestClock(0x50);   // past the wrap, inside the 100 ms
        m_Bank.Play(0, 1, 0, 100, 0.0f);
        m_Bank.UpdateSoundEvents(0, 0);
        const uint32_t started = m_Bank.GetSlot(0)->startTicks[0];
        EXPECT_EQ(SysClock::TicksBetween(started, SysClock::TickCount()), start == 0 ? 0x51u : 0x50u);
        SysClock::AdvanceTestClock(0x20);
        m_Bank.Play(0, 1, 0, 100, 0.0f);
        m_Bank.UpdateSoundEvents(0, 0);
        EXPECT_EQ(m_Bank.GetSlot(0)->startTicks[0], SysClock::TickCount());
    }
}

TEST_F(SoundVoiceBank, EveryStartPlaysTheWholeSample)
{
    std::vector<int16_t> ramp(4000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = int16_t(i + 1);
    LoadOne(ramp, 1);
    m_Bank.Play(0, 1, 1, 100, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);
    Render(1000);
    m_Bank.StopBank(0, 1);   // stopped half-way: the voice keeps its place
    SysClock::AdvanceTestClock(1000);
    m_Bank.Play(0, 1, 0, 100, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);
    EXPECT_EQ(Render(1)[0], 1);

    m_Bank.SetBankVolume(0, 1, 100);   // frees a voice that still plays
    m_Bank.Play(0, 1, 0, 100, 0.0f);
    m_Bank.UpdateSoundEvents(0, 0);
    EXPECT_EQ(Render(1)[0], 1);
}

TEST_F(SoundVoiceBank, TheVolumeFactorTruncatesEverySampleTowardZero)
{
    struct Case { float factor; int16_t in, out; };
    const Case cases[] = {
        {0.5f, -3, -1}, {0.5f, 3, 1}, {0.9f, 32767, 29490}, {0.9f, -32768, -29491},
        {0.8f, 1000, 800}, {1.0f, -32768, -32768},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.factor << " x " << c.in);
        LoadOne({c.in, c.in}, 1, c.factor);
        m_Bank.Play(0, 1, 0, 100, 0.0f);
        m_Bank.UpdateSoundEvents(0, 0);
        EXPECT_EQ(Render(1)[0], c.out);
    }
}

TEST_F(SoundVoiceBank, AMissingEmptyOrOddSizedSampleLeavesItsSlotEmptyAndLengthsTakeNoOverflow)
{
    CTestLog log;
    m_Folder.Write("odd.snd", std::string(5, '\1'));
    m_Folder.Write("empty.snd", std::string());
    m_Folder.Write("long.snd", std::string(3000000, '\0'));   // 3,000,000,000 / 44,100 ms
    m_Bank.Init(4, m_Device);
    m_Bank.LoadSample(1.0f, 0, 4, "missing.snd;odd.snd;empty.snd;long.snd", 2);
    EXPECT_TRUE(log.Contains("Loading sound buffer:"));
    EXPECT_TRUE(log.Contains("- Sample:missing.snd"));
    EXPECT_TRUE(log.Contains("File not found:missing.snd"));
    EXPECT_TRUE(log.Contains("Sample file is empty or not whole 16-bit samples, not loaded:odd.snd"));
    EXPECT_TRUE(log.Contains("Sample file is empty or not whole 16-bit samples, not loaded:empty.snd"));
    for (int32_t slot = 0; slot < 3; ++slot)
        EXPECT_EQ(m_Bank.GetSlot(slot)->voiceCount, 0) << slot;
    EXPECT_EQ(m_Bank.GetSlot(3)->voiceCount, 2);
    EXPECT_EQ(m_Bank.GetSlot(3)->length, 68027);
    EXPECT_EQ(m_Bank.Play(1, 1, 0, 100, 0.0f), 1);
    m_Bank.UpdateSoundEvents(0, 0);   // nothing to start: dropped quietly
    EXPECT_EQ(m_Bank.GetSlot(1)->request, CVoiceBank::RequestNone);
    EXPECT_EQ(m_Bank.Play(3, 2, 0, 100, 0.0f), -1);   // past the last slot
}

TEST_F(SoundVoiceBank, WithTheSoundSwitchOffRequestsReturnMinusOneAndChangeNothing)
{
    LoadOne(Level(1000), 1);
    g_Config.audioEnabled = 0;
    EXPECT_EQ(m_Bank.Play(0, 1, 0, 100, 0.0f), -1);
    EXPECT_EQ(m_Bank.PlayAt(0, 0, 0, 1, 0, 100, 0.0f), -1);
    m_Bank.SetAllVolumes(50);
    EXPECT_EQ(m_Bank.GetSlot(0)->request, CVoiceBank::RequestNone);
    EXPECT_EQ(m_Bank.GetSlot(0)->requestVolume, 0);
}
