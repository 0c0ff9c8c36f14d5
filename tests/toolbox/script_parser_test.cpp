#include <gtest/gtest.h>

#include "platform/events/KeyCodes.h"
#include "platform/hostapi/Host.h"
#include "platform/hosts/headless/Script.h"
#include "platform/hosts/headless/ScriptMessages.h"

using namespace platform::script;
namespace host = platform::host;
namespace keys = platform::events::keys;
using msg::fill;

namespace {

Command parse_one(const std::string& line) {
    ParseResult r = parse_script(line);
    EXPECT_TRUE(r.script.has_value()) << line << ": " << r.error.message;
    if (!r.script || r.script->commands.size() != 1) return cmd::Quit{};
    return r.script->commands[0].command;
}

}  // namespace

TEST(ScriptParser, EveryCommandWithItsArguments) {
    const UInt16 cmd_shift = host::kModCommand | host::kModShift;
    const std::pair<const char*, Command> cases[] = {
        {"menu \"File\" \"New\"", cmd::Menu{"File", "New"}},
        {"type \"say \\\"hi\\\" \\\\ bye\"", cmd::Type{"say \"hi\" \\ bye"}},
        {"click 10 -20", cmd::Click{std::nullopt, {10, -20}, 0}},
        {"click \"untitled\" 5 6", cmd::Click{"untitled", {5, 6}, 0}},
        {"alt+click 1 2", cmd::Click{std::nullopt, {1, 2}, host::kModOption}},
        {"cmd+shift+drag 1 2 3 4", cmd::Drag{{1, 2}, {3, 4}, cmd_shift}},
        {"button \"Don't Save\"", cmd::Button{"Don't Save"}}, {"\twait   7   # trailing comment", cmd::Wait{7}},
        {"odoc a.mov \"b c.mov\"", cmd::OpenDocuments{{"a.mov", "b c.mov"}}}, {"quit", cmd::Quit{}},
        {"screenshot out.png", cmd::Screenshot{"out.png"}}, {"expect window \"T\"", cmd::ExpectWindow{"T"}},
        {"expect no-window \"T\"", cmd::ExpectNoWindow{"T"}}, {"expect front T", cmd::ExpectFront{"T"}},
        {"expect bounds \"T\" 50 70 370 186", cmd::ExpectBounds{"T", {50, 70, 370, 186}}},
        {"expect dialog \"Save changes?\"", cmd::ExpectDialog{"Save changes?"}},
        {"expect field \"\"", cmd::ExpectField{""}},
        {"expect menu-item Edit Cut disabled", cmd::ExpectMenuItem{"Edit", "Cut", false}},
        {"expect file out/MovieFile.mov", cmd::ExpectFile{"out/MovieFile.mov"}}, {"expect end", cmd::ExpectEnd{}},
        // The limits themselves are allowed.
        {"wait 3600000", cmd::Wait{kMaxWaitMs}}, {"drag -32768 0 32767 0", cmd::Drag{{-32768, 0}, {32767, 0}, 0}},
    };
    for (const auto& [line, want] : cases) {
        SCOPED_TRACE(line);
        Command got = parse_one(line);
        EXPECT_TRUE(got.index() == want.index() && got == want);
    }
}

TEST(ScriptParser, KeysThatAreHardToWrite) {
    const std::pair<const char*, cmd::Key> cases[] = {
        // The plain names and modifiers run end to end in ScriptRun.KeysClicksAndDrags.
        {"key N", {keys::kN, 'N', host::kModShift}},   // a capital needs Shift
        {"key ctrl+shift+a", {keys::kA, 0x01, host::kModControl | host::kModShift}},
        {"key shift+down", {keys::kDownArrow, 0x1F, host::kModShift}},
        {"key cmd++", {keys::kEqual, '+', host::kModCommand | host::kModShift}},
        {"key +", {keys::kEqual, '+', host::kModShift}}, {"key cmd+.", {keys::kPeriod, '.', host::kModCommand}},
        {"key \"#\"", {keys::k3, '#', host::kModShift}},
        {"key \"e\"", {keys::kE, 'e', 0}},   // quoted: the character, never a key name
        {"key shift+1", {keys::k1, '!', host::kModShift}},
    };
    for (const auto& [line, want] : cases) {
        SCOPED_TRACE(line);
        Command got = parse_one(line);
        ASSERT_TRUE(std::holds_alternative<cmd::Key>(got));
        const cmd::Key& key = std::get<cmd::Key>(got);
        EXPECT_EQ(std::tuple(key.key_code, key.character, key.modifiers), std::tuple(want.key_code, want.character, want.modifiers));
    }
}

