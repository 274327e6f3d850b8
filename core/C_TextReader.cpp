#include "core/C_TextReader.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace
{
bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsIdentifierChar(char c)
{
    return IsLetter(c) || IsDigit(c) || c == '_';
}

int HexDigitValue(char c)
{
    static const char digits[] = "0123456789ABCDEF";
    const char* found = std::strchr(digits, CString::ToUpperChar(c));
    return (c != 0 && found) ? static_cast<int>(found - digits) : -1;
}

// CR LF and LF CR become one CR, a lone LF a CR; a lone CR stays.
int FoldLineEnds(const char* text, int size, char* out)
{
    int length = 0;
    for (int i = 0; i < size; ++i)
    {
        const char c = text[i];
        const char next = i + 1 < size ? text[i + 1] : 0;
        if ((c == '\r' && next == '\n') || (c == '\n' && next == '\r'))
        {
            out[length++] = '\r';
            ++i;
        }
        else
        {
            out[length++] = c == '\n' ? '\r' : c;
        }
    }
    return length;
}
} // namespace

CTextReader::CTextReader()
    : m_Text(nullptr)
    , m_Pos(0)
    , m_Size(0)
    , m_Line(0)
{
}

CTextReader::~CTextReader()
{
    delete[] m_Text;
}

bool CTextReader::LoadWhole()
{
    if (!IsOpen())
    {
        LoadText("", 0);
        return false;
    }
    const int size = GetSize();
    char* raw = new char[size > 0 ? size : 1];
    int got = size > 0 ? Read(raw, size) : 0;
    if (got < 0)
        got = 0;
    LoadText(raw, got);
    delete[] raw;
    return true;
}

void CTextReader::LoadText(const char* text, int size)
{
    if (!text || size < 0)
        size = 0;
    char* folded = new char[size > 0 ? size : 1];
    m_Size = size > 0 ? FoldLineEnds(text, size, folded) : 0;
    delete[] m_Text;
    m_Text = folded;
    m_Pos = 0;
    m_Line = 1;
}

void CTextReader::SkipBlanksAndComments()
{
    while (!AtEnd())
    {
        const char c = m_Text[m_Pos];
        if (c == ' ' || c == '\t' || c == '\r')
        {
            ++m_Pos;
        }
        else if (c == ';')
        {
            while (!AtEnd() && m_Text[m_Pos] != '\r')
                ++m_Pos;
            if (!AtEnd())
                ++m_Pos;
        }
        else
        {
            return;
        }
    }
}

void CTextReader::NextToken(CString& token)
{
    if (!m_Text)
        return;
    token = "";
    const int start = m_Pos;
    SkipBlanksAndComments();
    if (AtEnd())
    {
        CountLines(start);
        return;
    }
    const char c = m_Text[m_Pos++];
    if (IsLetter(c) || c == '_')
        ReadIdentifier(token);
    else if (c == '-')
        ReadMinus(token);
    else if (IsDigit(c))
        ReadNumber(token);
    else if (c == '"')
        ReadQuoted(token);
    else
        token = c;
    if (token[0] != '"')
        token = token.ToUpper();
    CountLines(start);
}

void CTextReader::ReadIdentifier(CString& token)
{
    const int start = m_Pos - 1;
    while (!AtEnd() && IsIdentifierChar(m_Text[m_Pos]))
        ++m_Pos;
    token = std::string(m_Text + start, m_Pos - start).c_str();
}

void CTextReader::ReadMinus(CString& token)
{
    const int minus = m_Pos - 1;
    // A minus between two operands ("a-1") stands alone; one in front of
    // digits anywhere else begins a negative number.
    const bool digitFollows = !AtEnd() && IsDigit(m_Text[m_Pos]);
    const bool afterOperand = minus > 0 && IsIdentifierChar(m_Text[minus - 1]);
    if (!digitFollows || afterOperand)
    {
        token = "-";
        return;
    }
    while (!AtEnd() && IsDigit(m_Text[m_Pos]))
        ++m_Pos;
    token = std::string(m_Text + minus, m_Pos - minus).c_str();
}

void CTextReader::ReadNumber(CString& token)
{
    const int start = m_Pos - 1;
    const bool hexPrefix = m_Text[start] == '0' && !AtEnd() && (m_Text[m_Pos] == 'x' || m_Text[m_Pos] == 'X');
    // The x needs two more characters behind it to count as a prefix.
    if (hexPrefix && m_Size - (m_Pos + 1) >= 2)
    {
        ++m_Pos;
        uint32_t value = 0;
        while (!AtEnd() && HexDigitValue(m_Text[m_Pos]) >= 0)
            value = value * 16 + static_cast<uint32_t>(HexDigitValue(m_Text[m_Pos++]));
        token.FromInt(static_cast<int>(value));
        return;
    }
    while (!AtEnd() && IsDigit(m_Text[m_Pos]))
        ++m_Pos;
    token = std::string(m_Text + start, m_Pos - start).c_str();
}

void CTextReader::ReadQuoted(CString& token)
{
    const int start = m_Pos - 1;
    while (!AtEnd() && m_Text[m_Pos] != '"' && m_Text[m_Pos] != '\r')
        ++m_Pos;
    if (AtEnd() || m_Text[m_Pos] == '\r')
    {
        // Unterminated: the parser sees the complaint; the CR (or the end)
        // stays for the next token.
        token = "Invalid string value";
        return;
    }
    ++m_Pos;   // the closing quote
    token = std::string(m_Text + start, m_Pos - start).c_str();
}

void CTextReader::CountLines(int from)
{
    for (int i = from; i < m_Pos; ++i)
    {
        if (m_Text[i] == '\r')
            ++m_Line;
    }
}

bool CTextReader::FindKey(const char* key)
{
    const int pos = m_Pos;
    const int line = m_Line;
    CString token;
    NextToken(token);
    if (token == CString(key).ToUpper())
        return true;
    m_Pos = pos;
    m_Line = line;
    return false;
}

bool CTextReader::ReadInt(int& value)
{
    CString token;
    NextToken(token);
    int errorPos = -1;
    value = token.ToInt(&errorPos);
    return errorPos == -1;
}
