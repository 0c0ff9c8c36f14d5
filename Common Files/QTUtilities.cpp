//////////
//
//	File:		QTUtilities.cpp
//
//	Contains:	The string conversions the rest of the program uses. The other
//				utilities are in QTUtilsController.cpp, QTUtilsMovie.cpp and
//				QTUtilsEnvironment.cpp.
//
//////////

#include <stdlib.h>
#include <string.h>

#include "QTUtilities.h"

#include "platform/Endian.h"


//////////
//
// QTUtils_ConvertCToPascalString
// Convert a zero-terminated string into a new length-prefixed string.
//
// The caller owns the returned block and releases it with free. A string of
// more than 255 characters keeps its first 255 (length byte 255), so the
// copy never runs past its block. Returns NULL when no memory is left.
//
//////////

StringPtr QTUtils_ConvertCToPascalString (char *theString)
{
	StringPtr	myString;
	size_t		myLength = strlen(theString);
	SInt16		myIndex = 0;

	if (myLength > 255)
		myLength = 255;

	myString = (StringPtr)malloc(myLength + 1);
	if (myString == NULL)
		return(NULL);

	while ((size_t)myIndex < myLength && theString[myIndex] != '\0') {
		myString[myIndex + 1] = (unsigned char)theString[myIndex];
		myIndex++;
	}

	myString[0] = (unsigned char)myIndex;

	return(myString);
}


//////////
//
// QTUtils_ConvertPascalToCString
// Convert a length-prefixed string into a new zero-terminated string.
//
// The caller owns the returned block and releases it with free. Every
// character is copied, a zero byte among them included. Returns NULL when
// no memory is left.
//
//////////

char *QTUtils_ConvertPascalToCString (StringPtr theString)
{
	char 		*myString;
	SInt16		myIndex = 0;
	SInt16		myLength = theString[0];

	myString = (char *)malloc(myLength + 1);
	if (myString == NULL)
		return(NULL);

	for (myIndex = 0; myIndex < myLength; myIndex++)
		myString[myIndex] = (char)theString[myIndex + 1];

	myString[myLength] = '\0';

	return(myString);
}


//////////
//
// QTUtils_ConvertFloatToBigEndian
// Rewrite the four bytes of a float in big-endian order, in place.
//
//////////

void QTUtils_ConvertFloatToBigEndian (float *theFloat)
{
	UInt32		myLongPtr;

	memcpy(&myLongPtr, theFloat, sizeof(myLongPtr));
	myLongPtr = EndianU32_NtoB(myLongPtr);
	memcpy(theFloat, &myLongPtr, sizeof(myLongPtr));
}


//////////
//
// QTUtils_AppendCStringToPascalString, QTUtils_AppendPascalString
// Append a zero-terminated or a length-prefixed string to a length-prefixed string in
// a Str255; what does not fit in 255 characters is left out.
//
//////////

static void QTUtils_AppendBytes (StringPtr theString, UInt8 *theBytes, size_t theLength)
{
	size_t		myRoom = (size_t)(255 - theString[0]);

	if (theLength > myRoom)
		theLength = myRoom;

	memcpy(&theString[theString[0] + 1], theBytes, theLength);
	theString[0] = (unsigned char)(theString[0] + theLength);
}


void QTUtils_AppendCStringToPascalString (StringPtr theString, char *theText)
{
	QTUtils_AppendBytes(theString, (UInt8 *)theText, strlen(theText));
}


void QTUtils_AppendPascalString (StringPtr theString, StringPtr theText)
{
	QTUtils_AppendBytes(theString, &theText[1], theText[0]);
}


//////////
//
// QTUtils_GetErrorReason
// Why a file could not be opened or saved, in plain words, for a message to the user
// (which shows the error number beside it).
//
// Each class of failure has one text: the user can act on "the disk is full" but not
// on the difference between two kinds of damaged movie.
//
//////////

char *QTUtils_GetErrorReason (OSErr theErr)
{
	switch (theErr) {
		case fnfErr:
		case dirNFErr:
		case nsvErr:
		case bdNamErr:
		case errAECoercionFail:
			return((char *)"it could not be found");

		case notAFileErr:
			return((char *)"it is a folder, not a file");

		case permErr:
		case afpAccessDenied:
			return((char *)"you do not have permission to use it");

		case wPrErr:
		case vLckdErr:
		case fLckdErr:
			return((char *)"it or its disk is locked");

		case wrPermErr:
			// a file opened for reading only: locked, on a read-only disk, or held by another window
			return((char *)"it is read-only, or another window or program has it open");

		case opWrErr:
		case fBsyErr:
			return((char *)"another window or program is using it");

		case dskFulErr:
		case dirFulErr:
			return((char *)"the disk is full");

		case memFullErr:
		case nilHandleErr:
			return((char *)"there is not enough memory");

		case ioErr:
			return((char *)"the disk could not read or write it");

		case couldNotResolveDataRef:
		case wfFileNotFound:
			return((char *)"a file holding its data could not be found");

		case cantFindHandler:
		case noMediaHandler:
		case noCodecErr:
			return((char *)"it is in a format that cannot be played here");

		case featureUnsupported:
			// the toolbox's refusal to write what it could not carry over faithfully
			return((char *)"it is encrypted in a way that cannot be saved here");

		case eofErr:
		case badFormat:
		case badFileFormat:
			return((char *)"it is damaged or is not a movie");

		default:
			break;
	}

	// the movie toolbox's own errors all say that the file's contents are not a usable movie
	if ((theErr <= couldNotResolveDataRef) && (theErr > couldNotResolveDataRef - 100))
		return((char *)"it is damaged or is not a movie");

	return((char *)"an unexpected error occurred");
}
