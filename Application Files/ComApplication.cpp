//////////
//
//	File:		ComApplication.cpp
//
//	Contains:	The application's hooks into the movie-window framework: the
//				application menu that shows or hides the controller bar and its
//				speaker button, the idle cursor, drawing, controller set-up and the
//				controller's action filter; and the four required Apple events.
//
//////////

#include "ComApplication.h"
#include "MacFramework.h"
#include "QTUtilities.h"


//////////
//
// global variables
//
//////////

AEEventHandlerUPP		gHandleOpenAppAEUPP = NULL;		// open application
AEEventHandlerUPP		gHandleOpenDocAEUPP = NULL;		// open documents
AEEventHandlerUPP		gHandlePrintDocAEUPP = NULL;	// print documents
AEEventHandlerUPP		gHandleQuitAppAEUPP = NULL;		// quit application


//////////
//
// QTApp_Init
// Start the application: install the Apple event handlers.
//
//////////

void QTApp_Init (UInt32 theStartPhase)
{
	if (theStartPhase & kInitAppPhase_BeforeCreateFrameWindow)
		QTApp_InstallAppleEventHandlers();
}


//////////
//
// QTApp_Stop
// Stop the application: release the Apple event handlers once the windows are closed.
//
//////////

void QTApp_Stop (UInt32 theStopPhase)
{
	if (theStopPhase & kStopAppPhase_AfterDestroyWindows) {
		DisposeAEEventHandlerUPP(gHandleOpenAppAEUPP);
		DisposeAEEventHandlerUPP(gHandleOpenDocAEUPP);
		DisposeAEEventHandlerUPP(gHandlePrintDocAEUPP);
		DisposeAEEventHandlerUPP(gHandleQuitAppAEUPP);
	}
}


//////////
//
// QTApp_HandleEvent
// The application sees every event first; it takes none.
//
//////////

Boolean QTApp_HandleEvent (EventRecord *theEvent)
{
	(void)theEvent;

	return(false);
}


//////////
//
// QTApp_Idle
// While the mouse is outside the visible part of the front movie window, show the arrow.
//
//////////

void QTApp_Idle (WindowReference theWindow)
{
	WindowObject		myWindowObject = NULL;
	GrafPtr				mySavedPort;

	GetPort(&mySavedPort);
	SetPort(GetWindowPort(theWindow));

	myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);
	if (myWindowObject != NULL) {
		MovieController		myMC = (**myWindowObject).fController;

		if (myMC != NULL) {
			if (theWindow == QTFrame_GetFrontMovieWindow()) {
				Point			myMouse;
				RgnHandle		myRegion = NewRgn();
				Rect			myRect;
				Cursor			myArrow;

				GetMouse(&myMouse);
				GetPortVisibleRegion(GetWindowPort(theWindow), myRegion);
				GetWindowPortBounds(theWindow, &myRect);

				if (!PtInRect(myMouse, &myRect) || !PtInRgn(myMouse, myRegion))
					SetCursor(GetQDGlobalsArrow(&myArrow));

				DisposeRgn(myRegion);
			}
		}
	}

	SetPort(mySavedPort);
}


//////////
//
// QTApp_Draw
// Draw a window's movie and controller inside its update.
//
//////////

void QTApp_Draw (WindowReference theWindow, Rect *theRefreshArea)
{
	GrafPtr				mySavedPort;
	MovieController		myMC;

	(void)theRefreshArea;

	GetPort(&mySavedPort);
	SetPort(GetWindowPort(theWindow));

	BeginUpdate(theWindow);

	myMC = QTFrame_GetMCFromWindow(theWindow);
	if (myMC != NULL)
		MCDoAction(myMC, mcActionDraw, theWindow);

	EndUpdate(theWindow);

	SetPort(mySavedPort);
}


//////////
//
// QTApp_HandleContentClick
// A click in the content of the front window: nothing to do.
//
//////////

void QTApp_HandleContentClick (WindowReference theWindow, EventRecord *theEvent)
{
	GrafPtr				mySavedPort;

	(void)theEvent;

	GetPort(&mySavedPort);
	SetPort(GetWindowPort(theWindow));

	SetPort(mySavedPort);
}


//////////
//
// QTApp_HandleKeyPress
// A key without the Command key: not taken.
//
//////////

Boolean QTApp_HandleKeyPress (char theCharCode)
{
	(void)theCharCode;

	return(false);
}


