// Shared by the playback, sound and editing tests: a headless host on the
// virtual clock (recording what it plays when asked), movies made through
// the toolbox calls, and looks at pictures and recorded sound.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Compression.h"
#include "platform/Memory.h"
#include "platform/Movies.h"
#include "platform/QuickDraw.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "tests/movies/ToolboxTestSupport.h"
#include "tests/support/TempFolder.h"

namespace pbtest {

using Bytes = std::vector<UInt8>;

// A fresh headless host on the virtual clock for one test; its audio device
// runs at `rate` and records into `record` when given. The recording is
// complete once the host is gone (finish()).
class VirtualHost {
public:
    explicit VirtualHost(int rate = 44100, std::optional<std::string> record = std::nullopt);
    ~VirtualHost();
    VirtualHost(const VirtualHost&) = delete;
    VirtualHost& operator=(const VirtualHost&) = delete;

    platform::host::HeadlessHost& host() { return *host_; }
    UInt64 now() const { return host_->now_ms(); }
    // Moves the clock on by `ms` in steps of `step` ms, giving the movie
    // time after each, as the application's event loop does.
    void run(Movie movie, UInt64 ms, UInt64 step = 10);
    // Ends the host (and the recording).
    void finish();

private:
    platform::host::HeadlessHost* host_ = nullptr;
};

// A 32-bit offscreen world the size of a movie's box, set as its world.
class MovieCanvas {
public:
    MovieCanvas(Movie movie, SInt16 width, SInt16 height);
    ~MovieCanvas();
    // x,R,G,B as 0x00RRGGBB.
    UInt32 pixel(int x, int y) const;
    // The picture as R,G,B rows.
    Bytes rgb() const;
    GWorldPtr world() const { return world_; }

private:
    GWorldPtr world_ = nullptr;
    SInt16 width_, height_;
};

// The recorded device frames, interleaved L,R.
struct Recording {
    int rate = 0;
    std::vector<SInt16> samples;
    size_t frames() const { return samples.size() / 2; }
};
Recording read_wav(const std::string& path);
// Plays `movie` (and disposes of it) from movie time `from` (seconds),
// started at 200 ms of virtual time and run to its end and a little more,
// the device at `rate` recording into `wav`; `during` runs once it has
// started; `problem`, when given, gets the first problem the player had.
Recording play_and_record(Movie movie, int rate, const std::string& wav, double from = 0,
                          const std::function<void(VirtualHost&)>& during = {}, std::string* problem = nullptr);

// A movie file at `path` of one mono sound track (see add_sound_track).
Movie sound_movie(const std::string& path, OSType format, SInt16 bits, UInt32 rate, const Bytes& bytes, UInt32 frames, SInt16 volume = 0x100);

// Runs ffmpeg with `args` (a shell command line's, quoted as needed): ""
// when it succeeds, else what it said.
std::string ffmpeg(const std::string& args);
bool have_encoder(const std::string& name);

// Movies made and opened through the toolbox calls.
using tbtest::add_sound_track;
using tbtest::add_video_track;
using tbtest::begin_movie;
using tbtest::finish_movie;
using tbtest::open_movie;
using tbtest::read_movie;
using tbtest::spec_for;

}  // namespace pbtest
