//////////
//
//	File:		MacFramework.cpp
//
//	Contains:	The application shell: start-up, the main event loop and the quit
//				sequence, event dispatch, movie window creation and destruction, and
//				the modal dialog support.
//
//////////

#include "MacFramework.h"
#include "ComApplication.h"
#include "QTUtilities.h"


//////////
//
// global variables
//
//////////

Boolean					gShuttingDown = false;			// a quit is under way
Boolean					gAppInForeground = false;		// the application is the active one
ModalFilterUPP			gModalFilterUPP = NULL;			// the shell's modal dialog filter
UserItemUPP				gUserItemProcUPP = NULL;		// the shell's user-item procedure
SInt16					gAppResFile = -1;				// the application's resource file
Str255					gAppName = {0};					// the application's name

Str255					gWindowTitle = {8, 'u', 'n', 't', 'i', 't', 'l', 'e', 'd'};
Rect					gWindowRect = {10, 10, 480, 640};	// top, left, bottom, right


static void				QTFrame_InitMacEnvironment (void);
static Boolean			QTFrame_InitMenuBar (void);
static void				QTFrame_MainEventLoop (void);
static Boolean			QTFrame_CheckMovieControllers (EventRecord *theEvent);


//////////
//
// main
// The entry point: prepare the toolbox, start the Movie Toolbox and the application,
// then run the event loop until a quit goes through.
//
//////////

int main (void)
{
	OSErr		myErr = noErr;

	QTFrame_InitMacEnvironment();

	myErr = EnterMovies();
	if (myErr != noErr) {
		QTFrame_ShowWarning((StringPtr)"Could not initialize QuickTime. Exiting."_p, myErr);
		ExitToShell();
	}

	QTApp_Init(kInitAppPhase_BothPhases);

	QTFrame_MainEventLoop();

	ExitMovies();
	ExitToShell();

	return(0);
}


//////////
//
// QTFrame_InitMacEnvironment
// Prepare the toolbox environment: cursor, menu bar, dialog callbacks, resource file, name.
//
//////////

static void QTFrame_InitMacEnvironment (void)
{
	InitCursor();

	// the menu bar; without one the program still runs
	QTFrame_InitMenuBar();

	gAppInForeground = true;

	gModalFilterUPP = NewModalFilterUPP(QTFrame_StandardModalDialogEventFilter);
	gUserItemProcUPP = NewUserItemUPP(QTFrame_StandardUserItemProcedure);

	gAppResFile = CurResFile();

	GetIndString(gAppName, kAppNameStringID, kAppNameStringIndex);
}


//////////
//
// QTFrame_InitMenuBar
// Install the menu bar; on system 10 and later the File menu loses Quit and the line above it.
//
//////////

static Boolean QTFrame_InitMenuBar (void)
{
	Handle		myMenuBar = NULL;
	SInt32		myResponse = 0;
	OSErr		myErr = noErr;

	myMenuBar = GetNewMBar(kMenuBarResID);

	RegisterAppearanceClient();

	if (myMenuBar == NULL)
		return(false);

	SetMenuBar(myMenuBar);
	DisposeHandle(myMenuBar);

	myErr = Gestalt(gestaltSystemVersion, &myResponse);
	if ((myErr == noErr) && (myResponse > 0x09FF)) {
		// the quit command arrives as the quit-application Apple event
		DeleteMenuItem(GetMenuHandle(kFileMenuResID), kQuitMenuItem);
		DeleteMenuItem(GetMenuHandle(kFileMenuResID), kQuitSeparatorMenuItem);
	}

	QTFrame_AdjustMenus(NULL, NULL);

	DrawMenuBar();

	return(true);
}


//////////
//
// QTFrame_MainEventLoop
// Offer every event, null events included, to the application, then to the movie
// controllers, then to the shell.
//
//////////

