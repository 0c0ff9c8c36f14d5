/*
 * Movies.h — the movie toolbox: movies, tracks, media, samples, movie
 * files, time bases, user data and the scrap.
 *
 * Movies, tracks and media are opaque references; a movie owns its tracks,
 * a track its media. Calls that return an object give nil on failure and
 * leave the code for GetMoviesError. Sample descriptions are handles in
 * host byte order (the system reads (**desc).dataSize directly); the files
 * hold them big-endian.
 */
#pragma once

#include "platform/Components.h"
#include "platform/Files.h"
#include "platform/QuickDraw.h"
#include "platform/Types.h"

typedef struct OpaqueMovie* Movie;
typedef struct OpaqueTrack* Track;
typedef struct OpaqueMedia* Media;
typedef struct OpaqueUserData* UserData;
typedef struct OpaqueTimeBase* TimeBase;
typedef ComponentInstance MediaHandler;
typedef ComponentInstance DataHandler;

typedef SInt32 TimeValue;
typedef SInt32 TimeScale;
typedef SInt64 TimeValue64;
typedef wide CompTimeValue;

struct TimeRecord {
    CompTimeValue value;
    TimeScale scale;
    TimeBase base;
};

// ---------------------------------------------------------------- sample descriptions

struct SampleDescription {
    SInt32 descSize;
    SInt32 dataFormat;
    SInt32 resvd1;
    SInt16 resvd2;
    SInt16 dataRefIndex;
};
typedef SampleDescription* SampleDescriptionPtr;
typedef SampleDescriptionPtr* SampleDescriptionHandle;

// Version-0 sound description: exactly 36 bytes.
struct SoundDescription {
    SInt32 descSize;
    SInt32 dataFormat;
    SInt32 resvd1;
    SInt16 resvd2;
    SInt16 dataRefIndex;
    SInt16 version;
    SInt16 revlevel;
    SInt32 vendor;
    SInt16 numChannels;
    SInt16 sampleSize;
    SInt16 compressionID;
    SInt16 packetSize;
    UnsignedFixed sampleRate;
};
static_assert(sizeof(SoundDescription) == 36);
typedef SoundDescription* SoundDescriptionPtr;
typedef SoundDescriptionPtr* SoundDescriptionHandle;

enum : OSType {
    k8BitOffsetBinaryFormat = 'raw ',
    k16BitBigEndianFormat   = 'twos',
    k16BitLittleEndianFormat = 'sowt',
    kMACE3Compression       = 'MAC3',
    kMACE6Compression       = 'MAC6',
    kSoundNotCompressed     = 'NONE'
};

// ---------------------------------------------------------------- media and tracks

enum : OSType {
    VideoMediaType      = 'vide',
    SoundMediaType      = 'soun',
    TextMediaType       = 'text',
    TimeCodeMediaType   = 'tmcd',
    kQTSStreamMediaType = 'strm',
    BaseMediaType       = 'gnrc',
    VisualMediaCharacteristic = 'eyes',
    AudioMediaCharacteristic  = 'ears',
    kCharacteristicCanSendVideo = 'vsnd'
};

enum {
    kNoVolume   = 0,
    kFullVolume = 0x0100
};

// GetMovieIndTrackType flags
enum {
    movieTrackMediaType      = 1 << 0,
    movieTrackCharacteristic = 1 << 1,
    movieTrackEnabledOnly    = 1 << 2
};

// GetTrackNextInterestingTime flags
enum {
    nextTimeMediaSample         = 1 << 0,
    nextTimeMediaEdit           = 1 << 1,
    nextTimeTrackEdit           = 1 << 2,
    nextTimeSyncSample          = 1 << 3,
    nextTimeStep                = 1 << 4,
    nextTimeEdgeOK              = 1 << 14,
    nextTimeIgnoreActiveSegment = 1 << 15
};

// AddMediaSample flags
enum {
    mediaSampleNotSync    = 1 << 0,
    mediaSampleShadowSync = 1 << 1
};

// ---------------------------------------------------------------- movies and files

enum {
    newMovieActive              = 1 << 0,
    newMovieDontResolveDataRefs = 1 << 1,
    newMovieDontAskUnresolvedDataRefs = 1 << 2,
    newMovieDontAutoAlternates  = 1 << 3,
    newMovieDontUpdateForeBackPointers = 1 << 4
};

enum : UInt32 {
    createMovieFileDeleteCurFile     = 1UL << 31,
    createMovieFileDontCreateMovie   = 1UL << 30,
    createMovieFileDontOpenFile      = 1UL << 29,
    createMovieFileDontCreateResFile = 1UL << 28
};

