#include "platform/movies/format/SampleDescriptions.h"

#include "platform/movies/format/SoundAtoms.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstring>

namespace platform::movies {

Result<SampleDescriptions> SampleDescriptions::parse(ByteReader r) {
    SampleDescriptions s;
    s.full = TRY(read_full_header(r));
    UInt32 count = TRY_AS(r.u32(), invalidSampleDescription);
    if (count > r.remaining() / kSampleEntryHeaderSize)
        return fail(invalidSampleDescription, "sample description count exceeds its atom");
    s.entries.reserve(count);
    for (UInt32 i = 0; i < count; ++i) {
        ByteReader peek = TRY_AS(r.view(r.position(), 4), invalidSampleDescription);
        UInt32 size = peek.u32().value();
        if (size < kSampleEntryHeaderSize)
            return fail(invalidSampleDescription, "sample description shorter than its header");
        if (size > r.remaining())
            return fail(invalidSampleDescription, "sample description shorter than declared");
        auto bytes = r.bytes(size).value();
        s.entries.push_back(SampleDescription{{bytes.begin(), bytes.end()}});
    }
    return s;
}

Result<void> SampleDescriptions::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kStsd);
    write_full_header(w, full);
    w.u32(UInt32(entries.size()));
    for (const auto& e : entries) w.bytes(e.bytes);
    return end_atom(w, at);
}

void SampleDescriptions::dump(std::ostream& out, int level, OSType media_type) const {
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        out << indent(level) << i + 1 << ": '" << fourcc_string(e.format()) << "', "
            << e.bytes.size() << " bytes, data reference " << e.data_ref_index() << "\n";
        if (media_type == kVide) {
            auto v = VideoDescription::parse(e.bytes);
            if (v.ok()) v->dump(out, level + 1);
            else out << indent(level + 1) << "unreadable: " << v.error().message << "\n";
        } else if (media_type == kSoun) {
            auto s = SoundDescription::parse(e.bytes);
            if (s.ok()) s->dump(out, level + 1);
            else out << indent(level + 1) << "unreadable: " << s.error().message << "\n";
        } else {
            out << indent(level + 1)
                << hex_bytes(std::span(e.bytes).subspan(kSampleEntryHeaderSize), 32) << "\n";
        }
    }
}

// --- video

Result<VideoDescription> VideoDescription::parse(std::span<const UInt8> entry) {
    if (entry.size() < kImageDescriptionSize)
        return fail(badImageDescription, "image description shorter than 86 bytes");
    ByteReader r(entry, badImageDescription);
    VideoDescription v;
    TRY(r.skip(4));
    v.codec = TRY(r.u32());
    auto reserved = TRY(r.bytes(6));
    std::copy(reserved.begin(), reserved.end(), v.reserved.begin());
    v.data_ref_index = TRY(r.u16());
    v.version = TRY(r.s16());
    v.revision = TRY(r.s16());
    v.vendor = TRY(r.u32());
    v.temporal_quality = TRY(r.u32());
    v.spatial_quality = TRY(r.u32());
    v.width = TRY(r.s16());
    v.height = TRY(r.s16());
    v.h_res = TRY(r.s32());
    v.v_res = TRY(r.s32());
    v.data_size = TRY(r.u32());
    v.frame_count = TRY(r.s16());
    auto name = TRY(r.bytes(32));
    std::copy(name.begin(), name.end(), v.name.field.begin());
    if (v.name.field[0] > 31) v.name.field[0] = 31;
    v.depth = TRY(r.s16());
    v.clut_id = TRY(r.s16());
    auto ext = TRY(r.bytes(r.remaining()));
    v.extensions.assign(ext.begin(), ext.end());
    return v;
}

Result<StoredColorTable> StoredColorTable::parse(std::span<const UInt8> bytes) {
    ByteReader r(bytes, badImageDescription);
    StoredColorTable t;
    t.seed = TRY(r.u32());
    t.flags = TRY(r.u16());
    UInt32 entries = UInt32(TRY(r.u16())) + 1;
    if (entries > r.remaining() / 8) return fail(badImageDescription, "colour table runs past its description");
    t.entries.resize(entries);
    for (auto& e : t.entries) e = ColorEntry{r.u16().value(), r.u16().value(), r.u16().value(), r.u16().value()};
    return t;
}

void StoredColorTable::write(ByteWriter& w) const {
    w.u32(seed);
    w.u16(flags);
    w.u16(UInt16(entries.size() - 1));
    for (const ColorEntry& e : entries) {
        w.u16(e.value);
        w.u16(e.red);
        w.u16(e.green);
        w.u16(e.blue);
    }
}

DescriptionName& DescriptionName::operator=(std::string_view text) {
    field.fill(0);
    const size_t n = std::min<size_t>(text.size(), 31);
    field[0] = UInt8(n);
    std::copy(text.begin(), text.begin() + long(n), field.begin() + 1);
    return *this;
}

std::string DescriptionName::text() const {
    return std::string(field.begin() + 1, field.begin() + 1 + std::min<int>(field[0], 31));
}

