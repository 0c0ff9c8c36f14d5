//////////
//
//	File:		QTSound.cpp
//
//	Contains:	The new movie's sound track. The application's 'snd ' resource is
//				parsed in place: the sound header is found through the first sound or
//				buffer command that carries the data-offset flag, a sound description is
//				filled in from it, and the sample data is added to the track's media in
//				one call, straight out of the resource.
//
//				The resource is outside input, so every step of the walk is checked
//				against the resource's size: a command list, header offset, header or
//				sample data that runs past the end ends the application with the
//				module's own messages instead of being read out of bounds.
//
//////////

#include "QTSound.h"
#include "QTSoundPrivate.h"
#include "CreateMovie.h"
#include "ComResource.h"


// the sound header kinds, by their encode byte
enum {
	kStandardSoundHeader		= 0x00,		// stdSH: 22-byte header, 8-bit mono samples
	kExtendedSoundHeader		= 0xFF,		// extSH: 64-byte header
	kCompressedSoundHeader		= 0xFE		// cmpSH: 64-byte header, MACE packets
};

enum {
	kStandardHeaderSize			= 22,
	kExtendedHeaderSize			= 64,
	kHeaderEncodeOffset			= 20,
	kSoundDescriptionSize		= 36
};

// the first command that gives the header's offset: soundCmd or bufferCmd with dataOffsetFlag
enum {
	kFirstOffsetCommand			= 0x8050,
	kLastOffsetCommand			= 0x8051,
	kSoundCommandSize			= 8
};

enum {
	threeToOne					= 3,
	sixToOne					= 4
};


//////////
//
// big-endian reads from the resource, at offsets the caller has checked
//
//////////

static UInt16 QTSound_GetU16 (Ptr theData, SInt32 theOffset)
{
	UInt16		myValue;

	BlockMoveData(theData + theOffset, &myValue, sizeof(myValue));
	return(EndianU16_BtoN(myValue));
}


static UInt32 QTSound_GetU32 (Ptr theData, SInt32 theOffset)
{
	UInt32		myValue;

	BlockMoveData(theData + theOffset, &myValue, sizeof(myValue));
	return(EndianU32_BtoN(myValue));
}


//////////
//
// QTSound_RateToTimeScale
// A 16.16 sample rate rounded to a whole number of units per second. The rate is
// unsigned: 44100 Hz (0xAC440000) gives 44100, not a negative number.
//
//////////

static TimeScale QTSound_RateToTimeScale (UnsignedFixed theRate)
{
	return((TimeScale)(((UInt64)theRate + 0x8000) >> 16));
}


//////////
//
// QTSound_CreateMySoundTrack
// Add a sound track made from the application's sound resource to the movie.
//
//////////

void QTSound_CreateMySoundTrack (Movie theMovie)
{
	Track					theTrack;
	Media					theMedia;
	Handle					sndHandle = NULL;
	SoundDescriptionHandle	sndDesc = NULL;
	SInt32					sndDataOffset;
	SInt32					sndDataSize;
	SInt32					numSamples;
	OSErr					err = noErr;

	sndHandle = GetResource(kSoundResType, kSoundResID);
	CheckError(ResError(), (char *)"GetResource error");
	if (sndHandle == NULL)
		return;

	sndDesc = (SoundDescriptionHandle)NewHandle(4);
	CheckError(MemError(), (char *)"NewHandle error");

	QTSound_CreateSoundDescription(sndHandle, sndDesc, &sndDataOffset, &numSamples, &sndDataSize);

	theTrack = NewMovieTrack(theMovie, 0, 0, kFullVolume);
	CheckError(GetMoviesError(), (char *)"NewMovieTrack error");

	theMedia = NewTrackMedia(theTrack, SoundMediaType, QTSound_RateToTimeScale((**sndDesc).sampleRate), NULL, 0);
	CheckError(GetMoviesError(), (char *)"NewTrackMedia error");

	err = BeginMediaEdits(theMedia);
	CheckError(err, (char *)"BeginMediaEdits error");

	err = AddMediaSample(theMedia, sndHandle, sndDataOffset, sndDataSize, 1, (SampleDescriptionHandle)sndDesc, numSamples, 0, NULL);
	CheckError(err, (char *)"AddMediaSample error");

	err = EndMediaEdits(theMedia);
	CheckError(err, (char *)"EndMediaEdits error");

	err = InsertMediaIntoTrack(theTrack, 0, 0, GetMediaDuration(theMedia), 0x00010000);
	CheckError(err, (char *)"InsertMediaIntoTrack error");

	if (sndDesc != NULL)
		DisposeHandle((Handle)sndDesc);
}


