#include "world/C_SaveGame.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <system_error>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_CRC32.h"
#include "core/C_Config.h"
#include "core/C_D3D8Game.h"
#include "core/C_File.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/C_ReplacingFile.h"
#include "effects/C_Particles.h"
#include "game/C_MissionObjectives.h"
#include "game/C_Selection.h"
#include "units/C_Unit.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_MapPlayerSettings.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_UnitStats.h"

namespace
{
// 13 letters and three blanks; the file holds no terminator.
const char kMagic[CSaveGame::MagicSize + 1] = "V2KRNSAVEGAME   ";
constexpr uint32_t kAcceptedVersions[] = {0x01010004, 0x01010003};

constexpr int kVersionOffset = CSaveGame::MagicSize;
constexpr int kFieldBytes = 4;
constexpr int kNameLengthOffset = kVersionOffset + kFieldBytes;
constexpr int kNameOffset = kNameLengthOffset + 1;
// Magic, version, length byte and the longest name with its zero.
constexpr int kLongestHeader = kNameOffset + CSaveGame::MaxLanguageNameLength + 1;

// ---- The largest game the format can hold ------------------------------------
// Each section at the most its reader takes, added up: the reference table of
// 65,536 objects, each with its creation data and the longest state
// record; the controller's pause flag and 16 timers; the local player;
// the objectives at 4,096 records with texts of 64 KiB; the profile's name;
// the selection with every control group full; the two option bytes; eight
// players with a full population history and 256 x 256 sight grids; the
// particles with every list as long as the pool; the map at 256 x 256 blocks.
// A longer file holds no game and is refused before it is read.
constexpr int64_t kI32 = 4;
constexpr int64_t kShortText = 1 + CSaveGame::MaxShortStringLength + 1;
constexpr int64_t kFileStart = kLongestHeader + kFieldBytes;
// Unit and player names: 255 characters and the zero.
constexpr int64_t kLongestName = 256;
constexpr int64_t kLongestSetupName = 240;

// Creation data: kind, player and type of a unit; kind, owner, cast,
// resource kind, tree variant and decoration kind of a decoration.
constexpr int64_t kUnitCreation = 3 * kI32;
constexpr int64_t kLongestBuildingCreation = 6 * kI32;
// A unit's base record without its name, its route and its waypoints; the transport ship's own part is the longest:
// its waves, a count with 16 passengers, its island.
constexpr int64_t kUnitBaseBytes = 249;
constexpr int64_t kLongestUnitPart = kI32 + kI32 + CUnitTransportShip::CargoCapacity * kI32 + kI32;
constexpr int64_t kLongestUnit = kUnitBaseBytes + kLongestName + CUnit::RouteCapacity + CUnit::MaxWaypoints * 2 * kI32 +
                                 kLongestUnitPart;
// A building's base record without its queue, its fire records (the docks'
// 11 are the most, 24 bytes each) and its corners (a texture and a height for
// each of the largest footprint's); the tower's own part is the longest: its
// sight, a count and its archers.
constexpr int64_t kBuildingBaseBytes = 102;
constexpr int64_t kMostFires = 11;
constexpr int64_t kFireBytes = 6 * kI32;
constexpr int64_t kLongestBuildingPart = kI32 + kI32 + CBuildingTower::ArcherCapacity * kI32;
constexpr int64_t kLongestBuilding = kBuildingBaseBytes + CBuilding::QueueCapacity * kI32 + kMostFires * kFireBytes +
                                     CBuilding::MaxCornerSide * CBuilding::MaxCornerSide * 2 * kI32 +
                                     kLongestBuildingPart;
constexpr int64_t kLongestObject =
    std::max(kUnitCreation + kLongestUnit, kLongestBuildingCreation + kLongestBuilding);
constexpr int64_t kLongestReferenceTable = kI32 + int64_t(CReferenceBase::Capacity) * kLongestObject;

constexpr int64_t kControllerBytes = 1 + CD3D8Game::kTimerCount * (1 + 2 * kI32);
constexpr int64_t kLongestObjectiveText = kI32 + CMissionObjectives::kMostSavedTextBytes;
constexpr int64_t kLongestObjectives = 5 * kI32 + kI32 +
                                       CMissionObjectives::kMostSavedRecords * (kI32 + 1 + 2 * kLongestObjectiveText) +
                                       kLongestObjectiveText + kI32 + CMissionObjectives::kMostSavedRecords * kI32 +
                                       3 + kLongestObjectiveText;
constexpr int64_t kLongestSelection = kI32 + CSelection::kMaxUnits * kI32 + kI32 +
                                      ControlGroupCount * (kI32 + MaxPlayers * MaxPlayerUnits * kI32);
constexpr int64_t kOptionBytes = 2;

// A player: its name, identity, counters,
// a population history of 2^20 samples, cursors, alliances and group counts,
// the explored corners and both sight grids, score, its lists, the research
// states (9 bytes each) and the enabled types and casts.
constexpr int64_t kMostPopulationSamples = int64_t(1) << 20;
constexpr int64_t kPlayerCounters = 1 + 4 * kI32 + UnitGroupCount * kI32 + kI32 + UnitTypeCount * kI32 +
                                    2 * BuildCastCount * kI32 + UnitTypeCount * kI32 + STAT_COUNT * kI32 + 2 * kI32;
constexpr int64_t kLongestPlayer =
    kI32 + kLongestName + 4 * kI32 + kI32 + kPlayerCounters + 2 * kI32 + kMostPopulationSamples * 2 * kI32 + 2 * kI32 +
    MaxPlayers + ControlGroupCount * kI32 + 2 * kI32 + int64_t(MapCornerSide) * MapCornerSide +
    2 * int64_t(MapBlockSide) * MapBlockSide + 2 * kI32 + kI32 + MaxPlayerUnits * kI32 + kI32 +
    MaxPlayerBuildings * kI32 + TechnologyCount * (1 + 2 * kI32) + UnitTypeCount + BuildCastCount;

// Corpses and ruins (id, ticks), fires (handle), emitters (handle, kind,
// place), the next handle, markers (place, colour) and shots in flight (ten
// numbers and the hidden flag), each list as long as the pool.
constexpr int64_t kLongestParticles =
    7 * kI32 + int64_t(CParticles::kDevicePoolSize) * (2 * kI32 + 2 * kI32 + kI32 + 5 * kI32 + 3 * kI32 + 12 * kI32 + 1);

// Theme and size, camera, view and water; per corner its height, colour and
// texture; per block its weather and tilt bytes and its 22-byte record; the
// weather type; the eight setups.
constexpr int64_t kMapBlockBytes = 22;
constexpr int64_t kLongestSetup = kI32 + kLongestSetupName + 6 * kI32 + CMapPlayerSettings::TechnologyStateCount * kI32 +
                                  CMapPlayerSettings::UnitFlagCount + CMapPlayerSettings::BuildingFlagCount + 2 * kI32;
constexpr int64_t kLongestMap = 3 * kI32 + 7 * kI32 + 2 * kI32 + 12 * kI32 + kI32 + 2 * kI32 +
                                int64_t(MapCornerSide) * MapCornerSide * (2 * kI32 + 1) +
                                int64_t(MapBlockSide) * MapBlockSide * (2 + kMapBlockBytes) + kI32 +
                                MaxPlayers * kLongestSetup;

constexpr int64_t kLongestSaveFile = kFileStart + kLongestReferenceTable + kControllerBytes + kI32 +
                                     kLongestObjectives + kShortText + kLongestSelection + kOptionBytes +
                                     MaxPlayers * kLongestPlayer + kLongestParticles + kLongestMap;

uint32_t ReadLittleEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void PutLittleEndian32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < kFieldBytes; ++i)
        bytes[i] = uint8_t(value >> (8 * i));
}

