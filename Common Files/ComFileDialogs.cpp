//////////
//
//	File:		ComFileDialogs.cpp
//
//	Contains:	The document framework's file dialogs: the save dialog, the open
//				dialog with its file filter, the dialogs' event callback, and the list
//				of file types the installed importers can open.
//
//////////

#include "ComFramework.h"
#include "MacFramework.h"


//////////
//
// global variables
//
//////////

OSType					*gValidFileTypes = NULL;		// the file types the open dialog shows


static void				QTFrame_AddComponentFileTypes (OSType theComponentType, SInt32 *theNextIndex);


//////////
//
// QTFrame_PutFile
// Ask the user for the name and place of a file to write.
//
//////////

OSErr QTFrame_PutFile (ConstStr255Param thePrompt, ConstStr255Param theFileName, FSSpecPtr theFSSpecPtr, Boolean *theIsSelected, Boolean *theIsReplacing)
{
	NavReplyRecord		myReply;
	NavDialogOptions	myDialogOptions;
	NavEventUPP			myEventUPP = NULL;
	OSErr				myErr = noErr;

	if ((theFSSpecPtr == NULL) || (theIsSelected == NULL) || (theIsReplacing == NULL))
		return(paramErr);

	myEventUPP = NewNavEventUPP(QTFrame_HandleNavEvent);

	// the dialog code does not activate the controller again; the activate event that
	// follows the dialog does
	QTFrame_ActivateController(QTFrame_GetFrontMovieWindow(), false);

	*theIsSelected = false;
	*theIsReplacing = false;

	NavGetDefaultDialogOptions(&myDialogOptions);
	myDialogOptions.dialogOptionFlags |= kNavNoTypePopup;
	myDialogOptions.dialogOptionFlags |= kNavDontAutoTranslate;
	BlockMoveData(gAppName, myDialogOptions.clientName, gAppName[0] + 1);
	BlockMoveData(theFileName, myDialogOptions.savedFileName, theFileName[0] + 1);
	BlockMoveData(thePrompt, myDialogOptions.message, thePrompt[0] + 1);

	myErr = NavPutFile(NULL, &myReply, &myDialogOptions, myEventUPP, kQTFileTypeMovie, sigMoviePlayer, NULL);
	if ((myErr == noErr) && myReply.validRecord) {
		AEKeyword		myKeyword;
		DescType		myActualType;
		Size			myActualSize = 0;

		myErr = AEGetNthPtr(&(myReply.selection), 1, typeFSS, &myKeyword, &myActualType, theFSSpecPtr, sizeof(FSSpec), &myActualSize);
		if (myErr == noErr) {
			*theIsSelected = true;
			*theIsReplacing = myReply.replacing;
		}

		NavDisposeReply(&myReply);
	}

	DisposeNavEventUPP(myEventUPP);

	return(myErr);
}


//////////
//
// QTFrame_GetOneFileWithPreview
// Ask the user for one file to open.
//
//////////

OSErr QTFrame_GetOneFileWithPreview (SInt16 theNumTypes, QTFrameTypeListPtr theTypeList, FSSpecPtr theFSSpecPtr, QTFrameFileFilterUPP theFilterProc)
{
	NavReplyRecord		myReply;
	NavDialogOptions	myDialogOptions;
	NavTypeListHandle	myOpenList = NULL;
	NavEventUPP			myEventUPP = NULL;
	OSErr				myErr = noErr;

	if (theFSSpecPtr == NULL)
		return(paramErr);

	myEventUPP = NewNavEventUPP(QTFrame_HandleNavEvent);

	QTFrame_ActivateController(QTFrame_GetFrontMovieWindow(), false);

	NavGetDefaultDialogOptions(&myDialogOptions);
	// one file only, and no translation items
	myDialogOptions.dialogOptionFlags = kNavNoTypePopup | kNavDontAutoTranslate | kNavAllowStationery | kNavAllowPreviews;
	BlockMoveData(gAppName, myDialogOptions.clientName, gAppName[0] + 1);

	myOpenList = (NavTypeListHandle)QTFrame_CreateOpenHandle(kApplicationSignature, theNumTypes, theTypeList);
	if (myOpenList != NULL)
		HLock((Handle)myOpenList);

	myErr = NavGetFile(NULL, &myReply, &myDialogOptions, myEventUPP, NULL, theFilterProc, myOpenList, NULL);
	if ((myErr == noErr) && myReply.validRecord) {
		AEKeyword		myKeyword;
		DescType		myActualType;
		Size			myActualSize = 0;

		myErr = AEGetNthPtr(&(myReply.selection), 1, typeFSS, &myKeyword, &myActualType, theFSSpecPtr, sizeof(FSSpec), &myActualSize);

		NavDisposeReply(&myReply);
	} else if (myErr == noErr) {
		myErr = userCanceledErr;
	}

	if (myOpenList != NULL) {
		HUnlock((Handle)myOpenList);
		DisposeHandle((Handle)myOpenList);
	}

	DisposeNavEventUPP(myEventUPP);

	return(myErr);
}


//////////
//
// QTFrame_HandleNavEvent
// The event callback of every file dialog: movies keep playing and windows behind the
// dialog are redrawn.
//
//////////

