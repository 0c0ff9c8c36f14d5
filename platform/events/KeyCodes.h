// KeyCodes.h — virtual key codes (bits 8-15 of a key event's message) and
// the characters of the special keys, shared by the hosts and the script
// runner. Codes follow the classic ANSI keyboard; characters typed on other
// layouts keep the code of the key that was pressed.
#pragma once

#include <optional>
#include <string_view>

#include "platform/Types.h"

namespace platform::events::keys {

enum : UInt8 {
    kA = 0x00, kS = 0x01, kD = 0x02, kF = 0x03, kH = 0x04, kG = 0x05, kZ = 0x06, kX = 0x07,
    kC = 0x08, kV = 0x09, kB = 0x0B, kQ = 0x0C, kW = 0x0D, kE = 0x0E, kR = 0x0F, kY = 0x10,
    kT = 0x11, k1 = 0x12, k2 = 0x13, k3 = 0x14, k4 = 0x15, k6 = 0x16, k5 = 0x17,
    kEqual = 0x18, k9 = 0x19, k7 = 0x1A, kMinus = 0x1B, k8 = 0x1C, k0 = 0x1D,
    kRightBracket = 0x1E, kO = 0x1F, kU = 0x20, kLeftBracket = 0x21, kI = 0x22, kP = 0x23,
    kReturn = 0x24, kL = 0x25, kJ = 0x26, kQuote = 0x27, kK = 0x28, kSemicolon = 0x29,
    kBackslash = 0x2A, kComma = 0x2B, kSlash = 0x2C, kN = 0x2D, kM = 0x2E, kPeriod = 0x2F,
    kTab = 0x30, kSpace = 0x31, kGrave = 0x32, kDelete = 0x33, kEscape = 0x35,
    kCommand = 0x37, kShift = 0x38, kCapsLock = 0x39, kOption = 0x3A, kControl = 0x3B,
    kKeypadDecimal = 0x41, kKeypadMultiply = 0x43, kKeypadPlus = 0x45, kKeypadClear = 0x47,
    kKeypadDivide = 0x4B, kKeypadEnter = 0x4C, kKeypadMinus = 0x4E, kKeypadEquals = 0x51,
    kKeypad0 = 0x52,   // 0x52..0x59 are keypad 0..7
    kKeypad8 = 0x5B, kKeypad9 = 0x5C,
    kF5 = 0x60, kF6 = 0x61, kF7 = 0x62, kF3 = 0x63, kF8 = 0x64, kF9 = 0x65, kF11 = 0x67,
    kF13 = 0x69, kF14 = 0x6B, kF10 = 0x6D, kF12 = 0x6F, kF15 = 0x71,
    kHelp = 0x72, kHome = 0x73, kPageUp = 0x74, kForwardDelete = 0x75, kF4 = 0x76,
    kEnd = 0x77, kF2 = 0x78, kPageDown = 0x79, kF1 = 0x7A,
    kLeftArrow = 0x7B, kRightArrow = 0x7C, kDownArrow = 0x7D, kUpArrow = 0x7E,
    kUnknown = 0x7F   // characters with no key of their own (text input)
};

// Characters of keys that do not type text.
enum : UInt8 {
    kHomeChar = 0x01, kEnterChar = 0x03, kEndChar = 0x04, kHelpChar = 0x05,
    kBackspaceChar = 0x08, kTabChar = 0x09, kPageUpChar = 0x0B, kPageDownChar = 0x0C,
    kReturnChar = 0x0D, kFunctionKeyChar = 0x10, kEscapeChar = 0x1B,
    kLeftArrowChar = 0x1C, kRightArrowChar = 0x1D, kUpArrowChar = 0x1E, kDownArrowChar = 0x1F,
    kForwardDeleteChar = 0x7F
};

// The key that types an ASCII character on a US keyboard, and whether Shift
// is needed. Nothing for characters outside printable ASCII (and control
// characters other than return, tab, escape, backspace, delete).
struct KeyStroke {
    UInt8 key_code;
    bool shift;
};
std::optional<KeyStroke> key_for_character(UInt8 c);

// The character a key gives without Shift on a US keyboard (0 for none):
// the inverse of key_for_character for letters, digits and punctuation.
UInt8 unshifted_character(UInt8 key_code);
// The same character with Shift held ('a' -> 'A', '1' -> '!').
UInt8 shifted_character(UInt8 c);

// Keys known by name in scripts: return enter escape tab space delete
// left right up down (and a few more), f1 ... f12.
struct NamedKey {
    UInt8 key_code;
    UInt8 character;
};
std::optional<NamedKey> key_named(std::string_view name);

}  // namespace platform::events::keys
