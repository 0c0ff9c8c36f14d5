// Coercing file items ('furl', text paths, 'fss ') to FSSpecs.
#include <gtest/gtest.h>

#include "platform/AppleEvents.h"
#include "platform/Files.h"
#include "platform/files/Catalog.h"
#include "tests/support/PString.h"
#include "tests/support/TempFolder.h"

using namespace testsupport;

namespace fs = std::filesystem;

namespace {

// Coerces one item of the given type through a list, as a handler reads it.
OSErr coerce_item(DescType type, const std::string& data, FSSpec* spec) {
    AEDescList list;
    AEKeyword key;
    DescType got;
    Size size = 0;
    EXPECT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
    OSErr err = AEPutPtr(&list, 0, type, data.data(), Size(data.size()));
    if (!err) err = AEGetNthPtr(&list, 1, typeFSS, &key, &got, spec, sizeof *spec, &size);
    if (!err) { EXPECT_EQ(std::tuple(got, size), std::tuple(DescType(typeFSS), Size(sizeof *spec))); }
    AEDisposeDesc(&list);
    return err;
}

}  // namespace

TEST(FileItemCoercion, BadInputsAreRefused) {
    TempFolder tmp;
    write_file(tmp / "a.mov", "");
    const std::string dir = tmp.path().string();
    const struct { DescType type; std::string data; } cases[] = {
        {typeFileURL, ""},
        {typeFileURL, "a.mov"},                                 // not a URL at all
        {typeFileURL, "file:a.mov"},                            // relative
        {typeFileURL, "file://a.mov"},                          // a host, no path
        {typeFileURL, "file://otherhost" + dir + "/a.mov"},     // another machine
        {typeFileURL, "http://localhost" + dir + "/a.mov"},     // another scheme
        {typeFileURL, "fil:" + dir + "/a.mov"},
        {typeFileURL, "file://" + dir + "/a%2.mov"},            // short escape
        {typeFileURL, "file://" + dir + "/a.mov%"},             // truncated escape
        {typeFileURL, "file://" + dir + "/a%zz.mov"},           // not hex
        {typeFileURL, "file://" + dir + "/a%00.mov"},           // encoded NUL
        {typeFileURL, "file://" + dir + "%2Fa.mov"},            // encoded separator
        {typeFileURL, "file://" + dir + "/a%FF.mov"},           // not UTF-8 once decoded
        {typeFileURL, "file://" + dir + "/a.mov?x=1"},          // query
        {typeFileURL, "file://" + dir + "/a.mov#t=3"},          // fragment
        {typeFileURL, "file://" + dir + "/a\n.mov"},            // control character
        {typeFileURL, "file://" + dir + "/nofolder/a.mov"},     // missing folder
        {typeFileURL, "file://" + dir + "/" + std::string(256, 'n')},   // name beyond the host's limit
        {typeUTF8Text, ""},
        {typeUTF8Text, "a.mov"},                                // relative
        {typeChar, "./a.mov"},
        {typeUTF8Text, dir + std::string("/a\0.mov", 7)},       // embedded NUL
        {typeUTF8Text, dir + "/\xC3\x28.mov"},                  // invalid UTF-8
        {typeUTF8Text, dir + "/\xED\xA0\x80.mov"},              // encoded surrogate
        {typeUTF8Text, dir + "/\xC0\xAF.mov"},                  // overlong
        {typeUTF8Text, dir + "/a.mov/inside"},                  // a file as a folder
        {typeUTF8Text, "/" + std::string(5000, 'p')},           // path beyond the host's limit
        {typeFSS, "short"},                                     // not an FSSpec's size
        {typeSInt32, "1234"},                                   // not a file item
    };
    FSSpec spec{}, bad{};
    for (const auto& c : cases)
        EXPECT_EQ(coerce_item(c.type, c.data, &spec), errAECoercionFail)
            << std::string(reinterpret_cast<const char*>(&c.type), 4) << " " << c.data.substr(0, 120);
    bad.vRefNum = -1;
    bad.name[0] = 200;   // longer than a name can be
    EXPECT_EQ(coerce_item(typeFSS, std::string(reinterpret_cast<const char*>(&bad), sizeof bad), &spec), errAECoercionFail);
}

TEST(FileItemCoercion, GoodInputsNameTheFile) {
    TempFolder tmp;
    const std::string dir = tmp.path().string();
    const std::string utf8 = "caf\xC3\xA9 ok.mov";
    const std::string longname = std::string(80, 'z') + ".mov";
    fs::create_directory(tmp / "sub");
    for (const auto& name : {std::string("a.mov"), std::string("two words.mov"), utf8, longname})
        write_file(tmp / name, "");
    const struct { DescType type; std::string data; fs::path expected; } cases[] = {
        {typeFileURL, "file://" + dir + "/a.mov", tmp / "a.mov"},
        {typeFileURL, "FILE://localhost" + dir + "/a.mov", tmp / "a.mov"},
        {typeFileURL, "file:" + dir + "/a.mov", tmp / "a.mov"},
        {typeFileURL, "file://" + dir + "/two%20words.mov", tmp / "two words.mov"},
        {typeFileURL, "file://" + dir + "/caf%C3%A9%20ok.mov", tmp / utf8},
        {typeFileURL, "file://" + dir + "/" + longname, tmp / longname},
        {typeFileURL, "file://" + dir + "/not-yet.mov", tmp / "not-yet.mov"},   // may be created
        {typeUTF8Text, dir + "/two words.mov", tmp / "two words.mov"}, {typeChar, dir + "/" + utf8, tmp / utf8},
        {typeUTF8Text, dir + "/sub/../a.mov", tmp / "a.mov"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        FSSpec spec{};
        ASSERT_EQ(coerce_item(c.type, c.data, &spec), noErr);
        EXPECT_EQ(std::tuple(spec.name[0] <= 63, platform::files::path_of(spec).value_or("")), std::tuple(true, c.expected));
    }
}
