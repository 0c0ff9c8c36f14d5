/*
 * Importers.h — graphics importers (still images drawn into a port) and
 * movie importers (files that become movies), and aliases for data
 * references.
 */
#pragma once

#include "platform/Components.h"
#include "platform/Files.h"
#include "platform/QuickDraw.h"

typedef ComponentInstance GraphicsImportComponent;
typedef ComponentInstance MovieImportComponent;
typedef Handle AliasHandle;

enum {
    kGetMovieImporterValidateToFindImporter = 1 << 0,
    kGetMovieImporterAllowNewFile           = 1 << 1,
    kGetMovieImporterDontConsiderGraphicsImporters = 1 << 2,
    kGetMovieImporterDontConsiderFileOnlyImporters = 1 << 6,
    kGetMovieImporterAutoImportOnly         = 1 << 10
};

OSErr GetGraphicsImporterForFile(const FSSpec* theFile, GraphicsImportComponent* gi);
ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent ci, CGrafPtr port, GDHandle gd);
ComponentResult GraphicsImportDraw(GraphicsImportComponent ci);
ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent ci, Rect* naturalBounds);
ComponentResult GraphicsImportGetBoundsRect(GraphicsImportComponent ci, Rect* bounds);
ComponentResult GraphicsImportSetBoundsRect(GraphicsImportComponent ci, const Rect* bounds);

OSErr GetMovieImporterForDataRef(OSType dataRefType, Handle dataRef, SInt32 flags,
                                 Component* importer);
OSErr QTNewAlias(const FSSpec* fss, AliasHandle* alias, Boolean minimal);
