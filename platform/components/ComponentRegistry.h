// ComponentRegistry.h — the Component Manager's registry and instances.
//
// Every component of the platform is registered here with its description,
// a name, an information string and an open function that makes a new
// instance. FindNextComponent walks the registrations in the order they
// were made; the platform's own components are registered on first use of
// the registry (BuiltinComponents.cpp), in this order:
//
//   'grip'  PNGf JPEG GIFf BMPf qtif, then the extension subtypes
//           png  jpg  jpeg gif  bmp  qtif qti  (movieImportSubTypeIsFileExtension)
//   'eat '  WAVE AIFF AIFC, then wav  aif  aiff aifc   (canMovieImportFiles,
//           canMovieImportInPlace; the extension ones also ...IsFileExtension)
//   'sdec'  mp4a .mp3 alac fLaC Opus ac-3 ... (platform/sound/libav)
//   'imdc'  rle  raw      'imco'  rle  raw
//   then what providers register with the codecs (the decompressors of
//   platform/codecs/libav: avc1 hvc1 ... for each decoder installed)
//
// The registry knows none of the managers that provide components: each
// hands it a provider (add_component_provider) before main, and the
// registry calls it when its time comes. The importers and the sound
// decompressors provide theirs on first use; the movie controller registers 'play' when the movie toolbox
// starts (EnterMovies),
//
//   components::register_component({
//       {MovieControllerComponentType, 'play', components::kManufacturer, 0, 0},
//       "Movie controller", "Plays movies in windows",
//       [] () -> Result<std::unique_ptr<components::Instance>> { ... }});
//
// Registering a description (type, subtype, manufacturer, flags) that is
// already there replaces that registration in place, so a second
// EnterMovies does not add a duplicate. ('qtif' is registered twice, as a
// Finder type and as an extension: the flags tell the two apart.)
//
// Component and ComponentInstance values are opaque tokens, never
// addresses: a token of a closed instance is never handed out again, so a
// call with a stale instance fails with badComponentInstance instead of
// reaching freed memory.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Components.h"
#include "platform/core/Result.h"

namespace platform::components {

// The manufacturer code of every platform component.
inline constexpr OSType kManufacturer = 'Knra';

// An open component instance. Subclasses hold the state of one kind of
// component (a graphics importer, a movie importer, a controller, ...).
class Instance {
public:
    virtual ~Instance() = default;

    Component component() const { return component_; }
    // The result of the instance's last failed call (GetComponentInstanceError).
    OSErr error() const { return error_; }
    void set_error(OSErr code) { error_ = code; }

private:
    friend class Registry;
    Component component_ = nullptr;
    OSErr error_ = noErr;
};

using OpenFunction = std::function<Result<std::unique_ptr<Instance>>()>;

struct Registration {
    ComponentDescription description{};   // componentFlagsMask is ignored
    std::string name;
    std::string info;
    OpenFunction open;
};

// Adds (or replaces, see above) a component; returns its token.
Component register_component(Registration registration);
// Removes a component (tests). Its open instances stay usable.
void unregister_component(Component component);

// The registration behind a token, or null. It stays valid until that
// component is unregistered or registered again.
const Registration* registration_of(Component component);

// The instance behind a token, or null when it is nil, unknown or closed.
Instance* instance_of(ComponentInstance instance);

// The instance as the subclass T, or null (also for another kind).
template <class T>
T* instance_as(ComponentInstance instance) {
    return dynamic_cast<T*>(instance_of(instance));
}

// Opens an instance of a component (invalidComponentID for an unknown one;
// the open function's own error otherwise).
Result<ComponentInstance> open_instance(Component component);

// The component after `previous` (the first for nil) matching `looking`
// (everything for a nil search); nil at the end or for an unknown `previous`.
Component next_component(Component previous, const ComponentDescription* looking);
// Takes an instance out of the registry (nil when not open); the caller
// destroys it.
std::unique_ptr<Instance> release_instance(ComponentInstance instance);

// Whether a description matches a search (0 = any for type, subtype and
// manufacturer; flags compared through the search's mask).
bool matches(const ComponentDescription& have, const ComponentDescription& looking);

// When a provider registers its components: once, on the registry's first
// use (before the codecs, in the order the providers were added), once
// right after the platform's own codecs, or each time the movie toolbox
// starts.
enum class ProvideWhen { FirstUse, AfterCodecs, EnterMovies };
using Provider = void (*)();
void add_component_provider(ProvideWhen when, Provider provider);

// EnterMovies: runs the providers that register at the movie toolbox's start.
void movie_toolbox_entered();

// The platform's built-in components (BuiltinComponents.cpp); called once
// by the registry when it is first used.
void register_builtin_components();

}  // namespace platform::components