//////////
//
// QTApp_HandleMenu
// The application menu: show or hide the controller bar and the speaker button.
//
//////////

Boolean QTApp_HandleMenu (UInt16 theMenuItem)
{
	WindowObject		myWindowObject = NULL;
	MovieController		myMC = NULL;

	myWindowObject = QTFrame_GetWindowObjectFromFrontWindow();
	if (myWindowObject != NULL)
		myMC = (**myWindowObject).fController;

	if (myMC == NULL)
		return(false);

	switch (theMenuItem) {
		case IDM_CONTROLLER:
			QTUtils_ToggleControllerBar(myMC);
			return(true);

		case IDM_SPEAKER_BUTTON:
			QTUtils_ToggleControllerButton(myMC, kQTUtilsSpeakerButton);
			return(true);

		case IDM_EXPORT:
			QTApp_ExportMovie((**myWindowObject).fWindow);
			return(true);

		default:
			return(false);
	}
}


//////////
//
// QTApp_AdjustMenus
// Label and enable the application menu for the front window's controller.
//
//////////

void QTApp_AdjustMenus (WindowReference theWindow, MenuReference theMenu)
{
	MenuReference		myMenu = GetMenuHandle(kApplicationMenuResID);
	WindowObject		myWindowObject = NULL;
	MovieController		myMC = NULL;

	(void)theMenu;

	if (theWindow != NULL) {
		myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);
		if (myWindowObject != NULL)
			myMC = (**myWindowObject).fController;
	}

	if (myMC == NULL) {
		QTFrame_SetMenuItemState(myMenu, IDM_CONTROLLER, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_SPEAKER_BUTTON, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EXPORT, kDisableMenuItem);
		return;
	}

	QTFrame_SetMenuItemState(myMenu, IDM_CONTROLLER, kEnableMenuItem);
	QTFrame_SetMenuItemState(myMenu, IDM_EXPORT, ((**myWindowObject).fMovie != NULL) ? kEnableMenuItem : kDisableMenuItem);

	if (QTUtils_IsControllerBarVisible(myMC)) {
		QTFrame_SetMenuItemLabel(myMenu, IDM_CONTROLLER, (char *)"Hide &Controller");
		QTFrame_SetMenuItemState(myMenu, IDM_SPEAKER_BUTTON, kEnableMenuItem);

		if (QTUtils_IsControllerButtonVisible(myMC, kQTUtilsSpeakerButton))
			QTFrame_SetMenuItemLabel(myMenu, IDM_SPEAKER_BUTTON, (char *)"Hide Spea&ker Button");
		else
			QTFrame_SetMenuItemLabel(myMenu, IDM_SPEAKER_BUTTON, (char *)"Show Spea&ker Button");
	} else {
		QTFrame_SetMenuItemLabel(myMenu, IDM_CONTROLLER, (char *)"Show &Controller");
		QTFrame_SetMenuItemState(myMenu, IDM_SPEAKER_BUTTON, kDisableMenuItem);
	}
}


//////////
//
// QTApp_ExportMovie
// Write the window's movie as a file everyone can play: H.264 and AAC in an .mp4, or
// AAC alone in an .m4a when the movie shows no pictures. The window keeps its movie.
//
//////////

