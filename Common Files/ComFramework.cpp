//////////
//
//	File:		ComFramework.cpp
//
//	Contains:	The document framework: window objects, opening movies and images
//				into windows, the File and Edit commands and menu state, and saving.
//				The file dialogs are in ComFileDialogs.cpp.
//
//////////

#include "ComFramework.h"
#include "MacFramework.h"
#include "ComApplication.h"
#include "QTUtilities.h"
#include "CreateMovie.h"
#include "QTFlatten.h"


//////////
//
// global variables
//
//////////

Rect					gMCResizeBounds;				// the limit of resizing with a grow box


static void				QTFrame_ShowMovieProblems (Movie theMovie, FSSpecPtr theFSSpec);
static void				QTFrame_FitControllerToScreen (MovieController theMC, const Rect *theMovieBox);

// a new movie window's content goes to (50, 50); its frame takes a few pixels beyond it
#define kQTFrameWindowPlace			50
#define kQTFrameFrameAllowance		8


//////////
//
// window objects
//
//////////

//////////
//
// QTFrame_CreateWindowObject
// Create the window object of a new movie window and make the window's port current.
//
//////////

void QTFrame_CreateWindowObject (WindowReference theWindow)
{
	WindowObject		myWindowObject = NULL;

	if (theWindow == NULL)
		return;

	myWindowObject = (WindowObject)NewHandleClear(sizeof(WindowObjectRecord));
	if (myWindowObject != NULL) {
		(**myWindowObject).fWindow = theWindow;
		(**myWindowObject).fController = NULL;
		(**myWindowObject).fObjectType = kApplicationSignature;
		(**myWindowObject).fCanResizeWindow = true;
		(**myWindowObject).fInstance = 0;
		(**myWindowObject).fIsDirty = false;
		(**myWindowObject).fAppData = NULL;
	}

	SetWRefCon(theWindow, (SRefCon)myWindowObject);

	SetPort(GetWindowPort(theWindow));
}


//////////
//
// QTFrame_CloseWindowObject
// Release everything a window object holds, and the object itself.
//
//////////

void QTFrame_CloseWindowObject (WindowObject theWindowObject)
{
	if (theWindowObject == NULL)
		return;

	if ((**theWindowObject).fFileRefNum != -1) {
		CloseMovieFile((**theWindowObject).fFileRefNum);
		(**theWindowObject).fFileRefNum = -1;
	}

	if ((**theWindowObject).fController != NULL) {
		MCSetActionFilterWithRefCon((**theWindowObject).fController, NULL, 0);
		DisposeMovieController((**theWindowObject).fController);
		(**theWindowObject).fController = NULL;
	}

	if ((**theWindowObject).fMovie != NULL) {
		DisposeMovie((**theWindowObject).fMovie);
		(**theWindowObject).fMovie = NULL;
	}

	if ((**theWindowObject).fGraphicsImporter != NULL) {
		CloseComponent((**theWindowObject).fGraphicsImporter);
		(**theWindowObject).fGraphicsImporter = NULL;
	}

	QTApp_RemoveWindowObject(theWindowObject);

	DisposeHandle((Handle)theWindowObject);
}


//////////
//
// QTFrame_GetWindowObjectFromWindow
// The window object of a movie window, or NULL.
//
//////////

WindowObject QTFrame_GetWindowObjectFromWindow (WindowReference theWindow)
{
	WindowObject		myWindowObject = NULL;

	if (!QTFrame_IsAppWindow(theWindow))
		return(NULL);

	myWindowObject = (WindowObject)GetWRefCon(theWindow);

	if (!QTFrame_IsWindowObjectOurs(myWindowObject))
		return(NULL);

	return(myWindowObject);
}


WindowObject QTFrame_GetWindowObjectFromFrontWindow (void)
{
	return(QTFrame_GetWindowObjectFromWindow(QTFrame_GetFrontMovieWindow()));
}


MovieController QTFrame_GetMCFromWindow (WindowReference theWindow)
{
	WindowObject		myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);

	if (myWindowObject == NULL)
		return(NULL);

	return((**myWindowObject).fController);
}


MovieController QTFrame_GetMCFromFrontWindow (void)
{
	return(QTFrame_GetMCFromWindow(QTFrame_GetFrontMovieWindow()));
}


QTVRInstance QTFrame_GetQTVRInstanceFromWindow (WindowReference theWindow)
{
	WindowObject		myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);

	if (myWindowObject == NULL)
		return(0);

	return((**myWindowObject).fInstance);
}


QTVRInstance QTFrame_GetQTVRInstanceFromFrontWindow (void)
{
	return(QTFrame_GetQTVRInstanceFromWindow(QTFrame_GetFrontMovieWindow()));
}


Handle QTFrame_GetAppDataFromWindow (WindowReference theWindow)
{
	WindowObject		myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);

	if (myWindowObject == NULL)
		return(NULL);

	return(QTFrame_GetAppDataFromWindowObject(myWindowObject));
}


