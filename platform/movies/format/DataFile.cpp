#include "platform/movies/format/DataFile.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/files/FileIO.h"

namespace platform::movies {

namespace {

// Result codes of the file layer that mean "not a file we can use here".
Error not_a_file(const Error& e) {
    if (e.code == notAFileErr) return fail(paramErr, "not a regular file");
    return e;
}

class FileLayerFile final : public DataFile {
public:
    FileLayerFile(files::File* file, std::string path) : file_(file), path_(std::move(path)) {}
    FileLayerFile(files::File owned, std::string path)
        : owned_(std::move(owned)), file_(&owned_), path_(std::move(path)) {}

    Result<UInt64> size() override { return file_->size(); }

    Result<void> read_at(UInt64 offset, void* buffer, size_t count) override {
        size_t got = TRY(file_->read_at(buffer, count, offset));
        if (got != count) return fail(eofErr, "read past the end of the file");
        return ok();
    }

    Result<void> write_at(UInt64 offset, const void* data, size_t count) override {
        return file_->write_at(data, count, offset);
    }

    Result<void> copy_at(UInt64 offset, const files::File& source, UInt64 from, UInt64 count) override {
        return file_->copy_from(source, from, size_t(count), offset);
    }

    // Data and size reach the disk; that is all a movie update relies on.
    Result<void> sync() override { return file_->datasync(); }

    Result<void> truncate(UInt64 size) override { return file_->truncate(size); }

    const std::string& path() const override { return path_; }

private:
    files::File owned_;
    files::File* file_;
    std::string path_;
};

}  // namespace

Result<void> DataFile::copy_at(UInt64 offset, const files::File& source, UInt64 from, UInt64 count) {
    if (count > (UInt64(1) << 32)) return fail(paramErr, "too much to copy at once");
    std::vector<UInt8> bytes(static_cast<size_t>(count));
    if (TRY(source.read_at(bytes.data(), bytes.size(), from)) != bytes.size())
        return fail(eofErr, "read past the end of the file");
    return write_at(offset, bytes.data(), bytes.size());
}

Result<std::unique_ptr<DataFile>> open_data_file(const std::string& path, OpenMode mode) {
    std::string abs = TRY(absolute_path(path));
    files::Access access = mode == OpenMode::read ? files::Access::Read : files::Access::ReadWrite;
    auto opened = files::File::open(abs, access);
    if (!opened.ok() && opened.code() == fnfErr && mode == OpenMode::create)
        opened = files::File::open(abs, access, files::Create::Exclusive);
    if (!opened.ok()) return not_a_file(opened.error());
    files::File file = std::move(opened).value();
    if (mode == OpenMode::create && TRY(file.size()) != 0) TRY(file.truncate(0));
    return std::unique_ptr<DataFile>(new FileLayerFile(std::move(file), abs));
}

std::unique_ptr<DataFile> borrow_data_file(files::File& file, std::string path) {
    return std::unique_ptr<DataFile>(new FileLayerFile(&file, std::move(path)));
}

Result<std::string> absolute_path(const std::string& path) {
    if (path.empty()) return fail(bdNamErr, "empty path");
    std::string full = path;
    if (path[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) return files::os_error(errno, "no current folder");
        full = std::string(cwd) + "/" + path;
    }
    // Resolve the links of the folder, keep the last component as named.
    std::string folder = folder_of(full);
    std::string name = full.substr(full.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..") return fail(bdNamErr, "path names a folder");
    char resolved[PATH_MAX];
    if (!::realpath(folder.empty() ? "/" : folder.c_str(), resolved))
        return files::os_error(errno, "cannot resolve the file's folder");
    std::string out = resolved;
    if (out != "/") out += "/";
    return out + name;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// --- MemoryFile

Result<void> MemoryFile::spend() {
    ++operations_;
    if (budget_ == 0) return fail(ioErr, "simulated failure");
    if (budget_ > 0) --budget_;
    return ok();
}

Result<void> MemoryFile::read_at(UInt64 offset, void* buffer, size_t count) {
    if (offset > bytes_.size() || count > bytes_.size() - offset)
        return fail(eofErr, "read past the end of the file");
    if (count) std::memcpy(buffer, bytes_.data() + offset, count);
    return ok();
}

Result<void> MemoryFile::write_at(UInt64 offset, const void* data, size_t count) {
    TRY(spend());
    if (offset > (UInt64(1) << 40) || count > (size_t(1) << 40)) return fail(dskFulErr, "memory file too large");
    if (offset + count > bytes_.size()) bytes_.resize(size_t(offset + count));
    if (count) std::memcpy(bytes_.data() + offset, data, count);
    return ok();
}

Result<void> MemoryFile::sync() { return spend(); }

Result<void> MemoryFile::truncate(UInt64 size) {
    TRY(spend());
    if (size > (UInt64(1) << 40)) return fail(dskFulErr, "memory file too large");
    bytes_.resize(size_t(size));
    return ok();
}

}  // namespace platform::movies
