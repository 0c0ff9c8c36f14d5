// Source.h — one line of resource source, split into tokens, and the error
// every part of the compiler reports with (file:line: message).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace rescompile {

struct CompileError : std::runtime_error {
    CompileError(const std::string& file, int line, const std::string& message)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + message),
          file(file), line(line), message(message) {}
    std::string file;
    int line;
    std::string message;
};

struct Token {
    enum class Kind { Word, String, FourCC };
    Kind kind = Kind::Word;
    std::string text;   // the word, the string's bytes, or the code's four bytes
};

// A named integer constant a field accepts besides plain numbers.
struct NamedValue {
    const char* name;
    SInt64 value;
};

class Line {
public:
    Line(std::string file, int number, std::vector<Token> tokens)
        : file_(std::move(file)), number_(number), tokens_(std::move(tokens)) {}

    const std::string& file() const { return file_; }
    int number() const { return number_; }
    size_t size() const { return tokens_.size(); }
    bool empty() const { return tokens_.empty(); }
    const Token& token(size_t i) const;

    [[noreturn]] void error(const std::string& message) const { throw CompileError(file_, number_, message); }

    // The keyword that starts the line ("" for none).
    std::string keyword() const;
    bool is_word(size_t i, const char* word) const;
    // Fails unless the line has between min and max tokens.
    void expect_size(size_t min, size_t max, const char* usage) const;

    std::string word(size_t i) const;
    std::string string(size_t i) const;       // a "quoted" string
    UInt32 fourcc(size_t i) const;            // a 'TYPE' literal
    // An integer in [min, max]: decimal, 0x hex, a named value, or several
    // of those joined with '|' (bitwise or).
    SInt64 integer(size_t i, SInt64 min, SInt64 max,
                   const std::vector<NamedValue>& names = {}) const;
    double real(size_t i, double min, double max) const;

private:
    std::string file_;
    int number_;
    std::vector<Token> tokens_;
};

// Splits source text into lines of tokens. Blank and comment-only lines are
// kept (empty) so line numbers stay right. Comments start with '#' outside
// quotes. Strings take the escapes \" \\ \n \t and \xNN.
std::vector<Line> tokenize(const std::string& file, const std::string& text);

}  // namespace rescompile