Handle QTFrame_GetAppDataFromFrontWindow (void)
{
	return(QTFrame_GetAppDataFromWindow(QTFrame_GetFrontMovieWindow()));
}


Handle QTFrame_GetAppDataFromWindowObject (WindowObject theWindowObject)
{
	if (!QTFrame_IsWindowObjectOurs(theWindowObject))
		return(NULL);

	return((**theWindowObject).fAppData);
}


//////////
//
// QTFrame_IsWindowObjectOurs
// Does the handle hold a window object of this framework?
//
//////////

Boolean QTFrame_IsWindowObjectOurs (WindowObject theWindowObject)
{
	if (theWindowObject == NULL)
		return(false);

	if (*theWindowObject == NULL)
		return(false);

	return((**theWindowObject).fObjectType == kApplicationSignature);
}


//////////
//
// QTFrame_IsAppWindow
// Is the window one of the application's own kind?
//
//////////

Boolean QTFrame_IsAppWindow (WindowReference theWindow)
{
	if (theWindow == NULL)
		return(false);

	// userKind (8) and above
	return(GetWindowKind(theWindow) > 7);
}


Boolean QTFrame_IsDocWindow (WindowReference theWindow)
{
	return(QTFrame_IsAppWindow(theWindow));
}


WindowReference QTFrame_GetFrontAppWindow (void)
{
	return(FrontWindow());
}


WindowReference QTFrame_GetNextAppWindow (WindowReference theWindow)
{
	if (theWindow == NULL)
		return(NULL);

	return(GetNextWindow(theWindow));
}


//////////
//
// QTFrame_GetFrontMovieWindow
// The front-most window that has a window object.
//
//////////

WindowReference QTFrame_GetFrontMovieWindow (void)
{
	WindowReference		myWindow = QTFrame_GetFrontAppWindow();

	while ((myWindow != NULL) && (QTFrame_GetWindowObjectFromWindow(myWindow) == NULL))
		myWindow = QTFrame_GetNextAppWindow(myWindow);

	return(myWindow);
}


WindowReference QTFrame_GetNextMovieWindow (WindowReference theWindow)
{
	WindowReference		myWindow = QTFrame_GetNextAppWindow(theWindow);

	while ((myWindow != NULL) && (QTFrame_GetWindowObjectFromWindow(myWindow) == NULL))
		myWindow = QTFrame_GetNextAppWindow(myWindow);

	return(myWindow);
}


GrafPtr QTFrame_GetPortFromWindowReference (WindowReference theWindow)
{
	return((GrafPtr)GetWindowPort(theWindow));
}


WindowReference QTFrame_GetWindowReferenceFromPort (GrafPtr thePort)
{
	return((WindowReference)GetWindowFromPort((CGrafPtr)thePort));
}


WindowPtr QTFrame_GetWindowFromWindowReference (WindowReference theWindow)
{
	return((WindowPtr)theWindow);
}


SInt16 QTFrame_GetWindowWidth (WindowReference theWindow)
{
	Rect		myRect = {0, 0, 0, 0};

	if (theWindow == NULL)
		return(0);

	GetWindowPortBounds(theWindow, &myRect);

	return((SInt16)(myRect.right - myRect.left));
}


void QTFrame_SetWindowTitleFromFSSpec (WindowReference theWindow, FSSpecPtr theFSSpecPtr, Boolean theAddToRecentDocs)
{
	(void)theAddToRecentDocs;	// no recent-documents list on this platform

	SetWTitle(theWindow, theFSSpecPtr->name);
}


//////////
//
// opening movies into windows
//
//////////

//////////
//
// QTFrame_OpenMovieInWindow
// Open a movie (given, or from a file given or chosen) or an image in a new window.
//
//////////

