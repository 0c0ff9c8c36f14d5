// Parsing headless scripts into commands. Nothing is executed here: a
// script is checked whole before the application starts, so a typo on the
// last line is reported before the first one runs.
#include <charconv>

#include "platform/events/KeyCodes.h"
#include "platform/hostapi/Host.h"
#include "platform/hosts/headless/Script.h"
#include "platform/hosts/headless/ScriptMessages.h"

namespace platform::script {
namespace {

namespace keys = platform::events::keys;

// More documents than anyone opens at once from one line.
constexpr size_t kMaxPaths = 1000;

struct Token {
    std::string text;
    bool quoted = false;
};

bool space(char c) { return c == ' ' || c == '\t'; }
bool control(char c) { return (unsigned char)c < 0x20 || c == 0x7F; }

// Splits a line into words; false with `error` set on bad quoting.
bool tokenize(std::string_view line, std::vector<Token>& out, std::string& error) {
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        if (space(line[i])) {
            ++i;
            continue;
        }
        if (control(line[i])) {
            error = msg::kControlCharacter;
            return false;
        }
        if (line[i] == '#') return true;   // comment to the end of the line
        Token t;
        if (line[i] == '"') {
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\') {
                    if (i >= n) break;
                    char e = line[i++];
                    if (e != '"' && e != '\\') {
                        error = msg::fill(msg::kUnknownEscape, {std::string_view(&e, 1)});
                        return false;
                    }
                    d = e;
                } else if (control(d)) {
                    error = msg::kControlCharacterQuoted;
                    return false;
                }
                t.text.push_back(d);
            }
            if (!closed) {
                error = msg::kUnterminatedQuote;
                return false;
            }
            if (i < n && !space(line[i])) {
                error = msg::kSpaceAfterQuote;
                return false;
            }
        } else {
            while (i < n && !space(line[i])) {
                if (line[i] == '"') {
                    error = msg::kQuoteInWord;
                    return false;
                }
                if (control(line[i])) {
                    error = msg::kControlCharacter;
                    return false;
                }
                t.text.push_back(line[i++]);
            }
        }
        out.push_back(std::move(t));
    }
    return true;
}

bool parse_int(const Token& t, int lo, int hi, int& out) {
    if (t.quoted || t.text.empty()) return false;
    const char* b = t.text.data();
    const char* e = b + t.text.size();
    int v = 0;
    auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e || v < lo || v > hi) return false;
    out = v;
    return true;
}

// "cmd+shift" -> modifier bits; false with `error` set for an unknown name.
bool parse_modifiers(std::string_view names, UInt16& mods, std::string& error) {
    size_t start = 0;
    while (start <= names.size()) {
        size_t end = names.find('+', start);
        if (end == std::string_view::npos) end = names.size();
        std::string_view name = names.substr(start, end - start);
        if (name == "cmd") mods |= host::kModCommand;
        else if (name == "shift") mods |= host::kModShift;
        else if (name == "alt") mods |= host::kModOption;
        else if (name == "ctrl") mods |= host::kModControl;
        else {
            error = msg::fill(msg::kUnknownModifier, {name});
            return false;
        }
        start = end + 1;
    }
    return true;
}

// One line's words into one command. read() has an overload per command;
// each checks the number of words first, then each word in order, and
// stops at the first fault.
class LineParser {
public:
    explicit LineParser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    std::optional<Command> parse();
    const std::string& error() const { return error_; }

