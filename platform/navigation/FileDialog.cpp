// The save and open dialogs (FileDialog.h).
#include "platform/navigation/FileDialog.h"

#include <unistd.h>

#include <algorithm>

#include "platform/AppleEvents.h"
#include "platform/Dialogs.h"
#include "platform/Windows.h"
#include "platform/dialogs/DialogDrawing.h"
#include "platform/dialogs/DialogLook.h"
#include "platform/dialogs/DialogManager.h"
#include "platform/events/EventsInternal.h"
#include "platform/files/Catalog.h"
#include "platform/files/FinderInfo.h"
#include "platform/navigation/Question.h"
#include "platform/quickdraw/kit/Rects.h"

namespace platform::navigation {
namespace {

namespace look = dialogs::look;

constexpr SInt16 kWidth = 480;
constexpr SInt16 kMargin = 16;
constexpr SInt16 kListRows = 11;
constexpr UInt32 kLookTicks = 15;   // how often the folder shown is looked at again

const std::string kOpenQuote = "\xE2\x80\x9C", kCloseQuote = "\xE2\x80\x9D";
std::string quoted(const std::string& s) { return kOpenQuote + s + kCloseQuote; }

// The start of `text` cut away (with "…") until the rest fits.
std::string elide_left(const std::string& text, SInt32 width) {
    if (dialogs::dialog_text_width(text) <= width) return text;
    for (size_t cut = 1; cut < text.size(); ++cut) {
        if ((UInt8(text[cut]) & 0xC0) == 0x80) continue;
        std::string s = "\xE2\x80\xA6" + text.substr(cut);
        if (dialogs::dialog_text_width(s) <= width) return s;
    }
    return "\xE2\x80\xA6";
}

void list_item_drawer(DialogRef ref, DialogItemIndex) {
    auto* session = dynamic_cast<FileDialog*>(session_of(ref));
    if (session) draw_file_list(*session->dialog(), session->list());
}

NavFileOrFolderInfo info_for(const FolderEntry& e, const fs::path& path) {
    NavFileOrFolderInfo info{};
    info.isFolder = e.folder;
    info.visible = !e.invisible;
    info.creationDate = e.modified;
    info.modificationDate = e.modified;
    if (e.folder) {
        info.fileAndFolder.folderInfo.readable = ::access(path.c_str(), R_OK) == 0;
        info.fileAndFolder.folderInfo.writeable = ::access(path.c_str(), W_OK) == 0;
    } else {
        info.fileAndFolder.fileInfo.locked = ::access(path.c_str(), W_OK) != 0;
        info.fileAndFolder.fileInfo.dataSize = UInt32(std::min<UInt64>(e.size, 0xFFFFFFFF));
        info.fileAndFolder.fileInfo.finderInfo = e.finder;
    }
    return info;
}

}  // namespace

FileDialog::FileDialog(Setup setup) : NavWindow(setup.callback), setup_(std::move(setup)) {
    if (setup_.mode == Mode::Save) {
        offered_ = pascal_text(setup_.options.savedFileName);
        if (offered_.empty()) offered_ = "untitled";
    }
}

Layout FileDialog::layout() const {
    const bool save = setup_.mode == Mode::Save;
    const NavDialogOptions& o = setup_.options;
    Layout l;
    l.width = kWidth;
    l.title = pascal_text(o.windowTitle);
    if (l.title.empty()) l.title = client_name(o);
    if (l.title.empty()) l.title = save ? "Save" : "Open";
    std::string action = pascal_text(o.actionButtonLabel), cancel = pascal_text(o.cancelButtonLabel);
    if (action.empty()) action = save ? "Save" : "Open";
    if (cancel.empty()) cancel = "Cancel";
    const std::string message = pascal_text(o.message);
    const SInt16 right = kWidth - kMargin;

    SInt16 y = 14;
    const SInt16 mh = message.empty() ? 0 : text_height(message, right - kMargin);
    const Rect messageBox{y, kMargin, SInt16(y + mh), right};
    if (mh) y = SInt16(y + mh + 12);
    const SInt16 labelWidth = SInt16(dialogs::dialog_text_width("Name:") + 8);
    const Rect labelBox{SInt16(y + 1), kMargin, SInt16(y + 19), SInt16(kMargin + labelWidth)};
    const Rect nameBox{SInt16(y + 2), SInt16(kMargin + labelWidth + 4), SInt16(y + 18), SInt16(right - 3)};
    y = SInt16(y + 32);
    const SInt16 upWidth = button_width("Up");
    const Rect upBox{y, SInt16(right - upWidth), SInt16(y + 20), right};
    const Rect folderBox{SInt16(y + 2), kMargin, SInt16(y + 20), SInt16(right - upWidth - 8)};
    y = SInt16(y + 28);
    const Rect listBox{y, kMargin, SInt16(y + kListRows * look::kListRowHeight + 2), right};
    y = SInt16(listBox.bottom + 8);
    const Rect statusBox{y, kMargin, SInt16(y + 2 * dialogs::dialog_line_height()), right};
    y = SInt16(statusBox.bottom + 10);
    const SInt16 aw = button_width(action), cw = button_width(cancel);
    const Rect actionBox{y, SInt16(right - aw), SInt16(y + 20), right};
    const Rect cancelBox{y, SInt16(right - aw - 12 - cw), SInt16(y + 20), SInt16(right - aw - 12)};
    l.height = SInt16(y + 20 + 16);

    l.items = {button_item(action, actionBox),
               button_item(cancel, cancelBox),
               static_item(message, messageBox),
               static_item("Name:", labelBox),
               edit_item(save ? offered_ : std::string(), nameBox),
               static_item("", folderBox),
               button_item("Up", upBox),
               user_item(listBox, true),
               static_item("", statusBox)};
    return l;
}

Result<std::optional<FileDialog::Choice>> FileDialog::run() {
    const Layout l = layout();
    if (OSErr err = open(l, setup_.options.location)) return fail(err, "no memory for the file dialog");
    dialogs::Dialog* d = dialog();
    d->default_item = kAction;
    d->cancel_item = kCancel;
    d->item(kStatus)->warning = true;
    d->item(kList)->handle = reinterpret_cast<Handle>(reinterpret_cast<void*>(&list_item_drawer));
    d->extra_texts = [this] {
        std::vector<std::string> names;
        for (const ListRow& r : list_.rows()) names.push_back(r.name);
        return names;
    };
    list_.set_frame(d->item(kList)->box, look::kListRowHeight);
    fs::path start = setup_.start.value_or(start_folder());
    if (!show_folder(start) && !show_folder(start_folder()) && !show_folder("/")) folder_ = start;

    for (;;) {
        std::optional<Choice> choice;
        switch (next_item()) {
        case kAction: choice = act(); break;
        case kCancel: remember_folder(folder_); return std::optional<Choice>();
        case kUp: show_folder(folder_.parent_path()); break;
        case kName: name_typed(); break;
        case kList:
            if (activate_pending_ && list_.selected()) choice = activate(*list_.selected());
            activate_pending_ = false;
            break;
        default: break;
        }
        if (choice) return choice;
    }
}

// ------------------------------------------------------------ contents

bool FileDialog::admits(const FolderEntry& e, const fs::path& folder) const {
    if (e.invisible && !(setup_.options.dialogOptionFlags & kNavAllowInvisibleFiles)) return false;
    if (setup_.mode == Mode::Save) return true;
    if (!e.folder && !setup_.types.empty() &&
        std::find(setup_.types.begin(), setup_.types.end(), e.finder.fdType) == setup_.types.end())
        return false;
    if (!setup_.filter) return true;
    const fs::path path = folder / e.name;
    FSSpec spec{};
    const OSErr made = files::make_fsspec(path, &spec);
    if (made != noErr && made != fnfErr) return false;   // no FSSpec can name it
    AEDesc item{typeNull, nullptr};
    if (AECreateDesc(typeFSS, &spec, sizeof(spec), &item) != noErr) return false;
    NavFileOrFolderInfo info = info_for(e, path);
    const bool shown = setup_.filter(&item, &info, setup_.user_data, kNavFilteringBrowserList);
    AEDisposeDesc(&item);
    return shown;
}

std::optional<FileDialog::Listing> FileDialog::read_listing(const fs::path& folder) const {
    auto listed = list_folder(folder);
    if (!listed) return std::nullopt;
    Listing l;
    for (FolderEntry& e : *listed) {
        if (!admits(e, folder)) continue;
        l.rows.push_back(ListRow{e.name, e.folder, setup_.mode == Mode::Save && !e.folder});
        l.entries.push_back(std::move(e));
    }
    return l;
}

bool FileDialog::show_folder(const fs::path& where) {
    fs::path folder = where.lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path()) folder = folder.parent_path();
    if (!can_open_folder(folder)) {
        status("You cannot open the folder " + quoted(folder_display_name(folder)) + ".");
        return false;
    }
    // Stamped before it is read: a change while it is read shows at the next look.
    auto stamp = folder_stamp(folder);
    auto listed = read_listing(folder);
    if (!listed) {
        status("The folder " + quoted(folder_display_name(folder)) + " cannot be read.");
        return false;
    }
    folder_ = folder;
    stamp_ = stamp;
    entries_ = std::move(listed->entries);
    list_.set_rows(std::move(listed->rows));
    status("");
    dialogs::Dialog* d = dialog();
    const Rect& fb = d->item(kFolder)->box;
    set_text(kFolder, elide_left("In: " + folder_.string(), fb.right - fb.left));
    enable(kUp, folder_ != folder_.root_path());
    draw_list();
    return true;
}

