// Fuzzes the resource file reader: parse an image, and when it opens, walk
// every type, resource and name through the Resource Manager's API, read
// every string list, then close the file.
#include <cstddef>
#include <cstdint>

#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/core/FourCC.h"
#include "platform/resources/AppResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto opened = platform::resources::open_resource_image({data, size});
    if (!opened) return 0;
    const SInt16 refNum = *opened;
    const SInt16 types = Count1Types();
    for (SInt16 t = 1; t <= types; ++t) {
        ResType type = 0;
        Get1IndType(&type, t);
        const SInt16 count = Count1Resources(type);
        for (SInt16 i = 1; i <= count; ++i) {
            Handle h = Get1IndResource(type, i);
            if (!h) continue;
            SInt16 id = 0;
            ResType back = 0;
            Str255 name;
            GetResInfo(h, &id, &back, name);
            (void)GetResourceSizeOnDisk(h);
            (void)GetResAttrs(h);
            if (name[0]) (void)Get1NamedResource(type, name);
            if (type == platform::fourcc("STR#"))
                for (SInt16 s = 0; s <= 4; ++s) {
                    Str255 text;
                    GetIndString(text, id, s);
                }
            if (i % 2) ReleaseResource(h);
            else DetachResource(h), DisposeHandle(h);
        }
    }
    CloseResFile(refNum);
    return 0;
}