    bool read(cmd::Menu& c) {
        return count(2, 2, msg::kUsageMenu) && text(0, msg::kEmptyMenuTitle, c.menu) &&
               text(1, msg::kEmptyItemText, c.item);
    }
    bool read(cmd::Key& c);
    bool read(cmd::Type& c) { return count(1, 1, msg::kUsageType) && text(0, msg::kEmptyTextToType, c.text); }
    bool read(cmd::Click& c) {
        c.modifiers = modifiers_;
        if (!count(2, 3, msg::kUsageClick)) return false;
        if (args() == 2) return xy(0, c.at);
        c.window.emplace();
        return text(0, msg::kEmptyWindowTitle, *c.window) && xy(1, c.at);
    }
    bool read(cmd::Drag& c) {
        c.modifiers = modifiers_;
        return count(4, 4, msg::kUsageDrag) && xy(0, c.from) && xy(2, c.to);
    }
    bool read(cmd::Button& c) {
        return count(1, 1, msg::kUsageButton) && text(0, msg::kEmptyButtonTitle, c.title);
    }
    bool read(cmd::Wait& c) {
        return count(1, 1, msg::kUsageWait) && number(0, 0, kMaxWaitMs, msg::kBadMilliseconds, c.ms);
    }
    bool read(cmd::OpenDocuments& c) {
        if (!count(1, kMaxPaths, msg::kUsageOpenDocuments)) return false;
        c.paths.resize(args());
        for (size_t i = 0; i < args(); ++i)
            if (!text(i, msg::kEmptyPath, c.paths[i])) return false;
        return true;
    }
    bool read(cmd::Quit&) { return count(0, 0, msg::kUsageQuit); }
    bool read(cmd::Screenshot& c) {
        return count(1, 1, msg::kUsageScreenshot) && text(0, msg::kEmptyPath, c.path);
    }
    bool read(cmd::ExpectWindow& c) { return window_title(c.title); }
    bool read(cmd::ExpectNoWindow& c) { return window_title(c.title); }
    bool read(cmd::ExpectFront& c) { return window_title(c.title); }
    bool read(cmd::ExpectBounds& c) {
        return count(5, 5, msg::kUsageExpectBounds) && text(0, msg::kEmptyWindowTitle, c.title) &&
               coordinate(1, c.content.left) && coordinate(2, c.content.top) && coordinate(3, c.content.right) &&
               coordinate(4, c.content.bottom);
    }
    bool read(cmd::ExpectDialog& c) {
        if (!count(0, 1, msg::kUsageExpectDialog)) return false;
        if (args() == 0) return true;
        c.text.emplace();
        return text(0, msg::kEmptyDialogText, *c.text);
    }
    bool read(cmd::ExpectField& c) {
        if (!count(1, 1, msg::kUsageExpectField)) return false;
        c.text = arg(0).text;
        return true;
    }
    bool read(cmd::ExpectMenuItem& c) {
        if (!count(3, 3, msg::kUsageExpectMenuItem) || !text(0, msg::kEmptyMenuTitle, c.menu) ||
            !text(1, msg::kEmptyItemText, c.item))
            return false;
        const Token& state = arg(2);
        if (state.quoted || (state.text != "enabled" && state.text != "disabled"))
            return fail(msg::fill(msg::kNotEnabledOrDisabled, {state.text}));
        c.enabled = state.text == "enabled";
        return true;
    }
    bool read(cmd::ExpectFile& c) { return count(1, 1, msg::kUsageExpectFile) && text(0, msg::kEmptyPath, c.path); }
    bool read(cmd::ExpectEnd&) { return count(0, 0, msg::kUsageExpectEnd); }

    // "expect WHAT ...": the arguments start after WHAT.
    bool read_expectation(Command& out);

private:
    bool fail(std::string_view message) {
        error_ = message;
        return false;
    }
    size_t args() const { return t_.size() - first_arg_; }
    const Token& arg(size_t i) const { return t_[first_arg_ + i]; }
    bool count(size_t lo, size_t hi, std::string_view usage) {
        if (args() < lo || args() > hi) return fail(usage);
        return true;
    }
    bool number(size_t i, int lo, int hi, std::string_view bad, int& out) {
        if (!parse_int(arg(i), lo, hi, out)) return fail(msg::fill(bad, {arg(i).text}));
        return true;
    }
    bool coordinate(size_t i, SInt16& out) {
        int v = 0;
        if (!number(i, -32768, 32767, msg::kBadCoordinate, v)) return false;
        out = SInt16(v);
        return true;
    }
    bool xy(size_t i, XY& out) { return coordinate(i, out.x) && coordinate(i + 1, out.y); }
    bool text(size_t i, std::string_view empty, std::string& out) {
        if (arg(i).text.empty()) return fail(empty);
        out = arg(i).text;
        return true;
    }
    bool window_title(std::string& title) {
        return count(1, 1, msg::kUsageExpectWindow) && text(0, msg::kEmptyWindowTitle, title);
    }

    std::vector<Token> t_;
    size_t first_arg_ = 1;     // 2 for "expect WHAT"
    UInt16 modifiers_ = 0;     // written in front of the command: alt+click
    std::string error_;
};

template <class C>
bool read_as(LineParser& p, Command& out) {
    C c;
    if (!p.read(c)) return false;
    out = std::move(c);
    return true;
}

using Reader = bool (*)(LineParser&, Command&);

struct CommandWord {
    std::string_view word;
    Reader read;
    bool takes_modifiers = false;   // cmd+shift+drag
};

constexpr CommandWord kCommands[] = {
    {"menu", read_as<cmd::Menu>},
    {"key", read_as<cmd::Key>},
    {"type", read_as<cmd::Type>},
    {"click", read_as<cmd::Click>, true},
    {"drag", read_as<cmd::Drag>, true},
    {"button", read_as<cmd::Button>},
    {"wait", read_as<cmd::Wait>},
    {"odoc", read_as<cmd::OpenDocuments>},
    {"quit", read_as<cmd::Quit>},
    {"screenshot", read_as<cmd::Screenshot>},
    {"expect", [](LineParser& p, Command& out) { return p.read_expectation(out); }},
};

