#include "platform/importers/GraphicsImporter.h"

#include <cstring>
#include <new>

#include "platform/files/FileIO.h"

namespace platform::importers {

Result<std::vector<UInt8>> read_whole_file(const std::filesystem::path& path, UInt64 limit) {
    files::File file = TRY(files::File::open(path, files::Access::Read));
    UInt64 size = TRY(file.size());
    if (size > limit) return fail(codecSizeErr, "file too large to import");
    std::vector<UInt8> bytes;
    try {
        bytes.resize(size_t(size));
    } catch (const std::bad_alloc&) {
        return fail(memFullErr, "no memory to read the file");
    }
    size_t got = TRY(file.read_at(bytes.data(), bytes.size(), 0));
    bytes.resize(got);   // the file may have shrunk meanwhile
    return bytes;
}

GraphicsImporter::~GraphicsImporter() {
    if (cache_) DisposeGWorld(cache_);
}

Result<void> GraphicsImporter::set_data_file(const std::filesystem::path& path) {
    return set_data(TRY(read_whole_file(path, kMaxImageFileBytes)));
}

Result<void> GraphicsImporter::set_data(std::vector<UInt8> bytes) {
    auto sniffed = sniff_image(bytes);
    if (!sniffed || *sniffed != format_) return fail(codecBadDataErr, "not a file of this importer's format");
    ImageInfo info = TRY(probe_image(format_, bytes));
    if (cache_) {
        DisposeGWorld(cache_);
        cache_ = nullptr;
    }
    bytes_ = std::move(bytes);
    info_ = info;
    hasData_ = true;
    bounds_ = Rect{0, 0, SInt16(info.height), SInt16(info.width)};
    return ok();
}

void GraphicsImporter::set_gworld(CGrafPtr port, GDHandle device) {
    if (!port) GetGWorld(&port, &device);
    port_ = port;
    device_ = device;
    portSet_ = true;
}

Result<Rect> GraphicsImporter::natural_bounds() const {
    if (!hasData_) return fail(dataNoDataRef, "graphics importer without a file");
    return Rect{0, 0, SInt16(info_.height), SInt16(info_.width)};
}

Result<Rect> GraphicsImporter::bounds() const {
    if (!hasData_) return fail(dataNoDataRef, "graphics importer without a file");
    return bounds_;
}

Result<void> GraphicsImporter::set_bounds(const Rect& bounds) {
    if (!hasData_) return fail(dataNoDataRef, "graphics importer without a file");
    bounds_ = bounds;
    return ok();
}

// Decodes once into a 32-bit graphics world, then keeps it.
Result<GWorldPtr> GraphicsImporter::decoded() {
    if (cache_) return cache_;
    DecodedImage image = TRY(decode_image_file(format_, bytes_));
    if (image.width != info_.width || image.height != info_.height)
        return fail(codecBadDataErr, "image size differs from its header");
    Rect r{0, 0, SInt16(image.height), SInt16(image.width)};
    GWorldPtr world = nullptr;
    if (OSErr err = NewGWorld(&world, 32, &r, nullptr, nullptr, 0)) return fail(err, "no graphics world");
    PixMapHandle pm = GetGWorldPixMap(world);
    UInt8* base = reinterpret_cast<UInt8*>(GetPixBaseAddr(pm));
    SInt32 rowBytes = GetPixRowBytes(pm);
    for (SInt32 y = 0; y < image.height; ++y)
        std::memcpy(base + size_t(y) * size_t(rowBytes), image.row(y), size_t(image.width) * 4);
    cache_ = world;
    std::vector<UInt8>().swap(bytes_);   // the file is no longer needed
    return cache_;
}

Result<void> GraphicsImporter::draw() {
    if (!hasData_) return fail(dataNoDataRef, "graphics importer without a file");
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    CGrafPtr port = portSet_ ? port_ : savedPort;
    if (!port) return fail(paramErr, "no port to draw into");
    GWorldPtr world = TRY(decoded());
    Rect natural{0, 0, SInt16(info_.height), SInt16(info_.width)};
    SetGWorld(port, portSet_ ? device_ : savedDevice);
    CopyBits(GetPortBitMapForCopyBits(world), GetPortBitMapForCopyBits(port), &natural, &bounds_,
             srcCopy, nullptr);
    OSErr err = QDError();
    SetGWorld(savedPort, savedDevice);
    if (err) return fail(err, "drawing the image failed");
    return ok();
}

}  // namespace platform::importers
