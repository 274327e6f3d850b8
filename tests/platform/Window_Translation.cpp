#include <gtest/gtest.h>

#include "platform/SysCodePage.h"
#include "platform/sdl/SysWindowKeys.h"
#include "tests/platform/Window_TestEvents.h"

using namespace window_test;

namespace
{
constexpr int64_t kAnyParam = -1LL << 40;

struct SExpected { uint32_t message; uint32_t wParam; int64_t lParam = kAnyParam; };

void ExpectTranslation(const std::string& what, const std::vector<SDL_Event>& events,
                       const std::vector<SExpected>& expected)
{
    SCOPED_TRACE(what);
    Translation translation;
    for (const SDL_Event& event : events) translation << event;
    const std::vector<SysMessage> messages = translation.Messages();
    ASSERT_EQ(expected.size(), messages.size());
    for (size_t i = 0; i < messages.size(); ++i)
        EXPECT_TRUE(expected[i].message == messages[i].message && expected[i].wParam == messages[i].wParam &&
                    (expected[i].lParam == kAnyParam || expected[i].lParam == messages[i].lParam))
            << "at " << i << ": " << messages[i].message << " " << messages[i].wParam << " " << messages[i].lParam;
}
}  // namespace

TEST(WindowKeys, EveryKeyOfTheKeyboardGivesItsWindowsCode)
{
    const auto code = [](int scancode, SDL_Keycode symbol = SDLK_UNKNOWN, Uint16 modifiers = KMOD_NONE) {
        return SysWindowKeys::VirtualKeyOf(SDL_Keysym{SDL_Scancode(scancode), symbol, modifiers, 0});
    };
    for (int i = 0; i < 26; ++i) EXPECT_EQ(65u + i, code(SDL_SCANCODE_A + i, SDLK_a + i)) << "letter " << i;
    // The digit row runs 1 to 9, then 0.
    for (int i = 0; i < 10; ++i) EXPECT_EQ(48u + (i + 1) % 10, code(SDL_SCANCODE_1 + i)) << "digit " << (i + 1) % 10;
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(112u + i == code(SDL_SCANCODE_F1 + i) && 124u + i == code(SDL_SCANCODE_F13 + i)) << "F" << i + 1;
    // Keypad 0 to 9 and its point: with Num Lock, and without.
    const std::tuple<int, uint32_t, uint32_t> keypad[] = {
        {SDL_SCANCODE_KP_0, 96, 45},  {SDL_SCANCODE_KP_1, 97, 35},  {SDL_SCANCODE_KP_2, 98, 40},
        {SDL_SCANCODE_KP_3, 99, 34},  {SDL_SCANCODE_KP_4, 100, 37}, {SDL_SCANCODE_KP_5, 101, 12},
        {SDL_SCANCODE_KP_6, 102, 39}, {SDL_SCANCODE_KP_7, 103, 36}, {SDL_SCANCODE_KP_8, 104, 38},
        {SDL_SCANCODE_KP_9, 105, 33}, {SDL_SCANCODE_KP_PERIOD, 110, 46}};
    for (const auto& [scancode, withNumLock, without] : keypad)
        EXPECT_TRUE(withNumLock == code(scancode, SDLK_UNKNOWN, KMOD_NUM) && without == code(scancode)) << scancode;
    const std::pair<int, uint32_t> others[] = {
        {SDL_SCANCODE_BACKSPACE, 8}, {SDL_SCANCODE_TAB, 9}, {SDL_SCANCODE_RETURN, 13}, {SDL_SCANCODE_KP_ENTER, 13},
        {SDL_SCANCODE_LSHIFT, 16}, {SDL_SCANCODE_RSHIFT, 16}, {SDL_SCANCODE_LCTRL, 17}, {SDL_SCANCODE_RCTRL, 17},
        {SDL_SCANCODE_LALT, 18}, {SDL_SCANCODE_RALT, 18}, {SDL_SCANCODE_PAUSE, 19}, {SDL_SCANCODE_CAPSLOCK, 20},
        {SDL_SCANCODE_ESCAPE, 27}, {SDL_SCANCODE_SPACE, 32}, {SDL_SCANCODE_PAGEUP, 33}, {SDL_SCANCODE_PAGEDOWN, 34},
        {SDL_SCANCODE_END, 35}, {SDL_SCANCODE_HOME, 36}, {SDL_SCANCODE_LEFT, 37}, {SDL_SCANCODE_UP, 38},
        {SDL_SCANCODE_RIGHT, 39}, {SDL_SCANCODE_DOWN, 40}, {SDL_SCANCODE_PRINTSCREEN, 44}, {SDL_SCANCODE_INSERT, 45},
        {SDL_SCANCODE_DELETE, 46}, {SDL_SCANCODE_LGUI, 91}, {SDL_SCANCODE_RGUI, 92}, {SDL_SCANCODE_APPLICATION, 93},
        {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_PLUS, 107}, {SDL_SCANCODE_KP_MINUS, 109},
        {SDL_SCANCODE_KP_DIVIDE, 111}, {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145},
        {SDL_SCANCODE_SEMICOLON, 186}, {SDL_SCANCODE_EQUALS, 187}, {SDL_SCANCODE_COMMA, 188},
        {SDL_SCANCODE_MINUS, 189}, {SDL_SCANCODE_PERIOD, 190}, {SDL_SCANCODE_SLASH, 191}, {SDL_SCANCODE_GRAVE, 192},
        {SDL_SCANCODE_LEFTBRACKET, 219}, {SDL_SCANCODE_BACKSLASH, 220}, {SDL_SCANCODE_RIGHTBRACKET, 221},
        {SDL_SCANCODE_APOSTROPHE, 222}, {SDL_SCANCODE_NONUSBACKSLASH, 226}, {SDL_SCANCODE_F24 + 1, 0}};
    for (const auto& [scancode, windowsCode] : others)
        EXPECT_EQ(windowsCode, code(scancode)) << "scancode " << scancode;
}

