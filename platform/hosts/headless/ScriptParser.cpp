// Parsing headless scripts into commands. Nothing is executed here: a
// script is checked whole before the application starts, so a typo on the
// last line is reported before the first one runs.
#include <charconv>
#include <cstdio>

#include "platform/events/KeyCodes.h"
#include "platform/hosts/Host.h"
#include "platform/hosts/headless/Script.h"

namespace platform::script {
namespace {

namespace keys = platform::events::keys;

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a line into words; false with `error` set on bad quoting.
bool tokenize(std::string_view line, std::vector<Token>& out, std::string& error) {
    size_t i = 0;
    const size_t n = line.size();
    auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (i < n) {
        if (space(line[i])) {
            ++i;
            continue;
        }
        unsigned char c = (unsigned char)line[i];
        if (c < 0x20 || c == 0x7F) {
            error = "control character in the line";
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
                        error = std::string("unknown escape \\") + e + " in quoted text";
                        return false;
                    }
                    d = e;
                } else if ((unsigned char)d < 0x20 || d == 0x7F) {
                    error = "control character in quoted text";
                    return false;
                }
                t.text.push_back(d);
            }
            if (!closed) {
                error = "unterminated quoted text";
                return false;
            }
            if (i < n && !space(line[i])) {
                error = "a closing quote must be followed by a space";
                return false;
            }
        } else {
            while (i < n && !space(line[i])) {
                unsigned char d = (unsigned char)line[i];
                if (line[i] == '"') {
                    error = "quote inside a word (quote the whole text)";
                    return false;
                }
                if (d < 0x20 || d == 0x7F) {
                    error = "control character in the line";
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

// "cmd+shift" -> modifier bits; false for an unknown name.
bool parse_modifier(std::string_view name, UInt16& mods) {
    if (name == "cmd") mods |= host::kModCommand;
    else if (name == "shift") mods |= host::kModShift;
    else if (name == "alt") mods |= host::kModOption;
    else if (name == "ctrl") mods |= host::kModControl;
    else return false;
    return true;
}

class LineParser {
public:
    LineParser(int line, std::vector<Token> tokens) : line_(line), t_(std::move(tokens)) {}

    std::optional<Command> parse(std::string& error);

private:
    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }
    bool count(size_t lo, size_t hi, const char* usage) {
        size_t n = t_.size() - 1 - first_arg_offset_;
        if (n < lo || n > hi) return fail(std::string("usage: ") + usage);
        return true;
    }
    const Token& arg(size_t i) const { return t_[1 + first_arg_offset_ + i]; }
    size_t args() const { return t_.size() - 1 - first_arg_offset_; }
    bool number(size_t i, int lo, int hi, int& out, const char* what) {
        if (!parse_int(arg(i), lo, hi, out))
            return fail("bad " + std::string(what) + " '" + arg(i).text + "'");
        return true;
    }
    bool coordinate(size_t i) {
        int v = 0;
        if (!number(i, -32768, 32767, v, "coordinate")) return false;
        cmd_.numbers.push_back(v);
        return true;
    }
    bool nonempty_text(size_t i, const char* what) {
        if (arg(i).text.empty()) return fail(std::string("empty ") + what);
        cmd_.texts.push_back(arg(i).text);
        return true;
    }
    bool parse_key();
    bool parse_expect();

    int line_;
    std::vector<Token> t_;
    size_t first_arg_offset_ = 0;   // 1 for "expect <what>"
    Command cmd_;
    std::string error_;
};

bool LineParser::parse_key() {
    if (!count(1, 1, "key [cmd+][shift+][alt+][ctrl+]NAME-OR-CHARACTER")) return false;
    const Token& t = arg(0);
    std::string text = t.text;
    std::string key = text;
    UInt16 mods = 0;
    if (!t.quoted) {
        // The key is what follows the last '+' that is not itself the key.
        size_t plus = text.size() >= 2 ? text.rfind('+', text.size() - 2) : std::string::npos;
        if (plus != std::string::npos) {
            key = text.substr(plus + 1);
            std::string_view names(text.data(), plus);
            size_t start = 0;
            while (start <= names.size()) {
                size_t end = names.find('+', start);
                if (end == std::string_view::npos) end = names.size();
                std::string_view name = names.substr(start, end - start);
                if (!parse_modifier(name, mods))
                    return fail("unknown modifier '" + std::string(name) + "' (cmd, shift, alt, ctrl)");
                start = end + 1;
            }
        }
    }
    if (key.empty()) return fail("key needs a key");
    if (auto named = keys::key_named(key); named && !(t.quoted && key.size() == 1)) {
        cmd_.key_code = named->key_code;
        cmd_.character = named->character;
    } else if (key.size() == 1 && (unsigned char)key[0] >= 0x20 && (unsigned char)key[0] < 0x7F) {
        UInt8 c = UInt8(key[0]);
        auto stroke = keys::key_for_character(c);
        if (!stroke) return fail("no key types '" + key + "'");
        if (stroke->shift) mods |= host::kModShift;
        else if (mods & host::kModShift) c = keys::shifted_character(c);
        if ((mods & host::kModControl) && c >= '@' && c < 0x7F) c = UInt8(c & 0x1F);
        cmd_.key_code = stroke->key_code;
        cmd_.character = c;
    } else {
        return fail("unknown key '" + key + "'");
    }
    cmd_.modifiers = mods;
    return true;
}

bool LineParser::parse_expect() {
    if (t_.size() < 2 || t_[1].quoted) return fail("usage: expect window|no-window|front|bounds|dialog|field|menu-item|file|end ...");
    const std::string& what = t_[1].text;
    first_arg_offset_ = 1;
    if (what == "window" || what == "no-window" || what == "front") {
        cmd_.kind = what == "window" ? CommandKind::ExpectWindow
                  : what == "front"  ? CommandKind::ExpectFront
                                     : CommandKind::ExpectNoWindow;
        return count(1, 1, "expect window|no-window|front \"Title\"") && nonempty_text(0, "window title");
    }
    if (what == "bounds") {
        cmd_.kind = CommandKind::ExpectBounds;
        if (!count(5, 5, "expect bounds \"Title\" LEFT TOP RIGHT BOTTOM") || !nonempty_text(0, "window title"))
            return false;
        for (size_t i = 1; i <= 4; ++i)
            if (!coordinate(i)) return false;
        return true;
    }
    if (what == "dialog") {
        cmd_.kind = CommandKind::ExpectDialog;
        if (!count(0, 1, "expect dialog [\"text\"]")) return false;
        if (args() == 1) {
            cmd_.flag = true;
            return nonempty_text(0, "dialog text");
        }
        return true;
    }
    if (what == "field") {
        cmd_.kind = CommandKind::ExpectField;
        if (!count(1, 1, "expect field \"text\"")) return false;
        cmd_.texts.push_back(arg(0).text);   // an empty field is a fair expectation
        return true;
    }
    if (what == "menu-item") {
        cmd_.kind = CommandKind::ExpectMenuItem;
        if (!count(3, 3, "expect menu-item \"Menu\" \"Item\" enabled|disabled") ||
            !nonempty_text(0, "menu title") || !nonempty_text(1, "item text"))
            return false;
        const Token& state = arg(2);
        if (state.quoted || (state.text != "enabled" && state.text != "disabled"))
            return fail("expected enabled or disabled, not '" + state.text + "'");
        cmd_.flag = state.text == "enabled";
        return true;
    }
    if (what == "file") {
        cmd_.kind = CommandKind::ExpectFile;
        return count(1, 1, "expect file PATH") && nonempty_text(0, "path");
    }
    if (what == "end") {
        cmd_.kind = CommandKind::ExpectEnd;
        return count(0, 0, "expect end");
    }
    return fail("unknown expectation '" + what + "'");
}

std::optional<Command> LineParser::parse(std::string& error) {
    cmd_.line = line_;
    const Token& head = t_[0];
    if (head.quoted) {
        error = "a line starts with a command, not quoted text";
        return std::nullopt;
    }
    // Modifiers in front of click and drag: alt+click, cmd+shift+drag.
    std::string word = head.text;
    UInt16 mods = 0;
    if (size_t plus = word.rfind('+'); plus != std::string::npos) {
        std::string base = word.substr(plus + 1);
        if (base != "click" && base != "drag") {
            error = "unknown command '" + word + "'";
            return std::nullopt;
        }
        std::string_view names(word.data(), plus);
        size_t start = 0;
        while (start <= names.size()) {
            size_t end = names.find('+', start);
            if (end == std::string_view::npos) end = names.size();
            std::string_view name = names.substr(start, end - start);
            if (!parse_modifier(name, mods)) {
                error = "unknown modifier '" + std::string(name) + "' (cmd, shift, alt, ctrl)";
                return std::nullopt;
            }
            start = end + 1;
        }
        word = base;
    }
    bool good = false;
    if (word == "menu") {
        cmd_.kind = CommandKind::Menu;
        good = count(2, 2, "menu \"Menu\" \"Item\"") && nonempty_text(0, "menu title") &&
               nonempty_text(1, "item text");
    } else if (word == "key") {
        cmd_.kind = CommandKind::Key;
        good = parse_key();
    } else if (word == "type") {
        cmd_.kind = CommandKind::Type;
        good = count(1, 1, "type \"text\"") && nonempty_text(0, "text to type");
    } else if (word == "click") {
        cmd_.kind = CommandKind::Click;
        cmd_.modifiers = mods;
        good = count(2, 3, "click X Y | click \"Title\" X Y");
        if (good && args() == 3) {
            cmd_.flag = true;
            good = nonempty_text(0, "window title") && coordinate(1) && coordinate(2);
        } else if (good) {
            good = coordinate(0) && coordinate(1);
        }
    } else if (word == "drag") {
        cmd_.kind = CommandKind::Drag;
        cmd_.modifiers = mods;
        good = count(4, 4, "drag X1 Y1 X2 Y2") && coordinate(0) && coordinate(1) && coordinate(2) &&
               coordinate(3);
    } else if (word == "button") {
        cmd_.kind = CommandKind::Button;
        good = count(1, 1, "button \"Title\"") && nonempty_text(0, "button title");
    } else if (word == "wait") {
        cmd_.kind = CommandKind::Wait;
        int ms = 0;
        good = count(1, 1, "wait MILLISECONDS") && number(0, 0, kMaxWaitMs, ms, "number of milliseconds");
        if (good) cmd_.numbers.push_back(ms);
    } else if (word == "odoc") {
        cmd_.kind = CommandKind::OpenDocuments;
        good = count(1, 1000, "odoc PATH...");
        for (size_t i = 0; good && i < args(); ++i) good = nonempty_text(i, "path");
    } else if (word == "quit") {
        cmd_.kind = CommandKind::Quit;
        good = count(0, 0, "quit");
    } else if (word == "screenshot") {
        cmd_.kind = CommandKind::Screenshot;
        good = count(1, 1, "screenshot FILE.png") && nonempty_text(0, "path");
    } else if (word == "expect") {
        good = parse_expect();
    } else {
        error = "unknown command '" + word + "'";
        return std::nullopt;
    }
    if (!good) {
        error = error_;
        return std::nullopt;
    }
    return cmd_;
}

}  // namespace

std::string script_message(int line, const std::string& message) {
    return "script:" + std::to_string(line) + ": " + message;
}

ParseResult parse_script(std::string_view text) {
    Script script;
    int line = 0;
    bool ended = false;
    size_t pos = 0;
    auto failure = [](int at, std::string message) {
        return ParseResult{std::nullopt, ParseError{at, std::move(message)}};
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
        if (ended) return failure(line, "nothing can follow 'expect end'");
        LineParser parser(line, std::move(tokens));
        auto cmd = parser.parse(error);
        if (!cmd) return failure(line, error);
        ended = cmd->kind == CommandKind::ExpectEnd;
        script.commands.push_back(std::move(*cmd));
    }
    script.line_count = line;
    return ParseResult{std::move(script), {}};
}

}  // namespace platform::script
