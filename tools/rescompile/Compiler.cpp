/*
 * The resource source format.
 *
 * Text, one statement a line; '#' starts a comment (outside quotes). Each
 * resource is a block:
 *
 *     resource 'TYPE' ID ["name"] [raw] [purgeable] [locked] [preload] [protected] [sysheap]
 *         ...body lines...
 *     end
 *
 * 'TYPE' is exactly four characters (escapes \xNN allowed); ID is -32768 to
 * 32767; a type and ID may appear once. Strings are "quoted", UTF-8 bytes
 * as written, with the escapes \" \\ \n \t \xNN. Numbers are decimal or 0x
 * hex; where a field has named values, they may be joined with '|'.
 *
 * Typed bodies (rect = top left bottom right):
 *
 *   'MBAR'   menu ID                     (one line per menu, in order)
 *   'MENU'   title "text"                (required)
 *            id N | proc N | disabled    (menu ID defaults to the resource ID)
 *            item "text" [key C] [shift] [option] [control] [nocommand]
 *                        [mark N] [icon N] [style N] [disabled]
 *            separator
 *            Modifier keys do not fit a 'MENU'; an item with any makes the
 *            compiler add an 'xmnu' of the same ID (layout in MenuBodies.cpp).
 *   'DLOG'   bounds rect | proc N|documentProc|dBoxProc|plainDBoxProc|
 *            altDBoxProc|noGrowDocProc|movableDBoxProc | visible | invisible |
 *            goaway | refcon N | items ID | title "text"
 *   'DITL'   button|checkbox|radio|static|edit "text" rect [disabled]
 *            user rect [disabled]
 *            control|icon|picture ID rect [disabled]
 *   'ALRT'   bounds rect | items ID | stages N
 *   'STR#'   string "text"               (one line per string, in order)
 *   'snd '   see SoundBody.cpp
 *
 * Raw bodies (the `raw` flag, or any type without a typed form) list bytes:
 *
 *     hex 00 01 0203 ...      text "bytes"        pstring "text"
 *     u8|u16|u32|s8|s16|s32 N ...                  type 'CODE'
 *     zeros N                 file "path"
 *
 * Any body may end with `truncate N`, which cuts the resource to its first N
 * bytes (for making damaged resources on purpose).
 *
 * Files named in bodies are looked for beside the source file, then in the
 * -I directories. Every error is reported as file:line: message.
 */
#include "Compiler.h"

#include <fstream>
#include <sstream>

#include "Body.h"
#include "platform/resources/ResourceFile.h"

namespace rescompile {
namespace {

constexpr NamedValue kAttributeNames[] = {
    {"sysheap", 64}, {"purgeable", 32}, {"locked", 16}, {"protected", 8}, {"preload", 4},
};

std::string type_text(ResType t) {
    std::string s = "'";
    for (int shift = 24; shift >= 0; shift -= 8) s.push_back(char(t >> shift));
    return s + "'";
}

}  // namespace

void Compiler::compile_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CompileError(path, 0, "cannot read the file");
    std::stringstream text;
    text << in.rdbuf();
    auto slash = path.rfind('/');
    compile_text(path, text.str(), slash == std::string::npos ? "." : path.substr(0, slash));
}

void Compiler::compile_text(const std::string& fileName, const std::string& text,
                            const std::string& baseDir) {
    const std::vector<Line> lines = tokenize(fileName, text);
    std::vector<std::string> dirs{baseDir};
    dirs.insert(dirs.end(), includeDirs_.begin(), includeDirs_.end());

    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& head = lines[i];
        if (head.empty()) continue;
        if (head.keyword() == "end") head.error("'end' without a resource");
        if (head.keyword() != "resource") head.error("expected 'resource', found '" + head.token(0).text + "'");

        BlockInfo info;
        info.type = head.fourcc(1);
        info.id = SInt16(head.integer(2, -32768, 32767));
        info.header = &head;
        info.searchDirs = dirs;
        bool raw = false;
        UInt8 attributes = 0;
        for (size_t t = 3; t < head.size(); ++t) {
            const Token& tok = head.token(t);
            if (tok.kind == Token::Kind::String && t == 3) {
                if (tok.text.size() > 255) head.error("a resource name has at most 255 bytes");
                info.name = tok.text;
                continue;
            }
            if (head.is_word(t, "raw")) {
                raw = true;
                continue;
            }
            bool known = false;
            for (const NamedValue& a : kAttributeNames)
                if (head.is_word(t, a.name)) {
                    attributes |= UInt8(a.value);
                    known = true;
                }
            if (!known) head.error("unexpected '" + tok.text + "' after the resource ID");
        }

        std::unique_ptr<Body> body = make_body(info, raw);
        std::optional<size_t> truncateTo;
        const Line* truncateLine = nullptr;
        size_t j = i + 1;
        for (; j < lines.size(); ++j) {
            const Line& l = lines[j];
            if (l.empty()) continue;
            if (l.keyword() == "end") {
                l.expect_size(1, 1, "end");
                break;
            }
            if (l.keyword() == "resource") l.error("missing 'end' before the next resource");
            if (truncateTo) l.error("'truncate' must be the last line of a body");
            if (l.keyword() == "truncate") {
                l.expect_size(2, 2, "truncate N");
                truncateTo = size_t(l.integer(1, 0, 0x7FFFFFFF));
                truncateLine = &l;
                continue;
            }
            body->line(l);
        }
        if (j == lines.size()) head.error("this resource has no 'end'");

        std::vector<Output> outputs = body->finish();
        if (truncateTo) {
            if (*truncateTo > outputs.front().data.size())
                truncateLine->error("cannot truncate to " + std::to_string(*truncateTo) + " bytes: the resource has " +
                                    std::to_string(outputs.front().data.size()));
            outputs.front().data.resize(*truncateTo);
        }
        // The name and attributes belong to the resource the block names.
        outputs.front().name = info.name;
        for (size_t k = 0; k < outputs.size(); ++k) add(head, std::move(outputs[k]), k == 0 ? attributes : 0);
        i = j;
    }
}

void Compiler::add(const Line& at, Output out, UInt8 attributes) {
    for (const Seen& s : seen_)
        if (s.type == out.type && s.id == out.id)
            at.error("duplicate resource " + type_text(out.type) + " " + std::to_string(out.id) +
                     " (first made at " + s.where + ")");
    seen_.push_back({out.type, out.id, at.file() + ":" + std::to_string(at.number())});
    auto r = file_.add(out.type, out.id, std::move(out.name), std::move(out.data), attributes);
    if (!r) at.error(r.error().message);
}

}  // namespace rescompile
