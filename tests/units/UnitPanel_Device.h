#pragma once
// Unit drawing at 1024 x 768 (back-buffer pixels are virtual-screen pixels):
// font 1 draws each character as a solid 8 x 12 block, images plain colours.

#include <algorithm>
#include <array>
#include <functional>

#include "media/C_Texture.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"

// Attack 12 + 3, range 4, sight 7, armour 50/0/0 percent.
class CPanelTestUnit : public CUnit
{
public:
    explicit CPanelTestUnit(int32_t footprint = 1) : size(footprint) {}
    const char* GetCastName() const override { return "Warrior"; }
    int32_t GetObjectTypeId() const override { return 40; }
    float GetMaxHitPoints() const override { return maxHitPoints; }
    int32_t GetSize() const override { return size; }
    int32_t GetAttack(int32_t* base, int32_t* bonus) const override { return (*base = 12) + (*bonus = 3); }
    int32_t GetAttackRange(int32_t* base, int32_t* bonus) const override { return (*base = 4) + (*bonus = 0); }
    int32_t GetSightRadius() const override { return 7; }
    float GetDamageFactorA() const override { return 0.5f; }
    float GetDamageFactorC() const override { return 1.5f; }

    int32_t size;
    float maxHitPoints = 100.0f;
};

class UnitDrawingTest : public gui_test::GUIDevice
{
protected:
    static constexpr uint32_t Portrait = 0x0000FF, Frame = 0xFF00FF, Icon = 0x00FFFF, LargeDecal = 0x808080;
    static constexpr uint32_t Green = 0x00FF00, Red = 0xFF0000, Yellow = 0xFFFF00, White = 0xFFFFFF;

    void SetUp() override
    {
        m_World = std::make_unique<CSimHarness>();
        Open(1024, 768);
        AllocGlobalImages();
        AllocGlobalTextures();
        const struct { int number, side; uint32_t colour; } images[] = {
            {40, 40, Portrait}, {5, 40, Frame}, {2, 4, Green}, {3, 4, Red}, {4, 4, Yellow}};
        for (const auto& image : images) MakeImage(image.number, image.side, image.colour);
        for (int icon = 77; icon <= 86; ++icon) MakeImage(icon, 16, Icon);
        const uint32_t decals[] = {White, LargeDecal, White};
        for (int slot = 0; slot < 3; ++slot)
        {
            CTexture* texture = GetGlobalTexture(slot);
            texture->format = CTexture::FormatA8R8G8B8;
            std::vector<uint32_t> pixels(64, 0xFF000000u | decals[slot]);
            ASSERT_TRUE(texture->LoadFromMem(8, 8, pixels.data()));
        }
        Sys3DMatrix projection;  // the game's
        projection.m[0][0] = 1.4f, projection.m[1][1] = 1.6f, projection.m[2][2] = projection.m[2][3] = 1.0f;
        projection.m[3][2] = -1.0f;
        GetD3DDevice()->SetTransform(Sys3DTransform::Projection, projection);
    }

    void TearDown() override
    {
        FreeGlobalTextures();
        FreeGlobalImages();
        Close();
        m_World.reset();  // gives the configuration back
    }

    CSimHarness& World() { return *m_World; }
    CPanelTestUnit* Unit(int32_t player, int32_t x, int32_t y, int32_t size = 1)
    {
        return static_cast<CPanelTestUnit*>(m_World->Adopt(player, new CPanelTestUnit(size), x, y));
    }

    // The camera 400 world units straight above (x, y): block x grows to the right of the screen, block y downwards.
    static void LookDownAt(float x, float y)
    {
        g_GameMap.cameraTargetX = x, g_GameMap.cameraTargetY = y;
        std::ranges::copy(std::array<float, 9>{1, 0, 0, 0, 0, -1, 0, 1, 0}, g_GameMap.viewMatrix);
        std::ranges::copy(std::array{0.0f, 0.0f, 400.0f}, g_GameMap.viewTranslation);
    }

    // The screen cleared, drawn on and read back.
    void Drawn(const std::function<void()>& draw) { Clear(); draw(); ReadBack(); }

    // Interface image `number`: a side x side square of the colour.
    void MakeImage(int number, int side, uint32_t colour)
    {
        CBitmap32 bitmap;
        bitmap.Create(side, side);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) bitmap.PutPixel(x, y, 0xFF000000u | colour);
        ASSERT_TRUE(GetGlobalImage(number)->CreateFromBitmap(bitmap));
    }

private:
    std::unique_ptr<CSimHarness> m_World;
};
