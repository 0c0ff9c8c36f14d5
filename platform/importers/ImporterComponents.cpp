// The importers' registrations. Finder-type subtypes first, in the order the
// open dialog lists them, then the file-name extensions.
#include "platform/importers/ImporterComponents.h"

#include "platform/files/FileIO.h"
#include "platform/importers/GraphicsImporter.h"

namespace platform::importers {
namespace {

using components::kManufacturer;

struct ImageEntry {
    ImageFormat format;
    OSType subtype;
    bool extension;
    const char* name;
};

constexpr ImageEntry kImages[] = {
    {ImageFormat::png, 'PNGf', false, "PNG"},
    {ImageFormat::jpeg, 'JPEG', false, "JPEG"},
    {ImageFormat::gif, 'GIFf', false, "GIF"},
    {ImageFormat::bmp, 'BMPf', false, "BMP"},
    {ImageFormat::qtif, 'qtif', false, "Image file"},
    {ImageFormat::png, 'png ', true, "PNG"},
    {ImageFormat::jpeg, 'jpg ', true, "JPEG"},
    {ImageFormat::jpeg, 'jpeg', true, "JPEG"},
    {ImageFormat::gif, 'gif ', true, "GIF"},
    {ImageFormat::bmp, 'bmp ', true, "BMP"},
    {ImageFormat::qtif, 'qtif', true, "Image file"},
    {ImageFormat::qtif, 'qti ', true, "Image file"},
};

struct SoundEntry {
    SoundFileFormat format;
    OSType subtype;
    bool extension;
    const char* name;
};

constexpr SoundEntry kSounds[] = {
    {SoundFileFormat::wave, 'WAVE', false, "WAVE"},
    {SoundFileFormat::aiff, 'AIFF', false, "AIFF"},
    {SoundFileFormat::aifc, 'AIFC', false, "AIFF-C"},
    {SoundFileFormat::wave, 'wav ', true, "WAVE"},
    {SoundFileFormat::aiff, 'aif ', true, "AIFF"},
    {SoundFileFormat::aiff, 'aiff', true, "AIFF"},
    {SoundFileFormat::aifc, 'aifc', true, "AIFF-C"},
};

constexpr UInt32 kMovieImportFlags = canMovieImportFiles | canMovieImportInPlace;

Component find(OSType type, OSType subtype) {
    ComponentDescription looking{type, subtype, kManufacturer, 0, movieImportSubTypeIsFileExtension};
    return FindNextComponent(nullptr, &looking);
}

}  // namespace

OSType finder_type(ImageFormat format) {
    for (const auto& e : kImages)
        if (e.format == format && !e.extension) return e.subtype;
    return 0;
}

void register_importer_components() {
    for (const auto& e : kImages) {
        ImageFormat format = e.format;
        components::register_component(
            {{GraphicsImporterComponentType, e.subtype, kManufacturer,
              e.extension ? UInt32(movieImportSubTypeIsFileExtension) : 0u, 0},
             std::string(e.name) + " image",
             std::string("Draws ") + e.name + " images",
             [format]() -> Result<std::unique_ptr<components::Instance>> {
                 return std::unique_ptr<components::Instance>(new GraphicsImporter(format));
             }});
    }
    for (const auto& e : kSounds) {
        SoundFileFormat format = e.format;
        components::register_component(
            {{MovieImportType, e.subtype, kManufacturer,
              kMovieImportFlags | (e.extension ? UInt32(movieImportSubTypeIsFileExtension) : 0u), 0},
             std::string(e.name) + " sound",
             std::string("Imports ") + e.name + " sound files as movies, in place",
             [format]() -> Result<std::unique_ptr<components::Instance>> {
                 return std::unique_ptr<components::Instance>(new MovieImporter(format));
             }});
    }
}

Component graphics_importer_component(ImageFormat format) {
    return find(GraphicsImporterComponentType, finder_type(format));
}

Component movie_importer_component(SoundFileFormat format) {
    return find(MovieImportType, finder_type(format));
}

Result<Component> movie_importer_for_file(const std::filesystem::path& path) {
    files::File file = TRY(files::File::open(path, files::Access::Read));
    UInt8 start[12];
    size_t got = TRY(file.read_at(start, sizeof start, 0));
    auto format = sniff_sound(std::span<const UInt8>(start, got));
    if (!format) return fail(cantFindHandler, "no movie importer takes this file");
    Component c = movie_importer_component(*format);
    if (!c) return fail(cantFindHandler, "the importer is not registered");
    return c;
}

Result<SoundFileImport> MovieImporter::import_file(const std::filesystem::path& path) const {
    SoundFileImport imported = TRY(import_sound_file(path));
    if (imported.format != format_) return fail(badFileFormat, "not a file of this importer's format");
    return imported;
}

}  // namespace platform::importers
