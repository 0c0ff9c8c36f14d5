//////////
//
//	File:		QTUtilsMovie.cpp
//
//	Contains:	Utilities over movies: queries, selection, frames, references, file
//				kinds, and the settings kept in a movie's user data.
//
//////////

#include "QTUtilities.h"


//////////
//
// movie queries and selection
//
//////////

Boolean QTUtils_IsQTVRMovie (Movie theMovie)
{
	OSType		myType = QTUtils_GetControllerType(theMovie);

	return((myType == kQTVRQTVRType) || (myType == kQTVROldPanoType) || (myType == kQTVROldObjectType));
}


Boolean QTUtils_IsStreamedMovie (Movie theMovie)
{
	return(GetMovieIndTrackType(theMovie, 1, kQTSStreamMediaType, movieTrackMediaType | movieTrackEnabledOnly) != NULL);
}


Boolean QTUtils_IsMediaTypeInMovie (Movie theMovie, OSType theMediaType)
{
	return(GetMovieIndTrackType(theMovie, 1, theMediaType, movieTrackMediaType | movieTrackEnabledOnly) != NULL);
}


Boolean QTUtils_MovieHasTimeCodeTrack (Movie theMovie)
{
	return(GetMovieIndTrackType(theMovie, 1, TimeCodeMediaType, movieTrackMediaType) != NULL);
}


Boolean QTUtils_MovieHasSoundTrack (Movie theMovie)
{
	return(GetMovieIndTrackType(theMovie, 1, AudioMediaCharacteristic, movieTrackCharacteristic | movieTrackEnabledOnly) != NULL);
}


MediaHandler QTUtils_GetSoundMediaHandler (Movie theMovie)
{
	Track		myTrack;

	myTrack = GetMovieIndTrackType(theMovie, 1, AudioMediaCharacteristic, movieTrackCharacteristic | movieTrackEnabledOnly);
	if (myTrack == NULL)
		return(NULL);

	return(GetMediaHandler(GetTrackMedia(myTrack)));
}


//////////
//
// QTUtils_UpdateMovieVolumeSetting
// Make the preferred volume the level the movie plays at (a muted movie's volume is
// negative; its magnitude is its level).
//
//////////

OSErr QTUtils_UpdateMovieVolumeSetting (Movie theMovie)
{
	SInt16		myPrefVolume;
	SInt16		myCurrVolume;

	myPrefVolume = GetMoviePreferredVolume(theMovie);
	myCurrVolume = GetMovieVolume(theMovie);

	// -32768 has no positive twin in 16 bits: it stands for the loudest level there is
	if (myCurrVolume == -32768)
		myCurrVolume = 32767;
	else
		myCurrVolume = (SInt16)abs(myCurrVolume);

	if (myPrefVolume != myCurrVolume) {
		SetMoviePreferredVolume(theMovie, myCurrVolume);
		return(GetMoviesError());
	}

	return(noErr);
}


//////////
//
// QTUtils_SelectAllMovie
// Select the whole movie through its controller.
//
//////////

OSErr QTUtils_SelectAllMovie (MovieController theMC)
{
	TimeRecord			myTimeRecord;
	Movie				myMovie = NULL;
	ComponentResult		myErr = noErr;

	if (theMC == NULL)
		return(paramErr);

	myMovie = MCGetIndMovie(theMC, 0);
	if (myMovie == NULL)
		return(paramErr);

	myTimeRecord.value.hi = 0;
	myTimeRecord.value.lo = 0;
	myTimeRecord.base = 0;
	myTimeRecord.scale = GetMovieTimeScale(myMovie);
	myErr = MCDoAction(theMC, mcActionSetSelectionBegin, &myTimeRecord);
	if (myErr != noErr)
		return((OSErr)myErr);

	myTimeRecord.value.hi = 0;
	myTimeRecord.value.lo = (UInt32)GetMovieDuration(myMovie);
	myTimeRecord.base = 0;
	myTimeRecord.scale = GetMovieTimeScale(myMovie);
	myErr = MCDoAction(theMC, mcActionSetSelectionDuration, &myTimeRecord);

	return((OSErr)myErr);
}


//////////
//
// QTUtils_SelectNoneMovie
// Make the selection empty; its start stays where it was.
//
//////////

