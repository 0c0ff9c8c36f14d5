//////////
//
//	File:		CreateMovie.h
//
//	Contains:	The New command: build a new movie file with a generated video track
//				and a sound track from the application's sound resource, and show it.
//				Every failure of the authoring code is fatal through CheckError.
//
//////////

#pragma once

#include "MacPrefix.h"

Boolean				CreateAMovie (void);

// a non-zero result with a message: show the message, then end the application
void				CheckError (OSErr error, char *msg);
