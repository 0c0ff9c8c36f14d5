// The resource file reader and writer: round trips, and damaged files made
// from a good one by mutation, each refused with its own error.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "platform/Errors.h"
#include "platform/core/Bytes.h"
#include "platform/core/FourCC.h"
#include "platform/resources/ResourceFile.h"

using platform::fourcc;
using platform::load_u32be;
using platform::store_u16be;
using platform::store_u24be;
using platform::store_u32be;
using platform::resources::ResourceFile;

namespace {

std::vector<UInt8> bytes_of(const std::string& s) { return std::vector<UInt8>(s.begin(), s.end()); }

// Two types; names on some resources; one larger entry.
ResourceFile sample_file() {
    ResourceFile f;
    EXPECT_TRUE(f.add(fourcc("AAAA"), 1, "one", bytes_of("hello"), 0x20).ok());
    EXPECT_TRUE(f.add(fourcc("AAAA"), 2, std::nullopt, bytes_of("world!")).ok());
    EXPECT_TRUE(f.add(fourcc("BBBB"), -5, "five", std::vector<UInt8>(300, 0x5A)).ok());
    return f;
}

std::vector<UInt8> sample_image() { return *sample_file().write(); }

// Positions inside the sample image, read from its own header and map.
struct Layout {
    explicit Layout(const std::vector<UInt8>& img)
        : data(load_u32be(&img[0])), map(load_u32be(&img[4])),
          typeList(map + 28), refsA(typeList + 2 + 16), refsB(refsA + 24),
          names(map + platform::load_u16be(&img[map + 26])) {}
    size_t data, map, typeList, refsA, refsB, names;
};

}  // namespace

TEST(ResourceFile, WriteThenParseKeepsEverythingAndWritesTheSameBytes) {
    const auto image = sample_image();
    EXPECT_EQ(load_u32be(&image[0]), 256u) << "data conventionally starts at 256";
    auto parsed = ResourceFile::parse(image);
    ASSERT_TRUE(parsed.ok()) << parsed.error().message;
    ASSERT_EQ(parsed->types().size(), 2u);
    const ResourceFile want = sample_file();
    for (auto [type, id] : {std::tuple{fourcc("AAAA"), 1}, {fourcc("AAAA"), 2}, {fourcc("BBBB"), -5}}) {
        const auto *got = parsed->find(type, SInt16(id)), *made = want.find(type, SInt16(id));
        ASSERT_NE(got, nullptr) << id;
        EXPECT_EQ(std::tie(got->name, got->attributes, got->data), std::tie(made->name, made->attributes, made->data));
    }
    EXPECT_EQ(*parsed->write(), image);
    EXPECT_EQ(std::memcmp(&image[0], &image[Layout(image).map], 16), 0) << "the map starts with a copy of the header";
}

TEST(ResourceFile, AddRefusesDuplicatesAndOverlongNames) {
    auto empty = ResourceFile::parse(*ResourceFile().write());
    ASSERT_TRUE(empty.ok()) << "a file without resources round-trips";
    EXPECT_TRUE(empty->types().empty());
    ResourceFile f;
    auto add = [&](SInt16 id, std::optional<std::string> name) { return f.add(fourcc("TEST"), id, name, {}).code(); };
    EXPECT_EQ((std::tuple{add(1, std::nullopt), add(1, std::nullopt), add(2, std::string(256, 'x')), add(2, std::string(255, 'x'))}),
              std::tuple(noErr, paramErr, paramErr, noErr));
}

TEST(ResourceFile, DamagedFilesAreRefusedWithTheirOwnError) {
    using Damage = std::function<void(std::vector<UInt8>&, const Layout&)>;
    const std::tuple<Damage, OSErr, const char*> cases[] = {
        {[](auto& f, auto&) { f.clear(); }, eofErr, "the file is empty: it has no resources"},
        {[](auto& f, auto&) { f.resize(10); }, mapReadErr, "the resource header is truncated"},
        {[](auto& f, auto&) { store_u32be(&f[8], UInt32(f.size())); }, mapReadErr, "the resource data area lies outside the file"},
        {[](auto& f, auto&) { store_u32be(&f[12], load_u32be(&f[12]) + 1); }, mapReadErr, "the resource map lies outside the file"},
        {[](auto& f, auto&) { store_u32be(&f[4], 0xFFFFFFF0); }, mapReadErr, "the resource map lies outside the file"},
        {[](auto& f, auto&) { store_u32be(&f[4], 256 + 10); }, mapReadErr, "the resource map overlaps the data area"},
        {[](auto& f, auto&) { store_u32be(&f[12], 20); }, mapReadErr, "the resource map is too short"},
        {[](auto& f, auto& l) { store_u16be(&f[l.map + 24], 0xFFF0); }, mapReadErr, "the type list lies outside the map"},
        {[](auto& f, auto& l) { store_u16be(&f[l.map + 26], 0xFFF0); }, mapReadErr, "the name list lies outside the map"},
        {[](auto& f, auto& l) { store_u16be(&f[l.typeList], 0x0100); }, mapReadErr, "the type count runs past the end of the map"},
        {[](auto& f, auto& l) { store_u16be(&f[l.typeList + 6], 0xFFFF); }, mapReadErr, "a reference list runs past the end of the map"},
        {[](auto& f, auto& l) { store_u16be(&f[l.typeList + 16], 0xFFF0); }, mapReadErr, "a reference list runs past the end of the map"},
        {[](auto& f, auto& l) { store_u16be(&f[l.typeList + 16], UInt16(l.refsA - l.typeList)); }, mapReadErr,
         "reference lists overlap each other or the type list"},
        {[](auto& f, auto& l) { store_u16be(&f[l.refsA + 2], 0x7000); }, mapReadErr, "a resource name lies outside the map"},
        {[](auto& f, auto& l) { f[l.names + 4] = 200; }, mapReadErr, "a resource name runs past the end of the map"},
        {[](auto& f, auto& l) { store_u24be(&f[l.refsA + 5], 0xFFFFFF); }, mapReadErr, "a resource's data lies outside the data area"},
        {[](auto& f, auto& l) { store_u32be(&f[l.data], 10000); }, mapReadErr, "a resource's data runs past the end of the data area"},
        {[](auto& f, auto& l) { store_u24be(&f[l.refsA + 5], 19), store_u24be(&f[l.refsA + 17], 19); }, mapReadErr,
         "resource data entries overlap"},
        {[](auto& f, auto& l) { store_u32be(&f[l.typeList + 10], fourcc("AAAA")); }, mapReadErr, "a resource type is listed twice"},
        {[](auto& f, auto& l) { store_u16be(&f[l.refsA + 12], 1); }, mapReadErr, "a resource ID is listed twice in one type"},
    };
    for (const auto& [damage, code, message] : cases) {
        auto image = sample_image();
        damage(image, Layout(image));
        auto parsed = ResourceFile::parse(image);
        ASSERT_FALSE(parsed.ok()) << message;
        EXPECT_EQ(std::tuple(parsed.code(), std::string(parsed.error().message)), std::tuple(code, std::string(message)));
    }
}

TEST(ResourceFile, EveryTruncationOfAGoodFileIsRefused) {
    const auto image = sample_image();
    for (size_t n = 0; n < image.size(); ++n) {
        std::vector<UInt8> cut(image.begin(), image.begin() + ptrdiff_t(n));
        auto parsed = ResourceFile::parse(cut);
        EXPECT_EQ(parsed.code(), n == 0 ? eofErr : mapReadErr) << n;
    }
}