Boolean QTFrame_OpenMovieInWindow (Movie theMovie, FSSpecPtr theFSSpec)
{
	WindowObject			myWindowObject = NULL;
	Movie					myMovie = NULL;
	MovieController			myMC = NULL;
	GraphicsImportComponent	myImporter = NULL;
	WindowReference			myWindow = NULL;
	FSSpec					myFSSpec;
	SInt16					myRefNum = -1;
	SInt16					myResID = 0;
	OSType					myTypeList[] = {kQTFileTypeMovie, kQTFileTypeQuickTimeImage};
	SInt16					myNumTypes = 0;
	QTFrameFileFilterUPP	myFileFilterUPP = NULL;
	OSErr					myErr = noErr;
	Point					myPoint;
	Rect					myRect = {0, 0, 0, 0};
	GrafPtr					mySavedPort;
	Boolean					myHaveFile = false;

	GetPort(&mySavedPort);

	// no movie and no file: ask the user for a file
	if ((theMovie == NULL) && (theFSSpec == NULL)) {
		myFileFilterUPP = QTFrame_GetFileFilterUPP((NavObjectFilterProcPtr)QTFrame_FilterFiles);

		myErr = QTFrame_GetOneFileWithPreview(myNumTypes, (QTFrameTypeListPtr)myTypeList, &myFSSpec, myFileFilterUPP);

		if (myFileFilterUPP != NULL)
			DisposeNavObjectFilterUPP(myFileFilterUPP);

		if (myErr != noErr)
			goto bail;

		myHaveFile = true;
	}

	if (theFSSpec != NULL) {
		// a copy first: an FSSpec that cannot be made again still names the file
		myFSSpec = *theFSSpec;
		FSMakeFSSpec(theFSSpec->vRefNum, theFSSpec->parID, theFSSpec->name, &myFSSpec);
		myHaveFile = true;
	}

	if (theMovie == NULL) {
		// an image file?
		GetGraphicsImporterForFile(&myFSSpec, &myImporter);
		if (myImporter == NULL) {
			// open the movie file with the best permission we can get
			myErr = OpenMovieFile(&myFSSpec, &myRefNum, fsRdWrPerm);
			if (myErr != noErr)
				myErr = OpenMovieFile(&myFSSpec, &myRefNum, fsRdPerm);
			if (myErr != noErr) {
				myRefNum = -1;
				goto bail;
			}

			myErr = NewMovieFromFile(&myMovie, myRefNum, &myResID, NULL, newMovieActive, NULL);
			if (myErr != noErr)
				goto bail;
		}
	} else {
		myMovie = theMovie;
	}

	if (myMovie != NULL)
		SetMovieProgressProc(myMovie, kMovieDefaultProgressProc, 0);

	myWindow = QTFrame_CreateMovieWindow();
	if (myWindow == NULL)
		goto bail;

	myWindowObject = QTFrame_GetWindowObjectFromWindow(myWindow);
	if (myWindowObject == NULL)
		goto bail;

	QTFrame_SetWindowTitleFromFSSpec(myWindow, &myFSSpec, true);

	if (myMovie != NULL)
		SetMovieGWorld(myMovie, GetWindowPort(myWindow), NULL);

	if (myImporter != NULL)
		GraphicsImportSetGWorld(myImporter, GetWindowPort(myWindow), NULL);

	myMC = QTFrame_SetupController(myMovie, myWindow, true);

	(**myWindowObject).fMovie = myMovie;
	(**myWindowObject).fController = myMC;
	(**myWindowObject).fGraphicsImporter = myImporter;
	(**myWindowObject).fFileResID = myResID;
	(**myWindowObject).fFileRefNum = myRefNum;
	(**myWindowObject).fCanResizeWindow = true;
	(**myWindowObject).fIsDirty = false;
	(**myWindowObject).fIsQTVRMovie = QTUtils_IsQTVRMovie(myMovie);
	(**myWindowObject).fInstance = 0;
	(**myWindowObject).fAppData = NULL;
	(**myWindowObject).fFileFSSpec = myFSSpec;

	QTApp_SetupWindowObject(myWindowObject);

	QTFrame_SizeWindowToMovie(myWindowObject);

	if (myMovie != NULL)
		SetMoviePlayHints(myMovie, hintsAllowDynamicResize, hintsAllowDynamicResize);

	// place the window where the movie asks, or at (50, 50)
	QTUtils_GetWindowPositionFromFile(myMovie, &myPoint);
	MoveWindow(myWindow, myPoint.h, myPoint.v, false);

	ShowWindow(myWindow);
	SelectWindow(myWindow);
	InvalWindowRect(myWindow, GetWindowPortBounds(myWindow, &myRect));

	// a streamed movie starts playing at once
	if (QTUtils_IsStreamedMovie(myMovie))
		MCDoAction(myMC, mcActionPrerollAndPlay, (void *)(intptr_t)GetMoviePreferredRate(myMovie));

	// a track that cannot be played is otherwise noticed by nobody
	if (myHaveFile)
		QTFrame_ShowMovieProblems(myMovie, &myFSSpec);

	return(true);

bail:
	if (myWindow != NULL) {
		// the window object may already hold parts: release what it does not own yet
		if (myWindowObject != NULL)
			DisposeHandle((Handle)myWindowObject);
		DisposeWindow(myWindow);
	}

	if (myMC != NULL)
		DisposeMovieController(myMC);

	if (myMovie != NULL)
		DisposeMovie(myMovie);

	if (myRefNum != -1)
		CloseMovieFile(myRefNum);

	if (myImporter != NULL)
		CloseComponent(myImporter);

	SetPort(mySavedPort);

	// the user chose or named a file and nothing opened: say why
	if (myHaveFile)
		QTFrame_ShowFileWarning((char *)"Could not open", myFSSpec.name, myErr);

	return(false);
}


