//////////
//
//	File:		QTFlatten.cpp
//
//	Contains:	Flattening a movie into a new, self-contained movie file for Save As.
//
//////////

#include "QTFlatten.h"
#include "CreateMovie.h"


//////////
//
// QTSave_FlattenMovie
// Write a self-contained copy of the movie, movie resource first, into the file.
//
// A failure shows "FlattenMovie error" and is returned to the caller, which leaves
// the window's movie, controller and file as they were. The application goes on, so
// the unsaved edits of every other window are not lost with it.
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
		ReportError(myErr, (char *)"FlattenMovie error");
		if (aMovie != NULL)
			DisposeMovie(aMovie);
		return(myErr);
	}

	// the toolbox's movie on the new file is not used: the caller opens the file itself
	DisposeMovie(aMovie);

	return(myErr);
}
