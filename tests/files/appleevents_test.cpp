// The Apple Event Manager: descriptors, lists, events, handlers, dispatch.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "platform/AppleEvents.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "platform/appleevents/AppleEventsInternal.h"
#include "platform/files/Catalog.h"
#include "platform/memory/MemoryInternal.h"
#include "tests/support/PString.h"
#include "tests/support/TempFolder.h"

using namespace testsupport;

namespace ae = platform::appleevents;
namespace fs = std::filesystem;

namespace {

// Every handle a test makes must be gone at its end.
class AppleEvents : public testing::Test {
protected:
    void SetUp() override { handles_ = platform::memory::live_handle_count(); }
    void TearDown() override { EXPECT_EQ(platform::memory::live_handle_count(), handles_) << "descriptor leaked"; }
    long handles_ = 0;
    DescType type = 0;   // what the calls below report back
    Size size = 0;
    AEKeyword key = 0;
};

struct Desc {
    Desc() = default;
    ~Desc() { AEDisposeDesc(&d); }
    AEDesc* operator&() { return &d; }
    AEDesc d = {typeNull, nullptr};
};

SInt32 count_of(const AEDescList* list) {
    SInt32 n = -1;
    EXPECT_EQ(AECountItems(list, &n), noErr);
    return n;
}

SInt32 nth_long(const AEDescList* list, SInt32 i) {
    SInt32 v = 0;
    Size size = 0;
    DescType type = 0;
    EXPECT_EQ(AEGetNthPtr(list, i, typeSInt32, nullptr, &type, &v, sizeof v, &size), noErr);
    return v;
}

}  // namespace

TEST_F(AppleEvents, DescriptorsReadAndDispose) {
    Desc text;
    ASSERT_EQ(AECreateDesc(typeUTF8Text, "hello", 5, &text), noErr);
    char buf[8] = {};
    EXPECT_EQ(AEGetDescData(&text.d, buf, 3), noErr);
    EXPECT_STREQ(buf, "hel") << "never more than the maximum";
    // Disposing twice is harmless.
    EXPECT_EQ((std::tuple{AEDisposeDesc(&text), text.d.dataHandle, AEDisposeDesc(&text)}), std::tuple(noErr, Handle(nullptr), noErr));

    Desc bad;
    EXPECT_EQ((std::tuple{AECreateDesc(typeAEList, "\0\0\0\5", 4, &bad), AECreateDesc(typeAEList, "junk", 4, &bad),
                          AECreateDesc(typeChar, nullptr, 4, &bad), AECreateDesc(typeChar, "x", -1, &bad), bad.d.dataHandle}),
              std::tuple(errAECorruptData, errAECorruptData, paramErr, paramErr, Handle(nullptr)));
}

TEST_F(AppleEvents, ListItemsByIndex) {
    Desc list;
    ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
    EXPECT_EQ(count_of(&list.d), 0);

    // index: 0 and count+1 append, 1..count replace, anything else is refused.
    const struct { SInt32 index; SInt32 value; OSErr err; std::vector<SInt32> after; } puts[] = {
        {0, 10, noErr, {10}},           {2, 20, noErr, {10, 20}},        {0, 30, noErr, {10, 20, 30}},
        {2, 21, noErr, {10, 21, 30}},   {5, 99, errAEIllegalIndex, {10, 21, 30}},
        {-1, 99, errAEIllegalIndex, {10, 21, 30}},
    };
    for (const auto& p : puts) {
        EXPECT_EQ(AEPutPtr(&list.d, p.index, typeSInt32, &p.value, sizeof p.value), p.err) << p.index;
        std::vector<SInt32> items;
        for (SInt32 i = 1; i <= count_of(&list.d); ++i) items.push_back(nth_long(&list.d, i));
        EXPECT_EQ(items, p.after) << p.index;
    }

    SInt32 v;
    EXPECT_EQ((std::tuple{AEGetNthPtr(&list.d, 0, typeSInt32, &key, &type, &v, sizeof v, &size),
                          AEGetNthPtr(&list.d, 4, typeSInt32, &key, &type, &v, sizeof v, &size),
                          AEGetNthPtr(&list.d, 1, typeWildCard, &key, &type, &v, sizeof v, &size), key, type}),
              std::tuple(errAEIllegalIndex, errAEIllegalIndex, noErr, AEKeyword(typeWildCard), DescType(typeSInt32)));

    // A 16-bit request fits; a value too big for 16 bits does not coerce.
    SInt16 s = 0;
    EXPECT_EQ((std::tuple{AEGetNthPtr(&list.d, 1, typeSInt16, &key, &type, &s, sizeof s, &size), s, type}),
              std::tuple(noErr, SInt16(10), DescType(typeSInt16)));
    SInt32 big = 70000;
    ASSERT_EQ(AEPutPtr(&list.d, 1, typeSInt32, &big, sizeof big), noErr);
    EXPECT_EQ(std::tuple(AEGetNthPtr(&list.d, 1, typeSInt16, &key, &type, &s, sizeof s, &size),
                        AEGetNthPtr(&list.d, 1, typeFSS, &key, &type, &s, sizeof s, &size)),
              std::tuple(errAECoercionFail, errAECoercionFail));

    // Not lists.
    Desc text;
    ASSERT_EQ(AECreateDesc(typeChar, "t", 1, &text), noErr);
    SInt32 n;
    EXPECT_EQ(std::tuple(AECountItems(&text.d, &n), AEPutPtr(&text.d, 0, typeChar, "x", 1)), std::tuple(errAEWrongDataType, errAEWrongDataType));
}

