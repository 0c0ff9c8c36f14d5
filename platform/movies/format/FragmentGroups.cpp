// Sample groups and dependency flags of track fragments joined into their
// tracks' sample tables. The layout is in FragmentGroups.h.
#include "platform/movies/format/FragmentGroups.h"

#include <algorithm>

namespace platform::movies {

namespace {

constexpr UInt32 kFragmentLocal = 0x10000;

struct GroupHeader {
    FullAtomHeader full;
    OSType type = 0;
    std::optional<UInt32> parameter;
};

Result<GroupHeader> read_sbgp_header(ByteReader& r) {
    GroupHeader h;
    h.full = TRY(read_full_header(r));
    h.type = TRY(r.u32());
    if (h.full.version == 1) h.parameter = TRY(r.u32());
    return h;
}

// An sgpd's entries, or nothing when they carry no length (version 0).
struct DescriptionList {
    FullAtomHeader full;
    OSType type = 0;
    UInt32 default_index = 0;
    std::optional<std::vector<std::vector<UInt8>>> entries;
};

Result<DescriptionList> read_sgpd(ByteReader r) {
    DescriptionList d;
    d.full = TRY(read_full_header(r));
    d.type = TRY(r.u32());
    const UInt32 default_length = d.full.version >= 1 ? TRY(r.u32()) : 0;
    if (d.full.version >= 2) d.default_index = TRY(r.u32());
    const UInt32 count = TRY(r.u32());
    if (d.full.version == 0 && count) return d;
    if (count > r.remaining() / std::max<UInt32>(default_length ? default_length : 4, 1))
        return bad_movie("a sample group description lists more entries than it holds");
    d.entries.emplace();
    for (UInt32 i = 0; i < count; ++i) {
        const UInt32 length = default_length ? default_length : TRY(r.u32());
        const auto bytes = TRY(r.bytes(length));
        d.entries->emplace_back(bytes.begin(), bytes.end());
    }
    return d;
}

Result<std::vector<std::pair<UInt32, UInt32>>> read_runs(ByteReader& r) {
    const UInt32 count = TRY(r.u32());
    if (count > r.remaining() / 8) return bad_movie("a sample group lists more entries than it holds");
    std::vector<std::pair<UInt32, UInt32>> runs;
    for (UInt32 i = 0; i < count; ++i) {
        const UInt32 samples = TRY(r.u32());
        runs.emplace_back(samples, TRY(r.u32()));
    }
    return runs;
}

void add_run(std::vector<std::pair<UInt32, UInt32>>& runs, UInt32 samples, UInt32 index) {
    if (!samples) return;
    if (!runs.empty() && runs.back().second == index) runs.back().first += samples;
    else runs.emplace_back(samples, index);
}

// The body of a kept atom.
ByteReader body_of(const RawAtom& atom) {
    ByteReader r(atom.bytes, invalidMovie);
    auto header = parse_atom_header(r, atom.bytes.size(), false);
    return header.ok() ? ByteReader(r.data().subspan(header->header_size, size_t(header->body_size())), invalidMovie)
                       : ByteReader();
}

}  // namespace

// The track's groups and flags as its moov gave them, for the `samples` it
// listed.
FragmentGroups::TrackGroups& FragmentGroups::start(Track& track, UInt32 samples) {
    auto [at, fresh] = tracks_.try_emplace(&track);
    TrackGroups& g = at->second;
    if (!fresh) return g;
    bool have_flags = false;
    for (const auto& [after, atom] : track.media.kept_stbl.atoms()) {
        ByteReader r = body_of(atom);
        if (atom.type == kSbgp) {
            auto header = read_sbgp_header(r);
            if (!header.ok()) continue;   // unreadable: dropped
            auto runs = read_runs(r);
            if (!runs.ok()) {
                g.broken.push_back(header->type);
                continue;
            }
            auto [slot, first] = g.mappings.try_emplace(GroupKey{header->type, header->parameter});
            if (!first) continue;   // a second one of the same grouping is dropped
            Mapping& m = slot->second;
            for (const auto& [n, index] : *runs) {
                const UInt32 take = std::min(n, samples - m.mapped);
                add_run(m.runs, take, index);
                m.mapped += take;
            }
            m.as_read = atom.bytes;
        } else if (atom.type == kSgpd) {
            auto list = read_sgpd(r);
            if (!list.ok() || g.descriptions.count(list->type)) continue;
            Descriptions& d = g.descriptions[list->type];
            d.full = list->full;
            d.default_index = list->default_index;
            d.measured = list->entries.has_value();
            if (list->entries) d.entries = std::move(*list->entries);
            d.as_read = atom.bytes;
        } else if (atom.type == kSdtp && !have_flags) {
            have_flags = true;
            if (!read_full_header(r).ok() || r.remaining() < samples) continue;
            const auto bytes = r.bytes(samples).value();
            g.flags.assign(bytes.begin(), bytes.end());
        }
    }
    g.flags_whole = have_flags || samples == 0;
    return g;
}

Result<void> FragmentGroups::add(Track& track, UInt32 before, UInt32 count, std::span<const ChildAtom> atoms) {
    TrackGroups& g = start(track, before);
    auto is_broken = [&](OSType type) { return std::find(g.broken.begin(), g.broken.end(), type) != g.broken.end(); };
    auto drop = [&](OSType type) {
        g.broken.push_back(type);
        g.descriptions.erase(type);
        std::erase_if(g.mappings, [&](const auto& m) { return m.first.type == type; });
    };

    // The traf's own descriptions go after the track's.
    std::map<OSType, UInt32> local_base, local_count;
    for (const ChildAtom& c : atoms) {
        if (c.header.type != kSgpd) continue;
        DescriptionList list = TRY(read_sgpd(c.body));
        if (is_broken(list.type) || local_base.count(list.type)) continue;
        Descriptions& d = g.descriptions[list.type];
        if (d.as_read.empty() && !d.grew) d.full = list.full;
        if (!list.entries || !d.measured) {
            drop(list.type);
            continue;
        }
        local_base[list.type] = UInt32(d.entries.size());
        local_count[list.type] = UInt32(list.entries->size());
        for (auto& e : *list.entries) d.entries.push_back(std::move(e));
        d.grew = true;
    }

    for (const ChildAtom& c : atoms) {
        if (c.header.type != kSbgp) continue;
        ByteReader r = c.body;
        const GroupHeader header = TRY(read_sbgp_header(r));
        const auto runs = TRY(read_runs(r));
        if (is_broken(header.type)) continue;
        Mapping& m = g.mappings[GroupKey{header.type, header.parameter}];
        m.as_read.clear();
        const auto d = g.descriptions.find(header.type);
        const UInt32 unmapped = d != g.descriptions.end() && d->second.full.version >= 2 ? d->second.default_index : 0;
        add_run(m.runs, before - m.mapped, unmapped);
        m.mapped = before;
        bool named_missing = false;
        for (auto [n, index] : runs) {
            if (m.mapped == before + count) break;
            n = std::min(n, before + count - m.mapped);
            if (index > kFragmentLocal) {
                const auto local = local_count.find(header.type);
                named_missing |= local == local_count.end() || index - kFragmentLocal > local->second;
                if (named_missing) break;
                index = local_base[header.type] + (index - kFragmentLocal);
            }
            add_run(m.runs, n, index);
            m.mapped += n;
        }
        if (named_missing) drop(header.type);
    }

    if (!g.flags_whole) return ok();
    auto sdtp = std::find_if(atoms.begin(), atoms.end(), [](const ChildAtom& c) { return c.header.type == kSdtp; });
    ByteReader r = sdtp != atoms.end() ? sdtp->body : ByteReader();
    if (sdtp == atoms.end() || g.flags.size() != before || !read_full_header(r).ok() || r.remaining() < count) {
        g.flags_whole = false;
        g.flags.clear();
        return ok();
    }
    const auto bytes = r.bytes(count).value();
    g.flags.insert(g.flags.end(), bytes.begin(), bytes.end());
    return ok();
}

void FragmentGroups::finish() {
    for (auto& [track, g] : tracks_) {
        KeptAtoms& stbl = track->media.kept_stbl;
        static constexpr OSType kJoined[] = {kSbgp, kSgpd, kSdtp};
        stbl.drop(kJoined);
        for (const auto& [key, m] : g.mappings) {
            if (!m.as_read.empty()) {
                stbl.keep(kStco, m.as_read);
                continue;
            }
            ByteWriter w;
            const size_t at = begin_atom(w, kSbgp);
            write_full_header(w, FullAtomHeader{UInt8(key.parameter ? 1 : 0), 0});
            w.u32(key.type);
            if (key.parameter) w.u32(*key.parameter);
            w.u32(UInt32(m.runs.size()));
            for (const auto& [n, index] : m.runs) w.u32(n), w.u32(index);
            if (end_atom(w, at).ok()) stbl.keep(kStco, w.bytes());
        }
        for (const auto& [type, d] : g.descriptions) {
            if (std::find(g.broken.begin(), g.broken.end(), type) != g.broken.end()) continue;
            if (!d.grew) {
                stbl.keep(kStco, d.as_read);
                continue;
            }
            const auto& entries = d.entries;
            const bool same = std::all_of(entries.begin(), entries.end(),
                                          [&](const auto& e) { return e.size() == entries.front().size(); });
            const UInt32 length = same && !entries.empty() ? UInt32(entries.front().size()) : 0;
            ByteWriter w;
            const size_t at = begin_atom(w, kSgpd);
            write_full_header(w, FullAtomHeader{std::max<UInt8>(d.full.version, 1), d.full.flags});
            w.u32(type);
            w.u32(length);
            if (d.full.version >= 2) w.u32(d.default_index);
            w.u32(UInt32(d.entries.size()));
            for (const auto& e : d.entries) {
                if (!length) w.u32(UInt32(e.size()));
                w.bytes(e);
            }
            if (end_atom(w, at).ok()) stbl.keep(kStco, w.bytes());
        }
        if (g.flags_whole && g.flags.size() == track->media.samples.sample_count()) {
            ByteWriter w;
            const size_t at = begin_atom(w, kSdtp);
            write_full_header(w, FullAtomHeader{});
            w.bytes(g.flags);
            if (end_atom(w, at).ok()) stbl.keep(kStco, w.bytes());
        }
    }
    tracks_.clear();
}

}  // namespace platform::movies
