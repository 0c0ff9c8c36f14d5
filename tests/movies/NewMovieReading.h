// Reading the new movie back through the movie toolbox, for the tests of
// the New command's file: open it, take its tracks, decode its frames with
// our own decoder.
#pragma once

#include <string>
#include <vector>

#include "platform/Movies.h"

namespace newmovie {

// A movie opened from a file; closes both when it goes.
struct OpenedMovie {
    explicit OpenedMovie(const std::string& path, SInt8 permission = fsRdPerm);
    ~OpenedMovie();
    OpenedMovie(const OpenedMovie&) = delete;
    OpenedMovie& operator=(const OpenedMovie&) = delete;

    SInt16 refNum = 0;
    Movie movie = nullptr;
    OSErr err = noErr;
};

// Frame n (1-based) of a video track decoded by our decoder, in RGB
// through the standard 8-bit colour table (the frames are 8-bit).
std::vector<UInt8> decoded_frame_rgb(Track video, int n, OSErr* err);

FSSpec spec_for(const std::string& path);

}  // namespace newmovie
