// The component registry: registrations in order, open instances by token.
#include "platform/components/ComponentRegistry.h"

#include <deque>
#include <map>
#include <mutex>

namespace platform::components {

class Registry {
public:
    Component add(Registration reg) {
        std::lock_guard g(lock_);
        reg.description.componentFlagsMask = 0;
        for (auto& [id, existing] : entries_) {
            const auto& d = existing.description;
            if (d.componentType == reg.description.componentType &&
                d.componentSubType == reg.description.componentSubType &&
                d.componentManufacturer == reg.description.componentManufacturer &&
                d.componentFlags == reg.description.componentFlags) {
                existing = std::move(reg);
                return token(id);
            }
        }
        uintptr_t id = ++lastComponent_;
        entries_.emplace_back(id, std::move(reg));
        return token(id);
    }

    void remove(Component c) {
        std::lock_guard g(lock_);
        std::erase_if(entries_, [&](const auto& e) { return token(e.first) == c; });
    }

    const Registration* find(Component c) {
        std::lock_guard g(lock_);
        for (auto& [id, reg] : entries_)
            if (token(id) == c) return &reg;
        return nullptr;
    }

    // The component after `previous` (the first for nil) matching `looking`.
    Component next(Component previous, const ComponentDescription* looking) {
        std::lock_guard g(lock_);
        size_t i = 0;
        if (previous) {
            while (i < entries_.size() && token(entries_[i].first) != previous) ++i;
            if (i == entries_.size()) return nullptr;   // unknown: no successor
            ++i;
        }
        for (; i < entries_.size(); ++i)
            if (!looking || matches(entries_[i].second.description, *looking))
                return token(entries_[i].first);
        return nullptr;
    }

    ComponentInstance adopt(Component c, std::unique_ptr<Instance> instance) {
        std::lock_guard g(lock_);
        instance->component_ = c;
        uintptr_t id = ++lastInstance_;
        instances_.emplace(id, std::move(instance));
        return reinterpret_cast<ComponentInstance>(id);
    }

    Instance* instance(ComponentInstance ci) {
        std::lock_guard g(lock_);
        auto it = instances_.find(reinterpret_cast<uintptr_t>(ci));
        return it == instances_.end() ? nullptr : it->second.get();
    }

    std::unique_ptr<Instance> release(ComponentInstance ci) {
        std::lock_guard g(lock_);
        auto it = instances_.find(reinterpret_cast<uintptr_t>(ci));
        if (it == instances_.end()) return nullptr;
        auto owned = std::move(it->second);
        instances_.erase(it);
        return owned;
    }

private:
    static Component token(uintptr_t id) { return reinterpret_cast<Component>(id); }

    std::mutex lock_;
    std::deque<std::pair<uintptr_t, Registration>> entries_;   // references stay valid as it grows
    std::map<uintptr_t, std::unique_ptr<Instance>> instances_;
    uintptr_t lastComponent_ = 0;
    uintptr_t lastInstance_ = 0;
};

namespace {

Registry& base() {
    static Registry r;
    return r;
}

thread_local bool tRegisteringBuiltins = false;

// The registry with the built-in components in it, always first.
Registry& ready() {
    static std::once_flag once;
    std::call_once(once, [] {
        tRegisteringBuiltins = true;
        register_builtin_components();
        tRegisteringBuiltins = false;
    });
    return base();
}

}  // namespace

bool matches(const ComponentDescription& have, const ComponentDescription& looking) {
    if (looking.componentType && looking.componentType != have.componentType) return false;
    if (looking.componentSubType && looking.componentSubType != have.componentSubType) return false;
    if (looking.componentManufacturer &&
        looking.componentManufacturer != have.componentManufacturer)
        return false;
    UInt32 mask = looking.componentFlagsMask;
    return (have.componentFlags & mask) == (looking.componentFlags & mask);
}

Component register_component(Registration registration) {
    Registry& r = tRegisteringBuiltins ? base() : ready();
    return r.add(std::move(registration));
}

void unregister_component(Component component) { ready().remove(component); }

const Registration* registration_of(Component component) {
    return component ? ready().find(component) : nullptr;
}

Instance* instance_of(ComponentInstance instance) {
    return instance ? ready().instance(instance) : nullptr;
}

Result<ComponentInstance> open_instance(Component component) {
    const Registration* reg = registration_of(component);
    if (!reg) return fail(invalidComponentID, "no such component");
    if (!reg->open) return fail(cantOpenHandler, "the component cannot be opened");
    OpenFunction open = reg->open;   // the registration may be replaced meanwhile
    auto instance = TRY(open());
    return ready().adopt(component, std::move(instance));
}

Component next_component(Component previous, const ComponentDescription* looking) {
    return ready().next(previous, looking);
}

std::unique_ptr<Instance> release_instance(ComponentInstance instance) {
    return instance ? ready().release(instance) : nullptr;
}

}  // namespace platform::components