// Reads until `count` bytes are in or the file ends; the bytes read.
int ReadUpTo(CFile& file, uint8_t* buffer, int count)
{
    int total = 0;
    while (total < count)
    {
        const int got = file.Read(buffer + total, count - total);
        if (got <= 0)
            break;
        total += got;
    }
    return total;
}

// The stored CRC-32 of a payload on disk is checked in pieces of this size
// before the payload is taken into memory: a damaged file of any length
// costs one piece.
constexpr int kCheckedPieceBytes = 1 << 20;

// Null when the `payloadSize` bytes from the file's position have the CRC-32
// `storedCrc`; else the key of the failure.
const char* CheckPayloadOnDisk(CFile& file, int payloadSize, uint32_t storedCrc)
{
    const CCRC32 crc32;
    std::vector<uint8_t> piece(size_t(std::min(payloadSize, kCheckedPieceBytes)));
    uint32_t crc = 0;
    for (int checked = 0; checked < payloadSize;)
    {
        const int count = std::min(payloadSize - checked, kCheckedPieceBytes);
        if (ReadUpTo(file, piece.data(), count) != count)
            return "MSG_SAVE_ERRORREAD";
        crc = crc32.Continue(crc, piece.data(), count);
        checked += count;
    }
    return crc == storedCrc ? nullptr : "MSG_SAVE_CRCERROR";
}

