// InstanceFolder.h — where the running Kinora of a session can be reached.
//
// The socket lives in a folder only the user can enter:
// $XDG_RUNTIME_DIR/kinora, else $XDG_CACHE_HOME/kinora, else
// ~/.cache/kinora. It is made with mode 0700 when missing; one that is a
// symbolic link, not a folder, not the user's own or open to anyone else
// is refused (the program then runs on its own). There is one socket per
// display, so that a Kinora started for another screen opens its own window
// there.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/core/Result.h"

namespace platform::instance {

// A file descriptor, closed when it goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& o) noexcept : fd_(o.release()) {}
    UniqueFd& operator=(UniqueFd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = o.release();
        }
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset();

private:
    int fd_ = -1;
};

// The folder from the environment; nothing when no base folder is named
// (no XDG variable and no HOME). Relative XDG values are ignored.
std::optional<std::filesystem::path> instance_folder_path();

// Opens the folder at `path`, making it (and its parents) when missing.
// fnfErr when it cannot be made, permErr when it is a link or not a folder,
// not the user's own, or not mode 0700.
Result<UniqueFd> open_private_folder(const std::filesystem::path& path);

// "instance-<display>", the display's name kept to file-name characters.
std::string instance_name();

}  // namespace platform::instance