Result<StoredColorTable> VideoDescription::stored_color_table() const {
    if (!has_stored_color_table()) return fail(badImageDescription, "no stored colour table");
    return StoredColorTable::parse(extensions);
}

Result<std::vector<ColorEntry>> VideoDescription::color_table() const {
    StoredColorTable t = TRY(stored_color_table());
    return std::move(t.entries);
}

std::optional<std::span<const UInt8>> find_atom(std::span<const UInt8> atoms, OSType type) {
    size_t at = 0;
    while (atoms.size() - at >= 8) {
        const UInt32 size = load_u32be(&atoms[at]);
        if (size < 8 || size > atoms.size() - at) return std::nullopt;
        if (load_u32be(&atoms[at + 4]) == type) return atoms.subspan(at + 8, size - 8);
        at += size;
    }
    return std::nullopt;
}

std::span<const UInt8> VideoDescription::extension_atoms() const {
    std::span<const UInt8> ext(extensions);
    if (has_stored_color_table()) {
        auto table = stored_color_table();
        if (!table.ok()) return {};
        ext = ext.subspan(std::min(ext.size(), table->size()));
    }
    return ext;
}

std::optional<ColourInfo> VideoDescription::colour() const {
    auto body = find_atom(extension_atoms(), fourcc("colr"));
    if (!body || body->size() < 10) return std::nullopt;
    const OSType kind = load_u32be(body->data());
    if (kind != fourcc("nclx") && kind != fourcc("nclc")) return std::nullopt;
    ColourInfo c;
    c.primaries = load_u16be(body->data() + 4);
    c.transfer = load_u16be(body->data() + 6);
    c.matrix = load_u16be(body->data() + 8);
    if (kind == fourcc("nclx") && body->size() >= 11) c.full_range = ((*body)[10] & 0x80) != 0;
    return c;
}

std::optional<std::pair<UInt32, UInt32>> VideoDescription::pixel_aspect() const {
    auto body = find_atom(extension_atoms(), fourcc("pasp"));
    if (!body || body->size() < 8) return std::nullopt;
    const UInt32 h = load_u32be(body->data()), v = load_u32be(body->data() + 4);
    if (h == 0 || v == 0) return std::nullopt;
    return std::pair{h, v};
}

std::optional<CleanAperture> VideoDescription::clean_aperture() const {
    auto body = find_atom(extension_atoms(), fourcc("clap"));
    if (!body || body->size() < 32 || width <= 0 || height <= 0) return std::nullopt;
    double f[4];
    for (int i = 0; i < 4; ++i) {
        const SInt32 n = SInt32(load_u32be(body->data() + 8 * i));
        const UInt32 d = load_u32be(body->data() + 8 * i + 4);
        if (d == 0) return std::nullopt;
        f[i] = double(n) / double(d);
    }
    if (!(f[0] >= 1 && f[1] >= 1)) return std::nullopt;
    // Offsets are from the centre; the aperture never leaves the picture.
    const double left = (width - f[0]) / 2 + f[2], top = (height - f[1]) / 2 + f[3];
    CleanAperture a;
    a.left = SInt32(std::clamp(std::lround(left), 0L, long(width) - 1));
    a.top = SInt32(std::clamp(std::lround(top), 0L, long(height) - 1));
    a.width = SInt32(std::clamp(std::lround(f[0]), 1L, long(width) - a.left));
    a.height = SInt32(std::clamp(std::lround(f[1]), 1L, long(height) - a.top));
    return a;
}

std::pair<SInt32, SInt32> VideoDescription::natural_size() const {
    SInt32 w = width, h = height;
    if (auto a = clean_aperture()) w = a->width, h = a->height;
    if (auto p = pixel_aspect()) w = SInt32(std::clamp<UInt64>((UInt64(w) * p->first + p->second / 2) / p->second, 1, 0x7FFF));
    return {w, h};
}

SampleDescription VideoDescription::write() const {
    ByteWriter w;
    w.u32(0);
    w.u32(codec);
    w.bytes(reserved.data(), reserved.size());
    w.u16(data_ref_index);
    w.s16(version);
    w.s16(revision);
    w.u32(vendor);
    w.u32(temporal_quality);
    w.u32(spatial_quality);
    w.s16(width);
    w.s16(height);
    w.s32(h_res);
    w.s32(v_res);
    w.u32(data_size);
    w.s16(frame_count);
    w.bytes(name.field.data(), name.field.size());
    w.s16(depth);
    w.s16(clut_id);
    w.bytes(extensions);
    w.patch_u32(0, UInt32(w.size()));
    return SampleDescription{w.take()};
}

void VideoDescription::dump(std::ostream& out, int level) const {
    std::string in = indent(level);
    out << in << "codec '" << fourcc_string(codec) << "' \"" << name.text() << "\", vendor '"
        << fourcc_string(vendor) << "', version " << version << ", revision " << revision << "\n";
    out << in << width << " x " << height << ", depth " << depth << ", colour table ID "
        << clut_id << ", resolution " << fixed_string(h_res) << " x " << fixed_string(v_res)
        << " dpi\n";
    if (has_stored_color_table()) {
        auto table = color_table();
        if (table.ok()) out << in << "stored colour table of " << table->size() << " entries\n";
        else out << in << "stored colour table unreadable: " << table.error().message << "\n";
    }
    out << in << "temporal quality " << temporal_quality << ", spatial quality "
        << spatial_quality << ", data size " << data_size << ", frame count " << frame_count;
    if (!extensions.empty()) out << ", " << extensions.size() << " bytes of extensions";
    out << "\n";
}