OSErr QTApp_ExportMovie (WindowReference theWindow)
{
	WindowObject		myWindowObject = NULL;
	Movie				myMovie = NULL;
	FSSpec				myFile;
	Boolean				myIsSelected = false;
	Boolean				myIsReplacing = false;
	Boolean				myHasVideo = false;
	OSType				myFileType = kQTFileTypeMP4;
	Str255				myName;
	Str255				myMessage;
	SInt16				myDot = 0;
	SInt16				myIndex;
	char				*myExtension = NULL;
	StringPtr			myPrompt = QTUtils_ConvertCToPascalString((char *)"Export movie as:");
	OSErr				myErr = paramErr;

	myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);
	if (myWindowObject == NULL)
		goto bail;

	myMovie = (**myWindowObject).fMovie;
	if (myMovie == NULL)
		goto bail;

	myHasVideo = (GetMovieIndTrackType(myMovie, 1, VideoMediaType, movieTrackMediaType | movieTrackEnabledOnly) != NULL);
	myFileType = myHasVideo ? kQTFileTypeMP4 : kQTFileTypeM4A;
	myExtension = myHasVideo ? (char *)".mp4" : (char *)".m4a";

	// the window's name with its extension replaced
	GetWTitle(theWindow, myName);
	for (myIndex = myName[0]; myIndex > 1; myIndex--)
		if (myName[myIndex] == '.') {
			myDot = myIndex;
			break;
		}
	if (myDot > 0)
		myName[0] = (UInt8)(myDot - 1);
	if (myName[0] > 255 - 4)
		myName[0] = 255 - 4;
	QTUtils_AppendCStringToPascalString(myName, myExtension);

	QTFrame_PutFile(myPrompt, myName, &myFile, &myIsSelected, &myIsReplacing);
	if (!myIsSelected) {
		myErr = userCanceledErr;
		goto bail;
	}

	SetMovieProgressProc(myMovie, kMovieDefaultProgressProc, 0);
	myErr = ConvertMovieToFile(myMovie, NULL, &myFile, myFileType, sigMoviePlayer, smSystemScript, NULL, createMovieFileDeleteCurFile, NULL);

	// an encoder the installed libraries lack is not a format problem of the movie
	if (myErr == noCodecErr) {
		myMessage[0] = 0;
		QTUtils_AppendCStringToPascalString(myMessage, (char *)"Could not export \xE2\x80\x9C");
		QTUtils_AppendPascalString(myMessage, myFile.name);
		QTUtils_AppendCStringToPascalString(myMessage, (char *)"\xE2\x80\x9D: the H.264 or AAC encoder is not installed.");
		QTFrame_ShowWarning(myMessage, myErr);
	} else {
		QTFrame_ShowFileWarning((char *)"Could not export", myFile.name, myErr);
	}

bail:
	free(myPrompt);

	return(myErr);
}


//////////
//
// QTApp_SetupController
// Every new controller uses the window's palette, answers keys and does not drag.
//
//////////

void QTApp_SetupController (MovieController theMC)
{
	SInt32			myControllerFlags = 0L;	// the word's top bit clear: the control flags

	MCDoAction(theMC, mcActionGetFlags, &myControllerFlags);
	MCDoAction(theMC, mcActionSetFlags, (void *)(intptr_t)(myControllerFlags | mcFlagsUseWindowPalette));

	MCDoAction(theMC, mcActionSetKeysEnabled, (void *)true);

	MCDoAction(theMC, mcActionSetDragEnabled, (void *)false);
}


//////////
//
// QTApp_SetupWindowObject
// The application keeps no per-window data.
//
//////////

void QTApp_SetupWindowObject (WindowObject theWindowObject)
{
	(void)theWindowObject;
}


//////////
//
// QTApp_RemoveWindowObject
// The application attached nothing to the window object.
//
//////////

void QTApp_RemoveWindowObject (WindowObject theWindowObject)
{
	(void)theWindowObject;
}


//////////
//
// QTApp_MCActionFilterProc
// The controllers' action filter: idle the window and keep it sized to its movie.
//
//////////

Boolean QTApp_MCActionFilterProc (MovieController theMC, SInt16 theAction, void *theParams, SRefCon theRefCon)
{
	WindowObject		myWindowObject = (WindowObject)theRefCon;

	(void)theParams;

	if (myWindowObject == NULL)
		return(false);

	switch (theAction) {
		case mcActionIdle:
			QTApp_Idle((**myWindowObject).fWindow);
			break;

		case mcActionControllerSizeChanged:
			if (MCIsControllerAttached(theMC) == 1)
				QTFrame_SizeWindowToMovie(myWindowObject);
			break;

		default:
			break;
	}

	return(false);
}


//////////
//
// Apple events
//
//////////

//////////
//
// QTApp_InstallAppleEventHandlers
// Install the handlers of the four required Apple events.
//
//////////

void QTApp_InstallAppleEventHandlers (void)
{
	SInt32		myAttrs;
	OSErr		myErr = noErr;

	myErr = Gestalt(gestaltAppleEventsAttr, &myAttrs);
	if ((myErr != noErr) || !(myAttrs & (1L << gestaltAppleEventsPresent)))
		return;

	gHandleOpenAppAEUPP = NewAEEventHandlerUPP(QTApp_HandleOpenApplicationAppleEvent);
	gHandleOpenDocAEUPP = NewAEEventHandlerUPP(QTApp_HandleOpenDocumentAppleEvent);
	gHandlePrintDocAEUPP = NewAEEventHandlerUPP(QTApp_HandlePrintDocumentAppleEvent);
	gHandleQuitAppAEUPP = NewAEEventHandlerUPP(QTApp_HandleQuitApplicationAppleEvent);

	AEInstallEventHandler(kCoreEventClass, kAEOpenApplication, gHandleOpenAppAEUPP, 0L, false);
	AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, gHandleOpenDocAEUPP, 0L, false);
	AEInstallEventHandler(kCoreEventClass, kAEPrintDocuments, gHandlePrintDocAEUPP, 0L, false);
	AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, gHandleQuitAppAEUPP, 0L, false);
}


