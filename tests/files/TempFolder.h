// A fresh folder under /tmp for one test, removed with everything in it.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/kinora-files-XXXXXX";
        path_ = mkdtemp(pattern);
        chmod(path_.c_str(), 0755);   // reachable by the unprivileged child of some tests
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void write_file(const std::filesystem::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A length-prefixed copy of a text (at most 255 bytes).
struct PStr {
    explicit PStr(const std::string& s) {
        bytes[0] = static_cast<unsigned char>(s.size() > 255 ? 255 : s.size());
        s.copy(reinterpret_cast<char*>(bytes + 1), bytes[0]);
    }
    operator const unsigned char*() const { return bytes; }
    unsigned char bytes[256];
};