TEST_F(AppleEvents, TheCallersBufferSizeIsRespected) {
    Desc list;
    ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
    ASSERT_EQ(AEPutPtr(&list.d, 0, typeUTF8Text, "abcdefgh", 8), noErr);
    char buf[8];
    const struct { Size max; std::string copied; } cases[] = {{0, ""}, {3, "abc"}, {8, "abcdefgh"}};
    for (const auto& c : cases) {
        std::memset(buf, '-', sizeof buf);
        Size actual = -1;
        ASSERT_EQ(AEGetNthPtr(&list.d, 1, typeWildCard, nullptr, &type, buf, c.max, &actual), noErr);
        EXPECT_EQ(std::tuple(actual, std::string(buf, c.copied.size())), std::tuple(Size(8), c.copied));
        if (c.max < 8) { EXPECT_EQ(buf[c.max], '-') << "nothing past the maximum"; }
    }
    Size actual;
    EXPECT_EQ(std::tuple(AEGetNthPtr(&list.d, 1, typeWildCard, nullptr, &type, buf, -1, &actual),
                        AEGetNthPtr(&list.d, 1, typeWildCard, nullptr, &type, nullptr, 4, &actual)),
              std::tuple(paramErr, paramErr));
}

TEST_F(AppleEvents, ADirectObjectComesBackAsAList) {
    Desc evt;
    ASSERT_EQ(AECreateAppleEvent(kCoreEventClass, kAEOpenDocuments, nullptr, kAutoGenerateReturnID,
                                 kAnyTransactionID, &evt), noErr);
    // Missing, then present; a single item comes back as a list of one.
    Desc got;
    EXPECT_EQ(AEGetParamDesc(&evt.d, keyDirectObject, typeAEList, &got), errAEDescNotFound);
    ASSERT_EQ(AEPutParamPtr(&evt.d, keyDirectObject, typeUTF8Text, "/tmp", 4), noErr);
    ASSERT_EQ(AEGetParamDesc(&evt.d, keyDirectObject, typeAEList, &got), noErr);
    EXPECT_EQ(std::tuple(got.d.descriptorType, count_of(&got.d)), std::tuple(DescType(typeAEList), 1));
    char buf[8] = {};
    ASSERT_EQ(AEGetNthPtr(&got.d, 1, typeChar, nullptr, &type, buf, sizeof buf, &size), noErr);
    EXPECT_EQ(std::string(buf, size), "/tmp");
    // Event calls on what is not an event.
    Desc list;
    ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
    EXPECT_EQ(AEPutParamPtr(&list.d, keyDirectObject, typeChar, "x", 1), errAEWrongDataType);
}

namespace {

struct Calls { int count = 0; SRefCon refcon = 0; OSType id = 0; };

OSErr record_call(const AppleEvent* evt, AppleEvent* /*reply*/, SRefCon refcon) {
    auto* calls = reinterpret_cast<Calls*>(refcon);
    ++calls->count;
    calls->refcon = refcon;
    DescType type;
    Size size;
    AEGetAttributePtr(evt, keyEventIDAttr, typeType, &type, &calls->id, sizeof calls->id, &size);
    return noErr;
}

OSErr refuse_print(const AppleEvent*, AppleEvent*, SRefCon) { return errAEEventNotHandled; }

OSErr send(AEEventID id, AEEventClass cls = kCoreEventClass) {
    AppleEvent evt, reply;
    EXPECT_EQ(AECreateAppleEvent(cls, id, nullptr, kAutoGenerateReturnID, kAnyTransactionID, &evt), noErr);
    EXPECT_EQ(AECreateAppleEvent(kCoreEventClass, kAEAnswer, nullptr, 0, 0, &reply), noErr);
    OSErr err = ae::dispatch(evt, &reply);
    AEDisposeDesc(&evt), AEDisposeDesc(&reply);
    return err;
}

}  // namespace

