//////////
//
//	File:		QTVideo.h
//
//	Contains:	The new movie's video track: 70 frames drawn offscreen and compressed
//				with the Animation codec.
//
//////////

#pragma once

#include "MacPrefix.h"

void				QTVideo_CreateMyVideoTrack (Movie theMovie);
