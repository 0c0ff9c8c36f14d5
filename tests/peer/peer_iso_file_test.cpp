// Movies that ffmpeg writes as .mp4: fragmented ones open whole and Save As
// writes them unfragmented with the very same packets, branded by the new
// name; Save in place keeps the brand and shows the edit; metadata, chapters, subtitles and timecode
// come through Save and Save As.
#include <algorithm>
#include <filesystem>

#include "NewMovieReading.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"
#include "platform/Movies.h"
#include "platform/movies/format/MovieFile.h"

using namespace testsupport;

namespace {

std::string make(const std::string& path, const std::string& options) {
    auto r = run_shell("ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=64x48:rate=25:duration=4 -f lavfi -i "
                       "sine=sample_rate=8000:duration=4 " + options + " -c:v mpeg4 -g 25 -c:a aac " + quote(path) + " 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    return path;
}

std::string probe(const std::string& path, const std::string& what) {
    return run_shell("ffprobe -v error " + what + " -of csv " + quote(path) + " 2>&1").out;
}

double seconds_of(const std::string& path) { return std::atof(probe(path, "-show_entries format=duration").c_str() + 7); }

// Every packet by stream, in its order: times, size, key frame, a hash of
// its bytes; and each stream's length. (Durations are left out: ffmpeg
// guesses the first and last ones of fragments instead of reading them.)
std::string packets(const std::string& path) {
    std::string all = probe(path, "-show_entries packet=stream_index,pts,dts,size,flags:stream=duration_ts -show_data_hash MD5");
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = all.find('\n', at)) != std::string::npos; at = end + 1) lines.push_back(all.substr(at, end - at));
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.substr(0, 9) < b.substr(0, 9); });
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

// The layout and movie of a file as Kinora reads it.
platform::movies::MovieFileContents read(const std::string& path) {
    auto file = platform::movies::open_data_file(path, platform::movies::OpenMode::read).value();
    return platform::movies::read_movie_file(*file).value();
}

bool has_fragments(const std::string& path) {
    const auto atoms = read(path).layout.atoms;
    return std::any_of(atoms.begin(), atoms.end(), [](const auto& a) { return a.type == platform::movies::kMoof; });
}

// A movie opened from a file, saved as File > Save and File > Save As do it.
struct Opened : newmovie::OpenedMovie {
    using OpenedMovie::OpenedMovie;
    void save_as(const std::string& path) const {
        FSSpec spec = newmovie::spec_for(path);
        Movie copy = FlattenMovieData(movie, flattenAddMovieToDataFork | flattenForceMovieResourceBeforeMovieData, &spec, 'TVOD',
                                      smSystemScript, createMovieFileDeleteCurFile | createMovieFileDontCreateResFile);
        ASSERT_NE(copy, nullptr) << GetMoviesError();
        DisposeMovie(copy);
    }
    void save() const { ASSERT_EQ(UpdateMovieResource(movie, ref, movieInDataForkResID, nullptr), noErr); }
};

class FragmentedPeerMovie : public ::testing::TestWithParam<const char*> {};

TEST_P(FragmentedPeerMovie, OpensWholeAndSavesAsARegularFileWithTheSamePackets) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    const std::string source = make(dir / "recorded.mp4", GetParam()), copy = dir / "copy.mp4";
    ASSERT_TRUE(has_fragments(source));
    EnterMovies();
    {
        Opened m(source, fsRdPerm);
        ASSERT_NE(m.movie, nullptr);
        EXPECT_NEAR(GetMovieDuration(m.movie) / double(GetMovieTimeScale(m.movie)), seconds_of(source), 0.002);
        m.save_as(copy);
    }
    EXPECT_EQ(std::tuple(has_fragments(copy), packets(copy)), std::tuple(false, packets(source)));
}

INSTANTIATE_TEST_SUITE_P(Movies, FragmentedPeerMovie,
                         ::testing::Values("-movflags frag_keyframe+empty_moov",
                                           "-movflags frag_keyframe+empty_moov+default_base_moof",
                                           "-movflags cmaf -f mp4"));

