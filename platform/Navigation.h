/*
 * Navigation.h — the file dialogs: save, open, and the question to save
 * changes. Each is a real modal window; while it is up its event callback
 * receives null and update events (kNavCBEvent), so the windows behind
 * keep playing and redrawing.
 */
#pragma once

#include "platform/AppleEvents.h"
#include "platform/Events.h"
#include "platform/Files.h"
#include "platform/Types.h"
#include "platform/Windows.h"

typedef UInt32 NavDialogOptionFlags;
enum {
    kNavDefaultNavDlogOptions = 0x000000E4,
    kNavNoTypePopup           = 0x00000001,
    kNavDontAutoTranslate     = 0x00000002,
    kNavDontAddTranslateItems = 0x00000004,
    kNavAllowStationery       = 0x00000020,
    kNavAllowPreviews         = 0x00000040,
    kNavAllowMultipleFiles    = 0x00000080,
    kNavAllowInvisibleFiles   = 0x00000100,
    kNavDontResolveAliases    = 0x00000200,
    kNavSelectDefaultLocation = 0x00000400,
    kNavSelectAllReadableItem = 0x00000800
};

struct NavDialogOptions {
    UInt16 version;
    NavDialogOptionFlags dialogOptionFlags;
    Point location;                 // -1, -1: centred
    Str255 clientName;
    Str255 windowTitle;
    Str255 actionButtonLabel;
    Str255 cancelButtonLabel;
    Str255 savedFileName;
    Str255 message;
    UInt32 preferenceKey;
    Handle popupExtension;
};

struct NavReplyRecord {
    UInt16 version;
    Boolean validRecord;
    Boolean replacing;
    Boolean isStationery;
    Boolean translationNeeded;
    AEDescList selection;           // 'fss ' items
    ScriptCode keyScript;
    Handle fileTranslation;
};

struct NavTypeList {
    OSType componentSignature;
    SInt16 reserved;
    SInt16 osTypeCount;
    OSType osType[1];
};
typedef NavTypeList* NavTypeListPtr;
typedef NavTypeListPtr* NavTypeListHandle;

typedef SInt32 NavEventCallbackMessage;
enum {
    kNavCBEvent          = 0,
    kNavCBCustomize      = 1,
    kNavCBStart          = 2,
    kNavCBTerminate      = 3,
    kNavCBAdjustRect     = 4,
    kNavCBNewLocation    = 5,
    kNavCBShowDesktop    = 6,
    kNavCBSelectEntry    = 7,
    kNavCBPopupMenuSelect = 8,
    kNavCBAccept         = 9,
    kNavCBCancel         = 10,
    kNavCBAdjustPreview  = 11,
    kNavCBUserAction     = 12
};

typedef void* NavContext;

struct NavEventData {
    union {
        EventRecord* event;
        void* param;
    } eventDataParms;
    SInt16 itemHit;
};

struct NavCBRec {
    UInt16 version;
    NavContext context;
    WindowRef window;
    Rect customRect;
    Rect previewRect;
    NavEventData eventData;
    UInt32 userAction;
};
typedef NavCBRec* NavCBRecPtr;

struct NavFileOrFolderInfo {
    UInt16 version;
    Boolean isFolder;
    Boolean visible;
    UInt32 creationDate;
    UInt32 modificationDate;
    union {
        struct {
            Boolean locked;
            Boolean resourceOpen;
            Boolean dataOpen;
            Boolean reserved1;
            UInt32 dataSize;
            UInt32 resourceSize;
            FInfo finderInfo;
        } fileInfo;
        struct {
            Boolean shareable;
            Boolean sharePoint;
            Boolean mounted;
            Boolean readable;
            Boolean writeable;
            Boolean reserved2;
            UInt32 numberOfFiles;
        } folderInfo;
    } fileAndFolder;
};

typedef SInt16 NavFilterModes;
enum { kNavFilteringBrowserList = 0 };

typedef void (*NavEventProcPtr)(NavEventCallbackMessage callBackSelector, NavCBRecPtr callBackParms,
                                void* callBackUD);
typedef NavEventProcPtr NavEventUPP;
typedef Boolean (*NavObjectFilterProcPtr)(AEDesc* theItem, void* info, void* callBackUD,
                                          NavFilterModes filterMode);
typedef NavObjectFilterProcPtr NavObjectFilterUPP;
typedef Boolean (*NavPreviewProcPtr)(NavCBRecPtr callBackParms, void* callBackUD);
typedef NavPreviewProcPtr NavPreviewUPP;

NavEventUPP NewNavEventUPP(NavEventProcPtr userRoutine);
void DisposeNavEventUPP(NavEventUPP userUPP);
NavObjectFilterUPP NewNavObjectFilterUPP(NavObjectFilterProcPtr userRoutine);
void DisposeNavObjectFilterUPP(NavObjectFilterUPP userUPP);

typedef UInt32 NavAskSaveChangesAction;
enum {
    kNavSaveChangesClosingDocument    = 1,
    kNavSaveChangesQuittingApplication = 2,
    kNavSaveChangesOther              = 0
};
typedef UInt32 NavAskSaveChangesResult;
enum {
    kNavAskSaveChangesSave     = 1,
    kNavAskSaveChangesCancel   = 2,
    kNavAskSaveChangesDontSave = 3
};

OSErr NavGetDefaultDialogOptions(NavDialogOptions* dialogOptions);
OSErr NavPutFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, OSType fileType, OSType fileCreator, void* callBackUD);
OSErr NavGetFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, NavPreviewUPP previewProc, NavObjectFilterUPP filterProc,
                 NavTypeListHandle typeList, void* callBackUD);
OSErr NavAskSaveChanges(NavDialogOptions* dialogOptions, NavAskSaveChangesAction action,
                        NavAskSaveChangesResult* reply, NavEventUPP eventProc, void* callBackUD);
OSErr NavDisposeReply(NavReplyRecord* reply);
