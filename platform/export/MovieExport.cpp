// Export: the movie drawn and heard as playback does, encoded, written as an
// ISO base media file through our movie-file writer.
/*
 * The file:
 *   ftyp  'isom', minor version 0x200, compatible 'isom' 'iso2' 'avc1' 'mp41' 'mp42'
 *   moov  mvhd (the movie's time scale), then per track:
 *         trak  tkhd, edts/elst (one edit: the movie's span, starting at
 *               the media time of the first frame shown, past the
 *               encoder's delay or priming), mdia (mdhd, hdlr with the
 *               ISO names, minf: vmhd|smhd, dinf with a self 'url ', stbl)
 *   free  reserved space
 *   mdat  the samples, in chunks of about half a second, video and sound
 *         alternating in time order
 * Video: 'avc1' at the movie's time scale (decode times from the encoder;
 * composition offsets for reordered frames). Sound: 'mp4a' at its rate.
 *
 * The samples wait in a spool beside the destination (SampleSpool.h) until
 * the movie is known, and are then copied into the file's mdat chunk by
 * chunk: memory holds only each sample's place, size and times.
 */
#include "platform/export/MovieExport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/QuickDraw.h"
#include "platform/core/FourCC.h"
#include "platform/export/H264Encoder.h"
#include "platform/export/SampleSpool.h"
#include "platform/export/SoundExport.h"
#include "platform/export/StreamCopy.h"
#include "platform/files/AccessPaths.h"
#include "platform/movies/format/MovieFile.h"
#include "platform/movies/objects/MovieBox.h"
#include "platform/movies/playback/Player.h"
#include "platform/movies/playback/VideoFrames.h"
#include "platform/movies/progress/MovieProgress.h"
#include "platform/movies/storage/MovieDestination.h"

namespace platform::exporting {

namespace pm = platform::movies;

namespace {

constexpr double kChunkSeconds = 0.5;
constexpr UInt64 kChunkBytes = UInt64(4) << 20;
constexpr UInt32 kMaxFrames = 10'000'000;

bool is_enabled_video(movies::TrackObject& t) {
    const pm::Track& d = t.data();
    return t.has_media && d.media.type() == pm::kVide && (d.header.full.flags & pm::kTrackEnabled) &&
           d.media.samples.sample_count() > 0;
}

// Every time in [0, end) at which an enabled video track changes frame,
// starting with 0.
Result<std::vector<SInt64>> frame_times(movies::MovieObject& movie, SInt64 end) {
    std::vector<SInt64> times{0};
    const OSType types[] = {pm::kVide};
    TimeValue t = 0;
    for (;;) {
        TimeValue next = -1;
        GetMovieNextInterestingTime(movies::to_api(&movie), nextTimeMediaSample, 1, types, t, 0x10000, &next, nullptr);
        if (next <= t || next >= end) break;
        times.push_back(next);
        if (times.size() > kMaxFrames) return fail(paramErr, "too many frames to export");
        t = next;
    }
    return times;
}

// A track's place in the picture: its box, from the natural bounds' corner.
Rect place_of(const pm::Track& track, const Rect& bounds) {
    Rect r = pm::track_box(track);
    OffsetRect(&r, SInt16(-bounds.left), SInt16(-bounds.top));
    return r;
}

// Draws the movie's picture at a time into a 32-bit world, as the player
// draws it into the movie's port (tracks in higher layers first, behind).
class PictureRenderer {
public:
    static Result<std::unique_ptr<PictureRenderer>> create(movies::MovieObject& movie, const Rect& bounds) {
        auto r = std::unique_ptr<PictureRenderer>(new PictureRenderer(bounds));
        const Rect world{0, 0, SInt16(bounds.bottom - bounds.top), SInt16(bounds.right - bounds.left)};
        if (NewGWorld(&r->world_, 32, &world, nullptr, nullptr, 0) != noErr || !r->world_)
            return fail(memFullErr, "no memory for the picture to export");
        for (movies::TrackObject* t : movie.tracks_in_order())
            if (is_enabled_video(*t)) r->tracks_.push_back({t, std::make_unique<movies::playback::VideoFrames>(t->id)});
        std::stable_sort(r->tracks_.begin(), r->tracks_.end(), [](const auto& a, const auto& b) {
            return a.track->data().header.layer > b.track->data().header.layer;
        });
        return r;
    }
    ~PictureRenderer() {
        if (world_) DisposeGWorld(world_);
    }

