// Movie editing: cut and paste within a movie, and segments pasted
// from another movie file, which stay where they are until Save As.
#include <filesystem>

#include "NewMovie.h"
#include "PlaybackSupport.h"
#include "platform/movies/objects/MovieObjects.h"
#include "platform/movies/format/Alias.h"
#include "platform/movies/playback/Player.h"
#include "tests/support/Process.h"
#include "tests/quickdraw/qd_test_util.h"
#include "tests/support/Tools.h"

using namespace pbtest;
namespace mv = platform::movies;

namespace {

using Dir = testsupport::TempFolder;

Track track_of_type(Movie m, OSType type) { return GetMovieIndTrackType(m, 1, type, movieTrackMediaType); }

// The media sample the video track shows at movie time t.
UInt32 frame_at(Movie m, TimeValue t) { return mv::playback::sample_at_movie_time(*mv::track_of(track_of_type(m, VideoMediaType)), t); }

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
    add_video_track(m, 320, 100, 8, kAnimationCodecType, std::vector<TimeValue>(20, 60), [](int f, GWorldPtr world) {
        qdtest::UsePort use(world);
        Rect all{0, 0, 100, 320}, bar{10, SInt16(f * 15), 90, SInt16(f * 15 + 12)};
        ForeColor(f % 2 ? greenColor : cyanColor);
        PaintRect(&all);
        ForeColor(blackColor);
        PaintRect(&bar);
    });
    Bytes sound(22050 * 2);
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = UInt8(128 + int(90 * std::sin(double(i) * 0.03)));
    add_sound_track(m, 'raw ', 8, 1, 22050, sound, UInt32(sound.size()));
    finish_movie(m, ref);
    DisposeMovie(m);
}

// Pastes [1 s, 2 s) of the other movie, through the scrap, at `at` of `into`.
void paste_from_other(Movie into, const std::string& other, TimeValue at) {
    Movie src = read_movie(other);
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
    EXPECT_EQ((std::tuple{UpdateMovieResource(m, ref, movieInDataForkResID, nullptr), CloseMovieFile(ref)}), std::tuple(noErr, noErr));
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
    EXPECT_EQ(std::tuple(GetMovieDuration(cut), GetMovieTrackCount(cut)), std::tuple(TimeValue(600), SInt32(2)));
    EXPECT_EQ(GetTrackDuration(track_of_type(movie, SoundMediaType)), 3300);

    SetMovieSelection(movie, 3000, 0);
    PasteMovieSelection(movie, cut);
    EXPECT_EQ(GetMoviesError(), noErr);
    DisposeMovie(cut);
    EXPECT_EQ(GetTrackDuration(track_of_type(movie, SoundMediaType)), 3900);
    TimeValue sel = 0, len = 0;
    GetMovieSelection(movie, &sel, &len);
    EXPECT_EQ(std::tuple(sel, len), std::tuple(TimeValue(3000), TimeValue(600))) << "what was pasted is selected";
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
    for (const char* sub : {"src", "dst"}) std::filesystem::create_directories(dir / sub);
    const std::string other = dir / "src/other.mov";
    make_other_movie(other);
    Movie o = read_movie(other);
    const Bytes other_picture = picture_at(o, 630);   // frame 11
    DisposeMovie(o);
    const std::string alias = "../src/other.mov | " + std::filesystem::canonical(other).string();

    // Into the new movie at 3 s, saved in place: its tracks now reach two files.
    const std::string mixed = dir / "dst/new.mov";
    DisposeMovie(newmovie::create_new_movie(mixed));
    SInt16 ref = 0;
    Movie m = open_movie(mixed, &ref, fsRdWrPerm);
    paste_from_other(m, other, 1800);
    save_in_place(m, ref);
    DisposeMovie(m);
    m = read_movie(mixed);
    // As written: references to other files first, then the movie's own.
    using Refs = std::vector<std::vector<std::string>>;
    EXPECT_EQ(references(m), (Refs{{alias, "self"}, {alias, "self"}}));
    EXPECT_TRUE(picture_at(m, 1830) == other_picture);
    EXPECT_TRUE(picture_at(m, 2430) == newmovie::drawn_frame_rgb(31));
    // It plays through the pasted part.
    GoToBeginningOfMovie(m);
    StartMovie(m);
    vh.run(m, 8000);
    EXPECT_EQ(std::tuple(GetMovieTime(m, nullptr), mv::playback::player_of(*mv::movie_of(m)).problems().empty()), std::tuple(4800, true));
    DisposeMovie(m);
}

