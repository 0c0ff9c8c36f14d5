// Folders.h — what the file dialogs know of the file system: a folder's
// contents in the order shown, where typed text leads, and whether a file
// may be saved somewhere. Plain functions over paths, testable on temporary
// folders.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"
#include "platform/core/Result.h"

namespace platform::navigation {

namespace fs = std::filesystem;

struct FolderEntry {
    std::string name;           // UTF-8, as on disk
    bool folder = false;        // a folder, or a link to one
    bool invisible = false;     // a name starting with '.', or the Finder's invisible flag
    FInfo finder{};             // files: type, creator, flags
    UInt64 size = 0;            // files: bytes
    UInt32 modified = 0;        // seconds since 1904
};

// The folder's entries: folders first, then files, each by name_before.
// permErr (and nothing listed) for a folder that cannot be read.
Result<std::vector<FolderEntry>> list_folder(const fs::path& folder);

// The order people expect names in: ASCII letters without regard to case,
// a run of digits by its value ("take 2" before "take 10"); names equal in
// that order (only case or leading zeros differ) go by their bytes, so the
// order is total.
bool name_before(std::string_view a, std::string_view b);

// What changes when entries come into or leave a folder, cheap enough to
// read a few times a second. The kernel stamps files with a clock coarser
// than its own, so a folder changed a moment ago may change again without
// its time moving: it is not `settled` until its modification time is a
// second old, and until then it has to be listed again to be sure.
struct FolderStamp {
    UInt64 device = 0, inode = 0;
    SInt64 modified_ns = 0, changed_ns = 0;
    bool settled = false;
    bool operator==(const FolderStamp&) const = default;
};
std::optional<FolderStamp> folder_stamp(const fs::path& folder);

// Where typed text leads, seen from `folder`: an absolute path ("/..."), a
// path from the home folder ("~", "~/..."), or a path relative to `folder`.
// Lexically normalised; the last component is kept as typed.
fs::path resolve_typed(const fs::path& folder, const std::string& typed);

// Whether typed text is a path rather than a name: it holds a '/' or
// starts with '~'.
bool is_typed_path(const std::string& typed);

// The verdict on saving `name` in `folder`.
struct SaveVerdict {
    enum Kind { Save, Replace, Refuse } kind = Refuse;
    std::string reason;   // Refuse: a sentence for the user
};
SaveVerdict check_save(const fs::path& folder, const std::string& name);

// Whether the process may open (list) a folder.
bool can_open_folder(const fs::path& folder);

// The folder the dialogs start in: the one they were last in, while it is
// still there, else the working directory (else "/").
fs::path start_folder();
void remember_folder(const fs::path& folder);

// The name shown for a folder ("/" for the root).
std::string folder_display_name(const fs::path& folder);

}  // namespace platform::navigation
