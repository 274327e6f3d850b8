#pragma once
// The bank of short sound samples: numbered slots, each holding one sample
// in one or more sound buffers (voices) so that the same sound can sound
// several times at once.  Game code files requests for a slot (with volume
// and pan, or with a map position whose distance to the listener sets the
// volume); once per update the bank starts every requested slot on a voice
// that has finished.  Main thread only.
//
// Units: volumes in percent (0-100), pan -1.0 (left) .. 1.0 (right),
// positions and distances in map blocks, times in milliseconds of SysClock.
// Every operation but loading and freeing does nothing while the
// configuration's AUDIOENABLED= switch is off.

#include <cstdint>
#include <vector>

#include "core/C_String.h"
#include "platform/SysSound.h"

class CVoiceBank
{
public:
    // Sample files: headerless 16-bit mono PCM at 22050 Hz.
    static constexpr int32_t SampleBytesPerSecond = 44100;
    static constexpr int32_t SampleBlockAlign = 2;
    // Listener distances set by every update, in blocks.
    static constexpr int32_t FullVolumeDistance = 12;
    static constexpr int32_t SilenceDistance = 50;

    enum ERequest : int32_t
    {
        RequestNone = 0,
        RequestOnce = 1,
        RequestLooping = 2,
    };

    struct SSlot
    {
        // Voice 0 holds the sample; the others are duplicates sharing it.
        std::vector<SysSound::Buffer*> voices;
        // Tick at which each voice was last started; 0 = free.
        std::vector<uint32_t> startTicks;
        int32_t voiceCount = 0;
        int32_t length = 0;         // milliseconds
        int32_t request = RequestNone;
        int32_t requestVolume = 0;  // the loudest request since the last start
        float requestPan = 0.0f;
    };

    CVoiceBank() = default;
    ~CVoiceBank();
    CVoiceBank(const CVoiceBank&) = delete;
    CVoiceBank& operator=(const CVoiceBank&) = delete;

    // `slotCount` empty slots whose buffers `device` makes (null: the game
    // runs silent and every slot stays empty).  Frees an earlier bank.
    void Init(int32_t slotCount, SysSound::Device* device);
    // Loads `count` slots from `firstSlot` on from `fileList` (names
    // separated by ';'), each with `voices` voices, every sample multiplied
    // by `volumeFactor`.  A missing, empty or odd-sized file leaves its
    // slot empty, with a log line.
    void LoadSample(float volumeFactor, int32_t firstSlot, int32_t count, const char* fileList,
                    int32_t voices);

    // Request one of `variantCount` slots from `firstSlot` on; the chosen
    // slot, or -1 when the switch is off or the slot does not exist.
    int32_t Play(int32_t firstSlot, int32_t variantCount, int32_t loop, int32_t volumePercent,
                 float pan);
    // The same from map position (x, y): -1 also when it is too far from the
    // listener to be heard.
    int32_t PlayAt(int32_t x, int32_t y, int32_t firstSlot, int32_t variantCount, int32_t loop,
                   int32_t volumePercent, float pan);
    // Starts the requested slots; (x, y) becomes the listener.
    void UpdateSoundEvents(int32_t listenerX, int32_t listenerY);

    void Stop(int32_t slot);
    void StopBank(int32_t firstSlot, int32_t count);
    void Clear();
    // Voices of the slots at the configured sound volume * percent / 100.
    void SetBankVolume(int32_t firstSlot, int32_t count, int32_t percent);
    void SetAllVolumes(int32_t percent);
    // Stops and releases every voice; no slots afterwards.
    void Free();

    // The volume percent a sound at `blocks` from the listener is heard with
    // (0 when it is not heard).
    static int32_t DistanceFactor(int32_t blocks);

    int32_t GetSlotCount() const { return static_cast<int32_t>(m_Slots.size()); }
    const SSlot* GetSlot(int32_t slot) const;
    int32_t GetListenerX() const { return m_ListenerX; }
    int32_t GetListenerY() const { return m_ListenerY; }

private:
    bool IsSlotRange(int32_t firstSlot, int32_t count) const;
    int32_t Request(int32_t firstSlot, int32_t variantCount, int32_t loop, int32_t volume, float pan);
    void LoadSlot(SSlot& slot, const CString& fileName, float volumeFactor, int32_t voices);
    bool CreateVoices(SSlot& slot, const uint8_t* samples, uint32_t bytes, int32_t voices);
    void StartVoice(SSlot& slot, int32_t voice, uint32_t now);
    void StopVoices(SSlot& slot, const char* label, bool freeThem);
    void ReleaseSlot(SSlot& slot);
    static bool IsVoiceFree(const SSlot& slot, int32_t voice, uint32_t now);

    std::vector<SSlot> m_Slots;
    SysSound::Device* m_Device = nullptr;
    int32_t m_ListenerX = 0;
    int32_t m_ListenerY = 0;
    int32_t m_FullVolumeDistance = FullVolumeDistance;
    int32_t m_SilenceDistance = SilenceDistance;
};

extern CVoiceBank g_VoiceBank;

// ---- The game's sample table ------------------------------------------------

// One row: `count` slots from `firstSlot` on.  Their files are
// "Sounds\<folder>\<name>-1.snd" .. "-<count>.snd", unless `files` lists the
// names (relative to "Sounds\", without ".snd", separated by ';').
struct SSampleRow
{
    int32_t firstSlot;
    int32_t count;
    int32_t voices;
    float volumeFactor;
    const char* folder;
    const char* name;
    const char* files;
};

// Slots of the game's bank.
constexpr int32_t SoundBankSlots = 257;
// The rows in loading order.
const std::vector<SSampleRow>& GetSampleTable();
// The ';'-separated file list of a row.
CString GetSampleFileList(const SSampleRow& row);
// Every file named by the table, once each, in table order.
std::vector<CString> GetSampleFileNames();

// Builds the whole bank at start-up: 257 slots, the files of "sounds.fls"
// read once ahead, then every row of the sample table.  `device` null: the
// slots stay empty.
void LoadSoundBank(SysSound::Device* device);