enum {
    movieInDataForkResID = -1
};

enum {
    flattenAddMovieToDataFork            = 1L << 0,
    flattenActiveTracksOnly              = 1L << 2,
    flattenDontInterleaveFlatten         = 1L << 3,
    flattenFSSpecPtrIsDataRefRecordPtr   = 1L << 4,
    flattenCompressMovieResource         = 1L << 5,
    flattenForceMovieResourceBeforeMovieData = 1L << 6
};

// Play hints
enum {
    hintsScrubMode          = 1 << 0,
    hintsLoop               = 1 << 1,
    hintsDontPurge          = 1 << 2,
    hintsUseScreenBuffer    = 1 << 5,
    hintsAllowInterlace     = 1 << 6,
    hintsUseSoundInterp     = 1 << 7,
    hintsHighQuality        = 1 << 8,
    hintsPalindrome         = 1 << 9,
    hintsAllowDynamicResize = 1 << 19
};

// Time base flags
enum {
    loopTimeBase           = 1,
    palindromeLoopTimeBase = 2,
    maintainTimeBaseZero   = 4
};

enum : OSType {
    kQTFileTypeMovie          = 'MooV',
    kQTFileTypeMP4            = 'mpg4',
    kQTFileTypeM4A            = 'M4A ',
    kQTFileTypeQuickTimeImage = 'qtif',
    kQTFileTypeWave           = 'WAVE',
    kQTFileTypeAIFF           = 'AIFF',
    kQTFileTypeAIFC           = 'AIFC',
    sigMoviePlayer            = 'TVOD',
    rAliasType                = 'alis',
    kAppleManufacturer        = 'appl'
};

// User data types
enum : OSType {
    kUserDataMovieControllerType = 'ctyp',
    kUserDataName                = 'name',
    kUserDataTextCopyright       = 0xA9637079,   // (c)cpy
    kUserDataTextFullName        = 0xA96E616D,   // (c)nam
    kUserDataTextInformation     = 0xA9696E66    // (c)inf
};

// Progress
enum {
    movieProgressOpen          = 0,
    movieProgressUpdatePercent = 1,
    movieProgressClose         = 2
};
enum {
    progressOpFlatten        = 1,
    progressOpInsertTrackSegment = 2,
    progressOpInsertMovieSegment = 3,
    progressOpPaste          = 4,
    progressOpAddMovieSelection = 5,
    progressOpCopy           = 6,
    progressOpCut            = 7,
    progressOpLoadMovieIntoRam = 8,
    progressOpLoadTrackIntoRam = 9,
    progressOpLoadMediaIntoRam = 10,
    progressOpImportMovie    = 11,
    progressOpExportMovie    = 12
};
typedef OSErr (*MovieProgressProcPtr)(Movie theMovie, SInt16 message, SInt16 whatOperation,
                                      Fixed percentDone, SRefCon refcon);
typedef MovieProgressProcPtr MovieProgressUPP;
// Passing this as the procedure installs the platform's own progress window.
#define kMovieDefaultProgressProc ((MovieProgressUPP)(intptr_t)-1)

// ---------------------------------------------------------------- calls

// Start and end
OSErr EnterMovies(void);
void ExitMovies(void);
OSErr GetMoviesError(void);

