//////////
//
//	File:		QTSoundPrivate.h
//
//	Contains:	The sound module's resource reader, shared with the module's tests.
//
//////////

#pragma once

#include "MacPrefix.h"

void				QTSound_CreateSoundDescription (Handle sndHandle, SoundDescriptionHandle sndDesc, SInt32 *sndDataOffset, SInt32 *numSamples, SInt32 *sndDataSize);
SInt32				QTSound_GetSndHdrOffset (Handle sndHandle);
