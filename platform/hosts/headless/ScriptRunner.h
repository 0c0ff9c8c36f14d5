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
// Long operations: while the platform's progress window is up, it looks
// for a cancel on every update (events::take_event_if), and that counts
// as the application asking for an event: the script's next lines run
// during the operation, as a user's hands would, until one of them
// delivers input that is not a cancel (a key, a click elsewhere, a menu
// pulled down). That input stays queued, and no later line runs, until
// the operation is over and the application takes it. Checks after such
// a line therefore see the operation's result; checks before it (e.g.
// `expect window "Exporting"`) see it under way. Since an operation takes
// no virtual time, the progress window shows in a script only when
// KINORA_PROGRESS_DELAY_MS allows it (0: at once); without it, no line
// ever runs during an operation.
//
// Endings (the exit status of the process):
//   0  every line ran and the application quit (or ended after `expect end`)
//   1  a line failed: "script:LINE: message" on stderr
//   2  --timeout ran out (the watchdog, see Watchdog.h)
//   3  the application ended before the script did
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/events/EventsInternal.h"
#include "platform/hostapi/Host.h"
#include "platform/hosts/headless/Script.h"

namespace platform::script {

struct DialogView;

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

    // What a step does: deliver an input fixed when the command started,
    // move the mouse or press or release it where the command pointed, or
    // run one of the command's own steps (those that look at the
    // application) through its Actor.
    struct Send {
        host::InputEvent event;
    };
    struct MouseAtPoint {
        host::InputKind kind;
        UInt16 modifiers = 0;
    };
    struct Act {
        int phase = 0;
    };
    struct Step {
        std::variant<Send, MouseAtPoint, Act> action;
        bool tracking_ok = false;
        // A release that need not happen if the application ends on the
        // press (a key up, a mouse up, modifiers let go).
        bool trailing = false;
    };

    // What the command being run has found out so far; cleared when the
    // next command starts.
    struct Progress {
        Point point{};                    // where its mouse steps act
        std::optional<UInt64> deadline;   // wait, a menu opening, expect end
    };

    enum class State { Running, QuitSent, AwaitingEnd, Failed };

    [[noreturn]] void fail(std::string_view message);
    [[noreturn]] void fail_at(int line, std::string_view message);
    void start_command(const ScriptLine& line);
    StepResult run(const Step& step);
    // The command handlers (ScriptCommands.cpp), an overload per command
    // each: plan() lays out a command's steps when it starts, act() runs
    // those of its steps that look at the application.
    struct Planner;
    struct Actor;
    void plan(const Command& c);
    StepResult act(const Command& c, int phase);
    bool end_of_script();
    // Every line ran, or nothing is left but releases and `expect end`.
    bool finished() const;

    // Building a command's steps.
    void add(Step step) { steps_.push_back(step); }
    void add_input(const host::InputEvent& e, bool tracking_ok, bool trailing = false);
    void add_act(int phase, bool tracking_ok) { add(Step{Act{phase}, tracking_ok}); }
    // A press and a release where the command's first step moved the mouse.
    void add_press_release(UInt16 mods);
    void add_modifiers_release(UInt16 mods);

    // What the steps use.
    static host::InputEvent mouse_event(host::InputKind kind, Point p, UInt16 mods);
    void deliver_mouse(host::InputKind kind, Point p, UInt16 mods);
    // Moves the mouse there and remembers the point for the press and release.
    void point_at(Point p, UInt16 mods);
    // Fails unless (h, v) is on the screen; taken as int so that a point
    // past the coordinate range is named as it is, not wrapped.
    void check_on_screen(int h, int v);
    void check_on_screen(Point p) { check_on_screen(p.h, p.v); }
    // `ms` after the command's first call of it (the same time on every call).
    UInt64 deadline_after(UInt64 ms);
    // Asks to be fed again at `when`.
    StepResult pending_until(UInt64 when);
    // A dialog's texts as a failure quotes them.
    static std::string dialog_text(const DialogView& d);

    Script script_;
    host::Host& host_;
    size_t next_ = 0;                 // next command to start
    const ScriptLine* current_ = nullptr;
    int command_line_ = 0;            // line of the command being run
    std::deque<Step> steps_;
    Progress progress_;
    State state_ = State::Running;
    UInt64 quit_at_ = 0;
    UInt64 pending_wake_ = UINT64_MAX;
};

}  // namespace platform::script
