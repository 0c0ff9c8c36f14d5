// dialog_app: a program in the shape of the application, for testing the
// Dialog Manager and Navigation Services through headless scripts (and on
// the SDL host). It runs its own WaitNextEvent loop with a document window
// "Doc" behind every dialog, shows dialogs, alerts and file dialogs from
// its menus (DialogApp.r) exactly as the application's shell does, and
// logs what comes back to stdout, one line each.
//
//   Dialogs > Form…      a dialog with two fields and a user item, run
//                        with a filter that logs what it sees
//   Dialogs > Alert…     ParamText("Zero", "One", nil, "Three"), Alert 300
//   Dialogs > About…, Warning…, Message…
//                        Kinora.rsrc's About box, warning alert and message
//                        dialog, shown as the shell and CheckError do
//   Dialogs > Damaged…   GetNewDialog of a damaged item list
//   Files > Save…, Open…, Open Movies…, Close Changed…, Quit Changed…
//                        NavPutFile, NavGetFile (with a filter that shows
//                        folders and 'MooV' files; or a 'MooV' type list),
//                        NavAskSaveChanges
//
// DIALOG_APP_SAVE_NAME   the name the save dialog offers (MovieFile.mov)
// The 'quit' Apple event ends the program.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/AppleEvents.h"
#include "platform/Dialogs.h"
#include "platform/Events.h"
#include "platform/Memory.h"
#include "platform/Menus.h"
#include "platform/Navigation.h"
#include "platform/Process.h"
#include "platform/QuickDraw.h"
#include "platform/Resources.h"
#include "platform/Utilities.h"
#include "platform/Windows.h"
#include "platform/files/Catalog.h"
#include "platform/hosts/Host.h"
#include "platform/hosts/headless/HeadlessHost.h"

