// Reading and writing the containers of a movie: moov, trak, mdia, minf,
// stbl. Layout in Movie.h.
#include "platform/movies/format/Movie.h"

namespace platform::movies {

namespace {

// The media information header takes one slot, whichever kind it is; both
// chunk offset forms share the stco slot.
constexpr OSType kMediaHeaderSlot = kVmhd;

Result<void> parse_stbl(Media& m, ByteReader body) {
    bool have_stsd = false;
    ChildReader children(body);
    OSType last = 0;
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        OSType t = c.header.type;
        if (t == kStsd) {
            if (have_stsd) return fail(invalidSampleTable, "two sample description lists");
            m.descriptions = TRY(SampleDescriptions::parse(c.body));
            have_stsd = true;
        } else if (t == kStts) {
            TRY(m.samples.parse_stts(c.body));
        } else if (t == kCtts) {
            TRY(m.samples.parse_ctts(c.body));
        } else if (t == kCslg) {
            continue;   // follows from the offsets; written anew with them
        } else if (t == kStss) {
            TRY(m.samples.parse_stss(c.body));
        } else if (t == kStsc) {
            TRY(m.samples.parse_stsc(c.body));
        } else if (t == kStsz) {
            TRY(m.samples.parse_stsz(c.body));
        } else if (t == kStco || t == kCo64) {
            TRY(m.samples.parse_stco(c.body, t == kCo64));
            t = kStco;
        } else {
            m.kept_stbl.keep(last, c.whole);
            continue;
        }
        last = t;
    }
    m.kept_stbl.set_tail(children.tail());
    if (!have_stsd) return fail(invalidSampleTable, "sample table lacks its sample descriptions");
    return m.samples.finish(UInt32(m.descriptions.entries.size()));
}

Result<void> parse_minf(Media& m, ByteReader body) {
    bool have_stbl = false, have_media_header = false;
    ChildReader children(body);
    OSType last = 0;
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        OSType t = c.header.type;
        bool media_header = t == kVmhd || t == kSmhd || t == kGmhd;
        if (media_header && !have_media_header) {
            if (t == kVmhd) m.video_header = TRY(VideoMediaHeader::parse(c.body));
            if (t == kSmhd) m.sound_header = TRY(SoundMediaHeader::parse(c.body));
            if (t == kGmhd) m.generic_header = TRY(GenericMediaHeader::parse(c.body));
            have_media_header = true;
            last = kMediaHeaderSlot;
        } else if (t == kHdlr && !m.data_handler) {
            m.data_handler = TRY(Handler::parse(c.body));
            last = kHdlr;
        } else if (t == kDinf && !m.data_info) {
            m.data_info = TRY(DataInfo::parse(c.body));
            last = kDinf;
        } else if (t == kStbl) {
            if (have_stbl) return fail(invalidMedia, "two sample tables in one media");
            TRY(parse_stbl(m, c.body));
            have_stbl = true;
            last = kStbl;
        } else {
            m.kept_minf.keep(last, c.whole);
        }
    }
    m.kept_minf.set_tail(children.tail());
    if (!have_stbl) return fail(invalidMedia, "media lacks its sample table");
    return ok();
}

// Every description must name an existing data reference and, for the
// media types we read, hold the fields of its kind.
Result<void> check_descriptions(const Media& m) {
    size_t refs = m.data_info ? (m.data_refs() ? m.data_refs()->size() : 0) : 1;
    for (const auto& d : m.descriptions.entries) {
        UInt16 index = d.data_ref_index();
        if (index == 0 || index > refs)
            return fail(badDataRefIndex, "sample description names a missing data reference");
        if (m.type() == kVide) TRY(VideoDescription::parse(d.bytes));
        if (m.type() == kSoun) TRY(SoundDescription::parse(d.bytes));
    }
    return ok();
}

}  // namespace

// --- mdia

Result<Media> Media::parse(ByteReader body) {
    Media m;
    bool have_mdhd = false, have_hdlr = false, have_minf = false;
    ChildReader children(body);
    OSType last = 0;
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        OSType t = c.header.type;
        if (t == kMdhd) {
            if (have_mdhd) return fail(invalidMedia, "two media headers");
            m.header = TRY(MediaHeader::parse(c.body));
            have_mdhd = true;
        } else if (t == kHdlr && !have_hdlr) {
            m.handler = TRY(Handler::parse(c.body));
            have_hdlr = true;
        } else if (t == kMinf) {
            if (have_minf) return fail(invalidMedia, "two media information atoms");
            TRY(parse_minf(m, c.body));
            have_minf = true;
        } else {
            m.kept_mdia.keep(last, c.whole);
            continue;
        }
        last = t;
    }
    m.kept_mdia.set_tail(children.tail());
    if (!have_mdhd) return fail(invalidMedia, "media lacks its header");
    if (!have_hdlr) return fail(invalidMedia, "media lacks its handler");
    if (!have_minf) return fail(invalidMedia, "media lacks its information atom");
    TRY(check_descriptions(m));
    return m;
}

