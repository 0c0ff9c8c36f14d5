// Names: UTF-8 checks, the directory-ID registry and the stand-ins for long names.
#include "platform/files/Names.h"

#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <mutex>

#include "platform/Files.h"

namespace platform::files {

namespace fs = std::filesystem;

bool is_valid_utf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        UInt8 c = UInt8(text[i]);
        size_t extra;
        UInt32 cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (extra > text.size() - i - 1) return false;
        for (size_t k = 1; k <= extra; ++k) {
            UInt8 cc = UInt8(text[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // No overlong forms, no surrogates, nothing beyond U+10FFFF.
        static const UInt32 kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

bool is_valid_leaf_name(std::string_view name) {
    if (name.empty() || name.size() > kMaxHostName) return false;
    if (name == "." || name == "..") return false;
    if (name.find('/') != std::string_view::npos) return false;
    if (name.find('\0') != std::string_view::npos) return false;
    return is_valid_utf8(name);
}

namespace {

struct Registry {
    std::mutex lock;
    std::map<SInt32, fs::path> folders;
    std::map<fs::path, SInt32> ids;
    SInt32 next_id = 100;
    // Per folder: stand-in -> long name, and long name -> stand-in.
    std::map<std::pair<SInt32, std::string>, std::string> long_of;
    std::map<std::pair<SInt32, std::string>, std::string> short_of;

    Registry() {
        folders[fsRtDirID] = "/";
        ids["/"] = fsRtDirID;
    }
};

Registry& registry() {
    static Registry r;
    return r;
}

UInt32 fnv1a(std::string_view text, UInt32 salt) {
    UInt32 h = 2166136261u ^ salt;
    for (char c : text) {
        h ^= UInt8(c);
        h *= 16777619u;
    }
    return h;
}

// The longest prefix of `text` of at most `limit` bytes ending at a character boundary.
std::string_view utf8_prefix(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t n = limit;
    while (n > 0 && (UInt8(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

bool exists_in(const fs::path& folder, const std::string& name) {
    struct stat st;
    return ::lstat((folder / name).c_str(), &st) == 0;
}

std::string make_stand_in(std::string_view leaf, UInt32 salt) {
    std::string_view ext;
    size_t dot = leaf.rfind('.');
    if (dot != std::string_view::npos && dot > 0 && leaf.size() - dot <= 16) ext = leaf.substr(dot);
    std::string_view stem = leaf.substr(0, leaf.size() - ext.size());
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", unsigned(fnv1a(leaf, salt)));
    std::string out(utf8_prefix(stem, kMaxSpecName - 9 - ext.size()));
    out += '#';
    out += digits;
    out += ext;
    return out;
}

}  // namespace

SInt32 directory_id(const fs::path& folder) {
    auto& r = registry();
    std::lock_guard g(r.lock);
    auto it = r.ids.find(folder);
    if (it != r.ids.end()) return it->second;
    SInt32 id = r.next_id++;
    r.ids[folder] = id;
    r.folders[id] = folder;
    return id;
}

std::optional<fs::path> directory_path(SInt32 dirID) {
    auto& r = registry();
    std::lock_guard g(r.lock);
    auto it = r.folders.find(dirID);
    if (it == r.folders.end()) return std::nullopt;
    return it->second;
}

Result<std::string> spec_name_for(SInt32 dirID, const fs::path& folder, std::string_view leaf) {
    if (!is_valid_leaf_name(leaf)) return fail(bdNamErr, "not a valid file name");
    auto& r = registry();
    std::lock_guard g(r.lock);
    std::string name(leaf);
    if (leaf.size() <= kMaxSpecName) {
        // A real short name that a stand-in of this folder already means
        // cannot be told apart from it: refuse rather than reach the wrong file.
        if (r.long_of.count({dirID, name})) return fail(bdNamErr, "name taken by a long-name stand-in");
        return name;
    }
    auto known = r.short_of.find({dirID, name});
    if (known != r.short_of.end()) return known->second;
    for (UInt32 salt = 0;; ++salt) {
        std::string stand_in = make_stand_in(leaf, salt);
        if (r.long_of.count({dirID, stand_in}) || exists_in(folder, stand_in)) continue;
        r.long_of[{dirID, stand_in}] = name;
        r.short_of[{dirID, name}] = stand_in;
        return stand_in;
    }
}

std::string host_name_for(SInt32 dirID, std::string_view specName) {
    auto& r = registry();
    std::lock_guard g(r.lock);
    auto it = r.long_of.find({dirID, std::string(specName)});
    return it != r.long_of.end() ? it->second : std::string(specName);
}

void forget_long_names() {
    auto& r = registry();
    std::lock_guard g(r.lock);
    r.long_of.clear();
    r.short_of.clear();
}

}  // namespace platform::files