//////////
//
// QTFrame_ShowMovieProblems
// Tell the user, once as the movie opens, that a sound track of it cannot be played:
// the movie plays on without that sound, which nobody would otherwise notice. Video
// that cannot be decoded says so in the window itself.
//
//////////

static void QTFrame_ShowMovieProblems (Movie theMovie, FSSpecPtr theFSSpec)
{
	Track					myTrack = NULL;
	Media					myMedia = NULL;
	SampleDescriptionHandle	myDesc = NULL;
	ComponentResult			myStatus = noErr;
	SInt32					myIndex;
	SInt16					myChar;
	char					myFormat[7] = {'\'', '?', '?', '?', '?', '\'', '\0'};
	char					*myReason = NULL;
	Str255					myMessage;

	if (theMovie == NULL)
		return;

	// the quick answer for the usual movie that plays whole
	if (GetMovieStatus(theMovie, NULL) == noErr)
		return;

	for (myIndex = 1; ; myIndex++) {
		myTrack = GetMovieIndTrackType(theMovie, myIndex, SoundMediaType, movieTrackMediaType | movieTrackEnabledOnly);
		if (myTrack == NULL)
			return;

		myStatus = GetTrackStatus(myTrack);
		if (myStatus != noErr)
			break;
	}

	// the format of the track's sound, as four characters
	myMedia = GetTrackMedia(myTrack);
	myDesc = (SampleDescriptionHandle)NewHandleClear(sizeof(SampleDescription));
	if ((myMedia != NULL) && (myDesc != NULL)) {
		GetMediaSampleDescription(myMedia, 1, myDesc);
		if ((GetMoviesError() == noErr) && (GetHandleSize((Handle)myDesc) >= (Size)sizeof(SampleDescription))) {
			for (myChar = 0; myChar < 4; myChar++) {
				char	myByte = (char)(((UInt32)(**myDesc).dataFormat >> (24 - (8 * myChar))) & 0xFF);

				if ((myByte >= ' ') && (myByte <= '~'))
					myFormat[myChar + 1] = myByte;
			}
		}
	}
	if (myDesc != NULL)
		DisposeHandle((Handle)myDesc);

	myReason = QTUtils_GetErrorReason((OSErr)myStatus);

	myMessage[0] = 0;
	QTUtils_AppendCStringToPascalString(myMessage, (char *)"Cannot play the sound of \xE2\x80\x9C");
	QTUtils_AppendPascalString(myMessage, theFSSpec->name);
	QTUtils_AppendCStringToPascalString(myMessage, (char *)"\xE2\x80\x9D (");
	QTUtils_AppendCStringToPascalString(myMessage, myFormat);
	QTUtils_AppendCStringToPascalString(myMessage, (char *)"): ");
	QTUtils_AppendCStringToPascalString(myMessage, myReason);
	QTUtils_AppendCStringToPascalString(myMessage, (char *)". The movie plays without it.");

	QTFrame_ShowWarning(myMessage, (OSErr)myStatus);
}


//////////
//
// QTFrame_CreateNewMovie
// Open a window on a new, empty movie.
//
//////////

Boolean QTFrame_CreateNewMovie (void)
{
	Movie				myMovie = NULL;
	FSSpec				myFSSpec;
	StringPtr			myName = QTUtils_ConvertCToPascalString((char *)"untitled.mov");

	myMovie = NewMovie(newMovieActive);
	if (myMovie == NULL) {
		free(myName);
		return(false);
	}

	FSMakeFSSpec(0, 0, myName, &myFSSpec);

	free(myName);

	return(QTFrame_OpenMovieInWindow(myMovie, &myFSSpec));
}


//////////
//
// QTFrame_SetupController
// Make a movie controller for a movie in a window.
//
//////////

MovieController QTFrame_SetupController (Movie theMovie, WindowReference theWindow, Boolean theMoveWindow)
{
	MovieController				myMC = NULL;
	WindowObject				myWindowObject = NULL;
	Rect						myRect;
	GrafPtr						mySavedPort;
	static MCActionFilterWithRefConUPP	myActionFilterUPP = NULL;	// one filter serves every controller

	if ((theMovie == NULL) || (theWindow == NULL))
		return(NULL);

	myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);
	if (myWindowObject == NULL)
		return(NULL);

	GetPort(&mySavedPort);
	SetPort(GetWindowPort(theWindow));

	// the movie box goes to the origin
	GetMovieBox(theMovie, &myRect);
	OffsetRect(&myRect, -myRect.left, -myRect.top);
	SetMovieBox(theMovie, &myRect);

	// a window that keeps its place (Save As) is not aligned: that would move it
	if (theMoveWindow)
		AlignWindow(theWindow, false, &myRect, NULL);

	myMC = NewMovieController(theMovie, &myRect, mcTopLeftMovie);
	if (myMC == NULL) {
		SetPort(mySavedPort);
		return(NULL);
	}

	// a movie bigger than the screen is shown smaller, in a window that fits
	if (theMoveWindow)
		QTFrame_FitControllerToScreen(myMC, &myRect);

	MCEnableEditing(myMC, true);

	MCDoAction(myMC, mcActionSetUseBadge, (void *)false);

	QTUtils_SetLoopingStateFromFile(theMovie, myMC);

	if (myActionFilterUPP == NULL)
		myActionFilterUPP = NewMCActionFilterWithRefConUPP(QTApp_MCActionFilterProc);
	MCSetActionFilterWithRefCon(myMC, myActionFilterUPP, (SRefCon)myWindowObject);

	if ((**myWindowObject).fCanResizeWindow) {
		GetRegionBounds(GetGrayRgn(), &gMCResizeBounds);
		MCDoAction(myMC, mcActionSetGrowBoxBounds, &gMCResizeBounds);
	}

	if (theMoveWindow)
		MoveWindow(theWindow, 50, 50, false);

	SetPort(mySavedPort);

	QTApp_SetupController(myMC);

	return(myMC);
}