// A save the disk did not take names why: a missing folder, a folder in
// the file's place, a full disk.
void LogUnwritten(const CString& path, int error)
{
    g_Log.Write(CString("Save game could not be written to ") + path + ": " +
                std::system_category().message(error).c_str());
}

bool ExistsOnDisk(const char* path)
{
    CFile file;
    return file.OpenReadDisk(path);
}
}  // namespace

CSaveGame::CSaveGame()
    : m_Mode(ModeSave)
    , m_Buffer(nullptr)
    , m_Capacity(0)
    , m_End(0)
    , m_Position(0)
    , m_Error(0)
    , m_Status("Successful")
    , m_StatusKey("")
    , m_Version(0)
{
}

CSaveGame::~CSaveGame()
{
    // A save that never reached Close is dropped with its temporary file.
    FreePayload();
}

bool CSaveGame::IsAcceptedVersion(uint32_t version)
{
    return std::find(std::begin(kAcceptedVersions), std::end(kAcceptedVersions), version) !=
           std::end(kAcceptedVersions);
}

void CSaveGame::Start(EMode mode)
{
    FreePayload();
    m_File.reset();
    m_Status = "Successful";
    m_StatusKey = "";
    m_Error = 0;
    m_Mode = mode;
    m_Version = 0;
}

void CSaveGame::SetStatus(const char* statusKey)
{
    m_StatusKey = statusKey;
    m_Status = g_Localizer.GetString(statusKey, true);
}

void CSaveGame::Fail(const char* statusKey)
{
    m_Error = 1;
    SetStatus(statusKey);
}

void CSaveGame::SetError()
{
    // The first failure names the cause; later ones follow from it.
    if (!m_Error)
        Fail(m_Mode == ModeLoad ? "MSG_SAVE_ERRORREAD" : "MSG_SAVE_ERRORWRITE");
}

void CSaveGame::FreePayload()
{
    delete[] m_Buffer;
    m_Buffer = nullptr;
    m_Capacity = 0;
    m_End = 0;
    m_Position = 0;
}

// ---- Saving ------------------------------------------------------------------

bool CSaveGame::BeginSaveToMemory()
{
    Start(ModeSave);
    m_Version = SaveVersion;
    m_Path = "";
    m_Language = g_Config.languageFolder;
    if (m_Language.GetLength() > MaxLanguageNameLength)
    {
        g_Log.Write("Save game refused: the language name is longer than 255 bytes");
        Fail("MSG_SAVE_ERRORWRITE");
        return false;
    }
    if (!Reserve(InitialCapacity))
    {
        Fail("MSG_SAVE_ERRORWRITE");
        return false;
    }
    return true;
}

bool CSaveGame::BeginSave(const char* path)
{
    Start(ModeSave);
    m_Version = SaveVersion;
    m_Path = path ? path : "";
    m_Language = g_Config.languageFolder;
    if (m_Language.GetLength() > MaxLanguageNameLength)
    {
        g_Log.Write("Save game refused: the language name is longer than 255 bytes");
        Fail("MSG_SAVE_ERRORWRITE");
        return false;
    }
    m_File = std::make_unique<CReplacingFile>(m_Path + ".tmp");
    if (m_Path.IsEmpty() || !m_File->IsOpen())
    {
        if (!m_File->IsOpen())
            LogUnwritten(m_Path, m_File->GetError());
        m_File.reset();
        Fail("MSG_SAVE_ERRORWRITE");
        return false;
    }
    if (!Reserve(InitialCapacity))
    {
        m_File.reset();
        Fail("MSG_SAVE_ERRORWRITE");
        return false;
    }
    return true;
}

