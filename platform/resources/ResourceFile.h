// ResourceFile.h — a resource file as a value: its types, resources, names
// and data, parsed from (and written to) the classic resource-fork layout.
//
// The Resource Manager reads files through parse(); rescompile and the tests
// build files through add() and write(). parse() checks every offset and
// length it reads (see ResourceFile.cpp for the byte layout and the errors a
// damaged file gives).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/core/Result.h"

namespace platform::resources {

struct Resource {
    SInt16 id = 0;
    UInt8 attributes = 0;               // resPurgeable, resLocked, ... (as stored)
    std::optional<std::string> name;    // raw bytes, at most 255
    std::vector<UInt8> data;
};

struct ResourceTypeList {
    ResType type = 0;
    std::vector<Resource> resources;    // in file order
};

class ResourceFile {
public:
    // Reads a whole file image. A damaged image fails with mapReadErr and a
    // message naming what is wrong; an empty one with eofErr.
    static Result<ResourceFile> parse(std::span<const UInt8> image);

    // The file image: header, data from offset 256, then the map. Fails with
    // paramErr when the content does not fit the layout's 16- and 24-bit
    // offsets.
    Result<std::vector<UInt8>> write() const;

    // Adds a resource (types keep the order of their first resource).
    // Fails with paramErr for a duplicate type and ID, a name longer than
    // 255 bytes, or more than the layout can hold.
    Result<void> add(ResType type, SInt16 id, std::optional<std::string> name,
                     std::vector<UInt8> data, UInt8 attributes = 0);

    const std::vector<ResourceTypeList>& types() const { return types_; }
    const ResourceTypeList* find_type(ResType type) const;
    const Resource* find(ResType type, SInt16 id) const;

    UInt16 attributes() const { return attributes_; }
    void set_attributes(UInt16 attributes) { attributes_ = attributes; }

private:
    std::vector<ResourceTypeList> types_;
    UInt16 attributes_ = 0;
};

}  // namespace platform::resources
