// Body.h — the builders for the bodies of `resource ... end` blocks.
//
// A body takes the block's lines one at a time, then finish() returns the
// resources it makes: the one the block names, and for 'MENU' possibly an
// 'xmnu' beside it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Source.h"
#include "platform/Types.h"

namespace rescompile {

struct Output {
    ResType type;
    SInt16 id;
    std::optional<std::string> name;
    std::vector<UInt8> data;
};

// What a body knows of its block.
struct BlockInfo {
    ResType type;
    SInt16 id;
    std::optional<std::string> name;
    const Line* header;                  // the `resource` line, for errors
    std::vector<std::string> searchDirs; // where files named in the body are looked for
};

class Body {
public:
    virtual ~Body() = default;
    virtual void line(const Line& line) = 0;
    virtual std::vector<Output> finish() = 0;
};

// The typed body for `info.type`, or the raw body when `raw` is set or the
// type has no typed form.
std::unique_ptr<Body> make_body(const BlockInfo& info, bool raw);

std::unique_ptr<Body> make_menu_bar_body(const BlockInfo& info);
std::unique_ptr<Body> make_menu_body(const BlockInfo& info);
std::unique_ptr<Body> make_dialog_body(const BlockInfo& info);
std::unique_ptr<Body> make_item_list_body(const BlockInfo& info);
std::unique_ptr<Body> make_alert_body(const BlockInfo& info);
std::unique_ptr<Body> make_string_list_body(const BlockInfo& info);
std::unique_ptr<Body> make_sound_body(const BlockInfo& info);
std::unique_ptr<Body> make_raw_body(const BlockInfo& info);

// Reads a file named in a body: an absolute path as it is, otherwise the
// first match among the search directories. Errors name `line`.
std::vector<UInt8> read_named_file(const Line& line, const std::string& name,
                                   const std::vector<std::string>& searchDirs);

}  // namespace rescompile