Result<void> Media::write(ByteWriter& w) const {
    size_t mdia = begin_atom(w, kMdia);
    kept_mdia.write_after(w, 0);
    TRY(header.write(w));
    kept_mdia.write_after(w, kMdhd);
    TRY(handler.write(w));
    kept_mdia.write_after(w, kHdlr);

    size_t minf = begin_atom(w, kMinf);
    kept_minf.write_after(w, 0);
    if (video_header) TRY(video_header->write(w));
    else if (sound_header) TRY(sound_header->write(w));
    else if (generic_header) TRY(generic_header->write(w));
    kept_minf.write_after(w, kMediaHeaderSlot);
    if (data_handler) TRY(data_handler->write(w));
    kept_minf.write_after(w, kHdlr);
    if (data_info) TRY(data_info->write(w));
    kept_minf.write_after(w, kDinf);

    size_t stbl = begin_atom(w, kStbl);
    kept_stbl.write_after(w, 0);
    TRY(descriptions.write(w));
    kept_stbl.write_after(w, kStsd);
    TRY(samples.write_stts(w));
    kept_stbl.write_after(w, kStts);
    TRY(samples.write_ctts(w));
    kept_stbl.write_after(w, kCtts);
    TRY(samples.write_stss(w));
    kept_stbl.write_after(w, kStss);
    TRY(samples.write_stsc(w));
    kept_stbl.write_after(w, kStsc);
    TRY(samples.write_stsz(w));
    kept_stbl.write_after(w, kStsz);
    TRY(samples.write_stco(w));
    kept_stbl.write_after(w, kStco);
    kept_stbl.write_tail(w);
    TRY(end_atom(w, stbl));

    kept_minf.write_after(w, kStbl);
    kept_minf.write_tail(w);
    TRY(end_atom(w, minf));
    kept_mdia.write_after(w, kMinf);
    kept_mdia.write_tail(w);
    return end_atom(w, mdia);
}

bool Media::encrypted() const {
    for (const auto& [after, atom] : kept_stbl.atoms())
        if (atom.type == kSenc || atom.type == kSaiz || atom.type == kSaio) return true;
    return encryption_lost;
}

void Media::samples_changed() {
    encryption_lost = encrypted();
    static constexpr OSType kPerSample[] = {kSdtp, kStps, kSbgp, kSgpd, kSubs, kSaiz, kSaio, kSenc, kPadb, kStdp, kStsh};
    kept_stbl.drop(kPerSample);
}

Result<void> check_encryption_kept(const Media& media) {
    if (media.encryption_lost)
        return fail(featureUnsupported, "the media's encryption information could not be kept with its samples");
    return ok();
}

Result<void> check_encryption_kept(const MovieModel& movie) {
    for (const Track& t : movie.tracks) TRY(check_encryption_kept(t.media));
    return ok();
}

Media Media::make(OSType type, UInt32 time_scale) {
    Media m;
    m.header.time_scale = time_scale;
    const char* name = type == kVide ? "Video Media Handler"
                     : type == kSoun ? "Sound Media Handler"
                                     : "Media Handler";
    m.handler = Handler::make(kMhlr, type, name);
    if (type == kVide) m.video_header = VideoMediaHeader{};
    else if (type == kSoun) m.sound_header = SoundMediaHeader{};
    else m.generic_header = GenericMediaHeader{GenericMediaInfo{}, {}};
    m.data_handler = Handler::make(kDhlr, kAlis, "Alias Data Handler");
    DataInfo info;
    info.refs = DataReferences{};
    info.refs->entries.push_back(DataRef::self());
    m.data_info = std::move(info);
    return m;
}

// --- trak

