/*
 * MovieController.h — the standard movie controller: a bar under the movie
 * with a speaker button, play/pause, a time slider, step buttons and an
 * optional grow box; editing through the movie's selection and the scrap.
 *
 * MCDoAction takes a pointer or, for some actions, the value itself in the
 * parameter slot (flags, Booleans), as each action's comment says.
 *
 * The calls that return an object (NewMovieController, MCGetIndMovie, MCCut,
 * MCCopy) leave their result for GetMoviesError, as the movie calls do:
 * noErr with an object; with nil, why there is none (invalidComponentID for
 * a controller that is not there or was disposed of; noErr from a Cut or
 * Copy of an empty selection, which has nothing to take).
 */
#pragma once

#include "platform/Components.h"
#include "platform/Events.h"
#include "platform/Movies.h"
#include "platform/QuickDraw.h"
#include "platform/Windows.h"

typedef ComponentInstance MovieController;

// Creation flags
enum {
    mcTopLeftMovie       = 1 << 0,
    mcScaleMovieToFit    = 1 << 1,
    mcWithBadge          = 1 << 2,
    mcNotVisible         = 1 << 3,
    mcWithFrame          = 1 << 4
};

// Actions
enum {
    mcActionIdle                  = 1,   // param: nil
    mcActionDraw                  = 2,   // param: the window (WindowRef)
    mcActionActivate              = 3,
    mcActionDeactivate            = 4,
    mcActionMouseDown             = 5,   // param: EventRecord*
    mcActionKey                   = 6,   // param: EventRecord*
    mcActionPlay                  = 8,   // param: Fixed rate (value)
    mcActionGoToTime              = 12,  // param: TimeRecord*
    mcActionSetVolume             = 14,  // param: SInt16* (8.8)
    mcActionGetVolume             = 15,  // param: SInt16*
    mcActionStep                  = 18,  // param: SInt32 steps (value)
    mcActionSetLooping            = 21,  // param: Boolean (value)
    mcActionGetLooping            = 22,  // param: Boolean*
    mcActionSetLoopIsPalindrome   = 23,  // param: Boolean (value)
    mcActionGetLoopIsPalindrome   = 24,  // param: Boolean*
    mcActionSetGrowBoxBounds      = 25,  // param: Rect*
    mcActionControllerSizeChanged = 26,  // param: nil
    mcActionSetSelectionBegin     = 29,  // param: TimeRecord*
    mcActionSetSelectionDuration  = 30,  // param: TimeRecord*
    mcActionSetKeysEnabled        = 32,  // param: Boolean (value)
    mcActionGetKeysEnabled        = 33,  // param: Boolean*
    mcActionSetPlaySelection      = 34,  // param: Boolean (value)
    mcActionGetPlaySelection      = 35,  // param: Boolean*
    mcActionSetUseBadge           = 36,  // param: Boolean (value)
    mcActionGetUseBadge           = 37,  // param: Boolean*
    mcActionSetFlags              = 38,  // param: SInt32 flags (value)
    mcActionGetFlags              = 39,  // param: SInt32* (in: which word, see below)
    mcActionSetPlayEveryFrame     = 40,
    mcActionGetPlayEveryFrame     = 41,
    mcActionGetPlayRate           = 42,  // param: Fixed*
    mcActionShowSelection         = 43,
    mcActionSuspend               = 44,
    mcActionResume                = 45,
    mcActionSetControllerKeysEnabled = 46,
    mcActionGetTimeSliderRect     = 47,
    mcActionMovieEdited           = 48,
    mcActionGetDragEnabled        = 49,
    mcActionSetDragEnabled        = 52,  // param: Boolean (value)
    mcActionPrerollAndPlay        = 55   // param: Fixed rate (value)
};
typedef SInt16 mcAction;