TEST_F(AppleEvents, HandlersAreFoundByClassAndID) {
    Calls open_calls, quit_calls, system_calls, any_calls;
    AEEventHandlerUPP upp = NewAEEventHandlerUPP(record_call);
    ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, upp, SRefCon(&open_calls), false), noErr);
    ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, upp, SRefCon(&any_calls), false), noErr);
    // Installing again replaces the handler and its refcon.
    ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, upp, SRefCon(&quit_calls), false), noErr);
    ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEOpenApplication, upp, SRefCon(&system_calls), true), noErr);

    // The system table is searched after the application's.
    EXPECT_EQ(std::tuple(send(kAEOpenDocuments), send(kAEQuitApplication), send(kAEOpenApplication),
                         send(kAEPrintDocuments), send(kAEOpenDocuments, 'othr')),
              std::tuple(noErr, noErr, noErr, errAEEventNotHandled, errAEEventNotHandled));
    EXPECT_EQ(std::tuple(open_calls.count, open_calls.refcon, open_calls.id, quit_calls.count, any_calls.count,
                         system_calls.count), std::tuple(1, SRefCon(&open_calls), kAEOpenDocuments, 1, 0, 1));

    // A wildcard ID catches the rest of its class.
    ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, typeWildCard, upp, SRefCon(&any_calls), false), noErr);
    EXPECT_EQ((std::tuple{send(kAEPrintDocuments), any_calls.id, send(kAEOpenDocuments), open_calls.count}),
              std::tuple(noErr, OSType(kAEPrintDocuments), noErr, 2)) << "an exact match wins over a wildcard";

    for (AEEventID id : {AEEventID(kAEOpenDocuments), AEEventID(kAEQuitApplication), AEEventID(typeWildCard)})
        EXPECT_EQ(AERemoveEventHandler(kCoreEventClass, id, upp, false), noErr);
    EXPECT_EQ(AERemoveEventHandler(kCoreEventClass, kAEOpenApplication, nullptr, true), noErr);
    EXPECT_EQ(send(kAEQuitApplication), errAEEventNotHandled);
    DisposeAEEventHandlerUPP(upp), DisposeAEEventHandlerUPP(nullptr);
}

TEST_F(AppleEvents, QueuedEventsReturnTheHandlersResultToTheSender) {
    ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEPrintDocuments, refuse_print, 0, false), noErr);

    auto print = ae::make_print_documents_event({"/tmp"});
    ASSERT_TRUE(print.ok());
    UInt32 token = ae::enqueue(&*print);
    // The queue owns the event; it is processed once.
    EXPECT_EQ((std::tuple{print->dataHandle, ae::pending_count(), ae::process(token), ae::pending_count(), ae::process(token)}),
              std::tuple(Handle(nullptr), 1u, errAEEventNotHandled, 0u, errAENotAppleEvent));

    auto outcome = ae::take_outcome(token);
    ASSERT_TRUE(outcome.has_value());
    SInt32 errn = 0;
    EXPECT_EQ((std::tuple{outcome->result, AEGetParamPtr(&outcome->reply, keyErrorNumber, typeSInt32, &type, &errn, sizeof errn, &size), errn}),
              std::tuple(errAEEventNotHandled, noErr, SInt32(errAEEventNotHandled)));
    AEDisposeDesc(&outcome->reply);
    EXPECT_FALSE(ae::take_outcome(token).has_value());

    // Taking an event back out of the queue hands it over.
    auto quit = ae::make_quit_event();
    ASSERT_TRUE(quit.ok());
    token = ae::enqueue(&*quit);
    auto taken = ae::take(token);
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(taken->descriptorType, DescType(typeAppleEvent));
    AEDisposeDesc(&*taken);

    AERemoveEventHandler(kCoreEventClass, kAEPrintDocuments, nullptr, false);
}

TEST_F(AppleEvents, OpenDocumentsEventListsTheFilesAsFSSpecs) {
    TempFolder tmp;
    write_file(tmp / "one.mov", "1");
    write_file(tmp / "two words.mov", "2");
    const std::vector<fs::path> paths = {tmp / "one.mov", tmp / "two words.mov", tmp / "missing.mov",
                                         tmp / "no-folder" / "x.mov"};
    auto evt = ae::make_open_documents_event(paths);
    ASSERT_TRUE(evt.ok());
    Desc list;
    ASSERT_EQ(AEGetParamDesc(&*evt, keyDirectObject, typeAEList, &list), noErr);
    ASSERT_EQ(count_of(&list.d), 4);
    for (SInt32 i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        FSSpec spec{}, expected{};
        ASSERT_EQ(AEGetNthPtr(&list.d, i, typeFSS, &key, &type, &spec, sizeof spec, &size), noErr);
        platform::files::make_fsspec(paths[size_t(i) - 1], &expected);
        EXPECT_EQ(std::tuple(type, size, spec.parID, platform::files::path_of(spec).value_or("")),
                  std::tuple(typeFSS, Size(sizeof(FSSpec)), expected.parID, paths[size_t(i) - 1]));
    }
    FSSpec spec;
    EXPECT_EQ(AEGetNthPtr(&list.d, 4, typeFSS, nullptr, &type, &spec, sizeof spec, &size), errAECoercionFail)
        << "a path without a folder stays a file URL that cannot become an FSSpec";
    AEDisposeDesc(&*evt);
}