static void QTFrame_MainEventLoop (void)
{
	EventRecord		myEvent;
	Boolean			isEventHandled = false;

	while (!gShuttingDown) {
		WaitNextEvent(everyEvent, &myEvent, 0, NULL);

		isEventHandled = QTApp_HandleEvent(&myEvent);

		if (!isEventHandled)
			isEventHandled = QTFrame_CheckMovieControllers(&myEvent);

		if (!isEventHandled)
			QTFrame_HandleEvent(&myEvent);
	}
}


//////////
//
// QTFrame_CheckMovieControllers
// Offer the event to the controllers of the movie windows, front to back.
//
//////////

static Boolean QTFrame_CheckMovieControllers (EventRecord *theEvent)
{
	WindowReference		myWindow = NULL;
	MovieController		myMC = NULL;

	myWindow = QTFrame_GetFrontMovieWindow();
	while (myWindow != NULL) {
		myMC = QTFrame_GetMCFromWindow(myWindow);
		if (myMC != NULL)
			if (MCIsPlayerEvent(myMC, theEvent) != 0)
				return(true);

		myWindow = QTFrame_GetNextMovieWindow(myWindow);
	}

	return(false);
}


//////////
//
// QTFrame_QuitFramework
// Close every movie window and stop; a Cancel answer to a save-changes question
// abandons the quit.
//
//////////

void QTFrame_QuitFramework (void)
{
	gShuttingDown = true;

	QTApp_Stop(kStopAppPhase_BeforeDestroyWindows);

	QTFrame_CloseMovieWindows();

	// a window answered Cancel: the quit is abandoned
	if (!gShuttingDown)
		return;

	QTApp_Stop(kStopAppPhase_AfterDestroyWindows);

	if (gValidFileTypes != NULL)
		DisposePtr((Ptr)gValidFileTypes);

	DisposeModalFilterUPP(gModalFilterUPP);
	DisposeUserItemUPP(gUserItemProcUPP);
}


//////////
//
// QTFrame_HandleEvent
// The shell's own event handler.
//
//////////

