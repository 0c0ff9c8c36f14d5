// Reading the new movie back through the movie toolbox, for the tests of
// the New command's file: open it, take its tracks, decode its frames with
// our own decoder.
#pragma once

#include <string>
#include <vector>

#include "ToolboxTestSupport.h"
#include "platform/Movies.h"

namespace newmovie {

using tbtest::spec_for;

// A movie opened from a file (read-only unless told otherwise).
struct OpenedMovie : tbtest::Opened {
    explicit OpenedMovie(const std::string& path, SInt8 permission = fsRdPerm) : Opened(path, permission) {}
};

// Frame n (1-based) of a video track decoded by our decoder, in RGB
// through the standard 8-bit colour table (the frames are 8-bit).
std::vector<UInt8> decoded_frame_rgb(Track video, int n, OSErr* err);

}  // namespace newmovie
