// Fuzzes the conversion of stored image descriptions (as a movie file's
// sample description holds them) to their memory form and back: whatever
// is accepted must convert back to the same bytes, bar a name length byte
// cut to 31.
#include <cstdlib>
#include <vector>

#include "platform/codecs/ImageDescriptionIO.h"

using namespace platform::codecs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto mem = image_description_from_file(std::span(data, size));
    if (!mem.ok()) return 0;
    auto back = image_description_to_file(*mem);
    if (!back.ok() || back->size() > size) std::abort();
    std::vector<uint8_t> expect(data, data + back->size());
    if (expect[50] > 31) expect[50] = 31;
    if (*back != expect) std::abort();
    return 0;
}