namespace {

WindowRef g_doc = nullptr;
SInt16 g_appFile = -1, g_kinoraFile = -1;
long g_filterNulls = 0, g_navNulls = 0;

std::string title_of(WindowRef w) {
    if (!w) return "(none)";
    Str255 t;
    GetWTitle(w, t);
    return std::string(reinterpret_cast<const char*>(t + 1), t[0]);
}

std::string text_of(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

void pstring(const std::string& s, unsigned char* out) {
    size_t n = std::min<size_t>(s.size(), 255);
    out[0] = UInt8(n);
    std::memcpy(out + 1, s.data(), n);
}

int beeps() {
    auto* h = dynamic_cast<platform::host::HeadlessHost*>(&platform::host::current());
    return h ? h->beeps() : -1;
}

void draw_doc(WindowRef w) {
    GrafPtr saved;
    GetPort(&saved);
    SetPort(GetWindowPort(w));
    Rect r;
    GetWindowPortBounds(w, &r);
    RGBColor fill{0xFFFF, 0xF0F0, 0xC0C0};
    RGBForeColor(&fill);
    PaintRect(&r);
    ForeColor(blackColor);
    MoveTo(10, 20);
    DrawString("Doc"_p);
    SetPort(saved);
}

void update(WindowRef w, const char* who) {
    std::printf("%s update %s\n", who, title_of(w).c_str());
    BeginUpdate(w);
    if (w == g_doc) draw_doc(w);
    EndUpdate(w);
}

// ------------------------------------------------------------ the form

Boolean form_filter(DialogRef d, EventRecord* e, DialogItemIndex* item) {
    switch (e->what) {
    case nullEvent: ++g_filterNulls; break;
    case updateEvt: {
        WindowRef w = reinterpret_cast<WindowRef>(e->message);
        if (w != GetDialogWindow(d)) update(w, "filter");
        break;
    }
    case mouseDown: std::printf("filter mouse-down\n"); break;
    case keyDown: std::printf("filter key %d\n", int(e->message & charCodeMask)); break;
    default: break;
    }
    return StdFilterProc(d, e, item);
}

void draw_user_item(DialogRef d, DialogItemIndex n) {
    DialogItemType kind;
    Handle h;
    Rect box;
    GetDialogItem(d, n, &kind, &h, &box);
    RGBColor c{0xC0C0, 0xE0E0, 0xFFFF};
    RGBForeColor(&c);
    PaintRect(&box);
    ForeColor(blackColor);
    FrameRect(&box);
    std::printf("draw user item %d\n", int(n));
}

std::string item_text(DialogRef d, DialogItemIndex n) {
    DialogItemType kind;
    Handle h;
    Rect box;
    GetDialogItem(d, n, &kind, &h, &box);
    Str255 s;
    GetDialogItemText(h, s);
    return text_of(s);
}

void show_form() {
    UseResFile(g_appFile);
    DialogRef d = GetNewDialog(200, nullptr, reinterpret_cast<WindowRef>(-1L));
    if (!d) {
        std::printf("form failed %d\n", ResError());
        return;
    }
    SetDialogDefaultItem(d, 1);
    SetDialogCancelItem(d, 2);
    DialogItemType kind;
    Handle h;
    Rect box;
    GetDialogItem(d, 7, &kind, &h, &box);
    UserItemUPP drawer = NewUserItemUPP(draw_user_item);
    SetDialogItem(d, 7, kind, reinterpret_cast<Handle>(drawer), &box);
    GetDialogItem(d, 7, &kind, &h, &box);
    std::printf("user item handle %s\n", h == reinterpret_cast<Handle>(drawer) ? "kept" : "lost");
    ModalFilterUPP filter = NewModalFilterUPP(form_filter);
    g_filterNulls = 0;
    const int beepsBefore = beeps();
    DialogItemIndex item = 0;
    do {
        ModalDialog(filter, &item);
        std::printf("item %d\n", int(item));
    } while (item != 1 && item != 2);
    std::printf("form name=%s folder=%s nulls=%s beeps=%d\n", item_text(d, 4).c_str(), item_text(d, 6).c_str(),
                g_filterNulls > 0 ? "some" : "none", beeps() - beepsBefore);
    DisposeModalFilterUPP(filter);
    DisposeUserItemUPP(drawer);
    DisposeDialog(d);
}

// ------------------------------------------------------------ as the shell does

Boolean shell_filter(DialogRef d, EventRecord* e, DialogItemIndex* item) {
    Boolean handled = false;
    WindowRef w = nullptr;
    switch (e->what) {
    case nullEvent: ++g_filterNulls; break;
    case mouseDown:
        if (FindWindow(e->where, &w) == inDrag && w == GetDialogWindow(d)) {
            Rect bounds;
            GetRegionBounds(GetGrayRgn(), &bounds);
            DragWindow(w, e->where, &bounds);
            handled = true;
        }
        break;
    case updateEvt:
        w = reinterpret_cast<WindowRef>(e->message);
        if (w && w != GetDialogWindow(d)) update(w, "filter");
        break;
    default: break;
    }
    if (!handled) handled = StdFilterProc(d, e, item);
    return handled;
}

void user_item_draws_nothing(DialogRef, DialogItemIndex) {}

void show_about() {
    UseResFile(g_kinoraFile);
    DialogRef d = GetNewDialog(128, nullptr, reinterpret_cast<WindowRef>(-1L));
    if (!d) {
        std::printf("about failed %d\n", ResError());
        return;
    }
    SetPortDialogPort(d);
    SetDialogDefaultItem(d, 1);
    DialogItemType kind;
    Handle h;
    Rect box;
    GetDialogItem(d, 4, &kind, &h, &box);
    SetDialogItem(d, 4, kind, reinterpret_cast<Handle>(NewUserItemUPP(user_item_draws_nothing)), &box);
    DialogItemIndex item = 0;
    do {
        ModalDialog(NewModalFilterUPP(shell_filter), &item);
        std::printf("about item %d\n", int(item));
    } while (item != 1);
    DisposeDialog(d);
}

void show_warning(OSErr err) {
    UseResFile(g_kinoraFile);
    Str255 number;
    NumToString(err, number);
    ParamText("Warning!"_p, "Could not initialize QuickTime. Exiting."_p, err ? number : nullptr, nullptr);
    std::printf("warning item %d\n", int(Alert(129, NewModalFilterUPP(shell_filter))));
}

void show_message(const char* msg) {
    UseResFile(g_kinoraFile);
    DialogRef d = GetNewDialog(129, nullptr, reinterpret_cast<WindowRef>(-1L));
    if (!d) {
        std::printf("message failed %d\n", ResError());
        return;
    }
    DialogItemType kind;
    Handle h = nullptr;
    Rect box;
    GetDialogItem(d, 3, &kind, &h, &box);
    Str255 text;
    pstring(msg, text);
    SetDialogItemText(h, text);
    DialogItemIndex item = 0;
    ModalDialog(nullptr, &item);
    std::printf("message item %d\n", int(item));
    DisposeDialog(d);
}

void show_alert() {
    UseResFile(g_appFile);
    ParamText("Zero"_p, "One"_p, nullptr, "Three"_p);
    std::printf("alert item %d\n", int(Alert(300, nullptr)));
}

// ------------------------------------------------------------ Navigation Services

void nav_event(NavEventCallbackMessage selector, NavCBRecPtr parms, void*) {
    if (selector != kNavCBEvent) return;
    EventRecord* e = parms->eventData.eventDataParms.event;
    if (e->what == nullEvent) ++g_navNulls;
    else if (e->what == updateEvt) update(reinterpret_cast<WindowRef>(e->message), "nav");
}

Boolean movies_and_folders(AEDesc* item, void* info, void*, NavFilterModes) {
    auto* i = static_cast<NavFileOrFolderInfo*>(info);
    if (item->descriptorType != typeFSS) return true;
    return i->isFolder || i->fileAndFolder.fileInfo.finderInfo.fdType == 'MooV';
}

std::string reply_path(NavReplyRecord& reply) {
    FSSpec spec;
    AEKeyword key;
    DescType type;
    Size size = 0;
    if (AEGetNthPtr(&reply.selection, 1, typeFSS, &key, &type, &spec, sizeof(spec), &size) != noErr) return "(none)";
    auto path = platform::files::path_of(spec);
    return path ? path->string() : "(bad)";
}

void log_reply(const char* what, OSErr err, NavReplyRecord& reply) {
    std::printf("%s err=%d valid=%d replacing=%d path=%s nulls=%s\n", what, int(err), int(reply.validRecord),
                int(reply.replacing), reply.validRecord ? reply_path(reply).c_str() : "(none)",
                g_navNulls > 0 ? "some" : "none");
    if (reply.validRecord) NavDisposeReply(&reply);
}

void put_file() {
    NavDialogOptions o;
    NavGetDefaultDialogOptions(&o);
    o.dialogOptionFlags |= kNavNoTypePopup | kNavDontAutoTranslate;
    pstring("Kinora", o.clientName);
    const char* name = std::getenv("DIALOG_APP_SAVE_NAME");
    pstring(name ? name : "MovieFile.mov", o.savedFileName);
    pstring("Enter the movie file name:", o.message);
    NavReplyRecord reply;
    g_navNulls = 0;
    OSErr err = NavPutFile(nullptr, &reply, &o, NewNavEventUPP(nav_event), 'MooV', 'TVOD', nullptr);
    log_reply("put", err, reply);
}

void get_file(bool typeList) {
    NavDialogOptions o;
    NavGetDefaultDialogOptions(&o);
    o.dialogOptionFlags = kNavNoTypePopup | kNavDontAutoTranslate | kNavAllowStationery | kNavAllowPreviews;
    pstring("Kinora", o.clientName);
    NavTypeListHandle types = nullptr;
    if (typeList) {
        types = reinterpret_cast<NavTypeListHandle>(NewHandleClear(sizeof(NavTypeList)));
        (*types)->componentSignature = 'Wobj';
        (*types)->osTypeCount = 1;
        (*types)->osType[0] = 'MooV';
    }
    NavReplyRecord reply;
    g_navNulls = 0;
    OSErr err = NavGetFile(nullptr, &reply, &o, NewNavEventUPP(nav_event), nullptr,
                           typeList ? nullptr : NewNavObjectFilterUPP(movies_and_folders), types, nullptr);
    log_reply("get", err, reply);
    if (types) DisposeHandle(reinterpret_cast<Handle>(types));
}

void ask_changes(NavAskSaveChangesAction action) {
    NavDialogOptions o;
    NavGetDefaultDialogOptions(&o);
    pstring("Kinora", o.clientName);
    pstring("untitled.mov", o.savedFileName);
    NavAskSaveChangesResult answer = 0;
    g_navNulls = 0;
    OSErr err = NavAskSaveChanges(&o, action, &answer, NewNavEventUPP(nav_event), nullptr);
    std::printf("ask err=%d answer=%d nulls=%s\n", int(err), int(answer), g_navNulls > 0 ? "some" : "none");
}

// ------------------------------------------------------------ the loop

void handle_menu(SInt32 result) {
    const int menu = int(result >> 16), item = int(result & 0xFFFF);
    if (menu == 129) {
        switch (item) {
        case 1: show_form(); break;
        case 2: show_alert(); break;
        case 3: show_about(); break;
        case 4: show_warning(-108); break;
        case 5: show_message("InsertMediaIntoTrack error"); break;
        case 6: {
            UseResFile(g_appFile);
            DialogRef d = GetNewDialog(203, nullptr, reinterpret_cast<WindowRef>(-1L));
            std::printf("damaged %s %d\n", d ? "made" : "nil", ResError());
            if (d) DisposeDialog(d);
            break;
        }
        }
    } else if (menu == 130) {
        switch (item) {
        case 1: put_file(); break;
        case 2: get_file(false); break;
        case 3: get_file(true); break;
        case 4: ask_changes(kNavSaveChangesClosingDocument); break;
        case 5: ask_changes(kNavSaveChangesQuittingApplication); break;
        }
    }
    HiliteMenu(0);
}

OSErr quit_handler(const AppleEvent*, AppleEvent*, SRefCon) {
    std::printf("quit event\n");
    ExitToShell();
}

}  // namespace

int main(void) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* kinora = std::getenv("DIALOG_APP_KINORA_RESOURCES");
    g_kinoraFile = OpenResourceFileAtPath(kinora ? kinora : DIALOG_APP_KINORA_RESOURCES, 1);
    g_appFile = OpenResourceFileAtPath(DIALOG_APP_RESOURCES, 1);
    if (g_appFile < 0 || g_kinoraFile < 0) {
        std::printf("no resources (%d)\n", ResError());
        return 1;
    }
    InitCursor();
    Handle bar = GetNewMBar(128);
    SetMenuBar(bar);
    DisposeHandle(bar);
    DrawMenuBar();
    AEInstallEventHandler(kCoreEventClass, kAEQuitApplication, NewAEEventHandlerUPP(quit_handler), 0, false);
    Rect r{60, 20, 560, 620};
    g_doc = NewCWindow(nullptr, &r, "Doc"_p, true, noGrowDocProc, reinterpret_cast<WindowRef>(-1L), true, 0);
    std::printf("ready\n");

    EventRecord e;
    for (;;) {
        WaitNextEvent(everyEvent, &e, 0, nullptr);
        switch (e.what) {
        case mouseDown: {
            WindowRef w = nullptr;
            if (FindWindow(e.where, &w) == inMenuBar) handle_menu(MenuSelect(e.where));
            break;
        }
        case keyDown:
            if (e.modifiers & cmdKey) handle_menu(MenuKey(CharParameter(e.message & charCodeMask)));
            break;
        case updateEvt: update(reinterpret_cast<WindowRef>(e.message), "main"); break;
        case activateEvt:
            std::printf("%s %s\n", (e.modifiers & activeFlag) ? "activate" : "deactivate",
                        title_of(reinterpret_cast<WindowRef>(e.message)).c_str());
            break;
        case kHighLevelEvent: AEProcessAppleEvent(&e); break;
        default: break;
        }
    }
}
