// The "*.export" text of a map for people and outside tools: one key and
// value per CR LF line, from "MAP_SIZE=" to "END_OF_EXPORT".  Nothing reads
// it back, but tools may, so the keys keep their historic spellings.

#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_LogFile.h"
#include "core/C_ReplacingFile.h"
#include "units/C_Unit.h"
#include "world/C_BusyCursor.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t ExportedFirstDecorationModel = 236;
constexpr int32_t DecorationCast = 18;
constexpr int32_t TowerCast = 6;

const char* Boolean(uint8_t flag)
{
    return flag ? "TRUE" : "FALSE";
}

std::string Number(int32_t value)
{
    return std::to_string(value);
}

// Writes lines into the replacing file; the first failure sticks there.
class CExportWriter
{
public:
    explicit CExportWriter(CReplacingFile& file) : m_File(file) {}
    void Line(const std::string& text) { m_File.WriteLine(text.c_str()); }
    void Blank() { m_File.WriteLine(""); }

private:
    CReplacingFile& m_File;
};

void WritePlayer(CExportWriter& out, int32_t p, const CMapPlayerSettings& s)
{
    out.Line("DEFAULTS_FOR_PLAYER=" + Number(p));
    out.Line(std::string("NAME=\"") + s.name.GetBuffer() + "\"");
    out.Line(std::string("SCRIPT=\"") + s.scriptFile.GetBuffer() + "\"");
    out.Line("(TENUMPLAYERTYPE)=" + Number(s.playerType));
    out.Line("COLOR_SCHEME_ID=" + Number(s.colourScheme));
    out.Line("TEAM_ID=" + Number(s.team));
    out.Line("INITIAL_WOOD=" + Number(s.initialWood));
    out.Line("INITIAL_STONE=" + Number(s.initialStone));
    out.Line("INITIAL_GOLD=" + Number(s.initialGold));
    out.Line(std::string("ENABLE_STARVING=") + Boolean(s.starving));
    out.Line("POPULATION_LIMIT=" + Number(s.populationLimit));
    out.Line("MAX_TEHCNOLOGY_NUM=" + Number(CMapPlayerSettings::TechnologyStateCount));
    for (int32_t i = 0; i < CMapPlayerSettings::TechnologyStateCount; ++i)
    {
        out.Line("TECHNOLOGY_ID=" + Number(i));
        out.Line("(TENUMTECHSTATE)=" + Number(s.technologyStates[i]));
    }
    out.Line("MAX_UNITCAST_NUM=" + Number(CMapPlayerSettings::UnitFlagCount));
    for (int32_t i = 0; i < CMapPlayerSettings::UnitFlagCount; ++i)
    {
        out.Line("(TENUMUNITCAST)=" + Number(i));
        out.Line(std::string("UNIT_ENABLED=") + Boolean(s.unitEnabled[i]));
    }
    out.Line("MAX_BUILDCAST_NUM=" + Number(CMapPlayerSettings::BuildingFlagCount));
    for (int32_t i = 0; i < CMapPlayerSettings::BuildingFlagCount; ++i)
    {
        out.Line("(TENUMBUILDCAST)=" + Number(i));
        out.Line(std::string("BUILDING_ENABLED=") + Boolean(s.buildingEnabled[i]));
    }
    out.Line("STARTING_VIEW_POSITION=" + Number(s.startViewX) + "," + Number(s.startViewY));
    out.Blank();
}

// Rows by y, values by x: corner grids are width + 1 by height + 1.
template <typename ValueOf>
void WriteCornerRows(CExportWriter& out, const char* heading, int32_t width, int32_t height, ValueOf valueOf)
{
    out.Line(heading);
    for (int32_t y = 0; y <= height; ++y)
    {
        std::string row = "ROW_" + Number(y) + "=";
        for (int32_t x = 0; x <= width; ++x)
        {
            if (x > 0)
                row += ',';
            row += Number(valueOf(x * MapCornerSide + y));
        }
        out.Line(row);
    }
    out.Blank();
}
} // namespace

