#include "platform/movies/format/Headers.h"

namespace platform::movies {

namespace {

Result<UInt64> read_time(ByteReader& r, UInt8 version) {
    if (version == 1) return TRY_AS(r.u64(), invalidMovie);
    return UInt64(TRY_AS(r.u32(), invalidMovie));
}

void write_time(ByteWriter& w, UInt8 version, UInt64 v) {
    if (version == 1) w.u64(v);
    else w.u32(UInt32(v));
}

// Version 1 holds 64-bit times; a version-0 atom whose values no longer
// fit is written as version 1.
UInt8 version_for(UInt8 version, std::initializer_list<UInt64> times) {
    if (version == 1) return 1;
    for (UInt64 t : times)
        if (t > 0xFFFFFFFFu) return 1;
    return 0;
}

Result<UInt8> known_version(ByteReader& r, FullAtomHeader* full) {
    *full = TRY(read_full_header(r));
    if (full->version > 1) return bad_movie("unknown atom version");
    return full->version;
}

Result<Matrix> read_matrix(ByteReader& r) {
    Matrix m;
    for (auto& v : m) v = TRY_AS(r.s32(), invalidMovie);
    return m;
}

void write_matrix(ByteWriter& w, const Matrix& m) {
    for (SInt32 v : m) w.s32(v);
}

std::vector<UInt8> rest(ByteReader& r) {
    auto s = r.bytes(r.remaining()).value();
    return {s.begin(), s.end()};
}

std::string matrix_string(const Matrix& m) {
    if (m == kIdentityMatrix) return "identity";
    std::string s;
    for (size_t i = 0; i < m.size(); ++i) {
        if (i) s += (i % 3 == 0) ? " / " : " ";
        s += fixed_string(m[i]);
    }
    return s;
}

}  // namespace

// --- ftyp

FileType FileType::for_name(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return FileType{};
    std::string ext;
    for (char c : path.substr(dot + 1)) ext += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ext != "mp4" && ext != "m4v" && ext != "m4a") return FileType{};
    FileType f;
    f.major_brand = fourcc("isom");
    f.minor_version = 0x200;
    f.compatible = {fourcc("isom"), fourcc("iso2"), fourcc("mp41"), fourcc("mp42")};
    return f;
}

Result<FileType> FileType::parse(ByteReader r) {
    FileType f;
    f.major_brand = TRY_AS(r.u32(), invalidMovie);
    f.minor_version = TRY_AS(r.u32(), invalidMovie);
    f.compatible.clear();
    while (r.remaining() >= 4) f.compatible.push_back(r.u32().value());
    return f;
}

Result<void> FileType::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kFtyp);
    w.u32(major_brand);
    w.u32(minor_version);
    for (OSType b : compatible) w.u32(b);
    return end_atom(w, at);
}

void FileType::dump(std::ostream& out, int level) const {
    out << indent(level) << "brand '" << fourcc_string(major_brand) << "', minor version 0x"
        << std::hex << minor_version << std::dec << ", compatible";
    for (OSType b : compatible) out << " '" << fourcc_string(b) << "'";
    out << "\n";
}

// --- mvhd

Result<MovieHeader> MovieHeader::parse(ByteReader r) {
    MovieHeader h;
    UInt8 v = TRY(known_version(r, &h.full));
    h.creation_time = TRY(read_time(r, v));
    h.modification_time = TRY(read_time(r, v));
    h.time_scale = TRY_AS(r.u32(), invalidMovie);
    h.duration = TRY(read_time(r, v));
    h.preferred_rate = TRY_AS(r.s32(), invalidMovie);
    h.preferred_volume = TRY_AS(r.s16(), invalidMovie);
    TRY_AS(r.skip(10), invalidMovie);
    h.matrix = TRY(read_matrix(r));
    h.preview_time = TRY_AS(r.u32(), invalidMovie);
    h.preview_duration = TRY_AS(r.u32(), invalidMovie);
    h.poster_time = TRY_AS(r.u32(), invalidMovie);
    h.selection_time = TRY_AS(r.u32(), invalidMovie);
    h.selection_duration = TRY_AS(r.u32(), invalidMovie);
    h.current_time = TRY_AS(r.u32(), invalidMovie);
    h.next_track_id = TRY_AS(r.u32(), invalidMovie);
    h.extra = rest(r);
    if (h.time_scale == 0) return bad_movie("movie time scale is 0");
    return h;
}

Result<void> MovieHeader::write(ByteWriter& w) const {
    UInt8 v = version_for(full.version, {creation_time, modification_time, duration});
    size_t at = begin_atom(w, kMvhd);
    write_full_header(w, {v, full.flags});
    write_time(w, v, creation_time);
    write_time(w, v, modification_time);
    w.u32(time_scale);
    write_time(w, v, duration);
    w.s32(preferred_rate);
    w.s16(preferred_volume);
    w.zeros(10);
    write_matrix(w, matrix);
    for (UInt32 x : {preview_time, preview_duration, poster_time, selection_time,
                     selection_duration, current_time, next_track_id})
        w.u32(x);
    w.bytes(extra);
    return end_atom(w, at);
}

