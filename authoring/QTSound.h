//////////
//
//	File:		QTSound.h
//
//	Contains:	The new movie's sound track, made from the application's sound
//				resource read in place.
//
//////////

#pragma once

#include "MacPrefix.h"

void				QTSound_CreateMySoundTrack (Movie theMovie);
