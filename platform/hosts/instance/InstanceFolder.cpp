// The instance's private folder (InstanceFolder.h).
#include "platform/hosts/instance/InstanceFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/core/Environment.h"

namespace platform::instance {

namespace fs = std::filesystem;

void UniqueFd::reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::optional<fs::path> instance_folder_path() {
    auto absolute = [](const char* name) -> std::optional<fs::path> {
        auto v = env::get(name);
        if (v && (*v)[0] == '/') return fs::path(*v);
        return std::nullopt;
    };
    if (auto runtime = absolute("XDG_RUNTIME_DIR")) return *runtime / "kinora";
    if (auto cache = absolute("XDG_CACHE_HOME")) return *cache / "kinora";
    if (auto home = absolute("HOME")) return *home / ".cache" / "kinora";
    return std::nullopt;
}

Result<UniqueFd> open_private_folder(const fs::path& path) {
    bool made = ::mkdir(path.c_str(), 0700) == 0;
    if (!made && errno == ENOENT) {
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        made = ::mkdir(path.c_str(), 0700) == 0;
    }
    // O_NOFOLLOW: a link in the folder's place is refused, never followed
    // to wherever it points.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT) return fail(fnfErr, "it cannot be made");
        return fail(permErr, "it is not a folder");
    }
    struct stat st;
    // A umask may have taken bits from the folder just made; it is ours to set.
    if (made) (void)::fchmod(fd.get(), 0700);
    if (::fstat(fd.get(), &st) != 0) return fail(ioErr, "it cannot be examined");
    if (st.st_uid != ::geteuid()) return fail(permErr, "it belongs to another user");
    if ((st.st_mode & 07777) != 0700) return fail(permErr, "its mode is not 0700");
    return fd;
}

std::string instance_name() {
    auto display = env::get("WAYLAND_DISPLAY");
    if (!display) display = env::get("DISPLAY");
    std::string name = "instance-";
    for (char c : display.value_or("none").substr(0, 64)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '-';
        name += plain ? c : '_';
    }
    return name;
}

}  // namespace platform::instance
