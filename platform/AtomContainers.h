/*
 * AtomContainers.h — atom containers (a tree of typed, numbered atoms in
 * one handle, big-endian) and the preferences stored as atom containers.
 */
#pragma once

#include "platform/Types.h"

typedef Handle QTAtomContainer;
typedef SInt32 QTAtom;
typedef UInt32 QTAtomType;
typedef SInt32 QTAtomID;

enum { kParentAtomIsContainer = 0 };

OSErr QTNewAtomContainer(QTAtomContainer* atomData);
OSErr QTDisposeAtomContainer(QTAtomContainer atomData);
OSErr QTInsertChild(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                    QTAtomID id, SInt16 index, SInt32 dataSize, void* data, QTAtom* newAtom);
QTAtom QTFindChildByID(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                       QTAtomID id, SInt16* index);
QTAtom QTFindChildByIndex(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                          SInt16 index, QTAtomID* id);
SInt16 QTCountChildrenOfType(QTAtomContainer container, QTAtom parentAtom, QTAtomType childType);
OSErr QTGetAtomDataPtr(QTAtomContainer container, QTAtom atom, SInt32* dataSize, Ptr* atomData);
OSErr QTSetAtomData(QTAtomContainer container, QTAtom atom, SInt32 dataSize, void* atomData);
OSErr QTRemoveAtom(QTAtomContainer container, QTAtom atom);

// Preferences: one atom container per preference type.
enum : OSType { ConnectionSpeedPrefsType = 'cspd' };
enum { kDataRate288ModemRate = 2800 };
struct ConnectionSpeedPrefsRecord {
    SInt32 connectionSpeed;
};

OSErr GetQuickTimePreference(OSType preferenceType, QTAtomContainer* preferenceAtom);
OSErr SetQuickTimePreference(OSType preferenceType, QTAtomContainer preferenceAtom);