bool CGameMap::ExportMap(const char* path) const
{
    g_Log.Write((std::string("Exporting map file:") + path).c_str());
    if (theme == NoTheme || width <= 0 || height <= 0)
    {
        g_Log.Write("Map export refused: no map is loaded");
        return false;
    }
    const CBusyCursor busy;
    CReplacingFile file((std::string(path) + ".tmp").c_str());
    CExportWriter out(file);
    out.Line("MAP_SIZE=" + Number(width) + "," + Number(height));
    out.Blank();
    for (int32_t p = 0; p < 8; ++p)
        WritePlayer(out, p, playerSettings[p]);

    const char* themeFile = CTheme::GetFileName(theme);
    out.Line(std::string("MAP_THEME=\"") + (themeFile != nullptr ? themeFile : "") + "\"");
    out.Line("(TENUMMAPTHEME)=" + Number(theme));
    out.Line("USED_TERRAIN_TEXTURES=" + Number(themeTextures.GetTextureCount()));
    for (int32_t i = 0; i < themeTextures.GetTextureCount(); ++i)
        out.Line("TEXTURE_" + Number(i) + "=\"" + themeTextures.textures[size_t(i)].name.GetBuffer() + "\"");
    out.Blank();

    WriteCornerRows(out, "DEFAULT_CORNER_HEIGHTS", width, height, [this](int32_t c) { return cornerHeights[c]; });
    WriteCornerRows(out, "DEFAULT_CORNER_COLORS", width, height, [this](int32_t c) { return cornerColours[c]; });
    WriteCornerRows(out, "DEFAULT_CORNER_TEXTURES", width, height,
                    [this](int32_t c) { return int32_t(int8_t(cornerTextures[c])); });

    out.Line("FIRST_DECORATION_MODEL=" + Number(ExportedFirstDecorationModel));
    out.Blank();

    out.Line("MAP_TILES");
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            out.Line("TILE=" + Number(x) + "," + Number(y));
            out.Line("DECORATION_OBJECT=" + Number(int16_t(Block(x, y).decorationModel)));
        }
    out.Blank();

    std::vector<const CBuilding*> buildings;
    std::vector<const CUnit*> units;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            const SMapBlock& b = Block(x, y);
            if (b.building != nullptr && b.building->x == x && b.building->y == y)
                buildings.push_back(b.building);
            if (b.unit != nullptr && b.unit->x == x && b.unit->y == y)
                units.push_back(b.unit);
        }
    out.Line("NUMBER_OF_BUILDINGS=" + Number(int32_t(buildings.size())));
    for (size_t k = 0; k < buildings.size(); ++k)
    {
        const CBuilding& b = *buildings[k];
        const int32_t cast = b.GetBuildCast();
        out.Line("BUILDING=" + Number(int32_t(k)));
        out.Line("PLAYER_ID=" + Number(b.owner));
        out.Line("POSITION=" + Number(b.x) + "," + Number(b.y));
        out.Line("(TENUMBUILDCAST)=" + Number(cast));
        out.Line("(TENUMRESOURCE)=" + Number(b.GetResourceKind()));
        out.Line("(TENUMTREECAST)=" + Number(b.GetTreeCast()));
        out.Line("RESOURCE_AMOUNT=" + Number(b.GetAmount()));
        out.Line("SPECIAL_ID=" + Number(b.scriptTag));
        if (cast == DecorationCast)
            out.Line("DECORATION_BUILDING_(TENUMDECORBUILDCAST)=" + Number(b.GetDecorationKind()));
        if (cast == TowerCast)
        {
            const auto* tower = dynamic_cast<const CBuildingTower*>(&b);
            out.Line("TOWER_ARCHER_NUM=" + Number(tower != nullptr ? tower->archerCount : 0));
        }
    }
    out.Blank();

    out.Line("NUMBER_OF_UNITS=" + Number(int32_t(units.size())));
    for (size_t k = 0; k < units.size(); ++k)
    {
        const CUnit& u = *units[k];
        out.Line("UNIT=" + Number(int32_t(k)));
        out.Line("PLAYER_ID=" + Number(u.player));
        out.Line("POSITION=" + Number(u.x) + "," + Number(u.y));
        out.Line("(TENUMUNITCAST)=" + Number(u.GetCastID()));
        out.Line("(TENUMSTANCE)=" + Number(u.stance));
        out.Line("SPECIAL_ID=" + Number(u.specialId));
        out.Line(std::string("UNIT_CUSTOM_NAME=\"") + u.customName.GetBuffer() + "\"");
    }
    out.Blank();

    out.Line("(TENUMWEATHER)=" + Number(weatherType));
    out.Blank();
    out.Line("WEATHER_MAP");
    for (int32_t y = 0; y < height; ++y)
    {
        std::string row = "ROW_" + Number(y) + "=";
        for (int32_t x = 0; x < width; ++x)
        {
            if (x > 0)
                row += ',';
            row += Number(weatherMap[x * MapBlockSide + y]);
        }
        out.Line(row);
    }
    out.Blank();
    out.Line("END_OF_EXPORT");
    if (!file.Commit(path))
    {
        g_Log.Write("Map export could not be written");
        return false;
    }
    return true;
}
