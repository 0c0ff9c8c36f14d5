/*
 * Dialogs.h — the Dialog Manager: modal dialogs and alerts built from
 * 'DLOG'/'DITL'/'ALRT' resources of the current resource file.
 */
#pragma once

#include "platform/Events.h"
#include "platform/QuickDraw.h"
#include "platform/Types.h"
#include "platform/Windows.h"

typedef struct OpaqueDialogPtr* DialogPtr;
typedef DialogPtr DialogRef;
typedef SInt16 DialogItemIndex;
typedef SInt16 DialogItemType;

// Item kinds
enum {
    userItem     = 0,
    ctrlItem     = 4,
    btnCtrl      = 0,
    chkCtrl      = 1,
    radCtrl      = 2,
    resCtrl      = 3,
    statText     = 8,
    editText     = 16,
    iconItem     = 32,
    picItem      = 64,
    itemDisable  = 128,
    kButtonDialogItem   = ctrlItem + btnCtrl,
    kStaticTextDialogItem = statText,
    kEditTextDialogItem = editText,
    kUserDialogItem     = userItem
};

enum { ok = 1, cancel = 2 };   // the usual item numbers of OK and Cancel

typedef Boolean (*ModalFilterProcPtr)(DialogRef theDialog, EventRecord* theEvent,
                                      DialogItemIndex* itemHit);
typedef ModalFilterProcPtr ModalFilterUPP;
typedef void (*UserItemProcPtr)(DialogRef theDialog, DialogItemIndex itemNo);
typedef UserItemProcPtr UserItemUPP;

ModalFilterUPP NewModalFilterUPP(ModalFilterProcPtr userRoutine);
void DisposeModalFilterUPP(ModalFilterUPP userUPP);
UserItemUPP NewUserItemUPP(UserItemProcPtr userRoutine);
void DisposeUserItemUPP(UserItemUPP userUPP);

DialogRef GetNewDialog(SInt16 dialogID, void* dStorage, WindowRef behind);
void DisposeDialog(DialogRef theDialog);
WindowRef GetDialogWindow(DialogRef dialog);
DialogRef GetDialogFromWindow(WindowRef window);
CGrafPtr GetDialogPort(DialogRef dialog);
void SetPortDialogPort(DialogRef dialog);
void ModalDialog(ModalFilterUPP modalFilter, DialogItemIndex* itemHit);
SInt16 Alert(SInt16 alertID, ModalFilterUPP modalFilter);
SInt16 StopAlert(SInt16 alertID, ModalFilterUPP modalFilter);
SInt16 NoteAlert(SInt16 alertID, ModalFilterUPP modalFilter);
SInt16 CautionAlert(SInt16 alertID, ModalFilterUPP modalFilter);
void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2,
               ConstStr255Param param3);
Boolean StdFilterProc(DialogRef theDialog, EventRecord* event, DialogItemIndex* itemHit);
OSErr SetDialogDefaultItem(DialogRef theDialog, DialogItemIndex newItem);
OSErr SetDialogCancelItem(DialogRef theDialog, DialogItemIndex newItem);
void GetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType* itemType,
                   Handle* item, Rect* box);
void SetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType itemType,
                   Handle item, const Rect* box);
void GetDialogItemText(Handle item, Str255 text);
void SetDialogItemText(Handle item, ConstStr255Param text);
void SelectDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, SInt16 strtSel,
                          SInt16 endSel);
void DrawDialog(DialogRef theDialog);
Boolean IsDialogEvent(const EventRecord* theEvent);