void MovieHeader::dump(std::ostream& out, int level) const {
    std::string in = indent(level);
    out << in << "version " << int(full.version) << ", time scale " << time_scale
        << ", duration " << duration << ", preferred rate " << fixed_string(preferred_rate)
        << ", preferred volume " << fixed8_string(preferred_volume) << "\n";
    out << in << "matrix " << matrix_string(matrix) << "\n";
    out << in << "preview " << preview_time << "+" << preview_duration << ", poster "
        << poster_time << ", selection " << selection_time << "+" << selection_duration
        << ", current " << current_time << ", next track ID " << next_track_id << "\n";
}

// --- tkhd

Result<TrackHeader> TrackHeader::parse(ByteReader r) {
    TrackHeader h;
    UInt8 v = TRY(known_version(r, &h.full));
    h.creation_time = TRY(read_time(r, v));
    h.modification_time = TRY(read_time(r, v));
    h.track_id = TRY_AS(r.u32(), invalidMovie);
    TRY_AS(r.skip(4), invalidMovie);
    h.duration = TRY(read_time(r, v));
    TRY_AS(r.skip(8), invalidMovie);
    h.layer = TRY_AS(r.s16(), invalidMovie);
    h.alternate_group = TRY_AS(r.s16(), invalidMovie);
    h.volume = TRY_AS(r.s16(), invalidMovie);
    TRY_AS(r.skip(2), invalidMovie);
    h.matrix = TRY(read_matrix(r));
    h.width = TRY_AS(r.s32(), invalidMovie);
    h.height = TRY_AS(r.s32(), invalidMovie);
    h.extra = rest(r);
    return h;
}

Result<void> TrackHeader::write(ByteWriter& w) const {
    UInt8 v = version_for(full.version, {creation_time, modification_time, duration});
    size_t at = begin_atom(w, kTkhd);
    write_full_header(w, {v, full.flags});
    write_time(w, v, creation_time);
    write_time(w, v, modification_time);
    w.u32(track_id);
    w.u32(0);
    write_time(w, v, duration);
    w.zeros(8);
    w.s16(layer);
    w.s16(alternate_group);
    w.s16(volume);
    w.u16(0);
    write_matrix(w, matrix);
    w.s32(width);
    w.s32(height);
    w.bytes(extra);
    return end_atom(w, at);
}

void TrackHeader::dump(std::ostream& out, int level) const {
    std::string in = indent(level);
    out << in << "version " << int(full.version) << ", track ID " << track_id << ", flags 0x"
        << std::hex << full.flags << std::dec << " (" << ((full.flags & kTrackEnabled) ? "enabled" : "disabled")
        << ((full.flags & kTrackInMovie) ? ", in movie" : "")
        << ((full.flags & kTrackInPreview) ? ", in preview" : "")
        << ((full.flags & kTrackInPoster) ? ", in poster" : "") << ")\n";
    out << in << "duration " << duration << ", layer " << layer << ", alternate group "
        << alternate_group << ", volume " << fixed8_string(volume) << ", size "
        << fixed_string(width) << " x " << fixed_string(height) << "\n";
    out << in << "matrix " << matrix_string(matrix) << "\n";
}

// --- mdhd

Result<MediaHeader> MediaHeader::parse(ByteReader r) {
    MediaHeader h;
    UInt8 v = TRY(known_version(r, &h.full));
    h.creation_time = TRY(read_time(r, v));
    h.modification_time = TRY(read_time(r, v));
    h.time_scale = TRY_AS(r.u32(), invalidMovie);
    h.duration = TRY(read_time(r, v));
    h.language = TRY_AS(r.u16(), invalidMovie);
    h.quality = TRY_AS(r.u16(), invalidMovie);
    h.extra = rest(r);
    if (h.time_scale == 0) return fail(invalidMedia, "media time scale is 0");
    return h;
}

Result<void> MediaHeader::write(ByteWriter& w) const {
    UInt8 v = version_for(full.version, {creation_time, modification_time, duration});
    size_t at = begin_atom(w, kMdhd);
    write_full_header(w, {v, full.flags});
    write_time(w, v, creation_time);
    write_time(w, v, modification_time);
    w.u32(time_scale);
    write_time(w, v, duration);
    w.u16(language);
    w.u16(quality);
    w.bytes(extra);
    return end_atom(w, at);
}

void MediaHeader::dump(std::ostream& out, int level) const {
    out << indent(level) << "version " << int(full.version) << ", time scale " << time_scale
        << ", duration " << duration << ", language " << language << ", quality " << quality
        << "\n";
}

// --- hdlr

Handler Handler::make(OSType component_type, OSType subtype, const std::string& name) {
    Handler h;
    h.component_type = component_type;
    h.subtype = subtype;
    ByteWriter w;
    w.pstring(name);
    h.name_bytes = w.take();
    return h;
}

