// GetQuickTimePreference / SetQuickTimePreference over files (Preferences.h).
//
// Reading: a missing file is fnfErr; a file that cannot be read gives the
// File Manager's code; a file that is not a valid container (damaged, cut
// short, too large) is invalidAtomContainerErr. In every failure the caller
// receives no container.
#include "platform/atoms/Preferences.h"

#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <system_error>

#include "platform/AtomContainers.h"
#include "platform/Memory.h"
#include "platform/atoms/AtomTree.h"
#include "platform/core/Environment.h"
#include "platform/files/FileIO.h"

namespace platform::atoms {

Result<std::filesystem::path> preferences_folder() {
    if (auto config = env::get("XDG_CONFIG_HOME"); config && (*config)[0] == '/')
        return std::filesystem::path(*config) / "kinora";
    std::string home;
    if (auto h = env::get("HOME")) {
        home = *h;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    if (home.empty() || home[0] != '/') return fail(fnfErr, "no home folder for preferences");
    return std::filesystem::path(home) / ".config" / "kinora";
}

std::string preference_file_name(OSType type) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        UInt8 c = UInt8(type >> shift);
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (plain) {
            name += char(c);
        } else {
            name += '%';
            name += kHex[c >> 4];
            name += kHex[c & 15];
        }
    }
    return name + ".prefs";
}

namespace {

Result<std::vector<UInt8>> read_preference(const std::filesystem::path& path) {
    files::File file = TRY(files::File::open(path, files::Access::Read));
    UInt64 size = TRY(file.size());
    if (size > kMaxPreferenceBytes) return fail(invalidAtomContainerErr, "preference file too large");
    std::vector<UInt8> bytes(static_cast<size_t>(size));
    size_t got = TRY(file.read_at(bytes.data(), bytes.size(), 0));
    bytes.resize(got);
    TRY(AtomTree::read(bytes));
    return bytes;
}

Result<void> write_preference(const std::filesystem::path& folder, const std::string& name,
                              std::span<const UInt8> bytes) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return files::os_error(ec.value(), "cannot make the preferences folder");
    files::File temp = TRY(files::File::create_temp(folder, name));
    std::filesystem::path tempPath = temp.path();
    auto written = [&]() -> Result<void> {
        TRY(temp.write_at(bytes.data(), bytes.size(), 0));
        TRY(temp.sync());
        TRY(temp.close());
        TRY(files::rename_path(tempPath, folder / name));
        return ok();
    }();
    if (!written.ok()) {
        (void)files::unlink_path(tempPath);
        return written;
    }
    return files::sync_folder(folder);
}

}  // namespace
}  // namespace platform::atoms

using namespace platform;

OSErr GetQuickTimePreference(OSType preferenceType, QTAtomContainer* preferenceAtom) {
    if (!preferenceAtom) return paramErr;
    *preferenceAtom = nullptr;
    auto folder = atoms::preferences_folder();
    if (!folder.ok()) return folder.code();
    auto bytes = atoms::read_preference(*folder / atoms::preference_file_name(preferenceType));
    if (!bytes.ok()) return bytes.code();
    Handle h = nullptr;
    if (OSErr err = PtrToHand(bytes->data(), &h, SInt32(bytes->size()))) return err;
    *preferenceAtom = h;
    return noErr;
}

OSErr SetQuickTimePreference(OSType preferenceType, QTAtomContainer preferenceAtom) {
    if (!preferenceAtom || !*preferenceAtom) return paramErr;
    std::span<const UInt8> bytes(reinterpret_cast<const UInt8*>(*preferenceAtom),
                                 size_t(GetHandleSize(preferenceAtom)));
    if (auto valid = atoms::AtomTree::read(bytes); !valid.ok()) return valid.code();
    if (bytes.size() > atoms::kMaxPreferenceBytes) return paramErr;
    auto folder = atoms::preferences_folder();
    if (!folder.ok()) return folder.code();
    // Copied first: the handle is the caller's and stays untouched.
    std::vector<UInt8> copy(bytes.begin(), bytes.end());
    return atoms::write_preference(*folder, atoms::preference_file_name(preferenceType), copy).code();
}
