// The SDL host's entry: an object linked only into programs that can show
// a window (the application, the programs the SDL tests drive). It hands
// the host registry a way to make the SDL host before anything runs.
#include <SDL.h>

#include "platform/hostapi/HostRegistry.h"
#include "platform/hosts/sdl/SdlHost.h"

namespace {

std::unique_ptr<platform::host::Host> make_sdl_host(std::string& whyNot) {
    auto sdl = platform::host::SdlHost::create();
    if (!sdl) {
        whyNot = SDL_GetError();
        return nullptr;
    }
    return std::move(*sdl);
}

__attribute__((constructor(101))) void kinora_register_sdl_host() {
    platform::host::set_window_host_maker(make_sdl_host);
}

}  // namespace