// Movies
Movie NewMovie(SInt32 flags);
void DisposeMovie(Movie theMovie);
void SetMovieGWorld(Movie theMovie, CGrafPtr port, GDHandle gdh);
void GetMovieGWorld(Movie theMovie, CGrafPtr* port, GDHandle* gdh);
void GetMovieBox(Movie theMovie, Rect* boxRect);
void SetMovieBox(Movie theMovie, const Rect* boxRect);
void GetMovieNaturalBoundsRect(Movie theMovie, Rect* naturalBounds);
void SetMovieProgressProc(Movie theMovie, MovieProgressUPP p, SRefCon refcon);
void SetMoviePlayHints(Movie theMovie, SInt32 flags, SInt32 flagsMask);
Fixed GetMoviePreferredRate(Movie theMovie);
void SetMoviePreferredRate(Movie theMovie, Fixed rate);
Fixed GetMovieRate(Movie theMovie);
void SetMovieRate(Movie theMovie, Fixed rate);
SInt16 GetMovieVolume(Movie theMovie);
void SetMovieVolume(Movie theMovie, SInt16 volume);
SInt16 GetMoviePreferredVolume(Movie theMovie);
void SetMoviePreferredVolume(Movie theMovie, SInt16 volume);
TimeScale GetMovieTimeScale(Movie theMovie);
void SetMovieTimeScale(Movie theMovie, TimeScale timeScale);
TimeValue GetMovieDuration(Movie theMovie);
TimeValue GetMovieTime(Movie theMovie, TimeRecord* currentTime);
void SetMovieTimeValue(Movie theMovie, TimeValue newtime);
void GoToBeginningOfMovie(Movie theMovie);
void StartMovie(Movie theMovie);
void StopMovie(Movie theMovie);
void GetMovieSelection(Movie theMovie, TimeValue* selectionTime, TimeValue* selectionDuration);
void SetMovieSelection(Movie theMovie, TimeValue selectionTime, TimeValue selectionDuration);
Boolean GetMovieActive(Movie theMovie);
void SetMovieActive(Movie theMovie, Boolean active);
void MoviesTask(Movie theMovie, SInt32 maxMilliSecToUse);
// Whether playback can present the movie's enabled tracks (a track: itself):
// noErr, or the code of the first track that cannot be presented (noCodecErr
// for a sound or video format nothing decodes), that track in
// *firstProblemTrack (may be nil).
ComponentResult GetMovieStatus(Movie theMovie, Track* firstProblemTrack);
ComponentResult GetTrackStatus(Track theTrack);
void UpdateMovie(Movie theMovie);
TimeBase GetMovieTimeBase(Movie theMovie);
SInt32 GetTimeBaseFlags(TimeBase tb);
void SetTimeBaseFlags(TimeBase tb, SInt32 timeBaseFlags);
OSErr PutMovieOnScrap(Movie theMovie, SInt32 movieScrapFlags);
Movie NewMovieFromScrap(SInt32 newMovieFlags);

// Tracks and media
Track NewMovieTrack(Movie theMovie, Fixed width, Fixed height, SInt16 trackVolume);
void DisposeMovieTrack(Track theTrack);
Media NewTrackMedia(Track theTrack, OSType mediaType, TimeScale timeScale, Handle dataRef,
                    OSType dataRefType);
OSErr BeginMediaEdits(Media theMedia);
OSErr EndMediaEdits(Media theMedia);
OSErr AddMediaSample(Media theMedia, Handle dataIn, SInt32 inOffset, UInt32 size,
                     TimeValue durationPerSample, SampleDescriptionHandle sampleDescriptionH,
                     SInt32 numberOfSamples, SInt16 sampleFlags, TimeValue* sampleTime);
TimeValue GetMediaDuration(Media theMedia);
TimeScale GetMediaTimeScale(Media theMedia);
OSErr InsertMediaIntoTrack(Track theTrack, TimeValue trackStart, TimeValue mediaTime,
                           TimeValue mediaDuration, Fixed mediaRate);
SInt32 GetMovieTrackCount(Movie theMovie);
Track GetMovieIndTrack(Movie theMovie, SInt32 index);
Track GetMovieIndTrackType(Movie theMovie, SInt32 index, OSType trackType, SInt32 flags);
Media GetTrackMedia(Track theTrack);
Movie GetTrackMovie(Track theTrack);
SInt32 GetTrackID(Track theTrack);
TimeValue GetTrackDuration(Track theTrack);
Boolean GetTrackEnabled(Track theTrack);
void SetTrackEnabled(Track theTrack, Boolean isEnabled);
SInt16 GetTrackVolume(Track theTrack);
void SetTrackVolume(Track theTrack, SInt16 volume);
void GetTrackDimensions(Track theTrack, Fixed* width, Fixed* height);
Track GetMediaTrack(Media theMedia);
void GetMediaHandlerDescription(Media theMedia, OSType* mediaType, Str255 creatorName,
                                OSType* creatorManufacturer);
MediaHandler GetMediaHandler(Media theMedia);
ComponentResult MediaGetName(MediaHandler mh, Str255 name, SInt32 requestedLanguage,
                             SInt32* actualLanguage);
SInt32 GetMediaSampleCount(Media theMedia);
OSErr GetMediaSample(Media theMedia, Handle dataOut, SInt32 maxSizeToGrow, SInt32* size,
                     TimeValue time, TimeValue* sampleTime, TimeValue* durationPerSample,
                     SampleDescriptionHandle sampleDescriptionH, SInt32* sampleDescriptionIndex,
                     SInt32 maxNumberOfSamples, SInt32* numberOfSamples, SInt16* sampleFlags);
