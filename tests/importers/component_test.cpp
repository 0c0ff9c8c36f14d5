// The Component Manager: searches in registration order, the Finder-type
// lists the open dialog builds, component information, instances.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/Components.h"
#include "platform/Errors.h"
#include "platform/Memory.h"
#include "platform/core/FourCC.h"

using platform::fourcc_string;

namespace {

std::vector<std::string> subtypes(ComponentDescription looking) {
    std::vector<std::string> found;
    for (Component c = FindNextComponent(nullptr, &looking); c; c = FindNextComponent(c, &looking)) {
        ComponentDescription cd{};
        EXPECT_EQ(GetComponentInfo(c, &cd, nullptr, nullptr, nullptr), noErr);
        found.push_back(fourcc_string(cd.componentSubType));
    }
    EXPECT_EQ(CountComponents(&looking), SInt32(found.size()));
    return found;
}

using List = std::vector<std::string>;

TEST(Components, SearchesYieldTheDocumentedOrder) {
    struct Case { ComponentDescription looking; List expected; } cases[] = {
        // What the open dialog's file-type list asks: Finder types only;
        // without the mask the extension subtypes follow.
        {{GraphicsImporterComponentType, 0, 0, 0, movieImportSubTypeIsFileExtension},
         {"PNGf", "JPEG", "GIFf", "BMPf", "qtif"}},
        {{MovieImportType, 0, 0, 0, 0}, {"WAVE", "AIFF", "AIFC", "wav ", "aif ", "aiff", "aifc"}},
        // Flags only the movie importers have.
        {{MovieImportType, 0, 0, canMovieImportFiles, canMovieImportFiles | movieImportSubTypeIsFileExtension},
         {"WAVE", "AIFF", "AIFC"}},
        {{GraphicsImporterComponentType, 0, 0, canMovieImportFiles, canMovieImportFiles}, {}},
        {{compressorComponentType, 0, 0, 0, 0}, {"rle ", "raw "}},
        {{GraphicsImporterComponentType, 'JPEG', 'zzzz', 0, 0}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(fourcc_string(c.looking.componentType));
        EXPECT_EQ(subtypes(c.looking), c.expected);
    }
    // Decompressors: our own codecs, then libavcodec's (those installed;
    // H.264 always is).
    const List decompressors = subtypes({decompressorComponentType, 0, 0, 0, 0});
    ASSERT_GE(decompressors.size(), 3u);
    EXPECT_EQ(List(decompressors.begin(), decompressors.begin() + 2), (List{"rle ", "raw "}));
    EXPECT_NE(std::find(decompressors.begin(), decompressors.end(), "avc1"), decompressors.end());
}

TEST(Components, InstancesOpenAndCloseOnce) {
    ComponentDescription looking{MovieImportType, 'WAVE', 0, 0, 0};
    Component c = FindNextComponent(nullptr, &looking);
    ComponentInstance a = nullptr;
    ASSERT_EQ(OpenAComponent(c, &a), noErr);
    ComponentInstance b = OpenComponent(c);
    ASSERT_TRUE(a && b && a != b);
    EXPECT_EQ((std::tuple{GetComponentInstanceError(a), CloseComponent(a), CloseComponent(a), GetComponentInstanceError(a),
                          CloseComponent(nullptr), CloseComponent(b)}),
              std::tuple(noErr, noErr, OSErr(badComponentInstance), OSErr(badComponentInstance), OSErr(badComponentInstance), noErr));
    ComponentInstance fresh = OpenComponent(c);
    EXPECT_TRUE(fresh != a && fresh != b) << "a closed instance's token is never reused";
    CloseComponent(fresh);

    ComponentInstance none = reinterpret_cast<ComponentInstance>(1);
    EXPECT_EQ((std::tuple{OpenComponent(nullptr), OpenAComponent(nullptr, &none), none, OpenAComponent(c, nullptr)}),
              std::tuple(ComponentInstance(nullptr), OSErr(invalidComponentID), ComponentInstance(nullptr), OSErr(paramErr)));
}

}  // namespace
