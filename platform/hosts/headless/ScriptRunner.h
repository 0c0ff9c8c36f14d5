// ScriptRunner.h — runs a parsed script by feeding the Event Manager.
//
// The runner is the Event Manager's input feeder: it acts only when the
// application asks for an event (or polls the mouse while tracking it) and
// nothing is queued, so a script never races the application, in the main
// loop or in any modal loop. Each command becomes a list of steps: inputs
// (delivered one per request), checks and actions (run when the
// application has handled everything before them), and waits (on the host
// clock). Only the steps after a command's first may run inside a
// mouse-tracking poll, so a press can be followed by the move and release
// of the same gesture while the application tracks it.
//
// Endings (the exit status of the process):
//   0  every line ran and the application quit (or ended after `expect end`)
//   1  a line failed: "script:LINE: message" on stderr
//   2  --timeout ran out (the watchdog, see Watchdog.h)
//   3  the application ended before the script did
#pragma once

#include <deque>
#include <functional>
#include <memory>

#include "platform/events/EventsInternal.h"
#include "platform/hosts/Host.h"
#include "platform/hosts/headless/Script.h"

namespace platform::script {

class ScriptRunner final : public events::InputFeeder {
public:
    // How long the application has to end after the quit request at the
    // end of the script, and after `expect end`.
    static constexpr UInt64 kQuitGraceMs = 10000;
    static constexpr UInt64 kEndGraceMs = 5000;
    // How long a pulled-down menu may take to appear.
    static constexpr UInt64 kMenuOpenMs = 2000;

    ScriptRunner(Script script, host::Host& host);

    bool feed(events::FeedContext context) override;
    UInt64 wake_time() override;

    // The exit status if the process ended now (prints why for 3).
    int exit_status_at_exit();
    int current_line() const { return command_line_; }

    // Starts the process's runner: the Event Manager's feeder, an exit hook
    // that sets the exit status, and an atexit guard for a main that returns.
    static void start(Script script, host::Host& host);
    // The line the process's runner is at (0 when there is none); safe from
    // any thread.
    static int running_line();

private:
    enum class StepResult { Delivered, Done, Pending };
    struct Step {
        std::function<StepResult(ScriptRunner&)> run;
        bool tracking_ok = false;
        // A release that need not happen if the application ends on the
        // press (a key up, a mouse up, modifiers let go).
        bool trailing = false;
    };
    enum class State { Running, QuitSent, AwaitingEnd, Failed };

    [[noreturn]] void fail(const std::string& message);
    [[noreturn]] void fail_at(int line, const std::string& message);
    void expand(const Command& c);
    bool end_of_script();
    // Every line ran, or nothing is left but releases and `expect end`.
    bool finished() const;
    void deliver(const host::InputEvent& e);
    host::InputEvent mouse(host::InputKind kind, Point p, UInt16 mods) const;
    void add_input(host::InputEvent e, bool tracking_ok, bool trailing = false);
    void add_gesture_at(std::function<Point(ScriptRunner&)> where, UInt16 mods);
    void add_modifiers_release(UInt16 mods);
    void check_on_screen(Point p);

    Script script_;
    host::Host& host_;
    size_t next_ = 0;                 // next command to expand
    int command_line_ = 0;            // line of the command being run
    std::deque<Step> steps_;
    State state_ = State::Running;
    UInt64 quit_at_ = 0;
    UInt64 pending_wake_ = UINT64_MAX;
};

}  // namespace platform::script
