// ResourceChain.h — the Resource Manager's state: the open resource files,
// the current file, and the handles it has handed out.
//
// One instance per process (the API is global by nature). Single-threaded,
// like the system that calls it. Every call records its result for
// ResError().
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Types.h"
#include "platform/core/Result.h"
#include "platform/resources/ResourceFile.h"

namespace platform::resources {

class ResourceChain {
public:
    static ResourceChain& instance();

    OSErr error() const { return error_; }
    void set_error(OSErr e) { error_ = e; }

    // Opening (both make the new file current). open_path() reads the whole
    // file; open_image() takes an image already in memory (tests, fuzzing).
    Result<SInt16> open_path(const std::string& path);
    Result<SInt16> open_image(std::span<const UInt8> image);
    OSErr close(SInt16 refNum);

    SInt16 current() const { return current_; }
    OSErr use(SInt16 refNum);
    void set_load(bool load) { load_ = load; }

    // Lookups. oneFile: the current file only; otherwise the search chain.
    Handle get(ResType type, SInt16 id, bool oneFile);
    Handle get_named(ResType type, const std::string& name, bool oneFile);
    SInt16 count(ResType type, bool oneFile);
    Handle get_indexed(ResType type, SInt16 index, bool oneFile);
    SInt16 count_types(bool oneFile);
    ResType indexed_type(SInt16 index, bool oneFile);

    // Operations on a handle this manager handed out; resNotFound otherwise.
    OSErr load(Handle h);
    OSErr release(Handle h);
    OSErr detach(Handle h);
    const Resource* describe(Handle h, SInt16* homeFile, ResType* type = nullptr);
    // The Memory Manager's notice that a resource handle is being disposed.
    void forget(Handle h);

private:
    struct Slot {
        Handle handle = nullptr;
        bool loaded = false;
    };
    struct OpenFile {
        SInt16 refNum = 0;
        std::optional<std::pair<UInt64, UInt64>> identity;   // device, inode
        ResourceFile file;
        std::vector<std::vector<Slot>> slots;   // parallel to file.types()
    };
    struct Location {
        OpenFile* file;
        size_t type, index;
    };

    ResourceChain();
    Result<SInt16> add(ResourceFile file, std::optional<std::pair<UInt64, UInt64>> identity);
    OpenFile* find_file(SInt16 refNum);
    // The files to search, current first, then each older one.
    std::vector<OpenFile*> search_order(bool oneFile);
    Handle handle_for(OpenFile& file, size_t type, size_t index);
    std::optional<Location> locate(Handle h);
    void drop(Handle h, bool dispose);

    std::vector<std::unique_ptr<OpenFile>> files_;   // oldest first
    std::unordered_map<Handle, Location> handles_;
    SInt16 current_ = 0;
    SInt16 nextRefNum_ = 1;
    bool load_ = true;
    OSErr error_ = noErr;
};

}  // namespace platform::resources
