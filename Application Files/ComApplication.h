//////////
//
//	File:		ComApplication.h
//
//	Contains:	The application's hooks into the movie-window framework, and its
//				Apple event handlers.
//
//////////

#pragma once

#include "MacPrefix.h"
#include "ComFramework.h"
#include "ComResource.h"

//////////
//
// start and stop phases
//
//////////

enum {
	kInitAppPhase_BeforeCreateFrameWindow	= 1,
	kInitAppPhase_AfterCreateFrameWindow	= 2,
	kInitAppPhase_BothPhases				= kInitAppPhase_BeforeCreateFrameWindow | kInitAppPhase_AfterCreateFrameWindow
};

enum {
	kStopAppPhase_BeforeDestroyWindows		= 1,
	kStopAppPhase_AfterDestroyWindows		= 2,
	kStopAppPhase_BothPhases				= kStopAppPhase_BeforeDestroyWindows | kStopAppPhase_AfterDestroyWindows
};

//////////
//
// the application's per-window data (declared for applications; never allocated here)
//
//////////

typedef struct {
	Boolean						fBogusField;
} ApplicationDataRecord, *ApplicationDataPtr, **ApplicationDataHdl;

//////////
//
// Apple event handlers
//
//////////

extern AEEventHandlerUPP		gHandleOpenAppAEUPP;
extern AEEventHandlerUPP		gHandleOpenDocAEUPP;
extern AEEventHandlerUPP		gHandlePrintDocAEUPP;
extern AEEventHandlerUPP		gHandleQuitAppAEUPP;

void							QTApp_InstallAppleEventHandlers (void);
OSErr							QTApp_HandleOpenApplicationAppleEvent (const AppleEvent *theMessage, AppleEvent *theReply, SRefCon theRefcon);
OSErr							QTApp_HandleOpenDocumentAppleEvent (const AppleEvent *theMessage, AppleEvent *theReply, SRefCon theRefcon);
OSErr							QTApp_HandlePrintDocumentAppleEvent (const AppleEvent *theMessage, AppleEvent *theReply, SRefCon theRefcon);
OSErr							QTApp_HandleQuitApplicationAppleEvent (const AppleEvent *theMessage, AppleEvent *theReply, SRefCon theRefcon);

//////////
//
// application hooks
//
//////////

void							QTApp_Init (UInt32 theStartPhase);
void							QTApp_Stop (UInt32 theStopPhase);
Boolean							QTApp_HandleEvent (EventRecord *theEvent);
void							QTApp_Idle (WindowReference theWindow);
void							QTApp_Draw (WindowReference theWindow, Rect *theRefreshArea);
void							QTApp_HandleContentClick (WindowReference theWindow, EventRecord *theEvent);
Boolean							QTApp_HandleKeyPress (char theCharCode);
Boolean							QTApp_HandleMenu (UInt16 theMenuItem);
void							QTApp_AdjustMenus (WindowReference theWindow, MenuReference theMenu);
OSErr							QTApp_ExportMovie (WindowReference theWindow);
void							QTApp_SetupController (MovieController theMC);
void							QTApp_SetupWindowObject (WindowObject theWindowObject);
void							QTApp_RemoveWindowObject (WindowObject theWindowObject);
Boolean							QTApp_MCActionFilterProc (MovieController theMC, SInt16 theAction, void *theParams, SRefCon theRefCon);