// The first allocation takes exactly what is asked; later ones grow the
// capacity by whole steps until the need fits.
bool CSaveGame::Reserve(int64_t needed)
{
    if (m_Buffer && needed <= m_Capacity)
        return true;
    int64_t capacity = needed;
    if (m_Buffer)
    {
        const int64_t steps = (needed - m_Capacity + GrowStep - 1) / GrowStep;
        capacity = m_Capacity + steps * GrowStep;
    }
    if (capacity > INT_MAX)
        return false;
    uint8_t* grown = new (std::nothrow) uint8_t[size_t(std::max<int64_t>(capacity, 1))];
    if (!grown)
        return false;
    if (m_Buffer)
        std::memcpy(grown, m_Buffer, size_t(m_End));
    delete[] m_Buffer;
    m_Buffer = grown;
    m_Capacity = int(capacity);
    return true;
}

int CSaveGame::Write(const void* data, int count)
{
    if (count == 0)
        return 0;
    if (count < 0 || !data || !m_Buffer)
    {
        SetError();
        return 0;
    }
    if (m_Mode == ModeLoad)
        DEBUG_REPORT("#DEBUG: Write data during load");
    if (!Reserve(int64_t(m_Position) + count))
    {
        SetError();
        return 0;
    }
    std::memcpy(m_Buffer + m_Position, data, size_t(count));
    m_Position += count;
    m_End = std::max(m_End, m_Position);
    return count;
}

void CSaveGame::FinishSave()
{
    if (m_Error)
        return;   // the temporary file goes, the old save stays
    if (!m_File)
    {
        Fail("MSG_SAVE_ERRORWRITE");
        return;
    }
    WriteFile();
    if (CommitFile())
        return;
    LogUnwritten(m_Path, m_File->GetError());
    Fail("MSG_SAVE_ERRORWRITE");
}

std::vector<uint8_t> CSaveGame::MakeFileStart() const
{
    const int nameLength = m_Language.GetLength();
    std::vector<uint8_t> header(size_t(kNameOffset + nameLength + 1 + kFieldBytes), 0);
    std::memcpy(header.data(), kMagic, MagicSize);
    PutLittleEndian32(&header[kVersionOffset], m_Version);
    header[kNameLengthOffset] = uint8_t(nameLength);
    std::memcpy(&header[kNameOffset], m_Language.GetBuffer(), size_t(nameLength) + 1);
    PutLittleEndian32(&header[size_t(kNameOffset + nameLength + 1)], CCRC32().Calculate(m_Buffer, m_Position));
    return header;
}

// Write failures are remembered by the file and refuse its commit.
void CSaveGame::WriteFile()
{
    const std::vector<uint8_t> header = MakeFileStart();
    m_File->Write(header.data(), int(header.size()));
    m_File->Write(m_Buffer, m_Position);
}

bool CSaveGame::CloseToMemory(std::vector<uint8_t>& file)
{
    file.clear();
    const bool whole = m_Buffer != nullptr && m_Mode == ModeSave && !m_File && !m_Error;
    if (whole)
    {
        file = MakeFileStart();
        file.insert(file.end(), m_Buffer, m_Buffer + m_Position);
    }
    else if (!m_Error)
        Fail("MSG_SAVE_ERRORWRITE");
    FreePayload();
    m_File.reset();
    return whole;
}

// The old save goes aside as ".backup" only now that the new one is whole;
// when the new one cannot take its place, the old one comes back.
bool CSaveGame::CommitFile()
{
    const CString backup = m_Path + ".backup";
    const bool movedAside = g_Config.backupFiles && ExistsOnDisk(m_Path) && MoveFileReplace(m_Path, backup);
    const bool committed = m_File->Commit(m_Path);
    if (!committed && movedAside)
        MoveFileReplace(backup, m_Path);
    return committed;
}

// ---- Loading -----------------------------------------------------------------

