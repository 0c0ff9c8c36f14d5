// The application's Apple event handlers, called in-process through the
// dispatch table they install: answers the script language cannot send.
#include <gtest/gtest.h>

#include "ComApplication.h"
#include "MacFramework.h"
#include "platform/AppleEvents.h"

namespace {

class AppleEventHandlers : public testing::Test {
protected:
    static void SetUpTestSuite() { QTApp_InstallAppleEventHandlers(); }

    // Sends `event` to the handler the application installed for its ID.
    static OSErr dispatch(const AppleEvent& event, AEEventID id) {
        AEEventHandlerUPP handler = nullptr;
        SRefCon refcon = 0;
        EXPECT_EQ(AEGetEventHandler(kCoreEventClass, id, &handler, &refcon, false), noErr);
        if (!handler) return -1;
        AppleEvent reply{};
        return InvokeAEEventHandlerUPP(&event, &reply, refcon, handler);
    }
    // An event of that ID, with a direct parameter of one item when `type` is given.
    static AppleEvent make(AEEventID id, DescType type = 0, const void* item = nullptr, Size size = 0) {
        AppleEvent event{};
        AEAddressDesc target{};
        AEDescList list{};
        EXPECT_EQ(AECreateDesc(typeNull, nullptr, 0, &target), noErr);
        EXPECT_EQ(AECreateAppleEvent(kCoreEventClass, id, &target, kAutoGenerateReturnID, kAnyTransactionID, &event), noErr);
        if (!type) return event;
        EXPECT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
        EXPECT_EQ(AEPutPtr(&list, 1, type, item, size), noErr);
        EXPECT_EQ(AEPutParamDesc(&event, keyDirectObject, &list), noErr);
        AEDisposeDesc(&list);
        return event;
    }
};

}  // namespace

TEST_F(AppleEventHandlers, PrintDocumentsIsRefused) {
    AppleEvent event = make(kAEPrintDocuments, typeChar, "/tmp/x.mov", 10);
    EXPECT_EQ(dispatch(event, kAEPrintDocuments), errAEEventNotHandled);
    AEDisposeDesc(&event);
}

TEST_F(AppleEventHandlers, OpenDocumentsReportsTheFirstErrorAndComesToTheForeground) {
    // Without a direct parameter; with an item that is no file.
    for (auto [with_list, want] : {std::tuple(false, errAEDescNotFound), std::tuple(true, errAECoercionFail)}) {
        gAppInForeground = false;
        const SInt32 number = 7;
        AppleEvent event = make(kAEOpenDocuments, with_list ? DescType(typeSInt32) : 0, &number, sizeof number);
        EXPECT_EQ(dispatch(event, kAEOpenDocuments), want) << with_list;
        EXPECT_TRUE(gAppInForeground);
        AEDisposeDesc(&event);
    }
}
