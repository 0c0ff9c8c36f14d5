/*
 * Components.h — the component registry: graphics and movie importers,
 * codecs and the movie controller, found by description.
 */
#pragma once

#include "platform/Types.h"

typedef struct OpaqueComponent* Component;
typedef struct OpaqueComponentInstance* ComponentInstance;

struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    UInt32 componentFlags;
    UInt32 componentFlagsMask;
};

enum : OSType {
    kAnyComponentType         = 0,
    kAnyComponentSubType      = 0,
    kAnyComponentManufacturer = 0,
    GraphicsImporterComponentType = 'grip',
    MovieImportType               = 'eat ',
    MovieControllerComponentType  = 'play',
    compressorComponentType       = 'imco',
    decompressorComponentType     = 'imdc'
};

// Importer flags
enum {
    canMovieImportHandles            = 1 << 0,
    canMovieImportFiles              = 1 << 1,
    hasMovieImportMIMEList           = 1 << 14,
    canMovieImportDataReferences     = 1 << 11,
    movieImportSubTypeIsFileExtension = 1 << 12,
    canMovieImportInPlace            = 1 << 7
};

Component FindNextComponent(Component aComponent, ComponentDescription* looking);
SInt32 CountComponents(ComponentDescription* looking);
OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon);
ComponentInstance OpenComponent(Component aComponent);
OSErr OpenAComponent(Component aComponent, ComponentInstance* ci);
OSErr CloseComponent(ComponentInstance aComponentInstance);
OSErr GetComponentInstanceError(ComponentInstance aComponentInstance);
