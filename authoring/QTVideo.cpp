//////////
//
//	File:		QTVideo.cpp
//
//	Contains:	The new movie's video track: a 320 by 100 red field with the frame
//				number in blue, 70 frames at 10 frames per second, each drawn offscreen,
//				compressed with the Animation codec and added as one sample. The last
//				frame also says "Whoa cool!" in green.
//
//////////

#include "QTVideo.h"
#include "CreateMovie.h"


enum {
	kVideoTimeScale				= 600,		// units per second
	kNumVideoFrames				= 70,
	kVideoFrameDuration			= 60,		// a tenth of a second
	kOffscreenDepth				= 8
};

static const Rect kTrackFrame = {0, 0, 100, 320};	// top, left, bottom, right

static void			QTVideo_AddVideoSamplesToMedia (Media theMedia, Rect *trackFrame);
static void			QTVideo_DrawFrame (Rect *trackFrame, SInt32 curSample);


//////////
//
// QTVideo_CreateMyVideoTrack
// Add the generated video track to the movie.
//
//////////

void QTVideo_CreateMyVideoTrack (Movie theMovie)
{
	Track		theTrack;
	Media		theMedia;
	OSErr		err = noErr;
	Rect		trackFrame = kTrackFrame;

	theTrack = NewMovieTrack(theMovie, FixRatio(trackFrame.right, 1), FixRatio(trackFrame.bottom, 1), kNoVolume);
	CheckError(GetMoviesError(), (char *)"NewMovieTrack error");

	theMedia = NewTrackMedia(theTrack, VideoMediaType, kVideoTimeScale, NULL, 0);
	CheckError(GetMoviesError(), (char *)"NewTrackMedia error");

	err = BeginMediaEdits(theMedia);
	CheckError(err, (char *)"BeginMediaEdits error");

	QTVideo_AddVideoSamplesToMedia(theMedia, &trackFrame);

	err = EndMediaEdits(theMedia);
	CheckError(err, (char *)"EndMediaEdits error");

	err = InsertMediaIntoTrack(theTrack, 0, 0, GetMediaDuration(theMedia), 0x00010000);
	CheckError(err, (char *)"InsertMediaIntoTrack error");
}


//////////
//
// QTVideo_AddVideoSamplesToMedia
// Draw, compress and add the 70 frames. One compression buffer of the largest size a
// frame can need serves every frame.
//
//////////

static void QTVideo_AddVideoSamplesToMedia (Media theMedia, Rect *trackFrame)
{
	GWorldPtr				theGWorld = NULL;
	SInt32					curSample;
	SInt32					maxCompressedSize;
	Handle					compressedData = NULL;
	Ptr						compressedDataPtr;
	ImageDescriptionHandle	imageDesc = NULL;
	CGrafPtr				oldPort;
	GDHandle				oldGDeviceH;
	OSErr					err = noErr;

	err = NewGWorld(&theGWorld, kOffscreenDepth, trackFrame, NULL, NULL, 0);
	CheckError(err, (char *)"NewGWorld error");

	LockPixels(GetPortPixMap(theGWorld));

	err = GetMaxCompressionSize(GetPortPixMap(theGWorld), trackFrame, 0, codecNormalQuality, kAnimationCodecType, (CompressorComponent)anyCodec, &maxCompressedSize);
	CheckError(err, (char *)"GetMaxCompressionSize error");

	compressedData = NewHandle(maxCompressedSize);
	CheckError(MemError(), (char *)"NewHandle error");

	MoveHHi(compressedData);
	HLock(compressedData);
	compressedDataPtr = *compressedData;

	imageDesc = (ImageDescriptionHandle)NewHandle(4);
	CheckError(MemError(), (char *)"NewHandle error");

	GetGWorld(&oldPort, &oldGDeviceH);
	SetGWorld(theGWorld, NULL);

	for (curSample = 1; curSample <= kNumVideoFrames; curSample++) {
		QTVideo_DrawFrame(trackFrame, curSample);

		err = CompressImage(GetPortPixMap(theGWorld), trackFrame, codecNormalQuality, kAnimationCodecType, imageDesc, compressedDataPtr);
		CheckError(err, (char *)"CompressImage error");

		err = AddMediaSample(theMedia, compressedData, 0, (**imageDesc).dataSize, kVideoFrameDuration, (SampleDescriptionHandle)imageDesc, 1, 0, NULL);
		CheckError(err, (char *)"AddMediaSample error");
	}

	SetGWorld(oldPort, oldGDeviceH);

	if (imageDesc != NULL)
		DisposeHandle((Handle)imageDesc);

	if (compressedData != NULL)
		DisposeHandle(compressedData);

	if (theGWorld != NULL)
		DisposeGWorld(theGWorld);
}


//////////
//
// QTVideo_DrawFrame
// Draw one frame into the current port: a red field, the frame number in blue from
// the centre, and on the last frame "Whoa cool!" in green.
//
//////////

static void QTVideo_DrawFrame (Rect *trackFrame, SInt32 curSample)
{
	Str255		numStr;

	EraseRect(trackFrame);

	ForeColor(redColor);
	PaintRect(trackFrame);

	ForeColor(blueColor);
	NumToString(curSample, numStr);
	MoveTo((SInt16)(trackFrame->right / 2), (SInt16)(trackFrame->bottom / 2));
	TextSize((SInt16)(trackFrame->bottom / 3));
	DrawString(numStr);

	if (curSample == kNumVideoFrames) {
		ForeColor(greenColor);
		MoveTo((SInt16)(trackFrame->left + 12), (SInt16)(trackFrame->bottom / 2));
		TextSize((SInt16)(trackFrame->bottom / 4));
		DrawString("Whoa cool!"_p);
	}
}