TEST(WindowKeys, EachKeyGivesItsVirtualKeyCodeWhateverTheLayoutAlsoInSequencesWithCharacters)
{
    const struct { SDL_Scancode scancode; SDL_Keycode symbol; Uint16 modifiers; uint32_t code; } keys[] = {
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_RSHIFT, 16}, {SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL, 17},
        {SDL_SCANCODE_Q, SDLK_q, KMOD_LSHIFT, 81},           // shift does not change the code
        {SDL_SCANCODE_Y, SDLK_z, KMOD_NONE, 90},             // German layout: Z where US has Y
        {SDL_SCANCODE_F, 0x0430, KMOD_NONE, 70},             // Russian layout: Cyrillic a on F
        {SDL_SCANCODE_1, SDLK_AMPERSAND, KMOD_NONE, 49},     // French layout types & on 1
        {SDL_SCANCODE_F12, SDLK_F12, KMOD_NONE, 123},        {SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NONE, 40},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, KMOD_NONE, 32},     {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, KMOD_NONE, 33},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, KMOD_NONE, 46},   {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM, 103},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NONE, 36},       {SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NONE, 12},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM, 110},
        {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, KMOD_NONE, 111},
    };
    for (const auto& key : keys)
        ExpectTranslation("scancode " + std::to_string(key.scancode),
                          {Key(SDL_KEYDOWN, key.scancode, key.symbol, key.modifiers)}, {{0x100, key.code}});
    const SDL_Event altDown = Key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
    const struct { const char* name; std::vector<SDL_Event> events; std::vector<SExpected> expected; } cases[] = {
        {"release and repeat flags",
         {Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a), Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 1),
          Key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a)},
         {{0x100, 65, 0x00000001}, {0x100, 65, 0x40000001}, {0x101, 65, static_cast<int32_t>(0xC0000001u)}}},
        {"backspace, keypad enter and escape type their character after the key",
         {Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), Key(SDL_KEYUP, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE),
          Key(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), Key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE)},
         {{0x100, 8}, {0x102, 8}, {0x101, 8}, {0x100, 13}, {0x102, 13}, {0x100, 27}, {0x102, 27}}},
        {"auto-repeat repeats key and character",
         {Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a), Text("a"), Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 1),
          Text("a")},
         {{0x100, 65}, {0x102, 97}, {0x100, 65}, {0x102, 97}}},
        {"alt or control combinations type nothing",
         {altDown, Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT), Text("x"),
          Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL),
          Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_LCTRL)},
         {{0x104, 18}, {0x104, 13}, {0x100, 17}, {0x100, 8}}},
        {"alt keys, keys while alt is held and F10 are system keys",
         {Key(SDL_KEYDOWN, SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT), Key(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x, KMOD_RALT),
          Key(SDL_KEYUP, SDL_SCANCODE_RALT, SDLK_RALT), Key(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x),
          Key(SDL_KEYDOWN, SDL_SCANCODE_F10, SDLK_F10)},
         {{0x104, 18}, {0x104, 88, 0x20000001}, {0x105, 18}, {0x100, 88, 0x00000001}, {0x104, 121}}},
        {"focus loss forgets a held alt",
         {altDown, WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), Text("q")}, {{0x104, 18}, {0x1C, 0}, {0x102, 113}}},
    };
    for (const auto& c : cases) ExpectTranslation(c.name, c.events, c.expected);
}