// Save As takes the brand of the name saved to: an .mp4 copy is an ISO
// file to ffprobe, a .mov copy of the same movie a classic one.
TEST(PeerIsoFile, SaveAsBrandsTheCopyByItsName) {
    KINORA_REQUIRE_TOOL("ffprobe");
    TempFolder dir;
    const std::string source = make(dir / "source.mp4", "-movflags +faststart");
    EnterMovies();
    {
        Opened m(source, fsRdPerm);
        ASSERT_NE(m.movie, nullptr);
        m.save_as(dir / "copy.M4V");
        m.save_as(dir / "copy.mov");
    }
    const std::string tags = "-show_entries format_tags=major_brand,compatible_brands";
    EXPECT_EQ(std::tuple(probe(dir / "copy.M4V", tags), probe(dir / "copy.mov", tags)), std::tuple("format,isom,isomiso2mp41mp42\n", "format,qt  ,qt  \n"));
    EXPECT_EQ(packets(dir / "copy.M4V"), packets(source));
}

// Cutting the first second and saving in place: the ftyp stays, and ffmpeg
// shows the frames from one second on (12800 units a second), not the
// fragments a second time.
TEST(PeerIsoFile, SavedInPlaceAfterACutKeepsItsBrandAndPlaysAsEdited) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    EnterMovies();
    for (const char* flags : {"-movflags +faststart", "-movflags frag_keyframe+empty_moov"}) {
        SCOPED_TRACE(flags);
        const std::string path = make(dir / "movie.mp4", flags);
        const std::string brand = read_file(path).substr(0, 32), pts = probe(path, "-select_streams v -show_entries packet=pts");
        const double seconds = seconds_of(path);
        int later = 0;
        for (size_t at = 0; (at = pts.find("packet,", at)) != std::string::npos; ++at) later += std::atol(&pts[at + 7]) >= 12800;
        {
            Opened m(path, fsRdWrPerm);
            ASSERT_NE(m.movie, nullptr);
            SetMovieSelection(m.movie, 0, 1000);
            ClearMovieSelection(m.movie);
            m.save();
        }
        EXPECT_EQ(std::tuple(read_file(path).substr(0, 32), has_fragments(path)), std::tuple(brand, false));
        const int shown = std::atoi(probe(path, "-count_frames -select_streams v -show_entries stream=nb_read_frames").c_str() + 7);
        EXPECT_NEAR(shown, later, 1) << "a frame that straddles the cut may show";
        EXPECT_NEAR(seconds_of(path), seconds - 1, 0.03);
    }
}

// A title, two chapters, subtitles and a timecode: ffprobe finds them all
// after Save and after Save As, and the metadata is kept byte for byte.
TEST(PeerIsoFile, MetadataChaptersSubtitlesAndTimecodeSurviveSaveAndSaveAs) {
    KINORA_REQUIRE_TOOL("ffmpeg");
    TempFolder dir;
    const std::string chapters = dir / "chapters.txt", subtitles = dir / "subtitles.srt";
    write_file(chapters, ";FFMETADATA1\ntitle=Kept Title\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=2000\ntitle=One\n"
                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=2000\nEND=4000\ntitle=Two\n");
    write_file(subtitles, "1\n00:00:00,000 --> 00:00:02,000\nHello\n\n2\n00:00:02,000 --> 00:00:04,000\nWorld\n");
    const std::string source = make(dir / "source.mp4", "-i " + quote(chapters) + " -i " + quote(subtitles) +
                                                            " -map 0 -map 1 -map 3 -map_metadata 2 -map_chapters 2 "
                                                            "-c:s mov_text -timecode 01:00:00:00");
    const std::string what = "-show_chapters -show_entries format_tags=title:stream=codec_type,codec_name:stream_tags=timecode";
    const std::string want = probe(source, what);
    for (const char* part : {"Two", "01:00:00:00", "mov_text", "Kept Title"}) ASSERT_NE(want.find(part), std::string::npos) << want;
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
        EXPECT_EQ(probe(path, what), want) << path;
        EXPECT_EQ(read(path).movie.user_data->items, meta) << path;
    }
}

}  // namespace
