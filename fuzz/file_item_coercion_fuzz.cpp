// Fuzzes the coercion of file items to FSSpecs: arbitrary bytes as a file
// URL, as a text path, or as an 'fss ' record, read back through a list
// the way an open-documents handler reads them.
//   byte 0: the item's type (0 'furl', 1 'utf8', 2 'TEXT', 3 'fss ')
//   rest:   the item's data
#include <cstdlib>
#include <cstring>

#include "platform/AppleEvents.h"
#include "platform/Files.h"
#include "platform/files/Catalog.h"
#include "platform/files/Names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const DescType kTypes[] = {typeFileURL, typeUTF8Text, typeChar, typeFSS};
    DescType type = kTypes[data[0] % 4];
    AEDescList list;
    if (AECreateList(nullptr, 0, false, &list) != noErr) return 0;
    if (AEPutPtr(&list, 0, type, data + 1, Size(size - 1)) == noErr) {
        FSSpec spec;
        AEKeyword key;
        DescType got;
        Size actual = 0;
        if (AEGetNthPtr(&list, 1, typeFSS, &key, &got, &spec, sizeof spec, &actual) == noErr) {
            // A coerced item is a whole FSSpec; one made from a URL or a path names a path.
            if (got != typeFSS || actual != Size(sizeof spec) || spec.name[0] > 63) std::abort();
            if (type != typeFSS && !platform::files::path_of(spec).ok()) std::abort();
        }
        // A small buffer is never overrun.
        UInt8 small[9];
        small[8] = 0xA5;
        (void)AEGetNthPtr(&list, 1, typeFSS, &key, &got, small, 8, &actual);
        if (small[8] != 0xA5) std::abort();
    }
    AEDisposeDesc(&list);
    // Each run's long names would otherwise pile up in the registry.
    platform::files::forget_long_names();
    return 0;
}
