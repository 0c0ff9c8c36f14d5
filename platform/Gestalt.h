/*
 * Gestalt.h — asking the platform what it has.
 * Gestalt answers noErr and writes the response for a selector some
 * manager registered; gestaltUndefSelectorErr for any other.
 */
#pragma once

#include "platform/Types.h"

enum : OSType {
    gestaltSystemVersion     = 'sysv',  // BCD, 0x1040 = 10.4.0
    gestaltAppleEventsAttr   = 'evnt',
    gestaltQuickTime         = 'qtim',
    gestaltQuickTimeVersion  = 'qtim',
    gestaltQuickTimeFeatures = 'qtrs'
};

enum {
    gestaltAppleEventsPresent     = 0,   // bit of 'evnt'
    gestaltPPCQuickTimeLibPresent = 0    // bit of 'qtrs'
};

OSErr Gestalt(OSType selector, SInt32* response);
