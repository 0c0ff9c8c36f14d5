//////////
//
//	File:		QTUtilsEnvironment.cpp
//
//	Contains:	Questions about the machine: the movie toolbox's presence, version and
//				features, screen depths, and the connection-speed preference.
//
//////////

#include "QTUtilities.h"


//////////
//
// environment queries
//
//////////

Boolean QTUtils_IsQuickTimeInstalled (void)
{
	SInt32		myResult;

	return(Gestalt(gestaltQuickTime, &myResult) == noErr);
}


Boolean QTUtils_IsQuickTimeCFMInstalled (void)
{
	SInt32		myResult;

	if (Gestalt(gestaltQuickTimeFeatures, &myResult) != noErr)
		return(false);

	if (!(myResult & (1L << gestaltPPCQuickTimeLibPresent)))
		return(false);

	// the entry point of the compressor must be there too
	void * volatile		myEntryPoint = (void *)&CompressImage;

	return(myEntryPoint != NULL);
}


SInt32 QTUtils_GetQTVersion (void)
{
	SInt32		myVersion = 0L;

	if (Gestalt(gestaltQuickTimeVersion, &myVersion) == noErr)
		return(myVersion);

	return(0L);
}


Boolean QTUtils_HasQuickTimeVideoEffects (void)
{
	return(((UInt32)QTUtils_GetQTVersion() >> 16) > 0x02FF);
}


Boolean QTUtils_HasFullScreenSupport (void)
{
	return(((UInt32)QTUtils_GetQTVersion() >> 16) > 0x0208);
}


Boolean QTUtils_HasWiredSprites (void)
{
	return(((UInt32)QTUtils_GetQTVersion() >> 16) > 0x02FF);
}


//////////
//
// QTUtils_GetMaxWindowDepth
// The pixel type and size of the deepest screen under a window.
//
//////////

void QTUtils_GetMaxWindowDepth (CWindowPtr theWindow, SInt16 *thePixelType, SInt16 *thePixelSize)
{
	Rect		myRect;
	Point		myPoint = {0, 0};
	GrafPtr		mySavedPort;

	*thePixelType = 1;
	*thePixelSize = 0;

	if (theWindow == NULL)
		return;

	// LocalToGlobal works in the current port: make it the window's, whichever
	// port the caller had current
	GetPort(&mySavedPort);
	SetPort((GrafPtr)GetWindowPort(theWindow));

	GetWindowPortBounds(theWindow, &myRect);
	LocalToGlobal(&myPoint);
	OffsetRect(&myRect, myPoint.h, myPoint.v);

	SetPort(mySavedPort);

	QTUtils_GetMaxScreenDepth(&myRect, thePixelType, thePixelSize);
}


//////////
//
// QTUtils_GetMaxScreenDepth
// The pixel type and size of the deepest screen meeting a global rectangle.
//
//////////

void QTUtils_GetMaxScreenDepth (Rect *theGlobalRect, SInt16 *thePixelType, SInt16 *thePixelSize)
{
	GDHandle		myGDevice = NULL;
	PixMapHandle	myPixMap = NULL;

	myGDevice = GetMaxDevice(theGlobalRect);
	if (myGDevice != NULL) {
		myPixMap = (**myGDevice).gdPMap;
		if (myPixMap != NULL) {
			*thePixelType = (**myPixMap).pixelType;
			*thePixelSize = (**myPixMap).pixelSize;
		}
	}
}


//////////
//
// QTUtils_GetUsersConnectionSpeed
// The connection speed kept in the preferences; 0 when the preference cannot be read.
//
//////////

SInt32 QTUtils_GetUsersConnectionSpeed (void)
{
	QTAtomContainer			myPrefsContainer = NULL;
	QTAtom					myPrefsAtom = 0;
	ConnectionSpeedPrefsRecord	myPrefsRec;
	SInt32					myDataSize = 0L;
	SInt32					mySpeed = kDataRate288ModemRate;
	Ptr						myAtomData = NULL;
	OSErr					myErr = noErr;

	myErr = GetQuickTimePreference(ConnectionSpeedPrefsType, &myPrefsContainer);
	if (myErr != noErr)
		return(0L);

	myPrefsAtom = QTFindChildByID(myPrefsContainer, kParentAtomIsContainer, ConnectionSpeedPrefsType, 1, NULL);
	if (myPrefsAtom != 0) {
		QTGetAtomDataPtr(myPrefsContainer, myPrefsAtom, &myDataSize, &myAtomData);
		if (myDataSize == sizeof(ConnectionSpeedPrefsRecord)) {
			BlockMoveData(myAtomData, &myPrefsRec, sizeof(myPrefsRec));
			mySpeed = EndianS32_BtoN(myPrefsRec.connectionSpeed);
		}
	}

	QTDisposeAtomContainer(myPrefsContainer);

	return(mySpeed);
}


//////////
//
// QTUtils_SetUsersConnectionSpeed
// Keep a connection speed in the preferences.
//
//////////

OSErr QTUtils_SetUsersConnectionSpeed (SInt32 theSpeed)
{
	QTAtomContainer				myPrefsContainer = NULL;
	ConnectionSpeedPrefsRecord	myPrefsRec;
	OSErr						myErr = noErr;

	myErr = QTNewAtomContainer(&myPrefsContainer);
	if (myErr != noErr)
		return(myErr);

	myPrefsRec.connectionSpeed = EndianS32_NtoB(theSpeed);

	myErr = QTInsertChild(myPrefsContainer, kParentAtomIsContainer, ConnectionSpeedPrefsType, 1, 0, sizeof(ConnectionSpeedPrefsRecord), &myPrefsRec, NULL);
	if (myErr == noErr)
		myErr = SetQuickTimePreference(ConnectionSpeedPrefsType, myPrefsContainer);

	QTDisposeAtomContainer(myPrefsContainer);

	return(myErr);
}
