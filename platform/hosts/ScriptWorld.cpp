#include "platform/hosts/ScriptWorld.h"

#include <string_view>

namespace platform::script {
namespace {

struct Registry {
    WindowQueries* windows = nullptr;
    MenuQueries* menus = nullptr;
    DialogQueries* dialogs = nullptr;
    AppleEventSender* apple_events = nullptr;
};

Registry& registry() {
    static Registry r;
    return r;
}

std::string_view without_ellipsis(std::string_view s) {
    if (s.ends_with("...")) s.remove_suffix(3);
    else if (s.ends_with("\xE2\x80\xA6")) s.remove_suffix(3);
    return s;
}

}  // namespace

void set_window_queries(WindowQueries* q) { registry().windows = q; }
void set_menu_queries(MenuQueries* q) { registry().menus = q; }
void set_dialog_queries(DialogQueries* q) { registry().dialogs = q; }
void set_apple_event_sender(AppleEventSender* s) { registry().apple_events = s; }

WindowQueries* window_queries() { return registry().windows; }
MenuQueries* menu_queries() { return registry().menus; }
DialogQueries* dialog_queries() { return registry().dialogs; }
AppleEventSender* apple_event_sender() { return registry().apple_events; }

bool item_text_matches(const std::string& shown, const std::string& wanted) {
    return without_ellipsis(shown) == without_ellipsis(wanted);
}

}  // namespace platform::script
