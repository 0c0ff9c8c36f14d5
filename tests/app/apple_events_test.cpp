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
    static AppleEvent make(AEEventID id) {
        AppleEvent event{};
        AEAddressDesc target{};
        EXPECT_EQ(AECreateDesc(typeNull, nullptr, 0, &target), noErr);
        EXPECT_EQ(AECreateAppleEvent(kCoreEventClass, id, &target, kAutoGenerateReturnID, kAnyTransactionID, &event),
                  noErr);
        return event;
    }
};

}  // namespace

TEST_F(AppleEventHandlers, PrintDocumentsIsRefused) {
    AppleEvent event = make(kAEPrintDocuments);
    AEDescList list{};
    ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
    ASSERT_EQ(AEPutPtr(&list, 1, typeChar, "/tmp/x.mov", 10), noErr);
    ASSERT_EQ(AEPutParamDesc(&event, keyDirectObject, &list), noErr);
    EXPECT_EQ(dispatch(event, kAEPrintDocuments), errAEEventNotHandled);
    AEDisposeDesc(&list);
    AEDisposeDesc(&event);
}

TEST_F(AppleEventHandlers, OpenDocumentsReportsTheFirstErrorAndComesToTheForeground) {
    // Without a direct parameter; with an item that is no file.
    for (auto [with_list, want] : {std::pair(false, errAEDescNotFound), std::pair(true, errAECoercionFail)}) {
        gAppInForeground = false;
        AppleEvent event = make(kAEOpenDocuments);
        if (with_list) {
            AEDescList list{};
            ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
            const SInt32 number = 7;
            ASSERT_EQ(AEPutPtr(&list, 1, typeSInt32, &number, sizeof number), noErr);
            ASSERT_EQ(AEPutParamDesc(&event, keyDirectObject, &list), noErr);
            AEDisposeDesc(&list);
        }
        EXPECT_EQ(dispatch(event, kAEOpenDocuments), want) << with_list;
        EXPECT_TRUE(gAppInForeground);
        AEDisposeDesc(&event);
    }
}
