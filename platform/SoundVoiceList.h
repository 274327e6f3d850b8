#pragma once
// The voices of one sound device and the lock that keeps the main thread's
// buffer calls and the output thread's mixing apart.  Shared by the device
// and its buffers, so either may go first.

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/SoundMixer.h"

class SoundVoiceList
{
public:
    // Held by a buffer while it reads or changes its voice.
    std::mutex& Mutex() { return m_Mutex; }

    // Each takes the lock itself.
    void Add(SoundVoice* voice);
    void Remove(SoundVoice* voice);

    // Output thread: mixes the next `frames` stereo frames into `out`.
    void Render(int16_t* out, uint32_t frames);

private:
    std::mutex m_Mutex;
    std::vector<SoundVoice*> m_Voices;
};
