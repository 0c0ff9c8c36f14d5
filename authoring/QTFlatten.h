//////////
//
//	File:		QTFlatten.h
//
//	Contains:	Flattening a movie into a new, self-contained movie file.
//
//////////

#pragma once

#include "MacPrefix.h"

OSErr				QTSave_FlattenMovie (Movie theMovie, FSSpec *myFile);
