// Raw bodies: bytes listed as they are, for any type. Also where a block's
// type picks its body, and where bodies read the files they name.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "Body.h"
#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"

namespace rescompile {
namespace {

using platform::ByteWriter;

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class RawBody final : public Body {
public:
    explicit RawBody(const BlockInfo& info) : info_(info) {}

    void line(const Line& l) override {
        const std::string k = l.keyword();
        if (k == "hex") {
            for (size_t i = 1; i < l.size(); ++i) append_hex(l, l.word(i));
        } else if (k == "text") {
            l.expect_size(2, 2, "text \"bytes\"");
            std::string s = l.string(1);
            w_.bytes(s.data(), s.size());
        } else if (k == "pstring") {
            l.expect_size(2, 2, "pstring \"text\"");
            std::string s = l.string(1);
            if (s.size() > 255) l.error("a pstring has at most 255 bytes");
            w_.pstring(s);
        } else if (k == "type") {
            for (size_t i = 1; i < l.size(); ++i) w_.u32(l.fourcc(i));
        } else if (k == "zeros") {
            l.expect_size(2, 2, "zeros N");
            w_.zeros(size_t(l.integer(1, 0, 16 << 20)));
        } else if (k == "file") {
            l.expect_size(2, 2, "file \"path\"");
            auto bytes = read_named_file(l, l.string(1), info_.searchDirs);
            w_.bytes(bytes.data(), bytes.size());
        } else if (!append_number(l, k)) {
            l.error("unknown raw data line '" + k + "'");
        }
        if (w_.size() > (16u << 20)) l.error("a resource holds at most 16 MiB");
    }

    std::vector<Output> finish() override { return {Output{info_.type, info_.id, {}, w_.take()}}; }

private:
    void append_hex(const Line& l, const std::string& digits) {
        if (digits.size() % 2) l.error("hex bytes come in pairs of digits: '" + digits + "'");
        for (size_t i = 0; i < digits.size(); i += 2) {
            int hi = hex_value(digits[i]), lo = hex_value(digits[i + 1]);
            if (hi < 0 || lo < 0) l.error("'" + digits + "' is not hex");
            w_.u8(UInt8(hi * 16 + lo));
        }
    }

    bool append_number(const Line& l, const std::string& k) {
        struct Width {
            const char* word;
            int bytes;
            SInt64 min, max;
        };
        static const Width widths[] = {
            {"u8", 1, 0, 0xFF},          {"s8", 1, -128, 127},
            {"u16", 2, 0, 0xFFFF},       {"s16", 2, -32768, 32767},
            {"u32", 4, 0, 0xFFFFFFFFLL}, {"s32", 4, -0x80000000LL, 0x7FFFFFFF},
        };
        for (const Width& width : widths) {
            if (k != width.word) continue;
            if (l.size() < 2) l.error(k + " needs at least one value");
            for (size_t i = 1; i < l.size(); ++i) {
                UInt32 v = UInt32(l.integer(i, width.min, width.max));
                if (width.bytes == 1) w_.u8(UInt8(v));
                else if (width.bytes == 2) w_.u16(UInt16(v));
                else w_.u32(v);
            }
            return true;
        }
        return false;
    }

    BlockInfo info_;
    ByteWriter w_;
};

}  // namespace

std::unique_ptr<Body> make_raw_body(const BlockInfo& info) { return std::make_unique<RawBody>(info); }

std::unique_ptr<Body> make_body(const BlockInfo& info, bool raw) {
    using platform::fourcc;
    if (raw) return make_raw_body(info);
    switch (info.type) {
    case fourcc("MBAR"): return make_menu_bar_body(info);
    case fourcc("MENU"): return make_menu_body(info);
    case fourcc("DLOG"): return make_dialog_body(info);
    case fourcc("DITL"): return make_item_list_body(info);
    case fourcc("ALRT"): return make_alert_body(info);
    case fourcc("STR#"): return make_string_list_body(info);
    case fourcc("snd "): return make_sound_body(info);
    default: return make_raw_body(info);
    }
}

std::vector<UInt8> read_named_file(const Line& line, const std::string& name,
                                   const std::vector<std::string>& searchDirs) {
    std::vector<std::string> candidates;
    if (!name.empty() && name[0] == '/') candidates.push_back(name);
    else
        for (const auto& dir : searchDirs) candidates.push_back(dir + "/" + name);
    for (const auto& path : candidates) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) continue;
        // Only plain files: a device such as /dev/zero would never end.
        if (!S_ISREG(st.st_mode)) line.error("'" + name + "' is not a plain file");
        if (st.st_size > (64 << 20)) line.error("'" + name + "' is too large");
        std::ifstream in(path, std::ios::binary);
        if (!in) line.error("cannot read '" + name + "'");
        std::stringstream s;
        s << in.rdbuf();
        const std::string bytes = s.str();
        return std::vector<UInt8>(bytes.begin(), bytes.end());
    }
    line.error("cannot find '" + name + "' (looked beside the source and in the -I directories)");
}

}  // namespace rescompile