//////////
//
// QTFrame_FitControllerToScreen
// Scale a movie down, its aspect kept, until it and its controller bar fit
// on the screen below and to the right of where a new window goes; a movie
// that fits is left alone.
//
//////////

static void QTFrame_FitControllerToScreen (MovieController theMC, const Rect *theMovieBox)
{
	Rect				myScreen;
	Rect				myBounds;
	SInt32				myBarHeight;
	SInt32				myRoomH, myRoomV;
	SInt32				myWidth, myHeight;
	SInt32				myNewWidth, myNewHeight;

	GetRegionBounds(GetGrayRgn(), &myScreen);
	if (MCGetControllerBoundsRect(theMC, &myBounds) != noErr)
		return;

	myWidth = theMovieBox->right - theMovieBox->left;
	myHeight = theMovieBox->bottom - theMovieBox->top;
	myBarHeight = (myBounds.bottom - myBounds.top) - myHeight;
	myRoomH = myScreen.right - kQTFrameWindowPlace - kQTFrameFrameAllowance;
	myRoomV = myScreen.bottom - kQTFrameWindowPlace - kQTFrameFrameAllowance - myBarHeight;

	if ((myWidth <= myRoomH) && (myHeight <= myRoomV))
		return;
	if ((myRoomH < 1) || (myRoomV < 1) || (myWidth < 1) || (myHeight < 1))
		return;

	// the side with less room decides; the other follows in proportion
	if ((SInt64)myWidth * myRoomV > (SInt64)myHeight * myRoomH) {
		myNewWidth = myRoomH;
		myNewHeight = (SInt32)((SInt64)myHeight * myRoomH / myWidth);
	} else {
		myNewHeight = myRoomV;
		myNewWidth = (SInt32)((SInt64)myWidth * myRoomV / myHeight);
	}
	if (myNewWidth < 1)
		myNewWidth = 1;
	if (myNewHeight < 1)
		myNewHeight = 1;

	myBounds.right = (SInt16)(myBounds.left + myNewWidth);
	myBounds.bottom = (SInt16)(myBounds.top + myNewHeight + myBarHeight);
	MCSetControllerBoundsRect(theMC, &myBounds);
}


//////////
//
// QTFrame_SizeWindowToMovie
// Size the window to its movie and visible controller, or to its image.
//
//////////

void QTFrame_SizeWindowToMovie (WindowObject theWindowObject)
{
	Rect					myRect;
	WindowReference			myWindow;

	if (theWindowObject == NULL)
		return;

	myWindow = (**theWindowObject).fWindow;

	if ((**theWindowObject).fGraphicsImporter != NULL) {
		GraphicsImportGetBoundsRect((**theWindowObject).fGraphicsImporter, &myRect);
	} else {
		if ((**theWindowObject).fMovie == NULL)
			return;

		GetMovieBox((**theWindowObject).fMovie, &myRect);
		if ((**theWindowObject).fController != NULL)
			if (MCGetVisible((**theWindowObject).fController))
				MCGetControllerBoundsRect((**theWindowObject).fController, &myRect);

		// bounds without a width keep the window's width
		if (myRect.right == myRect.left) {
			myRect.left = 0;
			myRect.right = QTFrame_GetWindowWidth(myWindow);
		}
	}

	SizeWindow(myWindow, (SInt16)(myRect.right - myRect.left), (SInt16)(myRect.bottom - myRect.top), true);
}


//////////
//
// QTFrame_ActivateController
// Activate or deactivate the controller of a window.
//
//////////

void QTFrame_ActivateController (WindowReference theWindow, Boolean IsActive)
{
	WindowObject		myWindowObject = NULL;
	GrafPtr				mySavedPort;

	if (theWindow == NULL)
		return;

	GetPort(&mySavedPort);
	SetPort(GetWindowPort(theWindow));

	myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);
	if (myWindowObject != NULL)
		if ((**myWindowObject).fController != NULL)
			MCActivate((**myWindowObject).fController, theWindow, IsActive);

	SetPort(mySavedPort);
}


