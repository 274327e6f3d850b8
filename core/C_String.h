#pragma once
// The one heap string of the game and the owned string list.
//
// A CString always owns a zero-terminated 8-bit buffer (never null; an empty
// string owns a single terminator).  Every constructor raises the live-string
// counter reported at exit, the destructor lowers it.  Texts are bytes in the
// code page of the current language: nothing here converts them.
//
// Concatenation, Mid, ToUpper and ToLower return new strings, so chains such
// as a + b + c.Mid(1, 2) are always safe.

#include <cstdint>

class CString
{
public:
    CString();
    CString(const char* text);
    CString(const CString& other);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(const char* text);
    CString& operator=(char c);

    CString operator+(const CString& other) const;
    CString operator+(const char* text) const;
    CString operator+(char c) const;
    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char c);

    bool operator==(const CString& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const CString& other) const { return !(*this == other); }
    bool operator!=(const char* text) const { return !(*this == text); }

    const char* GetBuffer() const { return m_Text; }
    operator const char*() const { return m_Text; }
    char operator[](int index) const { return m_Text[index]; }
    int GetLength() const;
    bool IsEmpty() const { return m_Text[0] == 0; }

    // Searches; positions are 0-based byte indexes, -1 means not found.  An
    // empty pattern is never found.
    int Find(const char* text, int start = 0) const;
    int FindNoCase(const char* text, int start = 0) const;
    int ReverseFind(const char* text, int start) const;

    CString Mid(int start, int count) const;
    CString ToUpper() const;
    CString ToLower() const;

    // Conversions scan from the last character back to the first: errorPos
    // receives the index of the offending character met first on that scan
    // (the result is then 0), or -1 when the whole text converted.  Values
    // wrap in 32 bits.
    int ToInt(int* errorPos = nullptr) const;
    int HexToInt(int* errorPos = nullptr) const;
    void FromInt(int value, int width = 0, char fill = ' ');
    void FromHex(int value, int width = 0, char fill = ' ');
    void FromFloat(float value, int decimals, int width = 0, char fill = ' ');

    void Delete(int pos, int count);
    void PadRight(int length, char fill);

    static char ToUpperChar(char c);

private:
    friend class CStringArray;
    void Assign(const char* text, int length);

    char* m_Text;
};

// List of owned strings, grown 32 entries at a time.
class CStringArray
{
public:
    CStringArray();
    ~CStringArray();
    CStringArray(const CStringArray& other);
    CStringArray& operator=(const CStringArray& other);

    void Add(const char* text);
    // Appends the text of a string built only to be added: its buffer moves
    // into the list without a copy and `temporary` is left empty.
    void AddTemp(CString& temporary);
    void RemoveAt(int index);
    void Clear();

    int GetCount() const { return m_Count; }
    int GetCapacity() const { return m_Capacity; }
    CString& operator[](int index) { return *m_Items[index]; }
    const CString& operator[](int index) const { return *m_Items[index]; }

    static constexpr int GrowStep = 32;

private:
    CString** m_Items;
    int m_Count;
    int m_Capacity;
};
