// Between FSSpecs and host paths.
#include "platform/files/Catalog.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/files/FileIO.h"
#include "platform/files/FinderInfo.h"
#include "platform/files/Names.h"

namespace platform::files {

namespace fs = std::filesystem;

namespace {

Result<fs::path> working_directory() {
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return os_error(errno, "no working directory");
    return fs::path(buffer);
}

OSErr folder_error(const std::error_code& ec) {
    switch (ec.value()) {
        case ENOENT:
        case ENOTDIR:
        case ELOOP: return dirNFErr;
        case ENAMETOOLONG: return bdNamErr;
        default: return error_from_errno(ec.value());
    }
}

void fill(FSSpec* spec, SInt32 parID, std::string_view name) {
    std::memset(spec, 0, sizeof *spec);
    spec->vRefNum = kVolumeRefNum;
    spec->parID = parID;
    set_spec_name(spec, name);
}

}  // namespace

std::string spec_name(const FSSpec& spec) {
    size_t n = std::min<size_t>(spec.name[0], kMaxSpecName);
    return std::string(reinterpret_cast<const char*>(spec.name + 1), n);
}

void set_spec_name(FSSpec* spec, std::string_view name) {
    size_t n = std::min(name.size(), kMaxSpecName);
    spec->name[0] = UInt8(n);
    std::memcpy(spec->name + 1, name.data(), n);
}

OSErr make_fsspec(const fs::path& path, FSSpec* spec) {
    const std::string& text = path.native();
    if (text.empty() || text.size() >= PATH_MAX) return bdNamErr;
    if (text.find('\0') != std::string::npos || !is_valid_utf8(text)) return bdNamErr;

    std::string full = text;
    if (text[0] != '/') {
        auto cwd = working_directory();
        if (!cwd.ok()) return cwd.code();
        full = (*cwd / text).native();
    }
    while (full.size() > 1 && full.back() == '/') full.pop_back();
    if (full == "/") {
        fill(spec, fsRtParID, "");
        return noErr;
    }
    size_t slash = full.rfind('/');
    std::string folder = slash == 0 ? std::string("/") : full.substr(0, slash);
    std::string leaf = full.substr(slash + 1);

    if (leaf == "." || leaf == "..") {
        // The spec of a folder named through "." or "..": resolve it whole.
        std::error_code ec;
        fs::path canonical = fs::canonical(full, ec);
        if (ec) return folder_error(ec);
        if (canonical.native() == full) return bdNamErr;   // cannot happen; never loop
        return make_fsspec(canonical, spec);
    }

    std::error_code ec;
    fs::path canonical = fs::canonical(folder, ec);
    if (ec) return folder_error(ec);
    if (!fs::is_directory(canonical, ec)) return dirNFErr;
    SInt32 dirID = directory_id(canonical);
    auto name = spec_name_for(dirID, canonical, leaf);
    if (!name.ok()) return name.code();
    fill(spec, dirID, *name);

    struct stat st;
    if (::stat((canonical / leaf).c_str(), &st) == 0) return noErr;
    if (errno == ENOENT) return fnfErr;   // the spec names a file that can be created
    return error_from_errno(errno);
}

Result<fs::path> path_of(const FSSpec& spec) {
    if (spec.vRefNum != 0 && spec.vRefNum != kVolumeRefNum) return fail(nsvErr, "no such volume");
    if (spec.name[0] > kMaxSpecName) return fail(bdNamErr, "name longer than 63 bytes");
    std::string name = spec_name(spec);
    if (spec.parID == fsRtParID) {
        if (name.empty()) return fs::path("/");
        return fail(dirNFErr, "nothing beside the root folder");
    }
    fs::path folder;
    if (spec.parID == 0) {
        folder = TRY(working_directory());
    } else {
        auto known = directory_path(spec.parID);
        if (!known) return fail(dirNFErr, "unknown directory ID");
        folder = *known;
    }
    if (name.empty()) return folder;
    if (!is_valid_leaf_name(name)) return fail(bdNamErr, "not a valid file name");
    return folder / host_name_for(spec.parID, name);
}

Result<CatalogEntry> catalog_entry(const FSSpec& spec) {
    CatalogEntry entry;
    entry.path = TRY(path_of(spec));
    struct stat st;
    if (::stat(entry.path.c_str(), &st) != 0) return os_error(errno, "nothing by that name");
    entry.isFolder = S_ISDIR(st.st_mode);
    if (!entry.isFolder) {
        entry.finderInfo = TRY(read_finder_info(entry.path));
        entry.dataSize = UInt64(st.st_size);
    }
    return entry;
}

Result<bool> is_folder(const FSSpec& spec) {
    fs::path path = TRY(path_of(spec));
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return os_error(errno, "nothing by that name");
    return S_ISDIR(st.st_mode);
}

}  // namespace platform::files
