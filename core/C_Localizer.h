#pragma once
// The texts shown to the player, looked up by key in the current language.
// Filled at start-up from every locale file of the language folder and read
// for the rest of the run.  Texts are bytes in the code page of their
// language and are kept exactly as the files hold them.

#include <cstdint>

#include "core/C_String.h"

class CTextReader;

class CLocalizer
{
public:
    CLocalizer();
    ~CLocalizer();
    CLocalizer(const CLocalizer&) = delete;
    CLocalizer& operator=(const CLocalizer&) = delete;

    // Empties the table and makes room for capacity pairs; the table then
    // grows by that many at a time (-1 means 4097).
    void Init(int capacity);

    // Appends every KEY , "text" entry of one locale file of the data files.
    // A file that cannot be opened adds nothing and succeeds.  On a syntax
    // error the entries before it stay, the error is logged and kept as the
    // last error, and the result is false.
    bool LoadLocaleFile(const char* name);

    // The same for a locale text already in memory; name stands in the
    // error text as the file name would.
    bool LoadLocaleText(const char* name, const char* text, int size);

    // Loads every file of "Locale\" + languageFolder in listing order; false
    // at the first file that fails (GetLastError tells which and why).
    bool LoadLocaleFolder(const char* languageFolder);

    // The text of the first pair whose key equals key ignoring letter case.
    // A missing key gives null, or "*error*" after a check report when
    // complain is set.
    const char* GetString(const char* key, bool complain) const;

    // Frees every pair; the room stays.
    void Clear();

    // Fills g_TypeNames, each looked up with the complaint.
    void InitTypeNames() const;

    const CString& GetLastError() const { return m_LastError; }
    int GetCount() const { return m_Count; }

private:
    struct SPair
    {
        char* key;    // upper case
        char* text;
    };

    bool LoadEntries(CTextReader& reader, const char* name);
    bool ReportError(CTextReader& reader, const char* name, const char* message);
    void Append(const CString& key, const char* text, int textLength);

    SPair* m_Pairs;
    int32_t m_Count;
    int32_t m_Capacity;
    int32_t m_GrowStep;
    CString m_LastError;
};

extern CLocalizer g_Localizer;

// Texts of unit, building and resource names, unit relations, the summary
// labels and two building messages, cached by InitTypeNames in the order of
// TypeNameKeys.
constexpr int TypeNameCount = 70;
extern const char* const TypeNameKeys[TypeNameCount];
extern const char* g_TypeNames[TypeNameCount];