void GetTrackNextInterestingTime(Track theTrack, SInt16 interestingTimeFlags, TimeValue time,
                                 Fixed rate, TimeValue* interestingTime,
                                 TimeValue* interestingDuration);
// The nearest interesting time over the movie's enabled tracks whose media
// type is one of `whichMediaTypes` (every type when numMediaTypes is 0).
void GetMovieNextInterestingTime(Movie theMovie, SInt16 interestingTimeFlags, SInt16 numMediaTypes,
                                 const OSType* whichMediaTypes, TimeValue time, Fixed rate,
                                 TimeValue* interestingTime, TimeValue* interestingDuration);
void GetMediaSampleDescription(Media theMedia, SInt32 index, SampleDescriptionHandle descH);
SInt32 GetMediaSampleDescriptionCount(Media theMedia);

// Track references
OSErr AddTrackReference(Track theTrack, Track refTrack, OSType refType, SInt32* addedIndex);
OSErr DeleteTrackReference(Track theTrack, OSType refType, SInt32 index);
OSErr SetTrackReference(Track theTrack, Track refTrack, OSType refType, SInt32 index);
Track GetTrackReference(Track theTrack, OSType refType, SInt32 index);
OSType GetNextTrackReferenceType(Track theTrack, OSType refType);
SInt32 GetTrackReferenceCount(Track theTrack, OSType refType);

// User data: items are raw bytes, indexes count from 1.
UserData GetMovieUserData(Movie theMovie);
UserData GetTrackUserData(Track theTrack);
OSErr GetUserData(UserData theUserData, Handle data, OSType udType, SInt32 index);
OSErr GetUserDataItem(UserData theUserData, void* data, SInt32 size, OSType udType, SInt32 index);
OSErr SetUserDataItem(UserData theUserData, void* data, SInt32 size, OSType udType, SInt32 index);
OSErr AddUserData(UserData theUserData, Handle data, OSType udType);
OSErr AddUserDataText(UserData theUserData, Handle data, OSType udType, SInt32 index,
                      SInt16 itlRegionTag);
OSErr GetUserDataText(UserData theUserData, Handle data, OSType udType, SInt32 index,
                      SInt16 itlRegionTag);
SInt16 CountUserDataType(UserData theUserData, OSType udType);
OSType GetNextUserDataType(UserData theUserData, OSType udType);
OSErr RemoveUserData(UserData theUserData, OSType udType, SInt32 index);

// Movie files
OSErr CreateMovieFile(const FSSpec* fileSpec, OSType creator, ScriptCode scriptTag,
                      SInt32 createMovieFileFlags, SInt16* resRefNum, Movie* newmovie);
OSErr OpenMovieFile(const FSSpec* fileSpec, SInt16* resRefNum, SInt8 permission);
OSErr CloseMovieFile(SInt16 resRefNum);
OSErr DeleteMovieFile(const FSSpec* fileSpec);
OSErr NewMovieFromFile(Movie* theMovie, SInt16 resRefNum, SInt16* resId, StringPtr resName,
                       SInt16 newMovieFlags, Boolean* dataRefWasChanged);
OSErr AddMovieResource(Movie theMovie, SInt16 resRefNum, SInt16* resId, ConstStr255Param resName);
OSErr UpdateMovieResource(Movie theMovie, SInt16 resRefNum, SInt16 resId,
                          ConstStr255Param resName);
Movie FlattenMovieData(Movie theMovie, SInt32 movieFlattenFlags, const FSSpec* theFile,
                       OSType creator, ScriptCode scriptTag, SInt32 createMovieFileFlags);
// Writes the movie as a file everyone plays (H.264 and AAC in an MPEG-4
// file, movie first) through the export of its kind: fileType
// kQTFileTypeMP4 ('mpg4') or kQTFileTypeM4A ('M4A '). Only the whole movie
// (onlyTrack nil) and flags 0 or createMovieFileDeleteCurFile; resID and
// userComp are not used. The movie's progress procedure hears
// progressOpExportMovie; a cancelled or failed export leaves no file.
OSErr ConvertMovieToFile(Movie theMovie, Track onlyTrack, FSSpec* outputFile, OSType fileType,
                         OSType creator, ScriptCode scriptTag, SInt16* resID, SInt32 flags,
                         ComponentInstance userComp);
Boolean HasMovieChanged(Movie theMovie);
void ClearMovieChanged(Movie theMovie);

// Editing
Movie CutMovieSelection(Movie theMovie);
Movie CopyMovieSelection(Movie theMovie);
void PasteMovieSelection(Movie theMovie, Movie src);
void ClearMovieSelection(Movie theMovie);