OSErr QTUtils_SelectNoneMovie (MovieController theMC)
{
	TimeRecord			myTimeRecord;
	Movie				myMovie = NULL;
	ComponentResult		myErr = noErr;

	if (theMC == NULL)
		return(paramErr);

	myMovie = MCGetIndMovie(theMC, 0);
	if (myMovie == NULL)
		return(paramErr);

	myTimeRecord.value.hi = 0;
	myTimeRecord.value.lo = 0;
	myTimeRecord.base = 0;
	myTimeRecord.scale = GetMovieTimeScale(myMovie);
	myErr = MCDoAction(theMC, mcActionSetSelectionDuration, &myTimeRecord);

	return((OSErr)myErr);
}


//////////
//
// QTUtils_GetFrameDuration
// The duration of a track's first sample, in its media's time scale; 0 on failure.
//
//////////

TimeValue QTUtils_GetFrameDuration (Track theTrack)
{
	OSErr		myErr = noErr;
	TimeValue	mySampleDuration = 0;
	Media		myMedia = GetTrackMedia(theTrack);

	// a track without media has no frames
	if (myMedia == NULL)
		return(0);

	myErr = GetMediaSample(myMedia, NULL, 0, NULL, 0, NULL, &mySampleDuration, NULL, NULL, 0, NULL, NULL);
	if (myErr != noErr)
		return(0);

	return(mySampleDuration);
}


//////////
//
// QTUtils_GetFrameCount
// Count the interesting times of a track: its frames.
//
//////////

SInt32 QTUtils_GetFrameCount (Track theTrack)
{
	SInt32		myCount = -1;
	SInt16		myFlags;
	TimeValue	myTime = 0;

	if (theTrack == NULL)
		return(myCount);

	// the first search also takes a sample that starts at time 0
	myFlags = nextTimeMediaSample + nextTimeEdgeOK;

	while (myTime >= 0) {
		myCount++;

		GetTrackNextInterestingTime(theTrack, myFlags, myTime, 0x00010000, &myTime, NULL);

		myFlags = nextTimeStep;
	}

	return(myCount);
}


//////////
//
// QTUtils_DeleteAllReferencesToTrack
// Remove every reference other tracks hold to a track.
//
//////////

OSErr QTUtils_DeleteAllReferencesToTrack (Track theTrack)
{
	Movie			myMovie = NULL;
	Track			myTrack = NULL;
	SInt32			myTrackCount = 0L;
	SInt32			myTrackIndex;
	OSType			myType = 0L;
	OSType			myNextType = 0L;
	SInt32			myRefCount = 0L;
	SInt32			myRefIndex;
	OSErr			myErr = noErr;

	myMovie = GetTrackMovie(theTrack);
	if (myMovie == NULL)
		return(paramErr);

	myTrackCount = GetMovieTrackCount(myMovie);
	for (myTrackIndex = 1; myTrackIndex <= myTrackCount; myTrackIndex++) {
		myTrack = GetMovieIndTrack(myMovie, myTrackIndex);
		if ((myTrack != NULL) && (myTrack != theTrack)) {
			myType = GetNextTrackReferenceType(myTrack, 0L);
			while (myType != 0L) {
				// the next type is found first: a type whose last reference goes is gone
				// with it, and the walk could not go on from it
				myNextType = GetNextTrackReferenceType(myTrack, myType);

				// downward, so the lower indexes stay valid while references go
				myRefCount = GetTrackReferenceCount(myTrack, myType);
				for (myRefIndex = myRefCount; myRefIndex >= 1; myRefIndex--)
					if (GetTrackReference(myTrack, myType, myRefIndex) == theTrack)
						myErr = DeleteTrackReference(myTrack, myType, myRefIndex);

				myType = myNextType;
			}
		}
	}

	return(myErr);
}


//////////
//
// QTUtils_IsImageFile
// Can a graphics importer open the file?
//
//////////

Boolean QTUtils_IsImageFile (FSSpec *theFSSpec)
{
	GraphicsImportComponent		myImporter = NULL;

	GetGraphicsImporterForFile(theFSSpec, &myImporter);
	if (myImporter != NULL)
		CloseComponent(myImporter);

	return(myImporter != NULL);
}


