// FileDialog.h — the save and open dialogs.
//
// Items: 1 the action button (Save or Open, the default: Return and
// Enter), 2 Cancel (Escape, Command-period), 3 the message, 4 "Name:",
// 5 the name field, 6 the folder shown, 7 "Up" (the enclosing folder),
// 8 the list of the folder's contents (folders first, by name), 9 why the
// last attempt was refused.
//
// Save: the name field starts with the name offered, all selected, so
// Return alone saves it in the folder shown. The list shows files dimmed;
// a click on one takes its name. A name that is a folder, a folder that
// cannot be written to and a name a file cannot have are refused with the
// reason; an existing file is replaced only when the user says so.
//
// Open: the list shows folders and the files the type list and the object
// filter admit; a click selects (and names) an item, a double-click or
// Return opens it (a folder is entered). Typing selects the first item
// whose name starts with what was typed.
//
// Both: the list follows the folder while the dialog is up (a look a few
// times a second, while the application idles), keeping the selected name.
// A folder that goes away gives way to the nearest enclosing one.
// Typed text with a '/' (or starting with '~') is a path, from the
// folder shown, the home folder or the root: a folder is entered, a file
// (Open) chosen, a new name (Save) saved in that path's folder. Up and
// down arrows, Page Up and Page Down move through the list.
#pragma once

#include <optional>

#include "platform/navigation/FileList.h"
#include "platform/navigation/Folders.h"
#include "platform/navigation/NavWindow.h"

namespace platform::navigation {

class FileDialog final : public NavWindow {
public:
    enum class Mode { Save, Open };
    struct Setup {
        Mode mode = Mode::Open;
        NavDialogOptions options{};
        Callback callback;
        NavObjectFilterUPP filter = nullptr;
        void* user_data = nullptr;
        std::vector<OSType> types;        // files of other types are not shown (empty: no list)
        std::optional<fs::path> start;    // the folder to start in
    };
    struct Choice {
        fs::path path;                    // the file, absolute
        bool replacing = false;
    };
    enum Items : SInt16 { kAction = 1, kCancel, kMessage, kNameLabel, kName, kFolder, kUp, kList, kStatus };

    explicit FileDialog(Setup setup);
    ~FileDialog() override { close(); }

    // Shows the dialog and runs it: the file chosen, or nothing for Cancel.
    Result<std::optional<Choice>> run();

    bool take(EventRecord& e, DialogItemIndex* itemHit) override;
    const FileList& list() const { return list_; }
    const fs::path& folder() const { return folder_; }

private:
    Layout layout() const;
    bool show_folder(const fs::path& folder);
    struct Listing {
        std::vector<FolderEntry> entries;
        std::vector<ListRow> rows;
    };
    std::optional<Listing> read_listing(const fs::path& folder) const;
    void follow_folder();
    bool admits(const FolderEntry& e, const fs::path& folder) const;
    void status(const std::string& why);
    void refuse(const std::string& why);
    void draw_list();
    void click_list(const EventRecord& e);
    void row_picked(size_t row);
    void name_typed();
    std::optional<Choice> act();
    std::optional<Choice> activate(size_t row);
    std::optional<Choice> save_as(const fs::path& folder, const std::string& name);
    std::optional<Choice> open_path(const fs::path& path);
    std::optional<Choice> chosen(Choice c);

    Setup setup_;
    fs::path folder_;
    std::vector<FolderEntry> entries_;   // parallel to the list's rows
    std::optional<FolderStamp> stamp_;   // the folder shown, as last listed
    UInt32 next_look_tick_ = 0;
    FileList list_;
    std::string offered_;
    bool activate_pending_ = false;
    UInt32 last_click_tick_ = 0;
    std::optional<size_t> last_click_row_;
};

// Draws a dialog's file list (the list item's drawing procedure).
void draw_file_list(const dialogs::Dialog& d, const FileList& list);

}  // namespace platform::navigation
