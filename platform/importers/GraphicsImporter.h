// GraphicsImporter.h — a graphics importer instance ('grip' components).
//
// One instance reads one image file of its format. The file is read and its
// header checked when it is set; the image is decoded on the first draw
// into a 32-bit graphics world that is kept for later draws, and drawn with
// CopyBits, so QuickDraw does the depth conversion and the scaling to the
// bounds rectangle.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/Importers.h"
#include "platform/components/ComponentRegistry.h"
#include "platform/importers/ImageFormats.h"

namespace platform::importers {

// Largest image file we read.
inline constexpr UInt64 kMaxImageFileBytes = 1ull << 30;

class GraphicsImporter final : public components::Instance {
public:
    explicit GraphicsImporter(ImageFormat format) : format_(format) {}
    ~GraphicsImporter() override;

    ImageFormat format() const { return format_; }

    // Reads the file and checks its header: the file must be of this
    // importer's format (codecBadDataErr otherwise). The bounds become the
    // image's natural bounds.
    Result<void> set_data_file(const std::filesystem::path& path);
    // The same with the file's bytes already read.
    Result<void> set_data(std::vector<UInt8> bytes);

    // Nil port: the current port at the time of the call.
    void set_gworld(CGrafPtr port, GDHandle device);
    Result<void> draw();
    Result<Rect> natural_bounds() const;
    Result<Rect> bounds() const;
    Result<void> set_bounds(const Rect& bounds);

private:
    Result<GWorldPtr> decoded();

    ImageFormat format_;
    bool hasData_ = false;
    std::vector<UInt8> bytes_;   // the file, until it is decoded
    ImageInfo info_;
    Rect bounds_{};
    CGrafPtr port_ = nullptr;
    GDHandle device_ = nullptr;
    bool portSet_ = false;
    GWorldPtr cache_ = nullptr;
};

// Reads a whole file through the platform's file layer (codecSizeErr past
// `limit` bytes).
Result<std::vector<UInt8>> read_whole_file(const std::filesystem::path& path, UInt64 limit);

}  // namespace platform::importers
