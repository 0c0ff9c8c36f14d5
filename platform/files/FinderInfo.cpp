/*
 * Finder information in the extended attribute "user.kinora.finder-info".
 *
 * The attribute holds the classic 16-byte Finder information record,
 * big-endian:
 *
 *   offset size field
 *        0    4 fdType       file type, e.g. 'MooV'
 *        4    4 fdCreator    creator, e.g. 'TVOD'
 *        8    2 fdFlags      Finder flags
 *       10    2 fdLocation.v icon position in the folder
 *       12    2 fdLocation.h
 *       14    2 fdFldr       folder of the icon
 *
 * Readers need the first 8 bytes; shorter attributes are ignored as
 * damaged, and fields a shorter record lacks read as 0.
 */
#include "platform/files/FinderInfo.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"
#include "platform/files/FileIO.h"

namespace platform::files {

std::array<UInt8, kFinderInfoSize> encode_finder_info(const FInfo& info) {
    ByteWriter w;
    w.u32(info.fdType);
    w.u32(info.fdCreator);
    w.u16(info.fdFlags);
    w.s16(info.fdLocation.v);
    w.s16(info.fdLocation.h);
    w.s16(info.fdFldr);
    std::array<UInt8, kFinderInfoSize> out{};
    std::copy(w.bytes().begin(), w.bytes().end(), out.begin());
    return out;
}

std::optional<FInfo> decode_finder_info(std::span<const UInt8> bytes) {
    if (bytes.size() < 8) return std::nullopt;
    std::array<UInt8, kFinderInfoSize> padded{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), padded.size()), padded.begin());
    ByteReader r(padded.data(), padded.size());
    FInfo info{};
    info.fdType = r.u32().value();
    info.fdCreator = r.u32().value();
    info.fdFlags = r.u16().value();
    info.fdLocation.v = r.s16().value();
    info.fdLocation.h = r.s16().value();
    info.fdFldr = r.s16().value();
    return info;
}

FInfo finder_info_for_name(std::string_view name) {
    static const struct {
        const char* ext;
        OSType type;
    } kTypes[] = {
        {"mov", fourcc("MooV")},  {"qt", fourcc("MooV")},   {"png", fourcc("PNGf")},
        {"jpg", fourcc("JPEG")},  {"jpeg", fourcc("JPEG")}, {"gif", fourcc("GIFf")},
        {"bmp", fourcc("BMPf")},  {"tif", fourcc("TIFF")},  {"tiff", fourcc("TIFF")},
        {"wav", fourcc("WAVE")},  {"aif", fourcc("AIFF")},  {"aiff", fourcc("AIFF")},
        {"aifc", fourcc("AIFC")}, {"qtif", fourcc("qtif")}, {"txt", fourcc("TEXT")},
        // the same file format under the names other programs give it
        {"mp4", fourcc("MooV")},  {"m4v", fourcc("MooV")},  {"m4a", fourcc("MooV")},
        {"3gp", fourcc("MooV")},
    };
    FInfo info{};
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return info;
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) c = char(std::tolower(UInt8(c)));
    for (const auto& t : kTypes) {
        if (ext == t.ext) {
            info.fdType = t.type;
            break;
        }
    }
    return info;
}

Result<FInfo> read_finder_info(const std::filesystem::path& path) {
    auto stored = TRY(get_attribute(path, kFinderInfoAttribute));
    if (stored) {
        if (auto info = decode_finder_info(*stored)) return *info;
    }
    return finder_info_for_name(path.filename().native());
}

Result<bool> write_finder_info(const std::filesystem::path& path, const FInfo& info) {
    auto bytes = encode_finder_info(info);
    return set_attribute(path, kFinderInfoAttribute, bytes);
}

}  // namespace platform::files
