//////////
//
//	File:		QTUtilsController.cpp
//
//	Contains:	Utilities over movie controllers: the controller bar, its buttons and
//				the controller type recorded in a movie.
//
//////////

#include "QTUtilities.h"


//////////
//
// controller bar and buttons
//
//////////

// the two flag words of a controller: the top bit of the word passed chooses which
static SInt32 QTUtils_GetControllerFlags (MovieController theMC, Boolean theExplicitFlags)
{
	SInt32		myFlags = theExplicitFlags ? (SInt32)mcFlagQTVRExplicitFlagSet : 0L;

	MCDoAction(theMC, mcActionGetFlags, &myFlags);

	return(myFlags);
}


static void QTUtils_SetControllerFlags (MovieController theMC, SInt32 theFlags)
{
	MCDoAction(theMC, mcActionSetFlags, (void *)(intptr_t)theFlags);
}


//////////
//
// QTUtils_IsControllerBarVisible
// Is the controller bar visible?
//
//////////

Boolean QTUtils_IsControllerBarVisible (MovieController theMC)
{
	ComponentResult		myVisible = MCGetVisible(theMC);

	// a negative result is an error (no controller there), not an answer
	return((myVisible > 0) && ((Boolean)myVisible));
}


//////////
//
// QTUtils_GetControllerBarHeight
// The height of the controller bar, measured on a detached controller; 0 when there
// is no controller to measure.
//
//////////

SInt16 QTUtils_GetControllerBarHeight (MovieController theMC)
{
	Boolean		wasAttached = false;
	Rect		myRect = {0, 0, 0, 0};

	if (MCIsControllerAttached(theMC) == 1) {
		wasAttached = true;
		MCSetControllerAttached(theMC, false);
	}

	// the bounds of a detached controller are those of the bar alone
	if (MCGetControllerBoundsRect(theMC, &myRect) != noErr)
		myRect.bottom = myRect.top;

	if (wasAttached)
		MCSetControllerAttached(theMC, true);

	return((SInt16)(myRect.bottom - myRect.top));
}


void QTUtils_HideControllerBar (MovieController theMC)
{
	MCSetVisible(theMC, false);
}


void QTUtils_ShowControllerBar (MovieController theMC)
{
	MCSetVisible(theMC, true);
}


void QTUtils_ToggleControllerBar (MovieController theMC)
{
	if (QTUtils_IsControllerBarVisible(theMC))
		QTUtils_HideControllerBar(theMC);
	else
		QTUtils_ShowControllerBar(theMC);
}


//////////
//
// QTUtils_PutControllerBarOnTop
// Move an attached controller's bar above the movie; the controller stays detached.
//
//////////

void QTUtils_PutControllerBarOnTop (MovieController theMC)
{
	Rect		myMCRect;
	Rect		myMovieRect;

	if (theMC == NULL)
		return;

	if (MCIsControllerAttached(theMC) != 1)
		return;

	MCGetControllerBoundsRect(theMC, &myMCRect);
	myMovieRect = myMCRect;

	myMCRect.bottom = myMCRect.top + QTUtils_GetControllerBarHeight(theMC);
	myMovieRect.top = myMCRect.bottom + 1;

	MCSetControllerAttached(theMC, false);
	MCPositionController(theMC, &myMovieRect, &myMCRect, 0L);
}


//////////
//
// QTUtils_HideControllerButton
// Hide one button of the controller bar.
//
//////////

void QTUtils_HideControllerButton (MovieController theMC, SInt32 theButton)
{
	SInt32		myFlags;

	if (theButton == kQTUtilsCustomButton) {
		myFlags = QTUtils_GetControllerFlags(theMC, false);
		QTUtils_SetControllerFlags(theMC, myFlags & ~theButton);
	} else {
		myFlags = QTUtils_GetControllerFlags(theMC, true);
		QTUtils_SetControllerFlags(theMC, myFlags | theButton | (SInt32)mcFlagQTVRExplicitFlagSet);

		myFlags = QTUtils_GetControllerFlags(theMC, false);
		QTUtils_SetControllerFlags(theMC, (myFlags | theButton) & ~(SInt32)mcFlagQTVRExplicitFlagSet);
	}
}


//////////
//
// QTUtils_ShowControllerButton
// Show one button of the controller bar.
//
//////////