void QTFrame_HandleEvent (EventRecord *theEvent)
{
	WindowReference		myWindow = NULL;
	WindowReference		myFrontWindow = FrontWindow();
	WindowObject		myWindowObject = NULL;
	SInt16				myWindowPart;
	Rect				myScreenRect;
	Rect				myRefreshArea;
	RgnHandle			myVisRgn;

	switch (theEvent->what) {
		case nullEvent:
			// idle the movie windows, but only in the foreground
			myWindow = QTFrame_GetFrontMovieWindow();
			while (myWindow != NULL) {
				if (gAppInForeground)
					QTApp_Idle(myWindow);
				myWindow = QTFrame_GetNextMovieWindow(myWindow);
			}
			break;

		case mouseDown:
			myWindowPart = FindWindow(theEvent->where, &myWindow);

			switch (myWindowPart) {
				case inMenuBar:
					QTFrame_AdjustMenus(FrontWindow(), NULL);
					QTFrame_HandleMenuCommand(MenuSelect(theEvent->where));
					break;

				case inSysWindow:
					break;

				case inContent:
					if (myWindow != FrontWindow()) {
						SelectWindow(myWindow);
						SetPort(GetWindowPort(myWindow));
					} else {
						QTApp_HandleContentClick(myWindow, theEvent);
					}
					break;

				case inDrag: {
					Rect		myAlignRect = {0, 0, 0, 0};

					GetRegionBounds(GetGrayRgn(), &myScreenRect);

					myWindowObject = QTFrame_GetWindowObjectFromWindow(myWindow);
					if (myWindowObject != NULL) {
						if ((**myWindowObject).fMovie != NULL)
							GetMovieBox((**myWindowObject).fMovie, &myAlignRect);
						if ((**myWindowObject).fGraphicsImporter != NULL)
							GraphicsImportGetNaturalBounds((**myWindowObject).fGraphicsImporter, &myAlignRect);

						DragAlignedWindow(myWindow, theEvent->where, &myScreenRect, &myAlignRect, NULL);
					} else {
						DragWindow(myWindow, theEvent->where, &myScreenRect);
					}
					break;
				}

				case inGrow:
					// a controller with grow-box bounds takes clicks in its own grow box
					break;

				case inGoAway:
					if (TrackGoAway(myWindow, theEvent->where)) {
						if (theEvent->modifiers & optionKey)
							QTFrame_CloseMovieWindows();
						else
							QTFrame_DestroyMovieWindow(myWindow);
					}
					break;

				default:
					break;
			}
			break;

		case mouseUp:
			break;

		case keyDown:
		case autoKey:
			QTFrame_HandleKeyPress(theEvent);
			break;

		case keyUp:
			break;

		case updateEvt:
			myWindow = (WindowReference)theEvent->message;
			if (myWindow != NULL) {
				myWindowObject = QTFrame_GetWindowObjectFromWindow(myWindow);
				if (myWindowObject != NULL)
					if ((**myWindowObject).fGraphicsImporter != NULL)
						GraphicsImportDraw((**myWindowObject).fGraphicsImporter);

				myVisRgn = NewRgn();
				GetPortVisibleRegion(GetWindowPort(myWindow), myVisRgn);
				GetRegionBounds(myVisRgn, &myRefreshArea);
				QTApp_Draw(myWindow, &myRefreshArea);
				DisposeRgn(myVisRgn);
			}
			break;

		case diskEvt:
			break;

		case activateEvt:
			myWindow = (WindowReference)theEvent->message;
			if (QTFrame_IsAppWindow(myWindow))
				QTFrame_ActivateController(myWindow, ((theEvent->modifiers & activeFlag) != 0));
			break;

		case osEvt:
			switch ((theEvent->message >> 24) & 0x00FF) {
				case suspendResumeMessage:
					gAppInForeground = (theEvent->message & resumeFlag) != 0;
					if (myFrontWindow != NULL)
						QTFrame_ActivateController(myFrontWindow, gAppInForeground);
					break;

				case mouseMovedMessage:
				default:
					break;
			}
			break;

		case kHighLevelEvent:
			AEProcessAppleEvent(theEvent);
			break;

		default:
			break;
	}
}


//////////
//
// QTFrame_HandleMenuCommand
// Route a menu choice: About, the File and Edit handlers, or the application.
//
//////////

void QTFrame_HandleMenuCommand (SInt32 theMenuResult)
{
	SInt16			myMenuID;
	SInt16			myMenuItem;
	UInt16			myCommand;
	Cursor			myArrow;

	SetCursor(GetQDGlobalsArrow(&myArrow));

	myMenuID = (SInt16)((theMenuResult >> 16) & 0xFFFF);
	myMenuItem = (SInt16)(theMenuResult & 0xFFFF);
	myCommand = (UInt16)((myMenuID << 8) + myMenuItem);

	switch (myMenuID) {
		case kAppleMenuResID:
			if (myMenuItem == kAboutMenuItem)
				QTFrame_ShowAboutBox();
			break;

		case kFileMenuResID:
			QTFrame_HandleFileMenuItem(QTFrame_GetFrontMovieWindow(), myCommand);
			break;

		case kEditMenuResID:
			QTFrame_HandleEditMenuItem(QTFrame_GetFrontMovieWindow(), myCommand);
			break;

		default:
			QTApp_HandleMenu(myCommand);
			break;
	}

	HiliteMenu(0);
}


//////////
//
// QTFrame_HandleKeyPress
// Command keys become menu commands; other keys go to the application.
//
//////////

void QTFrame_HandleKeyPress (EventRecord *theEvent)
{
	char		myChar = (char)(theEvent->message & charCodeMask);

	if (theEvent->modifiers & cmdKey) {
		QTFrame_AdjustMenus(FrontWindow(), NULL);
		QTFrame_HandleMenuCommand(MenuKey(myChar));
	} else {
		QTApp_HandleKeyPress(myChar);
	}
}


