// ConvertMovieToFile: the movie as an MPEG-4 file (MovieExport.h).
#include "platform/export/MovieExport.h"

using namespace platform;
namespace pm = platform::movies;

OSErr ConvertMovieToFile(::Movie theMovie, ::Track onlyTrack, FSSpec* outputFile, OSType fileType, OSType creator,
                         ScriptCode /*scriptTag*/, SInt16* /*resID*/, SInt32 flags, ComponentInstance /*userComp*/) {
    pm::MovieObject* m = pm::movie_of(theMovie);
    if (!m) return pm::set_error(invalidMovie);
    if (!outputFile || onlyTrack || (flags & ~SInt32(createMovieFileDeleteCurFile)))
        return pm::set_error(paramErr);
    if (fileType != kQTFileTypeMP4 && fileType != kQTFileTypeM4A) return pm::set_error(badComponentType);
    exporting::ExportOptions options;
    options.creator = creator;
    options.create_flags = flags;
    options.sound_only = fileType == kQTFileTypeM4A;
    return pm::set_error(exporting::export_movie(*m, *outputFile, options).code());
}
