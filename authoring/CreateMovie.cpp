//////////
//
//	File:		CreateMovie.cpp
//
//	Contains:	The New command, and the authoring code's error check: every platform
//				call the authoring code makes is checked at once, and a failure shows
//				one fixed message naming the call, then ends the application.
//
//////////

#include "CreateMovie.h"
#include "ComFramework.h"
#include "ComResource.h"
#include "QTUtilities.h"
#include "QTVideo.h"
#include "QTSound.h"


static void			Utils_Macintosh_DisplayMsg (char *msg);


//////////
//
// CreateAMovie
// Ask where to save a new movie, build it, and show it in a window.
//
//////////

Boolean CreateAMovie (void)
{
	Movie			theMovie = NULL;
	FSSpec			mySpec;
	SInt16			resRefNum = 0;
	SInt16			resId = movieInDataForkResID;
	StringPtr		fileName = QTUtils_ConvertCToPascalString((char *)"MovieFile.mov");
	StringPtr		prompt = QTUtils_ConvertCToPascalString((char *)"Enter the movie file name:");
	Boolean			isSelected = false;
	Boolean			isReplaceing = false;
	OSErr			err = noErr;

	QTFrame_PutFile(prompt, fileName, &mySpec, &isSelected, &isReplaceing);

	if (isSelected) {
		err = CreateMovieFile(&mySpec, sigMoviePlayer, smCurrentScript,
							createMovieFileDeleteCurFile | createMovieFileDontCreateResFile | newMovieActive,
							&resRefNum, &theMovie);
		CheckError(err, (char *)"CreateMovieFile error");

		QTVideo_CreateMyVideoTrack(theMovie);
		QTSound_CreateMySoundTrack(theMovie);

		// the movie resource goes into the data fork, under the default name
		err = AddMovieResource(theMovie, resRefNum, &resId, fileName);
		CheckError(err, (char *)"AddMovieResource error");

		if (resRefNum)
			CloseMovieFile(resRefNum);
	}

	free(fileName);
	free(prompt);

	if (isSelected)
		return(QTFrame_OpenMovieInWindow(theMovie, &mySpec));

	return(false);
}


//////////
//
// CheckError
// Any non-zero result that comes with a message is fatal: the message is shown, and
// when the dialog is dismissed the application ends on the spot.
//
//////////

void CheckError (OSErr error, char *msg)
{
	if (error == noErr)
		return;

	if (msg[0] == '\0')
		return;

	Utils_Macintosh_DisplayMsg(msg);

	ExitToShell();
}


//////////
//
// Utils_Macintosh_DisplayMsg
// Show a message in the message dialog until it is dismissed.
//
//////////

static void Utils_Macintosh_DisplayMsg (char *msg)
{
	DialogPtr			myDialog = NULL;
	DialogItemIndex		myItemHit = 0;
	DialogItemType		myItemKind;
	Handle				myItemHandle = NULL;
	Rect				myItemRect;
	StringPtr			myString = QTUtils_ConvertCToPascalString(msg);

	myDialog = GetNewDialog(kMessageDialogID, NULL, (WindowPtr)-1L);
	if (myDialog != NULL) {
		GetDialogItem(myDialog, kMessageDialogTextItem, &myItemKind, &myItemHandle, &myItemRect);
		if (myItemHandle != NULL) {
			SetDialogItemText(myItemHandle, myString);
			ModalDialog(NULL, &myItemHit);
		}

		DisposeDialog(myDialog);
	}

	free(myString);
}
