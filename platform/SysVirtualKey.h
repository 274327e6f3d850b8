#pragma once

#include <cstdint>

// Virtual-key codes: the values of the key messages' wParam and the indexes
// of the application's key table.  Letters are their capital ASCII code
// ('A' = 65 to 'Z' = 90), the digits of the main block their ASCII code
// ('0' = 48 to '9' = 57), whatever the keyboard layout.  The left and right
// variants of Shift, Ctrl and Alt are never sent in messages; they exist so
// that code keeping the key table may name them.
namespace SysVirtualKey
{
constexpr uint32_t Backspace = 8;
constexpr uint32_t Tab = 9;
constexpr uint32_t Clear = 12;  // keypad 5 without Num Lock
constexpr uint32_t Enter = 13;  // both Enter keys
constexpr uint32_t Shift = 16;
constexpr uint32_t Control = 17;
constexpr uint32_t Alt = 18;
constexpr uint32_t Pause = 19;
constexpr uint32_t CapsLock = 20;
constexpr uint32_t Escape = 27;
constexpr uint32_t Space = 32;
constexpr uint32_t PageUp = 33;
constexpr uint32_t PageDown = 34;
constexpr uint32_t End = 35;
constexpr uint32_t Home = 36;
constexpr uint32_t Left = 37;
constexpr uint32_t Up = 38;
constexpr uint32_t Right = 39;
constexpr uint32_t Down = 40;
constexpr uint32_t PrintScreen = 44;
constexpr uint32_t Insert = 45;
constexpr uint32_t Delete = 46;
constexpr uint32_t Digit0 = 48;
constexpr uint32_t LetterA = 65;
constexpr uint32_t LeftSystem = 91;
constexpr uint32_t RightSystem = 92;
constexpr uint32_t Application = 93;
constexpr uint32_t Numpad0 = 96;  // to Numpad9 = 105, with Num Lock on
constexpr uint32_t NumpadMultiply = 106;
constexpr uint32_t NumpadAdd = 107;
constexpr uint32_t NumpadSubtract = 109;
constexpr uint32_t NumpadDecimal = 110;
constexpr uint32_t NumpadDivide = 111;
constexpr uint32_t F1 = 112;  // to F12 = 123, F13 to F24 = 124 to 135
constexpr uint32_t NumLock = 144;
constexpr uint32_t ScrollLock = 145;
constexpr uint32_t LeftShift = 160;
constexpr uint32_t RightShift = 161;
constexpr uint32_t LeftControl = 162;
constexpr uint32_t RightControl = 163;
constexpr uint32_t LeftAlt = 164;
constexpr uint32_t RightAlt = 165;
// Punctuation keys, named by what they carry on a US layout.
constexpr uint32_t Semicolon = 186;
constexpr uint32_t Equals = 187;
constexpr uint32_t Comma = 188;
constexpr uint32_t Minus = 189;
constexpr uint32_t Period = 190;
constexpr uint32_t Slash = 191;
constexpr uint32_t Grave = 192;
constexpr uint32_t LeftBracket = 219;
constexpr uint32_t Backslash = 220;
constexpr uint32_t RightBracket = 221;
constexpr uint32_t Apostrophe = 222;
constexpr uint32_t NonUsBackslash = 226;  // the extra key left of Z on European keyboards
}  // namespace SysVirtualKey
