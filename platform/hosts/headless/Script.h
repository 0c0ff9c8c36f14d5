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
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace platform::script {

enum class CommandKind {
    Menu, Key, Type, Click, Drag, Button, Wait, OpenDocuments, Quit, Screenshot,
    ExpectWindow, ExpectNoWindow, ExpectFront, ExpectBounds, ExpectDialog, ExpectField,
    ExpectMenuItem, ExpectFile, ExpectEnd
};

struct Command {
    CommandKind kind = CommandKind::Quit;
    int line = 0;
    std::vector<std::string> texts;   // titles, item texts, typed text, paths
    std::vector<int> numbers;         // coordinates, bounds (L T R B), milliseconds
    UInt16 modifiers = 0;             // host::Modifier bits of key, click and drag
    UInt8 key_code = 0;               // key
    UInt8 character = 0;              // key
    bool flag = false;                // menu-item: expected enabled; dialog: text given;
                                      // click: window-local (texts[0] is the title)
};

struct Script {
    std::vector<Command> commands;
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
std::string script_message(int line, const std::string& message);

// The longest wait a script may ask for (one hour).
constexpr int kMaxWaitMs = 60 * 60 * 1000;

}  // namespace platform::script