//////////
//
// QTFrame_IdleMovieWindows
// Give every movie window its idle time; also used while a dialog is up.
//
//////////

void QTFrame_IdleMovieWindows (void)
{
	WindowReference		myWindow = NULL;
	MovieController		myMC = NULL;

	myWindow = QTFrame_GetFrontMovieWindow();
	while (myWindow != NULL) {
		myMC = QTFrame_GetMCFromWindow(myWindow);
		if (myMC != NULL)
			MCIdle(myMC);

		QTApp_Idle(myWindow);

		myWindow = QTFrame_GetNextMovieWindow(myWindow);
	}
}


//////////
//
// QTFrame_CloseMovieWindows
// Close every movie window, front to back; a window the user keeps open is passed over.
//
//////////

void QTFrame_CloseMovieWindows (void)
{
	WindowReference		myWindow = NULL;
	WindowReference		myNextWindow = NULL;

	myWindow = QTFrame_GetFrontMovieWindow();
	while (myWindow != NULL) {
		myNextWindow = QTFrame_GetNextMovieWindow(myWindow);
		QTFrame_DestroyMovieWindow(myWindow);
		myWindow = myNextWindow;
	}
}


//////////
//
// File and Edit commands and menu state
//
//////////

//////////
//
// QTFrame_HandleFileMenuItem
// Carry out a File command on the front movie window.
//
//////////

void QTFrame_HandleFileMenuItem (WindowReference theWindow, UInt16 theMenuItem)
{
	// the application gets the first chance at the command
	if (QTApp_HandleMenu(theMenuItem))
		return;

	switch (theMenuItem) {
		case IDM_FILENEW:
			CreateAMovie();
			break;

		case IDM_FILEOPEN:
			QTFrame_OpenMovieInWindow(NULL, NULL);
			break;

		case IDM_FILECLOSE:
			QTFrame_DestroyMovieWindow(theWindow);
			break;

		case IDM_FILESAVE:
			QTFrame_UpdateMovieFile(theWindow);
			break;

		case IDM_FILESAVEAS:
			QTFrame_SaveAsMovieFile(theWindow);
			break;

		case IDM_EXIT:
			QTFrame_QuitFramework();
			break;

		default:
			break;
	}
}


//////////
//
// QTFrame_HandleEditMenuItem
// Carry out an Edit command through the front movie's controller and the scrap.
//
//////////

void QTFrame_HandleEditMenuItem (WindowReference theWindow, UInt16 theMenuItem)
{
	WindowObject		myWindowObject = NULL;
	MovieController		myMC = NULL;
	Movie				myEditMovie = NULL;

	if (QTApp_HandleMenu(theMenuItem))
		return;

	myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);
	myMC = QTFrame_GetMCFromWindow(theWindow);
	if ((myWindowObject == NULL) || (myMC == NULL))
		return;

	switch (theMenuItem) {
		case IDM_EDITUNDO:
			MCUndo(myMC);
			(**myWindowObject).fIsDirty = true;
			break;

		case IDM_EDITCUT:
			myEditMovie = MCCut(myMC);
			(**myWindowObject).fIsDirty = true;
			break;

		case IDM_EDITCOPY:
			myEditMovie = MCCopy(myMC);
			break;

		case IDM_EDITPASTE:
			MCPaste(myMC, NULL);
			(**myWindowObject).fIsDirty = true;
			break;

		case IDM_EDITCLEAR:
			MCClear(myMC);
			(**myWindowObject).fIsDirty = true;
			break;

		case IDM_EDITSELECTALL:
			QTUtils_SelectAllMovie(myMC);
			break;

		case IDM_EDITSELECTNONE:
			QTUtils_SelectNoneMovie(myMC);
			break;

		default:
			break;
	}

	// a cut or copied segment goes to the scrap
	if (myEditMovie != NULL) {
		PutMovieOnScrap(myEditMovie, 0L);
		DisposeMovie(myEditMovie);
	}
}


//////////
//
// QTFrame_AdjustMenus
// Bring the File and Edit menus in line with the front window.
//
//////////

