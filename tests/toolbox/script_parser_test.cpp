#include <gtest/gtest.h>

#include "platform/events/KeyCodes.h"
#include "platform/hosts/Host.h"
#include "platform/hosts/headless/Script.h"

using namespace platform::script;
namespace host = platform::host;
namespace keys = platform::events::keys;

namespace {

Command parse_one(const std::string& line) {
    ParseResult r = parse_script(line);
    EXPECT_TRUE(r.script.has_value()) << line << ": " << r.error.message;
    if (!r.script || r.script->commands.size() != 1) return Command{};
    return r.script->commands[0];
}

}  // namespace

TEST(ScriptParser, EveryCommandWithItsArguments) {
    struct Case {
        const char* line;
        CommandKind kind;
        std::vector<std::string> texts;
        std::vector<int> numbers;
        UInt16 modifiers;
        bool flag;
    };
    const Case cases[] = {
        {"menu \"File\" \"New\"", CommandKind::Menu, {"File", "New"}, {}, 0, false},
        {"type \"MovieFile.mov\"", CommandKind::Type, {"MovieFile.mov"}, {}, 0, false},
        {"type \"say \\\"hi\\\" \\\\ bye\"", CommandKind::Type, {"say \"hi\" \\ bye"}, {}, 0, false},
        {"click 10 -20", CommandKind::Click, {}, {10, -20}, 0, false},
        {"click \"untitled\" 5 6", CommandKind::Click, {"untitled"}, {5, 6}, 0, true},
        {"alt+click 1 2", CommandKind::Click, {}, {1, 2}, host::kModOption, false},
        {"cmd+shift+drag 1 2 3 4", CommandKind::Drag, {}, {1, 2, 3, 4}, host::kModCommand | host::kModShift, false},
        {"button \"Don't Save\"", CommandKind::Button, {"Don't Save"}, {}, 0, false},
        {"wait 500", CommandKind::Wait, {}, {500}, 0, false},
        {"wait 0", CommandKind::Wait, {}, {0}, 0, false},
        {"odoc a.mov \"b c.mov\"", CommandKind::OpenDocuments, {"a.mov", "b c.mov"}, {}, 0, false},
        {"quit", CommandKind::Quit, {}, {}, 0, false},
        {"screenshot out.png", CommandKind::Screenshot, {"out.png"}, {}, 0, false},
        {"expect window \"T\"", CommandKind::ExpectWindow, {"T"}, {}, 0, false},
        {"expect no-window \"T\"", CommandKind::ExpectNoWindow, {"T"}, {}, 0, false},
        {"expect front T", CommandKind::ExpectFront, {"T"}, {}, 0, false},
        {"expect bounds \"T\" 50 70 370 186", CommandKind::ExpectBounds, {"T"}, {50, 70, 370, 186}, 0, false},
        {"expect dialog", CommandKind::ExpectDialog, {}, {}, 0, false},
        {"expect dialog \"Save changes?\"", CommandKind::ExpectDialog, {"Save changes?"}, {}, 0, true},
        {"expect field \"\"", CommandKind::ExpectField, {""}, {}, 0, false},
        {"expect menu-item \"Edit\" \"Cut\" enabled", CommandKind::ExpectMenuItem, {"Edit", "Cut"}, {}, 0, true},
        {"expect menu-item Edit Cut disabled", CommandKind::ExpectMenuItem, {"Edit", "Cut"}, {}, 0, false},
        {"expect file out/MovieFile.mov", CommandKind::ExpectFile, {"out/MovieFile.mov"}, {}, 0, false},
        {"expect end", CommandKind::ExpectEnd, {}, {}, 0, false},
        {"\twait   7   # trailing comment", CommandKind::Wait, {}, {7}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Command cmd = parse_one(c.line);
        EXPECT_EQ(cmd.kind, c.kind);
        EXPECT_EQ(cmd.texts, c.texts);
        EXPECT_EQ(cmd.numbers, c.numbers);
        EXPECT_EQ(cmd.modifiers, c.modifiers);
        EXPECT_EQ(cmd.flag, c.flag);
    }
}

TEST(ScriptParser, KeysThatAreHardToWrite) {
    struct Case {
        const char* line;
        UInt8 key_code;
        UInt8 character;
        UInt16 modifiers;
    };
    const Case cases[] = {
        // The plain names and modifiers run end to end in ScriptRun.KeysWithModifiersAndNames.
        {"key N", keys::kN, 'N', host::kModShift},               // a capital needs Shift
        {"key ctrl+shift+a", keys::kA, 0x01, host::kModControl | host::kModShift},
        {"key shift+down", keys::kDownArrow, 0x1F, host::kModShift},
        {"key cmd++", keys::kEqual, '+', host::kModCommand | host::kModShift},
        {"key +", keys::kEqual, '+', host::kModShift},
        {"key cmd+.", keys::kPeriod, '.', host::kModCommand},
        {"key \"#\"", keys::k3, '#', host::kModShift},
        {"key \"e\"", keys::kE, 'e', 0},   // quoted: the character, never a key name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Command cmd = parse_one(c.line);
        EXPECT_EQ(cmd.kind, CommandKind::Key);
        EXPECT_EQ(cmd.key_code, c.key_code);
        EXPECT_EQ(cmd.character, c.character);
        EXPECT_EQ(cmd.modifiers, c.modifiers);
    }
}

TEST(ScriptParser, BadScriptsNameTheLineAndTheFault) {
    struct Case {
        const char* text;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"fly 1 2", 1, "unknown command 'fly'"},
        {"# ok\n\nclick 1", 3, "usage: click X Y | click \"Title\" X Y"},
        {"click 1 2 3 4", 1, "usage: click X Y | click \"Title\" X Y"},
        {"click a b", 1, "bad coordinate 'a'"},
        {"click 1 40000", 1, "bad coordinate '40000'"},
        {"click 1 2x", 1, "bad coordinate '2x'"},
        {"click \"1\" 2", 1, "bad coordinate '1'"},
        {"menu \"File\"", 1, "usage: menu \"Menu\" \"Item\""},
        {"menu \"File\" \"\"", 1, "empty item text"},
        {"menu \"File \"New\"", 1, "a closing quote must be followed by a space"},
        {"type \"unterminated", 1, "unterminated quoted text"},
        {"type un\"quoted\"", 1, "quote inside a word (quote the whole text)"},
        {"type \"bad \\n escape\"", 1, "unknown escape \\n in quoted text"},
        {"type", 1, "usage: type \"text\""},
        {"type \"\"", 1, "empty text to type"},
        {"wait", 1, "usage: wait MILLISECONDS"},
        {"wait -5", 1, "bad number of milliseconds '-5'"},
        {"wait 1.5", 1, "bad number of milliseconds '1.5'"},
        {"wait 99999999999", 1, "bad number of milliseconds '99999999999'"},
        {"key", 1, "usage: key [cmd+][shift+][alt+][ctrl+]NAME-OR-CHARACTER"},
        {"key meta+n", 1, "unknown modifier 'meta' (cmd, shift, alt, ctrl)"},
        {"key cmd+", 1, "unknown key 'cmd+'"},
        {"key pgdn", 1, "unknown key 'pgdn'"},
        {"key \"\xC3\xA9\"", 1, "unknown key '\xC3\xA9'"},
        {"super+click 1 2", 1, "unknown modifier 'super' (cmd, shift, alt, ctrl)"},
        {"alt+wait 5", 1, "unknown command 'alt+wait'"},
        {"drag 1 2 3", 1, "usage: drag X1 Y1 X2 Y2"},
        {"quit now", 1, "usage: quit"},
        {"odoc", 1, "usage: odoc PATH..."},
        {"screenshot", 1, "usage: screenshot FILE.png"},
        {"expect", 1, "usage: expect window|no-window|front|bounds|dialog|field|menu-item|file|end ..."},
        {"expect sunshine", 1, "unknown expectation 'sunshine'"},
        {"expect bounds \"T\" 1 2 3", 1, "usage: expect bounds \"Title\" LEFT TOP RIGHT BOTTOM"},
        {"expect menu-item \"Edit\" \"Cut\" maybe", 1, "expected enabled or disabled, not 'maybe'"},
        {"expect end now", 1, "usage: expect end"},
        {"expect end\nwait 5", 2, "nothing can follow 'expect end'"},
        {"\"quit\"", 1, "a line starts with a command, not quoted text"},
        {"wait 5\nquit\x01", 2, "control character in the line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ParseResult r = parse_script(c.text);
        ASSERT_FALSE(r.script.has_value());
        EXPECT_EQ(r.error.line, c.line);
        EXPECT_EQ(r.error.message, c.message);
    }
    EXPECT_EQ(script_message(12, "no file x"), "script:12: no file x");
}

TEST(ScriptParser, CommentsBlankLinesAndLineEndings) {
    ParseResult r = parse_script("# a demo\r\n\r\nkey cmd+n\r\n   # indented comment\nwait 10\n");
    ASSERT_TRUE(r.script.has_value()) << r.error.message;
    ASSERT_EQ(r.script->commands.size(), 2u);
    EXPECT_EQ(r.script->commands[0].line, 3);
    EXPECT_EQ(r.script->commands[1].line, 5);
    EXPECT_EQ(r.script->line_count, 5);
    // A NUL inside the text is a control character, not the end of it.
    ParseResult nul = parse_script(std::string("quit\0x", 6));
    ASSERT_FALSE(nul.script.has_value());
    EXPECT_EQ(nul.error.message, "control character in the line");
}
