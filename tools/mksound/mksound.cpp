// mksound: the project's own sounds.
//
//   mksound samples DIR
//       Every file the game's sample table names, under DIR as the game
//       names it ("Sounds\Worker\chop-tree-1.snd" becomes
//       DIR/Sounds/Worker/chop-tree-1.snd), and DIR/sounds.fls listing them
//       one a line (CR LF).  Samples: headerless 16-bit mono PCM at
//       22050 Hz, 60 ms each; the Nature\ sounds are noise, the others tones
//       whose pitch tells the files apart.
//   mksound music FILE SECONDS HZ
//       A music track: headerless 16-bit stereo PCM at 22050 Hz, a four-note
//       arpeggio on HZ (a quarter second a note), the right channel a fifth
//       above the left.
//
// Each file is written beside its target and renamed over it, so an old file
// stays whole on failure.  Exit code 0 on success, 1 on failure, 2 on wrong
// usage.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "media/C_VoiceBank.h"

namespace
{
constexpr int SampleRate = 22050;
constexpr int SampleMilliseconds = 60;
constexpr int FadeFrames = 110;             // 5 ms: no click at either end
constexpr double ToneAmplitude = 8000.0;
constexpr int NoiseAmplitude = 6000;
constexpr double LowestTone = 300.0;
constexpr double ToneStep = 25.0;           // Hz between successive files
constexpr double MusicAmplitude = 6000.0;
constexpr int NoteFrames = SampleRate / 4;
constexpr double Arpeggio[] = {1.0, 1.25, 1.5, 2.0};
constexpr double Fifth = 1.5;
constexpr int MaxMusicSeconds = 600;
constexpr double TwoPi = 6.283185307179586;

void PutSample(std::string& bytes, int value)
{
    const auto bits = static_cast<uint16_t>(static_cast<int16_t>(value));
    bytes.push_back(static_cast<char>(bits & 0xFF));
    bytes.push_back(static_cast<char>(bits >> 8));
}

bool WriteReplacing(const std::filesystem::path& path, const std::string& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    const std::filesystem::path temporary = path.string() + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        std::filesystem::remove(temporary, error);
        return false;
    }
    std::filesystem::rename(temporary, path, error);
    return !error;
}

double Fade(int frame, int frames)
{
    const int edge = std::min(frame, frames - 1 - frame);
    return edge >= FadeFrames ? 1.0 : static_cast<double>(edge) / FadeFrames;
}

std::string MakeTone(double hz)
{
    const int frames = SampleRate * SampleMilliseconds / 1000;
    std::string bytes;
    for (int i = 0; i < frames; ++i)
        PutSample(bytes, static_cast<int>(ToneAmplitude * Fade(i, frames) * std::sin(TwoPi * hz * i / SampleRate)));
    return bytes;
}

std::string MakeNoise(uint32_t seed)
{
    const int frames = SampleRate * SampleMilliseconds / 1000;
    std::string bytes;
    uint32_t state = seed * 2654435761u + 1;
    for (int i = 0; i < frames; ++i)
    {
        state = state * 1664525u + 1013904223u;
        const int value = static_cast<int>(state >> 16) % (2 * NoiseAmplitude + 1) - NoiseAmplitude;
        PutSample(bytes, static_cast<int>(value * Fade(i, frames)));
    }
    return bytes;
}

std::filesystem::path DiskPath(const std::string& folder, const CString& gameName)
{
    std::string relative = gameName.GetBuffer();
    for (char& c : relative)
    {
        if (c == '\\')
            c = '/';
    }
    return std::filesystem::path(folder) / relative;
}

int WriteSamples(const std::string& folder)
{
    const std::vector<CString> names = GetSampleFileNames();
    std::string list;
    for (size_t i = 0; i < names.size(); ++i)
    {
        const bool nature = names[i].Find("\\Nature\\") >= 0;
        const std::string bytes = nature ? MakeNoise(uint32_t(i)) : MakeTone(LowestTone + ToneStep * double(i));
        if (!WriteReplacing(DiskPath(folder, names[i]), bytes))
        {
            std::fprintf(stderr, "mksound: cannot write %s\n", DiskPath(folder, names[i]).c_str());
            return 1;
        }
        list += std::string(names[i].GetBuffer()) + "\r\n";
    }
    if (!WriteReplacing(std::filesystem::path(folder) / "sounds.fls", list))
    {
        std::fprintf(stderr, "mksound: cannot write %s/sounds.fls\n", folder.c_str());
        return 1;
    }
    return 0;
}

int WriteMusic(const char* path, int seconds, double hz)
{
    std::string bytes;
    double leftPhase = 0.0;
    double rightPhase = 0.0;
    const int frames = seconds * SampleRate;
    for (int i = 0; i < frames; ++i)
    {
        const double note = hz * Arpeggio[(i / NoteFrames) % 4];
        leftPhase += TwoPi * note / SampleRate;
        rightPhase += TwoPi * note * Fifth / SampleRate;
        PutSample(bytes, static_cast<int>(MusicAmplitude * std::sin(leftPhase)));
        PutSample(bytes, static_cast<int>(MusicAmplitude * std::sin(rightPhase)));
    }
    if (!WriteReplacing(path, bytes))
    {
        std::fprintf(stderr, "mksound: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: mksound samples DIR\n       mksound music FILE SECONDS HZ\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "samples") == 0)
        return WriteSamples(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "music") == 0)
    {
        const int seconds = std::atoi(argv[3]);
        const double hz = std::atof(argv[4]);
        if (seconds < 1 || seconds > MaxMusicSeconds || !(hz > 0.0 && hz < SampleRate / 4))
            return Usage();
        return WriteMusic(argv[2], seconds, hz);
    }
    return Usage();
}