SInt32 QTFrame_AdjustMenus (WindowReference theWindow, MenuReference theMenu)
{
	WindowObject		myWindowObject = NULL;
	MovieController		myMC = NULL;
	MenuReference		myMenu = NULL;

	if (theWindow != NULL)
		myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);

	if (myWindowObject != NULL)
		myMC = (**myWindowObject).fController;

	// the Edit menu, from the controller's state
	myMenu = GetMenuHandle(kEditMenuResID);
	if (myMC != NULL) {
		SInt32		myFlags;

		MCGetControllerInfo(myMC, &myFlags);

		QTFrame_SetMenuItemState(myMenu, IDM_EDITUNDO, (myFlags & mcInfoUndoAvailable) ? kEnableMenuItem : kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITCUT, (myFlags & mcInfoCutAvailable) ? kEnableMenuItem : kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITCOPY, (myFlags & mcInfoCopyAvailable) ? kEnableMenuItem : kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITPASTE, (myFlags & mcInfoPasteAvailable) ? kEnableMenuItem : kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITCLEAR, (myFlags & mcInfoClearAvailable) ? kEnableMenuItem : kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITSELECTALL, (myFlags & mcInfoEditingEnabled) ? kEnableMenuItem : kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITSELECTNONE, (myFlags & mcInfoEditingEnabled) ? kEnableMenuItem : kDisableMenuItem);
	} else {
		QTFrame_SetMenuItemState(myMenu, IDM_EDITUNDO, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITCUT, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITCOPY, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITPASTE, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITCLEAR, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITSELECTALL, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_EDITSELECTNONE, kDisableMenuItem);
	}

	// the File menu; New, Open and Quit keep the state the resource gives them
	myMenu = GetMenuHandle(kFileMenuResID);
	if (theWindow == NULL) {
		QTFrame_SetMenuItemState(myMenu, IDM_FILESAVE, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_FILESAVEAS, kDisableMenuItem);
		QTFrame_SetMenuItemState(myMenu, IDM_FILECLOSE, kDisableMenuItem);
	} else {
		QTFrame_SetMenuItemState(myMenu, IDM_FILECLOSE, kEnableMenuItem);
		if (myWindowObject != NULL) {
			QTFrame_SetMenuItemState(myMenu, IDM_FILESAVEAS, kEnableMenuItem);
			QTFrame_SetMenuItemState(myMenu, IDM_FILESAVE, (**myWindowObject).fIsDirty ? kEnableMenuItem : kDisableMenuItem);
		} else {
			QTFrame_SetMenuItemState(myMenu, IDM_FILESAVEAS, kDisableMenuItem);
			QTFrame_SetMenuItemState(myMenu, IDM_FILESAVE, kDisableMenuItem);
		}
	}

	QTApp_AdjustMenus(theWindow, theMenu);

	return(0);
}


//////////
//
// QTFrame_SetMenuItemState
// Enable (0) or disable (any other value) an item, keeping its command-key modifiers.
//
//////////

void QTFrame_SetMenuItemState (MenuReference theMenu, UInt16 theMenuItem, SInt16 theState)
{
	UInt8		myModifiers = 0;
	SInt16		myItem = (SInt16)(theMenuItem & 0x00FF);

	GetMenuItemModifiers(theMenu, myItem, &myModifiers);

	if (theState == kEnableMenuItem)
		EnableMenuItem(theMenu, myItem);
	else
		DisableMenuItem(theMenu, myItem);

	SetMenuItemModifiers(theMenu, myItem, myModifiers);
}


//////////
//
// QTFrame_SetMenuState
// Enable or disable a whole menu.
//
//////////

void QTFrame_SetMenuState (MenuReference theMenu, UInt16 theMenuItem, SInt16 theState)
{
	(void)theMenuItem;

	if (theState == kEnableMenuItem)
		EnableMenuItem(theMenu, 0);
	else
		DisableMenuItem(theMenu, 0);
}


//////////
//
// QTFrame_SetMenuItemLabel
// Set an item's text from a label, leaving out every '&' (an access-key marker).
//
//////////

void QTFrame_SetMenuItemLabel (MenuReference theMenu, UInt16 theMenuItem, char *theText)
{
	Str255		myString;
	SInt16		myIndex;
	SInt16		myLength = 0;

	for (myIndex = 0; (theText[myIndex] != '\0') && (myLength < 255); myIndex++)
		if (theText[myIndex] != '&')
			myString[++myLength] = (unsigned char)theText[myIndex];

	myString[0] = (unsigned char)myLength;

	SetMenuItemText(theMenu, (MenuItemIndex)(theMenuItem & 0x00FF), myString);
}


void QTFrame_SetMenuItemCheck (MenuReference theMenu, UInt16 theMenuItem, Boolean theState)
{
	CheckMenuItem(theMenu, (MenuItemIndex)(theMenuItem & 0x00FF), theState);
}


void QTFrame_Beep (void)
{
	SysBeep(30);
}


//////////
//
// saving
//
//////////

//////////
//
// QTFrame_SaveAsMovieFile
// Write a flattened copy of the window's movie to a file the user names, and make the
// copy the window's movie and file.
//
//////////

