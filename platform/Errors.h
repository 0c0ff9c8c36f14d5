/*
 * Errors.h — result codes. 0 is success; every failure has its own code.
 * Calls that return an object give nil on failure and leave the code for
 * MemError, ResError or GetMoviesError.
 */
#pragma once

#include "platform/Types.h"

enum {
    noErr = 0,

    // General
    paramErr        = -50,
    unimpErr        = -4,
    userCanceledErr = -128,

    // Files
    dirFulErr  = -33,
    dskFulErr  = -34,
    nsvErr     = -35,
    ioErr      = -36,
    bdNamErr   = -37,
    fnOpnErr   = -38,
    eofErr     = -39,
    posErr     = -40,
    tmfoErr    = -42,
    fnfErr     = -43,
    wPrErr     = -44,
    fLckdErr   = -45,
    vLckdErr   = -46,
    fBsyErr    = -47,
    dupFNErr   = -48,
    opWrErr    = -49,
    rfNumErr   = -51,
    permErr    = -54,
    wrPermErr  = -61,
    dirNFErr   = -120,
    afpAccessDenied = -5000,

    // Memory
    memFullErr   = -108,
    nilHandleErr = -109,
    memAdrErr    = -110,
    memWZErr     = -111,
    memPurErr    = -112,
    memLockedErr = -117,

    // Resources
    resourceInMemory = -188,
    writingPastEnd   = -189,
    inputOutOfBounds = -190,
    resNotFound      = -192,
    resFNotFound     = -193,
    addResFailed     = -194,
    rmvResFailed     = -196,
    resAttrErr       = -198,
    mapReadErr       = -199,

    // Sound
    notEnoughHardwareErr = -201,
    badChannel           = -205,   // also: a channel count the sound importers do not take
    badFormat            = -206,
    badFileFormat        = -208,   // a sound file that is damaged or of no kind we read
    siInvalidCompression = -223,
    siInvalidSampleRate  = -225,
    siInvalidSampleSize  = -226,

    // Gestalt
    gestaltUnknownErr       = -5550,
    gestaltUndefSelectorErr = -5551,
    gestaltDupSelectorErr   = -5552,

    // Apple events
    errAECoercionFail      = -1700,
    errAEDescNotFound      = -1701,
    errAECorruptData       = -1702,
    errAEWrongDataType     = -1703,
    errAENotAEDesc         = -1704,
    errAEBadListItem       = -1705,
    errAENotAppleEvent     = -1707,
    errAEEventNotHandled   = -1708,
    errAEReplyNotValid     = -1709,
    errAEParamMissed       = -1715,
    errAEHandlerNotFound   = -1717,
    errAEIllegalIndex      = -1719,

    // Movies
    couldNotResolveDataRef     = -2000,
    badImageDescription        = -2001,
    badPublicMovieAtom         = -2002,
    cantFindHandler            = -2003,
    cantOpenHandler            = -2004,
    badComponentType           = -2005,
    noMediaHandler             = -2006,
    noDataHandler              = -2007,
    invalidMedia               = -2008,
    invalidTrack               = -2009,
    invalidMovie               = -2010,
    invalidSampleTable         = -2011,
    invalidDataRef             = -2012,
    invalidHandler             = -2013,
    invalidDuration            = -2014,
    invalidTime                = -2015,
    cantPutPublicMovieAtom     = -2016,
    badEditList                = -2017,
    mediaTypesDontMatch        = -2018,
    progressProcAborted        = -2019,
    movieToolboxUninitialized  = -2020,
    wfFileNotFound             = -2021,
    cantCreateSingleForkFile   = -2022,
    invalidEditState           = -2023,
    nonMatchingEditState       = -2024,
    staleEditState             = -2025,
    userDataItemNotFound       = -2026,
    maxSizeToGrowTooSmall      = -2027,
    badTrackIndex              = -2028,
    trackIDNotFound            = -2029,
    trackNotInMovie            = -2030,
    timeNotInTrack             = -2031,
    timeNotInMedia             = -2032,
    badEditIndex               = -2033,
    internalQuickTimeError     = -2034,
    cantEnableTrack            = -2035,
    invalidRect                = -2036,
    invalidSampleNum           = -2037,
    invalidChunkNum            = -2038,
    invalidSampleDescIndex     = -2039,
    invalidChunkCache          = -2040,
    invalidSampleDescription   = -2041,
    dataNotOpenForRead         = -2042,
    dataNotOpenForWrite        = -2043,
    dataAlreadyOpenForWrite    = -2044,
    dataAlreadyClosed          = -2045,
    endOfDataReached           = -2046,
    dataNoDataRef              = -2047,
    noMovieFound               = -2048,
    invalidDataRefContainer    = -2049,
    badDataRefIndex            = -2050,
    noDefaultDataRef           = -2051,
    couldNotUseAnExistingSample = -2052,
    featureUnsupported         = -2053,
    unsupportedAuxiliaryImportData = -2057,
    noSourceTreeFoundErr       = -2062,
    samplesAlreadyInMediaErr   = -2063,
    auxiliaryExportDataUnavailable = -2064,
    unsupportedProcessorErr    = -2065,

    // Components
    invalidComponentID          = -3000,
    validInstancesExist         = -3001,
    componentNotCaptured        = -3002,
    componentDontRegister       = -3003,
    unresolvedComponentDLLErr   = -3004,

    // Image compression
    codecErr                = -8960,
    noCodecErr              = -8961,
    codecUnimpErr           = -8962,
    codecSizeErr            = -8963,
    codecScreenBufErr       = -8964,
    codecImageBufErr        = -8965,
    codecSpoolErr           = -8966,
    codecAbortErr           = -8967,
    codecWouldOffscreenErr  = -8968,
    codecBadDataErr         = -8969,
    codecDataVersErr        = -8970,
    codecExtensionNotFoundErr = -8971,
    codecConditionErr       = -8972,
    codecOpenErr            = -8973,

    // Atom containers
    invalidAtomErr            = -2100,
    cannotFindAtomErr         = -2101,
    invalidAtomContainerErr   = -2102,
    invalidAtomTypeErr        = -2103,
    duplicateAtomTypeAndIDErr = -2104,

    // Navigation
    kNavWrongDialogStateErr   = -5694,
    kNavWrongDialogClassErr   = -5695,
    kNavInvalidSystemConfigErr = -5696,
    kNavCustomControlMessageFailedErr = -5697,
    kNavInvalidCustomControlMessageErr = -5698,
    kNavMissingKindStringErr  = -5699,

    // Dialogs, windows
    errWindowNotFound = -5623
};

// Component calls answer with a 32-bit result.
typedef SInt32 ComponentResult;
enum : SInt32 {
    badComponentInstance = (SInt32)0x80008001,
    badComponentSelector = (SInt32)0x80008002
};
