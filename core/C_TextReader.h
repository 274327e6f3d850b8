#pragma once
// Tokenizer of the game's own small languages (locale files, scripts,
// campaigns, presets): loads a whole text file, folds its line ends into
// single CRs and hands out one token per call, counting lines for error
// reports.

#include "core/C_File.h"

class CTextReader : public CFile
{
public:
    CTextReader();
    ~CTextReader() override;   // frees the text
    CTextReader(const CTextReader&) = delete;
    CTextReader& operator=(const CTextReader&) = delete;

    // After OpenRead: reads the whole file and folds its line ends.  A file
    // that failed to open gives an empty text (and false).
    bool LoadWhole();
    // The same for a text already in memory (copied).
    void LoadText(const char* text, int size);
    // Next token, or the empty string at the end of the text.  Before
    // anything was loaded the token is left as it was.
    void NextToken(CString& token);
    // True (and consumed) when the next token is the key, upper-cased.
    bool FindKey(const char* key);
    // Next token as a decimal number; false when it did not convert whole.
    bool ReadInt(int& value);

    int GetLine() const { return m_Line; }
    // The folded text (for tests and diagnostics).
    const char* GetText() const { return m_Text; }
    int GetTextSize() const { return m_Size; }

private:
    bool AtEnd() const { return m_Pos >= m_Size; }
    void SkipBlanksAndComments();
    void ReadIdentifier(CString& token);
    void ReadMinus(CString& token);
    void ReadNumber(CString& token);
    void ReadQuoted(CString& token);
    void CountLines(int from);

    char* m_Text;
    int m_Pos;
    int m_Size;
    int m_Line;
};