    codecs::ConstPixelView draw(SInt64 t) {
        PixMapHandle pm = GetGWorldPixMap(world_);
        LockPixels(pm);
        UInt8* base = reinterpret_cast<UInt8*>(GetPixBaseAddr(pm));
        const SInt32 row_bytes = GetPixRowBytes(pm);
        const SInt32 w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
        for (SInt32 y = 0; y < h; ++y) std::memset(base + size_t(y) * size_t(row_bytes), 0xFF, size_t(w) * 4);
        for (auto& [track, frames] : tracks_) {
            const UInt32 n = movies::playback::sample_at_movie_time(*track, t);
            if (n == 0) continue;
            frames->go_to_sample(track->media, n);
            if (frames->sample() != 0)
                frames->draw(world_, place_of(track->data(), bounds_), pm::quarter_turn(track->data().header.matrix));
        }
        UnlockPixels(pm);
        return codecs::ConstPixelView(base, row_bytes, w, h, 32);
    }

private:
    explicit PictureRenderer(const Rect& bounds) : bounds_(bounds) {}
    struct Source {
        movies::TrackObject* track;
        std::unique_ptr<movies::playback::VideoFrames> frames;
    };
    Rect bounds_;
    GWorldPtr world_ = nullptr;
    std::vector<Source> tracks_;
};

// One encoded stream on its way into the file.
struct StreamOut {
    OSType media_type = 0;
    UInt32 time_scale = 0;
    pm::SampleDescription description;
    std::vector<SpooledUnit> units;      // decode order
    std::vector<UInt32> durations;       // per unit
    SInt64 first_shown = 0;              // media time of the edit's start
    UInt64 edit_duration = 0;            // movie units
    Fixed width = 0, height = 0;
    SInt16 volume = 0;
    std::vector<pm::EditEntry> edits;    // when not the one edit above
};

// Decode-order durations of the video units and the edit that shows the
// span [0, end): times are shifted so that the first decode time is 0.
Result<void> time_video(StreamOut& s, SInt64 end) {
    if (s.units.empty()) return fail(codecErr, "the H.264 encoder gave no frames");
    const SInt64 d0 = s.units.front().dts;
    for (size_t i = 0; i < s.units.size(); ++i) {
        SpooledUnit& u = s.units[i];
        if (u.pts < u.dts) return fail(codecErr, "the H.264 encoder shows a frame before it decodes it");
        const SInt64 next = i + 1 < s.units.size() ? s.units[i + 1].dts : end;
        if (next <= u.dts || next - u.dts > 0x7FFFFFFF)
            return fail(codecErr, "the H.264 encoder's decode times do not increase");
        s.durations.push_back(UInt32(next - u.dts));
    }
    for (SpooledUnit& u : s.units) {
        u.pts -= d0;
        u.dts -= d0;
    }
    s.first_shown = -d0;
    s.edit_duration = UInt64(end);
    return ok();
}

pm::Track make_track(const StreamOut& s, UInt32 id) {
    pm::Track t = pm::Track::make(id, s.media_type, s.time_scale, s.width, s.height, s.volume);
    const UInt64 now = pm::mac_time_now();
    t.header.creation_time = t.header.modification_time = now;
    t.header.alternate_group = 0;
    pm::Media& m = t.media;
    m.header.creation_time = m.header.modification_time = now;
    // ISO names: no component type, a zero-terminated name, no data handler.
    m.handler.component_type = 0;
    const char* name = s.media_type == pm::kVide ? "VideoHandler" : "SoundHandler";
    m.handler.name_bytes.assign(name, name + std::strlen(name) + 1);
    m.data_handler.reset();
    m.data_info->refs->entries.front().type = fourcc("url ");
    m.descriptions.entries.push_back(s.description);
    pm::EditList list;
    list.entries = s.edits;
    if (list.entries.empty()) list.entries.push_back(pm::EditEntry{s.edit_duration, s.first_shown, 0x10000});
    t.edits = pm::Edits{list, {}};
    return t;
}

struct Layout {
    // Per stream, per chunk: the first unit and how many.
    struct Chunk {
        size_t stream = 0;
        size_t first = 0, count = 0;
        UInt64 bytes = 0;
    };
    std::vector<Chunk> chunks;   // in file order
    UInt64 data_bytes = 0;
};

// Chunks of about half a second per stream, in the order of their start
// times, so that players reading the file in order find both streams.
Layout lay_out(const std::vector<StreamOut>& streams) {
    Layout l;
    struct Pending {
        double start;
        Layout::Chunk chunk;
    };
    std::vector<Pending> all;
    for (size_t si = 0; si < streams.size(); ++si) {
        const StreamOut& s = streams[si];
        UInt64 time = 0, chunk_time = 0;
        Layout::Chunk c{si, 0, 0, 0};
        for (size_t i = 0; i < s.units.size(); ++i) {
            const double length = double(time - chunk_time) / s.time_scale;
            if (c.count && (length >= kChunkSeconds || c.bytes + s.units[i].size > kChunkBytes)) {
                all.push_back({double(chunk_time) / s.time_scale, c});
                c = Layout::Chunk{si, i, 0, 0};
                chunk_time = time;
            }
            c.count++;
            c.bytes += s.units[i].size;
            time += s.durations[i];
        }
        if (c.count) all.push_back({double(chunk_time) / s.time_scale, c});
    }
    std::stable_sort(all.begin(), all.end(), [](const Pending& a, const Pending& b) { return a.start < b.start; });
    for (const Pending& p : all) {
        l.chunks.push_back(p.chunk);
        l.data_bytes += p.chunk.bytes;
    }
    return l;
}

Result<pm::MovieModel> assemble(const std::vector<StreamOut>& streams, const Layout& layout, UInt32 movie_scale,
                                UInt64 data_start) {
    pm::MovieModel model;
    const UInt64 now = pm::mac_time_now();
    model.header.creation_time = model.header.modification_time = now;
    model.header.time_scale = movie_scale;
    std::vector<pm::Track> tracks;
    for (size_t i = 0; i < streams.size(); ++i) tracks.push_back(make_track(streams[i], UInt32(i + 1)));
    UInt64 at = data_start;
    for (const Layout::Chunk& c : layout.chunks) {
        const StreamOut& s = streams[c.stream];
        pm::SampleTable& table = tracks[c.stream].media.samples;
        for (size_t i = c.first; i < c.first + c.count; ++i) {
            const SpooledUnit& u = s.units[i];
            const SInt64 offset = u.pts - u.dts;
            if (offset < INT32_MIN || offset > INT32_MAX) return fail(codecErr, "a frame shown too long after it is decoded");
            if (i == c.first) TRY(table.add_chunk(at, 1, u.size, s.durations[i], 1, u.key, SInt32(offset)));
            else TRY(table.extend_last_chunk(1, u.size, s.durations[i], u.key, SInt32(offset)));
        }
        at += c.bytes;
    }
    for (pm::Track& t : tracks) model.tracks.push_back(std::move(t));
    model.header.next_track_id = UInt32(streams.size() + 1);
    model.update_durations();
    return model;
}

pm::FileType iso_file_type() {
    pm::FileType f;
    f.major_brand = fourcc("isom");
    f.minor_version = 0x200;
    f.compatible = {fourcc("isom"), fourcc("iso2"), fourcc("avc1"), fourcc("mp41"), fourcc("mp42")};
    return f;
}

// The file, its sample data copied from the spool: each run of samples
// that lie one after the other there (a whole chunk, as a stream's
// samples are spooled in order) in one copy.
Result<void> write_file(pm::DataFile& file, const std::vector<StreamOut>& streams, UInt32 movie_scale,
                        SampleSpool& spool) {
    TRY(spool.flush());
    const Layout layout = lay_out(streams);
    auto movie_at = [&](UInt64 data_start) -> Result<std::vector<UInt8>> {
        pm::MovieModel model = TRY(assemble(streams, layout, movie_scale, data_start));
        return model.write();
    };
    pm::MovieFileWriter w = TRY(pm::MovieFileWriter::create_movie_first(file, layout.data_bytes, movie_at, iso_file_type()));
    for (const Layout::Chunk& c : layout.chunks) {
        const std::vector<SpooledUnit>& units = streams[c.stream].units;
        UInt64 from = 0, count = 0;
        for (size_t i = c.first; i < c.first + c.count; ++i) {
            if (count && units[i].at != from + count) {
                TRY(w.append_copy(spool.file(), from, count));
                count = 0;
            }
            if (!count) from = units[i].at;
            count += units[i].size;
        }
        if (count) TRY(w.append_copy(spool.file(), from, count));
    }
    return w.finish_data();
}

// The movie's picture over [0, end), encoded. Progress runs from 0 to `share`.
Result<StreamOut> encode_video(movies::MovieObject& movie, SInt64 end, const ExportOptions& options,
                               SampleSpool& spool, pm::MovieProgress& progress, double share) {
    const Rect bounds = pm::natural_bounds(movie);
    const SInt32 width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (width < 1 || height < 1) return fail(invalidMovie, "the movie's video has no size");
    const std::vector<SInt64> times = TRY(frame_times(movie, end));
    auto renderer = TRY(PictureRenderer::create(movie, bounds));
    H264Settings settings;
    settings.width = width;
    settings.height = height;
    settings.time_scale = movie.model.header.time_scale;
    settings.crf = options.crf;
    settings.preset = options.preset;
    auto encoder = TRY(H264Encoder::open(settings));

    StreamOut s;
    s.media_type = pm::kVide;
    s.time_scale = settings.time_scale;
    s.width = Fixed(width) << 16;
    s.height = Fixed(height) << 16;
    std::vector<EncodedUnit> out;
    for (size_t i = 0; i < times.size(); ++i) {
        TRY(encoder->encode(renderer->draw(times[i]), times[i], out));
        TRY(spool.take(out, s.units));
        TRY(progress.update(share * double(i + 1) / double(times.size())));
    }
    TRY(encoder->finish(out));
    TRY(spool.take(out, s.units));
    s.description = encoder->description().write();
    TRY(time_video(s, end));
    return s;
}

}  // namespace

bool has_enabled_video(movies::MovieObject& movie) {
    for (movies::TrackObject* t : movie.tracks_in_order())
        if (is_enabled_video(*t)) return true;
    return false;
}

Result<void> export_movie(movies::MovieObject& movie, const FSSpec& destination, const ExportOptions& options) {
    files::File* own = movie.home_ref_num ? files::file_of(movie.home_ref_num) : nullptr;
    const pm::MovieDestination dest = TRY(pm::check_destination(destination, options.create_flags, own));
    const UInt32 scale = movie.model.header.time_scale;
    const SInt64 end = SInt64(movie.model.header.duration);
    if (scale == 0 || end <= 0) return fail(invalidMovie, "the movie is empty");

    pm::MovieProgress progress(&movie, movie.progress, movie.progress_refcon, progressOpExportMovie);
    TRY(progress.update(0));
    std::vector<StreamOut> streams;
    const bool video = !options.sound_only && has_enabled_video(movie);
    const bool sound = has_enabled_sound(movie);
    if (!video && !sound) return fail(invalidMovie, "the movie has nothing to export");
    auto spool = TRY(SampleSpool::create(dest.path));
    if (video) {
        const double share = sound ? 0.8 : 0.95;
        auto copied = TRY(copy_h264_video(movie, end, *spool, [&](double done) { return progress.update(share * done); }));
        if (copied) {
            StreamOut s;
            s.media_type = pm::kVide;
            s.time_scale = copied->time_scale;
            s.description = std::move(copied->description);
            s.units = std::move(copied->units);
            s.durations = std::move(copied->durations);
            s.edits = std::move(copied->edits);
            s.width = copied->width;
            s.height = copied->height;
            streams.push_back(std::move(s));
        } else {
            streams.push_back(TRY(encode_video(movie, end, options, *spool, progress, share)));
        }
    }
    if (sound) {
        const double from = video ? 0.8 : 0.0, share = video ? 0.15 : 0.95;
        auto report = [&](double done) { return progress.update(from + share * done); };
        StreamOut s;
        s.media_type = pm::kSoun;
        s.volume = 0x100;
        auto copied = TRY(copy_aac_sound(movie, *spool, report));
        if (copied) {
            s.time_scale = copied->time_scale;
            s.description = std::move(copied->description);
            s.units = std::move(copied->units);
            s.durations = std::move(copied->durations);
            s.edits = std::move(copied->edits);
        } else {
            EncodedSound a = TRY(encode_sound(movie, end, *spool, report));
            s.time_scale = a.time_scale;
            s.description = std::move(a.description);
            s.units = std::move(a.units);
            s.durations = std::move(a.durations);
            s.first_shown = a.first_shown;
            s.edit_duration = UInt64(a.span);
        }
        streams.push_back(std::move(s));
    }

    pm::ReplacementFile out = TRY(pm::ReplacementFile::create(dest));
    TRY(write_file(out.data(), streams, scale, *spool));
    TRY(progress.update(1));
    TRY(out.commit(options.creator));
    progress.close();
    return ok();
}

}  // namespace platform::exporting