//////////
//
// QTUtils_IsMovieFile
// Is the file a movie file, or one a movie importer (other than a graphics importer)
// takes?
//
//////////

Boolean QTUtils_IsMovieFile (FSSpec *theFSSpec)
{
	AliasHandle		myAlias = NULL;
	Component		myImporter = NULL;
	FInfo			myFinderInfo;
	OSErr			myErr = noErr;

	myErr = FSpGetFInfo(theFSSpec, &myFinderInfo);
	if (myErr == noErr)
		if (myFinderInfo.fdType == kQTFileTypeMovie)
			return(true);

	myErr = QTNewAlias(theFSSpec, &myAlias, true);
	if ((myErr == noErr) && (myAlias != NULL)) {
		myErr = GetMovieImporterForDataRef(rAliasType, (Handle)myAlias, kGetMovieImporterDontConsiderGraphicsImporters, &myImporter);
		DisposeHandle((Handle)myAlias);
	}

	return((myErr == noErr) && (myImporter != NULL));
}


//////////
//
// movie user data
//
//////////

//////////
//
// QTUtils_AddUserDataTextToMovie
// Add a text entry of a type to a movie's user data.
//
//////////

OSErr QTUtils_AddUserDataTextToMovie (Movie theMovie, char *theText, OSType theType)
{
	UserData		myUserData = NULL;
	Handle			myHandle = NULL;
	SInt32			myLength = 0L;
	OSErr			myErr = noErr;

	if ((theMovie == NULL) || (theText == NULL))
		return(paramErr);

	myLength = (SInt32)strlen(theText);

	myUserData = GetMovieUserData(theMovie);
	if (myUserData == NULL)
		return(paramErr);

	myHandle = NewHandleClear(myLength);
	if (myHandle == NULL)
		return(MemError());

	BlockMoveData(theText, *myHandle, myLength);

	myErr = AddUserDataText(myUserData, myHandle, theType, 1, -1);

	DisposeHandle(myHandle);

	return(myErr);
}


OSErr QTUtils_AddCopyrightToMovie (Movie theMovie, char *theText)
{
	return(QTUtils_AddUserDataTextToMovie(theMovie, theText, kUserDataTextCopyright));
}


OSErr QTUtils_AddMovieNameToMovie (Movie theMovie, char *theText)
{
	return(QTUtils_AddUserDataTextToMovie(theMovie, theText, kUserDataTextFullName));
}


OSErr QTUtils_AddMovieInfoToMovie (Movie theMovie, char *theText)
{
	return(QTUtils_AddUserDataTextToMovie(theMovie, theText, kUserDataTextInformation));
}


//////////
//
// QTUtils_GetMovieFileLoopingInfo
// The looping mode recorded in a movie; kNoLooping when there is none.
//
//////////

OSErr QTUtils_GetMovieFileLoopingInfo (Movie theMovie, SInt32 *theLoopInfo)
{
	UserData		myUserData = NULL;
	SInt32			myLoopInfo = kNoLooping;
	OSErr			myErr = paramErr;

	if (theMovie != NULL) {
		myUserData = GetMovieUserData(theMovie);
		if (myUserData != NULL) {
			myErr = GetUserDataItem(myUserData, &myLoopInfo, sizeof(myLoopInfo), 'LOOP', 0);
			if (myErr == noErr)
				myLoopInfo = EndianS32_BtoN(myLoopInfo);
		}
	}

	*theLoopInfo = myLoopInfo;

	return(myErr);
}


//////////
//
// QTUtils_SetMovieFileLoopingInfo
// Record a looping mode in a movie (none for kNoLooping).
//
//////////

