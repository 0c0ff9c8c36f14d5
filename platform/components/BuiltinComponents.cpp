// The platform's own components, registered the first time the registry is
// used: the providers' (the importers), then the image codecs. The codecs
// are registered so that searches find them; their work is done by
// platform/codecs, which the image compression calls reach directly, so an
// opened codec instance answers no calls of its own.
#include "platform/components/ComponentRegistry.h"

#include <vector>

namespace platform::components {
namespace {

class CodecInstance final : public Instance {};

struct Providers {
    std::vector<Provider> first_use;
    std::vector<Provider> after_codecs;
    std::vector<Provider> enter_movies;
    bool first_use_ran = false;
};

// Filled before main (the program's entry objects), so made on first use.
Providers& providers() {
    static Providers p;
    return p;
}

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

void add_component_provider(ProvideWhen when, Provider provider) {
    if (!provider) return;
    Providers& p = providers();
    if (when == ProvideWhen::EnterMovies) {
        p.enter_movies.push_back(provider);
    } else if (p.first_use_ran) {
        provider();   // the registry is in use already: in now, after the others
    } else {
        (when == ProvideWhen::AfterCodecs ? p.after_codecs : p.first_use).push_back(provider);
    }
}

void movie_toolbox_entered() {
    for (Provider provider : providers().enter_movies) provider();
}

void register_builtin_components() {
    Providers& p = providers();
    p.first_use_ran = true;
    for (Provider provider : p.first_use) provider();
    register_codecs();
    for (Provider provider : p.after_codecs) provider();
}

}  // namespace platform::components
