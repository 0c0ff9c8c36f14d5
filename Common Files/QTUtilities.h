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
