// The music player through a mixer without an output: what comes out is
// compared sample by sample with the files of the playlist.

#include <algorithm>
#include <filesystem>

#include "core/C_LogFile.h"
#include "media/C_Music.h"
#include "tests/media/Sound_Rig.h"

namespace
{
constexpr uint32_t HalfFrames = 44100 / 4;
constexpr uint32_t FrameChunk = 735;   // a frame of the game at 30 per second

class MusicPlaylist : public SoundRig
{
protected:
    void SetUp() override
    {
        SoundRig::SetUp();
        m_Music.Init(m_Device);
    }

    void TearDown() override
    {
        m_Music.Release();
        SoundRig::TearDown();
    }

    // Plays `frames` frames, one update after each game frame.
    std::vector<int16_t> Listen(uint32_t frames)
    {
        std::vector<int16_t> heard;
        while (heard.size() < frames * 2)
        {
            const std::vector<int16_t> chunk = Render(std::min(FrameChunk, frames - uint32_t(heard.size() / 2)));
            heard.insert(heard.end(), chunk.begin(), chunk.end());
            m_Music.UpdateMusic();
        }
        return heard;
    }

    static std::vector<int16_t> Join(std::initializer_list<const std::vector<int16_t>*> parts, size_t samples)
    {
        std::vector<int16_t> joined;
        while (joined.size() < samples)
        {
            for (const std::vector<int16_t>* part : parts)
                joined.insert(joined.end(), part->begin(), part->end());
        }
        joined.resize(samples);
        return joined;
    }

    CMusic m_Music;
};
} // namespace

TEST_F(MusicPlaylist, TwoTracksComeOutAsTheirExactConcatenationAndARepeatedOneFollowsItself)
{
    const std::vector<int16_t> first = Track(33075, 1000);    // 1.5 s
    const std::vector<int16_t> second = Track(20000, -20000);
    WriteSamples("Music/first.raw", first);
    WriteSamples("Music/second.raw", second);
    m_Music.AddToPlaylist("Music\\first.raw");
    m_Music.AddToPlaylist("Music\\second.raw");
    ASSERT_EQ(m_Music.GetPlaylistCount(), 2);
    m_Music.Play(0, 0);

    const uint32_t frames = 33075 + 20000 + 33075 + 5000;
    EXPECT_EQ(Listen(frames), Join({&first, &second}, frames * 2));
    EXPECT_EQ(m_Music.GetCurrentEntry(), 0);

    // Repeated, one entry follows itself.
    m_Music.Play(1, 1);
    EXPECT_EQ(Listen(frames), Join({&second}, frames * 2));
}

TEST_F(MusicPlaylist, ShortEmptyAndRaggedFilesJoinWithoutGapsOrShiftedChannels)
{
    // The middle files are shorter than what a half still needs; the last
    // has three bytes of a frame too many, which are never heard.
    const std::vector<int16_t> longTrack = Track(30000, 500);
    const std::vector<int16_t> shortTrack = Track(100, -3000);
    const std::vector<int16_t> ragged = Track(2000, 12000);
    WriteSamples("long.raw", longTrack);
    WriteSamples("empty.raw", {});
    WriteSamples("short.raw", shortTrack);
    WriteSamples("ragged.raw", ragged, 3);
    for (const char* name : {"long.raw", "empty.raw", "short.raw", "ragged.raw"})
        m_Music.AddToPlaylist(name);
    m_Music.Play(0, 0);
    EXPECT_EQ(Listen(80000), Join({&longTrack, &shortTrack, &ragged}, 160000));
}

TEST_F(MusicPlaylist, APlaylistWithNothingToPlayGivesSilence)
{
    WriteSamples("empty.raw", {});
    WriteSamples("gone.raw", Track(10, 5));
    m_Music.AddToPlaylist("empty.raw");
    m_Music.AddToPlaylist("gone.raw");
    std::filesystem::remove(m_Folder / "gone.raw");
    m_Music.Play(0, 0);
    const std::vector<int16_t> heard = Listen(3 * HalfFrames);
    EXPECT_TRUE(std::all_of(heard.begin(), heard.end(), [](int16_t s) { return s == 0; }));
    EXPECT_TRUE(m_Music.IsPlaying());
}

TEST_F(MusicPlaylist, ATrackPlayedAfterAStopStartsAtItsFirstSample)
{
    const std::vector<int16_t> track = Track(40000, 2000);
    WriteSamples("track.raw", track);
    m_Music.AddToPlaylist("track.raw");
    m_Music.Play(0, 0);
    Listen(HalfFrames + 1234);   // stopped inside the second half
    m_Music.Stop();
    EXPECT_FALSE(m_Music.IsPlaying());
    EXPECT_EQ(Listen(100), std::vector<int16_t>(200, 0));
    m_Music.Play(0, 0);
    EXPECT_EQ(Listen(30000), Join({&track}, 60000));
}

TEST_F(MusicPlaylist, PlaylistRefusesUnopenableNamesA65thNameAndAnIndexPastTheList)
{
    CTestLog log;
    WriteSamples("a.raw", Track(10, 1));
    m_Music.AddToPlaylist("missing.raw");
    EXPECT_EQ(m_Music.GetPlaylistCount(), 0);
    m_Music.Play(0, 0);   // empty list: nothing
    EXPECT_FALSE(m_Music.IsPlaying());

    for (int i = 0; i < CMusic::MaxPlaylist; ++i)
        m_Music.AddToPlaylist("a.raw");
    EXPECT_EQ(m_Music.GetPlaylistCount(), CMusic::MaxPlaylist);
    m_Music.AddToPlaylist("a.raw");
    EXPECT_EQ(m_Music.GetPlaylistCount(), CMusic::MaxPlaylist);
    EXPECT_TRUE(log.Contains("Music playlist is full, file not added:a.raw"));

    for (int index : {-1, 64, 1000})
    {
        m_Music.Play(index, 0);
        EXPECT_FALSE(m_Music.IsPlaying()) << index;
    }
    EXPECT_TRUE(log.Contains("Music playlist has no entry 64, not played"));
    m_Music.Play(63, 0);
    EXPECT_TRUE(m_Music.IsPlaying());
}

TEST_F(MusicPlaylist, AChangedMusicVolumeIsHeardFromTheNextUpdate)
{
    WriteSamples("loud.raw", std::vector<int16_t>(2 * 40000, 10000));
    m_Music.AddToPlaylist("loud.raw");
    m_Music.Play(0, 0);
    EXPECT_EQ(Listen(10)[0], 10000);
    g_Config.musicVolume = 40;   // -2000 hundredths of a decibel: a tenth
    EXPECT_EQ(Render(1)[0], 10000);
    m_Music.UpdateMusic();
    EXPECT_EQ(Render(1)[0], 1000);
}