TEST(ScriptParser, BadScriptsNameTheLineAndTheFault) {
    std::string many_paths = "odoc";
    for (int i = 0; i <= 1000; ++i) many_paths += " a.mov";
    struct Case { std::string text; int line; std::string message; };
    const Case cases[] = {
        {"fly 1 2", 1, fill(msg::kUnknownCommand, {"fly"})}, {"# ok\n\nclick 1", 3, std::string(msg::kUsageClick)},
        {"click a b", 1, fill(msg::kBadCoordinate, {"a"})}, {"click 1 32768", 1, fill(msg::kBadCoordinate, {"32768"})},
        {"click \"\" 1 2", 1, std::string(msg::kEmptyWindowTitle)}, {"menu \"File\"", 1, std::string(msg::kUsageMenu)},
        {"menu \"File\" \"\"", 1, std::string(msg::kEmptyItemText)},
        {"menu \"File \"New\"", 1, std::string(msg::kSpaceAfterQuote)},
        {"type \"unterminated", 1, std::string(msg::kUnterminatedQuote)},
        {"type un\"quoted\"", 1, std::string(msg::kQuoteInWord)},
        {"type \"bad \\n escape\"", 1, fill(msg::kUnknownEscape, {"n"})},
        {"type \"tab\tinside\"", 1, std::string(msg::kControlCharacterQuoted)},
        {"type \"\"", 1, std::string(msg::kEmptyTextToType)}, {"wait", 1, std::string(msg::kUsageWait)},
        {"wait -5", 1, fill(msg::kBadMilliseconds, {"-5"})},
        {"wait 3600001", 1, fill(msg::kBadMilliseconds, {"3600001"})},
        {"wait 99999999999", 1, fill(msg::kBadMilliseconds, {"99999999999"})}, {"key", 1, std::string(msg::kUsageKey)},
        {"key meta+n", 1, fill(msg::kUnknownModifier, {"meta"})}, {"key cmd+", 1, fill(msg::kUnknownKey, {"cmd+"})},
        {"key \"\"", 1, std::string(msg::kNoKey)}, {"key \"\xC3\xA9\"", 1, fill(msg::kUnknownKey, {"\xC3\xA9"})},
        // A value is quoted as it is, never read as part of the template.
        {"key \"{}\"", 1, "unknown key '{}'"}, {"+click 1 2", 1, fill(msg::kUnknownModifier, {""})},
        {"alt+wait 5", 1, fill(msg::kUnknownCommand, {"alt+wait"})}, {"drag 1 2 3", 1, std::string(msg::kUsageDrag)},
        {"odoc", 1, std::string(msg::kUsageOpenDocuments)}, {many_paths, 1, std::string(msg::kUsageOpenDocuments)},
        {"screenshot \"\"", 1, std::string(msg::kEmptyPath)}, {"expect", 1, std::string(msg::kUsageExpect)},
        {"expect sunshine", 1, fill(msg::kUnknownExpectation, {"sunshine"})},
        {"expect front", 1, std::string(msg::kUsageExpectWindow)},
        {"expect bounds \"T\" 1 2 3", 1, std::string(msg::kUsageExpectBounds)},
        {"expect dialog \"\"", 1, std::string(msg::kEmptyDialogText)},
        {"expect menu-item \"Edit\" \"Cut\" maybe", 1, fill(msg::kNotEnabledOrDisabled, {"maybe"})},
        {"expect end\nwait 5", 2, std::string(msg::kNothingAfterEnd)},
        {"\"quit\"", 1, std::string(msg::kQuotedCommand)}, {"wait 5\nquit\x01", 2, std::string(msg::kControlCharacter)},
        // A NUL inside the text is a control character, not the end of it.
        {std::string("quit\0x", 6), 1, std::string(msg::kControlCharacter)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        ParseResult r = parse_script(c.text);
        ASSERT_FALSE(r.script.has_value());
        EXPECT_EQ(std::tuple(r.error.line, r.error.message), std::tuple(c.line, c.message));
    }
    EXPECT_EQ(script_message(12, "no file x"), "script:12: no file x");
}

TEST(ScriptParser, CommentsBlankLinesAndLineEndings) {
    ParseResult r = parse_script("# a demo\r\n\r\nkey cmd+n\r\n   # indented comment\nwait 10\n\nexpect end\n# done\n");
    ASSERT_TRUE(r.script.has_value()) << r.error.message;
    ASSERT_EQ(r.script->commands.size(), 3u);
    EXPECT_EQ(std::tuple(r.script->commands[0].line, r.script->commands[1].line, r.script->commands[2].line, r.script->line_count), std::tuple(3, 5, 7, 8));
}
