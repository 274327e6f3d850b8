#include "platform/SoundVoiceList.h"

#include <algorithm>

void SoundVoiceList::Add(SoundVoice* voice)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Voices.push_back(voice);
}

void SoundVoiceList::Remove(SoundVoice* voice)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Voices.erase(std::remove(m_Voices.begin(), m_Voices.end(), voice), m_Voices.end());
}

void SoundVoiceList::Render(int16_t* out, uint32_t frames)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    SoundMixer::Mix(m_Voices, out, frames);
}
