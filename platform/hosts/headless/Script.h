// Script.h — a headless script: one command a line, `#` starts a comment.
//
//   menu "File" "New"             key cmd+n | key return        type "text"
//   click X Y | click "Title" X Y (alt+click, shift+click, cmd+click, ctrl+click)
//   drag X1 Y1 X2 Y2              button "Don't Save"           wait 500
//   odoc PATH...                  quit                          screenshot out.png
//   expect window "T" | no-window "T" | front "T" | bounds "T" L T R B
//   expect dialog ["text"] | field "text" | menu-item "M" "I" enabled|disabled
//   expect file PATH | expect end
//
// Words are separated by spaces or tabs. Text with spaces goes in double
// quotes, where \" and \\ stand for a quote and a backslash. A quoted word
// ends at its closing quote, which must be followed by a space or the end
// of the line.
//
// The parser turns each line into one of the command records below, with
// every argument already checked and converted; the runner never sees a
// word of the script again.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Types.h"

namespace platform::script {

// Coordinates as a script writes them: across, then down (global, or
// relative to a window's content).
struct XY {
    SInt16 x = 0;
    SInt16 y = 0;
    bool operator==(const XY&) const = default;
};

// A rectangle as a script writes it: left, top, right, bottom.
struct LTRB {
    SInt16 left = 0;
    SInt16 top = 0;
    SInt16 right = 0;
    SInt16 bottom = 0;
    bool operator==(const LTRB&) const = default;
};

namespace cmd {

// Modifiers are host::Modifier bits.

struct Menu {             // menu "File" "New"
    std::string menu;
    std::string item;
    bool operator==(const Menu&) const = default;
};

struct Key {              // key cmd+n: the key and the character it types
    UInt8 key_code = 0;
    UInt8 character = 0;
    UInt16 modifiers = 0;
    bool operator==(const Key&) const = default;
};

struct Type {             // type "text"
    std::string text;
    bool operator==(const Type&) const = default;
};

struct Click {            // click X Y | click "Title" X Y
    std::optional<std::string> window;   // `at` is then in its content
    XY at;
    UInt16 modifiers = 0;
    bool operator==(const Click&) const = default;
};

struct Drag {             // drag X1 Y1 X2 Y2
    XY from;
    XY to;
    UInt16 modifiers = 0;
    bool operator==(const Drag&) const = default;
};

struct Button {           // button "Don't Save"
    std::string title;
    bool operator==(const Button&) const = default;
};

struct Wait {             // wait MILLISECONDS
    int ms = 0;
    bool operator==(const Wait&) const = default;
};

struct OpenDocuments {    // odoc PATH...
    std::vector<std::string> paths;
    bool operator==(const OpenDocuments&) const = default;
};

struct Quit {
    bool operator==(const Quit&) const = default;
};

struct Screenshot {       // screenshot FILE.png
    std::string path;
    bool operator==(const Screenshot&) const = default;
};

struct ExpectWindow {
    std::string title;
    bool operator==(const ExpectWindow&) const = default;
};

struct ExpectNoWindow {
    std::string title;
    bool operator==(const ExpectNoWindow&) const = default;
};

struct ExpectFront {
    std::string title;
    bool operator==(const ExpectFront&) const = default;
};

struct ExpectBounds {     // the content rectangle, global
    std::string title;
    LTRB content;
    bool operator==(const ExpectBounds&) const = default;
};

struct ExpectDialog {     // a modal dialog is up (showing that text)
    std::optional<std::string> text;
    bool operator==(const ExpectDialog&) const = default;
};

struct ExpectField {      // may be empty: an empty field is a fair expectation
    std::string text;
    bool operator==(const ExpectField&) const = default;
};

struct ExpectMenuItem {
    std::string menu;
    std::string item;
    bool enabled = false;
    bool operator==(const ExpectMenuItem&) const = default;
};

struct ExpectFile {
    std::string path;
    bool operator==(const ExpectFile&) const = default;
};

struct ExpectEnd {        // the application ends by itself; the last line
    bool operator==(const ExpectEnd&) const = default;
};

}  // namespace cmd

using Command = std::variant<cmd::Menu, cmd::Key, cmd::Type, cmd::Click, cmd::Drag, cmd::Button, cmd::Wait,
                             cmd::OpenDocuments, cmd::Quit, cmd::Screenshot, cmd::ExpectWindow, cmd::ExpectNoWindow,
                             cmd::ExpectFront, cmd::ExpectBounds, cmd::ExpectDialog, cmd::ExpectField,
                             cmd::ExpectMenuItem, cmd::ExpectFile, cmd::ExpectEnd>;

struct ScriptLine {
    int line = 0;
    Command command;
};

struct Script {
    std::vector<ScriptLine> commands;
    int line_count = 0;
};

struct ParseError {
    int line = 0;
    std::string message;
};

struct ParseResult {
    std::optional<Script> script;
    ParseError error;   // when script is empty
};

ParseResult parse_script(std::string_view text);

// "script:LINE: message", the form every script failure is reported in.
std::string script_message(int line, std::string_view message);

// The longest wait a script may ask for (one hour).
constexpr int kMaxWaitMs = 60 * 60 * 1000;

}  // namespace platform::script
