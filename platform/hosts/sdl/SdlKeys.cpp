// SDL keys and modifiers to the platform's: Ctrl = Command, Alt = Option,
// Shift = Shift, Super = Control.
#include "platform/events/KeyCodes.h"
#include "platform/hosts/sdl/SdlHost.h"

namespace platform::host {

namespace keys = platform::events::keys;

UInt16 sdl_modifiers(Uint16 mod) {
    UInt16 m = 0;
    if (mod & KMOD_CTRL) m |= kModCommand;
    if (mod & KMOD_SHIFT) m |= kModShift;
    if (mod & KMOD_ALT) m |= kModOption;
    if (mod & KMOD_GUI) m |= kModControl;
    if (mod & KMOD_CAPS) m |= kModCapsLock;
    return m;
}

bool sdl_is_modifier_key(SDL_Keycode sym) {
    switch (sym) {
    case SDLK_LCTRL: case SDLK_RCTRL: case SDLK_LSHIFT: case SDLK_RSHIFT:
    case SDLK_LALT: case SDLK_RALT: case SDLK_LGUI: case SDLK_RGUI:
    case SDLK_CAPSLOCK: case SDLK_MODE:
        return true;
    default:
        return false;
    }
}

SdlKey sdl_key(SDL_Keycode sym, SDL_Scancode scancode) {
    // Keys with a character of their own.
    switch (sym) {
    case SDLK_RETURN: return {keys::kReturn, keys::kReturnChar};
    case SDLK_KP_ENTER: return {keys::kKeypadEnter, keys::kEnterChar};
    case SDLK_ESCAPE: return {keys::kEscape, keys::kEscapeChar};
    case SDLK_TAB: return {keys::kTab, keys::kTabChar};
    case SDLK_BACKSPACE: return {keys::kDelete, keys::kBackspaceChar};
    case SDLK_DELETE: return {keys::kForwardDelete, keys::kForwardDeleteChar};
    case SDLK_LEFT: return {keys::kLeftArrow, keys::kLeftArrowChar};
    case SDLK_RIGHT: return {keys::kRightArrow, keys::kRightArrowChar};
    case SDLK_UP: return {keys::kUpArrow, keys::kUpArrowChar};
    case SDLK_DOWN: return {keys::kDownArrow, keys::kDownArrowChar};
    case SDLK_HOME: return {keys::kHome, keys::kHomeChar};
    case SDLK_END: return {keys::kEnd, keys::kEndChar};
    case SDLK_PAGEUP: return {keys::kPageUp, keys::kPageUpChar};
    case SDLK_PAGEDOWN: return {keys::kPageDown, keys::kPageDownChar};
    case SDLK_HELP: return {keys::kHelp, keys::kHelpChar};
    case SDLK_F1: return {keys::kF1, keys::kFunctionKeyChar};
    case SDLK_F2: return {keys::kF2, keys::kFunctionKeyChar};
    case SDLK_F3: return {keys::kF3, keys::kFunctionKeyChar};
    case SDLK_F4: return {keys::kF4, keys::kFunctionKeyChar};
    case SDLK_F5: return {keys::kF5, keys::kFunctionKeyChar};
    case SDLK_F6: return {keys::kF6, keys::kFunctionKeyChar};
    case SDLK_F7: return {keys::kF7, keys::kFunctionKeyChar};
    case SDLK_F8: return {keys::kF8, keys::kFunctionKeyChar};
    case SDLK_F9: return {keys::kF9, keys::kFunctionKeyChar};
    case SDLK_F10: return {keys::kF10, keys::kFunctionKeyChar};
    case SDLK_F11: return {keys::kF11, keys::kFunctionKeyChar};
    case SDLK_F12: return {keys::kF12, keys::kFunctionKeyChar};
    default: break;
    }
    // Keys that type text: the key code follows the key's position (the
    // scancode), the character comes from SDL's text input.
    static const struct {
        SDL_Scancode sc;
        UInt8 code;
    } kByPosition[] = {
        {SDL_SCANCODE_A, keys::kA}, {SDL_SCANCODE_B, keys::kB}, {SDL_SCANCODE_C, keys::kC},
        {SDL_SCANCODE_D, keys::kD}, {SDL_SCANCODE_E, keys::kE}, {SDL_SCANCODE_F, keys::kF},
        {SDL_SCANCODE_G, keys::kG}, {SDL_SCANCODE_H, keys::kH}, {SDL_SCANCODE_I, keys::kI},
        {SDL_SCANCODE_J, keys::kJ}, {SDL_SCANCODE_K, keys::kK}, {SDL_SCANCODE_L, keys::kL},
        {SDL_SCANCODE_M, keys::kM}, {SDL_SCANCODE_N, keys::kN}, {SDL_SCANCODE_O, keys::kO},
        {SDL_SCANCODE_P, keys::kP}, {SDL_SCANCODE_Q, keys::kQ}, {SDL_SCANCODE_R, keys::kR},
        {SDL_SCANCODE_S, keys::kS}, {SDL_SCANCODE_T, keys::kT}, {SDL_SCANCODE_U, keys::kU},
        {SDL_SCANCODE_V, keys::kV}, {SDL_SCANCODE_W, keys::kW}, {SDL_SCANCODE_X, keys::kX},
        {SDL_SCANCODE_Y, keys::kY}, {SDL_SCANCODE_Z, keys::kZ},
        {SDL_SCANCODE_1, keys::k1}, {SDL_SCANCODE_2, keys::k2}, {SDL_SCANCODE_3, keys::k3},
        {SDL_SCANCODE_4, keys::k4}, {SDL_SCANCODE_5, keys::k5}, {SDL_SCANCODE_6, keys::k6},
        {SDL_SCANCODE_7, keys::k7}, {SDL_SCANCODE_8, keys::k8}, {SDL_SCANCODE_9, keys::k9},
        {SDL_SCANCODE_0, keys::k0}, {SDL_SCANCODE_MINUS, keys::kMinus},
        {SDL_SCANCODE_EQUALS, keys::kEqual}, {SDL_SCANCODE_LEFTBRACKET, keys::kLeftBracket},
        {SDL_SCANCODE_RIGHTBRACKET, keys::kRightBracket}, {SDL_SCANCODE_BACKSLASH, keys::kBackslash},
        {SDL_SCANCODE_SEMICOLON, keys::kSemicolon}, {SDL_SCANCODE_APOSTROPHE, keys::kQuote},
        {SDL_SCANCODE_COMMA, keys::kComma}, {SDL_SCANCODE_PERIOD, keys::kPeriod},
        {SDL_SCANCODE_SLASH, keys::kSlash}, {SDL_SCANCODE_GRAVE, keys::kGrave},
        {SDL_SCANCODE_SPACE, keys::kSpace},
        {SDL_SCANCODE_KP_0, keys::kKeypad0}, {SDL_SCANCODE_KP_1, UInt8(keys::kKeypad0 + 1)},
        {SDL_SCANCODE_KP_2, UInt8(keys::kKeypad0 + 2)}, {SDL_SCANCODE_KP_3, UInt8(keys::kKeypad0 + 3)},
        {SDL_SCANCODE_KP_4, UInt8(keys::kKeypad0 + 4)}, {SDL_SCANCODE_KP_5, UInt8(keys::kKeypad0 + 5)},
        {SDL_SCANCODE_KP_6, UInt8(keys::kKeypad0 + 6)}, {SDL_SCANCODE_KP_7, UInt8(keys::kKeypad0 + 7)},
        {SDL_SCANCODE_KP_8, keys::kKeypad8}, {SDL_SCANCODE_KP_9, keys::kKeypad9},
        {SDL_SCANCODE_KP_PERIOD, keys::kKeypadDecimal}, {SDL_SCANCODE_KP_MULTIPLY, keys::kKeypadMultiply},
        {SDL_SCANCODE_KP_PLUS, keys::kKeypadPlus}, {SDL_SCANCODE_KP_MINUS, keys::kKeypadMinus},
        {SDL_SCANCODE_KP_DIVIDE, keys::kKeypadDivide}, {SDL_SCANCODE_KP_EQUALS, keys::kKeypadEquals},
    };
    for (const auto& p : kByPosition)
        if (p.sc == scancode) return {p.code, 0};
    return {keys::kUnknown, 0};
}

}  // namespace platform::host
