// Running a headless script: commands become steps, steps become input
// events, checks and waits, executed only when the application asks.
#include "platform/hosts/headless/ScriptRunner.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/core/ProcessExit.h"
#include "platform/events/KeyCodes.h"
#include "platform/hosts/ScriptWorld.h"

namespace platform::script {
namespace {

using host::InputEvent;
using host::InputKind;
namespace keys = platform::events::keys;

std::unique_ptr<ScriptRunner>& process_runner() {
    static std::unique_ptr<ScriptRunner> runner;
    return runner;
}

std::atomic<int> g_running_line{0};

std::string in_quotes(const std::string& s) { return "\"" + s + "\""; }

Point center(const Rect& r) { return Point{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)}; }

bool empty_rect(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool contains(const Rect& r, Point p) { return p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom; }

std::string rect_text(const Rect& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
           std::to_string(r.bottom);
}

std::string list_titles(const std::vector<WindowView>& windows) {
    std::string s;
    for (const WindowView& w : windows) {
        if (!w.visible) continue;
        s += s.empty() ? "" : ", ";
        s += in_quotes(w.title);
    }
    return s.empty() ? "none" : s;
}

std::string dialog_text(const DialogView& d) {
    std::string s;
    for (const std::string& t : d.texts) {
        s += s.empty() ? "" : " / ";
        s += t;
    }
    return s.empty() ? "(no text)" : in_quotes(s);
}

}  // namespace

ScriptRunner::ScriptRunner(Script script, host::Host& host) : script_(std::move(script)), host_(host) {}

void ScriptRunner::fail_at(int line, const std::string& message) {
    state_ = State::Failed;
    std::fprintf(stderr, "%s\n", script_message(line, message).c_str());
    process::set_exit_status(1);
    process::exit_now();
}

void ScriptRunner::fail(const std::string& message) { fail_at(command_line_, message); }

InputEvent ScriptRunner::mouse(InputKind kind, Point p, UInt16 mods) const {
    InputEvent e;
    e.kind = kind;
    e.x = p.h;
    e.y = p.v;
    e.modifiers = mods;
    return e;
}

void ScriptRunner::deliver(const InputEvent& e) { events::deliver_input(e); }

void ScriptRunner::add_input(InputEvent e, bool tracking_ok, bool trailing) {
    steps_.push_back(Step{[e](ScriptRunner& r) {
                              r.deliver(e);
                              return StepResult::Delivered;
                          },
                          tracking_ok, trailing});
}

bool ScriptRunner::finished() const {
    for (const Step& s : steps_)
        if (!s.trailing) return false;
    size_t next = next_;
    if (next < script_.commands.size() && script_.commands[next].kind == CommandKind::ExpectEnd) ++next;
    return next >= script_.commands.size();
}

void ScriptRunner::check_on_screen(Point p) {
    host::ScreenSize s = host_.screen_size();
    if (s.width <= 0) return;   // no screen open yet: nothing to check against
    if (p.h < 0 || p.v < 0 || p.h >= s.width || p.v >= s.height)
        fail("(" + std::to_string(p.h) + ", " + std::to_string(p.v) + ") is outside the " +
             std::to_string(s.width) + "x" + std::to_string(s.height) + " screen");
}

// Move, press and release at a point found when the gesture starts.
void ScriptRunner::add_gesture_at(std::function<Point(ScriptRunner&)> where, UInt16 mods) {
    auto at = std::make_shared<Point>();
    steps_.push_back(Step{[=](ScriptRunner& r) {
                              *at = where(r);
                              r.check_on_screen(*at);
                              r.deliver(r.mouse(InputKind::MouseMoved, *at, mods));
                              return StepResult::Delivered;
                          },
                          false});
    steps_.push_back(Step{[=](ScriptRunner& r) {
                              r.deliver(r.mouse(InputKind::MouseDown, *at, mods));
                              return StepResult::Delivered;
                          },
                          true});
    steps_.push_back(Step{[=](ScriptRunner& r) {
                              r.deliver(r.mouse(InputKind::MouseUp, *at, mods));
                              return StepResult::Delivered;
                          },
                          true, true});
}

void ScriptRunner::add_modifiers_release(UInt16 mods) {
    if (!mods) return;
    InputEvent e;
    e.kind = InputKind::ModifiersChanged;
    add_input(e, true, true);
}

void ScriptRunner::expand(const Command& c) {
    const UInt16 mods = c.modifiers;
    switch (c.kind) {
    case CommandKind::Menu:
    case CommandKind::ExpectMenuItem: {
        const std::string menu = c.texts[0], item = c.texts[1];
        const bool choose = c.kind == CommandKind::Menu;
        const bool want_enabled = c.flag;
        auto title = std::make_shared<Point>();
        auto target = std::make_shared<Point>();
        auto give_up = std::make_shared<UInt64>(0);
        steps_.push_back(Step{[=](ScriptRunner& r) {
                                  MenuQueries* q = menu_queries();
                                  if (!q) r.fail("menus are not available yet");
                                  std::string names;
                                  for (const MenuTitleView& t : q->menu_titles()) {
                                      if (item_text_matches(t.text, menu)) {
                                          *title = center(t.bounds);
                                          r.deliver(r.mouse(InputKind::MouseMoved, *title, 0));
                                          return StepResult::Delivered;
                                      }
                                      names += (names.empty() ? "" : ", ") + in_quotes(t.text);
                                  }
                                  r.fail("no menu " + in_quotes(menu) + " in the menu bar (menus: " +
                                         (names.empty() ? "none" : names) + ")");
                              },
                              false});
        steps_.push_back(Step{[=](ScriptRunner& r) {
                                  r.deliver(r.mouse(InputKind::MouseDown, *title, 0));
                                  return StepResult::Delivered;
                              },
                              true});
        // With the menu pulled down: find the item by its current text.
        steps_.push_back(Step{[=](ScriptRunner& r) {
                                  MenuQueries* q = menu_queries();
                                  if (!q) r.fail("menus are not available yet");
                                  auto items = q->menu_items(menu);
                                  const MenuItemView* found = nullptr;
                                  for (const MenuItemView& i : items)
                                      if (!i.text.empty() && item_text_matches(i.text, item)) {
                                          found = &i;
                                          break;
                                      }
                                  if (!found) r.fail("no item " + in_quotes(item) + " in menu " + in_quotes(menu));
                                  if (empty_rect(found->bounds)) {   // not pulled down (yet)
                                      UInt64 now = r.host_.now_ms();
                                      if (*give_up == 0) *give_up = now + kMenuOpenMs;
                                      if (now >= *give_up) r.fail("menu " + in_quotes(menu) + " did not open");
                                      r.pending_wake_ = *give_up;
                                      return StepResult::Pending;
                                  }
                                  std::string what = "item " + in_quotes(item) + " of menu " + in_quotes(menu);
                                  if (choose) {
                                      if (!found->enabled) r.fail(what + " is disabled");
                                      *target = center(found->bounds);
                                  } else {
                                      if (found->enabled != want_enabled)
                                          r.fail(what + " is " + (found->enabled ? "enabled" : "disabled"));
                                      // Release outside every item: nothing is chosen.
                                      host::ScreenSize s = r.host_.screen_size();
                                      Point corner{SInt16(s.height - 1), SInt16(s.width - 1)};
                                      for (const MenuItemView& i : items)
                                          if (contains(i.bounds, corner)) corner.h = 0;
                                      *target = corner;
                                  }
                                  r.deliver(r.mouse(InputKind::MouseMoved, *target, 0));
                                  return StepResult::Delivered;
                              },
                              true});
        steps_.push_back(Step{[=](ScriptRunner& r) {
                                  r.deliver(r.mouse(InputKind::MouseUp, *target, 0));
                                  return StepResult::Delivered;
                              },
                              true});
        break;
    }
    case CommandKind::Key: {
        InputEvent e;
        e.kind = InputKind::KeyDown;
        e.key_code = c.key_code;
        e.character = c.character;
        e.modifiers = mods;
        add_input(e, false);
        e.kind = InputKind::KeyUp;
        add_input(e, true, true);
        add_modifiers_release(mods);
        break;
    }
    case CommandKind::Type: {
        bool first = true;
        UInt16 last = 0;
        for (unsigned char ch : c.texts[0]) {
            InputEvent e;
            e.kind = InputKind::KeyDown;
            e.character = ch;
            e.key_code = keys::kUnknown;
            if (auto stroke = keys::key_for_character(ch)) {
                e.key_code = stroke->key_code;
                e.modifiers = stroke->shift ? UInt16(host::kModShift) : UInt16(0);
            }
            add_input(e, !first);
            e.kind = InputKind::KeyUp;
            add_input(e, true, true);
            first = false;
            last = e.modifiers;
        }
        add_modifiers_release(last);
        break;
    }
    case CommandKind::Click: {
        if (c.flag) {
            const std::string title = c.texts[0];
            const int dx = c.numbers[0], dy = c.numbers[1];
            add_gesture_at(
                [=](ScriptRunner& r) {
                    WindowQueries* q = window_queries();
                    if (!q) r.fail("windows are not available yet");
                    auto windows = q->windows_front_to_back();
                    for (const WindowView& w : windows)
                        if (w.visible && w.title == title)
                            return Point{SInt16(w.content.top + dy), SInt16(w.content.left + dx)};
                    r.fail("no window " + in_quotes(title) + " (windows: " + list_titles(windows) + ")");
                },
                mods);
        } else {
            const Point p{SInt16(c.numbers[1]), SInt16(c.numbers[0])};
            add_gesture_at([p](ScriptRunner&) { return p; }, mods);
        }
        add_modifiers_release(mods);
        break;
    }
    case CommandKind::Drag: {
        const Point from{SInt16(c.numbers[1]), SInt16(c.numbers[0])};
        const Point to{SInt16(c.numbers[3]), SInt16(c.numbers[2])};
        steps_.push_back(Step{[=](ScriptRunner& r) {
                                  r.check_on_screen(from);
                                  r.check_on_screen(to);
                                  r.deliver(r.mouse(InputKind::MouseMoved, from, mods));
                                  return StepResult::Delivered;
                              },
                              false});
        add_input(mouse(InputKind::MouseDown, from, mods), true);
        constexpr int kMoves = 8;   // the path, so tracking loops see the motion
        for (int i = 1; i <= kMoves; ++i) {
            Point p{SInt16(from.v + (to.v - from.v) * i / kMoves), SInt16(from.h + (to.h - from.h) * i / kMoves)};
            add_input(mouse(InputKind::MouseMoved, p, mods), true);
        }
        add_input(mouse(InputKind::MouseUp, to, mods), true, true);
        add_modifiers_release(mods);
        break;
    }
    case CommandKind::Button: {
        const std::string name = c.texts[0];
        add_gesture_at(
            [=](ScriptRunner& r) {
                DialogQueries* q = dialog_queries();
                if (!q) r.fail("dialogs are not available yet");
                auto d = q->front_modal_dialog();
                if (!d) r.fail("no dialog is up");
                std::string names;
                for (const ButtonView& b : d->buttons) {
                    if (item_text_matches(b.title, name)) {
                        if (!b.enabled) r.fail("button " + in_quotes(name) + " is disabled");
                        return center(b.bounds);
                    }
                    names += (names.empty() ? "" : ", ") + in_quotes(b.title);
                }
                r.fail("no button " + in_quotes(name) + " in the dialog (buttons: " + (names.empty() ? "none" : names) + ")");
            },
            0);
        break;
    }
    case CommandKind::Wait: {
        const UInt64 ms = UInt64(c.numbers[0]);
        auto until = std::make_shared<UInt64>(UINT64_MAX);
        steps_.push_back(Step{[=](ScriptRunner& r) {
                                  UInt64 now = r.host_.now_ms();
                                  if (*until == UINT64_MAX) *until = now + ms;
                                  if (now >= *until) return StepResult::Done;
                                  r.pending_wake_ = *until;
                                  return StepResult::Pending;
                              },
                              false});
        break;
    }
    case CommandKind::OpenDocuments: {
        std::vector<std::string> paths;
        for (const std::string& p : c.texts) {
            std::error_code ec;
            auto abs = std::filesystem::absolute(p, ec);
            paths.push_back(ec ? p : abs.lexically_normal().string());
        }
        steps_.push_back(Step{[paths](ScriptRunner& r) {
                                  AppleEventSender* s = apple_event_sender();
                                  if (!s) r.fail("Apple events are not available yet");
                                  if (auto err = s->send_open_documents(paths)) r.fail("odoc: " + *err);
                                  return StepResult::Delivered;
                              },
                              false});
        break;
    }
    case CommandKind::Quit:
        steps_.push_back(Step{[](ScriptRunner&) {
                                  events::request_quit(events::QuitSource::Script);
                                  return StepResult::Delivered;
                              },
                              false});
        break;
    case CommandKind::Screenshot: {
        const std::string path = c.texts[0];
        steps_.push_back(Step{[path](ScriptRunner& r) {
                                  auto saved = r.host_.save_screenshot(path);
                                  if (!saved) r.fail("screenshot " + path + ": " + saved.error().message);
                                  return StepResult::Done;
                              },
                              false});
        break;
    }
    case CommandKind::ExpectWindow:
    case CommandKind::ExpectNoWindow:
    case CommandKind::ExpectFront:
    case CommandKind::ExpectBounds: {
        const Command cmd = c;
        steps_.push_back(Step{[cmd](ScriptRunner& r) {
                                  WindowQueries* q = window_queries();
                                  if (!q) r.fail("windows are not available yet");
                                  auto windows = q->windows_front_to_back();
                                  const std::string& title = cmd.texts[0];
                                  const WindowView* found = nullptr;
                                  const WindowView* front = nullptr;
                                  for (const WindowView& w : windows) {
                                      if (!w.visible) continue;
                                      if (!front) front = &w;
                                      if (!found && w.title == title) found = &w;
                                  }
                                  switch (cmd.kind) {
                                  case CommandKind::ExpectWindow:
                                      if (!found) r.fail("no window " + in_quotes(title) + " (windows: " + list_titles(windows) + ")");
                                      break;
                                  case CommandKind::ExpectNoWindow:
                                      if (found) r.fail("window " + in_quotes(title) + " is open");
                                      break;
                                  case CommandKind::ExpectFront:
                                      if (!front) r.fail("no window is open");
                                      if (front->title != title) r.fail("the front window is " + in_quotes(front->title));
                                      break;
                                  default: {
                                      if (!found) r.fail("no window " + in_quotes(title) + " (windows: " + list_titles(windows) + ")");
                                      Rect want{SInt16(cmd.numbers[1]), SInt16(cmd.numbers[0]), SInt16(cmd.numbers[3]),
                                                SInt16(cmd.numbers[2])};
                                      const Rect& got = found->content;
                                      if (got.left != want.left || got.top != want.top || got.right != want.right ||
                                          got.bottom != want.bottom)
                                          r.fail("window " + in_quotes(title) + " has bounds " + rect_text(got));
                                      break;
                                  }
                                  }
                                  return StepResult::Done;
                              },
                              false});
        break;
    }
    case CommandKind::ExpectDialog:
    case CommandKind::ExpectField: {
        const Command cmd = c;
        steps_.push_back(Step{[cmd](ScriptRunner& r) {
                                  DialogQueries* q = dialog_queries();
                                  if (!q) r.fail("dialogs are not available yet");
                                  auto d = q->front_modal_dialog();
                                  if (!d) r.fail("no dialog is up");
                                  if (cmd.kind == CommandKind::ExpectField) {
                                      if (!d->field) r.fail("the dialog has no edit field");
                                      if (*d->field != cmd.texts[0]) r.fail("the field holds " + in_quotes(*d->field));
                                  } else if (cmd.flag) {
                                      bool shown = false;
                                      for (const std::string& t : d->texts)
                                          if (t.find(cmd.texts[0]) != std::string::npos) shown = true;
                                      if (!shown) r.fail("the dialog shows " + dialog_text(*d));
                                  }
                                  return StepResult::Done;
                              },
                              false});
        break;
    }
    case CommandKind::ExpectFile: {
        const std::string path = c.texts[0];
        steps_.push_back(Step{[path](ScriptRunner& r) {
                                  std::error_code ec;
                                  if (!std::filesystem::exists(path, ec)) r.fail("no file " + path);
                                  return StepResult::Done;
                              },
                              false});
        break;
    }
    case CommandKind::ExpectEnd: {
        auto until = std::make_shared<UInt64>(UINT64_MAX);
        steps_.push_back(Step{[until](ScriptRunner& r) {
                                  UInt64 now = r.host_.now_ms();
                                  if (*until == UINT64_MAX) {
                                      *until = now + kEndGraceMs;
                                      r.state_ = State::AwaitingEnd;
                                  }
                                  if (now >= *until) r.fail("the application did not end by itself within 5 s");
                                  r.pending_wake_ = *until;
                                  return StepResult::Pending;
                              },
                              false});
        break;
    }
    }
}

bool ScriptRunner::end_of_script() {
    const int last = script_.line_count;
    DialogQueries* dialogs = dialog_queries();
    if (state_ == State::Running) {
        if (dialogs)
            if (auto d = dialogs->front_modal_dialog())
                fail_at(last, "the script ended with a dialog up: " + dialog_text(*d));
        state_ = State::QuitSent;
        quit_at_ = host_.now_ms();
        events::request_quit(events::QuitSource::Script);
        return true;
    }
    if (state_ == State::QuitSent) {
        if (dialogs)
            if (auto d = dialogs->front_modal_dialog())
                fail_at(last, "a dialog came up after the quit request: " + dialog_text(*d));
        if (host_.now_ms() >= quit_at_ + kQuitGraceMs)
            fail_at(last, "the application did not quit within 10 s of the quit request at the end of the script");
    }
    return false;
}

bool ScriptRunner::feed(events::FeedContext context) {
    pending_wake_ = UINT64_MAX;
    for (;;) {
        if (steps_.empty()) {
            if (context == events::FeedContext::Tracking) return false;
            if (next_ >= script_.commands.size()) return end_of_script();
            const Command& c = script_.commands[next_++];
            command_line_ = c.line;
            g_running_line.store(c.line);
            expand(c);
            continue;
        }
        if (context == events::FeedContext::Tracking && !steps_.front().tracking_ok) return false;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        StepResult result = step.run(*this);
        if (result == StepResult::Pending) {
            steps_.push_front(std::move(step));
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
    std::fprintf(stderr, "%s\n", script_message(line, "the application ended before the script did").c_str());
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
