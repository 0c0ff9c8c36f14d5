// The graphics importer calls, GetMovieImporterForDataRef and QTNewAlias.
#include <cstring>

#include "platform/Importers.h"
#include "platform/Memory.h"
#include "platform/files/Catalog.h"
#include "platform/files/FileIO.h"
#include "platform/importers/AliasRecord.h"
#include "platform/importers/GraphicsImporter.h"
#include "platform/importers/ImporterComponents.h"

using namespace platform;
using namespace platform::importers;

namespace {

// The importer behind an instance, or the result to answer with.
ComponentResult lookup(GraphicsImportComponent ci, GraphicsImporter** out) {
    *out = nullptr;
    components::Instance* instance = components::instance_of(ci);
    if (!instance) return badComponentInstance;
    *out = dynamic_cast<GraphicsImporter*>(instance);
    return *out ? ComponentResult(noErr) : badComponentSelector;
}

// Records a call's result as the instance's error and answers with it.
ComponentResult answer(GraphicsImporter* gi, OSErr code) {
    if (code) gi->set_error(code);
    return code;
}

// The first bytes of a file, for sniffing.
Result<std::vector<UInt8>> read_start(const std::filesystem::path& path, size_t n) {
    files::File file = TRY(files::File::open(path, files::Access::Read));
    std::vector<UInt8> bytes(n);
    size_t got = TRY(file.read_at(bytes.data(), n, 0));
    bytes.resize(got);
    return bytes;
}

}  // namespace

OSErr GetGraphicsImporterForFile(const FSSpec* theFile, GraphicsImportComponent* gi) {
    if (!gi) return paramErr;
    *gi = nullptr;
    if (!theFile) return paramErr;
    auto path = files::path_of(*theFile);
    if (!path.ok()) return path.code();
    // Only an image is read whole: a movie file is asked this first too.
    auto start = read_start(*path, kImageSniffBytes);
    if (!start.ok()) return start.code();
    auto format = sniff_image(*start);
    if (!format) return cantFindHandler;
    auto bytes = read_whole_file(*path, kMaxImageFileBytes);
    if (!bytes.ok()) return bytes.code();
    ComponentInstance ci = nullptr;
    if (OSErr err = OpenAComponent(graphics_importer_component(*format), &ci)) return err;
    auto set = components::instance_as<GraphicsImporter>(ci)->set_data(std::move(*bytes));
    if (!set.ok()) {
        CloseComponent(ci);
        return set.code();
    }
    *gi = ci;
    return noErr;
}

ComponentResult GraphicsImportSetDataFile(GraphicsImportComponent ci, const FSSpec* theFile) {
    GraphicsImporter* gi;
    if (ComponentResult r = lookup(ci, &gi)) return r;
    if (!theFile) return answer(gi, paramErr);
    auto path = files::path_of(*theFile);
    if (!path.ok()) return answer(gi, path.code());
    return answer(gi, gi->set_data_file(*path).code());
}

ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent ci, CGrafPtr port, GDHandle gd) {
    GraphicsImporter* gi;
    if (ComponentResult r = lookup(ci, &gi)) return r;
    gi->set_gworld(port, gd);
    return noErr;
}

ComponentResult GraphicsImportDraw(GraphicsImportComponent ci) {
    GraphicsImporter* gi;
    if (ComponentResult r = lookup(ci, &gi)) return r;
    return answer(gi, gi->draw().code());
}

ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent ci, Rect* naturalBounds) {
    GraphicsImporter* gi;
    if (ComponentResult r = lookup(ci, &gi)) return r;
    if (!naturalBounds) return answer(gi, paramErr);
    auto b = gi->natural_bounds();
    if (b.ok()) *naturalBounds = *b;
    return answer(gi, b.code());
}

ComponentResult GraphicsImportGetBoundsRect(GraphicsImportComponent ci, Rect* bounds) {
    GraphicsImporter* gi;
    if (ComponentResult r = lookup(ci, &gi)) return r;
    if (!bounds) return answer(gi, paramErr);
    auto b = gi->bounds();
    if (b.ok()) *bounds = *b;
    return answer(gi, b.code());
}

ComponentResult GraphicsImportSetBoundsRect(GraphicsImportComponent ci, const Rect* bounds) {
    GraphicsImporter* gi;
    if (ComponentResult r = lookup(ci, &gi)) return r;
    if (!bounds) return answer(gi, paramErr);
    return answer(gi, gi->set_bounds(*bounds).code());
}

OSErr GetMovieImporterForDataRef(OSType dataRefType, Handle dataRef, SInt32 flags,
                                 Component* importer) {
    (void)flags;   // images are never imported as movies: see Importers.h
    if (!importer) return paramErr;
    *importer = nullptr;
    if (!dataRef || !*dataRef) return paramErr;
    if (dataRefType != rAliasType) return cantFindHandler;
    auto path = resolve_file_alias(
        std::span<const UInt8>(reinterpret_cast<const UInt8*>(*dataRef), size_t(GetHandleSize(dataRef))));
    if (!path.ok()) return path.code();
    auto found = movie_importer_for_file(*path);
    if (!found.ok()) return found.code();
    *importer = *found;
    return noErr;
}

OSErr QTNewAlias(const FSSpec* fss, AliasHandle* alias, Boolean minimal) {
    (void)minimal;   // every record we make is minimal: a path and a name
    if (!alias) return paramErr;
    *alias = nullptr;
    if (!fss) return paramErr;
    auto entry = files::catalog_entry(*fss);
    if (!entry.ok()) return entry.code();
    auto record = make_file_alias(entry->path);
    if (!record.ok()) return record.code();
    Handle h = nullptr;
    if (OSErr err = PtrToHand(record->data(), &h, SInt32(record->size()))) return err;
    *alias = h;
    return noErr;
}
