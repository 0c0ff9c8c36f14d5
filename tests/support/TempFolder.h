// A folder of its own for one test, and whole-file reads and writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A fresh folder under $TMPDIR (or /tmp) with a unique name, removed with
// everything in it when the object goes. Tests running in parallel never
// share one, so no test sees another's files. Only the process that made
// it removes it: a forked child that exits through its destructors leaves
// its parent's folder alone.
class TempFolder {
public:
    // `tag` goes into the name, to tell whose folder a leftover was.
    explicit TempFolder(std::string_view tag = "test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
    int owner_ = 0;   // the process id that made it
};

// The running test's own folder, made when first asked for and removed when
// another test asks (or the program ends). For helpers that have no test
// object at hand.
const TempFolder& test_folder();

std::string read_file(const std::filesystem::path& path);
std::vector<std::uint8_t> read_bytes(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::string_view contents);
void write_bytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace testsupport
