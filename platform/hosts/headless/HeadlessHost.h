// HeadlessHost.h — the host with no window: the screen lives in memory and
// can be saved as a PNG; time is a virtual clock (or real time for an
// unscripted run, so an idle headless process sleeps instead of spinning).
// The virtual clock moves only when the application waits: work done
// between two waits (an export, a Save As) takes no time on it, so the
// progress window's half-second delay never passes there (see
// ScriptRunner.h for scripts that want it).
#pragma once

#include <deque>
#include <vector>

#include "platform/hostapi/Host.h"
#include "platform/sound/AudioOutput.h"

namespace platform::host {

class HeadlessHost final : public Host {
public:
    enum class Clock { Virtual, RealTime };

    explicit HeadlessHost(Clock clock = Clock::Virtual);

    const char* name() const override { return "headless"; }
    bool is_headless() const override { return true; }

    Result<void> open_screen(ScreenSize size) override;
    ScreenSize screen_size() const override { return size_; }
    void present(const UInt8* pixels, size_t rowBytes, std::span<const ScreenRect> dirty) override;

    UInt64 now_ms() const override;
    bool poll(InputEvent& out) override;
    void wait_until(UInt64 deadline_ms) override;
    void beep() override { ++beeps_; }
    // The screen with the cursor where the mouse is.
    Result<void> save_screenshot(const std::string& path) override;

    // Input as if it came from a device (tests).
    void push_input(const InputEvent& e) { input_.push_back(e); }
    // Moves the virtual clock forward (tests).
    void advance(UInt64 ms) { virtual_ms_ += ms; }

    // The virtual audio device (platform/sound/HeadlessAudio.h), made on
    // first use; it records into --record-audio's file when one was given.
    AudioOutput* audio() override;

    int beeps() const { return beeps_; }
    // The screen as last presented: x,R,G,B, width * 4 bytes a row.
    const std::vector<UInt8>& pixels() const { return pixels_; }

private:
    Clock clock_;
    UInt64 virtual_ms_ = 0;
    UInt64 real_start_ns_ = 0;
    ScreenSize size_{};
    std::vector<UInt8> pixels_;
    std::deque<InputEvent> input_;
    int beeps_ = 0;
    std::unique_ptr<AudioOutput> audio_;
};

}  // namespace platform::host
