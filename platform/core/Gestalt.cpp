// Gestalt: a registry of selectors, filled by the managers that own them.
#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/Errors.h"
#include "platform/Gestalt.h"
#include "platform/core/Environment.h"
#include "platform/core/FourCC.h"
#include "platform/core/GestaltRegistry.h"

namespace platform::gestalt {
namespace {

struct Registry {
    std::mutex lock;
    std::map<OSType, std::function<SInt32()>> selectors;
    std::set<OSType> failing;

    Registry() {
        // The system version: 10.4 or later, so the platform's application
        // menu carries Quit and the File menu loses its own.
        selectors['sysv'] = [] { return SInt32(0x1040); };
        // KINORA_FAIL_GESTALT=sysv,evnt makes those selectors fail (tests).
        if (auto list = env::get("KINORA_FAIL_GESTALT")) {
            std::stringstream in(*list);
            std::string item;
            while (std::getline(in, item, ',')) {
                while (item.size() < 4) item += ' ';
                OSType code;
                if (parse_fourcc(item, &code)) failing.insert(code);
            }
        }
    }
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

void set_value(OSType selector, SInt32 value) {
    set_function(selector, [value] { return value; });
}

void set_function(OSType selector, std::function<SInt32()> answer) {
    auto& r = registry();
    std::lock_guard g(r.lock);
    r.selectors[selector] = std::move(answer);
}

void remove(OSType selector) {
    auto& r = registry();
    std::lock_guard g(r.lock);
    r.selectors.erase(selector);
}

void set_failing(OSType selector, bool failing) {
    auto& r = registry();
    std::lock_guard g(r.lock);
    if (failing)
        r.failing.insert(selector);
    else
        r.failing.erase(selector);
}

}  // namespace platform::gestalt

OSErr Gestalt(OSType selector, SInt32* response) {
    auto& r = platform::gestalt::registry();
    std::function<SInt32()> answer;
    {
        std::lock_guard g(r.lock);
        if (r.failing.count(selector)) return gestaltUndefSelectorErr;
        auto it = r.selectors.find(selector);
        if (it == r.selectors.end()) return gestaltUndefSelectorErr;
        answer = it->second;
    }
    if (!response) return paramErr;
    *response = answer();
    return noErr;
}
