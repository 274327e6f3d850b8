#include "core/C_String.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/GlobalFunc.h"

namespace
{
char* NewBuffer(const char* text, int length)
{
    char* buffer = new char[length + 1];
    if (length > 0)
        std::memcpy(buffer, text, length);
    buffer[length] = 0;
    return buffer;
}

char ToLowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesAt(const char* text, const char* pattern, int patternLength, bool foldCase)
{
    for (int i = 0; i < patternLength; ++i)
    {
        char a = text[i];
        char b = pattern[i];
        if (foldCase)
        {
            a = CString::ToUpperChar(a);
            b = CString::ToUpperChar(b);
        }
        if (a != b)
            return false;
    }
    return true;
}

int FindForward(const char* text, int length, const char* pattern, int start, bool foldCase)
{
    const int patternLength = pattern ? static_cast<int>(std::strlen(pattern)) : 0;
    if (patternLength == 0)
        return -1;
    if (start < 0)
        start = 0;
    for (int i = start; i + patternLength <= length; ++i)
    {
        if (MatchesAt(text + i, pattern, patternLength, foldCase))
            return i;
    }
    return -1;
}

// Digits of a magnitude, most significant first, in the given base.
int WriteDigits(uint64_t magnitude, unsigned base, char* out)
{
    static const char digits[] = "0123456789abcdef";
    char reversed[32];
    int count = 0;
    do
    {
        reversed[count++] = digits[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    for (int i = 0; i < count; ++i)
        out[i] = reversed[count - 1 - i];
    return count;
}

// Backward scan shared by ToInt and HexToInt.  Place values wrap in 32 bits.
// Only a decimal text may carry a sign; in a hexadecimal one it is an error.
int ScanNumber(const char* text, int length, unsigned base, int* errorPos)
{
    uint32_t sum = 0;
    uint32_t place = 1;
    if (errorPos)
        *errorPos = -1;
    for (int i = length - 1; i >= 0; --i)
    {
        const char c = base == 16 ? CString::ToUpperChar(text[i]) : text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;

        if (digit >= 0)
        {
            sum += static_cast<uint32_t>(digit) * place;
            place *= base;
        }
        else if (base == 10 && c == '-' && i == 0)
        {
            sum = 0u - sum;
        }
        else
        {
            if (errorPos)
                *errorPos = i;
            return 0;
        }
    }
    return static_cast<int>(sum);
}
} // namespace

CString::CString()
    : m_Text(NewBuffer("", 0))
{
    GlobalFunc::CountStringRefs(+1);
}

CString::CString(const char* text)
    : m_Text(NewBuffer(text ? text : "", text ? static_cast<int>(std::strlen(text)) : 0))
{
    GlobalFunc::CountStringRefs(+1);
}

CString::CString(const CString& other)
    : m_Text(NewBuffer(other.m_Text, other.GetLength()))
{
    GlobalFunc::CountStringRefs(+1);
}

CString::~CString()
{
    delete[] m_Text;
    GlobalFunc::CountStringRefs(-1);
}

void CString::Assign(const char* text, int length)
{
    // The new text may live inside the old buffer: copy before freeing.
    char* buffer = NewBuffer(text, length);
    delete[] m_Text;
    m_Text = buffer;
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.m_Text, other.GetLength());
    return *this;
}

CString& CString::operator=(const char* text)
{
    if (!text)
        text = "";
    Assign(text, static_cast<int>(std::strlen(text)));
    return *this;
}

CString& CString::operator=(char c)
{
    Assign(&c, 1);
    return *this;
}

CString CString::operator+(const CString& other) const
{
    CString result(*this);
    result += other;
    return result;
}

CString CString::operator+(const char* text) const
{
    CString result(*this);
    result += text;
    return result;
}

CString CString::operator+(char c) const
{
    CString result(*this);
    result += c;
    return result;
}

CString& CString::operator+=(const CString& other)
{
    return *this += other.m_Text;
}

CString& CString::operator+=(const char* text)
{
    if (!text || !*text)
        return *this;
    const int length = GetLength();
    const int extra = static_cast<int>(std::strlen(text));
    char* buffer = new char[length + extra + 1];
    std::memcpy(buffer, m_Text, length);
    std::memcpy(buffer + length, text, extra);
    buffer[length + extra] = 0;
    delete[] m_Text;
    m_Text = buffer;
    return *this;
}

CString& CString::operator+=(char c)
{
    const char text[2] = {c, 0};
    if (c == 0)
        return *this;
    return *this += text;
}

bool CString::operator==(const CString& other) const
{
    return std::strcmp(m_Text, other.m_Text) == 0;
}

bool CString::operator==(const char* text) const
{
    return std::strcmp(m_Text, text ? text : "") == 0;
}

int CString::GetLength() const
{
    return static_cast<int>(std::strlen(m_Text));
}

int CString::Find(const char* text, int start) const
{
    return FindForward(m_Text, GetLength(), text, start, false);
}

int CString::FindNoCase(const char* text, int start) const
{
    return FindForward(m_Text, GetLength(), text, start, true);
}

int CString::ReverseFind(const char* text, int start) const
{
    const int patternLength = text ? static_cast<int>(std::strlen(text)) : 0;
    if (patternLength == 0 || start < 0)
        return -1;
    // A start past the last place the pattern fits would compare beyond the
    // terminator: begin at that last place instead.
    const int lastFit = GetLength() - patternLength;
    if (start > lastFit)
        start = lastFit;
    for (int i = start; i >= 0; --i)
    {
        if (MatchesAt(m_Text + i, text, patternLength, false))
            return i;
    }
    return -1;
}

CString CString::Mid(int start, int count) const
{
    const int length = GetLength();
    if (start < 0)
        start = 0;
    CString result;
    if (start >= length || count <= 0)
        return result;
    if (count > length - start)
        count = length - start;
    result.Assign(m_Text + start, count);
    return result;
}

CString CString::ToUpper() const
{
    CString result(*this);
    for (char* p = result.m_Text; *p; ++p)
        *p = ToUpperChar(*p);
    return result;
}

CString CString::ToLower() const
{
    CString result(*this);
    for (char* p = result.m_Text; *p; ++p)
        *p = ToLowerChar(*p);
    return result;
}

int CString::ToInt(int* errorPos) const
{
    return ScanNumber(m_Text, GetLength(), 10, errorPos);
}

int CString::HexToInt(int* errorPos) const
{
    return ScanNumber(m_Text, GetLength(), 16, errorPos);
}

namespace
{
// Digits padded in front to `width`, then the sign in front of everything.
void BuildPadded(const char* digits, int digitCount, bool negative, int width, char fill, char* out)
{
    int pos = 0;
    if (negative)
        out[pos++] = '-';
    for (int i = digitCount; i < width; ++i)
        out[pos++] = fill;
    std::memcpy(out + pos, digits, digitCount);
    out[pos + digitCount] = 0;
}

void FromInteger(CString& target, int value, unsigned base, int width, char fill)
{
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? 0ull - static_cast<int64_t>(value) : static_cast<uint64_t>(value);
    char digits[32];
    const int count = WriteDigits(magnitude, base, digits);
    if (width < 0)
        width = 0;
    char* text = new char[width + count + 2];
    BuildPadded(digits, count, negative, width, fill, text);
    target = text;
    delete[] text;
}
} // namespace

void CString::FromInt(int value, int width, char fill)
{
    FromInteger(*this, value, 10, width, fill);
}

void CString::FromHex(int value, int width, char fill)
{
    FromInteger(*this, value, 16, width, fill);
}

void CString::FromFloat(float value, int decimals, int width, char fill)
{
    // Values whose scaled form does not fit 64 bits are saturated rather than
    // converted with undefined results.
    constexpr double Limit = 9.0e18;
    if (decimals < 0)
        decimals = 0;
    if (decimals > 18)
        decimals = 18;
    double scaled = static_cast<double>(value) * std::pow(10.0, decimals);
    if (std::isnan(scaled))
        scaled = 0.0;
    if (scaled > Limit)
        scaled = Limit;
    if (scaled < -Limit)
        scaled = -Limit;
    const int64_t n = static_cast<int64_t>(scaled);   // truncates toward zero
    const bool negative = n < 0;
    const uint64_t magnitude = negative ? 0ull - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);

