// The headless host: screen in memory, virtual (or real) clock, no devices.
#include "platform/hosts/headless/HeadlessHost.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/hostapi/LaunchOptions.h"
#include "platform/hosts/Screenshot.h"
#include "platform/sound/HeadlessAudio.h"

namespace platform::host {
namespace {

UInt64 steady_ns() {
    return UInt64(std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count());
}

}  // namespace

HeadlessHost::HeadlessHost(Clock clock) : clock_(clock), real_start_ns_(steady_ns()) {
    // A recording asked for covers the whole run, silence included, even
    // when nothing ever plays.
    if (launch_options().record_audio) audio();
}

Result<void> HeadlessHost::open_screen(ScreenSize size) {
    if (!screen_size_valid(size)) return fail(paramErr, "screen size out of range");
    size_ = size;
    pixels_.assign(size_t(size.width) * size_t(size.height) * 4, 0);
    return ok();
}

void HeadlessHost::present(const UInt8* pixels, size_t rowBytes,
                           std::span<const ScreenRect> dirty) {
    if (!pixels || pixels_.empty() || rowBytes < size_t(size_.width) * 4) return;
    const size_t dstRow = size_t(size_.width) * 4;
    for (const ScreenRect& r : dirty) {
        int left = std::max(r.left, 0), right = std::min(r.right, size_.width);
        int top = std::max(r.top, 0), bottom = std::min(r.bottom, size_.height);
        if (left >= right || top >= bottom) continue;
        for (int y = top; y < bottom; ++y)
            std::memcpy(&pixels_[size_t(y) * dstRow + size_t(left) * 4],
                        pixels + size_t(y) * rowBytes + size_t(left) * 4, size_t(right - left) * 4);
    }
}

UInt64 HeadlessHost::now_ms() const {
    if (clock_ == Clock::RealTime) return (steady_ns() - real_start_ns_) / 1000000;
    return virtual_ms_;
}

bool HeadlessHost::poll(InputEvent& out) {
    if (input_.empty()) return false;
    out = input_.front();
    input_.pop_front();
    return true;
}

void HeadlessHost::wait_until(UInt64 deadline_ms) {
    if (!input_.empty()) return;
    if (clock_ == Clock::Virtual) {
        virtual_ms_ = std::max(virtual_ms_, deadline_ms);
        return;
    }
    UInt64 now = now_ms();
    if (deadline_ms > now) std::this_thread::sleep_for(std::chrono::milliseconds(deadline_ms - now));
}

Result<void> HeadlessHost::save_screenshot(const std::string& path) {
    if (pixels_.empty()) return fail(paramErr, "no screen is open");
    return save_screenshot_with_cursor(path, pixels_.data(), size_.width, size_.height, size_t(size_.width) * 4);
}

AudioOutput* HeadlessHost::audio() {
    if (!audio_)
        audio_ = std::make_unique<sound::HeadlessAudio>([this] { return now_ms(); }, sound::HeadlessAudio::configured_rate(),
                                                        launch_options().record_audio);
    return audio_.get();
}

}  // namespace platform::host
