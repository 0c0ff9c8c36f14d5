#include "Source.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace rescompile {
namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted run starting after the opening quote; returns the index
// after the closing one.
size_t read_quoted(const std::string& file, int line, const std::string& s, size_t i, char quote,
                   std::string* out) {
    while (i < s.size() && s[i] != quote) {
        char c = s[i++];
        if (c != '\\') {
            out->push_back(c);
            continue;
        }
        if (i >= s.size()) break;
        char e = s[i++];
        switch (e) {
        case 'n': out->push_back('\n'); break;
        case 't': out->push_back('\t'); break;
        case '\\': case '"': case '\'': out->push_back(e); break;
        case 'x': {
            int hi = i < s.size() ? hex_digit(s[i]) : -1;
            int lo = i + 1 < s.size() ? hex_digit(s[i + 1]) : -1;
            if (hi < 0 || lo < 0) throw CompileError(file, line, "\\x needs two hex digits");
            out->push_back(char(hi * 16 + lo));
            i += 2;
            break;
        }
        default: throw CompileError(file, line, std::string("unknown escape \\") + e);
        }
    }
    if (i >= s.size()) throw CompileError(file, line, "unterminated quote");
    return i + 1;
}

std::vector<Token> split(const std::string& file, int line, const std::string& s) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"' || c == '\'') {
            Token t;
            t.kind = c == '"' ? Token::Kind::String : Token::Kind::FourCC;
            i = read_quoted(file, line, s, i + 1, c, &t.text);
            if (t.kind == Token::Kind::FourCC && t.text.size() != 4)
                throw CompileError(file, line, "a type code has exactly four characters: '" + t.text + "'");
            tokens.push_back(std::move(t));
        } else {
            size_t start = i;
            while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '\r' && s[i] != '#' &&
                   s[i] != '"' && s[i] != '\'')
                ++i;
            tokens.push_back(Token{Token::Kind::Word, s.substr(start, i - start)});
        }
    }
    return tokens;
}

const char* kind_name(Token::Kind k) {
    switch (k) {
    case Token::Kind::Word: return "a word or number";
    case Token::Kind::String: return "a quoted string";
    case Token::Kind::FourCC: return "a 'TYPE' code";
    }
    return "?";
}

}  // namespace

std::vector<Line> tokenize(const std::string& file, const std::string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    int number = 1;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.emplace_back(file, number, split(file, number, text.substr(start, end - start)));
        if (end == text.size()) break;
        start = end + 1;
        ++number;
    }
    return lines;
}

const Token& Line::token(size_t i) const {
    if (i >= tokens_.size()) error("'" + keyword() + "' needs more values");
    return tokens_[i];
}

std::string Line::keyword() const {
    return !tokens_.empty() && tokens_[0].kind == Token::Kind::Word ? tokens_[0].text : std::string();
}

bool Line::is_word(size_t i, const char* word) const {
    return i < tokens_.size() && tokens_[i].kind == Token::Kind::Word && tokens_[i].text == word;
}

void Line::expect_size(size_t min, size_t max, const char* usage) const {
    if (tokens_.size() < min || tokens_.size() > max) error(std::string("expected: ") + usage);
}

static void expect_kind(const Line& line, size_t i, Token::Kind kind) {
    const Token& t = line.token(i);
    if (t.kind != kind)
        line.error(std::string("value ") + std::to_string(i) + " of '" + line.keyword() + "' should be " +
                   kind_name(kind));
}

std::string Line::word(size_t i) const {
    expect_kind(*this, i, Token::Kind::Word);
    return tokens_[i].text;
}

std::string Line::string(size_t i) const {
    expect_kind(*this, i, Token::Kind::String);
    return tokens_[i].text;
}

UInt32 Line::fourcc(size_t i) const {
    expect_kind(*this, i, Token::Kind::FourCC);
    const std::string& t = tokens_[i].text;
    return (UInt32(UInt8(t[0])) << 24) | (UInt32(UInt8(t[1])) << 16) | (UInt32(UInt8(t[2])) << 8) |
           UInt32(UInt8(t[3]));
}

SInt64 Line::integer(size_t i, SInt64 min, SInt64 max, const std::vector<NamedValue>& names) const {
    const std::string text = word(i);
    SInt64 value = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos) bar = text.size();
        const std::string part = text.substr(start, bar - start);
        SInt64 v = 0;
        bool found = false;
        for (const NamedValue& n : names)
            if (part == n.name) {
                v = n.value;
                found = true;
            }
        if (!found) {
            errno = 0;
            char* end = nullptr;
            const bool hex = part.rfind("0x", 0) == 0 || part.rfind("0X", 0) == 0 ||
                             part.rfind("-0x", 0) == 0 || part.rfind("-0X", 0) == 0;
            long long parsed = std::strtoll(part.c_str(), &end, hex ? 16 : 10);
            if (part.empty() || *end != '\0' || errno == ERANGE) error("'" + part + "' is not a number");
            v = parsed;
        }
        value = start == 0 ? v : (value | v);
        if (bar == text.size()) break;
        start = bar + 1;
    }
    if (value < min || value > max)
        error("'" + text + "' is out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
    return value;
}

double Line::real(size_t i, double min, double max) const {
    const std::string text = word(i);
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v)) error("'" + text + "' is not a number");
    if (v < min || v > max) error("'" + text + "' is out of range");
    return v;
}

}  // namespace rescompile
