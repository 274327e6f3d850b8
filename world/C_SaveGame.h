#pragma once
// The stream a whole game is written to and read back from.  While saving,
// everything goes into one payload in memory; Close puts it in the file
// behind the header and the CRC-32 of the payload.  While loading, BeginLoad
// checks the payload's CRC-32 on disk a piece at a time, so that a damaged
// file never takes more than a piece of memory, then reads the whole payload
// and checks it again; Read then hands it out piece by piece.
//
// The file, little-endian: 16-byte magic "V2KRNSAVEGAME" + three blanks (no
// terminator), 32-bit version, 8-bit length n of the language name, the name
// with its terminating zero, 32-bit CRC-32 of the payload, the payload.
//
// A save goes to "<path>.tmp" and is renamed over the target only when every
// byte was written, so a failed save keeps the old file.  A file longer than
// the largest game the format can hold (about 687 MiB: each section at
// the most its reader takes) is refused before it is read.  Reads never pass
// the payload: missing bytes read as zeros and set the sticky error flag,
// which callers test after Close (with the status text telling why).

#include <cstdint>
#include <memory>
#include <vector>

#include "core/C_String.h"
#include "media/C_SaveStream.h"

class CReplacingFile;

class CSaveGame : public CSaveStream
{
public:
    enum EMode : int32_t
    {
        ModeSave = 0,
        ModeLoad = 1
    };

    static constexpr int MagicSize = 16;
    static constexpr uint32_t SaveVersion = 0x01010004;
    static constexpr int InitialCapacity = 7000000;
    static constexpr int GrowStep = 256000;
    // The longest language name the 8-bit length can carry.
    static constexpr int MaxLanguageNameLength = 255;
    // The longest text a short string (8-bit length) can carry.
    static constexpr int MaxShortStringLength = 255;

    CSaveGame();
    ~CSaveGame() override;
    CSaveGame(const CSaveGame&) = delete;
    CSaveGame& operator=(const CSaveGame&) = delete;

    // Starts a save to `path` in the current language.  False (with the
    // error flag and status set) when the language name does not fit its
    // length byte or the temporary file cannot be created.
    bool BeginSave(const char* path);
    // The same into memory only: CloseToMemory hands out the whole file.
    // False (with the error flag set) when the language name does not fit.
    bool BeginSaveToMemory();
    // Magic, version and language of a save file; on false the status text
    // says why.
    bool CheckHeader(const char* path);
    // Starts a load: header, CRC-32 and the whole payload.  Callers test the
    // error flag.
    void BeginLoad(const char* path);
    // The same for a whole save file already in memory.
    void BeginLoadFromMemory(const void* file, int size);
    // Commits a save (CRC-32, payload, rename over the target) or ends a
    // load, and releases the payload.  Nothing happens without a payload.
    void Close();
    // Ends a save begun with BeginSaveToMemory: `file` gets exactly the
    // bytes a save file would hold.  False, with `file` empty, after any
    // failure.
    bool CloseToMemory(std::vector<uint8_t>& file);

    // Appends count bytes; count, or 0 when nothing could be written.
    int Write(const void* data, int count) override;
    // Copies the next count bytes; the new position.
    int Read(void* data, int count) override;
    bool HasError() const override { return m_Error != 0; }
    // A reader refused what it found: the load (or save) fails.
    void SetError() override;

    // ---- Typed fields, little-endian --------------------------------------
    void WriteU8(uint8_t value);
    void WriteU16(uint16_t value);
    void WriteI16(int16_t value);
    void WriteU32(uint32_t value);
    void WriteI32(int32_t value);
    void WriteF32(float value);
    // 8-bit length, the text, its terminating zero.  A text longer than 255
    // bytes is refused: nothing is written and the save fails.
    bool WriteShortString(const char* text);

    uint8_t ReadU8();
    uint16_t ReadU16();
    int16_t ReadI16();
    uint32_t ReadU32();
    int32_t ReadI32();
    float ReadF32();
    // False (and the error flag set) when the text is cut short or its
    // terminating zero is missing; `text` is then empty.
    bool ReadShortString(CString& text);

    // ---- State --------------------------------------------------------------
    int32_t GetMode() const { return m_Mode; }
    // "Successful", or the localised text of the last failure.
    const char* GetStatus() const { return m_Status; }
    // The locale key of that text ("MSG_SAVE_CRCERROR" ...); empty while
    // everything succeeded.
    const char* GetStatusKey() const { return m_StatusKey; }
    // Of the file being loaded; SaveVersion while saving.
    uint32_t GetVersion() const { return m_Version; }
    int GetPosition() const { return m_Position; }
    // Bytes written so far while saving; payload bytes while loading.
    int GetPayloadSize() const { return m_End; }
    int GetCapacity() const { return m_Capacity; }
    bool HasPayload() const { return m_Buffer != nullptr; }

    static bool IsAcceptedVersion(uint32_t version);

private:
    struct SHeader
    {
        uint32_t version = 0;
        int crcOffset = 0;   // where the CRC-32 lies, right behind the name
        int payloadOffset = 0;
        uint32_t storedCrc = 0;
    };

    void Start(EMode mode);
    void SetStatus(const char* statusKey);
    void Fail(const char* statusKey);
    // Null when the header is sound; else the key of the failure.
    const char* ParseHeader(const uint8_t* bytes, int size, SHeader& header) const;
    const char* ParseFileStart(const uint8_t* bytes, int size, int fileSize, SHeader& header) const;
    bool StartPayload(const SHeader& header, int payloadSize);
    void CheckPayload(const SHeader& header);
    bool Reserve(int64_t needed);
    void FreePayload();
    void FinishLoad();
    void FinishSave();
    void WriteFile();
    // Header and CRC-32 of the payload, as the file starts.
    std::vector<uint8_t> MakeFileStart() const;
    bool CommitFile();

    int32_t m_Mode;
    uint8_t* m_Buffer;
    int m_Capacity;
    int m_End;
    int m_Position;
    int32_t m_Error;
    const char* m_Status;
    const char* m_StatusKey;
    uint32_t m_Version;
    CString m_Path;
    CString m_Language;
    std::unique_ptr<CReplacingFile> m_File;
};
