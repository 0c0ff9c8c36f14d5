#include "platform/sound/HeadlessAudio.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#include "platform/core/Environment.h"
#include "platform/core/ProcessExit.h"

namespace platform::sound {

namespace {

// Devices still recording when main returns are finished by one atexit
// handler. Both live on past static destruction: a host destroyed after
// them still removes its device.
std::mutex& lock() {
    static auto* m = new std::mutex;
    return *m;
}
std::set<HeadlessAudio*>& live() {
    static auto* s = new std::set<HeadlessAudio*>;
    return *s;
}

void finish_all_at_exit() {
    std::set<HeadlessAudio*> devices;
    {
        std::lock_guard g(lock());
        devices = live();
    }
    for (HeadlessAudio* d : devices) d->finish();
}

constexpr UInt32 kBlock = 4096;

}  // namespace

int HeadlessAudio::configured_rate() {
    if (auto v = env::get("KINORA_HEADLESS_AUDIO_RATE")) {
        int r = std::atoi(v->c_str());
        if (r >= 8000 && r <= 192000) return r;
    }
    return 44100;
}

HeadlessAudio::HeadlessAudio(Clock clock, int rate, std::optional<std::string> record_path)
    : clock_(std::move(clock)), rate_(rate) {
    if (record_path) {
        auto opened = wav_.open(*record_path, rate_, 2);
        if (!opened.ok())
            std::fprintf(stderr, "kinora: cannot record the sound into %s\n", record_path->c_str());
    }
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(finish_all_at_exit); });
    {
        std::lock_guard g(lock());
        live().insert(this);
    }
    exit_hook_ = process::add_exit_hook([this] { finish(); });
}

HeadlessAudio::~HeadlessAudio() {
    process::remove_exit_hook(exit_hook_);
    finish();
    std::lock_guard g(lock());
    live().erase(this);
}

std::string HeadlessAudio::description() const {
    return "headless, " + std::to_string(rate_) + " Hz" + (wav_.is_open() ? ", recording" : "");
}

void HeadlessAudio::catch_up() {
    const UInt64 due = UInt64((static_cast<unsigned __int128>(clock_()) * UInt64(rate_)) / 1000);
    if (due <= mixed_) return;
    if (!wav_.is_open()) {
        mixed_ = due;
        return;
    }
    block_.resize(size_t(kBlock) * 2);
    while (mixed_ < due) {
        const UInt32 n = UInt32(std::min<UInt64>(kBlock, due - mixed_));
        mixer_.mix(block_.data(), mixed_, n);
        if (!wav_.append(block_.data(), n).ok()) {
            std::fprintf(stderr, "kinora: the sound recording failed (disk full?); it stops here\n");
            (void)wav_.finish();
        }
        mixed_ += n;
        if (!wav_.is_open()) mixed_ = due;
    }
}

void HeadlessAudio::attach(std::shared_ptr<AudioStream> stream) {
    catch_up();
    mixer_.attach(std::move(stream));
}

void HeadlessAudio::detach(const std::shared_ptr<AudioStream>& stream) {
    catch_up();
    mixer_.detach(stream);
}

UInt64 HeadlessAudio::play_position() {
    catch_up();
    return mixed_;
}

void HeadlessAudio::finish() {
    if (!wav_.is_open()) return;
    catch_up();
    (void)wav_.finish();
}

}  // namespace platform::sound
