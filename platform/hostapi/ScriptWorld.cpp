#include "platform/hostapi/ScriptWorld.h"

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

// Drops a trailing ellipsis and writes typographic apostrophes as ASCII
// ones, so that a script typed on any keyboard names "Don’t Save".
std::string normalized(std::string_view s) {
    if (s.ends_with("...")) s.remove_suffix(3);
    else if (s.ends_with("\xE2\x80\xA6")) s.remove_suffix(3);
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.substr(i, 3) == "\xE2\x80\x99") {
            out.push_back('\'');
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
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
    return normalized(shown) == normalized(wanted);
}

}  // namespace platform::script
