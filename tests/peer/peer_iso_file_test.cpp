// Movies that ffmpeg writes in the ISO layout (.mp4): fragmented ones open
// whole and Save As writes them unfragmented with the very same packets;
// Save in place keeps the brand and shows the edit; metadata, chapters,
// subtitles and timecode come through Save and Save As.
#include <algorithm>
#include <filesystem>

#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"
#include "platform/Movies.h"
#include "platform/files/Catalog.h"
#include "platform/movies/format/MovieFile.h"

using testsupport::quote;
using testsupport::run_shell;
using testsupport::TempFolder;

namespace {

constexpr const char* kSource =
    "-f lavfi -i testsrc=size=64x48:rate=25:duration=4 -f lavfi -i sine=frequency=440:sample_rate=8000:duration=4 ";

std::string make(const std::string& path, const std::string& options) {
    auto r = run_shell("ffmpeg -nostdin -v error -y " + std::string(kSource) + options + " " + quote(path) + " 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    return path;
}

std::string probe(const std::string& path, const std::string& what) {
    return run_shell("ffprobe -v error " + what + " -of compact " + quote(path) + " 2>&1").out;
}

double seconds_of(const std::string& path) {
    return std::atof(probe(path, "-show_entries format=duration").substr(16).c_str());
}

// Every packet, in each stream's order: times, size, key frame and a hash
// of its bytes; and each stream's length. (Packet durations are left out:
// in fragments ffmpeg reports the first and last ones as it guesses them,
// not as stored.)
std::string packets(const std::string& path) {
    std::string all = probe(path, "-show_entries packet=stream_index,pts,dts,size,flags:stream=duration_ts -show_data_hash MD5");
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = all.find('\n', at)) != std::string::npos; at = end + 1) lines.push_back(all.substr(at, end - at));
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return a.substr(0, 22) < b.substr(0, 22);   // "packet|stream_index=N" first, by stream
    });
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

struct Opened {
    Opened(const std::string& path, SInt8 permission) {
        FSSpec spec{};
        platform::files::make_fsspec(path, &spec);
        SInt16 id = 0;
        if (OpenMovieFile(&spec, &ref, permission) == noErr)
            (void)NewMovieFromFile(&movie, ref, &id, nullptr, newMovieActive, nullptr);
    }
    ~Opened() {
        if (movie) DisposeMovie(movie);
        if (ref) CloseMovieFile(ref);
    }
    void save_as(const std::string& path) const {
        FSSpec spec{};
        platform::files::make_fsspec(path, &spec);
        Movie copy = FlattenMovieData(movie, flattenAddMovieToDataFork | flattenForceMovieResourceBeforeMovieData,
                                      &spec, 'TVOD', smSystemScript,
                                      createMovieFileDeleteCurFile | createMovieFileDontCreateResFile);
        ASSERT_NE(copy, nullptr) << GetMoviesError();
        DisposeMovie(copy);
    }
    void save() const { ASSERT_EQ(UpdateMovieResource(movie, ref, movieInDataForkResID, nullptr), noErr); }
    SInt16 ref = 0;
    Movie movie = nullptr;
};

platform::movies::MovieFileContents read(const std::string& path) {
    auto file = platform::movies::open_data_file(path, platform::movies::OpenMode::read).value();
    auto c = platform::movies::read_movie_file(*file);
    EXPECT_TRUE(c.ok()) << path << ": " << (c.ok() ? "" : c.error().message);
    return c.ok() ? std::move(c).value() : platform::movies::MovieFileContents{};
}

bool has_fragments(const std::string& path) {
    for (const auto& a : read(path).layout.atoms)
        if (a.type == platform::movies::kMoof) return true;
    return false;
}

std::string brand_of(const std::string& path) { return testsupport::read_file(path).substr(0, 32); }

class FragmentedPeerMovie : public ::testing::TestWithParam<const char*> {};

TEST_P(FragmentedPeerMovie, OpensWholeAndSavesAsARegularFileWithTheSamePackets) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    const std::string source = make(dir / "recorded.mp4", std::string("-c:v mpeg4 -g 25 -c:a aac -movflags ") + GetParam());
    ASSERT_TRUE(has_fragments(source));
    const std::string want = packets(source);
    ASSERT_NE(want.find("packet|"), std::string::npos) << want;

    EnterMovies();
    const std::string copy = dir / "copy.mp4";
    {
        Opened m(source, fsRdPerm);
        ASSERT_NE(m.movie, nullptr);
        EXPECT_NEAR(GetMovieDuration(m.movie) / double(GetMovieTimeScale(m.movie)), seconds_of(source), 0.002);
        m.save_as(copy);
    }
    EXPECT_FALSE(has_fragments(copy));
    EXPECT_EQ(packets(copy), want);
}

