#include "core/C_Localizer.h"

#include <cstring>

#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/C_TextReader.h"

namespace
{
constexpr int InitialCapacity = 256;
constexpr int DefaultGrowStep = 4097;   // what a grow step of -1 stands for
constexpr int MissingKeyReportLine = 142;

char* CopyText(const char* text, int length)
{
    char* copy = new char[length + 1];
    if (length > 0)
        std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

bool KeysEqualIgnoringCase(const char* storedUpper, const char* key)
{
    for (;; ++storedUpper, ++key)
    {
        if (*storedUpper != CString::ToUpperChar(*key))
            return false;
        if (*storedUpper == 0)
            return true;
    }
}

// A quoted-string token carries both of its quotes: at least two characters.
bool IsQuotedString(const CString& token)
{
    const int length = token.GetLength();
    return length >= 2 && token[0] == '"' && token[length - 1] == '"';
}
} // namespace

const char* const TypeNameKeys[TypeNameCount] = {
    "UN_ARCHER", "UN_TOWERARCHER", "UN_CROSSBOWMAN", "UN_KNIGHT", "UN_PRIEST", "UN_WARRIOR",
    "UN_WORKER", "UN_WORKER_BUILDER", "UN_WORKER_DEMOLISHER", "UN_WORKER_REPAIRER",
    "UN_WORKER_LUMBERJACK", "UN_WORKER_MINER", "UN_CATAPULT", "UN_DEMOLISHMAN",
    "UN_HEAVYCAVALRY", "UN_LIGHTCAVALRY", "UN_TRANSPORTSHIP", "UN_WARGALLEY", "UN_HEROCAVALRY",
    "UN_KING", "UN_SETTLER", "UN_GIANT", "UN_DEMON", "UN_UNDEAD", "UN_TYPE_ALLY",
    "UN_TYPE_ENEMY", "UN_TYPE_NEUTRAL", "UN_TYPE_DEFEATED", "BD_HOUSE", "BD_WAREHOUSE",
    "BD_BLACKSMITH", "BD_BARRACKS", "BD_TOWER", "BD_WALL", "BD_CASTLE", "BD_MONASTERY",
    "BD_TRAP", "BD_DOCKS", "BD_KEEP", "BD_STRONGHOLD", "BD_ALCHEMY", "BD_DARKALTAR",
    "RES_TREE_PINE", "RES_TREE_OAK", "RES_TREE_PALM", "RES_TREE_DEAD", "RES_TREE_PLANE",
    "RES_TREE_SWAMP", "RES_ROCK", "RES_GOLDMINE", "SUM_UNITS_1", "SUM_UNITS_2", "SUM_UNITS_3",
    "SUM_BUILD_1", "SUM_BUILD_2", "SUM_BUILD_3", "SUM_WOOD", "SUM_STONE", "SUM_GOLD",
    "SUM_MAPEXPLORE", "SUM_SURVIVED", "SUM_SURVIVE_YES", "SUM_SURVIVE_NO", "SUM_RESEARCH_1",
    "SUM_RESEARCH_2", "SUM_RESEARCH_3", "SUM_RESEARCH_4", "SUM_RESEARCH_5",
    "BDMSG_NOROOMFORUNIT", "BDMSG_POPLIMITREACHED",
};

const char* g_TypeNames[TypeNameCount] = {};

CLocalizer::CLocalizer()
    : m_Pairs(nullptr)
    , m_Count(0)
    , m_Capacity(0)
    , m_GrowStep(0)
{
    Init(InitialCapacity);
}

CLocalizer::~CLocalizer()
{
    Clear();
    delete[] m_Pairs;
}

void CLocalizer::Init(int capacity)
{
    if (capacity == -1)
        capacity = DefaultGrowStep;
    if (capacity < 1)
        capacity = 1;
    Clear();
    delete[] m_Pairs;
    m_Pairs = new SPair[capacity];
    m_Capacity = capacity;
    m_GrowStep = capacity;
}

void CLocalizer::Clear()
{
    for (int i = 0; i < m_Count; ++i)
    {
        delete[] m_Pairs[i].key;
        delete[] m_Pairs[i].text;
    }
    m_Count = 0;
}

void CLocalizer::Append(const CString& key, const char* text, int textLength)
{
    if (m_Count == m_Capacity)
    {
        SPair* grown = new SPair[m_Capacity + m_GrowStep];
        if (m_Count > 0)
            std::memcpy(grown, m_Pairs, sizeof(SPair) * m_Count);
        delete[] m_Pairs;
        m_Pairs = grown;
        m_Capacity += m_GrowStep;
    }
    const CString upperKey = key.ToUpper();
    m_Pairs[m_Count].key = CopyText(upperKey, upperKey.GetLength());
    m_Pairs[m_Count].text = CopyText(text, textLength);
    ++m_Count;
}

bool CLocalizer::ReportError(CTextReader& reader, const char* name, const char* message)
{
    reader.Close();
    g_Log.Write("!!! Locale file error !!!");
    CString lineNumber;
    lineNumber.FromInt(reader.GetLine());
    m_LastError = CString(message) + " in \"" + name + "\" line " + lineNumber;
    g_Log.Write(m_LastError);
    return false;
}

bool CLocalizer::LoadLocaleFile(const char* name)
{
    m_LastError = "No error";
    CTextReader reader;
    if (!reader.OpenRead(name))
        return true;
    reader.LoadWhole();
    return LoadEntries(reader, name);
}

bool CLocalizer::LoadLocaleText(const char* name, const char* text, int size)
{
    m_LastError = "No error";
    CTextReader reader;
    reader.LoadText(text, size);
    return LoadEntries(reader, name);
}

bool CLocalizer::LoadEntries(CTextReader& reader, const char* name)
{
    for (;;)
    {
        CString key;
        reader.NextToken(key);
        if (key.IsEmpty())
            break;
        if (!reader.FindKey(","))
            return ReportError(reader, name, "\",\" Expected");
        CString text;
        reader.NextToken(text);
        if (!IsQuotedString(text))
            return ReportError(reader, name, "Quoted string value expected");
        Append(key, text.GetBuffer() + 1, text.GetLength() - 2);
    }
    reader.Close();
    return true;
}

bool CLocalizer::LoadLocaleFolder(const char* languageFolder)
{
    const CString folder = CString("Locale\\") + languageFolder;
    CStringArray files;
    ListFolderFiles(folder, files);
    for (int i = 0; i < files.GetCount(); ++i)
    {
        if (!LoadLocaleFile(folder + files[i]))
            return false;
    }
    return true;
}

const char* CLocalizer::GetString(const char* key, bool complain) const
{
    if (key != nullptr)
    {
        for (int i = 0; i < m_Count; ++i)
        {
            if (KeysEqualIgnoringCase(m_Pairs[i].key, key))
                return m_Pairs[i].text;
        }
    }
    if (!complain)
        return nullptr;
    DEBUG_REPORT_AT("#DEBUG: Cannot find locale resource", MissingKeyReportLine);
    return "*error*";
}

void CLocalizer::InitTypeNames() const
{
    for (int i = 0; i < TypeNameCount; ++i)
        g_TypeNames[i] = GetString(TypeNameKeys[i], true);
}