TEST(WindowMouse, ButtonsWheelShiftControlAndWindowEventsAndMovesMergeUpToAClickKeepingTheirSign)
{
    const int32_t at56 = MakeMessagePoint(5, 6);
    const struct { const char* name; std::vector<SDL_Event> events; std::vector<SExpected> expected; } cases[] = {
        {"buttons and their bits; the middle button is not the game's",
         {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6), Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 6),
          Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 6), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 5, 6),
          Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 6)},
         {{0x201, 1, at56}, {0x204, 3, at56}, {0x202, 2, at56}, {0x205, 0, at56}}},
        {"shift and control bits",
         {Key(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT),
          Key(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_LSHIFT | KMOD_RCTRL), Motion(1, 1)},
         {{0x100, 16}, {0x100, 17}, {0x200, 0x4 | 0x8, MakeMessagePoint(1, 1)}}},
        // Notches of 120 in the high word; a huge spin keeps its sign.
        {"wheel",
         {Wheel(2), Wheel(-1), Wheel(1, SDL_MOUSEWHEEL_FLIPPED), Wheel(0), Wheel(1000), Wheel(-1000)},
         {{0x20A, WheelParam(240)}, {0x20A, WheelParam(-120)}, {0x20A, WheelParam(-120)},
          {0x20A, WheelParam(273 * 120)}, {0x20A, WheelParam(-273 * 120)}}},
        {"focus, minimise and close",
         {WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), WindowEvent(SDL_WINDOWEVENT_MINIMIZED),
          WindowEvent(SDL_WINDOWEVENT_RESTORED), WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED),
          WindowEvent(SDL_WINDOWEVENT_CLOSE)},
         {{0x1C, 0}, {0x05, 1}, {0x05, 0}, {0x1C, 1}, {0x10, 0}}},
    };
    for (const auto& c : cases) ExpectTranslation(c.name, c.events, c.expected);
    std::vector<SDL_Event> events;
    for (int i = 0; i < 100; ++i) events.push_back(Motion(i, 2 * i));
    events.push_back(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 99, 198));
    events.push_back(Motion(20, 20, SDL_BUTTON_LMASK)), events.push_back(Motion(30, 30, SDL_BUTTON_LMASK));
    // Outside the window to the upper left: x reads 65533 as an unsigned word, y reads -2 with its sign.
    events.push_back(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, -3, -2));
    ExpectTranslation("moves merged up to a click", events,
                      {{0x200, 0, MakeMessagePoint(99, 198)}, {0x201, 1}, {0x200, 1, MakeMessagePoint(30, 30)},
                       {0x204, 3, static_cast<int32_t>(0xFFFEFFFDu)}});
}

TEST(MessageQueue, CloseRequestIsQueuedOnceEvenWhenFull)
{
    SysMessageQueue queue;
    EXPECT_TRUE(queue.Post(SysMessage{0x10}) && queue.Post(SysMessage{0x10}) && 1u == queue.Count());
    queue.Clear();
    for (size_t i = 0; i < SysMessageQueue::kCapacity; ++i) ASSERT_TRUE(queue.Post(SysMessage{0x100, 65}));
    EXPECT_TRUE(!queue.Post(SysMessage{0x101, 65}) && queue.Post(SysMessage{0x10}) &&
                (SysMessageQueue::kCapacity + 1) == queue.Count());
}

TEST(WindowChars, TypedTextArrivesInTheCurrentCodePageWhichTheLanguageFolderChooses)
{
    const struct { int codePage; const char* utf8; std::vector<uint32_t> characters; } cases[] = {
        {1252, "\xC3\xA4\xC3\x9F\xE2\x82\xAC", {0xE4, 0xDF, 0x80}},  // ä ß €
        {1251, "\xD0\xB6\xD0\x96\xD0\x81", {0xE6, 0xC6, 0xA8}},      // ж Ж Ё
        {1252, "a\xD0\xB6" "b", {'a', 'b'}},                          // ж between
        {1251, "\xC3\xA4", {}},                                        // ä
    };
    for (const auto& c : cases)
    {
        SysCodePage::SetCurrent(c.codePage);
        std::vector<uint32_t> characters;
        for (const SysMessage& message : (Translation() << Text(c.utf8)).Messages())   // character messages only
            characters.push_back(message.message == 0x102u ? message.wParam : 0xFFFFFFFFu);
        EXPECT_EQ(c.characters, characters) << c.codePage << " " << c.utf8;
    }
    // A lone continuation byte, a lead byte cut short by 'x', an overlong
    // slash, an encoded surrogate, and a sequence cut off by the end.
    std::string out;
    SysCodePage::AppendFromUtf8("\x80" "a\xC3" "x\xC0\xAF" "b\xED\xA0\x80" "c\xE2\x82", 1252, out);
    EXPECT_EQ("axbc", out);
    const std::pair<const char*, int> languages[] = {{"English\\", 1252}, {"Polish\\", 1250}, {"HUNGARIAN", 1250},
                                                     {"russian\\", 1251}, {"Russians\\", 1252}, {nullptr, 1252}};
    for (const auto& [folder, codePage] : languages)
        EXPECT_EQ(codePage, SysCodePage::ForLanguage(folder)) << (folder ? folder : "null");
    SysCodePage::SetCurrent(437);   // no such code page: back to 1252, where the test leaves it
    EXPECT_TRUE(1252 == SysCodePage::Current() && "\xD0\x96\xD0\xB6" == SysCodePage::ToUtf8("\xC6\xE6", 1251) &&
                ("\xE2\x82\xAC" "5") == SysCodePage::ToUtf8("\x80" "5", 1252));
    EXPECT_EQ("ab", SysCodePage::ToUtf8("a\x81" "b", 1252));   // 0x81 has no character in 1252
}
