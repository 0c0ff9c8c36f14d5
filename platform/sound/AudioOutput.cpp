#include "platform/sound/AudioOutput.h"

#include <mutex>
#include <set>

namespace platform::host {

namespace {

// Kept past static destruction: devices may go after it.
std::mutex& lock() {
    static auto* m = new std::mutex;
    return *m;
}
std::set<const AudioOutput*>& devices() {
    static auto* s = new std::set<const AudioOutput*>;
    return *s;
}

}  // namespace

AudioOutput::AudioOutput() {
    std::lock_guard g(lock());
    devices().insert(this);
}

AudioOutput::~AudioOutput() {
    std::lock_guard g(lock());
    devices().erase(this);
}

bool AudioOutput::alive(const AudioOutput* out) {
    std::lock_guard g(lock());
    return out && devices().count(out) != 0;
}

}  // namespace platform::host
