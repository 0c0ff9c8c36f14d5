// The Component Manager: searches in registration order, the Finder-type
// lists the open dialog builds, component information, instances; and the
// movie toolbox's Gestalt selectors.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/Components.h"
#include "platform/Gestalt.h"
#include "platform/Memory.h"
#include "platform/components/ComponentRegistry.h"
#include "platform/components/MovieToolboxGestalt.h"
#include "platform/core/FourCC.h"

using platform::fourcc_string;
namespace components = platform::components;

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
    struct Case {
        ComponentDescription looking;
        List expected;
    } cases[] = {
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
        {{GraphicsImporterComponentType, 'JPEG', 'zzzz', 0, 0}, {}},
    };
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
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(GetComponentInstanceError(a), noErr);
    EXPECT_EQ(CloseComponent(a), noErr);
    EXPECT_EQ(std::tuple(CloseComponent(a), GetComponentInstanceError(a), CloseComponent(nullptr)),
              std::tuple(OSErr(badComponentInstance), OSErr(badComponentInstance), OSErr(badComponentInstance)));
    EXPECT_EQ(CloseComponent(b), noErr);
    ComponentInstance fresh = OpenComponent(c);
    EXPECT_NE(fresh, a) << "a closed instance's token is never reused";
    EXPECT_NE(fresh, b);
    CloseComponent(fresh);

    EXPECT_EQ(OpenComponent(nullptr), nullptr);
    ComponentInstance none = reinterpret_cast<ComponentInstance>(1);
    EXPECT_EQ(OpenAComponent(nullptr, &none), invalidComponentID);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(OpenAComponent(c, nullptr), paramErr);
}

// How the movie controller registers itself: added after the built-ins,
// replaced in place when registered again.
TEST(Components, OtherManagersRegisterTheirOwn) {
    struct Controller : components::Instance {};
    auto registration = [](const char* name) {
        return components::Registration{
            {MovieControllerComponentType, 'play', components::kManufacturer, 0, 0}, name, "",
            []() -> platform::Result<std::unique_ptr<components::Instance>> {
                return std::unique_ptr<components::Instance>(new Controller);
            }};
    };
    SInt32 before = CountComponents(nullptr);
    Component first = components::register_component(registration("first"));
    Component again = components::register_component(registration("second"));
    EXPECT_EQ(first, again);
    EXPECT_EQ(CountComponents(nullptr), before + 1);
    ComponentDescription looking{MovieControllerComponentType, 0, 0, 0, 0};
    EXPECT_EQ(FindNextComponent(nullptr, &looking), first);
    ComponentInstance ci = OpenComponent(first);
    EXPECT_NE(components::instance_as<Controller>(ci), nullptr);
    EXPECT_EQ(components::registration_of(first)->name, "second");
    components::unregister_component(first);
    EXPECT_EQ(FindNextComponent(nullptr, &looking), nullptr);
    EXPECT_EQ(CloseComponent(ci), noErr) << "an instance outlives its registration";
}

}  // namespace
