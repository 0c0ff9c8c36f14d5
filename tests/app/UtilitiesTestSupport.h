// Shared by the utility and framework-lookup tests: a fresh toolbox on a
// headless host for each test with the movie toolbox started, a temporary
// folder, and small movies made through the toolbox calls.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ComFramework.h"
#include "MacFramework.h"
#include "QTUtilities.h"
#include "platform/quickdraw/StandardColors.h"
#include "tests/movies/ToolboxTestSupport.h"
#include "tests/support/PString.h"
#include "tests/toolbox/wm_test_util.h"

namespace utltest {

class UtilitiesTest : public wmtest::ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        ASSERT_EQ(EnterMovies(), noErr);
    }

    // A movie without a file, one track per media type (each with media but
    // no samples); the tracks whose flag in `disabled` is set are disabled.
    Movie tracks_movie(const std::vector<OSType>& types, const std::vector<bool>& disabled = {}) {
        Movie movie = NewMovie(newMovieActive);
        for (size_t i = 0; i < types.size(); ++i) {
            Track t = NewMovieTrack(movie, types[i] == VideoMediaType ? 32 << 16 : 0,
                                    types[i] == VideoMediaType ? 16 << 16 : 0,
                                    types[i] == SoundMediaType ? kFullVolume : kNoVolume);
            EXPECT_NE(NewTrackMedia(t, types[i], 600, nullptr, 0), nullptr);
            if (i < disabled.size() && disabled[i]) SetTrackEnabled(t, false);
        }
        return movie;
    }

    // A movie file made as the New command makes one (video 32x16, 20 frames
    // of 60 at 600; sound 8000 Hz unless none), read back from its file.
    std::string movie_file(const std::string& name, tbtest::MovieSpec spec = {}) {
        std::string path = dir / name;
        Movie made = tbtest::make_movie(path, spec);
        EXPECT_NE(made, nullptr);
        if (made) DisposeMovie(made);
        return path;
    }

    tbtest::TempFolder dir;
};

inline std::string pstring(const unsigned char* p) { return std::string(reinterpret_cast<const char*>(p + 1), p[0]); }

using PString = testsupport::PStr;

}  // namespace utltest
