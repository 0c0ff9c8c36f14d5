/*
 * AppleEvents.h — the Apple Event Manager: descriptors, lists, records,
 * Apple events, and the dispatch of events to installed handlers.
 *
 * A descriptor is a type and a handle of data (a Memory Manager handle,
 * nil for no data). Lists, records and Apple events keep their items in
 * their handle; every call that returns a descriptor makes a new handle the
 * caller disposes of with AEDisposeDesc.
 *
 * Data is kept as given (host byte order). Text ('TEXT' and 'utf8') is
 * UTF-8. An 'fss ' descriptor holds an FSSpec record as laid out in memory
 * (sizeof(FSSpec) bytes).
 *
 * Coercions the getters make when asked for another type:
 *   'fss '          from 'furl' (an absolute "file:" URL, percent-encoded),
 *                   from 'TEXT'/'utf8' (an absolute POSIX path)
 *   'TEXT'/'utf8'   from each other
 *   'shor'/'long'   from each other when the value fits
 *   'list'          from any single descriptor: a list of that one item
 *   '****'          no coercion
 * Anything else fails with errAECoercionFail.
 */
#pragma once

#include "platform/Errors.h"
#include "platform/Events.h"
#include "platform/Types.h"

typedef FourCharCode DescType;
typedef FourCharCode AEKeyword;
typedef FourCharCode AEEventClass;
typedef FourCharCode AEEventID;
typedef SInt16 AEReturnID;
typedef SInt32 AETransactionID;
typedef Handle AEDataStorage;

struct AEDesc {
    DescType descriptorType;
    AEDataStorage dataHandle;
};
typedef AEDesc* AEDescPtr;
typedef AEDesc AEAddressDesc;
typedef AEDesc AEDescList;
typedef AEDescList AERecord;
typedef AERecord AppleEvent;
typedef AppleEvent* AppleEventPtr;

enum : DescType {
    typeNull         = 'null',
    typeAEList       = 'list',
    typeAERecord     = 'reco',
    typeAppleEvent   = 'aevt',
    typeFSS          = 'fss ',
    typeFSRef        = 'fsrf',
    typeFileURL      = 'furl',
    typeChar         = 'TEXT',
    typeUTF8Text     = 'utf8',
    typeSInt16       = 'shor',
    typeSInt32       = 'long',
    typeShortInteger = 'shor',
    typeLongInteger  = 'long',
    typeType         = 'type',
    typeEnumerated   = 'enum',
    typeBoolean      = 'bool',
    typeWildCard     = '****'
};

enum : AEKeyword {
    keyDirectObject      = '----',
    keyErrorNumber       = 'errn',
    keyErrorString       = 'errs',
    keyEventClassAttr    = 'evcl',
    keyEventIDAttr       = 'evid',
    keyReturnIDAttr      = 'rtid',
    keyTransactionIDAttr = 'tran',
    keyAddressAttr       = 'addr'
};

enum : AEEventClass { kCoreEventClass = 'aevt' };

enum : AEEventID {
    kAEOpenApplication = 'oapp',
    kAEOpenDocuments   = 'odoc',
    kAEPrintDocuments  = 'pdoc',
    kAEQuitApplication = 'quit',
    kAEAnswer          = 'ansr'
};

enum {
    kAutoGenerateReturnID = -1,
    kAnyTransactionID     = 0
};

// Handlers. A UPP is the handler's own address; disposing of one is harmless.
typedef OSErr (*AEEventHandlerProcPtr)(const AppleEvent* theAppleEvent, AppleEvent* reply,
                                       SRefCon handlerRefcon);
typedef AEEventHandlerProcPtr AEEventHandlerUPP;

AEEventHandlerUPP NewAEEventHandlerUPP(AEEventHandlerProcPtr userRoutine);
void DisposeAEEventHandlerUPP(AEEventHandlerUPP userUPP);
OSErr InvokeAEEventHandlerUPP(const AppleEvent* theAppleEvent, AppleEvent* reply,
                              SRefCon handlerRefcon, AEEventHandlerUPP userUPP);

