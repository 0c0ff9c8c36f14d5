// ImporterComponents.h — the importers as components, and finding them.
#pragma once

#include "platform/components/ComponentRegistry.h"
#include "platform/importers/ImageFormats.h"
#include "platform/importers/SoundFileImport.h"

namespace platform::importers {

// The Finder type each image format's importer is registered under:
// 'PNGf', 'JPEG', 'GIFf', 'BMPf', 'qtif'.
OSType finder_type(ImageFormat format);

// Registers the graphics and movie importers (see ComponentRegistry.h for
// the order); called once, by the registry.
void register_importer_components();

// The component registered under that format's Finder type.
Component graphics_importer_component(ImageFormat format);
Component movie_importer_component(SoundFileFormat format);

// The movie importer for a file, chosen by its first bytes (cantFindHandler
// when none takes it; File Manager codes when it cannot be read). Images
// have none: they are not imported as movies.
Result<Component> movie_importer_for_file(const std::filesystem::path& path);

// A movie importer instance ('eat ' components): imports sound files.
class MovieImporter final : public components::Instance {
public:
    explicit MovieImporter(SoundFileFormat format) : format_(format) {}
    SoundFileFormat format() const { return format_; }
    // Parses the file, which must be of this importer's format (badFileFormat).
    Result<SoundFileImport> import_file(const std::filesystem::path& path) const;

private:
    SoundFileFormat format_;
};

}  // namespace platform::importers