std::string Handler::name() const {
    const auto& b = name_bytes;
    if (b.empty()) return {};
    if (size_t(b[0]) + 1 == b.size()) return std::string(b.begin() + 1, b.end());
    size_t n = 0;
    while (n < b.size() && b[n] != 0) ++n;
    return std::string(b.begin(), b.begin() + long(n));
}

Result<Handler> Handler::parse(ByteReader r) {
    Handler h;
    h.full = TRY(read_full_header(r));
    h.component_type = TRY_AS(r.u32(), invalidMovie);
    h.subtype = TRY_AS(r.u32(), invalidMovie);
    h.manufacturer = TRY_AS(r.u32(), invalidMovie);
    h.flags = TRY_AS(r.u32(), invalidMovie);
    h.flags_mask = TRY_AS(r.u32(), invalidMovie);
    h.name_bytes = rest(r);
    return h;
}

Result<void> Handler::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kHdlr);
    write_full_header(w, full);
    w.u32(component_type);
    w.u32(subtype);
    w.u32(manufacturer);
    w.u32(flags);
    w.u32(flags_mask);
    w.bytes(name_bytes);
    return end_atom(w, at);
}

void Handler::dump(std::ostream& out, int level) const {
    out << indent(level) << "component '" << fourcc_string(component_type) << "', subtype '"
        << fourcc_string(subtype) << "', manufacturer '" << fourcc_string(manufacturer)
        << "', name \"" << name() << "\"\n";
}

// --- vmhd

Result<VideoMediaHeader> VideoMediaHeader::parse(ByteReader r) {
    VideoMediaHeader h;
    h.full = TRY(read_full_header(r));
    h.graphics_mode = TRY_AS(r.u16(), invalidMovie);
    for (auto& c : h.opcolor) c = TRY_AS(r.u16(), invalidMovie);
    h.extra = rest(r);
    return h;
}

Result<void> VideoMediaHeader::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kVmhd);
    write_full_header(w, full);
    w.u16(graphics_mode);
    for (UInt16 c : opcolor) w.u16(c);
    w.bytes(extra);
    return end_atom(w, at);
}

void VideoMediaHeader::dump(std::ostream& out, int level) const {
    out << indent(level) << "graphics mode 0x" << std::hex << graphics_mode << std::dec
        << ", opcolor " << opcolor[0] << " " << opcolor[1] << " " << opcolor[2] << "\n";
}

// --- smhd

Result<SoundMediaHeader> SoundMediaHeader::parse(ByteReader r) {
    SoundMediaHeader h;
    h.full = TRY(read_full_header(r));
    h.balance = TRY_AS(r.s16(), invalidMovie);
    TRY_AS(r.skip(2), invalidMovie);
    h.extra = rest(r);
    return h;
}

Result<void> SoundMediaHeader::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kSmhd);
    write_full_header(w, full);
    w.s16(balance);
    w.u16(0);
    w.bytes(extra);
    return end_atom(w, at);
}

void SoundMediaHeader::dump(std::ostream& out, int level) const {
    out << indent(level) << "balance " << fixed8_string(balance) << "\n";
}

// --- gmhd

Result<GenericMediaHeader> GenericMediaHeader::parse(ByteReader body) {
    GenericMediaHeader g;
    ChildReader children(body);
    OSType last = 0;
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        if (c.header.type == kGmin && !g.info) {
            GenericMediaInfo i;
            i.full = TRY(read_full_header(c.body));
            i.graphics_mode = TRY_AS(c.body.u16(), invalidMovie);
            for (auto& v : i.opcolor) v = TRY_AS(c.body.u16(), invalidMovie);
            i.balance = TRY_AS(c.body.s16(), invalidMovie);
            TRY_AS(c.body.skip(2), invalidMovie);
            i.extra = rest(c.body);
            g.info = std::move(i);
            last = kGmin;
        } else {
            g.kept.keep(last, c.whole);
        }
    }
    g.kept.set_tail(children.tail());
    return g;
}

Result<void> GenericMediaHeader::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kGmhd);
    kept.write_after(w, 0);
    if (info) {
        size_t g = begin_atom(w, kGmin);
        write_full_header(w, info->full);
        w.u16(info->graphics_mode);
        for (UInt16 c : info->opcolor) w.u16(c);
        w.s16(info->balance);
        w.u16(0);
        w.bytes(info->extra);
        TRY(end_atom(w, g));
    }
    kept.write_after(w, kGmin);
    kept.write_tail(w);
    return end_atom(w, at);
}

void GenericMediaHeader::dump(std::ostream& out, int level) const {
    if (info)
        out << indent(level) << "gmin graphics mode 0x" << std::hex << info->graphics_mode
            << std::dec << ", balance " << fixed8_string(info->balance) << "\n";
    for (const auto& [after, atom] : kept.atoms())
        out << indent(level) << "'" << fourcc_string(atom.type) << "' kept, " << atom.bytes.size()
            << " bytes\n";
}

}  // namespace platform::movies
