// The Resource Manager's state and the work behind its API.
#include "platform/resources/ResourceChain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/files/FileIO.h"
#include "platform/memory/MemoryInternal.h"

namespace platform::resources {
namespace {

// Resource files hold at most 16 MiB of data plus a map addressed with
// 16-bit offsets; anything far larger is not one.
constexpr off_t kMaxFileSize = off_t(64) << 20;

bool same_name(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = UInt8(a[i]), y = UInt8(b[i]);
        if (x >= 'a' && x <= 'z') x = UInt8(x - 32);
        if (y >= 'a' && y <= 'z') y = UInt8(y - 32);
        if (x != y) return false;
    }
    return true;
}

Result<std::vector<UInt8>> read_file(int fd, off_t size) {
    std::vector<UInt8> image(static_cast<size_t>(size));
    size_t done = 0;
    while (done < image.size()) {
        ssize_t n = ::read(fd, image.data() + done, image.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(ioErr, "reading the resource file failed");
        if (n == 0) break;
        done += size_t(n);
    }
    image.resize(done);   // a file that shrank while being read is read as it now is
    return image;
}

}  // namespace

ResourceChain& ResourceChain::instance() {
    static ResourceChain* chain = new ResourceChain;   // handles may outlive static destructors
    return *chain;
}

ResourceChain::ResourceChain() {
    memory::set_resource_release_hook([](Handle h) { ResourceChain::instance().forget(h); });
}

Result<SInt16> ResourceChain::open_path(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(files::error_from_errno(errno), "cannot open the resource file");
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return fail(ioErr, "cannot read the resource file's status");
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return fail(notAFileErr, "the path names a folder, not a resource file");
    }
    const std::pair<UInt64, UInt64> identity{UInt64(st.st_dev), UInt64(st.st_ino)};
    for (const auto& f : files_)
        if (f->identity == identity) {
            ::close(fd);
            return f->refNum;
        }
    if (st.st_size > kMaxFileSize) {
        ::close(fd);
        return fail(mapReadErr, "the file is too large to be a resource file");
    }
    auto image = read_file(fd, st.st_size);
    ::close(fd);
    if (!image) return image.error();
    auto file = TRY(ResourceFile::parse(*image));
    return add(std::move(file), identity);
}

Result<SInt16> ResourceChain::open_image(std::span<const UInt8> image) {
    auto file = TRY(ResourceFile::parse(image));
    return add(std::move(file), std::nullopt);
}

Result<SInt16> ResourceChain::add(ResourceFile file, std::optional<std::pair<UInt64, UInt64>> identity) {
    if (files_.size() >= 0x7FFF) return fail(tmfoErr, "too many resource files are open");
    while (find_file(nextRefNum_) || nextRefNum_ <= 0)
        nextRefNum_ = nextRefNum_ >= 0x7FFF || nextRefNum_ <= 0 ? 1 : SInt16(nextRefNum_ + 1);
    auto open = std::make_unique<OpenFile>();
    open->refNum = nextRefNum_;
    open->identity = identity;
    for (const auto& list : file.types())
        open->slots.emplace_back(list.resources.size());
    open->file = std::move(file);
    nextRefNum_ = nextRefNum_ >= 0x7FFF ? 1 : SInt16(nextRefNum_ + 1);
    files_.push_back(std::move(open));
    current_ = files_.back()->refNum;
    return current_;
}

OSErr ResourceChain::close(SInt16 refNum) {
    if (refNum == 0) return noErr;   // the system file is never closed
    for (size_t i = 0; i < files_.size(); ++i) {
        OpenFile& f = *files_[i];
        if (f.refNum != refNum) continue;
        for (auto& slots : f.slots)
            for (Slot& s : slots)
                if (s.handle) drop(s.handle, true);
        if (current_ == refNum) current_ = i > 0 ? files_[i - 1]->refNum : 0;
        files_.erase(files_.begin() + ptrdiff_t(i));
        return noErr;
    }
    return resFNotFound;
}

OSErr ResourceChain::use(SInt16 refNum) {
    if (refNum != 0 && !find_file(refNum)) return resFNotFound;
    current_ = refNum;
    return noErr;
}

ResourceChain::OpenFile* ResourceChain::find_file(SInt16 refNum) {
    for (auto& f : files_)
        if (f->refNum == refNum) return f.get();
    return nullptr;
}

std::vector<ResourceChain::OpenFile*> ResourceChain::search_order(bool oneFile) {
    std::vector<OpenFile*> order;
    size_t i = files_.size();
    while (i > 0 && files_[i - 1]->refNum != current_) --i;
    for (; i > 0; --i) {
        order.push_back(files_[i - 1].get());
        if (oneFile) break;
    }
    return order;
}

Handle ResourceChain::handle_for(OpenFile& file, size_t type, size_t index) {
    Slot& slot = file.slots[type][index];
    if (!slot.handle) {
        Handle h = NewEmptyHandle();
        if (!h) {
            error_ = MemError();
            return nullptr;
        }
        memory::set_resource_flag(h, true);
        slot.handle = h;
        handles_[h] = Location{&file, type, index};
    }
    if (load_) {
        // Reads the data when it was never read or has been purged since.
        const OSErr err = load(slot.handle);
        if (err != noErr) {
            error_ = err;
            return nullptr;
        }
    }
    error_ = noErr;
    return slot.handle;
}