//////////
//
// QTSound_CreateSoundDescription
// Fill in a sound description from the resource's sound header, and report where the
// sample data starts, how many bytes it has and how many samples it holds.
//
//////////

void QTSound_CreateSoundDescription (Handle sndHandle, SoundDescriptionHandle sndDesc, SInt32 *sndDataOffset, SInt32 *numSamples, SInt32 *sndDataSize)
{
	SInt32			sndHdrOffset = 0;
	SInt32			sndHandleSize = 0;
	SInt32			sndHeaderSize = 0;
	Ptr				sndHeader;
	UInt8			sndEncode;
	UInt32			sndChannels;
	UInt32			sndFrames;
	UInt64			sndBytes = 0;
	UInt64			sndSamples = 0;

	*sndDataOffset = 0;
	*numSamples = 0;
	*sndDataSize = 0;

	SetHandleSize((Handle)sndDesc, kSoundDescriptionSize);
	CheckError(MemError(), (char *)"SetHandleSize error");

	sndHdrOffset = QTSound_GetSndHdrOffset(sndHandle);
	if (sndHdrOffset == 0)
		CheckError(-1, (char *)"QTSound_GetSndHdrOffset error");

	// the header's encode byte must lie inside the resource
	sndHandleSize = GetHandleSize(sndHandle);
	if ((sndHdrOffset < 0) || (sndHdrOffset > sndHandleSize - (kHeaderEncodeOffset + 1)))
		CheckError(-1, (char *)"Corrupt sound data");

	// the header is read in place; nothing below allocates, so the handle stays put
	sndHeader = *sndHandle + sndHdrOffset;
	sndEncode = (UInt8)sndHeader[kHeaderEncodeOffset];

	(**sndDesc).descSize = kSoundDescriptionSize;
	(**sndDesc).resvd1 = 0;
	(**sndDesc).resvd2 = 0;
	(**sndDesc).dataRefIndex = 1;
	(**sndDesc).compressionID = 0;
	(**sndDesc).packetSize = 0;
	(**sndDesc).version = 0;
	(**sndDesc).revlevel = 0;
	(**sndDesc).vendor = 0;

	switch (sndEncode) {
		case kStandardSoundHeader:
			sndHeaderSize = kStandardHeaderSize;
			if (sndHdrOffset > sndHandleSize - sndHeaderSize)
				CheckError(-1, (char *)"Corrupt sound data");

			(**sndDesc).dataFormat = k8BitOffsetBinaryFormat;
			(**sndDesc).numChannels = 1;
			(**sndDesc).sampleSize = 8;
			(**sndDesc).sampleRate = QTSound_GetU32(sndHeader, 8);

			sndSamples = QTSound_GetU32(sndHeader, 4);
			sndBytes = sndSamples;
			break;

		case kExtendedSoundHeader:
			sndHeaderSize = kExtendedHeaderSize;
			if (sndHdrOffset > sndHandleSize - sndHeaderSize)
				CheckError(-1, (char *)"Corrupt sound data");

			sndChannels = QTSound_GetU32(sndHeader, 4);
			sndFrames = QTSound_GetU32(sndHeader, 22);

			(**sndDesc).dataFormat = k8BitOffsetBinaryFormat;
			(**sndDesc).numChannels = (SInt16)(sndChannels & 0xFFFF);
			(**sndDesc).sampleSize = (SInt16)QTSound_GetU16(sndHeader, 48);
			(**sndDesc).sampleRate = QTSound_GetU32(sndHeader, 8);

			sndSamples = sndFrames;
			sndBytes = (UInt64)sndFrames * sndChannels * (QTSound_GetU16(sndHeader, 48) >> 3);
			break;

		case kCompressedSoundHeader: {
			SInt16		myCompressionID;
			UInt32		myBytesPerChannel;

			sndHeaderSize = kExtendedHeaderSize;
			if (sndHdrOffset > sndHandleSize - sndHeaderSize)
				CheckError(-1, (char *)"Corrupt sound data");

			sndChannels = QTSound_GetU32(sndHeader, 4);
			sndFrames = QTSound_GetU32(sndHeader, 22);
			myCompressionID = (SInt16)QTSound_GetU16(sndHeader, 56);

			(**sndDesc).numChannels = (SInt16)(sndChannels & 0xFFFF);
			(**sndDesc).sampleSize = (SInt16)QTSound_GetU16(sndHeader, 62);
			(**sndDesc).sampleRate = QTSound_GetU32(sndHeader, 8);

			if (myCompressionID == threeToOne) {
				(**sndDesc).dataFormat = kMACE3Compression;
				myBytesPerChannel = 2;
			} else if (myCompressionID == sixToOne) {
				(**sndDesc).dataFormat = kMACE6Compression;
				myBytesPerChannel = 1;
			} else {
				CheckError(-1, (char *)"Corrupt sound data");
				return;
			}

			if ((sndChannels != 1) && (sndChannels != 2))
				CheckError(-1, (char *)"Corrupt sound data");

			// a packet holds 6 samples per channel
			sndSamples = (UInt64)sndFrames * 6;
			sndBytes = (UInt64)sndFrames * myBytesPerChannel * sndChannels;
			break;
		}

		default:
			CheckError(-1, (char *)"Corrupt sound data");
			return;
	}

	// the counts must be representable, and the sample data must lie inside the resource
	if ((sndSamples > 0x7FFFFFFF) || (sndBytes > (UInt64)(sndHandleSize - sndHdrOffset - sndHeaderSize)))
		CheckError(-1, (char *)"Corrupt sound data");

	*numSamples = (SInt32)sndSamples;
	*sndDataSize = (SInt32)sndBytes;
	*sndDataOffset = sndHdrOffset + sndHeaderSize;
}


