// Movie editing: cut and paste within a movie, and segments pasted
// from another movie file, which stay where they are until Save As.
#include <filesystem>

#include "NewMovie.h"
#include "PlaybackSupport.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/format/Alias.h"
#include "platform/movies/playback/Player.h"

using namespace pbtest;
namespace mv = platform::movies;

namespace {

using Dir = testsupport::TempFolder;

Track track_of_type(Movie m, OSType type) { return GetMovieIndTrackType(m, 1, type, movieTrackMediaType); }

// The media sample the video track shows at movie time t.
UInt32 frame_at(Movie m, TimeValue t) {
    return mv::playback::sample_at_movie_time(*mv::track_of(track_of_type(m, VideoMediaType)), t);
}

Bytes picture_at(Movie m, TimeValue t) {
    MovieCanvas canvas(m, 320, 100);
    SetMovieTimeValue(m, t);
    MoviesTask(m, 0);
    return canvas.rgb();
}

// Another movie: 20 frames of 0.1 s in colours of their own, and 2 s of
// sound, so that anything taken from it is told apart from the new movie.
void make_other_movie(const std::string& path) {
    SInt16 ref = 0;
    Movie m = begin_movie(path, &ref);
    add_video_track(m, 320, 100, 8, kAnimationCodecType, 20, 60, [](int f, GWorldPtr world) {
        CGrafPtr port;
        GDHandle device;
        GetGWorld(&port, &device);
        SetGWorld(world, nullptr);
        Rect all{0, 0, 100, 320}, bar{10, SInt16(f * 15), 90, SInt16(f * 15 + 12)};
        ForeColor(f % 2 ? greenColor : cyanColor);
        PaintRect(&all);
        ForeColor(blackColor);
        PaintRect(&bar);
        SetGWorld(port, device);
    });
    Bytes sound(22050 * 2);
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = UInt8(128 + int(90 * std::sin(double(i) * 0.03)));
    add_sound_track(m, 'raw ', 8, 1, 22050, sound, UInt32(sound.size()));
    finish_movie(m, ref);
    DisposeMovie(m);
}

// Pastes [1 s, 2 s) of the other movie, through the scrap, at `at` of `into`.
void paste_from_other(Movie into, const std::string& other, TimeValue at) {
    SInt16 ref = 0;
    Movie src = open_movie(other, &ref);
    CloseMovieFile(ref);
    SetMovieSelection(src, 600, 600);
    Movie copy = CopyMovieSelection(src);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(PutMovieOnScrap(copy, 0), noErr);
    DisposeMovie(copy);
    DisposeMovie(src);
    Movie scrap = NewMovieFromScrap(0);
    ASSERT_NE(scrap, nullptr);
    SetMovieSelection(into, at, 0);
    PasteMovieSelection(into, scrap);
    ASSERT_EQ(GetMoviesError(), noErr);
    DisposeMovie(scrap);
}

void save_in_place(Movie m, SInt16 ref) {
    EXPECT_EQ(UpdateMovieResource(m, ref, movieInDataForkResID, nullptr), noErr);
    EXPECT_EQ(CloseMovieFile(ref), noErr);
}

// The data references of every track: 0 for the movie's own file, else the
// alias's relative path.
std::vector<std::vector<std::string>> references(Movie m) {
    std::vector<std::vector<std::string>> out;
    for (mv::TrackObject* t : mv::movie_of(m)->tracks_in_order()) {
        std::vector<std::string> refs;
        const auto& info = t->data().media.data_info;
        if (info && info->refs)
            for (const auto& r : info->refs->entries) {
                if (r.in_movie_file()) refs.push_back("self");
                else if (auto a = mv::parse_alias(r.data); a.ok()) refs.push_back(a->relative_path + " | " + a->absolute_path);
                else refs.push_back("?");
            }
        out.push_back(refs);
    }
    return out;
}

}  // namespace

// Cut [1 s, 2 s) of the new movie and paste it at 5 s: the frames move with
// it, every track stays in step (undo is the controller tests').
TEST(Editing, CutThenPasteElsewhere) {
    Dir dir;
    VirtualHost vh;
    Movie movie = newmovie::create_new_movie(dir / "new.mov");

    SetMovieSelection(movie, 600, 600);
    Movie cut = CutMovieSelection(movie);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(std::pair(GetMovieDuration(cut), GetMovieTrackCount(cut)), std::pair(TimeValue(600), SInt32(2)));
    EXPECT_EQ(GetTrackDuration(track_of_type(movie, SoundMediaType)), 3300);

    SetMovieSelection(movie, 3000, 0);
    PasteMovieSelection(movie, cut);
    EXPECT_EQ(GetMoviesError(), noErr);
    DisposeMovie(cut);
    EXPECT_EQ(GetTrackDuration(track_of_type(movie, SoundMediaType)), 3900);
    TimeValue sel = 0, len = 0;
    GetMovieSelection(movie, &sel, &len);
    EXPECT_EQ(std::pair(sel, len), std::pair(TimeValue(3000), TimeValue(600))) << "what was pasted is selected";
    const std::pair<TimeValue, int> frames[] = {{599, 10}, {600, 21}, {2999, 60}, {3000, 11}, {3599, 20}, {3600, 61}};
    for (auto [t, f] : frames) EXPECT_TRUE(picture_at(movie, t) == newmovie::drawn_frame_rgb(f)) << "at " << t;
    EXPECT_EQ(frame_at(movie, 3000), 71u) << "the pasted frames are new samples of the same media";
    DisposeMovie(movie);
}

// A segment of another movie file pasted into a movie refers to that file:
// saved in place, the movie keeps an alias to it (relative path and
// absolute path), reopens and plays it. (Save As copying what such
// references reach is the movie files' tests'.)
TEST(Editing, PasteFromAnotherFileKeepsAReferenceToIt) {
    Dir dir;
    VirtualHost vh;
    std::filesystem::create_directories(dir / "src");
    std::filesystem::create_directories(dir / "dst");
    const std::string other = dir / "src/other.mov";
    make_other_movie(other);
    Bytes other_picture;
    {
        SInt16 ref = 0;
        Movie o = open_movie(other, &ref);
        CloseMovieFile(ref);
        other_picture = picture_at(o, 630);    // frame 11
        DisposeMovie(o);
    }
    const std::string alias = "../src/other.mov | " + std::filesystem::canonical(other).string();

    // Into the new movie at 3 s, saved in place: its tracks now reach two files.
    const std::string mixed = dir / "dst/new.mov";
    DisposeMovie(newmovie::create_new_movie(mixed));
    SInt16 ref = 0;
    Movie m = open_movie(mixed, &ref, fsRdWrPerm);
    paste_from_other(m, other, 1800);
    save_in_place(m, ref);
    DisposeMovie(m);
    m = open_movie(mixed, &ref);
    CloseMovieFile(ref);
    // As written: references to other files first, then the movie's own.
    using Refs = std::vector<std::vector<std::string>>;
    EXPECT_EQ(references(m), (Refs{{alias, "self"}, {alias, "self"}}));
    EXPECT_TRUE(picture_at(m, 1830) == other_picture);
    EXPECT_TRUE(picture_at(m, 2430) == newmovie::drawn_frame_rgb(31));
    // It plays through the pasted part.
    GoToBeginningOfMovie(m);
    StartMovie(m);
    vh.run(m, 8000);
    EXPECT_EQ(GetMovieTime(m, nullptr), 4800);
    EXPECT_TRUE(mv::playback::player_of(*mv::movie_of(m)).problems().empty());
    DisposeMovie(m);
}