//////////
//
// QTFrame_CreateMovieWindow
// Create a new, invisible movie window with its window object.
//
//////////

WindowReference QTFrame_CreateMovieWindow (void)
{
	WindowReference		myWindow = NULL;

	myWindow = NewCWindow(NULL, &gWindowRect, gWindowTitle, false, noGrowDocProc, (WindowPtr)-1L, true, 0);

	QTFrame_CreateWindowObject(myWindow);

	return(myWindow);
}


//////////
//
// QTFrame_DestroyMovieWindow
// Close a movie window, asking first whether to save its changes.
//
// When the user answers Save and the save does not succeed, the window is kept exactly
// as after Cancel (and a quit under way is cancelled), so its changes are not lost.
//
//////////

void QTFrame_DestroyMovieWindow (WindowReference theWindow)
{
	WindowObject				myWindowObject = NULL;
	NavEventUPP					myEventUPP = NULL;
	NavDialogOptions			myDialogOptions;
	NavAskSaveChangesAction		myAction;
	NavAskSaveChangesResult		myResult = kNavAskSaveChangesCancel;
	Str255						myTitle;
	OSErr						myErr = noErr;

	myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);

	// a window without a window object is simply disposed of
	if (myWindowObject == NULL) {
		if (theWindow != NULL)
			DisposeWindow(theWindow);
		return;
	}

	if ((**myWindowObject).fIsDirty) {
		myEventUPP = NewNavEventUPP(QTFrame_HandleNavEvent);

		GetWTitle(theWindow, myTitle);

		NavGetDefaultDialogOptions(&myDialogOptions);
		BlockMoveData(gAppName, myDialogOptions.clientName, gAppName[0] + 1);
		BlockMoveData(myTitle, myDialogOptions.savedFileName, myTitle[0] + 1);

		if (gShuttingDown)
			myAction = kNavSaveChangesQuittingApplication;
		else
			myAction = kNavSaveChangesClosingDocument;

		myErr = NavAskSaveChanges(&myDialogOptions, myAction, &myResult, myEventUPP, NULL);
		if (myErr != noErr)
			myResult = kNavAskSaveChangesCancel;

		DisposeNavEventUPP(myEventUPP);

		switch (myResult) {
			case kNavAskSaveChangesSave:
				if (!QTFrame_UpdateMovieFile(theWindow)) {
					// the save failed or was cancelled: keep the window, as after Cancel
					gShuttingDown = false;
					return;
				}
				break;

			case kNavAskSaveChangesCancel:
				gShuttingDown = false;
				return;

			case kNavAskSaveChangesDontSave:
			default:
				break;
		}
	}

	QTFrame_CloseWindowObject(myWindowObject);
	DisposeWindow(theWindow);
}


//////////
//
// QTFrame_StandardModalDialogEventFilter
// The filter of every modal dialog and alert the shell shows: movies behind keep
// playing, windows behind are redrawn, and the dialog can be dragged.
//
//////////

Boolean QTFrame_StandardModalDialogEventFilter (DialogPtr theDialog, EventRecord *theEvent, DialogItemIndex *theItemHit)
{
	Boolean				isHandled = false;
	WindowReference		myWindow = NULL;
	SInt16				myPart;
	Rect				myBounds;

	switch (theEvent->what) {
		case nullEvent:
			if (gAppInForeground)
				QTFrame_IdleMovieWindows();
			break;

		case mouseDown:
			myPart = FindWindow(theEvent->where, &myWindow);
			if ((myPart == inDrag) && (myWindow == GetDialogWindow(theDialog))) {
				GetRegionBounds(GetGrayRgn(), &myBounds);
				DragWindow(myWindow, theEvent->where, &myBounds);
				isHandled = true;
			}
			break;

		case updateEvt:
			myWindow = (WindowReference)theEvent->message;
			if ((myWindow != NULL) && (myWindow != GetDialogWindow(theDialog)))
				QTFrame_HandleEvent(theEvent);
			break;

		default:
			break;
	}

	if (!isHandled)
		isHandled = StdFilterProc(theDialog, theEvent, theItemHit);

	return(isHandled);
}


