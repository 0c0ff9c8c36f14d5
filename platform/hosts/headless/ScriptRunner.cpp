// Running a headless script: each command becomes steps when it starts,
// steps become input events, checks and waits, executed only when the
// application asks. What each command does is in ScriptCommands.cpp.
#include "platform/hosts/headless/ScriptRunner.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/core/ProcessExit.h"
#include "platform/hostapi/ScriptWorld.h"
#include "platform/hosts/headless/ScriptMessages.h"

namespace platform::script {
namespace {

using host::InputEvent;
using host::InputKind;

std::unique_ptr<ScriptRunner>& process_runner() {
    static std::unique_ptr<ScriptRunner> runner;
    return runner;
}

std::atomic<int> g_running_line{0};

std::string seconds(UInt64 ms) { return std::to_string(ms / 1000); }

}  // namespace

ScriptRunner::ScriptRunner(Script script, host::Host& host) : script_(std::move(script)), host_(host) {}

void ScriptRunner::fail_at(int line, std::string_view message) {
    state_ = State::Failed;
    std::fprintf(stderr, "%s\n", script_message(line, message).c_str());
    process::set_exit_status(1);
    process::exit_now();
}

void ScriptRunner::fail(std::string_view message) { fail_at(command_line_, message); }

// ------------------------------------------------------------ building steps

void ScriptRunner::add_input(const InputEvent& e, bool tracking_ok, bool trailing) {
    add(Step{Send{e}, tracking_ok, trailing});
}

void ScriptRunner::add_press_release(UInt16 mods) {
    add(Step{MouseAtPoint{InputKind::MouseDown, mods}, true});
    add(Step{MouseAtPoint{InputKind::MouseUp, mods}, true, true});
}

void ScriptRunner::add_modifiers_release(UInt16 mods) {
    if (!mods) return;
    InputEvent e;
    e.kind = InputKind::ModifiersChanged;
    add_input(e, true, true);
}

// ------------------------------------------------------------ what steps use

InputEvent ScriptRunner::mouse_event(InputKind kind, Point p, UInt16 mods) {
    InputEvent e;
    e.kind = kind;
    e.x = p.h;
    e.y = p.v;
    e.modifiers = mods;
    return e;
}

void ScriptRunner::deliver_mouse(InputKind kind, Point p, UInt16 mods) {
    events::deliver_input(mouse_event(kind, p, mods));
}

void ScriptRunner::point_at(Point p, UInt16 mods) {
    progress_.point = p;
    deliver_mouse(InputKind::MouseMoved, p, mods);
}

void ScriptRunner::check_on_screen(int h, int v) {
    host::ScreenSize s = host_.screen_size();
    if (s.width <= 0) return;   // no screen open yet: nothing to check against
    if (h < 0 || v < 0 || h >= s.width || v >= s.height)
        fail(msg::fill(msg::kOffScreen,
                       {std::to_string(h), std::to_string(v), std::to_string(s.width), std::to_string(s.height)}));
}

UInt64 ScriptRunner::deadline_after(UInt64 ms) {
    if (!progress_.deadline) progress_.deadline = host_.now_ms() + ms;
    return *progress_.deadline;
}

ScriptRunner::StepResult ScriptRunner::pending_until(UInt64 when) {
    pending_wake_ = when;
    return StepResult::Pending;
}

std::string ScriptRunner::dialog_text(const DialogView& d) {
    std::string s;
    for (const std::string& t : d.texts) {
        s += s.empty() ? "" : " / ";
        s += t;
    }
    return s.empty() ? std::string(msg::kNoText) : "\"" + s + "\"";
}

// ------------------------------------------------------------ running

void ScriptRunner::start_command(const ScriptLine& line) {
    current_ = &line;
    command_line_ = line.line;
    g_running_line.store(line.line);
    progress_ = Progress{};
    plan(line.command);
}

ScriptRunner::StepResult ScriptRunner::run(const Step& step) {
    if (const auto* send = std::get_if<Send>(&step.action)) {
        events::deliver_input(send->event);
        return StepResult::Delivered;
    }
    if (const auto* mouse = std::get_if<MouseAtPoint>(&step.action)) {
        deliver_mouse(mouse->kind, progress_.point, mouse->modifiers);
        return StepResult::Delivered;
    }
    return act(current_->command, std::get<Act>(step.action).phase);
}

bool ScriptRunner::finished() const {
    for (const Step& s : steps_)
        if (!s.trailing) return false;
    size_t next = next_;
    if (next < script_.commands.size() && std::holds_alternative<cmd::ExpectEnd>(script_.commands[next].command))
        ++next;
    return next >= script_.commands.size();
}

bool ScriptRunner::end_of_script() {
    const int last = script_.line_count;
    DialogQueries* dialogs = dialog_queries();
    if (state_ == State::Running) {
        if (dialogs)
            if (auto d = dialogs->front_modal_dialog()) fail_at(last, msg::fill(msg::kEndedWithDialog, {dialog_text(*d)}));
        state_ = State::QuitSent;
        quit_at_ = host_.now_ms();
        events::request_quit(events::QuitSource::Script);
        return true;
    }
    if (state_ == State::QuitSent) {
        if (dialogs)
            if (auto d = dialogs->front_modal_dialog()) fail_at(last, msg::fill(msg::kDialogAfterQuit, {dialog_text(*d)}));
        if (host_.now_ms() >= quit_at_ + kQuitGraceMs) fail_at(last, msg::fill(msg::kDidNotQuit, {seconds(kQuitGraceMs)}));
    }
    return false;
}

bool ScriptRunner::feed(events::FeedContext context) {
    pending_wake_ = UINT64_MAX;
    for (;;) {
        if (steps_.empty()) {
            if (context == events::FeedContext::Tracking) return false;
            if (next_ >= script_.commands.size()) return end_of_script();
            start_command(script_.commands[next_++]);
            continue;
        }
        if (context == events::FeedContext::Tracking && !steps_.front().tracking_ok) return false;
        // Off the list while it runs: a step may end the process (a quit
        // request the application obeys at once), and the exit status
        // looks at what is left.
        Step step = steps_.front();
        steps_.pop_front();
        StepResult result = run(step);
        if (result == StepResult::Pending) {
            steps_.push_front(step);
            return false;
        }
        if (result == StepResult::Delivered) return true;
    }
}

UInt64 ScriptRunner::wake_time() {
    if (state_ == State::QuitSent) return quit_at_ + kQuitGraceMs;
    return pending_wake_;
}

int ScriptRunner::exit_status_at_exit() {
    switch (state_) {
    case State::Failed: return 1;
    case State::QuitSent:
    case State::AwaitingEnd: return 0;
    case State::Running: break;
    }
    if (finished()) return 0;   // e.g. `quit` on the last line
    // Name the line in progress, or the first that never ran when all that
    // is left of the current one are releases.
    bool only_releases = std::all_of(steps_.begin(), steps_.end(), [](const Step& s) { return s.trailing; });
    int line = only_releases && next_ < script_.commands.size() ? script_.commands[next_].line : command_line_;
    std::fprintf(stderr, "%s\n", script_message(line, msg::kEndedEarly).c_str());
    return 3;
}

void ScriptRunner::start(Script script, host::Host& host) {
    auto& runner = process_runner();
    runner = std::make_unique<ScriptRunner>(std::move(script), host);
    events::set_input_feeder(runner.get());
    process::add_exit_hook([] {
        if (auto& r = process_runner()) process::set_exit_status(r->exit_status_at_exit());
    });
    // A main that returns instead of calling ExitToShell still ends with
    // the script's status.
    std::atexit([] {
        if (process_runner()) process::exit_now();
    });
}

int ScriptRunner::running_line() { return g_running_line.load(); }

}  // namespace platform::script
