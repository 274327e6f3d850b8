#include "platform/SysCodePage.h"

#include <atomic>
#include <cctype>
#include <cstring>

namespace
{
constexpr uint32_t kFirstUpperByte = 0x80;
constexpr int kUpperHalfSize = 128;
constexpr uint32_t kUnassigned = 0;

// Code points of the bytes 0x80 to 0xFF; 0 marks a byte without a character.
constexpr uint16_t kUpperHalf1250[kUpperHalfSize] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr uint16_t kUpperHalf1251[kUpperHalfSize] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// 0xA0 to 0xFF of 1252 are Latin-1 itself; only 0x80 to 0x9F differ.
constexpr uint16_t kUpperHalf1252[kUpperHalfSize] = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x0000, 0x017D, 0x0000,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

std::atomic<int> currentCodePage{SysCodePage::kWesternEuropean};

const uint16_t* UpperHalfOf(int codePage)
{
    switch (codePage)
    {
    case SysCodePage::kCentralEuropean:
        return kUpperHalf1250;
    case SysCodePage::kCyrillic:
        return kUpperHalf1251;
    default:
        return kUpperHalf1252;
    }
}

bool IsKnownCodePage(int codePage)
{
    return codePage == SysCodePage::kWesternEuropean || codePage == SysCodePage::kCentralEuropean ||
           codePage == SysCodePage::kCyrillic;
}

// True when `folder` is `language`, in any case, with or without a trailing
// backslash.
bool NamesLanguage(const char* folder, const char* language)
{
    const char* text = folder;
    for (const char* prefix = language; *prefix != '\0'; ++text, ++prefix)
    {
        if (std::tolower(static_cast<unsigned char>(*text)) != std::tolower(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return *text == '\0' || (*text == '\\' && text[1] == '\0');
}

// --- UTF-8 decoding -------------------------------------------------------

constexpr uint32_t kLargestCodePoint = 0x10FFFF;
constexpr uint32_t kFirstSurrogate = 0xD800;
constexpr uint32_t kLastSurrogate = 0xDFFF;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Reads one character at `text`; returns the bytes it used (0 at the end of
// the text) and sets `valid` when they form a well-formed character.
size_t DecodeOne(const unsigned char* text, uint32_t& codePoint, bool& valid)
{
    valid = false;
    const unsigned char lead = text[0];
    if (lead == 0)
        return 0;
    if (lead < 0x80)
    {
        codePoint = lead;
        valid = true;
        return 1;
    }
    size_t length;
    uint32_t smallest;
    if ((lead & 0xE0) == 0xC0)
    {
        length = 2;
        smallest = 0x80;
        codePoint = lead & 0x1F;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        length = 3;
        smallest = 0x800;
        codePoint = lead & 0x0F;
    }
    else if ((lead & 0xF8) == 0xF0)
    {
        length = 4;
        smallest = 0x10000;
        codePoint = lead & 0x07;
    }
    else
        return 1;
    for (size_t i = 1; i < length; ++i)
    {
        // A missing continuation (the terminator included) ends the broken
        // sequence there; the byte is read again as the next character.
        if (!IsContinuation(text[i]))
            return i;
        codePoint = (codePoint << 6) | (text[i] & 0x3F);
    }
    valid = codePoint >= smallest && codePoint <= kLargestCodePoint &&
            (codePoint < kFirstSurrogate || codePoint > kLastSurrogate);
    return length;
}

void AppendUtf8(uint32_t codePoint, std::string& out)
{
    if (codePoint < 0x80)
        out += static_cast<char>(codePoint);
    else if (codePoint < 0x800)
    {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    else
    {
        // Every code page character lies in the basic plane.
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}
}  // namespace

int SysCodePage::ForLanguage(const char* languageFolder)
{
    if (languageFolder == nullptr)
        return kWesternEuropean;
    if (NamesLanguage(languageFolder, "Russian"))
        return kCyrillic;
    if (NamesLanguage(languageFolder, "Polish") || NamesLanguage(languageFolder, "Hungarian"))
        return kCentralEuropean;
    return kWesternEuropean;
}

void SysCodePage::SetCurrent(int codePage)
{
    currentCodePage.store(IsKnownCodePage(codePage) ? codePage : kWesternEuropean);
}

int SysCodePage::Current()
{
    return currentCodePage.load();
}

int SysCodePage::FromUnicode(uint32_t codePoint, int codePage)
{
    if (codePoint < kFirstUpperByte)
        return static_cast<int>(codePoint);
    const uint16_t* upperHalf = UpperHalfOf(codePage);
    for (int i = 0; i < kUpperHalfSize; ++i)
    {
        if (upperHalf[i] == codePoint)
            return static_cast<int>(kFirstUpperByte) + i;
    }
    return -1;
}

uint32_t SysCodePage::ToUnicode(uint8_t byte, int codePage)
{
    if (byte < kFirstUpperByte)
        return byte;
    return UpperHalfOf(codePage)[byte - kFirstUpperByte];
}

void SysCodePage::AppendFromUtf8(const char* utf8, int codePage, std::string& out)
{
    if (utf8 == nullptr)
        return;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(utf8);
    for (;;)
    {
        uint32_t codePoint = 0;
        bool valid = false;
        const size_t used = DecodeOne(text, codePoint, valid);
        if (used == 0)
            return;
        text += used;
        if (!valid)
            continue;
        const int byte = FromUnicode(codePoint, codePage);
        if (byte >= 0)
            out += static_cast<char>(byte);
    }
}

std::string SysCodePage::ToUtf8(const char* text, int codePage)
{
    std::string out;
    if (text == nullptr)
        return out;
    for (const unsigned char* byte = reinterpret_cast<const unsigned char*>(text); *byte != 0; ++byte)
    {
        const uint32_t codePoint = ToUnicode(*byte, codePage);
        if (codePoint != kUnassigned)
            AppendUtf8(codePoint, out);
    }
    return out;
}