//////////
//
// QTFrame_StandardUserItemProcedure
// Draws nothing: the platform outlines the default button.
//
//////////

void QTFrame_StandardUserItemProcedure (DialogPtr theDialog, DialogItemIndex theItem)
{
	(void)theDialog;
	(void)theItem;
}


//////////
//
// QTFrame_ShowAboutBox
// Show the About box until its OK button is hit.
//
//////////

void QTFrame_ShowAboutBox (void)
{
	DialogPtr			myDialog = NULL;
	DialogItemIndex		myItem = 0;
	DialogItemType		myItemKind;
	Handle				myItemHandle;
	Rect				myItemRect;
	SInt16				mySavedResFile;
	GrafPtr				mySavedPort;

	mySavedResFile = CurResFile();
	GetPort(&mySavedPort);
	UseResFile(gAppResFile);

	QTFrame_ActivateController(QTFrame_GetFrontMovieWindow(), false);

	myDialog = GetNewDialog(kAboutBoxID, NULL, (WindowPtr)-1L);
	if (myDialog != NULL) {
		SetPortDialogPort(myDialog);

		SetDialogDefaultItem(myDialog, kAboutBoxOKButton);

		GetDialogItem(myDialog, kAboutBoxUserItem, &myItemKind, &myItemHandle, &myItemRect);
		SetDialogItem(myDialog, kAboutBoxUserItem, myItemKind, (Handle)gUserItemProcUPP, &myItemRect);

		do {
			ModalDialog(gModalFilterUPP, &myItem);
		} while (myItem != kAboutBoxOKButton);
	}

	SetPort(mySavedPort);
	UseResFile(mySavedResFile);

	if (myDialog != NULL)
		DisposeDialog(myDialog);
}


//////////
//
// QTFrame_ShowWarning
// Show the warning alert with a message and, when it is not 0, an error number.
//
//////////

void QTFrame_ShowWarning (StringPtr theMessage, OSErr theErr)
{
	Str255			myString;
	SInt16			mySavedResFile;

	mySavedResFile = CurResFile();
	UseResFile(gAppResFile);

	NumToString(theErr, myString);

	ParamText("Warning!"_p, theMessage, theErr ? myString : NULL, NULL);
	Alert(kAlertErrorID, gModalFilterUPP);

	UseResFile(mySavedResFile);
}


//////////
//
// QTFrame_ShowFileWarning
// Tell the user that a file could not be opened or saved, and why: the warning alert
// with "Could not open “Name.mov”: it is damaged or is not a movie." and the error
// number. theFailure says what failed ("Could not open"); without a file name the
// message names none.
//
// A cancel is the user's own choice and shows nothing.
//
//////////

void QTFrame_ShowFileWarning (char *theFailure, StringPtr theFileName, OSErr theErr)
{
	Str255			myMessage;
	char			*myReason = NULL;

	if ((theErr == noErr) || (theErr == userCanceledErr) || (theErr == progressProcAborted))
		return;

	myReason = QTUtils_GetErrorReason(theErr);

	myMessage[0] = 0;
	QTUtils_AppendCStringToPascalString(myMessage, theFailure);
	if (theFileName != NULL) {
		QTUtils_AppendCStringToPascalString(myMessage, (char *)" \xE2\x80\x9C");			// left double quote
		QTUtils_AppendPascalString(myMessage, theFileName);
		QTUtils_AppendCStringToPascalString(myMessage, (char *)"\xE2\x80\x9D");			// right double quote
	}
	QTUtils_AppendCStringToPascalString(myMessage, (char *)": ");
	QTUtils_AppendCStringToPascalString(myMessage, myReason);
	QTUtils_AppendCStringToPascalString(myMessage, (char *)".");

	QTFrame_ShowWarning(myMessage, theErr);
}
