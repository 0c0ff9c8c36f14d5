// Navigation Services' classic calls: the default options, the save and
// open dialogs, the save-changes question, replies and callback handles.
//
// Cancelling a file dialog is not an error: the call returns noErr with a
// reply whose validRecord is false (and whose selection needs no
// disposing). The type list of NavGetFile, when it holds types, hides files
// of other Finder types; the object filter then decides about what is left
// (folders included). Only one file is ever chosen: kNavAllowMultipleFiles
// is accepted and has no effect.
#include <cstring>
#include <filesystem>

#include "platform/Memory.h"
#include "platform/Navigation.h"
#include "platform/Resources.h"
#include "platform/files/Catalog.h"
#include "platform/navigation/FileDialog.h"
#include "platform/navigation/Question.h"

namespace {

namespace nav = platform::navigation;
namespace fs = std::filesystem;

void set_pascal(unsigned char* out, const std::string& s) {
    const size_t n = std::min<size_t>(s.size(), 255);
    out[0] = UInt8(n);
    std::memcpy(out + 1, s.data(), n);
}

std::string executable_name() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    std::string name = ec ? std::string() : exe.filename().string();
    return name.empty() ? "Application" : name;
}

// The folder a default location names ('fss ' of a folder, or of a file in it).
std::optional<fs::path> location_folder(const AEDesc* location) {
    if (!location || location->descriptorType == typeNull) return std::nullopt;
    AEDesc coerced{typeNull, nullptr};
    if (AECoerceDesc(location, typeFSS, &coerced) != noErr) return std::nullopt;
    FSSpec spec{};
    OSErr err = AEGetDescData(&coerced, &spec, sizeof(spec));
    AEDisposeDesc(&coerced);
    if (err != noErr) return std::nullopt;
    auto path = platform::files::path_of(spec);
    if (!path) return std::nullopt;
    std::error_code ec;
    if (fs::is_directory(*path, ec)) return *path;
    return path->parent_path();
}

void clear_reply(NavReplyRecord* reply) {
    std::memset(reply, 0, sizeof(*reply));
    reply->selection.descriptorType = typeNull;
    reply->selection.dataHandle = nullptr;
}

// A reply whose selection is the one file chosen.
OSErr fill_reply(NavReplyRecord* reply, const fs::path& path, bool replacing) {
    FSSpec spec{};
    OSErr err = platform::files::make_fsspec(path, &spec);
    if (err != noErr && err != fnfErr) return err;
    AEDescList list{typeNull, nullptr};
    if ((err = AECreateList(nullptr, 0, false, &list)) != noErr) return err;
    if ((err = AEPutPtr(&list, 0, typeFSS, &spec, sizeof(spec))) != noErr) {
        AEDisposeDesc(&list);
        return err;
    }
    reply->selection = list;
    reply->validRecord = true;
    reply->replacing = replacing;
    reply->keyScript = smSystemScript;
    return noErr;
}

// The types of a type list handle, as far as the handle holds them.
std::vector<OSType> types_of(NavTypeListHandle list) {
    std::vector<OSType> types;
    if (!list || !*list) return types;
    const Size size = GetHandleSize(reinterpret_cast<Handle>(list));
    const Size head = Size(offsetof(NavTypeList, osType));
    if (size < head) return types;
    const SInt16 count = (*list)->osTypeCount;
    const Size room = (size - head) / Size(sizeof(OSType));
    for (SInt32 i = 0; i < count && i < room; ++i) types.push_back((*list)->osType[i]);
    return types;
}

OSErr run_file_dialog(nav::FileDialog::Setup setup, NavReplyRecord* reply) {
    nav::FileDialog dialog(std::move(setup));
    auto result = dialog.run();
    if (!result) return result.error().code;
    if (!*result) return noErr;
    return fill_reply(reply, (*result)->path, (*result)->replacing);
}

}  // namespace

