/*
 * Files.h — the File Manager: file specifications, Finder information and
 * the data fork of files, over the host's POSIX file system.
 *
 * One volume, reference number -1 (0 means the default volume, the same
 * one). Directory IDs stand for absolute folders: 2 is "/", 1 is the
 * parent of the root, and every other folder receives an ID the first
 * time a specification names it; the ID stays valid for the life of the
 * process.
 *
 * Names are UTF-8, at most 63 bytes in an FSSpec. ':' is an ordinary
 * character. FSMakeFSSpec also accepts a path: a name starting with '/' is
 * absolute (volume and directory are ignored), a name containing '/' is
 * relative to the directory (the working directory for directory 0).
 * A file whose name is longer than 63 bytes gets a short stand-in name,
 * "<start of the name>#<8 hex digits><extension>", remembered by the
 * process, so the FSSpec reaches exactly that file.
 *
 * A file is open for writing at most once, by this process or any other:
 * a second write open fails with opWrErr. Read opens are always allowed.
 * fsRdWrShPerm opens may share a file with each other, never with an
 * ordinary writer.
 *
 * Finder type and creator live in the extended attribute
 * "user.kinora.finder-info" (the 16-byte Finder information record,
 * big-endian). Without it, the type follows the name's extension and the
 * creator is 0.
 */
#pragma once

#include "platform/Errors.h"
#include "platform/Types.h"

// A folder was named where a file is needed.
enum { notAFileErr = -1302 };

enum {
    fsRtParID = 1,   // the parent of the root folder
    fsRtDirID = 2    // the root folder, "/"
};

// Access permissions for opening a file.
enum {
    fsCurPerm    = 0,   // the best available: read-write, else read-only
    fsRdPerm     = 1,
    fsWrPerm     = 2,
    fsRdWrPerm   = 3,
    fsRdWrShPerm = 4    // read-write, shared with other fsRdWrShPerm opens
};

// Positioning modes for SetFPos and the read/write calls.
enum {
    fsAtMark    = 0,
    fsFromStart = 1,
    fsFromLEOF  = 2,
    fsFromMark  = 3
};

// Finder flags (fdFlags).
enum {
    kIsOnDesk       = 0x0001,
    kHasCustomIcon  = 0x0400,
    kIsStationery   = 0x0800,
    kNameLocked     = 0x1000,
    kHasBundle      = 0x2000,
    kIsInvisible    = 0x4000,
    kIsAlias        = 0x8000
};

struct FSSpec {
    SInt16 vRefNum;
    SInt32 parID;
    Str63 name;   // length byte, then at most 63 bytes of UTF-8
};
typedef FSSpec* FSSpecPtr;
typedef FSSpecPtr* FSSpecHandle;

struct FInfo {
    OSType fdType;
    OSType fdCreator;
    UInt16 fdFlags;
    Point fdLocation;
    SInt16 fdFldr;
};

// noErr, or fnfErr with *spec filled in when only the file itself is
// missing; dirNFErr when a folder on the way is missing, bdNamErr for a
// name that cannot be a file name, nsvErr for an unknown volume.
OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* spec);

OSErr FSpGetFInfo(const FSSpec* spec, FInfo* fndrInfo);
OSErr FSpSetFInfo(const FSSpec* spec, const FInfo* fndrInfo);
// Creates an empty file (dupFNErr if the name is taken) with that type and creator.
OSErr FSpCreate(const FSSpec* spec, OSType creator, OSType fileType, ScriptCode scriptTag);
// Deletes a file or an empty folder; fBsyErr while the file is open for
// writing or the folder is not empty.
OSErr FSpDelete(const FSSpec* spec);
// Renames within the same folder; dupFNErr if the new name is taken.
OSErr FSpRename(const FSSpec* spec, ConstStr255Param newName);

OSErr FSpOpenDF(const FSSpec* spec, SInt8 permission, SInt16* refNum);
OSErr FSClose(SInt16 refNum);
// *count in: bytes wanted; out: bytes done. Reading past the end gives
// eofErr with the bytes that were there.
OSErr FSRead(SInt16 refNum, SInt32* count, void* buffPtr);
OSErr FSWrite(SInt16 refNum, SInt32* count, const void* buffPtr);
OSErr GetFPos(SInt16 refNum, SInt32* filePos);
// posErr before the start of the file; eofErr (mark left at the end) past it.
OSErr SetFPos(SInt16 refNum, SInt16 posMode, SInt32 posOff);
OSErr GetEOF(SInt16 refNum, SInt32* logEOF);
OSErr SetEOF(SInt16 refNum, SInt32 logEOF);
// Writes the file's data and its size through to the disk.
OSErr FlushFile(SInt16 refNum);
