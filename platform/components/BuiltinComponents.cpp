// The platform's own components, registered the first time the registry is
// used: the importers, then the image codecs. The codecs are registered so
// that searches find them; their work is done by platform/codecs, which the
// image compression calls reach directly, so an opened codec instance
// answers no calls of its own.
#include "platform/components/ComponentRegistry.h"
#include "platform/importers/ImporterComponents.h"

namespace platform::components {
namespace {

class CodecInstance final : public Instance {};

void register_codecs() {
    struct Codec {
        OSType subtype;
        const char* name;
    };
    constexpr Codec kCodecs[] = {{'rle ', "Animation"}, {'raw ', "None"}};
    for (OSType type : {decompressorComponentType, compressorComponentType}) {
        for (const Codec& c : kCodecs) {
            register_component({{type, c.subtype, kManufacturer, 0, 0},
                                c.name,
                                type == decompressorComponentType ? "Decompresses images"
                                                                  : "Compresses images",
                                []() -> Result<std::unique_ptr<Instance>> {
                                    return std::unique_ptr<Instance>(new CodecInstance);
                                }});
        }
    }
}

}  // namespace

void register_builtin_components() {
    importers::register_importer_components();
    register_codecs();
}

}  // namespace platform::components