void QTFrame_HandleNavEvent (NavEventCallbackMessage theCallBackSelector, NavCBRecPtr theCallBackParms, void *theCallBackUD)
{
	(void)theCallBackUD;

	if (theCallBackSelector == kNavCBEvent) {
		switch (theCallBackParms->eventData.eventDataParms.event->what) {
			case updateEvt:
				QTFrame_HandleEvent(theCallBackParms->eventData.eventDataParms.event);
				break;
			case nullEvent:
				QTFrame_IdleMovieWindows();
				break;
		}
	}
}


//////////
//
// QTFrame_CreateOpenHandle
// Build the open dialog's type list, or NULL when there are no types.
//
//////////

Handle QTFrame_CreateOpenHandle (OSType theApplicationSignature, SInt16 theNumTypes, QTFrameTypeListPtr theTypeList)
{
	Handle			myHandle = NULL;

	if (theTypeList == NULL)
		return(myHandle);

	if (theNumTypes > 0) {
		myHandle = NewHandle(sizeof(NavTypeList) + (theNumTypes * sizeof(OSType)));
		if (myHandle != NULL) {
			NavTypeListHandle	myOpenResHandle = (NavTypeListHandle)myHandle;

			(*myOpenResHandle)->componentSignature = theApplicationSignature;
			(*myOpenResHandle)->osTypeCount = theNumTypes;
			BlockMoveData(theTypeList, (*myOpenResHandle)->osType, theNumTypes * sizeof(OSType));
		}
	}

	return(myHandle);
}


//////////
//
// QTFrame_GetFileFilterUPP
// Wrap a filter function as the open dialog's object filter callback.
//
//////////

QTFrameFileFilterUPP QTFrame_GetFileFilterUPP (NavObjectFilterProcPtr theFileFilterProc)
{
	return(NewNavObjectFilterUPP(theFileFilterProc));
}


//////////
//
// QTFrame_FilterFiles
// Show folders, and files whose Finder type one of the installed importers opens.
//
//////////

Boolean QTFrame_FilterFiles (AEDesc *theItem, void *theInfo, void *theCallBackUD, NavFilterModes theFilterMode)
{
	NavFileOrFolderInfo		*myInfo = (NavFileOrFolderInfo *)theInfo;
	Boolean					myIsShown = true;

	(void)theCallBackUD;
	(void)theFilterMode;

	if (gValidFileTypes == NULL)
		QTFrame_BuildFileTypeList();

	if ((theItem->descriptorType == typeFSS) && !myInfo->isFolder) {
		SInt32		myCount = 0;
		SInt32		myIndex;

		// a list that could not be built counts as empty: no file is shown
		if (gValidFileTypes != NULL)
			myCount = GetPtrSize((Ptr)gValidFileTypes) / (SInt32)sizeof(OSType);

		myIsShown = false;
		for (myIndex = 0; myIndex < myCount; myIndex++) {
			if (myInfo->fileAndFolder.fileInfo.finderInfo.fdType == gValidFileTypes[myIndex]) {
				myIsShown = true;
				break;
			}
		}
	}

	return(myIsShown);
}


//////////
//
// QTFrame_BuildFileTypeList
// Build the list of file types the installed movie and graphics importers open.
//
//////////

OSErr QTFrame_BuildFileTypeList (void)
{
	SInt32			myIndex = 0;

	if (gValidFileTypes != NULL)
		return(noErr);

	gValidFileTypes = (OSType *)NewPtrClear(sizeof(OSType) * 100);
	if (gValidFileTypes == NULL)
		return(memFullErr);

	gValidFileTypes[myIndex++] = kQTFileTypeMovie;

	QTFrame_AddComponentFileTypes(MovieImportType, &myIndex);
	QTFrame_AddComponentFileTypes(GraphicsImporterComponentType, &myIndex);

	SetPtrSize((Ptr)gValidFileTypes, sizeof(OSType) * myIndex);

	return(MemError());
}


//////////
//
// QTFrame_AddComponentFileTypes
// Add the Finder types of the components of one type (those whose subtype is a file
// type, not a file name extension).
//
//////////

static void QTFrame_AddComponentFileTypes (OSType theComponentType, SInt32 *theNextIndex)
{
	ComponentDescription	myFindCompDesc = {0, 0, 0, 0, 0};
	ComponentDescription	myInfoCompDesc = {0, 0, 0, 0, 0};
	Component				myComponent = NULL;

	myFindCompDesc.componentType = theComponentType;
	myFindCompDesc.componentSubType = 0;
	myFindCompDesc.componentManufacturer = 0;
	myFindCompDesc.componentFlags = 0;
	myFindCompDesc.componentFlagsMask = movieImportSubTypeIsFileExtension;

	myComponent = FindNextComponent(myComponent, &myFindCompDesc);
	while (myComponent != NULL) {
		// a list that could not grow takes no more types, from this call or a later one
		if (*theNextIndex >= GetPtrSize((Ptr)gValidFileTypes) / (SInt32)sizeof(OSType))
			return;

		GetComponentInfo(myComponent, &myInfoCompDesc, NULL, NULL, NULL);
		gValidFileTypes[*theNextIndex] = myInfoCompDesc.componentSubType;
		*theNextIndex += 1;

		// grow the list when it is full
		if (*theNextIndex == GetPtrSize((Ptr)gValidFileTypes) / (SInt32)sizeof(OSType)) {
			SetPtrSize((Ptr)gValidFileTypes, GetPtrSize((Ptr)gValidFileTypes) + (sizeof(OSType) * 100));
			if (MemError() != noErr)
				return;
		}

		myComponent = FindNextComponent(myComponent, &myFindCompDesc);
	}
}
