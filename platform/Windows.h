/*
 * Windows.h — the Window Manager: windows on the one screen, front to back,
 * with frames drawn by the platform. No backing stores: each window's
 * visible region excludes what covers it, and uncovering part of a window
 * posts an update event for it. Content coordinates are local to the
 * window's port: (0, 0) is the top-left of the content.
 */
#pragma once

#include "platform/QuickDraw.h"
#include "platform/Types.h"

typedef struct OpaqueWindowPtr* WindowPtr;
typedef WindowPtr WindowRef;
typedef WindowPtr CWindowPtr;

// Window definitions (procID of NewCWindow and 'DLOG' resources)
enum {
    documentProc    = 0,
    dBoxProc        = 1,
    plainDBox       = 2,
    altDBoxProc     = 3,
    noGrowDocProc   = 4,
    movableDBoxProc = 5,
    zoomDocProc     = 8,
    zoomNoGrow      = 12
};

// Window kinds
enum {
    dialogKind = 2,
    userKind   = 8,
    kDialogWindowKind      = 2,
    kApplicationWindowKind = 8
};

// FindWindow part codes
enum {
    inDesk      = 0,
    inNoWindow  = 0,
    inMenuBar   = 1,
    inSysWindow = 2,
    inContent   = 3,
    inDrag      = 4,
    inGrow      = 5,
    inGoAway    = 6,
    inZoomIn    = 7,
    inZoomOut   = 8
};

typedef void (*DragGrayRgnProcPtr)(void);
typedef DragGrayRgnProcPtr DragGrayRgnUPP;

WindowRef NewCWindow(void* wStorage, const Rect* boundsRect, ConstStr255Param title,
                     Boolean visible, SInt16 procID, WindowRef behind, Boolean goAwayFlag,
                     SRefCon refCon);
void DisposeWindow(WindowRef window);
SInt16 FindWindow(Point thePoint, WindowRef* window);
WindowRef FrontWindow(void);
WindowRef GetNextWindow(WindowRef window);
void SelectWindow(WindowRef window);
void BringToFront(WindowRef window);
void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
void HiliteWindow(WindowRef window, Boolean fHilite);
void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front);
void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean fUpdate);
void DragWindow(WindowRef window, Point startPt, const Rect* boundsRect);
void DragAlignedWindow(WindowRef window, Point startPt, Rect* boundsRect, Rect* alignmentRect,
                       DragGrayRgnUPP actionProc);
void AlignWindow(WindowRef wp, Boolean fast, Rect* alignmentRect, void* alignmentProc);
Boolean TrackGoAway(WindowRef window, Point thePt);
SRefCon GetWRefCon(WindowRef window);
void SetWRefCon(WindowRef window, SRefCon data);
SInt16 GetWindowKind(WindowRef window);
void SetWindowKind(WindowRef window, SInt16 kind);
CGrafPtr GetWindowPort(WindowRef window);
WindowRef GetWindowFromPort(CGrafPtr port);
Rect* GetWindowPortBounds(WindowRef window, Rect* bounds);
void SetWTitle(WindowRef window, ConstStr255Param title);
void GetWTitle(WindowRef window, Str255 title);
OSStatus InvalWindowRect(WindowRef window, const Rect* bounds);
OSStatus InvalWindowRgn(WindowRef window, RgnHandle region);
OSStatus ValidWindowRect(WindowRef window, const Rect* bounds);
OSStatus ValidWindowRgn(WindowRef window, RgnHandle region);
void BeginUpdate(WindowRef window);
void EndUpdate(WindowRef window);
RgnHandle GetGrayRgn(void);
