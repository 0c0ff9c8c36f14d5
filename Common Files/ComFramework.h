//////////
//
//	File:		ComFramework.h
//
//	Contains:	The document framework: window objects, opening movies and images
//				into windows, the File and Edit commands and menu state, saving, and
//				the file dialogs.
//
//////////

#pragma once

#include "MacPrefix.h"

//////////
//
// types
//
//////////

typedef WindowPtr				WindowReference;
typedef MenuHandle				MenuReference;
typedef SInt32					QTVRInstance;		// QuickTime VR is not present; always NULL

enum {
	kApplicationSignature		= 'Wobj'
};

// the per-window record
typedef struct {
	WindowReference				fWindow;			// the window whose reference constant holds this record
	Movie						fMovie;				// the movie shown; NULL for an image window
	MovieController				fController;		// the movie's controller
	GraphicsImportComponent		fGraphicsImporter;	// the importer of an image window
	FSSpec						fFileFSSpec;		// the file the movie or image came from
	SInt16						fFileResID;			// resource ID of the movie resource in the file
	SInt16						fFileRefNum;		// reference number of the open movie file; -1 for none
	Boolean						fCanResizeWindow;	// the controller gets grow-box bounds
	Boolean						fIsDirty;			// the movie has changes not yet saved
	Boolean						fIsQTVRMovie;		// the movie is a QuickTime VR movie
	QTVRInstance				fInstance;			// always NULL
	OSType						fObjectType;		// kApplicationSignature
	Handle						fAppData;			// the application's per-window data
} WindowObjectRecord, *WindowObjectPtr, **WindowObject;

typedef OSType					*QTFrameTypeListPtr;

// states of QTFrame_SetMenuItemState: 0 enables, any other value disables
enum {
	kEnableMenuItem				= 0,
	kDisableMenuItem			= 1
};
typedef NavObjectFilterUPP		QTFrameFileFilterUPP;

//////////
//
// globals
//
//////////

extern OSType					*gValidFileTypes;
extern Rect						gMCResizeBounds;

//////////
//
// window objects
//
//////////

void							QTFrame_CreateWindowObject (WindowReference theWindow);
void							QTFrame_CloseWindowObject (WindowObject theWindowObject);
WindowObject					QTFrame_GetWindowObjectFromWindow (WindowReference theWindow);
WindowObject					QTFrame_GetWindowObjectFromFrontWindow (void);
MovieController					QTFrame_GetMCFromWindow (WindowReference theWindow);
MovieController					QTFrame_GetMCFromFrontWindow (void);
QTVRInstance					QTFrame_GetQTVRInstanceFromWindow (WindowReference theWindow);
QTVRInstance					QTFrame_GetQTVRInstanceFromFrontWindow (void);
Handle							QTFrame_GetAppDataFromWindow (WindowReference theWindow);
Handle							QTFrame_GetAppDataFromFrontWindow (void);
Handle							QTFrame_GetAppDataFromWindowObject (WindowObject theWindowObject);
Boolean							QTFrame_IsWindowObjectOurs (WindowObject theWindowObject);
Boolean							QTFrame_IsAppWindow (WindowReference theWindow);
Boolean							QTFrame_IsDocWindow (WindowReference theWindow);
WindowReference					QTFrame_GetFrontAppWindow (void);
WindowReference					QTFrame_GetNextAppWindow (WindowReference theWindow);
WindowReference					QTFrame_GetFrontMovieWindow (void);
WindowReference					QTFrame_GetNextMovieWindow (WindowReference theWindow);
GrafPtr							QTFrame_GetPortFromWindowReference (WindowReference theWindow);
WindowReference					QTFrame_GetWindowReferenceFromPort (GrafPtr thePort);
WindowPtr						QTFrame_GetWindowFromWindowReference (WindowReference theWindow);
SInt16							QTFrame_GetWindowWidth (WindowReference theWindow);
void							QTFrame_SetWindowTitleFromFSSpec (WindowReference theWindow, FSSpecPtr theFSSpecPtr, Boolean theAddToRecentDocs);

//////////
//
// opening movies into windows
//
//////////

Boolean							QTFrame_OpenMovieInWindow (Movie theMovie, FSSpecPtr theFSSpec);
Boolean							QTFrame_CreateNewMovie (void);
MovieController					QTFrame_SetupController (Movie theMovie, WindowReference theWindow, Boolean theMoveWindow);
void							QTFrame_SizeWindowToMovie (WindowObject theWindowObject);
void							QTFrame_ActivateController (WindowReference theWindow, Boolean IsActive);
void							QTFrame_IdleMovieWindows (void);
void							QTFrame_CloseMovieWindows (void);

//////////
//
// File and Edit commands and menu state
//
//////////

void							QTFrame_HandleFileMenuItem (WindowReference theWindow, UInt16 theMenuItem);
void							QTFrame_HandleEditMenuItem (WindowReference theWindow, UInt16 theMenuItem);
SInt32							QTFrame_AdjustMenus (WindowReference theWindow, MenuReference theMenu);
void							QTFrame_SetMenuItemState (MenuReference theMenu, UInt16 theMenuItem, SInt16 theState);
void							QTFrame_SetMenuState (MenuReference theMenu, UInt16 theMenuItem, SInt16 theState);
void							QTFrame_SetMenuItemLabel (MenuReference theMenu, UInt16 theMenuItem, char *theText);
void							QTFrame_SetMenuItemCheck (MenuReference theMenu, UInt16 theMenuItem, Boolean theState);
void							QTFrame_Beep (void);

//////////
//
// saving
//
//////////

OSErr							QTFrame_SaveAsMovieFile (WindowReference theWindow);
Boolean							QTFrame_UpdateMovieFile (WindowReference theWindow);

//////////
//
// file dialogs and file types
//
//////////

OSErr							QTFrame_PutFile (ConstStr255Param thePrompt, ConstStr255Param theFileName, FSSpecPtr theFSSpecPtr, Boolean *theIsSelected, Boolean *theIsReplacing);
OSErr							QTFrame_GetOneFileWithPreview (SInt16 theNumTypes, QTFrameTypeListPtr theTypeList, FSSpecPtr theFSSpecPtr, QTFrameFileFilterUPP theFilterProc);
void							QTFrame_HandleNavEvent (NavEventCallbackMessage theCallBackSelector, NavCBRecPtr theCallBackParms, void *theCallBackUD);
Handle							QTFrame_CreateOpenHandle (OSType theApplicationSignature, SInt16 theNumTypes, QTFrameTypeListPtr theTypeList);
QTFrameFileFilterUPP			QTFrame_GetFileFilterUPP (NavObjectFilterProcPtr theFileFilterProc);
Boolean							QTFrame_FilterFiles (AEDesc *theItem, void *theInfo, void *theCallBackUD, NavFilterModes theFilterMode);
OSErr							QTFrame_BuildFileTypeList (void);
