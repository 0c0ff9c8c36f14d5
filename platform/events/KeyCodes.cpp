// The US keyboard: which key types which character.
#include "platform/events/KeyCodes.h"

#include <array>

namespace platform::events::keys {
namespace {

struct Pair {
    char plain;
    char shifted;
    UInt8 code;
};

// Every printable key of the US layout, with and without Shift.
constexpr std::array<Pair, 47> kLayout{{
    {'a', 'A', kA}, {'b', 'B', kB}, {'c', 'C', kC}, {'d', 'D', kD}, {'e', 'E', kE},
    {'f', 'F', kF}, {'g', 'G', kG}, {'h', 'H', kH}, {'i', 'I', kI}, {'j', 'J', kJ},
    {'k', 'K', kK}, {'l', 'L', kL}, {'m', 'M', kM}, {'n', 'N', kN}, {'o', 'O', kO},
    {'p', 'P', kP}, {'q', 'Q', kQ}, {'r', 'R', kR}, {'s', 'S', kS}, {'t', 'T', kT},
    {'u', 'U', kU}, {'v', 'V', kV}, {'w', 'W', kW}, {'x', 'X', kX}, {'y', 'Y', kY},
    {'z', 'Z', kZ},
    {'1', '!', k1}, {'2', '@', k2}, {'3', '#', k3}, {'4', '$', k4}, {'5', '%', k5},
    {'6', '^', k6}, {'7', '&', k7}, {'8', '*', k8}, {'9', '(', k9}, {'0', ')', k0},
    {'-', '_', kMinus}, {'=', '+', kEqual}, {'[', '{', kLeftBracket}, {']', '}', kRightBracket},
    {'\\', '|', kBackslash}, {';', ':', kSemicolon}, {'\'', '"', kQuote}, {',', '<', kComma},
    {'.', '>', kPeriod}, {'/', '?', kSlash}, {'`', '~', kGrave},
}};

}  // namespace

std::optional<KeyStroke> key_for_character(UInt8 c) {
    switch (c) {
    case ' ': return KeyStroke{kSpace, false};
    case kReturnChar: case '\n': return KeyStroke{kReturn, false};
    case kTabChar: return KeyStroke{kTab, false};
    case kEscapeChar: return KeyStroke{kEscape, false};
    case kBackspaceChar: return KeyStroke{kDelete, false};
    case kForwardDeleteChar: return KeyStroke{kForwardDelete, false};
    default: break;
    }
    for (const Pair& p : kLayout) {
        if (UInt8(p.plain) == c) return KeyStroke{p.code, false};
        if (UInt8(p.shifted) == c) return KeyStroke{p.code, true};
    }
    return std::nullopt;
}

UInt8 unshifted_character(UInt8 key_code) {
    if (key_code == kSpace) return ' ';
    for (const Pair& p : kLayout)
        if (p.code == key_code) return UInt8(p.plain);
    return 0;
}

UInt8 shifted_character(UInt8 c) {
    for (const Pair& p : kLayout)
        if (UInt8(p.plain) == c) return UInt8(p.shifted);
    return c;
}

std::optional<NamedKey> key_named(std::string_view name) {
    struct Entry {
        std::string_view name;
        NamedKey key;
    };
    static constexpr Entry kNames[] = {
        {"return", {kReturn, kReturnChar}},
        {"enter", {kKeypadEnter, kEnterChar}},
        {"escape", {kEscape, kEscapeChar}},
        {"tab", {kTab, kTabChar}},
        {"space", {kSpace, ' '}},
        {"delete", {kDelete, kBackspaceChar}},
        {"forward-delete", {kForwardDelete, kForwardDeleteChar}},
        {"left", {kLeftArrow, kLeftArrowChar}},
        {"right", {kRightArrow, kRightArrowChar}},
        {"up", {kUpArrow, kUpArrowChar}},
        {"down", {kDownArrow, kDownArrowChar}},
        {"home", {kHome, kHomeChar}},
        {"end", {kEnd, kEndChar}},
        {"pageup", {kPageUp, kPageUpChar}},
        {"pagedown", {kPageDown, kPageDownChar}},
        {"f1", {kF1, kFunctionKeyChar}}, {"f2", {kF2, kFunctionKeyChar}}, {"f3", {kF3, kFunctionKeyChar}},
        {"f4", {kF4, kFunctionKeyChar}}, {"f5", {kF5, kFunctionKeyChar}}, {"f6", {kF6, kFunctionKeyChar}},
        {"f7", {kF7, kFunctionKeyChar}}, {"f8", {kF8, kFunctionKeyChar}}, {"f9", {kF9, kFunctionKeyChar}},
        {"f10", {kF10, kFunctionKeyChar}}, {"f11", {kF11, kFunctionKeyChar}}, {"f12", {kF12, kFunctionKeyChar}},
    };
    for (const Entry& e : kNames)
        if (e.name == name) return e.key;
    return std::nullopt;
}

}  // namespace platform::events::keys
