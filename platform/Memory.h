/*
 * Memory.h — the Memory Manager: relocatable handles and fixed pointers.
 *
 * A Handle points to a master pointer, which points to the block. An
 * unlocked block may move whenever its size grows (SetHandleSize), so code
 * re-reads *h after any call that may allocate. A locked block never moves:
 * growing it beyond the room it has fails with memFullErr. A Ptr block
 * never moves either; SetPtrSize fails with memFullErr rather than move it.
 * MemError() reports the result of the last Memory Manager call.
 */
#pragma once

#include "platform/Types.h"

// Handle state bits (HGetState / HSetState).
enum {
    kHandleIsResourceBit  = 5,
    kHandlePurgeableBit   = 6,
    kHandleLockedBit      = 7,
    kHandleIsResourceMask = 0x20,
    kHandlePurgeableMask  = 0x40,
    kHandleLockedMask     = 0x80
};

OSErr MemError(void);

Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
Handle NewEmptyHandle(void);
void   DisposeHandle(Handle h);
Size   GetHandleSize(Handle h);
void   SetHandleSize(Handle h, Size newSize);
void   EmptyHandle(Handle h);
void   ReallocateHandle(Handle h, Size byteCount);
void   HLock(Handle h);
void   HUnlock(Handle h);
void   HLockHi(Handle h);
void   MoveHHi(Handle h);
SInt8  HGetState(Handle h);
void   HSetState(Handle h, SInt8 flags);

Ptr    NewPtr(Size byteCount);
Ptr    NewPtrClear(Size byteCount);
void   DisposePtr(Ptr p);
Size   GetPtrSize(Ptr p);
void   SetPtrSize(Ptr p, Size newSize);

void   BlockMove(const void* srcPtr, void* destPtr, Size byteCount);
void   BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount);

OSErr  PtrToHand(const void* srcPtr, Handle* dstHndl, SInt32 size);
OSErr  PtrToXHand(const void* srcPtr, Handle dstHndl, SInt32 size);
OSErr  HandToHand(Handle* theHndl);
OSErr  HandAndHand(Handle hand1, Handle hand2);
OSErr  PtrAndHand(const void* ptr1, Handle hand2, SInt32 size);