//////////
//
// QTSound_GetSndHdrOffset
// The offset of the sound header from the start of the resource, or 0 when the
// resource has no sound or buffer command with the data-offset flag.
//
//////////

SInt32 QTSound_GetSndHdrOffset (Handle sndHandle)
{
	SInt32			mySize;
	SInt32			myOffset = 0;
	SInt16			myFormat;
	SInt16			myNumModifiers;
	SInt16			myNumCommands;
	UInt16			myCommand;

	if ((sndHandle == NULL) || (*sndHandle == NULL))
		return(0);

	mySize = GetHandleSize(sndHandle);

	// format 1: modifier entries of 6 bytes after the count; format 2: a reference count
	if (mySize < 2)
		return(0);
	myFormat = (SInt16)QTSound_GetU16(*sndHandle, 0);
	if (myFormat == 1) {
		if (mySize < 4)
			return(0);
		myNumModifiers = (SInt16)QTSound_GetU16(*sndHandle, 2);
		if (myNumModifiers < 0)
			return(0);
		myOffset = 4 + (6 * myNumModifiers);
	} else {
		myOffset = 4;
	}

	if (myOffset > mySize - 2)
		return(0);
	myNumCommands = (SInt16)QTSound_GetU16(*sndHandle, myOffset);
	myOffset += 2;

	while (myNumCommands > 0) {
		// a command list that runs past the end has no usable command
		if (myOffset > mySize - kSoundCommandSize)
			return(0);

		myCommand = QTSound_GetU16(*sndHandle, myOffset);
		if ((myCommand >= kFirstOffsetCommand) && (myCommand <= kLastOffsetCommand))
			return((SInt32)QTSound_GetU32(*sndHandle, myOffset + 4));

		myOffset += kSoundCommandSize;
		myNumCommands--;
	}

	return(0);
}