const char* CSaveGame::ParseHeader(const uint8_t* bytes, int size, SHeader& header) const
{
    if (size < kNameLengthOffset || std::memcmp(bytes, kMagic, MagicSize) != 0)
        return "MSG_INVALIDSAVEFILE";
    header.version = ReadLittleEndian32(bytes + kVersionOffset);
    if (!IsAcceptedVersion(header.version))
        return "MSG_INVALIDSAVEVERSION";
    if (size < kNameOffset)
        return "MSG_INVALIDSAVEFILE";
    const int nameLength = bytes[kNameLengthOffset];
    if (size < kNameOffset + nameLength + 1)
        return "MSG_INVALIDSAVEFILE";
    const CString& language = g_Config.languageFolder;
    // The stored zero is compared too, so a name with a stray tail differs.
    if (language.GetLength() != nameLength ||
        std::memcmp(bytes + kNameOffset, language.GetBuffer(), size_t(nameLength) + 1) != 0)
        return "MSG_INVALIDSAVELANGUAGE";
    header.crcOffset = kNameOffset + nameLength + 1;
    return nullptr;
}

bool CSaveGame::CheckHeader(const char* path)
{
    CFile file;
    if (!path || !file.OpenReadDisk(path))
    {
        SetStatus("MSG_INVALIDSAVEFILE");
        return false;
    }
    uint8_t bytes[kLongestHeader];
    const int got = ReadUpTo(file, bytes, kLongestHeader);
    SHeader header;
    const char* failure = ParseHeader(bytes, got, header);
    if (failure)
        SetStatus(failure);
    return failure == nullptr;
}

// The file's start up to its payload: the header, then the CRC-32 behind it
// in a file long enough to hold one.
const char* CSaveGame::ParseFileStart(const uint8_t* bytes, int size, int fileSize, SHeader& header) const
{
    if (const char* failure = ParseHeader(bytes, size, header))
        return failure;
    header.payloadOffset = header.crcOffset + kFieldBytes;
    if (size < header.payloadOffset || fileSize < header.payloadOffset)
        return "MSG_SAVE_ERRORREAD";
    header.storedCrc = ReadLittleEndian32(bytes + header.crcOffset);
    return nullptr;
}

// Takes the payload's room; its bytes are filled in by the caller.
bool CSaveGame::StartPayload(const SHeader& header, int payloadSize)
{
    m_Version = header.version;
    if (!Reserve(payloadSize))
    {
        Fail("MSG_SAVE_ERRORREAD");
        return false;
    }
    m_End = payloadSize;
    m_Position = 0;
    return true;
}

void CSaveGame::CheckPayload(const SHeader& header)
{
    if (CCRC32().Calculate(m_Buffer, m_End) == header.storedCrc)
        return;
    FreePayload();
    Fail("MSG_SAVE_CRCERROR");
}

void CSaveGame::BeginLoad(const char* path)
{
    Start(ModeLoad);
    CFile file;
    if (!path || !file.OpenReadDisk(path))
    {
        Fail("MSG_INVALIDSAVEFILE");
        return;
    }
    const int fileSize = file.GetSize();
    if (fileSize > kLongestSaveFile)
    {
        // Reading it would take memory and time for nothing.
        g_Log.Write("Save game refused: the file is longer than any saved game");
        Fail("MSG_INVALIDSAVEFILE");
        return;
    }
    uint8_t start[kLongestHeader + kFieldBytes];
    const int got = ReadUpTo(file, start, int(sizeof start));
    SHeader header;
    if (const char* failure = ParseFileStart(start, got, fileSize, header))
    {
        Fail(failure);
        return;
    }
    const int payloadSize = fileSize - header.payloadOffset;
    const char* failure = file.Seek(header.payloadOffset) ? CheckPayloadOnDisk(file, payloadSize, header.storedCrc)
                                                          : "MSG_SAVE_ERRORREAD";
    if (failure)
    {
        Fail(failure);
        return;
    }
    if (!StartPayload(header, payloadSize))
        return;
    if (!file.Seek(header.payloadOffset) || ReadUpTo(file, m_Buffer, payloadSize) != payloadSize)
    {
        FreePayload();
        Fail("MSG_SAVE_ERRORREAD");
        return;
    }
    // Checked again as it stands in memory: the file may have changed since.
    CheckPayload(header);
}

