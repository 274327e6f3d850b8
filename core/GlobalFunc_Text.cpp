// Text layout, paths, string replacement, version texts and the
// media-information block.

#include <cstdint>
#include <cstring>

#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "core/IFontMeasure.h"
#include "platform/SysFile.h"

namespace
{
bool IsFolderSeparator(char c)
{
    return c == '\\' || c == '/';
}

int LastFolderSeparator(const char* path)
{
    int last = -1;
    for (int i = 0; path[i] != 0; ++i)
        if (IsFolderSeparator(path[i]))
            last = i;
    return last;
}

CString Slice(const char* text, int start, int end)
{
    const CString whole(text);
    return whole.Mid(start, end - start);
}

// The media-information block: records of a 16-character key field, '='
// and a 32-character value field, both padded with blanks.
constexpr char MediaInfoBlock[] =
    "#MEDIAINFO#     =Ironmarch                       "
    "#VERSION#       =0x01010004                      "
    "#LANGUAGE#      =English                         "
    "#MULTILANGUAGE# =1                               "
    "#LANGUAGE_0#    =English                         "
    "#LANGUAGE_1#    =German                          "
    "#LANGUAGE_2#    =Russian                         "
    "#LANGUAGE_3#    =Hungarian                       "
    "#LANGUAGE_4#    =Polish                          "
    "#LANGUAGE_5#    =                                "
    "#LANGUAGE_6#    =                                "
    "#LANGUAGE_7#    =                                "
    "#LANGUAGE_8#    =                                "
    "#LANGUAGE_9#    =                                "
    "#MEDIAINFO_END# =                                ";
constexpr int MediaInfoRecordLength = 49;
constexpr int MediaInfoValueOffset = 17;
constexpr int MediaInfoValueLength = 32;
static_assert(sizeof(MediaInfoBlock) - 1 == 15 * MediaInfoRecordLength,
              "media-information records are 49 characters each");
} // namespace

namespace GlobalFunc
{
void WrapText(const IFontMeasure& font, int width, const char* text, CStringArray& out)
{
    CString padded(text);
    const int originalLength = padded.GetLength();
    if (originalLength == 0 || padded[originalLength - 1] != ' ')
        padded += ' ';
    const int length = padded.GetLength();

    CString line;
    CString word;
    // The word joins the line when the two, measured without a blank between
    // them, fit; otherwise the line is finished and the word starts the next.
    auto placeWord = [&]() {
        if (font.GetTextWidth(line + word) <= width)
        {
            if (!line.IsEmpty())
                line += ' ';
            line += word;
        }
        else
        {
            out.AddTemp(line);
            line = word;
        }
        word = "";
    };

    for (int i = 0; i < length; ++i)
    {
        const char c = padded[i];
        const bool forcedBreak =
            c == '\\' && i + 1 < length && (padded[i + 1] == 'n' || padded[i + 1] == 'N');
        if (c == ' ')
        {
            placeWord();
        }
        else if (forcedBreak)
        {
            placeWord();
            out.AddTemp(line);
            ++i;
        }
        else
        {
            word += c;
        }
    }
    if (!line.IsEmpty())
        out.AddTemp(line);
}

void SplitPath(const char* path, CString* folder, CString* name, CString* extension)
{
    if (path == nullptr)
        path = "";
    const int length = static_cast<int>(std::strlen(path));
    const int nameStart = LastFolderSeparator(path) + 1;
    // Only a dot of the last component starts an extension: a dot in a
    // folder name is part of the folder.
    int extensionStart = length;
    for (int i = nameStart; i < length; ++i)
        if (path[i] == '.')
            extensionStart = i;

    if (folder)
        *folder = Slice(path, 0, nameStart);
    if (name)
        *name = Slice(path, nameStart, extensionStart);
    if (extension)
        *extension = Slice(path, extensionStart, length);
}

CString MakeFullPath(const char* base, const char* path)
{
    if (path == nullptr)
        path = "";
    if (std::strcmp(path, ".") == 0)
        return CString(base);
    if (SysFile::IsAbsolutePath(path))
        return CString(path);
    CString full = CString(base) + path;
    const int length = full.GetLength();
    if (length == 0 || !IsFolderSeparator(full[length - 1]))
        full += '\\';
    return full;
}

void MakeSafeFileName(CString& text)
{
    CString safe;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const char c = text[i];
        const bool kept = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 'a' && c <= 'z') || c == ' ' || c == '_' || c == '!' ||
                          c == '.' || c == '-';
        safe += kept ? c : '_';
    }
    text = safe;
}

CString ReplaceString(const char* text, const char* pattern, const char* replacement)
{
    const CString whole(text);
    const int at = (pattern && pattern[0]) ? whole.Find(pattern) : -1;
    if (at < 0)
        return whole;
    const int patternLength = static_cast<int>(std::strlen(pattern));
    return whole.Mid(0, at) + (replacement ? replacement : "") +
           whole.Mid(at + patternLength, whole.GetLength() - at - patternLength);
}

CString ReplaceString2(const char* text, const char* pattern, int number)
{
    CString digits;
    digits.FromInt(number);
    return ReplaceString(text, pattern, digits);
}

CString ReplaceConfigValue(const char* line, const char* key, const char* value)
{
    const CString original(line);
    const CString upper = original.ToUpper();
    const int keyAt = (key && key[0]) ? upper.Find(CString(key).ToUpper()) : -1;
    if (keyAt < 0)
        return original;
    const int equalsAt = upper.Find("=", keyAt + static_cast<int>(std::strlen(key)));
    if (equalsAt < 0)
        return original;

    const int valueStart = equalsAt + 1;
    int valueEnd = original.GetLength();
    const int commentAt = original.Find(";", valueStart);
    if (commentAt >= 0)
    {
        // The blanks before the comment stay with the comment.
        valueEnd = commentAt;
        while (valueEnd > valueStart &&
               (original[valueEnd - 1] == ' ' || original[valueEnd - 1] == '\t'))
            --valueEnd;
    }
    return original.Mid(0, valueStart) + (value ? value : "") +
           original.Mid(valueEnd, original.GetLength() - valueEnd);
}

CString VersionToText(uint32_t version)
{
    CString text;
    const int parts = (version & 0xFF) == 0 ? 3 : 4;
    for (int i = 0; i < parts; ++i)
    {
        CString part;
        part.FromInt(static_cast<int>((version >> (24 - 8 * i)) & 0xFF));
        if (i > 0)
            text += '.';
        text += part;
    }
    return text;
}

CString GetGameVersionText()
{
    return VersionToText(GameVersion);
}

CString GetMediaInfoField(const char* key)
{
    const CString block(MediaInfoBlock);
    const int at = (key && key[0]) ? block.FindNoCase(key) : -1;
    if (at < 0)
        return CString();
    const int valueStart = at + MediaInfoValueOffset;
    const int available = block.GetLength() - valueStart;
    if (available <= 0)
        return CString();
    CString value = block.Mid(valueStart, available < MediaInfoValueLength ? available
                                                                            : MediaInfoValueLength);
    int end = value.GetLength();
    while (end > 0 && value[end - 1] == ' ')
        --end;
    return value.Mid(0, end);
}

} // namespace GlobalFunc