// Descriptors.
OSErr AECreateDesc(DescType typeCode, const void* dataPtr, Size dataSize, AEDesc* result);
OSErr AEDuplicateDesc(const AEDesc* theAEDesc, AEDesc* result);
OSErr AEDisposeDesc(AEDesc* theAEDesc);
OSErr AECoerceDesc(const AEDesc* theAEDesc, DescType toType, AEDesc* result);
Size AEGetDescDataSize(const AEDesc* theAEDesc);
OSErr AEGetDescData(const AEDesc* theAEDesc, void* dataPtr, Size maximumSize);

// Lists and records. Items are numbered from 1; putting at index 0 or
// count + 1 appends.
OSErr AECreateList(const void* factoringPtr, Size factoredSize, Boolean isRecord,
                   AEDescList* resultList);
OSErr AECountItems(const AEDescList* theAEDescList, SInt32* theCount);
OSErr AEPutPtr(AEDescList* theAEDescList, SInt32 index, DescType typeCode, const void* dataPtr,
               Size dataSize);
OSErr AEPutDesc(AEDescList* theAEDescList, SInt32 index, const AEDesc* theAEDesc);
// Copies at most maximumSize bytes of the (coerced) item; *actualSize is
// its whole size.
OSErr AEGetNthPtr(const AEDescList* theAEDescList, SInt32 index, DescType desiredType,
                  AEKeyword* theAEKeyword, DescType* typeCode, void* dataPtr, Size maximumSize,
                  Size* actualSize);
OSErr AEGetNthDesc(const AEDescList* theAEDescList, SInt32 index, DescType desiredType,
                   AEKeyword* theAEKeyword, AEDesc* result);
OSErr AEDeleteItem(AEDescList* theAEDescList, SInt32 index);

// Apple events: attributes and parameters. The parameter calls also work
// on records (keyed items).
OSErr AECreateAppleEvent(AEEventClass theAEEventClass, AEEventID theAEEventID,
                         const AEAddressDesc* target, AEReturnID returnID,
                         AETransactionID transactionID, AppleEvent* result);
OSErr AEPutParamPtr(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType typeCode,
                    const void* dataPtr, Size dataSize);
OSErr AEPutParamDesc(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, const AEDesc* theAEDesc);
OSErr AEGetParamPtr(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType desiredType,
                    DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize);
OSErr AEGetParamDesc(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType desiredType,
                     AEDesc* result);
OSErr AEDeleteParam(AppleEvent* theAppleEvent, AEKeyword theAEKeyword);
OSErr AEPutAttributePtr(AppleEvent* theAppleEvent, AEKeyword theAEKeyword, DescType typeCode,
                        const void* dataPtr, Size dataSize);
OSErr AEGetAttributePtr(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword,
                        DescType desiredType, DescType* typeCode, void* dataPtr, Size maximumSize,
                        Size* actualSize);
OSErr AEGetAttributeDesc(const AppleEvent* theAppleEvent, AEKeyword theAEKeyword,
                         DescType desiredType, AEDesc* result);

// Dispatch tables: the application's, and a separate system table searched
// after it. Installing for a class and ID already installed replaces the
// handler. typeWildCard ('****') as class or ID matches any.
OSErr AEInstallEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                            AEEventHandlerUPP handler, SRefCon handlerRefcon, Boolean isSysHandler);
// errAEHandlerNotFound when none is installed, or another handler is (nil
// removes whatever is installed).
OSErr AERemoveEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                           AEEventHandlerUPP handler, Boolean isSysHandler);
OSErr AEGetEventHandler(AEEventClass theAEEventClass, AEEventID theAEEventID,
                        AEEventHandlerUPP* handler, SRefCon* handlerRefcon, Boolean isSysHandler);

// Dispatches the Apple event a high-level event carries to the installed
// handler. The handler's result comes back here (and to the sender);
// errAEEventNotHandled when no handler is installed.
OSErr AEProcessAppleEvent(const EventRecord* theEventRecord);