Handle ResourceChain::get(ResType type, SInt16 id, bool oneFile) {
    for (OpenFile* f : search_order(oneFile)) {
        const auto& types = f->file.types();
        for (size_t t = 0; t < types.size(); ++t) {
            if (types[t].type != type) continue;
            for (size_t r = 0; r < types[t].resources.size(); ++r)
                if (types[t].resources[r].id == id) return handle_for(*f, t, r);
        }
    }
    error_ = resNotFound;
    return nullptr;
}

Handle ResourceChain::get_named(ResType type, const std::string& name, bool oneFile) {
    for (OpenFile* f : search_order(oneFile)) {
        const auto& types = f->file.types();
        for (size_t t = 0; t < types.size(); ++t) {
            if (types[t].type != type) continue;
            for (size_t r = 0; r < types[t].resources.size(); ++r) {
                const auto& resName = types[t].resources[r].name;
                if (resName && same_name(*resName, name)) return handle_for(*f, t, r);
            }
        }
    }
    error_ = resNotFound;
    return nullptr;
}

SInt16 ResourceChain::count(ResType type, bool oneFile) {
    size_t n = 0;
    for (OpenFile* f : search_order(oneFile))
        if (const auto* list = f->file.find_type(type)) n += list->resources.size();
    error_ = noErr;
    return SInt16(n > 0x7FFF ? 0x7FFF : n);
}

Handle ResourceChain::get_indexed(ResType type, SInt16 index, bool oneFile) {
    if (index >= 1) {
        size_t want = size_t(index - 1);
        for (OpenFile* f : search_order(oneFile)) {
            const auto& types = f->file.types();
            for (size_t t = 0; t < types.size(); ++t) {
                if (types[t].type != type) continue;
                if (want < types[t].resources.size()) return handle_for(*f, t, want);
                want -= types[t].resources.size();
            }
        }
    }
    error_ = resNotFound;
    return nullptr;
}

SInt16 ResourceChain::count_types(bool oneFile) {
    std::vector<ResType> seen;
    for (OpenFile* f : search_order(oneFile))
        for (const auto& list : f->file.types())
            if (std::find(seen.begin(), seen.end(), list.type) == seen.end()) seen.push_back(list.type);
    error_ = noErr;
    return SInt16(seen.size() > 0x7FFF ? 0x7FFF : seen.size());
}

ResType ResourceChain::indexed_type(SInt16 index, bool oneFile) {
    std::vector<ResType> seen;
    for (OpenFile* f : search_order(oneFile))
        for (const auto& list : f->file.types())
            if (std::find(seen.begin(), seen.end(), list.type) == seen.end()) seen.push_back(list.type);
    if (index < 1 || size_t(index) > seen.size()) {
        error_ = resNotFound;
        return 0;
    }
    error_ = noErr;
    return seen[size_t(index - 1)];
}

std::optional<ResourceChain::Location> ResourceChain::locate(Handle h) {
    auto it = h ? handles_.find(h) : handles_.end();
    if (it == handles_.end()) return std::nullopt;
    return it->second;
}

OSErr ResourceChain::load(Handle h) {
    auto loc = locate(h);
    if (!loc) return resNotFound;
    Slot& slot = loc->file->slots[loc->type][loc->index];
    const Resource& res = loc->file->file.types()[loc->type].resources[loc->index];
    // Reloads when the block was never read or has been emptied (purged).
    if (slot.loaded && (*h != nullptr || res.data.empty())) return noErr;
    ReallocateHandle(h, Size(res.data.size()));
    if (MemError() != noErr) return MemError();
    if (!res.data.empty()) std::memcpy(*h, res.data.data(), res.data.size());
    slot.loaded = true;
    return noErr;
}

void ResourceChain::drop(Handle h, bool dispose) {
    auto it = handles_.find(h);
    if (it == handles_.end()) return;
    Location loc = it->second;
    handles_.erase(it);
    loc.file->slots[loc.type][loc.index] = Slot{};
    memory::set_resource_flag(h, false);
    if (dispose) DisposeHandle(h);
}

OSErr ResourceChain::release(Handle h) {
    if (!locate(h)) return resNotFound;
    drop(h, true);
    return noErr;
}

OSErr ResourceChain::detach(Handle h) {
    if (!locate(h)) return resNotFound;
    drop(h, false);
    return noErr;
}

void ResourceChain::forget(Handle h) { drop(h, false); }

const Resource* ResourceChain::describe(Handle h, SInt16* homeFile, ResType* type) {
    auto loc = locate(h);
    if (!loc) return nullptr;
    if (homeFile) *homeFile = loc->file->refNum;
    if (type) *type = loc->file->file.types()[loc->type].type;
    return &loc->file->file.types()[loc->type].resources[loc->index];
}

}  // namespace platform::resources
