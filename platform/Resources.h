/*
 * Resources.h — the Resource Manager: typed, numbered resources read from
 * resource files.
 *
 * Open resource files form a chain, newest first. GetResource and friends
 * search from the current file (CurResFile) down to the oldest open file;
 * the Get1 calls look in the current file only. A resource is loaded into a
 * Memory Manager handle flagged as a resource; the same handle comes back on
 * every call until it is released (ReleaseResource, DisposeHandle, closing
 * its file) or detached (DetachResource, after which it is the caller's).
 * ResError() reports the result of the last Resource Manager call.
 *
 * Files are opened read-only. Reference numbers are positive; 0 stands for
 * the system file, which this platform does not have, so making it current
 * leaves nothing to search.
 */
#pragma once

#include "platform/Types.h"

// Resource attributes (GetResAttrs, and as stored in the file).
enum {
    resSysHeap   = 64,
    resPurgeable = 32,
    resLocked    = 16,
    resProtected = 8,
    resPreload   = 4,
    resChanged   = 2
};

// Resource file attributes.
enum {
    mapReadOnly = 128,
    mapCompact  = 64,
    mapChanged  = 32
};

OSErr  ResError(void);

SInt16 CurResFile(void);
void   UseResFile(SInt16 refNum);
void   CloseResFile(SInt16 refNum);
SInt16 HomeResFile(Handle theResource);

// Whether Get... calls read the data (true, the default) or hand out empty
// handles that LoadResource fills later.
void   SetResLoad(Boolean load);

Handle GetResource(ResType theType, SInt16 theID);
Handle Get1Resource(ResType theType, SInt16 theID);
Handle GetNamedResource(ResType theType, ConstStr255Param name);
Handle Get1NamedResource(ResType theType, ConstStr255Param name);

void   LoadResource(Handle theResource);
void   ReleaseResource(Handle theResource);
void   DetachResource(Handle theResource);

// Any of the out-parameters may be null.
void   GetResInfo(Handle theResource, SInt16* theID, ResType* theType, Str255 name);
SInt16 GetResAttrs(Handle theResource);
SInt32 GetResourceSizeOnDisk(Handle theResource);

// Counting and indexing (indices from 1). The Count/GetInd pairs cover the
// search chain from the current file down (resources hidden by a newer file
// included, each type once); the Count1/Get1Ind pairs the current file only.
// An index out of range gives nil (or type 0) and resNotFound.
SInt16 CountResources(ResType theType);
Handle GetIndResource(ResType theType, SInt16 index);
SInt16 Count1Resources(ResType theType);
Handle Get1IndResource(ResType theType, SInt16 index);
SInt16 CountTypes(void);
void   GetIndType(ResType* theType, SInt16 index);
SInt16 Count1Types(void);
void   Get1IndType(ResType* theType, SInt16 index);

// String lists ('STR#': a 16-bit count, then length-prefixed strings).
// index counts from 1; a missing list or an index out of range gives an
// empty string.
void   GetIndString(Str255 theString, SInt16 strListID, SInt16 index);

// Platform extension: opens the resource file at `path` (permission is
// accepted for the File Manager's sake; access is always read-only), puts it
// at the head of the chain and makes it current. Returns its reference
// number, or -1 with ResError set: fnfErr (no such file), permErr (not
// readable), ioErr, eofErr (an empty file), mapReadErr (a damaged file).
// Opening a file that is already open returns its reference number and
// leaves the current file unchanged.
SInt16 OpenResourceFileAtPath(const char* path, SInt8 permission);
