// Catalog.h — between FSSpecs and host paths, for every manager that needs files.
//
//   make_fsspec("/home/me/Movie.mov", &spec)   the spec of a path (FSMakeFSSpec rules)
//   path_of(spec)                              the absolute path a spec names
//   catalog_entry(spec)                        is it a folder, its Finder info, its size
//
// Paths handed to make_fsspec are resolved with their folder made canonical
// (symbolic links and ".." in the folder part are followed); the last
// component is kept as given, so a link to a file keeps its own name.
#pragma once

#include <filesystem>

#include "platform/Files.h"
#include "platform/core/Result.h"

namespace platform::files {

inline constexpr SInt16 kVolumeRefNum = -1;

// The spec of a path. Relative paths are taken from the working directory.
// noErr; fnfErr with *spec filled in when only the last component is
// missing; dirNFErr when the folder is missing or not a folder; bdNamErr for
// a name that cannot be (NUL, invalid UTF-8, a component over 255 bytes).
OSErr make_fsspec(const std::filesystem::path& path, FSSpec* spec);

// The absolute path an FSSpec names (bdNamErr, nsvErr, dirNFErr). The
// file itself need not exist.
Result<std::filesystem::path> path_of(const FSSpec& spec);

struct CatalogEntry {
    std::filesystem::path path;
    bool isFolder = false;
    FInfo finderInfo = {};   // zero for a folder
    UInt64 dataSize = 0;     // bytes in a file
};

// What the spec names (fnfErr when nothing is there).
Result<CatalogEntry> catalog_entry(const FSSpec& spec);
// Whether the spec names a folder (fnfErr when nothing is there).
Result<bool> is_folder(const FSSpec& spec);

// The name of a spec as text.
std::string spec_name(const FSSpec& spec);
// Fills an FSSpec's name from text (at most 63 bytes; longer is cut).
void set_spec_name(FSSpec* spec, std::string_view name);

}  // namespace platform::files
