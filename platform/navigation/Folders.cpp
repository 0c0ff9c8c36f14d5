// Folder contents, typed paths and save checks for the file dialogs.
#include "platform/navigation/Folders.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>

#include <sys/stat.h>

#include "platform/files/FinderInfo.h"
#include "platform/files/Names.h"

namespace platform::navigation {
namespace {

std::optional<fs::path>& last_folder() {
    static std::optional<fs::path> folder;
    return folder;
}

unsigned char lower(char c) { return c >= 'A' && c <= 'Z' ? (unsigned char)(c - 'A' + 'a') : (unsigned char)c; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

UInt32 mac_seconds(fs::file_time_type t) {
    using namespace std::chrono;
    const auto unix_seconds = duration_cast<seconds>(file_clock::to_sys(t).time_since_epoch()).count();
    const SInt64 mac = SInt64(unix_seconds) + 2082844800;   // 1904-01-01 to 1970-01-01
    return UInt32(std::clamp<SInt64>(mac, 0, 0xFFFFFFFF));
}

}  // namespace

Result<std::vector<FolderEntry>> list_folder(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::none, ec);
    if (ec) return fail(ec == std::errc::permission_denied ? permErr : dirNFErr, "the folder cannot be read");
    std::vector<FolderEntry> out;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        FolderEntry e;
        e.name = it->path().filename().string();
        if (!files::is_valid_utf8(e.name)) continue;   // no FSSpec could name it
        std::error_code sec;
        e.folder = it->is_directory(sec);
        if (!e.folder) {
            e.finder = files::read_finder_info(it->path()).value_or(files::finder_info_for_name(e.name));
            e.size = it->is_regular_file(sec) ? UInt64(it->file_size(sec)) : 0;
            if (sec) e.size = 0;
        }
        std::error_code tec;
        auto t = it->last_write_time(tec);
        if (!tec) e.modified = mac_seconds(t);
        e.invisible = e.name.starts_with(".") || (e.finder.fdFlags & kIsInvisible);
        out.push_back(std::move(e));
    }
    std::sort(out.begin(), out.end(), [](const FolderEntry& a, const FolderEntry& b) {
        if (a.folder != b.folder) return a.folder;
        return name_before(a.name, b.name);
    });
    return out;
}

bool name_before(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (is_digit(a[i]) && is_digit(b[j])) {
            // Runs of digits compare by value: without leading zeros, the
            // longer run is the larger, and equal lengths compare digit by digit.
            size_t ai = i, bj = j;
            while (ai < a.size() && a[ai] == '0') ++ai;
            while (bj < b.size() && b[bj] == '0') ++bj;
            size_t ae = ai, be = bj;
            while (ae < a.size() && is_digit(a[ae])) ++ae;
            while (be < b.size() && is_digit(b[be])) ++be;
            if (ae - ai != be - bj) return ae - ai < be - bj;
            if (int c = a.substr(ai, ae - ai).compare(b.substr(bj, be - bj)); c != 0) return c < 0;
            i = ae;
            j = be;
            continue;
        }
        if (lower(a[i]) != lower(b[j])) return lower(a[i]) < lower(b[j]);
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
    return a < b;
}

std::optional<FolderStamp> folder_stamp(const fs::path& folder) {
    struct stat st{};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    auto ns = [](const timespec& t) { return SInt64(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    FolderStamp s;
    s.device = UInt64(st.st_dev);
    s.inode = UInt64(st.st_ino);
    s.modified_ns = ns(st.st_mtim);
    s.changed_ns = ns(st.st_ctim);
    s.settled = ns(now) - s.modified_ns >= 1'000'000'000;
    return s;
}

bool is_typed_path(const std::string& typed) { return typed.find('/') != std::string::npos || typed.starts_with("~"); }

fs::path resolve_typed(const fs::path& folder, const std::string& typed) {
    fs::path p;
    if (typed == "~" || typed.starts_with("~/")) {
        const char* home = std::getenv("HOME");
        p = fs::path(home && *home ? home : "/") / typed.substr(typed.size() > 1 ? 2 : 1);
    } else if (typed.starts_with("/")) {
        p = typed;
    } else {
        p = folder / typed;
    }
    p = p.lexically_normal();
    // "a/b/" normalises to "a/b/": keep the trailing separator as the sign of a folder.
    return p;
}

bool can_open_folder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), R_OK | X_OK) == 0;
}

SaveVerdict check_save(const fs::path& folder, const std::string& name) {
    const std::string where = folder_display_name(folder);
    if (name.empty()) return {SaveVerdict::Refuse, "Type a name for the file."};
    if (name == "." || name == "..")
        return {SaveVerdict::Refuse, "\xE2\x80\x9C" + name + "\xE2\x80\x9D is a folder. Choose another name."};
    if (!files::is_valid_leaf_name(name))
        return {SaveVerdict::Refuse, "A file cannot be called \xE2\x80\x9C" + name + "\xE2\x80\x9D."};
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return {SaveVerdict::Refuse, "The folder \xE2\x80\x9C" + where + "\xE2\x80\x9D is not there any more."};
    const fs::path target = folder / name;
    const fs::file_status st = fs::status(target, ec);
    const bool exists = fs::exists(st);
    if (exists && fs::is_directory(st))
        return {SaveVerdict::Refuse, "\xE2\x80\x9C" + name +
                                         "\xE2\x80\x9D is a folder. Choose another name, or type \xE2\x80\x9C" +
                                         name + "/\xE2\x80\x9D to open it."};
    if (exists && !fs::is_regular_file(st))
        return {SaveVerdict::Refuse, "\xE2\x80\x9C" + name + "\xE2\x80\x9D is not a file that can be replaced."};
    // Creating, replacing (which deletes first) and the temporary file a
    // flattening writes beside the target all need to write to the folder.
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return {SaveVerdict::Refuse, "You cannot save in the folder \xE2\x80\x9C" + where +
                                         "\xE2\x80\x9D: you do not have permission to write there."};
    return {exists ? SaveVerdict::Replace : SaveVerdict::Save, {}};
}

fs::path start_folder() {
    std::error_code ec;
    if (auto& last = last_folder(); last && fs::is_directory(*last, ec)) return *last;
    fs::path cwd = fs::current_path(ec);
    if (ec || !fs::is_directory(cwd, ec)) return "/";
    return cwd.lexically_normal();
}

void remember_folder(const fs::path& folder) { last_folder() = folder; }

std::string folder_display_name(const fs::path& folder) {
    fs::path p = folder;
    if (p.has_filename()) return p.filename().string();
    p = p.parent_path();
    if (p.has_filename() && p != folder) return p.filename().string();
    return "/";
}

}  // namespace platform::navigation