    char raw[32];
    int rawCount = WriteDigits(magnitude, 10, raw);
    // One digit always stands before the point.
    char digits[64];
    int count = 0;
    for (int i = rawCount; i < decimals + 1; ++i)
        digits[count++] = '0';
    std::memcpy(digits + count, raw, rawCount);
    count += rawCount;
    if (decimals > 0)
    {
        std::memmove(digits + count - decimals + 1, digits + count - decimals, decimals);
        digits[count - decimals] = '.';
        ++count;
    }
    if (width < 0)
        width = 0;
    char* text = new char[width + count + 2];
    BuildPadded(digits, count, negative, width, fill, text);
    *this = text;
    delete[] text;
}

void CString::Delete(int pos, int count)
{
    const int length = GetLength();
    if (pos < 0 || pos >= length || count <= 0)
        return;
    if (count > length - pos)
        count = length - pos;
    char* buffer = new char[length - count + 1];
    std::memcpy(buffer, m_Text, pos);
    std::memcpy(buffer + pos, m_Text + pos + count, length - pos - count + 1);
    delete[] m_Text;
    m_Text = buffer;
}

void CString::PadRight(int length, char fill)
{
    const int present = GetLength();
    if (length <= present || fill == 0)
        return;
    char* buffer = new char[length + 1];
    std::memcpy(buffer, m_Text, present);
    std::memset(buffer + present, fill, length - present);
    buffer[length] = 0;
    delete[] m_Text;
    m_Text = buffer;
}

char CString::ToUpperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// ---- CStringArray -----------------------------------------------------------

CStringArray::CStringArray()
    : m_Items(nullptr)
    , m_Count(0)
    , m_Capacity(0)
{
}

CStringArray::~CStringArray()
{
    Clear();
}

CStringArray::CStringArray(const CStringArray& other)
    : CStringArray()
{
    *this = other;
}

CStringArray& CStringArray::operator=(const CStringArray& other)
{
    if (this == &other)
        return *this;
    Clear();
    for (int i = 0; i < other.m_Count; ++i)
        Add(other[i]);
    return *this;
}

void CStringArray::Add(const char* text)
{
    if (m_Count == m_Capacity)
    {
        const int capacity = m_Capacity + GrowStep;
        CString** items = new CString*[capacity];
        for (int i = 0; i < m_Count; ++i)
            items[i] = m_Items[i];
        delete[] m_Items;
        m_Items = items;
        m_Capacity = capacity;
    }
    m_Items[m_Count++] = new CString(text);
}

void CStringArray::AddTemp(CString& temporary)
{
    Add("");
    std::swap(m_Items[m_Count - 1]->m_Text, temporary.m_Text);
}

void CStringArray::RemoveAt(int index)
{
    if (index < 0 || index >= m_Count)
        return;
    delete m_Items[index];
    for (int i = index; i + 1 < m_Count; ++i)
        m_Items[i] = m_Items[i + 1];
    --m_Count;
}

void CStringArray::Clear()
{
    for (int i = 0; i < m_Count; ++i)
        delete m_Items[i];
    delete[] m_Items;
    m_Items = nullptr;
    m_Count = 0;
    m_Capacity = 0;
}