void FileDialog::follow_folder() {
    const auto stamp = folder_stamp(folder_);
    if (stamp && stamp_ && *stamp == *stamp_ && stamp->settled) return;
    auto listed = stamp ? read_listing(folder_) : std::nullopt;
    if (!listed) {
        const fs::path gone = folder_;
        fs::path up = gone.parent_path();
        while (!show_folder(up) && up != up.root_path()) up = up.parent_path();
        std::error_code ec;
        status("The folder " + quoted(folder_display_name(gone)) +
               (fs::exists(gone, ec) ? " can no longer be read." : " is not there any more."));
        return;
    }
    stamp_ = stamp;
    const bool same = listed->rows == list_.rows();
    entries_ = std::move(listed->entries);
    if (same) return;
    list_.replace_rows(std::move(listed->rows));
    draw_list();
}

void FileDialog::status(const std::string& why) {
    if (text(kStatus) != why) set_text(kStatus, why);
}

void FileDialog::refuse(const std::string& why) {
    status(why);
    // What was typed stays, selected, so typing again replaces it.
    dialogs::Dialog* d = dialog();
    d->set_focus(kName, 0, dialogs::EditField::kMaxBytes);
    dialogs::draw_item(*d, kName);
}

void FileDialog::draw_list() {
    if (dialog()) dialogs::draw_item(*dialog(), kList);
}

