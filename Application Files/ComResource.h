//////////
//
//	File:		ComResource.h
//
//	Contains:	Resource IDs and menu commands of the application.
//
//////////

#pragma once

// menu bar and menus
#define kMenuBarResID					128
#define kAppleMenuResID					128
#define kFileMenuResID					129
#define kEditMenuResID					130
#define kApplicationMenuResID			131

// Apple menu items
#define kAboutMenuItem					1

// File menu items
#define kQuitMenuItem					7
#define kQuitSeparatorMenuItem			6

// dialogs and alerts
#define kAboutBoxID						128
#define kMessageDialogID				129
#define kAlertErrorID					129

// items of the About box and of the message dialog
#define kAboutBoxOKButton				1
#define kAboutBoxUserItem				4
#define kMessageDialogTextItem			3

// the application's name: string list 1000, index 1
#define kAppNameStringID				1000
#define kAppNameStringIndex				1

// the application's sound resource
#define kSoundResType					'snd '
#define kSoundResID						128

// menu commands: menu ID in the high byte, item number in the low byte
#define IDM_FILENEW						0x8101
#define IDM_FILEOPEN					0x8102
#define IDM_FILECLOSE					0x8103
#define IDM_FILESAVE					0x8104
#define IDM_FILESAVEAS					0x8105
#define IDM_EXIT						0x8107

#define IDM_EDITUNDO					0x8201
#define IDM_EDITCUT						0x8203
#define IDM_EDITCOPY					0x8204
#define IDM_EDITPASTE					0x8205
#define IDM_EDITCLEAR					0x8206
#define IDM_EDITSELECTALL				0x8208
#define IDM_EDITSELECTNONE				0x8209

#define IDM_CONTROLLER					0x8301
#define IDM_SPEAKER_BUTTON				0x8302
#define IDM_EXPORT						0x8304