// --- sound

Result<SoundDescription> SoundDescription::parse(std::span<const UInt8> entry) {
    if (entry.size() < kSoundDescriptionV0Size)
        return fail(invalidSampleDescription, "sound description shorter than 36 bytes");
    ByteReader r(entry, invalidSampleDescription);
    SoundDescription s;
    TRY(r.skip(4));
    s.format = TRY(r.u32());
    TRY(r.skip(6));
    s.data_ref_index = TRY(r.u16());
    s.version = TRY(r.s16());
    s.revision = TRY(r.s16());
    s.vendor = TRY(r.u32());
    if (s.version == 2) {
        if (entry.size() < kSoundDescriptionV2Size)
            return fail(invalidSampleDescription, "version-2 sound description shorter than 72 bytes");
        s.channels = TRY(r.s16());
        s.sample_size = TRY(r.s16());
        s.compression_id = TRY(r.s16());
        s.packet_size = TRY(r.s16());
        s.sample_rate = TRY(r.u32());
        TRY(r.skip(4));   // size of the struct
        UInt64 bits = TRY(r.u64());
        std::memcpy(&s.rate64, &bits, sizeof bits);
        s.channels32 = TRY(r.u32());
        TRY(r.skip(4));
        s.bits_per_channel = TRY(r.u32());
        s.format_flags = TRY(r.u32());
        s.bytes_per_packet = TRY(r.u32());
        s.frames_per_packet = TRY(r.u32());
    } else {
        s.channels = TRY(r.s16());
        s.sample_size = TRY(r.s16());
        s.compression_id = TRY(r.s16());
        s.packet_size = TRY(r.s16());
        s.sample_rate = TRY(r.u32());
        if (s.version == 1) {
            if (entry.size() < kSoundDescriptionV1Size)
                return fail(invalidSampleDescription, "version-1 sound description shorter than 52 bytes");
            s.samples_per_packet = TRY(r.u32());
            s.bytes_per_packet = TRY(r.u32());
            s.bytes_per_frame = TRY(r.u32());
            s.bytes_per_sample = TRY(r.u32());
        }
    }
    auto ext = TRY(r.bytes(r.remaining()));
    s.extensions.assign(ext.begin(), ext.end());
    return s;
}

SampleDescription SoundDescription::write() const {
    ByteWriter w;
    w.u32(0);
    w.u32(format);
    w.zeros(6);
    w.u16(data_ref_index);
    w.s16(version);
    w.s16(revision);
    w.u32(vendor);
    w.s16(channels);
    w.s16(sample_size);
    w.s16(compression_id);
    w.s16(packet_size);
    w.u32(sample_rate);
    if (version == 2) {
        w.u32(UInt32(kSoundDescriptionV2Size));
        UInt64 bits;
        std::memcpy(&bits, &rate64, sizeof bits);
        w.u64(bits);
        w.u32(channels32);
        w.u32(0x7F000000);
        w.u32(bits_per_channel);
        w.u32(format_flags);
        w.u32(bytes_per_packet);
        w.u32(frames_per_packet);
    } else if (version == 1) {
        w.u32(samples_per_packet);
        w.u32(bytes_per_packet);
        w.u32(bytes_per_frame);
        w.u32(bytes_per_sample);
    }
    w.bytes(extensions);
    w.patch_u32(0, UInt32(w.size()));
    return SampleDescription{w.take()};
}

void SoundDescription::dump(std::ostream& out, int level) const {
    std::string in = indent(level);
    char rate_text[32];
    std::snprintf(rate_text, sizeof rate_text, "%.3f", rate());
    out << in << "format '" << fourcc_string(format) << "', version " << version << ", vendor '"
        << fourcc_string(vendor) << "', " << channel_count() << " channel(s), " << bits()
        << " bits, " << rate_text << " Hz, compression ID " << compression_id
        << ", packet size " << packet_size << "\n";
    if (version == 1)
        out << in << "samples per packet " << samples_per_packet << ", bytes per packet "
            << bytes_per_packet << ", bytes per frame " << bytes_per_frame
            << ", bytes per sample " << bytes_per_sample << "\n";
    if (version == 2)
        out << in << "format flags 0x" << std::hex << format_flags << std::dec
            << ", bytes per packet " << bytes_per_packet << ", frames per packet "
            << frames_per_packet << "\n";
    if (extensions.empty()) return;
    out << in << extensions.size() << " bytes of extensions\n";
    auto atoms = SoundAtoms::parse(extensions);
    if (atoms.ok()) atoms->dump(out, level);
    else out << in << "extensions unreadable: " << atoms.error().message << "\n";
}

}  // namespace platform::movies