OSErr QTFrame_SaveAsMovieFile (WindowReference theWindow)
{
	WindowObject		myWindowObject = NULL;
	Movie				myMovie = NULL;
	MovieController		myMC = NULL;
	Movie				myNewMovie = NULL;
	MovieController		myNewMC = NULL;
	FSSpec				myFile;
	Boolean				myIsSelected = false;
	Boolean				myIsReplacing = false;
	SInt16				myRefNum = -1;
	SInt16				myResID = movieInDataForkResID;
	Boolean				myBarVisible = true;
	Boolean				mySpeakerVisible = true;
	StringPtr			myPrompt = QTUtils_ConvertCToPascalString((char *)"Save Movie as:");
	StringPtr			myFileName = QTUtils_ConvertCToPascalString((char *)"untitled.mov");
	OSErr				myErr = paramErr;

	myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);
	if (myWindowObject == NULL)
		goto bail;

	myMovie = (**myWindowObject).fMovie;
	myMC = (**myWindowObject).fController;
	if (myMovie == NULL)
		goto bail;

	QTFrame_PutFile(myPrompt, myFileName, &myFile, &myIsSelected, &myIsReplacing);
	if (!myIsSelected) {
		myErr = userCanceledErr;
		goto bail;
	}

	// the flattened copy
	myErr = QTSave_FlattenMovie(myMovie, &myFile);
	if (myErr != noErr)
		goto bail;

	myErr = OpenMovieFile(&myFile, &myRefNum, fsRdWrPerm);
	if (myErr != noErr)
		goto bail;

	myErr = NewMovieFromFile(&myNewMovie, myRefNum, &myResID, NULL, newMovieActive, NULL);
	if (myErr != noErr) {
		CloseMovieFile(myRefNum);
		goto bail;
	}

	myNewMC = QTFrame_SetupController(myNewMovie, theWindow, false);

	// what the user chose to show of the old controller, for the new one
	if (myMC != NULL) {
		myBarVisible = QTUtils_IsControllerBarVisible(myMC);
		mySpeakerVisible = QTUtils_IsControllerButtonVisible(myMC, kQTUtilsSpeakerButton);
	}

	if ((**myWindowObject).fFileRefNum != -1)
		CloseMovieFile((**myWindowObject).fFileRefNum);

	DisposeMovieController(myMC);
	DisposeMovie(myMovie);

	(**myWindowObject).fMovie = myNewMovie;
	(**myWindowObject).fController = myNewMC;
	(**myWindowObject).fFileFSSpec = myFile;
	(**myWindowObject).fFileResID = myResID;
	(**myWindowObject).fFileRefNum = myRefNum;
	(**myWindowObject).fIsDirty = false;

	// the new controller shows the bar and speaker as the old one did, so the window,
	// sized for the old one, fits it and the menu speaks of what is shown
	if (myNewMC != NULL) {
		if (QTUtils_IsControllerButtonVisible(myNewMC, kQTUtilsSpeakerButton) != mySpeakerVisible)
			QTUtils_ToggleControllerButton(myNewMC, kQTUtilsSpeakerButton);
		if (!myBarVisible)
			QTUtils_HideControllerBar(myNewMC);
	}

	SetMovieGWorld(myNewMovie, GetWindowPort(theWindow), NULL);

	QTFrame_SetWindowTitleFromFSSpec(theWindow, &myFile, true);

	myErr = noErr;

bail:
	// a copy that could not be written or read back: the window keeps its movie and file
	if (myIsSelected)
		QTFrame_ShowFileWarning((char *)"Could not save", myFile.name, myErr);

	free(myPrompt);
	free(myFileName);

	return(myErr);
}


//////////
//
// QTFrame_UpdateMovieFile
// Save the window's movie back into its file (or, without a file, Save As).
//
// The window stays dirty unless the save succeeded, so a cancelled or failed save
// still protects its edits; a failure is shown to the user with its reason.
//
//////////

Boolean QTFrame_UpdateMovieFile (WindowReference theWindow)
{
	WindowObject		myWindowObject = NULL;
	Movie				myMovie = NULL;
	FSSpec				myFSSpec;
	OSErr				myErr = noErr;

	myWindowObject = QTFrame_GetWindowObjectFromWindow(theWindow);
	if (myWindowObject == NULL)
		return(false);

	myMovie = (**myWindowObject).fMovie;
	if (myMovie == NULL)
		return(false);

	// the saved movie keeps the volume it is playing at
	QTUtils_UpdateMovieVolumeSetting(myMovie);

	if ((**myWindowObject).fFileRefNum == -1) {
		myErr = QTFrame_SaveAsMovieFile(theWindow);
	} else {
		myErr = UpdateMovieResource(myMovie, (**myWindowObject).fFileRefNum, (**myWindowObject).fFileResID, NULL);
		if (myErr != noErr) {
			// a copy of the name: the window object may move while the alert is up
			myFSSpec = (**myWindowObject).fFileFSSpec;
			QTFrame_ShowFileWarning((char *)"Could not save", myFSSpec.name, myErr);
		}
	}

	if (myErr == noErr)
		(**myWindowObject).fIsDirty = false;

	return(myErr == noErr);
}