//////////
//
// QTApp_HandleOpenApplicationAppleEvent
// Launched without documents: nothing to open.
//
//////////

OSErr QTApp_HandleOpenApplicationAppleEvent (const AppleEvent *theMessage, AppleEvent *theReply, SRefCon theRefcon)
{
	(void)theMessage;
	(void)theReply;
	(void)theRefcon;

	return(noErr);
}


//////////
//
// QTApp_HandleOpenDocumentAppleEvent
// Open each listed document in a window: a movie, or a sound or image file the Open
// dialog would also show. A document that cannot be found, read or opened here is
// reported to the user and passed over, so the others still open; the first error is
// the event's result.
//
//////////

OSErr QTApp_HandleOpenDocumentAppleEvent (const AppleEvent *theMessage, AppleEvent *theReply, SRefCon theRefcon)
{
	AEDescList		myDocList;
	SInt32			myIndex;
	SInt32			myItemsInList = 0;
	AEKeyword		myKeyWd;
	DescType		myTypeCode;
	Size			myActualSize;
	FSSpec			myFSSpec;
	FInfo			myFinderInfo;
	OSErr			myIgnoreErr = noErr;
	OSErr			myItemErr = noErr;
	OSErr			myErr = noErr;

	(void)theReply;
	(void)theRefcon;

	myDocList.descriptorType = typeNull;
	myDocList.dataHandle = NULL;

	myErr = AEGetParamDesc(theMessage, keyDirectObject, typeAEList, &myDocList);
	if (myErr == noErr)
		myErr = AECountItems(&myDocList, &myItemsInList);

	if (myErr == noErr) {
		for (myIndex = 1; myIndex <= myItemsInList; myIndex++) {
			myItemErr = AEGetNthPtr(&myDocList, myIndex, typeFSS, &myKeyWd, &myTypeCode, (Ptr)&myFSSpec, sizeof(myFSSpec), &myActualSize);
			if (myItemErr != noErr) {
				// no file to name: its folder is missing, or the item is no file at all
				QTFrame_ShowFileWarning((char *)"Could not open a document", NULL, myItemErr);
			} else {
				myItemErr = FSpGetFInfo(&myFSSpec, &myFinderInfo);
				if (myItemErr != noErr)
					QTFrame_ShowFileWarning((char *)"Could not open", myFSSpec.name, myItemErr);
				else if (QTUtils_IsMovieFile(&myFSSpec) || QTUtils_IsImageFile(&myFSSpec))
					QTFrame_OpenMovieInWindow(NULL, &myFSSpec);
				else {
					// named by the user, so never passed over in silence
					myItemErr = cantFindHandler;
					QTFrame_ShowFileWarning((char *)"Could not open", myFSSpec.name, myItemErr);
				}
			}

			if (myErr == noErr)
				myErr = myItemErr;
		}
	}

	if (myDocList.dataHandle != NULL)
		myIgnoreErr = AEDisposeDesc(&myDocList);
	(void)myIgnoreErr;

	gAppInForeground = true;

	return(myErr);
}


//////////
//
// QTApp_HandlePrintDocumentAppleEvent
// Printing is refused.
//
//////////

OSErr QTApp_HandlePrintDocumentAppleEvent (const AppleEvent *theMessage, AppleEvent *theReply, SRefCon theRefcon)
{
	(void)theMessage;
	(void)theReply;
	(void)theRefcon;

	return(errAEEventNotHandled);
}


//////////
//
// QTApp_HandleQuitApplicationAppleEvent
// Start the shutdown.
//
//////////

OSErr QTApp_HandleQuitApplicationAppleEvent (const AppleEvent *theMessage, AppleEvent *theReply, SRefCon theRefcon)
{
	(void)theMessage;
	(void)theReply;
	(void)theRefcon;

	QTFrame_QuitFramework();

	return(noErr);
}