// IMA 4:1 sound as ffmpeg writes it in .mov, each sample a whole packet of
// 64 frames, its description either without byte counts or with them: a
// cut pasted elsewhere and saved as a copy decodes (by ffmpeg) to the
// sound moved as it was, not to packets read from wrong offsets.
TEST(Editing, Ima4PacketsMoveWholeThroughCutPasteAndSaveAs) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    Dir dir;
    const std::string src = dir / "ima4.mov", copy = dir / "copy.mov";
    ASSERT_EQ(ffmpeg("-f lavfi -i 'aevalsrc=0.4*sin(2*PI*(300+400*t)*t):d=2:s=22050' -c:a adpcm_ima_qt " + testsupport::quote(src)), "");
    auto decode = [](const std::string& path) {
        const auto r = testsupport::run_program({"ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-"});
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<SInt16> s(r.out.size() / 2);
        std::memcpy(s.data(), r.out.data(), s.size() * 2);
        return s;
    };
    const std::vector<SInt16> want = decode(src);
    for (bool counted : {false, true}) {
        SCOPED_TRACE(counted ? "bytes per packet given" : "no byte counts");
        if (counted) {   // samples per packet 64, bytes per packet 34, per frame 34
            auto bytes = testsupport::read_bytes(src);
            const std::string text(bytes.begin(), bytes.end());
            const size_t at = text.rfind("ima4");
            platform::store_u32be(&bytes[at + 36], 34);
            platform::store_u32be(&bytes[at + 40], 34);
            testsupport::write_bytes(src, bytes);
        }
        VirtualHost vh;
        SInt16 ref = 0;
        Movie movie = open_movie(src, &ref);
        ASSERT_TRUE(movie);
        const TimeValue scale = GetMovieTimeScale(movie);
        SetMovieSelection(movie, scale / 2, scale / 2);   // [0.5 s, 1 s) goes to the end
        Movie cut = CutMovieSelection(movie);
        SetMovieSelection(movie, GetMovieDuration(movie), 0);
        PasteMovieSelection(movie, cut);
        DisposeMovie(cut);
        FSSpec out = spec_for(copy);
        Movie flat = FlattenMovieData(movie, 0x41, &out, 'TVOD', smSystemScript, createMovieFileDeleteCurFile);
        ASSERT_TRUE(flat) << GetMoviesError();
        DisposeMovie(flat);
        DisposeMovie(movie);
        CloseMovieFile(ref);

        // Each piece as it was, away from the cuts. ffmpeg starts the later
        // edits of sound only near their packet, so each piece is found
        // within two packets of where it belongs.
        const std::vector<SInt16> got = decode(copy);
        ASSERT_NEAR(double(got.size()), double(want.size()), 64);
        const std::pair<size_t, size_t> pieces[] = {{0, 0}, {11025, 22050}, {33075, 11025}};   // at, from
        for (auto [at, from] : pieces) {
            double best = 0;
            for (int lag = -128; lag <= 128; ++lag) {
                double sxy = 0, sxx = 0, syy = 0;
                for (size_t i = 300; i < 10700; i += 4) {
                    const double x = got[at + i], y = want[size_t(SInt64(from + i) + lag)];
                    sxy += x * y, sxx += x * x, syy += y * y;
                }
                best = std::max(best, sxy / std::sqrt(sxx * syy));
            }
            EXPECT_GE(best, 0.99) << "the piece at " << at;
        }
    }
}
