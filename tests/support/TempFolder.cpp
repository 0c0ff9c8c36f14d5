#include "tests/support/TempFolder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace testsupport {

namespace fs = std::filesystem;

TempFolder::TempFolder(std::string_view tag) {
    // temp_directory_path honours TMPDIR.
    std::string pattern = (fs::temp_directory_path() / ("kinora-" + std::string(tag) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder from " + pattern);
    path_ = pattern;
    owner_ = getpid();
    chmod(path_.c_str(), 0755);   // reachable by the unprivileged child of some tests
}

TempFolder::~TempFolder() {
    if (getpid() != owner_) return;
    std::error_code ec;
    // A test may have taken the write bits away; put them back so everything goes.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

const TempFolder& test_folder() {
    static std::unique_ptr<TempFolder> folder;
    static std::string owner;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string suite = info ? info->test_suite_name() : "test";
    const std::string name = info ? suite + "." + info->name() : suite;
    if (!folder || name != owner) {
        folder.reset();
        for (char& c : suite) if (c == '/') c = '_';
        folder = std::make_unique<TempFolder>(suite);
        owner = name;
    }
    return *folder;
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::uint8_t> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void write_file(const fs::path& path, std::string_view contents) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(contents.data(), std::streamsize(contents.size()));
}

void write_bytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace testsupport
