// The File Manager's calls on specifications: making them, Finder
// information, creating, deleting and renaming.
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/Files.h"
#include "platform/files/Catalog.h"
#include "platform/files/FileIO.h"
#include "platform/files/FinderInfo.h"
#include "platform/files/Names.h"

namespace files = platform::files;
namespace fs = std::filesystem;

namespace {

std::string pascal_text(ConstStr255Param s) {
    if (!s) return {};
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

}  // namespace

OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* spec) {
    if (!spec) return paramErr;
    if (vRefNum != 0 && vRefNum != files::kVolumeRefNum) return nsvErr;
    std::string name = pascal_text(fileName);
    if (!name.empty() && name[0] == '/') return files::make_fsspec(name, spec);

    // A NUL would cut the path short; refuse it before the name becomes one.
    if (name.find('\0') != std::string::npos) return bdNamErr;
    fs::path base = ".";   // directory 0: relative to the working directory
    if (dirID == fsRtParID) {
        if (!name.empty()) return dirNFErr;   // nothing lives beside the root
        return files::make_fsspec("/", spec);
    } else if (dirID != 0) {
        auto folder = files::directory_path(dirID);
        if (!folder) return dirNFErr;
        base = *folder;
    }
    if (name.empty()) return files::make_fsspec(base, spec);
    return files::make_fsspec(base / name, spec);
}

OSErr FSpGetFInfo(const FSSpec* spec, FInfo* fndrInfo) {
    if (!spec || !fndrInfo) return paramErr;
    auto entry = files::catalog_entry(*spec);
    if (!entry.ok()) return entry.code();
    if (entry->isFolder) return notAFileErr;
    *fndrInfo = entry->finderInfo;
    return noErr;
}

OSErr FSpSetFInfo(const FSSpec* spec, const FInfo* fndrInfo) {
    if (!spec || !fndrInfo) return paramErr;
    auto entry = files::catalog_entry(*spec);
    if (!entry.ok()) return entry.code();
    if (entry->isFolder) return notAFileErr;
    auto stored = files::write_finder_info(entry->path, *fndrInfo);
    if (!stored.ok()) return stored.code();
    // The file system keeps no attributes: say so rather than lose the information.
    return *stored ? OSErr(noErr) : OSErr(ioErr);
}

OSErr FSpCreate(const FSSpec* spec, OSType creator, OSType fileType, ScriptCode /*scriptTag*/) {
    if (!spec) return paramErr;
    auto path = files::path_of(*spec);
    if (!path.ok()) return path.code();
    auto file = files::File::open(*path, files::Access::ReadWrite, files::Create::Exclusive);
    if (!file.ok()) return file.code();
    auto closed = file->close();
    FInfo info{};
    info.fdType = fileType;
    info.fdCreator = creator;
    // Where the file system keeps no attributes the file is still created;
    // its type then follows its extension.
    auto stored = files::write_finder_info(*path, info);
    if (!stored.ok() || !closed.ok()) {
        (void)files::unlink_path(*path);
        return stored.ok() ? closed.code() : stored.code();
    }
    return noErr;
}

OSErr FSpDelete(const FSSpec* spec) {
    if (!spec) return paramErr;
    auto path = files::path_of(*spec);
    if (!path.ok()) return path.code();
    struct stat st;
    if (::lstat(path->c_str(), &st) != 0) return files::error_from_errno(errno);
    if (S_ISDIR(st.st_mode)) return files::remove_folder(*path).code();
    if (S_ISREG(st.st_mode)) {
        // Deleting a file someone is writing would lose what they save next.
        // (A file we may not read cannot be asked; deleting it is the folder's business.)
        auto busy = files::is_open_for_writing(*path);
        if (!busy.ok() && busy.code() != permErr) return busy.code();
        if (busy.ok() && *busy) return fBsyErr;
    }
    return files::unlink_path(*path).code();
}

OSErr FSpRename(const FSSpec* spec, ConstStr255Param newName) {
    if (!spec || !newName) return paramErr;
    std::string name = pascal_text(newName);
    if (!files::is_valid_leaf_name(name)) return bdNamErr;
    auto path = files::path_of(*spec);
    if (!path.ok()) return path.code();
    if (spec->name[0] == 0) return bdNamErr;   // the spec names a folder by its ID alone
    struct stat st;
    if (::lstat(path->c_str(), &st) != 0) return files::error_from_errno(errno);
    return files::rename_no_replace(*path, path->parent_path() / name).code();
}
