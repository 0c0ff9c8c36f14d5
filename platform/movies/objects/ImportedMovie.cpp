#include "platform/movies/objects/ImportedMovie.h"

#include "platform/importers/SoundFileImport.h"
#include "platform/movies/objects/HostDescriptions.h"
#include "platform/movies/objects/Session.h"

namespace platform::movies {

namespace {

// The importers read through the file the movie file's reference number has
// open, so they parse the very file the movie will refer to.
class OpenFileSource final : public importers::SoundSource {
public:
    OpenFileSource(const files::File& file, UInt64 size) : file_(file), size_(size) {}
    UInt64 size() const override { return size_; }
    Result<void> read(void* to, size_t n, UInt64 offset) const override {
        size_t got = TRY_AS(file_.read_at(to, n, offset), badFileFormat);
        if (got != n) return fail(badFileFormat, "sound file ends early");
        return ok();
    }

private:
    const files::File& file_;
    UInt64 size_;
};

}  // namespace

Result<bool> is_sound_file(const files::File& file) {
    UInt8 start[12];
    size_t got = TRY(file.read_at(start, sizeof start, 0));
    return got == sizeof start && importers::sniff_sound(start).has_value();
}

Result<MovieObject*> movie_from_sound_file(const files::File& file, const std::string& path, SInt16 ref_num,
                                           SInt16 flags) {
    OpenFileSource source(file, TRY(file.size()));
    importers::SoundFileImport sound = TRY(importers::parse_sound_file(source));
    if (sound.frameCount == 0) return fail(badFileFormat, "the sound file holds no samples");
    auto home = TRY(DataSource::reopen(file, path));

    const ::SoundDescription& d = sound.description;
    UInt32 scale = UInt32((UInt64(d.sampleRate) + 0x8000) >> 16);
    Track track = Track::make(1, kSoun, scale ? scale : 1, 0, 0, 0x100);
    std::span<const UInt8> host(reinterpret_cast<const UInt8*>(&d), sizeof d);
    track.media.descriptions.entries.push_back(SampleDescription{TRY(description_to_file(kSoun, host))});
    UInt32 per_sample = sound.bytesPerFrame;
    TRY(track.media.samples.add_chunk(sound.dataOffset, sound.frameCount, per_sample, 1, 1, true));
    track.media.header.duration = track.media.samples.duration();
    UInt64 now = mac_time_now();
    track.header.creation_time = track.header.modification_time = now;
    track.media.header.creation_time = track.media.header.modification_time = now;

    MovieObject* movie = new_movie_object(flags);
    insert_whole_media(track, movie->model.header.time_scale);
    movie->home_path = path;
    movie->home = std::move(home);
    movie->home_ref_num = ref_num;
    movie->imported = true;
    TrackObject* t = movie->add_track(std::move(track), true);
    movie->attach_sources(t->media, nullptr);
    movie->refresh_durations(t->data());
    return movie;
}

}  // namespace platform::movies