Result<Track> Track::parse(ByteReader body) {
    Track t;
    bool have_tkhd = false, have_mdia = false;
    ChildReader children(body);
    OSType last = 0;
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        OSType type = c.header.type;
        if (type == kTkhd) {
            if (have_tkhd) return fail(invalidTrack, "two track headers");
            t.header = TRY(TrackHeader::parse(c.body));
            have_tkhd = true;
        } else if (type == kEdts && !t.edits) {
            t.edits = TRY(Edits::parse(c.body));
        } else if (type == kTref && !t.references) {
            t.references = TRY(TrackReferences::parse(c.body));
        } else if (type == kMdia) {
            if (have_mdia) return fail(invalidTrack, "two media in one track");
            t.media = TRY(Media::parse(c.body));
            have_mdia = true;
        } else if (type == kUdta && !t.user_data) {
            t.user_data = TRY(UserData::parse(c.body));
        } else {
            t.kept.keep(last, c.whole);
            continue;
        }
        last = type;
    }
    t.kept.set_tail(children.tail());
    if (!have_tkhd) return fail(invalidTrack, "track lacks its header");
    if (!have_mdia) return fail(invalidTrack, "track lacks its media");
    return t;
}

Result<void> Track::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kTrak);
    kept.write_after(w, 0);
    TRY(header.write(w));
    kept.write_after(w, kTkhd);
    if (edits) TRY(edits->write(w));
    kept.write_after(w, kEdts);
    if (references) TRY(references->write(w));
    kept.write_after(w, kTref);
    TRY(media.write(w));
    kept.write_after(w, kMdia);
    if (user_data) TRY(user_data->write(w));
    kept.write_after(w, kUdta);
    kept.write_tail(w);
    return end_atom(w, at);
}

Track Track::make(UInt32 id, OSType media_type, UInt32 media_time_scale, Fixed width, Fixed height,
                  SInt16 volume) {
    Track t;
    t.header.track_id = id;
    t.header.width = width;
    t.header.height = height;
    t.header.volume = volume;
    t.media = Media::make(media_type, media_time_scale);
    return t;
}

UInt64 Track::duration(UInt32 movie_time_scale) const {
    if (edits && edits->list) {
        UInt64 sum = 0;
        for (const auto& e : edits->list->entries) sum += e.track_duration;
        return sum;
    }
    return convert_duration(media.samples.duration(), media.header.time_scale, movie_time_scale);
}

// --- moov

Result<MovieModel> MovieModel::parse(ByteReader body) {
    MovieModel m;
    bool have_mvhd = false;
    ChildReader children(body);
    OSType last = 0;
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        OSType t = c.header.type;
        if (t == kMvhd) {
            if (have_mvhd) return bad_movie("two movie headers");
            m.header = TRY(MovieHeader::parse(c.body));
            have_mvhd = true;
        } else if (t == kTrak) {
            m.tracks.push_back(TRY(Track::parse(c.body)));
        } else if (t == kUdta && !m.user_data) {
            m.user_data = TRY(UserData::parse(c.body));
        } else {
            m.kept.keep(last, c.whole);
            continue;
        }
        last = t;
    }
    m.kept.set_tail(children.tail());
    if (!have_mvhd) return bad_movie("movie lacks its header");
    return m;
}

Result<void> MovieModel::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kMoov);
    kept.write_after(w, 0);
    TRY(header.write(w));
    kept.write_after(w, kMvhd);
    for (const Track& t : tracks) TRY(t.write(w));
    kept.write_after(w, kTrak);
    if (user_data) TRY(user_data->write(w));
    kept.write_after(w, kUdta);
    kept.write_tail(w);
    return end_atom(w, at);
}

Result<std::vector<UInt8>> MovieModel::write() const {
    ByteWriter w;
    TRY(write(w));
    return w.take();
}

Track* MovieModel::find_track(UInt32 id) {
    for (Track& t : tracks)
        if (t.header.track_id == id) return &t;
    return nullptr;
}

const Track* MovieModel::find_track(UInt32 id) const {
    return const_cast<MovieModel*>(this)->find_track(id);
}

void MovieModel::update_durations() {
    UInt64 longest = 0;
    for (Track& t : tracks) {
        t.media.header.duration = t.media.samples.duration();
        t.header.duration = t.duration(header.time_scale);
        if (t.header.duration > longest) longest = t.header.duration;
    }
    header.duration = longest;
}

UInt64 convert_duration(UInt64 value, UInt32 from_scale, UInt32 to_scale) {
    if (from_scale == to_scale || from_scale == 0) return value;
    unsigned __int128 v = (unsigned __int128)value * to_scale + (from_scale - 1);
    v /= from_scale;
    return v > ~UInt64(0) ? ~UInt64(0) : UInt64(v);
}

void insert_whole_media(Track& track, UInt32 movie_time_scale) {
    UInt64 d = track.media.samples.duration();
    Edits e;
    e.list = EditList{};
    if (d) {
        e.list->entries.push_back(
            EditEntry{convert_duration(d, track.media.header.time_scale, movie_time_scale), 0, 0x10000});
    }
    track.edits = std::move(e);
}

}  // namespace platform::movies
