#include "NewMovie.h"

#include <filesystem>
#include <string>

#include "AuthoringDouble.h"
#include "NewMovieReading.h"
#include "CreateMovie.h"
#include "QTFlatten.h"
#include "QTSound.h"
#include "QTSoundPrivate.h"
#include "QTVideo.h"
#include "platform/Movies.h"
#include "platform/Resources.h"
#include "platform/Utilities.h"
#include "platform/quickdraw/StandardColors.h"
#include "tests/support/PString.h"

namespace newmovie {

namespace {

void use_application_resources() {
    static SInt16 ref = OpenResourceFileAtPath(KINORA_BUILD_DIR "/Kinora.rsrc", fsRdPerm);
    if (ref <= 0) throw AuthoringFailure("cannot open build/Kinora.rsrc");
    UseResFile(ref);
}

}  // namespace

Movie create_new_movie(const std::string& path) {
    EnterMovies();
    use_application_resources();
    // As CreateAMovie does once the save dialog has named the file.
    FSSpec mySpec = spec_for(path);
    Movie theMovie = nullptr;
    SInt16 resRefNum = 0;
    SInt16 resId = movieInDataForkResID;
    testsupport::PStr fileName("MovieFile.mov");
    OSErr err = CreateMovieFile(&mySpec, sigMoviePlayer, smCurrentScript,
                                createMovieFileDeleteCurFile | createMovieFileDontCreateResFile | newMovieActive, &resRefNum, &theMovie);
    CheckError(err, (char*)"CreateMovieFile error");
    QTVideo_CreateMyVideoTrack(theMovie);
    QTSound_CreateMySoundTrack(theMovie);
    err = AddMovieResource(theMovie, resRefNum, &resId, fileName);
    CheckError(err, (char*)"AddMovieResource error");
    if (resRefNum) CloseMovieFile(resRefNum);
    return theMovie;
}

void flatten_new_movie(Movie movie, const std::string& path) {
    // Save As of the new window's movie.
    FSSpec flatSpec = spec_for(path);
    if (OSErr err = QTSave_FlattenMovie(movie, &flatSpec); err != noErr) throw AuthoringFailure("FlattenMovie error " + std::to_string(err));
}

Paths build(const std::string& dir) {
    std::filesystem::create_directories(dir);
    Paths paths{dir + "/new-movie.mov", dir + "/new-movie-flat.mov"};
    Movie movie = create_new_movie(paths.movie);
    try {
        flatten_new_movie(movie, paths.flat);
    } catch (...) {
        DisposeMovie(movie);
        throw;
    }
    DisposeMovie(movie);
    return paths;
}

std::vector<UInt8> drawn_frame_rgb(int n) {
    Rect frame{0, 0, kHeight, kWidth};
    GWorldPtr world = nullptr;
    if (NewGWorld(&world, 8, &frame, nullptr, nullptr, 0) != noErr) throw AuthoringFailure("NewGWorld error");
    LockPixels(GetPortPixMap(world));
    CGrafPtr oldPort;
    GDHandle oldDevice;
    GetGWorld(&oldPort, &oldDevice);
    SetGWorld(world, nullptr);

    // QTVideo_DrawFrame, step for step.
    Str255 numStr;
    EraseRect(&frame);
    ForeColor(redColor);
    PaintRect(&frame);
    ForeColor(blueColor);
    NumToString(n, numStr);
    MoveTo(SInt16(frame.right / 2), SInt16(frame.bottom / 2));
    TextSize(SInt16(frame.bottom / 3));
    DrawString(numStr);
    if (n == kFrames) {
        ForeColor(greenColor);
        MoveTo(SInt16(frame.left + 12), SInt16(frame.bottom / 2));
        TextSize(SInt16(frame.bottom / 4));
        DrawString("Whoa cool!"_p);
    }
    SetGWorld(oldPort, oldDevice);

    PixMapHandle pm = GetPortPixMap(world);
    const UInt8* base = reinterpret_cast<const UInt8*>(GetPixBaseAddr(pm));
    SInt32 rowBytes = GetPixRowBytes(pm);
    auto palette = platform::quickdraw::standard_palette(8);
    std::vector<UInt8> rgb(size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const auto& c = palette[base[size_t(y) * size_t(rowBytes) + size_t(x)]];
            UInt8* p = &rgb[(size_t(y) * kWidth + size_t(x)) * 3];
            p[0] = c.r, p[1] = c.g, p[2] = c.b;
        }
    DisposeGWorld(world);
    return rgb;
}

SoundFacts application_sound() {
    use_application_resources();
    Handle snd = GetResource('snd ', 128);
    if (!snd) throw AuthoringFailure("GetResource error");
    SoundDescriptionHandle desc = (SoundDescriptionHandle)NewHandle(4);
    SInt32 offset = 0, samples = 0, bytes = 0;
    QTSound_CreateSoundDescription(snd, desc, &offset, &samples, &bytes);
    SoundFacts facts{(**desc).sampleRate, UInt32(samples)};
    DisposeHandle((Handle)desc);
    return facts;
}

}  // namespace newmovie
