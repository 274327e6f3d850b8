#include "tests/support/SaveGameRun.h"

#include "core/C_PtrGarbage.h"
#include "game/C_CtrlGame.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestWalker.h"
#include "world/C_GameMap.h"
#include "world/C_SaveGame.h"

namespace
{
// Magic (16), version (4), the language's length byte.
constexpr size_t kLanguageLengthAt = 20;
constexpr size_t kCrcBytes = 4;
}  // namespace

void CSaveGameRun::Frame(CSimHarness& world)
{
    world.Tick(1);
    CCtrlGame::SimulationStep(1);
    g_PtrGarbage.Flush();
}

CUnit* CSaveGameRun::CWalkerServices::CreateUnitObject(CPlayer& player, int32_t type) const
{
    CUnit* made = CPlayerServices::CreateUnitObject(player, type);
    if (made == nullptr || type != UNIT_WARRIOR) return made;
    auto* walker = new CTestWalker(WalkerSpeed);
    walker->player = made->player, walker->model = made->model;
    delete made;
    return walker;
}

void CSaveGameRun::UseSaveLanguage() { g_Config.languageFolder = Language, g_Config.backupFiles = 0; }

std::vector<uint8_t> CSaveGameRun::Save()
{
    CSaveGame stream;
    std::vector<uint8_t> file;
    if (!stream.BeginSaveToMemory()) return file;
    g_CtrlGame.WriteGame(stream), stream.CloseToMemory(file);
    return file;
}

std::vector<uint8_t> CSaveGameRun::SaveDrawn()
{
    g_GameMap.UpdateArea(0, 0, -1, -1);
    return Save();
}

bool CSaveGameRun::Load(const std::vector<uint8_t>& file)
{
    CSaveGame stream;
    stream.BeginLoadFromMemory(file.data(), static_cast<int>(file.size()));
    return g_CtrlGame.LoadGame(stream);
}

size_t CSaveGameRun::PayloadOffset(const std::vector<uint8_t>& file)
{
    return kLanguageLengthAt + 1 + file.at(kLanguageLengthAt) + 1 + kCrcBytes;
}

std::vector<uint8_t> CSaveGameRun::Payload(const std::vector<uint8_t>& file)
{
    return std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(PayloadOffset(file)), file.end());
}

std::vector<uint8_t> CSaveGameRun::WithMatchingCrc(std::vector<uint8_t> file)
{
    const size_t payloadAt = PayloadOffset(file);
    const std::string payload(file.begin() + static_cast<std::ptrdiff_t>(payloadAt), file.end());
    PutU32At(file, payloadAt - kCrcBytes, ReferenceCrc32(payload));
    return file;
}
