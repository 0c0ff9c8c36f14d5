// The Component Manager's calls.
#include <cstring>

#include "platform/Memory.h"
#include "platform/components/ComponentRegistry.h"

using namespace platform::components;

namespace {

// The component calls answer with 32-bit results; OSErr-typed calls carry
// their low 16 bits, as the classic calls do.
constexpr OSErr kBadInstance = OSErr(badComponentInstance);

OSErr put_pstring(Handle h, const std::string& text) {
    size_t n = text.size() > 255 ? 255 : text.size();
    SetHandleSize(h, Size(n + 1));
    if (OSErr err = MemError()) return err;
    (*h)[0] = char(n);
    std::memcpy(*h + 1, text.data(), n);
    return noErr;
}

}  // namespace

Component FindNextComponent(Component aComponent, ComponentDescription* looking) {
    return next_component(aComponent, looking);
}

SInt32 CountComponents(ComponentDescription* looking) {
    SInt32 count = 0;
    for (Component c = next_component(nullptr, looking); c; c = next_component(c, looking))
        ++count;
    return count;
}

OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon) {
    const Registration* reg = registration_of(aComponent);
    if (!reg) return invalidComponentID;
    if (cd) *cd = reg->description;
    if (componentName)
        if (OSErr err = put_pstring(componentName, reg->name)) return err;
    if (componentInfo)
        if (OSErr err = put_pstring(componentInfo, reg->info)) return err;
    if (componentIcon) {
        // No icons: the handle is emptied.
        SetHandleSize(componentIcon, 0);
        if (OSErr err = MemError()) return err;
    }
    return noErr;
}

ComponentInstance OpenComponent(Component aComponent) {
    auto opened = open_instance(aComponent);
    return opened.ok() ? *opened : nullptr;
}

OSErr OpenAComponent(Component aComponent, ComponentInstance* ci) {
    if (!ci) return paramErr;
    *ci = nullptr;
    auto opened = open_instance(aComponent);
    if (!opened.ok()) return opened.code();
    *ci = *opened;
    return noErr;
}

OSErr CloseComponent(ComponentInstance aComponentInstance) {
    return release_instance(aComponentInstance) ? OSErr(noErr) : kBadInstance;
}

OSErr GetComponentInstanceError(ComponentInstance aComponentInstance) {
    Instance* instance = instance_of(aComponentInstance);
    return instance ? instance->error() : kBadInstance;
}
