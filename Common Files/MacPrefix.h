//////////
//
//	File:		MacPrefix.h
//
//	Contains:	The prefix every module of the application includes first: the
//				toolbox and movie toolbox interfaces the program uses.
//
//////////

#pragma once

#include <stdlib.h>
#include <string.h>

#include "platform/Types.h"
#include "platform/Errors.h"
#include "platform/Endian.h"
#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/Gestalt.h"
#include "platform/Process.h"
#include "platform/QuickDraw.h"
#include "platform/Utilities.h"
#include "platform/Events.h"
#include "platform/Windows.h"
#include "platform/Menus.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Navigation.h"
#include "platform/AppleEvents.h"
#include "platform/Components.h"
#include "platform/Compression.h"
#include "platform/Movies.h"
#include "platform/MovieController.h"
#include "platform/Importers.h"
#include "platform/AtomContainers.h"
