/*
 * Importers.h — graphics importers (still images drawn into a port) and
 * movie importers (files that become movies), and aliases for data
 * references.
 *
 * Files are recognised by their content, never by name or Finder type.
 * Graphics importers read PNG, JPEG, GIF (the first image), BMP and
 * single-image movie-format files ('qtif'); movie importers read WAV and
 * AIFF/AIFF-C sound files. Images are not imported as movies: for an image
 * file GetMovieImporterForDataRef finds no importer, with or without
 * kGetMovieImporterDontConsiderGraphicsImporters (open it with
 * GetGraphicsImporterForFile instead).
 *
 * GetGraphicsImporterForFile: cantFindHandler for a file no importer reads;
 * codecBadDataErr for a damaged header, codecSizeErr for an image over
 * 16384 pixels a side or 64 megapixels, codecUnimpErr for a feature we do
 * not decode; File Manager codes for a file that cannot be read. The
 * graphics importer calls answer badComponentInstance for a nil or closed
 * instance and badComponentSelector for an instance of another kind.
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
// Points an importer at a file of its format (codecBadDataErr for another).
ComponentResult GraphicsImportSetDataFile(GraphicsImportComponent ci, const FSSpec* theFile);
// Nil port: the current port at the time of this call.
ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent ci, CGrafPtr port, GDHandle gd);
// Draws the image scaled to the bounds rectangle (the natural bounds until
// set) in the importer's port; the first draw decodes the image.
ComponentResult GraphicsImportDraw(GraphicsImportComponent ci);
ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent ci, Rect* naturalBounds);
ComponentResult GraphicsImportGetBoundsRect(GraphicsImportComponent ci, Rect* bounds);
ComponentResult GraphicsImportSetBoundsRect(GraphicsImportComponent ci, const Rect* bounds);

// For an 'alis' data reference to a WAV or AIFF/AIFF-C file: the movie
// importer registered under the file's Finder type. cantFindHandler for
// any other file or data reference type, invalidDataRef for a damaged alias.
OSErr GetMovieImporterForDataRef(OSType dataRefType, Handle dataRef, SInt32 flags,
                                 Component* importer);
// An alias record (the movie files' 'alis' layout, absolute path only) for
// an existing file, in a new handle the caller disposes of.
OSErr QTNewAlias(const FSSpec* fss, AliasHandle* alias, Boolean minimal);