// ------------------------------------------------------------ the list

bool FileDialog::take(EventRecord& e, DialogItemIndex* itemHit) {
    dialogs::Dialog* d = dialog();
    if (!d) return false;
    if (e.what == nullEvent && TickCount() >= next_look_tick_) {
        next_look_tick_ = TickCount() + kLookTicks;
        follow_folder();
        return false;
    }
    if (e.what == mouseDown) {
        WindowRef w = nullptr;
        if (FindWindow(e.where, &w) != inContent || w != d->window()) return false;
        if (!kit::contains(list_.frame(), d->to_local(e.where))) return false;
        click_list(e);
        *itemHit = kList;
        return true;
    }
    if ((e.what == keyDown || e.what == autoKey) && !(e.modifiers & cmdKey)) {
        const SInt32 page = SInt32(std::max<size_t>(list_.visible_rows(), 2) - 1);
        SInt32 delta = 0;
        switch (UInt8(e.message & charCodeMask)) {
        case kUpArrowCharCode: delta = -1; break;
        case kDownArrowCharCode: delta = 1; break;
        case 0x0B: delta = -page; break;   // Page Up
        case 0x0C: delta = page; break;    // Page Down
        default: return false;
        }
        list_.move_selection(delta);
        if (list_.selected()) row_picked(*list_.selected());
        draw_list();
        *itemHit = kList;
        return true;
    }
    return false;
}

