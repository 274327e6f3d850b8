#pragma once

#include <cstdint>
#include <string>

// The 8-bit character set of the game's texts.
//
// Every text of the game (locale texts, typed characters, file contents) is a
// string of bytes in the code page of the current language: 1252 for English
// and German, 1250 for Polish and Hungarian, 1251 for Russian.  The fonts are
// indexed by these bytes.  The system around the game speaks UTF-8; this class
// converts between the two.  The current code page is set once at start-up on
// the main thread, before the window opens.
class SysCodePage
{
public:
    static constexpr int kWesternEuropean = 1252;
    static constexpr int kCentralEuropean = 1250;
    static constexpr int kCyrillic = 1251;

    // The code page for a language folder name such as "Russian\" or
    // "Polish" (any case, with or without the trailing backslash);
    // kWesternEuropean for names it does not know.
    static int ForLanguage(const char* languageFolder);

    static void SetCurrent(int codePage);  // unknown code pages select kWesternEuropean
    static int Current();

    // The byte of `codePoint` in `codePage`, or -1 when the code page has no
    // such character.  Code points below 128 are themselves.
    static int FromUnicode(uint32_t codePoint, int codePage);

    // The code point of `byte` in `codePage`; 0 for the few unassigned bytes.
    static uint32_t ToUnicode(uint8_t byte, int codePage);

    // Decodes UTF-8 and appends the byte of each character to `out`.
    // Characters the code page lacks and malformed sequences are skipped.
    static void AppendFromUtf8(const char* utf8, int codePage, std::string& out);

    // The whole text converted to UTF-8; unassigned bytes are left out.
    static std::string ToUtf8(const char* text, int codePage);
};