constexpr CommandWord kExpectations[] = {
    {"window", read_as<cmd::ExpectWindow>},
    {"no-window", read_as<cmd::ExpectNoWindow>},
    {"front", read_as<cmd::ExpectFront>},
    {"bounds", read_as<cmd::ExpectBounds>},
    {"dialog", read_as<cmd::ExpectDialog>},
    {"field", read_as<cmd::ExpectField>},
    {"menu-item", read_as<cmd::ExpectMenuItem>},
    {"file", read_as<cmd::ExpectFile>},
    {"end", read_as<cmd::ExpectEnd>},
};

template <size_t N>
const CommandWord* find_word(const CommandWord (&words)[N], std::string_view word) {
    for (const CommandWord& w : words)
        if (w.word == word) return &w;
    return nullptr;
}

bool LineParser::read(cmd::Key& c) {
    if (!count(1, 1, msg::kUsageKey)) return false;
    const Token& t = arg(0);
    const std::string& text = t.text;
    std::string key = text;
    UInt16 mods = 0;
    if (!t.quoted) {
        // The key is what follows the last '+' that is not itself the key.
        size_t plus = text.size() >= 2 ? text.rfind('+', text.size() - 2) : std::string::npos;
        if (plus != std::string::npos) {
            key = text.substr(plus + 1);
            if (!parse_modifiers(std::string_view(text).substr(0, plus), mods, error_)) return false;
        }
    }
    if (key.empty()) return fail(msg::kNoKey);
    if (auto named = keys::key_named(key); named && !(t.quoted && key.size() == 1)) {
        c.key_code = named->key_code;
        c.character = named->character;
    } else if (key.size() == 1 && (unsigned char)key[0] >= 0x20 && (unsigned char)key[0] < 0x7F) {
        UInt8 ch = UInt8(key[0]);
        auto stroke = keys::key_for_character(ch);
        if (!stroke) return fail(msg::fill(msg::kNoKeyTypes, {key}));
        if (stroke->shift) mods |= host::kModShift;
        else if (mods & host::kModShift) ch = keys::shifted_character(ch);
        if ((mods & host::kModControl) && ch >= '@' && ch < 0x7F) ch = UInt8(ch & 0x1F);
        c.key_code = stroke->key_code;
        c.character = ch;
    } else {
        return fail(msg::fill(msg::kUnknownKey, {key}));
    }
    c.modifiers = mods;
    return true;
}

bool LineParser::read_expectation(Command& out) {
    if (t_.size() < 2 || t_[1].quoted) return fail(msg::kUsageExpect);
    const CommandWord* what = find_word(kExpectations, t_[1].text);
    if (!what) return fail(msg::fill(msg::kUnknownExpectation, {t_[1].text}));
    first_arg_ = 2;
    return what->read(*this, out);
}

std::optional<Command> LineParser::parse() {
    const Token& head = t_[0];
    if (head.quoted) {
        fail(msg::kQuotedCommand);
        return std::nullopt;
    }
    // Modifiers in front of click and drag: alt+click, cmd+shift+drag.
    std::string_view word = head.text;
    size_t plus = word.rfind('+');
    const CommandWord* command = find_word(kCommands, plus == std::string_view::npos ? word : word.substr(plus + 1));
    if (!command || (plus != std::string_view::npos && !command->takes_modifiers)) {
        fail(msg::fill(msg::kUnknownCommand, {word}));
        return std::nullopt;
    }
    if (plus != std::string_view::npos && !parse_modifiers(word.substr(0, plus), modifiers_, error_))
        return std::nullopt;
    Command c;
    if (!command->read(*this, c)) return std::nullopt;
    return c;
}

}  // namespace

std::string script_message(int line, std::string_view message) {
    return "script:" + std::to_string(line) + ": " + std::string(message);
}

ParseResult parse_script(std::string_view text) {
    Script script;
    int line = 0;
    bool ended = false;
    size_t pos = 0;
    auto failure = [](int at, std::string_view message) {
        return ParseResult{std::nullopt, ParseError{at, std::string(message)}};
    };
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view l = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        ++line;
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        std::vector<Token> tokens;
        std::string error;
        if (!tokenize(l, tokens, error)) return failure(line, error);
        if (tokens.empty()) continue;
        if (ended) return failure(line, msg::kNothingAfterEnd);
        LineParser parser(std::move(tokens));
        std::optional<Command> command = parser.parse();
        if (!command) return failure(line, parser.error());
        ended = std::holds_alternative<cmd::ExpectEnd>(*command);
        script.commands.push_back(ScriptLine{line, std::move(*command)});
    }
    script.line_count = line;
    return ParseResult{std::move(script), {}};
}

}  // namespace platform::script
