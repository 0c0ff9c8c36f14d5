// Coercions between descriptor types, above all of file items to 'fss '.
#include "platform/appleevents/Coercion.h"

#include <cstring>
#include <string>

#include "platform/appleevents/FileURL.h"
#include "platform/files/Catalog.h"
#include "platform/files/Names.h"

namespace platform::appleevents {

namespace {

Error refuse(const char* why) { return Error{errAECoercionFail, why}; }

bool is_text(DescType type) { return type == typeChar || type == typeUTF8Text; }

std::string text_of(const Item& item) { return std::string(item.data.begin(), item.data.end()); }

Item with_data(const Item& in, DescType type, const void* data, size_t size) {
    Item out;
    out.key = in.key;
    out.type = type;
    const auto* p = static_cast<const UInt8*>(data);
    out.data.assign(p, p + size);
    return out;
}

Item fss_item(const Item& in, const FSSpec& spec) {
    return with_data(in, typeFSS, &spec, sizeof spec);
}

Result<Item> to_fss(const Item& in) {
    switch (in.type) {
        case typeFSS: return fss_item(in, TRY(fsspec_from_data(in.data)));
        case typeFileURL: return fss_item(in, TRY(fsspec_from_file_url(text_of(in))));
        case typeChar:
        case typeUTF8Text: return fss_item(in, TRY(fsspec_from_path_text(text_of(in))));
        default: return refuse("not a file item");
    }
}

Result<Item> to_number(const Item& in, DescType desired) {
    SInt64 value;
    if (in.type == typeSInt16 && in.data.size() == sizeof(SInt16)) {
        SInt16 v;
        std::memcpy(&v, in.data.data(), sizeof v);
        value = v;
    } else if (in.type == typeSInt32 && in.data.size() == sizeof(SInt32)) {
        SInt32 v;
        std::memcpy(&v, in.data.data(), sizeof v);
        value = v;
    } else {
        return refuse("not a whole number");
    }
    if (desired == typeSInt16) {
        if (value < INT16_MIN || value > INT16_MAX) return refuse("number does not fit 16 bits");
        SInt16 v = SInt16(value);
        return with_data(in, desired, &v, sizeof v);
    }
    SInt32 v = SInt32(value);
    return with_data(in, desired, &v, sizeof v);
}

}  // namespace

Result<FSSpec> fsspec_from_path_text(std::string_view path) {
    if (path.empty() || path[0] != '/') return refuse("not an absolute path");
    if (path.find('\0') != std::string_view::npos) return refuse("NUL in a path");
    if (!files::is_valid_utf8(path)) return refuse("path is not UTF-8");
    FSSpec spec;
    OSErr err = files::make_fsspec(std::string(path), &spec);
    if (err != noErr && err != fnfErr) return refuse("no FSSpec for that path");
    return spec;
}

Result<FSSpec> fsspec_from_file_url(std::string_view url) {
    std::string path = TRY(path_from_file_url(url));
    return fsspec_from_path_text(path);
}

Result<FSSpec> fsspec_from_data(std::span<const UInt8> data) {
    if (data.size() != sizeof(FSSpec)) return refuse("'fss ' data of the wrong size");
    FSSpec spec;
    std::memcpy(&spec, data.data(), sizeof spec);
    if (spec.name[0] > files::kMaxSpecName) return refuse("FSSpec name longer than 63 bytes");
    return spec;
}

Result<Item> coerce(const Item& in, DescType desired) {
    if (desired == typeWildCard) return in;
    if (desired == typeFSS) return to_fss(in);
    if (desired == in.type) return in;
    switch (desired) {
        case typeChar:
        case typeUTF8Text:
            if (is_text(in.type)) return with_data(in, desired, in.data.data(), in.data.size());
            break;
        case typeSInt16:
        case typeSInt32: return to_number(in, desired);
        case typeAEList: {
            // Any single descriptor is a list of one.
            Items one{Item{0, in.type, in.data}};
            auto bytes = write_items(one);
            return with_data(in, desired, bytes.data(), bytes.size());
        }
        default: break;
    }
    return refuse("no coercion between these types");
}

}  // namespace platform::appleevents