void FileDialog::click_list(const EventRecord& e) {
    dialogs::Dialog* d = dialog();
    const FileList::Hit hit = list_.hit(d->to_local(e.where));
    auto scroll_while_held = [&](SInt32 step) {
        list_.scroll_to(SInt32(list_.top()) + step);
        draw_list();
        UInt32 next = TickCount() + 15;
        while (WaitMouseUp()) {
            if (TickCount() < next) continue;
            const FileList::Hit now = list_.hit(d->to_local(events::mouse_position()));
            if (now.part == hit.part) {
                list_.scroll_to(SInt32(list_.top()) + step);
                draw_list();
            }
            next = TickCount() + 3;
        }
    };
    const SInt32 page = SInt32(std::max<size_t>(list_.visible_rows(), 2) - 1);
    switch (hit.part) {
    case FileList::Part::Row: {
        const bool twice = last_click_row_ == hit.row && e.when - last_click_tick_ <= GetDblTime();
        last_click_row_ = hit.row;
        last_click_tick_ = e.when;
        list_.select(hit.row);
        row_picked(hit.row);
        draw_list();
        while (WaitMouseUp()) {
        }
        activate_pending_ = twice;
        if (twice) last_click_row_.reset();
        break;
    }
    case FileList::Part::LineUp: scroll_while_held(-1); break;
    case FileList::Part::LineDown: scroll_while_held(1); break;
    case FileList::Part::PageUp: scroll_while_held(-page); break;
    case FileList::Part::PageDown: scroll_while_held(page); break;
    case FileList::Part::Thumb: {
        const size_t startTop = list_.top();
        const SInt16 startV = e.where.v;
        while (WaitMouseUp()) {
            const size_t top = list_.top_for_thumb_drag(startTop, events::mouse_position().v - startV);
            if (top != list_.top()) {
                list_.scroll_to(SInt32(top));
                draw_list();
            }
        }
        break;
    }
    case FileList::Part::None: break;
    }
}

// A row was clicked or reached with the arrows: its name goes into the
// field (in the save dialog, only a file's).
void FileDialog::row_picked(size_t row) {
    if (row >= entries_.size()) return;
    const FolderEntry& e = entries_[row];
    if (setup_.mode == Mode::Save && e.folder) return;
    dialogs::Dialog* d = dialog();
    d->set_text(kName, e.name);
    d->set_focus(kName, 0, dialogs::EditField::kMaxBytes);
    dialogs::draw_item(*d, kName);
    status("");
}

void FileDialog::name_typed() {
    status("");
    if (setup_.mode != Mode::Open) return;
    const std::string typed = text(kName);
    if (typed.empty() || is_typed_path(typed)) return;
    if (auto row = list_.find_prefix(typed); row && row != list_.selected()) {
        list_.select(*row);
        draw_list();
    }
}

// ------------------------------------------------------------ choosing

std::optional<FileDialog::Choice> FileDialog::chosen(Choice c) {
    remember_folder(c.path.parent_path());
    return c;
}

