// The speech stream through a mixer without an output: every sample of the
// file is heard, then the stream ends by itself.

#include <algorithm>

#include "media/C_SoundStream.h"
#include "tests/media/Sound_Rig.h"

namespace
{
constexpr uint32_t FrameChunk = 441;   // 20 ms game frames
constexpr uint32_t HalfFrames = 44100 / 4;

class SoundStream : public SoundRig
{
protected:
    void SetUp() override
    {
        SoundRig::SetUp();
        m_Stream.Init(m_Device);
    }

    void TearDown() override
    {
        m_Stream.Release();
        SoundRig::TearDown();
    }

    // Plays game frames, one update after each, until the stream has ended
    // (or `limit` frames); what was heard.
    std::vector<int16_t> ListenToTheEnd(uint32_t limit)
    {
        std::vector<int16_t> heard;
        while (m_Stream.IsPlaying() && heard.size() < limit * 2)
        {
            const std::vector<int16_t> chunk = Render(FrameChunk);
            heard.insert(heard.end(), chunk.begin(), chunk.end());
            m_Stream.Update();
        }
        return heard;
    }

    static bool IsSilent(std::vector<int16_t>::const_iterator from, std::vector<int16_t>::const_iterator to)
    {
        return std::all_of(from, to, [](int16_t s) { return s == 0; });
    }

    CSoundStream m_Stream;
};
} // namespace

TEST_F(SoundStream, SpeechIsHeardWholeAndEndsRightAfterItsLastSample)
{
    // Lengths ending in the first half, the second half, exactly at the end
    // of the buffer, and after several rounds of it.
    for (const uint32_t frames : {5000u, 15000u, 2 * HalfFrames, 50001u})
    {
        SCOPED_TRACE(frames);
        const std::vector<int16_t> speech = Track(frames, 300);
        WriteSamples("Speech/line.raw", speech);
        m_Stream.Play("Speech\\line.raw");
        ASSERT_TRUE(m_Stream.IsPlaying());
        const std::vector<int16_t> heard = ListenToTheEnd(10 * frames);
        EXPECT_FALSE(m_Stream.IsPlaying());
        ASSERT_GE(heard.size(), speech.size());
        EXPECT_TRUE(std::equal(speech.begin(), speech.end(), heard.begin()));
        EXPECT_TRUE(IsSilent(heard.begin() + std::ptrdiff_t(speech.size()), heard.end()));
        // Ended within the game frame that heard the last sample.
        EXPECT_LT(heard.size() / 2 - frames, FrameChunk);
        EXPECT_EQ(Render(10), std::vector<int16_t>(20, 0));
    }
}

TEST_F(SoundStream, StopEndsAtOnceAndTheNextStreamStartsAtItsFirstSample)
{
    const std::vector<int16_t> first = Track(40000, 1000);
    const std::vector<int16_t> second = Track(3000, -9000);
    WriteSamples("first.raw", first);
    WriteSamples("second.raw", second);
    m_Stream.Play("first.raw");
    ListenToTheEnd(HalfFrames + 3000);
    m_Stream.Stop();
    EXPECT_FALSE(m_Stream.IsPlaying());
    EXPECT_EQ(Render(50), std::vector<int16_t>(100, 0));

    m_Stream.Play("second.raw");
    const std::vector<int16_t> heard = ListenToTheEnd(20000);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), heard.begin()));

    // A new stream while one plays replaces it from its start.
    m_Stream.Play("first.raw");
    ListenToTheEnd(7000);
    m_Stream.Play("second.raw");
    EXPECT_TRUE(std::equal(second.begin(), second.end(), ListenToTheEnd(20000).begin()));
}

TEST_F(SoundStream, ARaggedEndIsCutToWholeFramesAndAMissingFileEndsAtOnce)
{
    const std::vector<int16_t> speech = Track(1000, 50);
    WriteSamples("ragged.raw", speech, 3);
    m_Stream.Play("ragged.raw");
    const std::vector<int16_t> heard = ListenToTheEnd(5000);
    EXPECT_TRUE(std::equal(speech.begin(), speech.end(), heard.begin()));
    EXPECT_TRUE(IsSilent(heard.begin() + std::ptrdiff_t(speech.size()), heard.end()));

    CTestLog log;
    m_Stream.Play("missing.raw");
    EXPECT_TRUE(log.Contains("File not found:missing.raw"));
    m_Stream.Update();
    EXPECT_FALSE(m_Stream.IsPlaying());
}