OSErr NavGetDefaultDialogOptions(NavDialogOptions* dialogOptions) {
    if (!dialogOptions) return paramErr;
    std::memset(dialogOptions, 0, sizeof(*dialogOptions));
    dialogOptions->version = 0;
    dialogOptions->dialogOptionFlags = kNavDefaultNavDlogOptions;
    dialogOptions->location = Point{-1, -1};
    // The application's name, from its string list as the menu bar has it.
    Str255 name;
    GetIndString(name, 1000, 1);
    if (name[0]) std::memcpy(dialogOptions->clientName, name, size_t(name[0]) + 1);
    else set_pascal(dialogOptions->clientName, executable_name());
    // The other texts stay empty: the save dialog offers "untitled" when
    // given no name.
    return noErr;
}

NavEventUPP NewNavEventUPP(NavEventProcPtr userRoutine) { return userRoutine; }
void DisposeNavEventUPP(NavEventUPP) {}
NavObjectFilterUPP NewNavObjectFilterUPP(NavObjectFilterProcPtr userRoutine) { return userRoutine; }
void DisposeNavObjectFilterUPP(NavObjectFilterUPP) {}

OSErr NavPutFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, OSType /*fileType*/, OSType /*fileCreator*/, void* callBackUD) {
    if (!reply) return paramErr;
    clear_reply(reply);
    nav::FileDialog::Setup setup;
    setup.mode = nav::FileDialog::Mode::Save;
    if (dialogOptions) setup.options = *dialogOptions;
    else NavGetDefaultDialogOptions(&setup.options);
    setup.callback = nav::Callback{eventProc, callBackUD};
    setup.user_data = callBackUD;
    setup.start = location_folder(defaultLocation);
    return run_file_dialog(std::move(setup), reply);
}

OSErr NavGetFile(AEDesc* defaultLocation, NavReplyRecord* reply, NavDialogOptions* dialogOptions,
                 NavEventUPP eventProc, NavPreviewUPP /*previewProc*/, NavObjectFilterUPP filterProc,
                 NavTypeListHandle typeList, void* callBackUD) {
    if (!reply) return paramErr;
    clear_reply(reply);
    nav::FileDialog::Setup setup;
    setup.mode = nav::FileDialog::Mode::Open;
    if (dialogOptions) setup.options = *dialogOptions;
    else NavGetDefaultDialogOptions(&setup.options);
    setup.callback = nav::Callback{eventProc, callBackUD};
    setup.filter = filterProc;
    setup.user_data = callBackUD;
    setup.types = types_of(typeList);
    setup.start = location_folder(defaultLocation);
    return run_file_dialog(std::move(setup), reply);
}

OSErr NavAskSaveChanges(NavDialogOptions* dialogOptions, NavAskSaveChangesAction action,
                        NavAskSaveChangesResult* reply, NavEventUPP eventProc, void* callBackUD) {
    if (!dialogOptions || !reply) return paramErr;
    const std::string app = nav::client_name(*dialogOptions);
    const std::string doc = nav::pascal_text(dialogOptions->savedFileName);
    const std::string what = doc.empty() ? "this document" : "the document \xE2\x80\x9C" + doc + "\xE2\x80\x9D";
    nav::Question q;
    q.title = app.empty() ? "Save Changes" : app;
    q.question = "Do you want to save the changes you made to " + what;
    if (action == kNavSaveChangesQuittingApplication) q.question += app.empty() ? " before quitting" : " before quitting " + app;
    q.question += "?";
    q.explanation = "Your changes will be lost if you don\xE2\x80\x99t save them.";
    q.buttons = {"Don't Save", "Cancel", "Save"};
    q.first_at_left = true;
    q.default_button = 2;
    q.cancel_button = 1;
    q.command_key = 'd';
    q.command_button = 0;
    auto answer = nav::ask(q, nav::Callback{eventProc, callBackUD});
    if (!answer) return answer.error().code;
    static constexpr NavAskSaveChangesResult kAnswers[] = {kNavAskSaveChangesDontSave, kNavAskSaveChangesCancel,
                                                           kNavAskSaveChangesSave};
    *reply = kAnswers[*answer];
    return noErr;
}

OSErr NavDisposeReply(NavReplyRecord* reply) {
    if (!reply) return paramErr;
    OSErr err = noErr;
    if (reply->selection.dataHandle) err = AEDisposeDesc(&reply->selection);
    reply->selection.descriptorType = typeNull;
    reply->selection.dataHandle = nullptr;
    reply->validRecord = false;
    return err;
}
