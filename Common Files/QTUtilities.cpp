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
