#include "AtomDump.h"

#include "platform/movies/format/DataReferences.h"
#include "platform/movies/format/EditList.h"
#include "platform/movies/format/Headers.h"
#include "platform/movies/format/SampleDescriptions.h"
#include "platform/movies/format/UserData.h"

using namespace platform;
using namespace platform::movies;

namespace movdump {

namespace {

// Atoms loaded to print their insides; mdat and big unknown atoms are not.
constexpr UInt64 kLoadLimit = UInt64(1) << 30;

template <class Atom>
void dump_parsed(std::ostream& out, ByteReader body, int level) {
    auto a = Atom::parse(body);
    if (a.ok()) a->dump(out, level);
    else out << indent(level) << "unreadable: " << a.error().message << "\n";
}

void dump_table_count(std::ostream& out, ByteReader body, int level, const char* what) {
    auto skip = body.skip(4);
    auto count = body.u32();
    if (skip.ok() && count.ok()) out << indent(level) << *count << " " << what << "\n";
    else out << indent(level) << "unreadable\n";
}

void dump_leaf(std::ostream& out, OSType type, ByteReader body, int level) {
    switch (type) {
    case kFtyp: return dump_parsed<FileType>(out, body, level);
    case kMvhd: return dump_parsed<MovieHeader>(out, body, level);
    case kTkhd: return dump_parsed<TrackHeader>(out, body, level);
    case kMdhd: return dump_parsed<MediaHeader>(out, body, level);
    case kHdlr: return dump_parsed<Handler>(out, body, level);
    case kVmhd: return dump_parsed<VideoMediaHeader>(out, body, level);
    case kSmhd: return dump_parsed<SoundMediaHeader>(out, body, level);
    case kElst: return dump_parsed<EditList>(out, body, level);
    case kDref: return dump_parsed<DataReferences>(out, body, level);
    case kStsd: {
        auto s = SampleDescriptions::parse(body);
        if (!s.ok()) {
            out << indent(level) << "unreadable: " << s.error().message << "\n";
            return;
        }
        out << indent(level) << s->entries.size() << " description(s):";
        for (const auto& e : s->entries) out << " '" << fourcc_string(e.format()) << "'";
        out << "\n";
        return;
    }
    case kStts: return dump_table_count(out, body, level, "time-to-sample run(s)");
    case kStss: return dump_table_count(out, body, level, "sync sample(s)");
    case kStsc: return dump_table_count(out, body, level, "sample-to-chunk run(s)");
    case kStco: case kCo64: return dump_table_count(out, body, level, "chunk offset(s)");
    case kStsz: {
        auto skip = body.skip(4);
        auto constant = body.u32();
        auto count = body.u32();
        if (!skip.ok() || !constant.ok() || !count.ok()) {
            out << indent(level) << "unreadable\n";
        } else if (*constant) {
            out << indent(level) << *count << " sample(s) of " << *constant << " bytes\n";
        } else {
            out << indent(level) << *count << " sample size(s)\n";
        }
        return;
    }
    default:
        if (is_text_item(type)) {
            auto texts = parse_text_entries(body.data());
            if (texts.ok())
                for (const auto& t : *texts)
                    out << indent(level) << "[lang " << t.language << "] \"" << t.text << "\"\n";
        }
        return;
    }
}

void print_node(std::ostream& out, OSType type, UInt64 offset, UInt64 size, bool to_end, int level) {
    out << indent(level) << "'" << fourcc_string(type) << "' @" << offset << " size " << size
        << (to_end ? " (to the end of the file)" : "") << "\n";
}

}  // namespace

Result<void> print_atom_tree(std::ostream& out, DataFile& file) {
    Result<void> inner = ok();
    auto end = TRY(walk_top_level(file, [&](const TopAtom& a) {
        print_node(out, a.type, a.offset, a.size, a.to_end, 0);
        if (a.type == kMdat || a.type == kFree || a.type == kSkip || a.type == kWide) return true;
        if (a.type != kFtyp && !is_container(a.type)) return true;
        auto bytes = read_top_atom(file, a, kLoadLimit);
        if (!bytes.ok()) {
            out << indent(1) << "not loaded: " << bytes.error().message << "\n";
            return true;
        }
        std::span<const UInt8> body = std::span<const UInt8>(*bytes).subspan(a.header_size);
        if (a.type == kFtyp) {
            dump_leaf(out, kFtyp, ByteReader(body, invalidMovie), 1);
            return true;
        }
        inner = walk_atom_tree(body, a.offset + a.header_size, 1, [&](const AtomNode& n, ByteReader b) {
            print_node(out, n.header.type, n.offset, n.header.size, false, n.depth);
            if (!is_container(n.header.type)) dump_leaf(out, n.header.type, b, n.depth + 1);
        });
        return inner.ok();
    }));
    TRY(inner);
    if (end.damaged)
        out << "note: what follows offset " << end.end << " is not a whole atom ("
            << end.damage.message << ")\n";
    return ok();
}

}  // namespace movdump
