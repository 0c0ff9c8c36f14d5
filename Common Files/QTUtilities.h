//////////
//
//	File:		QTUtilities.h
//
//	Contains:	Utilities for working with movies, tracks, controllers and the
//				environment, and the string conversions the rest of the program uses.
//
//////////

#pragma once

#include "platform/Types.h"

//////////
//
// string and number conversions
//
//////////

StringPtr			QTUtils_ConvertCToPascalString (char *theString);
char *				QTUtils_ConvertPascalToCString (StringPtr theString);
void				QTUtils_ConvertFloatToBigEndian (float *theFloat);
void				QTUtils_AppendCStringToPascalString (StringPtr theString, char *theText);
void				QTUtils_AppendPascalString (StringPtr theString, StringPtr theText);
char *				QTUtils_GetErrorReason (OSErr theErr);

#include "MacPrefix.h"

//////////
//
// controller bar and buttons
//
//////////

// button identifiers: each is the controller flag bit that governs the button
enum {
	kQTUtilsStepButtons			= mcFlagSuppressStepButtons,
	kQTUtilsSpeakerButton		= mcFlagSuppressSpeakerButton,
	kQTUtilsCustomButton		= mcFlagsUseCustomButton,
	kQTUtilsBackButton			= mcFlagQTVRSuppressBackBtn,
	kQTUtilsZoomButtons			= mcFlagQTVRSuppressZoomBtns,
	kQTUtilsHotSpotButton		= mcFlagQTVRSuppressHotSpotBtn,
	kQTUtilsTranslateButton		= mcFlagQTVRSuppressTranslateBtn,
	kQTUtilsHelpText			= mcFlagQTVRSuppressHelpText,
	kQTUtilsHotSpotNames		= mcFlagQTVRSuppressHotSpotNames
};

enum {
	kQTVRSpeakerButton			= kQTUtilsSpeakerButton,
	kQTVRBackButton				= kQTUtilsBackButton,
	kQTVRZoomButtons			= kQTUtilsZoomButtons,
	kQTVRHotSpotButton			= kQTUtilsHotSpotButton,
	kQTVRTranslateButton		= kQTUtilsTranslateButton,
	kQTVRHelpText				= kQTUtilsHelpText,
	kQTVRHotSpotNames			= kQTUtilsHotSpotNames,
	kQTVRCustomButton			= kQTUtilsCustomButton
};

// controller types recorded in a movie
enum {
	kQTVRQTVRType				= 'qtvr',
	kQTVROldPanoType			= 'STpn',
	kQTVROldObjectType			= 'stna'
};

Boolean				QTUtils_IsControllerBarVisible (MovieController theMC);
SInt16				QTUtils_GetControllerBarHeight (MovieController theMC);
void				QTUtils_HideControllerBar (MovieController theMC);
void				QTUtils_ShowControllerBar (MovieController theMC);
void				QTUtils_ToggleControllerBar (MovieController theMC);
void				QTUtils_PutControllerBarOnTop (MovieController theMC);
void				QTUtils_HideControllerButton (MovieController theMC, SInt32 theButton);
void				QTUtils_ShowControllerButton (MovieController theMC, SInt32 theButton);
void				QTUtils_ToggleControllerButton (MovieController theMC, SInt32 theButton);
void				QTUtils_ResetControllerButton (MovieController theMC, SInt32 theButton);
Boolean				QTUtils_IsControllerButtonVisible (MovieController theMC, SInt32 theButton);
OSType				QTUtils_GetControllerType (Movie theMovie);
OSErr				QTUtils_SetControllerType (Movie theMovie, OSType theType);
MovieController		QTUtils_ChangeControllerType (MovieController theMC, OSType theType, SInt32 theFlags);

//////////
//
// movie queries and selection
//
//////////

Boolean				QTUtils_IsQTVRMovie (Movie theMovie);
Boolean				QTUtils_IsStreamedMovie (Movie theMovie);
Boolean				QTUtils_IsMediaTypeInMovie (Movie theMovie, OSType theMediaType);
Boolean				QTUtils_MovieHasTimeCodeTrack (Movie theMovie);
Boolean				QTUtils_MovieHasSoundTrack (Movie theMovie);
MediaHandler		QTUtils_GetSoundMediaHandler (Movie theMovie);
OSErr				QTUtils_UpdateMovieVolumeSetting (Movie theMovie);
OSErr				QTUtils_SelectAllMovie (MovieController theMC);
OSErr				QTUtils_SelectNoneMovie (MovieController theMC);
TimeValue			QTUtils_GetFrameDuration (Track theTrack);
SInt32				QTUtils_GetFrameCount (Track theTrack);
OSErr				QTUtils_DeleteAllReferencesToTrack (Track theTrack);
Boolean				QTUtils_IsImageFile (FSSpec *theFSSpec);
Boolean				QTUtils_IsMovieFile (FSSpec *theFSSpec);

//////////
//
// movie user data
//
//////////

// looping modes
enum {
	kNormalLooping				= 0,
	kPalindromeLooping			= 1,
	kNoLooping					= 2
};

OSErr				QTUtils_AddUserDataTextToMovie (Movie theMovie, char *theText, OSType theType);
OSErr				QTUtils_AddCopyrightToMovie (Movie theMovie, char *theText);
OSErr				QTUtils_AddMovieNameToMovie (Movie theMovie, char *theText);
OSErr				QTUtils_AddMovieInfoToMovie (Movie theMovie, char *theText);
OSErr				QTUtils_GetMovieFileLoopingInfo (Movie theMovie, SInt32 *theLoopInfo);
OSErr				QTUtils_SetMovieFileLoopingInfo (Movie theMovie, SInt32 theLoopInfo);
OSErr				QTUtils_SetLoopingStateFromFile (Movie theMovie, MovieController theMC);
OSErr				QTUtils_MakeMovieLoop (Movie theMovie, Boolean isPalindrome);
OSErr				QTUtils_GetWindowPositionFromFile (Movie theMovie, Point *thePoint);
char *				QTUtils_GetTrackName (Track theTrack);
OSErr				QTUtils_SetTrackName (Track theTrack, char *theText);
char *				QTUtils_MakeTrackNameByType (Track theTrack);
ImageDescriptionHandle	QTUtils_MakeSampleDescription (SInt32 theEffectType, SInt16 theWidth, SInt16 theHeight);

//////////
//
// environment queries
//
//////////

Boolean				QTUtils_IsQuickTimeInstalled (void);
Boolean				QTUtils_IsQuickTimeCFMInstalled (void);
SInt32				QTUtils_GetQTVersion (void);
Boolean				QTUtils_HasQuickTimeVideoEffects (void);
Boolean				QTUtils_HasFullScreenSupport (void);
Boolean				QTUtils_HasWiredSprites (void);
void				QTUtils_GetMaxWindowDepth (CWindowPtr theWindow, SInt16 *thePixelType, SInt16 *thePixelSize);
void				QTUtils_GetMaxScreenDepth (Rect *theGlobalRect, SInt16 *thePixelType, SInt16 *thePixelSize);
SInt32				QTUtils_GetUsersConnectionSpeed (void);
OSErr				QTUtils_SetUsersConnectionSpeed (SInt32 theSpeed);