void QTUtils_ShowControllerButton (MovieController theMC, SInt32 theButton)
{
	SInt32		myFlags;

	if (theButton == kQTUtilsCustomButton) {
		myFlags = QTUtils_GetControllerFlags(theMC, false);
		QTUtils_SetControllerFlags(theMC, myFlags | theButton);
	} else {
		myFlags = QTUtils_GetControllerFlags(theMC, true);
		QTUtils_SetControllerFlags(theMC, myFlags | theButton | (SInt32)mcFlagQTVRExplicitFlagSet);

		myFlags = QTUtils_GetControllerFlags(theMC, false);
		QTUtils_SetControllerFlags(theMC, myFlags & ~theButton & ~(SInt32)mcFlagQTVRExplicitFlagSet);
	}
}


void QTUtils_ToggleControllerButton (MovieController theMC, SInt32 theButton)
{
	if (QTUtils_IsControllerButtonVisible(theMC, theButton))
		QTUtils_HideControllerButton(theMC, theButton);
	else
		QTUtils_ShowControllerButton(theMC, theButton);
}


//////////
//
// QTUtils_ResetControllerButton
// Give a button back to the controller: its explicit mark is removed, so the
// controller decides again whether to show it.
//
//////////

void QTUtils_ResetControllerButton (MovieController theMC, SInt32 theButton)
{
	SInt32		myFlags;

	myFlags = QTUtils_GetControllerFlags(theMC, true);
	QTUtils_SetControllerFlags(theMC, (myFlags & ~theButton) | (SInt32)mcFlagQTVRExplicitFlagSet);
}


//////////
//
// QTUtils_IsControllerButtonVisible
// Is a button of the controller bar visible?
//
//////////

Boolean QTUtils_IsControllerButtonVisible (MovieController theMC, SInt32 theButton)
{
	SInt32		myFlags;
	SInt32		myExplicitFlags;

	myFlags = QTUtils_GetControllerFlags(theMC, false);

	// a movie without sound shows no speaker button unless one was asked for
	if (theButton == kQTUtilsSpeakerButton) {
		myExplicitFlags = QTUtils_GetControllerFlags(theMC, true);
		if (!QTUtils_MovieHasSoundTrack(MCGetIndMovie(theMC, 0)) && !(myExplicitFlags & theButton))
			return(false);
	}

	if (theButton == kQTUtilsCustomButton)
		return((myFlags & theButton) != 0);

	return((myFlags & theButton) == 0);
}


//////////
//
// QTUtils_GetControllerType
// The controller type recorded in a movie, or '????'.
//
//////////

OSType QTUtils_GetControllerType (Movie theMovie)
{
	UserData		myUserData = NULL;
	OSType			myType = 0x3F3F3F3F;	// '????'

	if (theMovie != NULL) {
		myUserData = GetMovieUserData(theMovie);
		if (myUserData != NULL) {
			GetUserDataItem(myUserData, &myType, sizeof(myType), kUserDataMovieControllerType, 0);
			myType = EndianU32_BtoN(myType);
		}
	}

	return(myType);
}


//////////
//
// QTUtils_SetControllerType
// Record a controller type in a movie.
//
//////////

OSErr QTUtils_SetControllerType (Movie theMovie, OSType theType)
{
	UserData		myUserData = NULL;

	if (theMovie == NULL)
		return(paramErr);

	myUserData = GetMovieUserData(theMovie);
	if (myUserData == NULL)
		return(paramErr);

	theType = EndianU32_NtoB(theType);

	return(SetUserDataItem(myUserData, &theType, sizeof(theType), kUserDataMovieControllerType, 0));
}


//////////
//
// QTUtils_ChangeControllerType
// Record a new controller type and make a new controller of it for the movie.
//
// A NULL result comes either with theMC untouched (theMC is NULL or has no movie, or
// the type could not be recorded) or after theMC was disposed of, when NewMovieController
// failed; GetMoviesError then says why. The caller tells the two apart by asking theMC
// for its movie: for a controller that is gone MCGetIndMovie gives NULL and leaves
// invalidComponentID in GetMoviesError.
//
//////////

MovieController QTUtils_ChangeControllerType (MovieController theMC, OSType theType, SInt32 theFlags)
{
	Movie			myMovie = NULL;
	Rect			myRect;

	if (theMC == NULL)
		return(NULL);

	myMovie = MCGetIndMovie(theMC, 0);
	if (myMovie == NULL)
		return(NULL);

	GetMovieBox(myMovie, &myRect);

	if (QTUtils_SetControllerType(myMovie, theType) != noErr)
		return(NULL);

	DisposeMovieController(theMC);

	return(NewMovieController(myMovie, &myRect, theFlags));
}
