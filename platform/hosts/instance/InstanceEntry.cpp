// The single instance's entry, linked only into the application: before the
// launch options are read it gives the launch code the start below, which
// hands the documents to a Kinora already running in the session and ends
// this process, or makes this process the one that serves the session.
//
// The one serving reads its socket while it waits for events (the Event
// Manager's idle task); a request brings its window to the front and opens
// the files through the normal 'odoc' path, so the application's own checks
// apply to them.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/core/ProcessExit.h"
#include "platform/events/EventsInternal.h"
#include "platform/hostapi/Host.h"
#include "platform/hostapi/LaunchOptions.h"
#include "platform/hosts/instance/InstanceServer.h"
#include "platform/hosts/launch/Launch.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;

std::unique_ptr<instance::InstanceServer>& server() {
    static std::unique_ptr<instance::InstanceServer> s;
    return s;
}

void notice(const std::string& why) {
    std::fprintf(stderr, "kinora: %s; running as a separate instance\n", why.c_str());
}

void open_in_front(const std::vector<std::string>& paths) {
    host::current().raise();
    if (!paths.empty()) events::request_open_documents(paths);
}

void start_instance(const host::LaunchOptions& options) {
    auto folder = instance::instance_folder_path();
    if (!folder) return notice("there is no folder for the instance socket ($XDG_RUNTIME_DIR and $HOME are unset)");
    auto fd = instance::open_private_folder(*folder);
    if (!fd) return notice("cannot use " + folder->string() + " for the instance socket: " + fd.error().message);
    // Handed over, documents are absolute paths of files; what is not a
    // file is said here, as the one running cannot tell this terminal.
    std::vector<std::string> files, others;
    for (const std::string& d : options.documents) {
        std::error_code ec;
        fs::path absolute = fs::absolute(d, ec);
        struct stat st;
        if (!ec && ::stat(absolute.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(absolute.string());
        else others.push_back(d);
    }
    auto claim = instance::claim_instance(instance::Endpoint{*folder, std::move(*fd), instance::instance_name()}, files);
    if (!claim) return notice(claim.error().message);
    if (claim->server) {
        server() = std::move(claim->server);
        events::set_idle_task([] { server()->serve(open_in_front); });
        process::add_exit_hook([] {
            events::set_idle_task(nullptr);
            server().reset();
        });
        return;
    }
    for (const std::string& d : others) std::fprintf(stderr, "kinora: %s is not a file; not opened\n", d.c_str());
    std::exit(others.empty() ? 0 : 1);
}

__attribute__((constructor(101))) void kinora_register_instance() { host::set_instance_start(start_instance); }

}  // namespace
