//////////
//
//	File:		MacFramework.h
//
//	Contains:	The application shell: start-up, the main event loop and the quit
//				sequence, event dispatch, movie window creation and destruction, and
//				the modal dialog support.
//
//////////

#pragma once

#include "MacPrefix.h"
#include "ComFramework.h"

//////////
//
// globals
//
//////////

extern Boolean					gShuttingDown;
extern Boolean					gAppInForeground;
extern ModalFilterUPP			gModalFilterUPP;
extern UserItemUPP				gUserItemProcUPP;
extern SInt16					gAppResFile;
extern Str255					gAppName;
extern Str255					gWindowTitle;
extern Rect						gWindowRect;

//////////
//
// shutdown
//
//////////

void							QTFrame_QuitFramework (void);

//////////
//
// event dispatch
//
//////////

void							QTFrame_HandleEvent (EventRecord *theEvent);
void							QTFrame_HandleMenuCommand (SInt32 theMenuResult);
void							QTFrame_HandleKeyPress (EventRecord *theEvent);

//////////
//
// movie windows
//
//////////

WindowReference					QTFrame_CreateMovieWindow (void);
void							QTFrame_DestroyMovieWindow (WindowReference theWindow);

//////////
//
// modal dialog support
//
//////////

Boolean							QTFrame_StandardModalDialogEventFilter (DialogPtr theDialog, EventRecord *theEvent, DialogItemIndex *theItemHit);
void							QTFrame_StandardUserItemProcedure (DialogPtr theDialog, DialogItemIndex theItem);
void							QTFrame_ShowAboutBox (void);
void							QTFrame_ShowWarning (StringPtr theMessage, OSErr theErr);
void							QTFrame_ShowFileWarning (char *theFailure, StringPtr theFileName, OSErr theErr);
