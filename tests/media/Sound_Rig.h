#pragma once
// A sound device without an output, mixed by the test itself, with files
// read from a scratch folder, sound switched on, full volumes and a test
// clock.  Shared by the sample bank, music and speech tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "platform/SoundDevice.h"
#include "platform/SysClock.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

class SoundRig : public ::testing::Test
{
protected:
    static constexpr uint32_t ClockStart = 1000000;

    void SetUp() override
    {
        m_Saved = g_Config;
        g_Config.audioEnabled = 1;
        g_Config.soundVolume = 100;
        g_Config.musicVolume = 100;
        m_Device = new SoundDevice();
        InitDataFile(m_Folder.Path().c_str(), 0);
        SysClock::UseTestClock(ClockStart);
    }

    void TearDown() override
    {
        SysClock::UseSystemClock();
        InitDataFile("", 0);
        m_Device->Release();
        g_Config = m_Saved;
    }

    // Interleaved stereo frames of the mix; the cursors move on.
    std::vector<int16_t> Render(uint32_t frames)
    {
        std::vector<int16_t> out(frames * 2);
        m_Device->Render(out.data(), frames);
        return out;
    }

    // Writes 16-bit samples (interleaved when stereo) as a headerless file.
    void WriteSamples(const std::string& relative, const std::vector<int16_t>& samples, size_t extraBytes = 0)
    {
        std::string bytes;
        for (int16_t sample : samples)
        {
            const auto bits = static_cast<uint16_t>(sample);
            bytes.push_back(static_cast<char>(bits & 0xFF));
            bytes.push_back(static_cast<char>(bits >> 8));
        }
        bytes.append(extraBytes, '\x7F');
        m_Folder.Write(relative, bytes);
    }

    // A stereo track whose every sample tells where it came from.
    static std::vector<int16_t> Track(uint32_t frames, int16_t base)
    {
        std::vector<int16_t> samples;
        for (uint32_t i = 0; i < frames; ++i)
        {
            samples.push_back(static_cast<int16_t>(base + int32_t(i % 10000)));
            samples.push_back(static_cast<int16_t>(-base - int32_t(i % 7000)));
        }
        return samples;
    }

    SoundDevice* m_Device = nullptr;
    CScratchFolder m_Folder;
    CConfig m_Saved;
};
