//////////
//
//	File:		QTFlatten.cpp
//
//	Contains:	Flattening a movie into a new, self-contained movie file for Save As.
//
//////////

#include "QTFlatten.h"


//////////
//
// QTSave_FlattenMovie
// Write a self-contained copy of the movie, movie resource first, into the file.
//
// A failure is returned to the caller, which tells the user why and leaves the
// window's movie, controller and file as they were. The application goes on, so the
// unsaved edits of every other window are not lost with it.
//
//////////

OSErr QTSave_FlattenMovie (Movie theMovie, FSSpec *myFile)
{
	Movie		aMovie = NULL;
	OSErr		myErr = noErr;

	aMovie = FlattenMovieData(theMovie,
							flattenAddMovieToDataFork | flattenForceMovieResourceBeforeMovieData,
							myFile,
							sigMoviePlayer,
							smSystemScript,
							createMovieFileDeleteCurFile | createMovieFileDontCreateResFile);

	myErr = GetMoviesError();
	if ((myErr == noErr) && (aMovie == NULL))
		myErr = invalidMovie;

	if (myErr != noErr) {
		if (aMovie != NULL)
			DisposeMovie(aMovie);
		return(myErr);
	}

	// the toolbox's movie on the new file is not used: the caller opens the file itself
	DisposeMovie(aMovie);

	return(myErr);
}
