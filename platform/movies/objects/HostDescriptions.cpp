#include "platform/movies/objects/HostDescriptions.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <initializer_list>

#include "platform/codecs/ImageDescriptionIO.h"
#include "platform/movies/format/AtomCodes.h"

namespace platform::movies {

namespace {

constexpr size_t kHeader = 16;
constexpr std::initializer_list<int> kHeaderFields = {4, 4, 4, 2, 2};
constexpr std::initializer_list<int> kSoundCommon = {2, 2, 4};
constexpr std::initializer_list<int> kSoundV0 = {2, 2, 2, 2, 4};
constexpr std::initializer_list<int> kSoundV1 = {4, 4, 4, 4};
constexpr std::initializer_list<int> kSoundV2 = {2, 2, 2, 2, 4, 4, 8, 4, 4, 4, 4, 4, 4};

// Between host order and big-endian every field is reversed on a
// little-endian host and left alone on a big-endian one.
size_t swap_fields(std::vector<UInt8>& bytes, size_t at, std::initializer_list<int> widths) {
    for (int w : widths) {
        if (at + size_t(w) > bytes.size()) return bytes.size();
        if constexpr (std::endian::native == std::endian::little)
            std::reverse(bytes.begin() + long(at), bytes.begin() + long(at + size_t(w)));
        at += size_t(w);
    }
    return at;
}

SInt16 host_s16(const UInt8* p) {
    SInt16 v;
    std::memcpy(&v, p, 2);
    return v;
}

UInt32 host_u32(const UInt8* p) {
    UInt32 v;
    std::memcpy(&v, p, 4);
    return v;
}

Result<std::vector<UInt8>> convert(OSType media_type, std::span<const UInt8> in, bool to_file) {
    if (media_type == kVide) {
        return to_file ? codecs::image_description_to_file(in) : codecs::image_description_from_file(in);
    }
    if (in.size() < kHeader) return fail(invalidSampleDescription, "sample description shorter than 16 bytes");
    UInt32 size = to_file ? host_u32(in.data()) : load_u32be(in.data());
    if (size < kHeader || size > in.size())
        return fail(invalidSampleDescription, "sample description size outside its data");

    std::vector<UInt8> out(in.begin(), in.begin() + size);
    size_t at = swap_fields(out, 0, kHeaderFields);
    if (media_type != kSoun || size < 24) return out;

    SInt16 version = to_file ? host_s16(in.data() + 16) : SInt16(load_u16be(in.data() + 16));
    at = swap_fields(out, at, kSoundCommon);
    if (version == 2) {
        swap_fields(out, at, kSoundV2);
    } else {
        at = swap_fields(out, at, kSoundV0);
        if (version == 1) swap_fields(out, at, kSoundV1);
    }
    return out;
}

}  // namespace

Result<std::vector<UInt8>> description_to_file(OSType media_type, std::span<const UInt8> host) {
    return convert(media_type, host, true);
}

Result<std::vector<UInt8>> description_to_host(OSType media_type, std::span<const UInt8> stored) {
    return convert(media_type, stored, false);
}

}  // namespace platform::movies
