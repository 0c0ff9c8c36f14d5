// The platform's entry, in every program that links the platform (an
// object, so it is always linked in): before main it hands the layers
// below what they must not name themselves.
//
//   the host registry      the headless host, and the launch script's start
//                          once the host exists
//   the component registry the importers and the sound decompressors (on
//                          its first use), libavcodec's image decompressors
//                          (after the platform's own codecs) and the movie
//                          controller (each time the movie toolbox starts)
//   the image codecs       libavcodec's decoders, for the types they lack
//   the movie toolbox      the progress window as its progress display
#include "platform/codecs/Codec.h"
#include "platform/codecs/libav/DecodeSession.h"
#include "platform/codecs/libav/VideoCodecs.h"
#include "platform/components/ComponentRegistry.h"
#include "platform/controller/Controller.h"
#include "platform/hostapi/HostRegistry.h"
#include "platform/hosts/headless/HeadlessHost.h"
#include "platform/hosts/headless/ScriptRunner.h"
#include "platform/hosts/launch/Launch.h"
#include "platform/importers/ImporterComponents.h"
#include "platform/movies/progress/DefaultProgress.h"
#include "platform/progresswindow/ProgressWindow.h"
#include "platform/sound/libav/LibavSoundDecoder.h"

namespace {

using namespace platform;

std::unique_ptr<host::Host> make_headless_host(bool virtualClock) {
    return std::make_unique<host::HeadlessHost>(virtualClock ? host::HeadlessHost::Clock::Virtual
                                                             : host::HeadlessHost::Clock::RealTime);
}

void start_launch_script(host::Host& host) {
    if (auto script = host::take_launch_script()) script::ScriptRunner::start(std::move(*script), host);
}

__attribute__((constructor(101))) void kinora_register_platform() {
    host::set_headless_host_maker(make_headless_host);
    host::set_host_started(start_launch_script);
    components::add_component_provider(components::ProvideWhen::FirstUse, importers::register_importer_components);
    components::add_component_provider(components::ProvideWhen::AfterCodecs, codecs::libav::register_decompressor_components);
    components::add_component_provider(components::ProvideWhen::FirstUse, sound::register_libav_sound_components);
    components::add_component_provider(components::ProvideWhen::EnterMovies, controller::register_controller_component);
    codecs::set_outside_decoder(codecs::libav::decode_described_image);
    movies::set_platform_progress_display(progress::make_progress_window);
}

}  // namespace
