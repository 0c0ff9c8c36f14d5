// build/movdump as users and tests run it: what it prints and how it exits.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "MovieTestSupport.h"

using namespace movietest;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

ToolRun movdump(const std::string& args) {
    ToolRun r;
    std::string cmd = std::string(KINORA_BUILD_DIR) + "/movdump " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

struct MovieOnDisk {
    std::string path;
    explicit MovieOnDisk(const std::vector<UInt8>& bytes) {
        path = std::filesystem::temp_directory_path() / ("kinora-movdump-" + std::to_string(getpid()) + ".mov");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    }
    ~MovieOnDisk() { std::filesystem::remove(path); }
};

}  // namespace

TEST(Movdump, PrintsTheTreeTracksDescriptionsTablesAndUserData) {
    Movie m;
    standard_movie_file(500, &m);
    m.user_data = UserData{};
    ASSERT_TRUE(set_user_data_text(*m.user_data, 0xA9636D74, 1, "made by the tests", 0).ok());
    MemoryFile f(standard_movie_file(500));
    auto scanned = scan_movie_file(f);
    ASSERT_TRUE(scanned.ok());
    auto w = MovieFileWriter::append_to(f, scanned->movie_atom()->offset).value();
    ASSERT_TRUE(w.append_movie(m, 0).ok());
    MovieOnDisk file(f.bytes());

    ToolRun r = movdump(file.path);
    EXPECT_EQ(r.status, 0) << r.out;
    const char* expected[] = {
        "'ftyp' @0 size 20",
        "brand 'qt  ', minor version 0x20050300, compatible 'qt  '",
        "'wide' @20 size 8",
        "'moov' @",
        "      'stsd' @",
        "track 1: ID 1, 'vide'",
        "codec 'rle ' \"Animation\"",
        "320 x 100, depth 8, colour table ID -1",
        "70 sample(s) in 70 chunk(s), duration 4200",
        "time-to-sample, 1 run(s): 70x60",
        "track 2: ID 2, 'soun'",
        "format 'raw ', version 0, vendor '\\x00\\x00\\x00\\x00', 1 channel(s), 8 bits, 22050.000 Hz",
        "500 sample(s) in 1 chunk(s), duration 500",
        "sample size: 1 each",
        "'\\xA9cmt' 21 bytes, [lang 0] \"made by the tests\"",
        "track 2 data reference 1: the movie file",
    };
    for (const char* line : expected) EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_EQ(r.out.find("sample 1:"), std::string::npos) << "samples only when asked";

    ToolRun all = movdump("--samples " + file.path);
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("sample 70: time 4140, duration 60, offset "), std::string::npos);
    EXPECT_NE(all.out.find("sample 500: time 499, duration 1, offset "), std::string::npos);

    ToolRun check = movdump("--check " + file.path);
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, "ok: 2 track(s), 570 sample(s)\n");

    ToolRun tracks = movdump("--tracks " + file.path);
    EXPECT_EQ(tracks.status, 0);
    EXPECT_EQ(tracks.out,
              "movie: time scale 600, duration 4200, box 320x100, 2 track(s)\n"
              "track 1: ID 1, 'vide' (Video), enabled, duration 4200, media time scale 600, media duration 4200, "
              "70 sample(s), 1 description(s), 320x100, volume 0.000\n"
              "track 2: ID 2, 'soun' (Sound), enabled, duration 14, media time scale 22050, media duration 500, "
              "500 sample(s), 1 description(s), 0x0, volume 1.000\n");
}

TEST(Movdump, ExitStatusSaysWhatWentWrong) {
    auto bytes = standard_movie_file(10);
    store_u32be(&bytes[find_atom(bytes, "moov/mvhd") + 20], 0);
    MovieOnDisk damaged(bytes);
    struct Row { std::string args; int status; const char* says; };
    const Row rows[] = {
        {damaged.path, 1, "damaged or unreadable movie file: movie time scale is 0 (error -2010)"},
        {"--check " + damaged.path, 1, "(error -2010)"},
        {"--tracks " + damaged.path, 1, "cannot open the movie (error -2010)"},
        {"--tracks --check " + damaged.path, 2, "usage"},
        {"/nonexistent/movie.mov", 1, "cannot open"},
        {"", 2, "usage"},
        {"--samples --check " + damaged.path, 2, "usage"},
    };
    for (const Row& row : rows) {
        ToolRun r = movdump(row.args);
        EXPECT_EQ(r.status, row.status) << row.args;
        EXPECT_NE(r.out.find(row.says), std::string::npos) << row.args << ": " << r.out;
    }
}