// Control flags (mcActionGetFlags / mcActionSetFlags). With the top bit
// (mcFlagQTVRExplicitFlagSet) the action addresses the explicit-flags word.
enum : UInt32 {
    mcFlagSuppressMovieFrame        = 1 << 0,
    mcFlagSuppressStepButtons       = 1 << 1,
    mcFlagSuppressSpeakerButton     = 1 << 2,
    mcFlagsUseWindowPalette         = 1 << 3,
    mcFlagsDontInvalidate           = 1 << 4,
    mcFlagsUseCustomButton          = 1 << 5,
    mcFlagQTVRSuppressBackBtn       = 1UL << 16,
    mcFlagQTVRSuppressZoomBtns      = 1UL << 17,
    mcFlagQTVRSuppressHotSpotBtn    = 1UL << 18,
    mcFlagQTVRSuppressTranslateBtn  = 1UL << 19,
    mcFlagQTVRSuppressHelpText      = 1UL << 20,
    mcFlagQTVRSuppressHotSpotNames  = 1UL << 21,
    mcFlagQTVRExplicitFlagSet       = 1UL << 31
};

// MCGetControllerInfo bits
enum {
    mcInfoUndoAvailable      = 1 << 0,
    mcInfoCutAvailable       = 1 << 1,
    mcInfoCopyAvailable      = 1 << 2,
    mcInfoPasteAvailable     = 1 << 3,
    mcInfoClearAvailable     = 1 << 4,
    mcInfoHasSound           = 1 << 5,
    mcInfoIsPlaying          = 1 << 6,
    mcInfoIsLooping          = 1 << 7,
    mcInfoIsInPalindrome     = 1 << 8,
    mcInfoEditingEnabled     = 1 << 9,
    mcInfoMovieIsInteractive = 1 << 10
};

// MCPositionController flags
enum {
    mcPositionDontInvalidate = 1 << 5
};

typedef Boolean (*MCActionFilterWithRefConProcPtr)(MovieController mc, SInt16 action,
                                                   void* params, SRefCon refCon);
typedef MCActionFilterWithRefConProcPtr MCActionFilterWithRefConUPP;

MCActionFilterWithRefConUPP NewMCActionFilterWithRefConUPP(MCActionFilterWithRefConProcPtr proc);
void DisposeMCActionFilterWithRefConUPP(MCActionFilterWithRefConUPP upp);

MovieController NewMovieController(Movie theMovie, const Rect* movieRect, SInt32 someFlags);
void DisposeMovieController(MovieController mc);
ComponentResult MCIsPlayerEvent(MovieController mc, const EventRecord* e);
ComponentResult MCIdle(MovieController mc);
ComponentResult MCActivate(MovieController mc, WindowRef w, Boolean activate);
ComponentResult MCDoAction(MovieController mc, SInt16 action, void* params);
ComponentResult MCSetActionFilterWithRefCon(MovieController mc, MCActionFilterWithRefConUPP blob,
                                            SRefCon refCon);
ComponentResult MCGetControllerInfo(MovieController mc, SInt32* someFlags);
ComponentResult MCEnableEditing(MovieController mc, Boolean enabled);
Boolean MCIsEditingEnabled(MovieController mc);
ComponentResult MCGetVisible(MovieController mc);
ComponentResult MCSetVisible(MovieController mc, Boolean visible);
ComponentResult MCIsControllerAttached(MovieController mc);
ComponentResult MCSetControllerAttached(MovieController mc, Boolean attach);
ComponentResult MCGetControllerBoundsRect(MovieController mc, Rect* bounds);
ComponentResult MCSetControllerBoundsRect(MovieController mc, const Rect* bounds);
ComponentResult MCPositionController(MovieController mc, const Rect* movieRect,
                                     const Rect* controllerRect, SInt32 someFlags);
Movie MCGetIndMovie(MovieController mc, SInt16 index);
ComponentResult MCSetMovie(MovieController mc, Movie theMovie, WindowRef movieWindow, Point where);
ComponentResult MCDraw(MovieController mc, WindowRef w);
ComponentResult MCInvalidate(MovieController mc, WindowRef w, RgnHandle invalidRgn);
Movie MCCut(MovieController mc);
Movie MCCopy(MovieController mc);
ComponentResult MCPaste(MovieController mc, Movie srcMovie);
ComponentResult MCClear(MovieController mc);
ComponentResult MCUndo(MovieController mc);
