// The application's own start: after the launch options are read (the
// launch library's constructor has the earlier priority), the application's
// resource file is opened and made current, so the application finds its
// menus, dialogs, strings and sound from its first call on.
#include <cstdio>
#include <cstdlib>

#include "platform/resources/AppResources.h"

namespace {

__attribute__((constructor)) void kinora_open_application_resources() {
    auto opened = platform::resources::open_application_resources();
    if (!opened) {
        std::fprintf(stderr, "kinora: %s\n", opened.error().message);
        std::exit(1);
    }
}

}  // namespace
