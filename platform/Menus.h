/*
 * Menus.h — the Menu Manager: the menu bar from 'MBAR'/'MENU' resources,
 * menu tracking and Command-key equivalents.
 *
 * MenuSelect and MenuKey answer with the menu ID in the high 16 bits and
 * the item number in the low 16 bits, or 0 when nothing was chosen. The
 * platform adds an application menu (titled with the application's name,
 * with "Quit <name>" ⌘Q) whose own items answer 0; the Apple menu's (128)
 * items appear at the top of it and are still reported as menu 128.
 */
#pragma once

#include "platform/QuickDraw.h"
#include "platform/Types.h"

typedef struct OpaqueMenuRef* MenuRef;
typedef MenuRef MenuHandle;
typedef SInt16 MenuID;
typedef UInt16 MenuItemIndex;

// Modifier keys of a Command-key equivalent (GetMenuItemModifiers).
enum {
    kMenuNoModifiers       = 0,
    kMenuShiftModifier     = 1 << 0,
    kMenuOptionModifier    = 1 << 1,
    kMenuControlModifier   = 1 << 2,
    kMenuNoCommandModifier = 1 << 3
};

enum { noMark = 0, checkMark = 0x12 };

Handle GetNewMBar(SInt16 menuBarID);
void SetMenuBar(Handle menuList);
Handle GetMenuBar(void);
MenuRef GetMenuHandle(MenuID menuID);
void DrawMenuBar(void);
void InvalMenuBar(void);
void HiliteMenu(MenuID menuID);
SInt32 MenuSelect(Point startPt);
SInt32 MenuKey(CharParameter ch);
UInt16 CountMenuItems(MenuRef theMenu);
void DeleteMenuItem(MenuRef theMenu, MenuItemIndex item);
void EnableMenuItem(MenuRef theMenu, MenuItemIndex item);     // item 0: the whole menu
void DisableMenuItem(MenuRef theMenu, MenuItemIndex item);
Boolean IsMenuItemEnabled(MenuRef theMenu, MenuItemIndex item);
OSErr GetMenuItemModifiers(MenuRef theMenu, SInt16 item, UInt8* outModifiers);
OSErr SetMenuItemModifiers(MenuRef theMenu, SInt16 item, UInt8 inModifiers);
void SetMenuItemText(MenuRef theMenu, MenuItemIndex item, ConstStr255Param itemString);
void GetMenuItemText(MenuRef theMenu, MenuItemIndex item, Str255 itemString);
void CheckMenuItem(MenuRef theMenu, MenuItemIndex item, Boolean checked);
void SetItemCmd(MenuRef theMenu, MenuItemIndex item, CharParameter cmdChar);
void GetItemCmd(MenuRef theMenu, MenuItemIndex item, CharParameter* cmdChar);
MenuID GetMenuID(MenuRef menu);