INSTANTIATE_TEST_SUITE_P(Movies, FragmentedPeerMovie,
                         ::testing::Values("frag_keyframe+empty_moov", "frag_keyframe+empty_moov+default_base_moof",
                                           "cmaf -f mp4"),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "ExplicitBase" : info.index == 1 ? "BaseIsMoof" : "Segmented");
                         });

// Video frames ffmpeg shows (edits applied), and the movie's seconds.
int frames_shown(const std::string& path) {
    const std::string md5 = run_shell("ffmpeg -nostdin -v error -i " + quote(path) + " -map 0:v -f framemd5 - 2>&1").out;
    int frames = 0;
    for (size_t at = 0; at < md5.size(); at = md5.find('\n', at) + 1) {
        frames += md5[at] != '#';
        if (md5.find('\n', at) == std::string::npos) break;
    }
    return frames;
}

// Cutting the first second and saving in place: the ftyp is untouched and
// ffmpeg shows the frames from one second on; a fragmented file's
// fragments are not read a second time.
TEST(PeerIsoFile, SavedInPlaceAfterACutKeepsItsBrandAndPlaysAsEdited) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    EnterMovies();
    for (const char* flags : {"+faststart", "frag_keyframe+empty_moov"}) {
        SCOPED_TRACE(flags);
        const std::string path = make(dir / "movie.mp4", std::string("-c:v mpeg4 -g 25 -c:a aac -movflags ") + flags);
        const std::string brand = brand_of(path);
        const double seconds = seconds_of(path);
        // Frames that start from one second on (12800 units a second).
        const std::string pts = probe(path, "-select_streams v -show_entries packet=pts");
        int later = 0;
        for (size_t at = 0; (at = pts.find("pts=", at)) != std::string::npos; at += 4)
            later += std::atol(pts.c_str() + at + 4) >= 12800;
        {
            Opened m(path, fsRdWrPerm);
            ASSERT_NE(m.movie, nullptr);
            SetMovieSelection(m.movie, 0, 1000);
            ClearMovieSelection(m.movie);
            m.save();
        }
        EXPECT_EQ(brand_of(path), brand);
        EXPECT_FALSE(has_fragments(path));
        EXPECT_NEAR(frames_shown(path), later, 1) << "a frame that straddles the cut may show";
        EXPECT_NEAR(seconds_of(path), seconds - 1, 0.03);
    }
}

// A title, two chapters, subtitles and a timecode: ffprobe finds them all
// after Save and after Save As, and the metadata atom is kept byte for byte.
TEST(PeerIsoFile, MetadataChaptersSubtitlesAndTimecodeSurviveSaveAndSaveAs) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    const std::string chapters = dir / "chapters.txt", subtitles = dir / "subtitles.srt";
    testsupport::write_file(chapters, ";FFMETADATA1\ntitle=Kept Title\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=2000\n"
                                      "title=One\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=2000\nEND=4000\ntitle=Two\n");
    testsupport::write_file(subtitles, "1\n00:00:00,000 --> 00:00:02,000\nHello\n\n2\n00:00:02,000 --> 00:00:04,000\nWorld\n");
    const std::string source = make(dir / "source.mp4", "-i " + quote(chapters) + " -i " + quote(subtitles) +
                                                            " -map 0 -map 1 -map 3 -map_metadata 2 -map_chapters 2 "
                                                            "-c:v mpeg4 -c:a aac -c:s mov_text -timecode 01:00:00:00");
    const std::string what = "-show_chapters -show_entries format_tags=title:stream=codec_type,codec_name:stream_tags=timecode";
    const std::string want = probe(source, what);
    ASSERT_NE(want.find("title=Two"), std::string::npos) << want;
    ASSERT_NE(want.find("01:00:00:00"), std::string::npos) << want;
    ASSERT_NE(want.find("mov_text"), std::string::npos) << want;
    const auto meta = read(source).movie.user_data->items;

    EnterMovies();
    const std::string saved = dir / "saved.mp4", copy = dir / "copy.mp4";
    std::filesystem::copy_file(source, saved);
    {
        Opened m(saved, fsRdWrPerm);
        ASSERT_NE(m.movie, nullptr);
        m.save();
        m.save_as(copy);
    }
    for (const std::string& path : {saved, copy}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(probe(path, what), want);
        EXPECT_EQ(read(path).movie.user_data->items, meta);
    }
}

}  // namespace
