// Instance messages: any bytes either parse or are refused with paramErr;
// what parses holds only absolute paths within the limits, and writing them
// again gives the same bytes.
#include <cstddef>
#include <cstdint>

#include "platform/hosts/instance/InstanceMessage.h"

using namespace platform::instance;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto parsed = parse_instance_message(std::span(data, size));
    if (!parsed) {
        if (parsed.error().code != paramErr) __builtin_trap();
        return 0;
    }
    if (parsed->size() > kMaxInstancePaths) __builtin_trap();
    for (const std::string& p : *parsed)
        if (p.empty() || p[0] != '/' || p.size() > kMaxInstancePathBytes || p.find('\0') != std::string::npos) __builtin_trap();
    auto again = encode_instance_messages(*parsed);
    if (!again || again->size() != 1) __builtin_trap();
    const auto& bytes = again->front();
    if (bytes.size() != size || !std::equal(bytes.begin(), bytes.end(), data)) __builtin_trap();
    return 0;
}