std::optional<FileDialog::Choice> FileDialog::activate(size_t row) {
    if (row >= entries_.size()) return std::nullopt;
    const FolderEntry e = entries_[row];
    if (e.folder) {
        if (show_folder(folder_ / e.name) && setup_.mode == Mode::Open) set_text(kName, "");
        return std::nullopt;
    }
    if (setup_.mode == Mode::Save) return std::nullopt;   // a click has put its name in the field
    return chosen(Choice{folder_ / e.name, false});
}

std::optional<FileDialog::Choice> FileDialog::act() {
    const std::string typed = text(kName);
    const bool save = setup_.mode == Mode::Save;
    if (is_typed_path(typed)) {
        const fs::path p = resolve_typed(folder_, typed);
        std::error_code ec;
        if (typed.ends_with("/") || fs::is_directory(p, ec)) {
            if (!fs::exists(p, ec)) {
                refuse("There is no folder " + quoted(typed) + ".");
            } else if (show_folder(p)) {
                set_text(kName, save ? offered_ : std::string());
                if (save) dialog()->set_focus(kName, 0, dialogs::EditField::kMaxBytes);
                dialogs::draw_item(*dialog(), kName);
            } else {
                refuse(text(kStatus));
            }
            return std::nullopt;
        }
        if (save) {
            const fs::path parent = p.parent_path();
            if (!fs::is_directory(parent, ec)) {
                refuse("There is no folder " + quoted(parent.string()) + ".");
                return std::nullopt;
            }
            return save_as(parent, p.filename().string());
        }
        return open_path(p);
    }
    if (save) return save_as(folder_, typed);
    if (typed.empty()) {
        if (list_.selected()) return activate(*list_.selected());
        refuse("Choose an item to open.");
        return std::nullopt;
    }
    if (auto row = list_.find_name(typed)) return activate(*row);
    if (auto sel = list_.selected(); sel && list_.find_prefix(typed) == sel) return activate(*sel);
    refuse("There is no item called " + quoted(typed) + " here.");
    return std::nullopt;
}

std::optional<FileDialog::Choice> FileDialog::open_path(const fs::path& p) {
    std::error_code ec;
    const fs::file_status st = fs::status(p, ec);
    const std::string name = p.filename().string();
    if (!fs::exists(st)) {
        refuse("There is no file " + quoted(p.string()) + ".");
        return std::nullopt;
    }
    FolderEntry e;
    e.name = name;
    e.folder = false;
    e.invisible = false;   // typed on purpose
    e.finder = files::read_finder_info(p).value_or(files::finder_info_for_name(name));
    e.size = fs::is_regular_file(st) ? UInt64(fs::file_size(p, ec)) : 0;
    if (!fs::is_regular_file(st) || !admits(e, p.parent_path())) {
        refuse(client_name(setup_.options) + " cannot open " + quoted(name) + ".");
        return std::nullopt;
    }
    return chosen(Choice{p, false});
}

std::optional<FileDialog::Choice> FileDialog::save_as(const fs::path& folder, const std::string& name) {
    const SaveVerdict v = check_save(folder, name);
    switch (v.kind) {
    case SaveVerdict::Refuse: refuse(v.reason); return std::nullopt;
    case SaveVerdict::Save: return chosen(Choice{folder / name, false});
    case SaveVerdict::Replace: break;
    }
    Question q;
    q.title = client_name(setup_.options);
    q.question = quoted(name) + " already exists. Do you want to replace it?";
    q.explanation = "A file with the same name already exists in " + quoted(folder_display_name(folder)) +
                    ". Replacing it will overwrite its current contents.";
    q.buttons = {"Replace", "Cancel"};
    q.default_button = 1;
    q.cancel_button = 1;
    auto answer = ask(q, callback_);
    if (!answer || *answer != 0) return std::nullopt;
    return chosen(Choice{folder / name, true});
}

}  // namespace platform::navigation