OSErr QTUtils_SetMovieFileLoopingInfo (Movie theMovie, SInt32 theLoopInfo)
{
	UserData		myUserData = NULL;
	SInt16			myCount = 0;
	SInt16			myIndex;
	OSErr			myErr = paramErr;

	if (theMovie == NULL)
		return(myErr);

	myUserData = GetMovieUserData(theMovie);
	if (myUserData == NULL)
		return(myErr);

	myCount = CountUserDataType(myUserData, 'LOOP');
	for (myIndex = 0; myIndex < myCount; myIndex++)
		RemoveUserData(myUserData, 'LOOP', 1);

	switch (theLoopInfo) {
		case kNormalLooping:
		case kPalindromeLooping:
			theLoopInfo = EndianS32_NtoB(theLoopInfo);
			myErr = SetUserDataItem(myUserData, &theLoopInfo, sizeof(theLoopInfo), 'LOOP', 0);
			break;

		case kNoLooping:
		default:
			myErr = noErr;
			break;
	}

	return(myErr);
}


//////////
//
// QTUtils_SetLoopingStateFromFile
// Give a controller the looping mode recorded in its movie.
//
//////////

OSErr QTUtils_SetLoopingStateFromFile (Movie theMovie, MovieController theMC)
{
	SInt32			myLoopInfo = kNoLooping;
	OSErr			myErr = noErr;

	myErr = QTUtils_GetMovieFileLoopingInfo(theMovie, &myLoopInfo);

	switch (myLoopInfo) {
		case kNormalLooping:
			MCDoAction(theMC, mcActionSetLooping, (void *)true);
			MCDoAction(theMC, mcActionSetLoopIsPalindrome, (void *)false);
			break;

		case kPalindromeLooping:
			MCDoAction(theMC, mcActionSetLooping, (void *)true);
			MCDoAction(theMC, mcActionSetLoopIsPalindrome, (void *)true);
			break;

		case kNoLooping:
		default:
			MCDoAction(theMC, mcActionSetLooping, (void *)false);
			MCDoAction(theMC, mcActionSetLoopIsPalindrome, (void *)false);
			break;
	}

	return(myErr);
}


//////////
//
// QTUtils_MakeMovieLoop
// Make a movie loop without a controller.
//
//////////

OSErr QTUtils_MakeMovieLoop (Movie theMovie, Boolean isPalindrome)
{
	TimeBase		myTimeBase = NULL;
	SInt32			myFlags = 0L;

	if (theMovie == NULL)
		return(paramErr);

	SetMoviePlayHints(theMovie, hintsLoop, hintsLoop);

	myTimeBase = GetMovieTimeBase(theMovie);
	myFlags = GetTimeBaseFlags(myTimeBase);
	myFlags |= loopTimeBase;

	if (isPalindrome)
		myFlags |= palindromeLoopTimeBase;
	else
		myFlags &= ~palindromeLoopTimeBase;

	SetTimeBaseFlags(myTimeBase, myFlags);

	return(noErr);
}


//////////
//
// QTUtils_GetWindowPositionFromFile
// The window position recorded in a movie; (50, 50) when there is none.
//
//////////

OSErr QTUtils_GetWindowPositionFromFile (Movie theMovie, Point *thePoint)
{
	UserData		myUserData = NULL;
	Point			myPoint = {50, 50};
	OSErr			myErr = paramErr;

	if (theMovie != NULL) {
		myUserData = GetMovieUserData(theMovie);
		if (myUserData != NULL) {
			myErr = GetUserDataItem(myUserData, &myPoint, sizeof(Point), 'WLOC', 0);
			if (myErr == noErr) {
				myPoint.v = EndianS16_BtoN(myPoint.v);
				myPoint.h = EndianS16_BtoN(myPoint.h);
			}
		}
	}

	*thePoint = myPoint;

	return(myErr);
}


//////////
//
// QTUtils_GetTrackName
// A track's name, as a new zero-terminated string the caller frees; NULL for none.
//
//////////

char *QTUtils_GetTrackName (Track theTrack)
{
	UserData		myUserData = NULL;
	char			*myString = NULL;
	Handle			myHandle = NULL;
	OSErr			myErr = noErr;

	if (theTrack == NULL)
		return(NULL);

	myUserData = GetTrackUserData(theTrack);
	if (myUserData == NULL)
		return(NULL);

	myHandle = NewHandle(0);
	if (myHandle == NULL)
		return(NULL);

	myErr = GetUserData(myUserData, myHandle, kUserDataName, 1);
	if (myErr == noErr) {
		Size	myLength = GetHandleSize(myHandle);

		if (myLength > 0) {
			myString = (char *)malloc(myLength + 1);
			if (myString != NULL) {
				memcpy(myString, *myHandle, myLength);
				myString[myLength] = '\0';
			}
		}
	}

	DisposeHandle(myHandle);

	return(myString);
}