void CSaveGame::BeginLoadFromMemory(const void* file, int size)
{
    Start(ModeLoad);
    const uint8_t* bytes = static_cast<const uint8_t*>(file);
    if (!bytes || size < 0)
        size = 0;
    SHeader header;
    if (const char* failure = ParseFileStart(bytes, size, size, header))
    {
        Fail(failure);
        return;
    }
    const int payloadSize = size - header.payloadOffset;
    if (!StartPayload(header, payloadSize))
        return;
    if (payloadSize > 0)
        std::memcpy(m_Buffer, bytes + header.payloadOffset, size_t(payloadSize));
    CheckPayload(header);
}

int CSaveGame::Read(void* data, int count)
{
    if (count == 0)
        return m_Position;
    if (count < 0 || !data)
    {
        SetError();
        return m_Position;
    }
    std::memset(data, 0, size_t(count));
    if (!m_Buffer)
    {
        SetError();
        return m_Position;
    }
    if (m_Mode == ModeSave)
    {
        // Reading would move the position the next write goes to.
        DEBUG_REPORT("#DEBUG: Read data during save");
        return m_Position;
    }
    const int available = m_End - m_Position;
    std::memcpy(data, m_Buffer + m_Position, size_t(std::min(count, available)));
    if (count <= available)
    {
        m_Position += count;
        return m_Position;
    }
    if (!m_Error)
    {
        DEBUG_REPORT("#DEBUG: Read beyond the end of save buffer");
        Fail("MSG_SAVE_ERRORREAD");
    }
    m_Position = m_End;
    return m_Position;
}

// A load refused half-way stops reading where it was refused; only one that
// went through and still left bytes unread is reported.
void CSaveGame::FinishLoad()
{
    if (!m_Error && m_Position < m_End)
        DEBUG_REPORT("#DEBUG: LoadGame not readed til the end of the file");
}

void CSaveGame::Close()
{
    if (m_Buffer)
    {
        if (m_Mode == ModeLoad)
            FinishLoad();
        else
            FinishSave();
    }
    FreePayload();
    m_File.reset();
}

// ---- Typed fields ------------------------------------------------------------

void CSaveGame::WriteU8(uint8_t value)
{
    Write(&value, 1);
}

void CSaveGame::WriteU16(uint16_t value)
{
    const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
    Write(bytes, 2);
}

void CSaveGame::WriteI16(int16_t value)
{
    WriteU16(uint16_t(value));
}

void CSaveGame::WriteU32(uint32_t value)
{
    uint8_t bytes[kFieldBytes];
    PutLittleEndian32(bytes, value);
    Write(bytes, kFieldBytes);
}

void CSaveGame::WriteI32(int32_t value)
{
    WriteU32(uint32_t(value));
}

void CSaveGame::WriteF32(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteU32(bits);
}

bool CSaveGame::WriteShortString(const char* text)
{
    if (!text)
        text = "";
    const size_t length = std::strlen(text);
    if (length > size_t(MaxShortStringLength))
    {
        g_Log.Write("Save game refused: a text is longer than 255 bytes");
        Fail("MSG_SAVE_ERRORWRITE");
        return false;
    }
    WriteU8(uint8_t(length));
    Write(text, int(length) + 1);
    return true;
}

uint8_t CSaveGame::ReadU8()
{
    uint8_t value = 0;
    Read(&value, 1);
    return value;
}

uint16_t CSaveGame::ReadU16()
{
    uint8_t bytes[2];
    Read(bytes, 2);
    return uint16_t(bytes[0] | bytes[1] << 8);
}

int16_t CSaveGame::ReadI16()
{
    return int16_t(ReadU16());
}

uint32_t CSaveGame::ReadU32()
{
    uint8_t bytes[kFieldBytes];
    Read(bytes, kFieldBytes);
    return ReadLittleEndian32(bytes);
}

int32_t CSaveGame::ReadI32()
{
    return int32_t(ReadU32());
}

float CSaveGame::ReadF32()
{
    const uint32_t bits = ReadU32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool CSaveGame::ReadShortString(CString& text)
{
    text = "";
    const int length = ReadU8();
    char buffer[MaxShortStringLength + 1];
    Read(buffer, length + 1);
    if (HasError())
        return false;
    if (buffer[length] != 0)
    {
        g_Log.Write("Save game refused: a text lacks its terminating zero");
        SetError();
        return false;
    }
    text = buffer;
    return true;
}
