#include "platform/resources/AppResources.h"

#include <unistd.h>

#include <climits>
#include <cstdio>

#include "platform/Errors.h"
#include "platform/core/Environment.h"
#include "platform/resources/ResourceChain.h"

namespace platform::resources {

std::string application_resources_path() {
    if (auto path = env::get("KINORA_RESOURCES")) return *path;
    char exe[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "Kinora.rsrc";
    std::string dir(exe, size_t(n));
    auto slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : dir.substr(0, slash);
    // The build tree keeps it beside the program; an installed program
    // (PREFIX/bin) finds it in PREFIX/share/kinora, wherever PREFIX is.
    const std::string beside = dir + "/Kinora.rsrc";
    const std::string installed = dir + "/../share/kinora/Kinora.rsrc";
    if (::access(beside.c_str(), F_OK) != 0 && ::access(installed.c_str(), F_OK) == 0) return installed;
    return beside;
}

Result<SInt16> open_application_resources() {
    // The message is fixed text by design; the path goes to stderr so a
    // missing file is never a mystery.
    const std::string path = application_resources_path();
    auto& chain = ResourceChain::instance();
    auto r = chain.open_path(path);
    chain.set_error(r.code());
    if (!r) {
        std::fprintf(stderr, "kinora: cannot open the application's resources %s (error %d: %s)\n",
                     path.c_str(), int(r.code()), r.error().message);
        if (r.code() == fnfErr || r.code() == dirNFErr)
            return fail(resFNotFound, "the application's resource file is missing (set KINORA_RESOURCES)");
        return r.error();
    }
    chain.use(*r);   // already open: still make it current
    return r;
}

Result<SInt16> open_resource_image(std::span<const UInt8> image) {
    auto& chain = ResourceChain::instance();
    auto r = chain.open_image(image);
    chain.set_error(r.code());
    return r;
}

}  // namespace platform::resources