//////////
//
// QTUtils_SetTrackName
// Give a track a name, replacing any it had.
//
//////////

OSErr QTUtils_SetTrackName (Track theTrack, char *theText)
{
	UserData		myUserData = NULL;
	OSErr			myErr = noErr;

	if ((theTrack == NULL) || (theText == NULL))
		return(paramErr);

	myUserData = GetTrackUserData(theTrack);
	if (myUserData == NULL)
		return(paramErr);

	// remove every name the track has
	do {
		myErr = RemoveUserData(myUserData, kUserDataName, 1);
	} while (myErr == noErr);

	return(SetUserDataItem(myUserData, theText, (SInt32)strlen(theText), kUserDataName, 0));
}


//////////
//
// QTUtils_MakeTrackNameByType
// A name for a track from its media handler, numbered when the movie has more than one
// track of that media type.
//
//////////

char *QTUtils_MakeTrackNameByType (Track theTrack)
{
	Media			myMedia = NULL;
	MediaHandler	myHandler = NULL;
	Movie			myMovie = NULL;
	OSType			myMediaType;
	Str255			myName;
	char			*myString = NULL;
	OSErr			myErr = noErr;

	if (theTrack == NULL)
		return(NULL);

	myMedia = GetTrackMedia(theTrack);
	if (myMedia == NULL)
		return(NULL);

	myHandler = GetMediaHandler(myMedia);
	GetMediaHandlerDescription(myMedia, &myMediaType, NULL, NULL);

	myErr = (OSErr)MediaGetName(myHandler, myName, 0, NULL);
	if (myErr != noErr)
		return(NULL);

	// number the track among the tracks of its type, disabled ones included
	myMovie = GetTrackMovie(theTrack);
	if (GetMovieIndTrackType(myMovie, 2, myMediaType, movieTrackMediaType) != NULL) {
		SInt32		myIndex = 1;
		Str255		myNumber;

		while (GetMovieIndTrackType(myMovie, myIndex, myMediaType, movieTrackMediaType) != theTrack)
			myIndex++;

		NumToString(myIndex, myNumber);

		// a handler name too long for the space and the number keeps as much as fits
		if (myName[0] > 255 - 1 - myNumber[0])
			myName[0] = (unsigned char)(255 - 1 - myNumber[0]);

		myName[++myName[0]] = ' ';
		BlockMoveData(&myNumber[1], &myName[myName[0] + 1], myNumber[0]);
		myName[0] += myNumber[0];
	}

	if (myName[0] == 0)
		return(NULL);

	myString = (char *)malloc(myName[0] + 1);
	if (myString != NULL) {
		BlockMoveData(&myName[1], myString, myName[0]);
		myString[myName[0]] = '\0';
	}

	return(myString);
}


//////////
//
// QTUtils_MakeSampleDescription
// An image description for an effect of a type and size.
//
//////////

ImageDescriptionHandle QTUtils_MakeSampleDescription (SInt32 theEffectType, SInt16 theWidth, SInt16 theHeight)
{
	ImageDescriptionHandle		mySampleDesc = NULL;

	mySampleDesc = (ImageDescriptionHandle)NewHandleClear(sizeof(ImageDescription));
	if (mySampleDesc == NULL)
		return(NULL);

	(**mySampleDesc).idSize = sizeof(ImageDescription);
	(**mySampleDesc).cType = theEffectType;
	(**mySampleDesc).vendor = kAppleManufacturer;
	(**mySampleDesc).temporalQuality = codecNormalQuality;
	(**mySampleDesc).spatialQuality = codecNormalQuality;
	(**mySampleDesc).width = theWidth;
	(**mySampleDesc).height = theHeight;
	(**mySampleDesc).hRes = 72L << 16;
	(**mySampleDesc).vRes = 72L << 16;
	(**mySampleDesc).dataSize = 0L;
	(**mySampleDesc).frameCount = 1;
	(**mySampleDesc).depth = 24;
	(**mySampleDesc).clutID = -1;

	return(mySampleDesc);
}
